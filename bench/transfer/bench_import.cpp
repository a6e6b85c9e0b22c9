// kvbench_import [rows]: ImportSummaries on a ledger of the demo's accounts: a file of new
// summaries (all added), the same file again (all unchanged), every text changed (all changed
// through the kit's row lock), and a dry run of that. SQLite always; PostgreSQL as well when
// KVDIGEST_PG_URL names a server (a database kvbench_import is created there and dropped). Not a
// test: run by hand, read the figures.
#include "BenchLedger.h"
#include "Database.h"
#include "DigestTransfer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

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

void timed(const QString &what, const std::shared_ptr<DataKit::Database> &db, const QString &path,
           bool dryRun)
{
    ImportOptions options;
    options.dryRun = dryRun;
    QElapsedTimer clock;
    clock.start();
    const ImportReport report = ImportSummaries(db, path, options);
    out << QStringLiteral("  %1 %2 ms  (%3)\n")
               .arg(what, -28)
               .arg(clock.nsecsElapsed() / 1e6, 9, 'f', 0)
               .arg(ImportReportLines(report).join(QLatin1Char(' ')));
    out.flush();
}

void run(const QString &engine, const QString &target, bool create, int rows)
{
    auto db = DataKit::Database::open(target, create);
    PrepareEmptyLedger(*db);
    QTemporaryDir dir;
    const QString list = writeList(dir, QStringLiteral("list.csv"), rows, {});
    const QString changed =
        writeList(dir, QStringLiteral("changed.csv"), rows, QStringLiteral("改"));
    out << engine << QStringLiteral(" (") << rows << QStringLiteral(" rows)\n");
    timed(QStringLiteral("new list (all added)"), db, list, false);
    timed(QStringLiteral("same list (all unchanged)"), db, list, false);
    timed(QStringLiteral("dry run (all changed)"), db, changed, true);
    timed(QStringLiteral("every text changed"), db, changed, false);
    db->Close();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    return RunOnEngines(QStringLiteral("kvbench_import"),
                        [rows](const QString &engine, const QString &target, bool create) {
                            run(engine, target, create, rows);
                        });
}
