#pragma once

#include <QString>
#include <Qt>

class GridControl;
class QWidget;

// Acting on a GridControl the way a user does: keys go to whatever widget has the focus (the grid
// when none has), clicks land on the cell, header section or cell button.
namespace kvtest {

// Types text one character at a time; on a grid cell the first character opens the editor and the
// rest go into it. Any text works, Chinese included.
void typeInto(GridControl &g, const QString &text);
// The same, to one widget whether or not it has the focus.
void typeText(QWidget *target, const QString &text);
// Pastes text with Ctrl+V: the way a character that cannot be typed gets in.
void pasteText(QWidget *target, const QString &text);
void pressKey(GridControl &g, Qt::Key key, Qt::KeyboardModifiers mods = {});
void clickCell(GridControl &g, long row, long col);
void clickHeader(GridControl &g, long col);
void clickCellButton(GridControl &g, long row, long col);

} // namespace kvtest
