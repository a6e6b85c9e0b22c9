// kvscreenshot: the pictures in README.md. Shows the common-summaries window or the voucher
// screen over a new ledger with the demo data, as the demo host does, and saves it as a PNG.
//   kvscreenshot window|voucher OUT.png   (scripts/screenshot.sh runs it offscreen)
#include "Database.h"
#include "HostSchema.h"
#include "Scenes.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString scene = args.value(1);
    if (args.size() != 3 ||
        (scene != QLatin1String("window") && scene != QLatin1String("voucher"))) {
        std::fputs("usage: kvscreenshot window|voucher OUT.png\n", stderr);
        return 2;
    }
    QTemporaryDir folder;
    const auto ledger = DataKit::Database::open(folder.filePath(QStringLiteral("ledger.db")), true);
    HostSchema::create(*ledger);
    HostSchema::fillDemoData(*ledger);
    const bool saved = scene == QLatin1String("window") ? shootWindow(ledger, args.at(2))
                                                        : shootVoucher(ledger, args.at(2));
    return saved ? 0 : 1;
}
