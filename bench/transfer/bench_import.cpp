// kvbench_import [rows] [rounds]: ImportSummaries on a ledger of the demo's accounts: a file of new
// summaries (all added), the same file again (all unchanged), every text changed (all changed
// through the kit's row lock), and a dry run of that; each figure the median of rounds (default 3),
// the summaries deleted before each round. SQLite always; PostgreSQL as well when KVDIGEST_PG_URL
// names a server (a database kvbench_import is created there and dropped). Not a test: run by
// hand, read the figures.
#include "BenchLedger.h"
#include "Database.h"
#include "DigestTransfer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

QTextStream out(stdout);

QString writeList(const QTemporaryDir &dir, const QString &name, int rows, const QString &suffix)
{
    const char *const texts[] = {"收到货款", "银行存款利息", "报销差旅费", "计提长期借款利息"};
    const char *const accounts[] = {"1122", "银行存款", "6602", ""};
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QTextStream csv(&file);
    csv << "常用摘要编码,常用摘要正文,常用摘要助记码,相关科目\r\n";
    for (int i = 0; i < rows; ++i)
        csv << QStringLiteral("%1,%2%3%4,,%5\r\n")
                   .arg(i, 6, 10, QLatin1Char('0'))
                   .arg(QString::fromUtf8(texts[i % 4]))
                   .arg(i % 1000)
                   .arg(suffix, QString::fromUtf8(accounts[i % 4]));
    return path;
}

// The import's time in milliseconds; said: its report.
double timed(const std::shared_ptr<DataKit::Database> &db, const QString &path, bool dryRun,
             QString &said)
{
    ImportOptions options;
    options.dryRun = dryRun;
    QElapsedTimer clock;
    clock.start();
    const ImportReport report = ImportSummaries(db, path, options);
    const double ms = clock.nsecsElapsed() / 1e6;
    said = ImportReportLines(report).join(QLatin1Char(' '));
    return ms;
}

void run(const QString &engine, const QString &target, bool create, int rows, int rounds)
{
    auto db = DataKit::Database::open(target, create);
    PrepareEmptyLedger(*db);
    QTemporaryDir dir;
    const QString list = writeList(dir, QStringLiteral("list.csv"), rows, {});
    const QString changed =
        writeList(dir, QStringLiteral("changed.csv"), rows, QStringLiteral("改"));
    const struct
    {
        QString what;
        QString path;
        bool dryRun;
    } steps[] = {{QStringLiteral("new list (all added)"), list, false},
                 {QStringLiteral("same list (all unchanged)"), list, false},
                 {QStringLiteral("dry run (all changed)"), changed, true},
                 {QStringLiteral("every text changed"), changed, false}};
    std::vector<double> ms[std::size(steps)];
    QString said[std::size(steps)];
    for (int round = 0; round < rounds; ++round) {
        if (round > 0)
            db->Execute(QStringLiteral("delete from GL_bDigest"));
        for (size_t i = 0; i < std::size(steps); ++i)
            ms[i].push_back(timed(db, steps[i].path, steps[i].dryRun, said[i]));
    }
    out << QStringLiteral("%1 (%2 rows, median of %3 rounds)\n").arg(engine).arg(rows).arg(rounds);
    for (size_t i = 0; i < std::size(steps); ++i) {
        std::sort(ms[i].begin(), ms[i].end());
        out << QStringLiteral("  %1 %2 ms  (%3)\n")
                   .arg(steps[i].what, -28)
                   .arg(ms[i][ms[i].size() / 2], 9, 'f', 0)
                   .arg(said[i]);
    }
    out.flush();
    db->Close();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    const int rounds = argc > 2 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 3;
    return RunOnEngines(QStringLiteral("kvbench_import"),
                        [rows, rounds](const QString &engine, const QString &target, bool create) {
                            run(engine, target, create, rows, rounds);
                        });
}
