#include "GridKeys.h"

#include "GridControl.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTableView>
#include <QTest>

namespace kvtest {

namespace {

QWidget *keyTarget(GridControl &g)
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? focus : g.view();
}

// The key a keyboard would report for a character: Qt's key codes equal the Latin-1 code points
// of the unshifted characters; anything else arrives as text only.
Qt::Key keyOf(QChar c)
{
    const char16_t code = c.toUpper().unicode();
    return code >= 0x20 && code <= 0xff && code != 0x7f ? Qt::Key(code) : Qt::Key_unknown;
}

QRect cellRect(GridControl &g, long row, long col)
{
    QTableView *view = g.view();
    const QModelIndex index = view->model()->index(int(row) - 1, int(col));
    view->scrollTo(index);
    return view->visualRect(index);
}

} // namespace

void typeInto(GridControl &g, const QString &text)
{
    typeText(keyTarget(g), text);
}

void typeText(QWidget *target, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString unit(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            unit += text.at(++i);
        QTest::sendKeyEvent(QTest::Click, target, keyOf(unit.at(0)), unit, Qt::NoModifier);
    }
}

void pasteText(QWidget *target, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
}

void pressKey(GridControl &g, Qt::Key key, Qt::KeyboardModifiers mods)
{
    QTest::keyClick(keyTarget(g), key, mods);
}

void clickCell(GridControl &g, long row, long col)
{
    const QRect cell = cellRect(g, row, col);
    // Left of centre, clear of a reference column's button.
    QTest::mouseClick(g.view()->viewport(), Qt::LeftButton, {},
                      QPoint(cell.left() + cell.width() / 4, cell.center().y()));
}

void clickHeader(GridControl &g, long col)
{
    QHeaderView *header = g.view()->horizontalHeader();
    const int x = header->sectionViewportPosition(int(col)) + header->sectionSize(int(col)) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

void clickCellButton(GridControl &g, long row, long col)
{
    // The button sits at the cell's right edge.
    const QRect cell = cellRect(g, row, col);
    QTest::mouseClick(g.view()->viewport(), Qt::LeftButton, {},
                      QPoint(cell.right() - 4, cell.center().y()));
}

} // namespace kvtest
