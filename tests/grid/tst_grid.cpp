#include "GridControl.h"
#include "GridKeys.h"
#include "NothingLeft.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <functional>

using namespace kvtest;

namespace {

using Rows = QList<QStringList>;

// Records every notification with the grid's state at that moment, and lets a test answer them.
class Recorder final : public GridEvents
{
public:
    explicit Recorder(GridControl &grid)
        : m_grid(grid)
    {
        grid.setEvents(this);
    }

    std::function<void(QString &, long &)> onEdited;
    std::function<void(long &)> onLeave;
    std::function<void()> onEnter;
    std::function<void(QString &)> onButton;
    int maxDepth = 0;

    QStringList take() { return std::exchange(m_log, {}); }

    void gridCellEdited(QString &text, long &cancel, long row, long col) override
    {
        const Nested nested(*this);
        m_log << QStringLiteral("edited %1,%2 %3 cell=%4")
                     .arg(row)
                     .arg(col)
                     .arg(text, m_grid.text(row, col));
        if (onEdited)
            onEdited(text, cancel);
    }
    void gridRowLeave(long &cancel, long row, long col) override
    {
        const Nested nested(*this);
        m_log << QStringLiteral("leave %1,%2").arg(row).arg(col);
        if (onLeave)
            onLeave(cancel);
    }
    void gridEditMode(bool opening) override
    {
        const bool shown = m_grid.editor()->isVisible();
        m_log << (opening ? (shown ? "open shown" : "open hidden") : "close");
    }
    void gridRowEnter() override
    {
        const Nested nested(*this);
        m_log << QStringLiteral("enter %1,%2").arg(m_grid.currentRow()).arg(m_grid.currentColumn());
        if (onEnter)
            onEnter();
    }
    void gridCellButton(QString &text, long row, long col) override
    {
        m_log << QStringLiteral("button %1,%2 %3").arg(row).arg(col).arg(text);
        if (onButton)
            onButton(text);
    }
    void gridHeaderClick(int button, int shift, int, int) override
    {
        m_log << QStringLiteral("header %1 %2 at %3,%4")
                     .arg(button)
                     .arg(shift)
                     .arg(m_grid.currentRow())
                     .arg(m_grid.currentColumn());
    }

private:
    struct Nested
    {
        explicit Nested(Recorder &r)
            : recorder(r)
        {
            recorder.maxDepth = std::max(recorder.maxDepth, ++recorder.m_depth);
        }
        ~Nested() { --recorder.m_depth; }
        Recorder &recorder;
    };

    GridControl &m_grid;
    QStringList m_log;
    int m_depth = 0;
};

// An active window holding a four-column grid, another focusable widget, and a record of the keys
// that the grid let through.
class Window final : public QWidget
{
public:
    explicit Window(const Rows &rows)
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(&grid);
        layout->addWidget(&other);
        grid.setColumnCount(4);
        grid.setRowCount(rows.size() + 1);
        for (int row = 0; row < rows.size(); ++row) {
            for (int col = 0; col < rows[row].size(); ++col)
                grid.setText(row + 1, col, rows[row][col]);
        }
        resize(640, 400);
        show();
        activateWindow();
        if (!QTest::qWaitForWindowActive(this))
            qWarning("test window did not become active");
        grid.view()->setFocus();
        events.take();
    }

    GridControl grid{this};
    QLineEdit other{this};
    Recorder events{grid};
    QList<QKeyCombination> strayKeys;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const int key = event->key();
        if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt)
            strayKeys << event->keyCombination();
    }
};

// Three summaries and the blank entry row.
Rows sample()
{
    return {{"01", "收到货款", "SDHK", ""},
            {"02", "支付工资", "ZFGZ", "应付工资"},
            {"03", "提现", "TX", ""},
            {"", "", "", ""}};
}

// Closes the next modal box as soon as it shows.
void answerNextBox()
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            box->close();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

