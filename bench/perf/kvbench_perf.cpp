// kvbench_perf: what every user action costs at 10,000, 100,000 and 1,000,000 summaries, on SQLite
// on disk, SQLite in memory-backed storage (/dev/shm) and PostgreSQL (KVDIGEST_PG_URL names the
// server), each figure beside the engine's own figure for the same work, measured in the same run
// on the same data; printed as one table headed by the machine and its load, with the growth from
// the smallest size to the largest. BENCH_N=10000,100000 chooses the sizes. Each engine and size
// runs in a process of its own, so that its memory is its own; BENCH_PIN=1 holds each such process
// to one core. Not a test: read the figures.
#include "Database.h"
#include "OneCore.h"
#include "PerfLedger.h"
#include "PerfMachine.h"
#include "PerfRun.h"
#include "PerfTable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

#include <cstdio>

namespace {

QTextStream out(stdout);
QTextStream err(stderr);

QString joined(const std::vector<double> &values)
{
    QStringList texts;
    for (double value : values)
        texts << QString::number(value, 'g', 10);
    return texts.join(QLatin1Char(','));
}

std::vector<double> split(const QString &text)
{
    std::vector<double> values;
    for (const QString &value : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        values.push_back(value.toDouble());
    return values;
}

// A child's report: the processors it could use, then its figures, a line each.
void printFigures(const std::vector<PerfFigure> &figures)
{
    out << "CORES\t" << AllowedCores() << '\n';
    for (const PerfFigure &f : figures)
        out << "FIGURE\t" << f.action << '\t' << f.unit << '\t' << joined(f.values) << '\t'
            << joined(f.between) << '\t' << joined(f.warm) << '\t' << f.baselineWhat << '\t'
            << f.target << '\t' << (f.failed ? 1 : 0) << '\n';
    out.flush();
}

bool pinRequested()
{
    return qEnvironmentVariable("BENCH_PIN") == QLatin1String("1");
}

// The most processors any child could use.
int coresPerRun = 0;

// Runs this program again for one engine and size, and reads back its figures.
QList<PerfRow> runChild(const QString &engine, int n, const QStringList &arguments)
{
    err << QStringLiteral("  %1, %2 summaries...\n").arg(engine).arg(n);
    err.flush();
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (pinRequested()) {
        // In the child before it starts, so that every thread it makes inherits the one core.
        const cpu_set_t one = FirstCoreOnly();
        child.setChildProcessModifier([one] { sched_setaffinity(0, sizeof one, &one); });
    }
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(-1);
    QList<PerfRow> rows;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QStringList f = QString::fromUtf8(line).split(QLatin1Char('\t'));
        if (f.size() == 2 && f[0] == QLatin1String("CORES"))
            coresPerRun = std::max(coresPerRun, f[1].toInt());
        if (f.size() != 9 || f[0] != QLatin1String("FIGURE"))
            continue;
        rows.append({engine,
                     n,
                     {f[1], f[2], split(f[3]), split(f[4]), split(f[5]), f[6], f[7],
                      f[8] == QLatin1String("1")}});
    }
    if (child.exitCode() != 0 || rows.isEmpty())
        err << QStringLiteral("  %1 at %2 failed\n").arg(engine).arg(n);
    return rows;
}

QList<int> sizes()
{
    const QString list = qEnvironmentVariable("BENCH_N", QStringLiteral("10000,100000,1000000"));
    QList<int> result;
    for (const QString &n : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        result << n.trimmed().toInt();
    return result;
}

// The window, then the picker, on one engine's ledger.
QList<PerfRow> runEngine(const QString &engine, const QString &target, int n)
{
    return runChild(engine, n, {QStringLiteral("--window"), target, QString::number(n)}) +
           runChild(engine, n, {QStringLiteral("--picker"), target, QString::number(n)});
}

QList<PerfRow> runSize(int n, const QString &server)
{
    QList<PerfRow> rows;
    QElapsedTimer clock;
    clock.start();
    const PerfLedger ledger(n);
    QTemporaryDir disk;
    const QString file = disk.filePath(QStringLiteral("ledger.db"));
    ledger.writeSqlite(file);
    err << QStringLiteral("  (%1 summaries made and written in %2 s)\n")
               .arg(n)
               .arg(clock.elapsed() / 1000.0);
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
        QTemporaryDir memory(QStringLiteral("/dev/shm/kvbench-XXXXXX"));
        const QString copy = memory.filePath(QStringLiteral("ledger.db"));
        QFile::copy(file, copy);
        rows += runEngine(QStringLiteral("SQLite /dev/shm"), copy, n);
    }
    rows += runEngine(QStringLiteral("SQLite disk"), file, n);
    if (!server.isEmpty()) {
        const QString name = QStringLiteral("kvbench_perf");
        auto admin = DataKit::Database::open(server);
        admin->Execute(QStringLiteral("DROP DATABASE IF EXISTS ") + name);
        admin->Execute(QStringLiteral("CREATE DATABASE ") + name);
        QUrl url(server);
        url.setPath(QLatin1Char('/') + name);
        ledger.writePostgres(url.toString());
        rows += runEngine(QStringLiteral("PostgreSQL"), url.toString(), n);
        admin->Execute(QStringLiteral("DROP DATABASE ") + name);
    }
    rows += runChild(QStringLiteral("(no database)"), n,
                     {QStringLiteral("--mnemonic"), QString::number(n)});
    return rows;
}

// The offscreen platform's word on every window it shows says nothing about the figures.
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints")) ||
        message.contains(QLatin1String("support raise()")) ||
        message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    qt_message_output(type, context, message);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 4 && args[1] == QLatin1String("--window")) {
            printFigures(RunWindowFigures(args[2], args[3].toInt()));
            return 0;
        }
        if (args.size() == 4 && args[1] == QLatin1String("--picker")) {
            printFigures(RunPickerFigures(args[2], args[3].toInt()));
            return 0;
        }
        if (args.size() == 3 && args[1] == QLatin1String("--mnemonic")) {
            printFigures(RunMnemonicFigures(args[2].toInt()));
            return 0;
        }
        const QString server = qEnvironmentVariable("KVDIGEST_PG_URL");
        if (server.isEmpty())
            err << "KVDIGEST_PG_URL names no server: PostgreSQL is left out.\n";
        PerfConditions conditions{ThisMachine(), LoadAverage(), {}, false, 0};
        QList<PerfRow> rows;
        for (int n : sizes())
            rows += runSize(n, server);
        conditions.loadAtEnd = LoadAverage();
        conditions.coresPerRun = coresPerRun;
        conditions.pinned = pinRequested() && coresPerRun == 1;
        out << '\n';
        PrintPerfTable(out, DescribeConditions(conditions), rows);
    } catch (const std::exception &e) {
        err << "failed: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
