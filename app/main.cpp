// kvdigest: the demo host. Opens (or creates, with demo data) a ledger database, hands it to the
// common-summaries component and shows its window, or its voucher entry screen, where summaries
// are typed with the component's picker; or, on the command line, imports or exports summaries.
#include "CommandLine.h"
#include "Database.h"
#include "HostLedger.h"
#include "MnemonicCommand.h"
#include "QXDigest.h"
#include "QtChinese.h"
#include "TransferCommand.h"
#include "VoucherWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStringList>
#include <cstdio>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitNoDatabase = 3;
constexpr int kExitNoListing = 4;

int usageError(const QString &problem)
{
    std::fprintf(stderr, "kvdigest: %s (kvdigest --help shows the usage)\n",
                 problem.toLocal8Bit().constData());
    return kExitUsage;
}

QStringList argumentsOf(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

// ~/.local/share/kvdigest/ledger.db. A ledger an earlier version made one folder deeper is opened
// where it is rather than a new, empty one started beside it.
QString defaultLedger()
{
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/kvdigest";
    const QString earlier = dir + QStringLiteral("/kvdigest/ledger.db");
    const QString ledger = dir + QStringLiteral("/ledger.db");
    if (!QFileInfo::exists(ledger) && QFileInfo::exists(earlier))
        return earlier;
    QDir().mkpath(dir);
    return ledger;
}

int say(const QString &message, int code)
{
    std::fprintf(stderr, "kvdigest: %s\n", message.toLocal8Bit().constData());
    return code;
}

int fail(const QString &message, int code)
{
    QMessageBox::critical(nullptr, QStringLiteral("常用摘要"), message);
    return say(message, code);
}

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("kvdigest"));
    QCoreApplication::setApplicationName(QStringLiteral("kvdigest"));
}

// Import and export run without a display.
int runTransfer(int argc, char **argv, const CommandLine &line)
{
    QCoreApplication app(argc, argv);
    nameApplication();
    const HostLedger::Opened ledger =
        HostLedger::open(line.database.isEmpty() ? defaultLedger() : line.database);
    if (!ledger.database)
        return say(ledger.problem, kExitNoDatabase);
    if (line.command == QLatin1String("export"))
        return RunExportCommand(ledger.database, line.file);
    return RunImportCommand(ledger.database, line.file, line.dryRun, line.strict);
}

// The voucher screen is a window of the host's own: it runs in the application's loop.
int runVoucher(const std::shared_ptr<DataKit::Database> &database)
{
    try {
        VoucherWindow window(database);
        window.show();
        return QApplication::exec();
    } catch (const DataKit::Error &error) {
        return fail(QStringLiteral("不能打开记账凭证：%1").arg(error.description()),
                    kExitNoDatabase);
    }
}

} // namespace

int main(int argc, char **argv)
{
    // The command line is read before anything needs a display: help, version, a wrong command
    // line, the mnemonic filter, import and export work on any terminal. Only the window makes a
    // QApplication, which takes the toolkit's own options (-platform, -style, ...) for itself.
    const CommandLine line = ReadCommandLine(argumentsOf(argc, argv));
    if (line.help) {
        std::fputs(kCommandLineHelp, stdout);
        return 0;
    }
    if (line.version) {
        std::puts("kvdigest " KVDIGEST_VERSION);
        return 0;
    }
    if (!line.problem.isEmpty())
        return usageError(line.problem);
    if (line.mnemonic)
        return RunMnemonicCommand(line.texts, stdin, stdout);
    if (line.transfers())
        return runTransfer(argc, argv, line);

    QApplication app(argc, argv);
    nameApplication();
    // Qt's own buttons and dialogs speak Chinese, like the rest of the program.
    const auto qtChinese = InstallQtChinese();
    const QString database = line.database.isEmpty() ? defaultLedger() : line.database;
    const HostLedger::Opened ledger = HostLedger::open(database);
    if (!ledger.database)
        return fail(ledger.problem, kExitNoDatabase);
    if (line.command == QLatin1String("voucher"))
        return runVoucher(ledger.database);

    QXDigest digest;
    if (!digest.Init(ledger.database, line.readOnly))
        return fail(
            QStringLiteral("不能打开常用摘要列表（%1）").arg(HostLedger::shownTarget(database)),
            kExitNoListing);
    try {
        digest.Show();
    } catch (const std::exception &failure) {
        return fail(QString::fromLocal8Bit(failure.what()), kExitNoListing);
    }
    return 0;
}