QString tooltipAt(GridControl &grid, long row, long col)
{
    QToolTip::hideText();
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
        return QStringLiteral("(an earlier tooltip stayed)");
    QWidget *viewport = grid.view()->viewport();
    const QPoint at = grid.view()->visualRect(grid.view()->model()->index(row - 1, col)).center();
    QHelpEvent event(QEvent::ToolTip, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

void postKey(GridControl &grid, Qt::Key key, Qt::KeyboardModifiers mods = {})
{
    QCoreApplication::postEvent(grid.view(), new QKeyEvent(QEvent::KeyPress, key, mods));
}

} // namespace

class tst_Grid : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void navigationKeys_data();
    void navigationKeys();
    void commitKeys_data();
    void commitKeys();
    void refusedEditKeepsTypedText();
    void messageBoxDuringCommitCommitsOnce();
    void focusLeavingTheGridCommits();
    void editorHonoursLimitAndExistingText();
    void otherKeysReachTheWindow();

    void rowLeaveRefusalKeepsCursor();
    void emptyLastRowLeavesSilently();
    void handlerMoveDuringRowLeaveWins();
    void programmaticMovesOnlyEnter();
    void rowEnterHandlerMovesAreNotNested();
    void queuedKeysKeepTheirOrder();

    void shiftExtendsTheSelectionEnd();
    void sortOrdersOnlyTheSelectedBlock();
    void removeRowKeepsTheCursorOnItsRow();
    void headerClickGoesToFirstRowBeforeReporting();
    void cellButtonReportsAChangedTextAsAnEdit();
    void tooltipsShowTextThatDoesNotFit();
    void redrawOffFillsLargeGridsInOneReset();
    void compactRowsKeepWhatAPlainTableKeeps();
};

void tst_Grid::cleanup()
{
    QToolTip::hideText();
    KV_VERIFY_NOTHING_LEFT();
}

void tst_Grid::navigationKeys_data()
{
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::newRow("Left") << QKeyCombination(Qt::Key_Left) << 2 << 0;
    QTest::newRow("Right") << QKeyCombination(Qt::Key_Right) << 2 << 2;
    QTest::newRow("Home") << QKeyCombination(Qt::Key_Home) << 2 << 0;
    QTest::newRow("End") << QKeyCombination(Qt::Key_End) << 2 << 3;
    QTest::newRow("Up") << QKeyCombination(Qt::Key_Up) << 1 << 1;
    QTest::newRow("Down") << QKeyCombination(Qt::Key_Down) << 3 << 1;
    QTest::newRow("PgUp") << QKeyCombination(Qt::Key_PageUp) << 1 << 1;
    QTest::newRow("PgDn") << QKeyCombination(Qt::Key_PageDown) << 4 << 1;
    QTest::newRow("Ctrl+PgUp") << (Qt::ControlModifier | Qt::Key_PageUp) << 1 << 1;
    QTest::newRow("Ctrl+PgDn") << (Qt::ControlModifier | Qt::Key_PageDown) << 4 << 1;
    QTest::newRow("Ctrl+Home") << (Qt::ControlModifier | Qt::Key_Home) << 1 << 1;
    QTest::newRow("Ctrl+End") << (Qt::ControlModifier | Qt::Key_End) << 4 << 1;
    QTest::newRow("Tab") << QKeyCombination(Qt::Key_Tab) << 2 << 2;
    QTest::newRow("Shift+Tab") << (Qt::ShiftModifier | Qt::Key_Backtab) << 2 << 0;
    QTest::newRow("Enter") << QKeyCombination(Qt::Key_Return) << 2 << 2;
}

void tst_Grid::navigationKeys()
{
    QFETCH(QKeyCombination, key);
    QFETCH(int, row);
    QFETCH(int, col);
    Window w(sample());
    w.grid.setCurrentRow(2);
    w.grid.setCurrentColumn(1);
    pressKey(w.grid, key.key(), key.keyboardModifiers());
    QCOMPARE(w.grid.currentRow(), row);
    QCOMPARE(w.grid.currentColumn(), col);
    QCOMPARE(w.grid.selectionEndRow(), row);
}

