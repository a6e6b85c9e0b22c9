// A host of the common-summaries component: it opens its ledger (an SQLite file here; a
// postgresql:// URL works the same), makes the two tables the component reads when they are
// missing, and shows the component's window over its own main window.
//   digest-host LEDGER [--close-when-shown]
#include <Database.h>
#include <QXDigest.h>

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fputs("usage: digest-host LEDGER [--close-when-shown]\n", stderr);
        return 2;
    }
    try {
        const auto ledger = DataKit::Database::open(args.at(1), /*createIfMissing=*/true);
        // The host owns the chart of accounts and the summaries.
        ledger->Execute("CREATE TABLE IF NOT EXISTS Code(cCode VARCHAR(40) PRIMARY KEY, "
                        "cCode_Name VARCHAR(60))");
        ledger->Execute("CREATE TABLE IF NOT EXISTS GL_bDigest(cId VARCHAR(6) PRIMARY KEY, "
                        "cText VARCHAR(60), chelp VARCHAR(60), cCode VARCHAR(40))");

        QMainWindow window;
        window.setWindowTitle("Ledger");
        window.resize(800, 600);
        window.show();

        QXDigest digest;
        if (!digest.Init(ledger, /*blnread=*/false)) {
            std::fputs("the summaries cannot be opened\n", stderr);
            return 1;
        }
        // For unattended runs: close the window as the user would, once it is up.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget *shown = QApplication::activeModalWidget())
                shown->close();
        });
        if (args.contains("--close-when-shown"))
            closer.start(100);
        digest.Show(&window); // modal; returns when the window is closed
        std::puts("the summaries window was shown and closed");
        return 0;
    } catch (const std::exception &failure) { // DataKit::Error among others
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
}
