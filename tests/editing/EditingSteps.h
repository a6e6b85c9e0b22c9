#pragma once
// Steps shared by the editing suites: a user's keystrokes on the summary window, and a short word
// for the window's editing state and its buttons, read after every step.
#include "BrowserHarness.h"
#include "Database.h"
#include "GridControl.h"
#include "GridKeys.h"
#include "frmDigBrowse.h"

#include <QLineEdit>

namespace editing {

using kvtest::BrowserHarness;

// The demo ledger: 32 summaries in rows 1..32, the blank entry row 33.
constexpr long kDemoBlankRow = 33;

// Empties the current cell through its editor: F2, select all, Backspace.
inline void eraseCell(BrowserHarness &h)
{
    h.press(Qt::Key_F2);
    h.press(Qt::Key_A, Qt::ControlModifier);
    h.press(Qt::Key_Backspace);
}

inline void goTo(BrowserHarness &h, long row, long col)
{
    kvtest::clickCell(h.grid(), row, col);
    h.settle();
}

// The four states by name, then the Add, Del, Cancel, Find, Filter buttons as +/-.
inline QString state(BrowserHarness &h)
{
    const bool add = h.window().mblnAddMark;
    const bool edit = h.window().editing();
    const char *name = add ? (edit ? "adding" : "blank") : (edit ? "editing" : "browsing");
    return QString::fromLatin1(name) + QLatin1Char(' ') + h.buttons();
}

// What the open cell editor holds; empty when none is open.
inline QString editorText(BrowserHarness &h)
{
    return h.grid().isEditing() ? h.grid().editor()->text() : QString();
}

// Code and text typed into the blank entry row, each cell committed with Tab; the cursor then
// stands in the mnemonic column with the editor closed.
inline void typeCodeAndText(BrowserHarness &h, const QString &code, const QString &text)
{
    h.type(code);
    h.press(Qt::Key_Tab);
    h.type(text);
    h.press(Qt::Key_Tab);
}

} // namespace editing