// The order of notifications for each way of finishing an edit typed into cell (2, col).
void tst_Grid::commitKeys_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QString>("cell");
    const QString open = "open hidden";
    QTest::newRow("Enter") << 0 << QKeyCombination(Qt::Key_Return)
                           << QStringList{open, "edited 2,0 xy cell=xy", "close", "enter 2,1"}
                           << "xy";
    QTest::newRow("Enter in the last column")
        << 3 << QKeyCombination(Qt::Key_Enter)
        << QStringList{open, "edited 2,3 xy cell=xy", "close"} << "xy";
    QTest::newRow("Tab wrapping") << 3 << QKeyCombination(Qt::Key_Tab)
                                  << QStringList{open, "edited 2,3 xy cell=xy", "close",
                                                 "leave 2,3", "enter 3,0"}
                                  << "xy";
    QTest::newRow("Shift+Tab wrapping")
        << 0 << (Qt::ShiftModifier | Qt::Key_Backtab)
        << QStringList{open, "edited 2,0 xy cell=xy", "close", "leave 2,0", "enter 1,3"} << "xy";
    QTest::newRow("Down") << 1 << QKeyCombination(Qt::Key_Down)
                          << QStringList{open, "edited 2,1 xy cell=xy", "close", "leave 2,1",
                                         "enter 3,1"}
                          << "xy";
    QTest::newRow("Ctrl+PgUp") << 1 << (Qt::ControlModifier | Qt::Key_PageUp)
                               << QStringList{open, "edited 2,1 xy cell=xy", "close", "leave 2,1",
                                              "enter 1,1"}
                               << "xy";
    QTest::newRow("Esc") << 0 << QKeyCombination(Qt::Key_Escape) << QStringList{open, "close"}
                         << "02";
}

void tst_Grid::commitKeys()
{
    QFETCH(int, col);
    QFETCH(QKeyCombination, key);
    QFETCH(QStringList, log);
    QFETCH(QString, cell);
    Window w(sample());
    w.grid.setCurrentRow(2);
    w.grid.setCurrentColumn(col);
    w.events.take();
    typeInto(w.grid, "xy");
    QVERIFY(w.grid.isEditing());
    QCOMPARE(QApplication::focusWidget(), w.grid.editor());
    pressKey(w.grid, key.key(), key.keyboardModifiers());
    QCOMPARE(w.events.take(), log);
    QCOMPARE(w.grid.text(2, col), cell);
    QVERIFY(!w.grid.isEditing());
    QCOMPARE(QApplication::focusWidget(), w.grid.view());
}

// A refused edit loses nothing: the cell keeps its old text, the editor what was typed, and the
// move that would have followed does not happen. Accepting takes the handler's replacement.
void tst_Grid::refusedEditKeepsTypedText()
{
    Window w(sample());
    w.events.onEdited = [](QString &text, long &cancel) {
        text = "ignored";
        cancel = 1;
    };
    typeInto(w.grid, "bad");
    pressKey(w.grid, Qt::Key_Down);
    clickCell(w.grid, 3, 1);
    QCOMPARE(w.events.take(),
             (QStringList{"open hidden", "edited 1,0 bad cell=bad", "edited 1,0 bad cell=bad"}));
    QCOMPARE(w.grid.text(1, 0), "01");
    QVERIFY(w.grid.isEditing());
    QCOMPARE(w.grid.editor()->text(), "bad");
    QCOMPARE(w.grid.currentRow(), 1);

    w.events.onEdited = [](QString &text, long &) { text = text.toUpper(); };
    pressKey(w.grid, Qt::Key_Return);
    QCOMPARE(w.events.take(), (QStringList{"edited 1,0 bad cell=bad", "close", "enter 1,1"}));
    QCOMPARE(w.grid.text(1, 0), "BAD");
}

// The handler's message box takes the focus from the editor; that must not commit a second time,
// and the click that started it must not move the cursor.
void tst_Grid::messageBoxDuringCommitCommitsOnce()
{
    Window w(sample());
    w.events.onEdited = [&w](QString &, long &cancel) {
        answerNextBox();
        QMessageBox::warning(&w, "grid", "refused");
        cancel = 1;
    };
    typeInto(w.grid, "x");
    clickCell(w.grid, 3, 0);
    QCOMPARE(w.events.take(), (QStringList{"open hidden", "edited 1,0 x cell=x"}));
    QVERIFY(w.grid.isEditing());
    QCOMPARE(w.grid.currentRow(), 1);
    QCOMPARE(w.focusWidget(), w.grid.editor());
}

