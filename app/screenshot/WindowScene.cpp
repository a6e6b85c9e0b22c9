// The common-summaries window as the demo host shows it.
#include "Scenes.h"

#include "QXDigest.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

bool shootWindow(const std::shared_ptr<DataKit::Database> &ledger, const QString &png)
{
    QXDigest digest;
    if (!digest.Init(ledger, false))
        return false;
    bool saved = false;
    // The window's load queues keystrokes and a repaint: take the picture once they are through.
    QTimer::singleShot(1000, [&] {
        if (QWidget *window = QApplication::activeModalWidget()) {
            saved = window->grab().save(png);
            window->close();
        }
    });
    digest.Show();
    return saved;
}
