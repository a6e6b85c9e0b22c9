// kvdigest: the demo host. Opens (or creates, with demo data) a ledger database, hands it to the
// common-summaries component and shows its window; or, on the command line, imports or exports
// summaries.
#include "Database.h"
#include "HostLedger.h"
#include "MnemonicCommand.h"
#include "QXDigest.h"
#include "TransferCommand.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStringList>
#include <cstdio>

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitNoDatabase = 3;
constexpr int kExitNoListing = 4;

struct Options
{
    QString database;
    bool readOnly = false;
    bool mnemonic = false;
    QStringList texts;
    QString command; // "import" or "export"
    QString file;
    bool dryRun = false;
    bool strict = false;
};

const char kUsage[] =
    "usage: kvdigest [--database PATH|postgresql://[USER@][HOST][:PORT][/DB][?service=NAME]]"
    " [--read-only]\n"
    "       kvdigest --mnemonic [TEXT...]   (no TEXT: one text per line from standard input)\n"
    "       kvdigest import FILE.csv [--dry-run] [--strict] [--database ...]\n"
    "       kvdigest export FILE.csv|FILE.xlsx [--database ...]\n";

bool isCommand(const QStringList &args)
{
    return args.size() > 1 &&
           (args.at(1) == QLatin1String("import") || args.at(1) == QLatin1String("export"));
}

bool parse(const QStringList &args, Options &options)
{
    if (isCommand(args))
        options.command = args.at(1);
    const bool command = !options.command.isEmpty();
    const bool import = options.command == QLatin1String("import");
    for (qsizetype i = command ? 2 : 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (options.mnemonic) {
            options.texts << arg;
        } else if (arg == QLatin1String("--mnemonic") && !command) {
            options.mnemonic = true;
        } else if (command && options.file.isEmpty() && !arg.startsWith(u'-')) {
            options.file = arg;
        } else if (arg == QLatin1String("--dry-run") && import) {
            options.dryRun = true;
        } else if (arg == QLatin1String("--strict") && import) {
            options.strict = true;
        } else if (arg == QLatin1String("--read-only") && !command) {
            options.readOnly = true;
        } else if (arg == QLatin1String("--database") && i + 1 < args.size()) {
            options.database = args.at(++i);
        } else if (arg.startsWith(QLatin1String("--database="))) {
            options.database = arg.mid(11);
        } else {
            return false;
        }
    }
    return !command || !options.file.isEmpty();
}

QStringList argumentsOf(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

QString defaultLedger()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return dir + QStringLiteral("/ledger.db");
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
int runTransfer(int argc, char **argv, const QStringList &args)
{
    QCoreApplication app(argc, argv);
    nameApplication();
    Options options;
    if (!parse(args, options)) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const HostLedger::Opened ledger =
        HostLedger::open(options.database.isEmpty() ? defaultLedger() : options.database);
    if (!ledger.database)
        return say(ledger.problem, kExitNoDatabase);
    if (options.command == QLatin1String("export"))
        return RunExportCommand(ledger.database, options.file);
    return RunImportCommand(ledger.database, options.file, options.dryRun, options.strict);
}

} // namespace

int main(int argc, char **argv)
{
    // The mnemonic filter, import and export run without a display; everything else is the desktop
    // program, whose toolkit options (-platform, -style, ...) QApplication takes out first.
    const QStringList raw = argumentsOf(argc, argv);
    Options options;
    if (raw.size() > 1 && raw.at(1) == QLatin1String("--mnemonic")) {
        if (!parse(raw, options))
            return kExitUsage;
        return RunMnemonicCommand(options.texts, stdin, stdout);
    }

    if (isCommand(raw))
        return runTransfer(argc, argv, raw);

    QApplication app(argc, argv);
    nameApplication();
    if (!parse(QApplication::arguments(), options) || options.mnemonic) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (options.database.isEmpty())
        options.database = defaultLedger();

    const HostLedger::Opened ledger = HostLedger::open(options.database);
    if (!ledger.database)
        return fail(ledger.problem, kExitNoDatabase);

    QXDigest digest;
    if (!digest.Init(ledger.database, options.readOnly))
        return fail(QStringLiteral("不能打开常用摘要列表（%1）")
                        .arg(HostLedger::shownTarget(options.database)),
                    kExitNoListing);
    try {
        digest.Show();
    } catch (const std::exception &failure) {
        return fail(QString::fromLocal8Bit(failure.what()), kExitNoListing);
    }
    return 0;
}