void tst_Grid::focusLeavingTheGridCommits()
{
    Window w(sample());
    typeInto(w.grid, "7");
    QTest::mouseClick(&w.other, Qt::LeftButton);
    QCOMPARE(w.events.take(), (QStringList{"open hidden", "edited 1,0 7 cell=7", "close"}));
    QCOMPARE(QApplication::focusWidget(), &w.other);
}

void tst_Grid::editorHonoursLimitAndExistingText()
{
    Window w(sample());
    w.grid.setColumnInputLimit(1, 6);
    w.grid.setCurrentColumn(1);
    typeInto(w.grid, "收到货款收到货款");
    pressKey(w.grid, Qt::Key_Return);
    QCOMPARE(w.grid.text(1, 1), "收到货款收到");
    w.grid.setText(1, 1, "收到货款收到货款");
    w.grid.setCurrentColumn(1);
    pressKey(w.grid, Qt::Key_F2); // a longer text already there is kept whole
    typeInto(w.grid, "款");
    pressKey(w.grid, Qt::Key_Return);
    QCOMPARE(w.grid.text(1, 1), "收到货款收到货款");

    pressKey(w.grid, Qt::Key_F2); // on "SDHK"
    typeInto(w.grid, "X");
    pressKey(w.grid, Qt::Key_Return);
    QCOMPARE(w.grid.text(1, 2), "SDHKX");

    clickCell(w.grid, 2, 0);
    const QRect cell = w.grid.view()->visualRect(w.grid.view()->model()->index(1, 0));
    QTest::mouseDClick(w.grid.view()->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(w.grid.isEditing());
    QCOMPARE(w.grid.editor()->text(), "02");
    pressKey(w.grid, Qt::Key_Escape);

    // Input-method text opens the editor like a typed character.
    QInputMethodEvent composed;
    composed.setCommitString("提");
    QApplication::sendEvent(w.grid.view(), &composed);
    QCOMPARE(w.grid.editor()->text(), "提");
}

void tst_Grid::otherKeysReachTheWindow()
{
    Window w(sample());
    pressKey(w.grid, Qt::Key_D, Qt::ControlModifier);
    pressKey(w.grid, Qt::Key_F5);
    pressKey(w.grid, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(w.strayKeys,
             (QList<QKeyCombination>{Qt::ControlModifier | Qt::Key_D, QKeyCombination(Qt::Key_F5),
                                     Qt::AltModifier | Qt::Key_Down}));
    QCOMPARE(w.events.take(), QStringList());

    // While a cell is edited, keys sent to the view are the editor's, and what the editor leaves
    // reaches the window once.
    typeInto(w.grid, "ab");
    QTest::keyClick(w.grid.view(), Qt::Key_Backspace);
    QCOMPARE(w.grid.editor()->text(), "a");
    w.strayKeys.clear();
    pressKey(w.grid, Qt::Key_F5);
    QCOMPARE(w.strayKeys, QList<QKeyCombination>{QKeyCombination(Qt::Key_F5)});
}

void tst_Grid::rowLeaveRefusalKeepsCursor()
{
    Window w(sample());
    w.grid.setCurrentRow(2);
    w.events.take();
    w.events.onLeave = [](long &cancel) { cancel = 1; };
    pressKey(w.grid, Qt::Key_Down);
    clickCell(w.grid, 3, 2);
    clickHeader(w.grid, 1);
    QCOMPARE(w.events.take(), (QStringList{"leave 2,0", "leave 2,0", "leave 2,0"}));
    QCOMPARE(w.grid.currentRow(), 2);
    QCOMPARE(w.grid.currentColumn(), 0);
}

// The untouched entry row at the bottom is left without asking; once anything is in it, leaving
// it asks like any other row.
void tst_Grid::emptyLastRowLeavesSilently()
{
    Window w(sample());
    w.grid.setCurrentRow(4);
    w.events.take();
    pressKey(w.grid, Qt::Key_Up);
    QCOMPARE(w.events.take(), QStringList{"enter 3,0"});
    pressKey(w.grid, Qt::Key_Down);
    typeInto(w.grid, "9");
    pressKey(w.grid, Qt::Key_Return);
    pressKey(w.grid, Qt::Key_Up);
    QCOMPARE(w.events.take(),
             (QStringList{"leave 3,0", "enter 4,0", "open hidden", "edited 4,0 9 cell=9", "close",
                          "enter 4,1", "leave 4,1", "enter 3,1"}));
}

// Saving a new row appends another and moves there from inside the row-leave handler; the
// grid must not then carry out the user's own move on top of it.
void tst_Grid::handlerMoveDuringRowLeaveWins()
{
    Window w(sample());
    w.events.onLeave = [&w](long &) {
        w.grid.setRowCount(w.grid.rowCount() + 1);
        w.grid.setCurrentRow(w.grid.rowCount() - 1);
    };
    pressKey(w.grid, Qt::Key_Down);
    QCOMPARE(w.events.take(), (QStringList{"leave 1,0", "enter 5,0"}));
    QCOMPARE(w.grid.currentRow(), 5);
}

void tst_Grid::programmaticMovesOnlyEnter()
{
    Window w(sample());
    w.grid.setCurrentRow(3);
    w.grid.setCurrentRow(3);
    w.grid.setCurrentColumn(2);
    w.grid.setCurrentColumn(9);
    w.grid.setRowCount(3);
    w.grid.setRowCount(1);
    QCOMPARE(w.grid.currentRow(), 0);
    w.grid.setRowCount(3);
    QCOMPARE(w.events.take(), (QStringList{"enter 3,0", "enter 3,2", "enter 3,3", "enter 2,3",
                                           "enter 0,3", "enter 1,3"}));
}

void tst_Grid::rowEnterHandlerMovesAreNotNested()
{
    Window w(sample());
    w.events.onEnter = [&w] {
        if (w.grid.currentRow() == 2)
            w.grid.setCurrentRow(3);
    };
    pressKey(w.grid, Qt::Key_Down);
    QCOMPARE(w.events.take(), (QStringList{"leave 1,0", "enter 2,0", "enter 3,0"}));
    QCOMPARE(w.events.maxDepth, 1);
}

// Keystrokes queued for the grid act as typed ones, in order, even when a handler runs a nested
// event loop (a message box) while they wait.
void tst_Grid::queuedKeysKeepTheirOrder()
{
    Window w(sample());
    w.grid.setCurrentRow(2);
    w.events.take();
    bool refuse = true;
    w.events.onLeave = [&](long &cancel) {
        if (!std::exchange(refuse, false))
            return;
        answerNextBox();
        QMessageBox::information(&w, "grid", "wait");
        cancel = 1;
    };
    postKey(w.grid, Qt::Key_Up);
    postKey(w.grid, Qt::Key_Down);
    postKey(w.grid, Qt::Key_PageDown, Qt::ControlModifier);
    QTRY_COMPARE(w.grid.currentRow(), 4);
    QCOMPARE(w.events.take(),
             (QStringList{"leave 2,0", "leave 2,0", "enter 3,0", "leave 3,0", "enter 4,0"}));
    QCOMPARE(w.events.maxDepth, 1);
}

void tst_Grid::shiftExtendsTheSelectionEnd()
{
    Window w(sample());
    w.grid.setCurrentRow(2);
    w.events.take();
    pressKey(w.grid, Qt::Key_Down, Qt::ShiftModifier);
    pressKey(w.grid, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(w.grid.selectionEndRow(), 4);
    for (int i = 0; i < 4; ++i)
        pressKey(w.grid, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(w.grid.selectionEndRow(), 1);
    const QRect row3 = w.grid.view()->visualRect(w.grid.view()->model()->index(2, 1));
    QTest::mouseClick(w.grid.view()->viewport(), Qt::LeftButton, Qt::ShiftModifier, row3.center());
    QCOMPARE(w.grid.selectionEndRow(), 3);
    QCOMPARE(w.grid.currentRow(), 2);
    QCOMPARE(w.events.take(), QStringList());

    pressKey(w.grid, Qt::Key_Down);
    QCOMPARE(w.grid.currentRow(), 3);
    QCOMPARE(w.grid.selectionEndRow(), 3);
}

void tst_Grid::sortOrdersOnlyTheSelectedBlock()
{
    Window w({{"c", "3"}, {"a", "1"}, {"d", "4"}, {"b", "2"}, {}});
    const auto column = [&w](long col) {
        QStringList texts;
        for (long row = 1; row < w.grid.rowCount(); ++row)
            texts << w.grid.text(row, col);
        return texts;
    };
    w.grid.setCurrentRow(4);
    w.grid.setSelectionEndRow(2); // upwards from the cursor
    w.grid.setSort(1);
    QCOMPARE(column(0), (QStringList{"c", "a", "b", "d", ""}));
    QCOMPARE(column(1), (QStringList{"3", "1", "2", "4", ""}));

    w.grid.setCurrentRow(1);
    w.grid.setSelectionEndRow(4);
    w.grid.setSort(2);
    QCOMPARE(column(0), (QStringList{"c", "a", "b", "d", ""}));
    w.grid.setSort(1);
    QCOMPARE(column(0), (QStringList{"a", "b", "c", "d", ""}));
}

void tst_Grid::removeRowKeepsTheCursorOnItsRow()
{
    Window w({{"01"}, {"02"}, {"03"}, {"04"}, {"05"}});
    w.grid.setCurrentRow(3);
    w.events.take();
    w.grid.removeRow(5);
    QCOMPARE(w.events.take(), QStringList());
    w.grid.removeRow(1);
    QCOMPARE(w.events.take(), QStringList{"enter 2,0"});
    QCOMPARE(w.grid.text(2, 0), "03");
    w.grid.removeRow(2);
    QCOMPARE(w.events.take(), QStringList{"enter 2,0"});
    QCOMPARE(w.grid.text(2, 0), "04");
    QCOMPARE(w.grid.rowCount(), 3);
}

void tst_Grid::headerClickGoesToFirstRowBeforeReporting()
{
    Window w(sample());
    w.grid.setCurrentRow(3);
    w.grid.setCurrentColumn(2);
    w.grid.setSelectionEndRow(1);
    w.events.take();
    clickHeader(w.grid, 1);
    QCOMPARE(w.events.take(), (QStringList{"leave 3,2", "enter 1,1", "header 1 0 at 1,1"}));
    QCOMPARE(w.grid.mouseRow(), 0);
    QCOMPARE(w.grid.selectionEndRow(), 1);
}

void tst_Grid::cellButtonReportsAChangedTextAsAnEdit()
{
    Window w(sample());
    w.grid.setReferenceColumn(3);
    w.events.onButton = [](QString &text) { text = "银行存款"; };
    clickCellButton(w.grid, 2, 3);
    QCOMPARE(w.events.take(),
             (QStringList{"leave 1,0", "enter 2,3", "button 2,3 应付工资", "open hidden",
                          "edited 2,3 银行存款 cell=银行存款", "close"}));
    QCOMPARE(w.grid.text(2, 3), "银行存款");

    w.events.onButton = nullptr; // nothing chosen: no edit
    pressKey(w.grid, Qt::Key_F3);
    QCOMPARE(w.events.take(), QStringList{"button 2,3 银行存款"});

    w.events.onButton = [](QString &text) { text = "x"; };
    w.events.onEdited = [](QString &, long &cancel) { cancel = 1; };
    pressKey(w.grid, Qt::Key_F3);
    QCOMPARE(w.grid.text(2, 3), "银行存款");

    w.grid.setCurrentColumn(0); // no button there
    w.events.take();
    pressKey(w.grid, Qt::Key_F3);
    QCOMPARE(w.events.take(), QStringList());
}

// Any column, whatever its flag, cuts a text too wide for it with "…" and shows it whole as the
// tooltip; a text that fits shows whole, without one.
void tst_Grid::tooltipsShowTextThatDoesNotFit()
{
    Window w(sample());
    const QString longText(80, QChar(u'账'));
    w.grid.setText(1, 1, longText);
    w.grid.setText(1, 2, longText);
    w.grid.setColumnFlag(0, 0);
    w.grid.setColumnFlag(1, 0);
    w.grid.setColumnFlag(2, 1);
    for (long col : {1, 2}) {
        QVERIFY(tooltipAt(w.grid, 1, col).contains(longText));
        QVERIFY(w.grid.shownText(1, col).endsWith(QChar(u'…')));
    }
    QVERIFY(tooltipAt(w.grid, 1, 0).isEmpty());
    QCOMPARE(w.grid.shownText(1, 0), QStringLiteral("01"));
}

// Filling with redraw off tells the view nothing per row: one reset when redraw comes back.
void tst_Grid::redrawOffFillsLargeGridsInOneReset()
{
    Window w({});
    QAbstractItemModel *model = w.grid.view()->model();
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    w.grid.setColumnWidth(1, 1440);
    w.grid.setRedraw(false);
    for (long row = 1; row <= 100000; ++row) {
        w.grid.setRowCount(row + 1);
        for (long col = 0; col < 4; ++col)
            w.grid.setText(row, col, QString::number(row * 10 + col));
    }
    w.grid.removeRow(1);
    w.grid.setRedraw(true);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model->rowCount(), 99999);
    QCOMPARE(w.grid.text(1, 0), "20");
    QCOMPARE(w.grid.text(99999, 3), "1000003");
    QCOMPARE(w.grid.view()->horizontalHeader()->sectionSize(1), w.grid.logicalDpiX());

    pressKey(w.grid, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(w.grid.currentRow(), 99999);
    const QRect last = w.grid.view()->visualRect(model->index(99998, 0));
    QVERIFY(w.grid.view()->viewport()->rect().contains(last));
}

// The compact rows across many blocks of row starts, against a plain table: rows appended in one
// go (the last column's texts kept once in the pool), cells changed (the row written anew), rows
// removed and dropped at the end, an ASCII column sorted, all read back cell by cell and in one
// pass. Fixed seed.
void tst_Grid::compactRowsKeepWhatAPlainTableKeeps()
{
    Window w({});
    QRandomGenerator random(20240613);
    const QStringList texts = {"", "收到货款", "A1 b", "报销差旅费，含住宿", "😀"};
    Rows table;
    GridRows rows;
    for (int i = 0; i < 7000; ++i) {
        const QStringList row = {QString::number(random.bounded(100000)),
                                 texts[random.bounded(int(texts.size()))], QString(),
                                 texts[random.bounded(int(texts.size()))]};
        const QByteArray utf8[4] = {row[0].toUtf8(), row[1].toUtf8(), row[2].toUtf8(),
                                    row[3].toUtf8()};
        const QByteArrayView cells[4] = {utf8[0], utf8[1], utf8[2], utf8[3]};
        rows.append(cells, 4, 1u << 3);
        table << row;
    }
    w.grid.appendRows(rows);
    for (int step = 0; step < 3000; ++step) {
        const long row = 1 + long(random.bounded(int(table.size())));
        switch (random.bounded(5)) {
        case 0:
            w.grid.removeRow(row);
            table.removeAt(row - 1);
            break;
        case 1: {
            const QString text = texts[random.bounded(int(texts.size()))] + QString::number(step);
            w.grid.setText(row, 2, text);
            table[row - 1][2] = text;
            break;
        }
        case 2:
            w.grid.setRowCount(w.grid.rowCount() - 1 + long(random.bounded(3)));
            while (table.size() + 1 > w.grid.rowCount())
                table.removeLast();
            while (table.size() + 1 < w.grid.rowCount())
                table << QStringList({"", "", "", ""});
            break;
        case 3: {
            const long last = std::min(long(table.size()), row + long(random.bounded(3000)));
            w.grid.setCurrentRow(row);
            w.grid.setCurrentColumn(0);
            w.grid.setSelectionEndRow(last);
            w.grid.setSort(1);
            std::stable_sort(
                table.begin() + row - 1, table.begin() + last,
                [](const QStringList &a, const QStringList &b) { return a[0] < b[0]; });
            break;
        }
        default:
            QCOMPARE(w.grid.text(row, 3), table[row - 1][3]);
        }
    }
    Rows read;
    w.grid.readRows(1, w.grid.rowCount() - 1, [&](const QByteArrayView *cells, int count) {
        QStringList row;
        for (int col = 0; col < 4; ++col)
            row << (col < count ? QString::fromUtf8(cells[col]) : QString());
        read << row;
        return true;
    });
    QCOMPARE(read, table);
    for (long row = 1; row <= long(table.size()); row += 97)
        QCOMPARE(w.grid.text(row, 1), table[row - 1][1]);
}

QTEST_MAIN(tst_Grid)
#include "tst_grid.moc"
