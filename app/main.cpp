// kvdigest: the demo host. Opens (or creates, with demo data) a ledger database, hands it to the
// common-summaries component and shows its window.
#include "Database.h"
#include "HostLedger.h"
#include "MnemonicCommand.h"
#include "QXDigest.h"

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
};

const char kUsage[] =
    "usage: kvdigest [--database PATH|postgresql://[USER@][HOST][:PORT][/DB][?service=NAME]]"
    " [--read-only]\n"
    "       kvdigest --mnemonic [TEXT...]   (no TEXT: one text per line from standard input)\n";

bool parse(const QStringList &args, Options &options)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (options.mnemonic) {
            options.texts << arg;
        } else if (arg == QLatin1String("--mnemonic")) {
            options.mnemonic = true;
        } else if (arg == QLatin1String("--read-only")) {
            options.readOnly = true;
        } else if (arg == QLatin1String("--database") && i + 1 < args.size()) {
            options.database = args.at(++i);
        } else if (arg.startsWith(QLatin1String("--database="))) {
            options.database = arg.mid(11);
        } else {
            return false;
        }
    }
    return true;
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

int fail(const QString &message, int code)
{
    std::fprintf(stderr, "kvdigest: %s\n", message.toLocal8Bit().constData());
    QMessageBox::critical(nullptr, QStringLiteral("常用摘要"), message);
    return code;
}

} // namespace

int main(int argc, char **argv)
{
    // The mnemonic filter runs without a display; everything else is the desktop program, whose
    // toolkit options (-platform, -style, ...) QApplication takes out of the arguments first.
    const QStringList raw = argumentsOf(argc, argv);
    Options options;
    if (raw.size() > 1 && raw.at(1) == QLatin1String("--mnemonic")) {
        if (!parse(raw, options))
            return kExitUsage;
        return RunMnemonicCommand(options.texts, stdin, stdout);
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("kvdigest"));
    QApplication::setApplicationName(QStringLiteral("kvdigest"));
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
    } catch (const std::exception &error) {
        return fail(QString::fromLocal8Bit(error.what()), kExitNoListing);
    }
    return 0;
}
