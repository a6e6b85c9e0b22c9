// kvscreenshot: the picture of the window in README.md. Shows the window over a new ledger with
// the demo data, as the demo host does, and saves it as a PNG once it has settled.
//   kvscreenshot OUT.png   (scripts/screenshot.sh runs it offscreen)
#include "Database.h"
#include "HostSchema.h"
#include "QXDigest.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fputs("usage: kvscreenshot OUT.png\n", stderr);
        return 2;
    }
    QTemporaryDir folder;
    const auto ledger = DataKit::Database::open(folder.filePath(QStringLiteral("ledger.db")), true);
    HostSchema::create(*ledger);
    HostSchema::fillDemoData(*ledger);
    QXDigest digest;
    if (!digest.Init(ledger, false))
        return 1;
    bool saved = false;
    // The window's load queues keystrokes and a repaint: take the picture once they are through.
    QTimer::singleShot(1000, [&] {
        if (QWidget *window = QApplication::activeModalWidget()) {
            saved = window->grab().save(args.at(1));
            window->close();
        }
    });
    digest.Show();
    return saved ? 0 : 1;
}
