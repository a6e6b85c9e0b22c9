// kvdigest: the demo host. Opens (or creates, with demo data) a ledger database, hands it to the
// common-summaries component and shows its window; or, on the command line, imports or exports
// summaries.
#include "Database.h"
#include "HostLedger.h"
#include "MnemonicCommand.h"
#include "QXDigest.h"
#include "QtChinese.h"
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
    "       kvdigest export FILE.csv|FILE.xlsx [--database ...]\n"
    "       kvdigest --help | --version\n";

bool isCommand(const QStringList &args)
{
    return args.size() > 1 &&
           (args.at(1) == QLatin1String("import") || args.at(1) == QLatin1String("export"));
}

// Answers what is wrong with the command line, "" when nothing is.
QString parse(const QStringList &args, Options &options)
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
            return QStringLiteral("unknown option or argument: %1").arg(arg);
        }
    }
    return command && options.file.isEmpty() ? options.command + QStringLiteral(" needs a FILE")
                                             : QString();
}

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
    if (const QString problem = parse(args, options); !problem.isEmpty())
        return usageError(problem);
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
    // --help, --version, the mnemonic filter, import and export run without a display; everything
    // else is the desktop program, whose toolkit options (-platform, -style, ...) QApplication
    // takes out first.
    const QStringList raw = argumentsOf(argc, argv);
    const QString first = raw.value(1);
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (first == QLatin1String("--version")) {
        std::puts("kvdigest " KVDIGEST_VERSION);
        return 0;
    }
    Options options;
    if (first == QLatin1String("--mnemonic")) {
        parse(raw, options); // every argument after --mnemonic is a text: nothing to refuse
        return RunMnemonicCommand(options.texts, stdin, stdout);
    }

    if (isCommand(raw))
        return runTransfer(argc, argv, raw);

    QApplication app(argc, argv);
    nameApplication();
    // Qt's own buttons and dialogs speak Chinese, like the rest of the program.
    const auto qtChinese = InstallQtChinese();
    if (const QString problem = parse(QApplication::arguments(), options); !problem.isEmpty())
        return usageError(problem);
    if (options.mnemonic)
        return usageError(QStringLiteral("--mnemonic comes first"));
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
