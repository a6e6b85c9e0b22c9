// The voucher screen while a user types: 收到货款 picked on the first line by its mnemonic, its
// account filled in, and YH typed into the second line's 摘要 with the picker's list open under the
// cell. The list is a window of its own, so the picture is the voucher window with the list
// painted over it where the screen shows it.
#include "Scenes.h"

#include "VoucherWindow.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QTest>

namespace {

// Keys to whatever has the focus, as a keyboard gives them: on a cell the first opens its editor.
void type(const QString &keys)
{
    for (const QChar key : keys)
        QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
}

void press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

// The list of the editor being typed into (a closed editor's may wait for its deletion).
QWidget *shownList(const QWidget &window)
{
    for (QWidget *list : window.findChildren<QWidget *>(QStringLiteral("lstDigestPicker"))) {
        if (list->isVisible())
            return list;
    }
    return nullptr;
}

} // namespace

bool shootVoucher(const std::shared_ptr<DataKit::Database> &ledger, const QString &png)
{
    VoucherWindow window(ledger);
    window.move(40, 40);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        return false;
    const auto listShown = [&window] { return shownList(window) != nullptr; };
    type(QStringLiteral("SDHK"));
    if (!QTest::qWaitFor(listShown))
        return false;
    press(Qt::Key_Return);
    press(Qt::Key_Down);
    type(QStringLiteral("YH"));
    if (!QTest::qWaitFor(listShown))
        return false;
    QWidget *list = shownList(window);
    const QRect whole = window.geometry().united(list->geometry());
    QPixmap picture(whole.size());
    picture.fill(window.palette().color(QPalette::Window));
    QPainter painter(&picture);
    painter.drawPixmap(window.geometry().topLeft() - whole.topLeft(), window.grab());
    painter.drawPixmap(list->geometry().topLeft() - whole.topLeft(), list->grab());
    painter.end();
    return picture.save(png);
}
