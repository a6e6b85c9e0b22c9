// The picker's list as a user meets it: typed into a line edit of a dialog and into a cell of a
// table, with real keys and clicks; then what the editor, the cell and the picker's signal show.
#include "DataKitError.h"
#include "Database.h"
#include "DigestPicker.h"
#include "GridKeys.h"
#include "KvTestMain.h"
#include "NothingLeft.h"
#include "PickerPopup.h"
#include "Snapshot.h"
#include "StoredRows.h"
#include "TestDatabase.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QShortcut>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

namespace {

// Two summaries whose initials start with YH, one with YH inside, one without.
struct Ledger
{
    std::shared_ptr<DataKit::Database> db = kvtest::hostDatabase(false);
    std::unique_ptr<DigestPicker> picker;
    QStringList picked; // "code|account code" of each summary the picker reported

    Ledger()
    {
        db->Execute(
            QStringLiteral("INSERT INTO Code (cCode, cCode_Name) VALUES ('6603', '财务费用'), "
                           "('1002', '银行存款'), ('6602', '管理费用')"));
        kvtest::insertSummaries(*db, {{"01", "银行手续费", "YHSXF", "6603"},
                                      {"02", "银行汇款", "YHHK", "1002"},
                                      {"03", "报销差旅费", "BXCLF", "6602"},
                                      {"04", "现金存入银行", "XJCRYH", "1002"}});
        picker = std::make_unique<DigestPicker>(db);
        QObject::connect(picker.get(), &DigestPicker::picked, [this](const DigestMatch &match) {
            picked << match.code + QLatin1Char('|') + match.accountCode;
        });
    }
};

// A dialog with the summary box and a box after it, the focus in the first; Esc closes it through a
// shortcut, which the list must get its keys before.
struct Form
{
    QDialog dialog;
    QLineEdit *edit = new QLineEdit(&dialog);
    QLineEdit *next = new QLineEdit(&dialog);

    Form()
    {
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(edit);
        layout->addWidget(next);
        new QShortcut(Qt::Key_Escape, &dialog, &dialog, &QDialog::reject);
        dialog.resize(300, 120);
        dialog.show();
    }
};

// A voucher's lines whose summary column is edited through the picker's delegate.
struct Lines
{
    QStandardItemModel model{1, 2};
    QTableView view;

    explicit Lines(DigestPicker &picker)
    {
        model.setItem(0, 0, new QStandardItem(QStringLiteral("旧摘要")));
        view.setModel(&model);
        view.setItemDelegateForColumn(0, picker.createDelegate(&view));
        view.setCurrentIndex(model.index(0, 0));
        view.show();
    }
};

QAbstractItemView *listOf(QWidget *root)
{
    return root->findChild<QAbstractItemView *>(QStringLiteral("lstDigestPicker"));
}

// The rows shown, as "code|text|account"; none while the list is closed.
QStringList shownRows(QAbstractItemView *list)
{
    QStringList rows;
    for (int row = 0; list->isVisible() && row < list->model()->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 3; ++column)
            cells << list->model()->index(row, column).data().toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// Typed and pressed to whatever has the focus: a cell's first character opens its editor.
void type(const QString &text)
{
    for (const QChar c : text)
        kvtest::typeText(QApplication::focusWidget(), QString(c));
}

void press(const QList<int> &keys)
{
    for (const int key : keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
}

void act(QWidget *root, const QString &typed, const QList<int> &keys, int clickedRow)
{
    type(typed);
    press(keys);
    if (clickedRow < 0)
        return;
    QAbstractItemView *list = listOf(root);
    const QRect row = list->visualRect(list->model()->index(clickedRow, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
}

// Typed, then keys, then a click on a row (-1: none); the text left in the editor and the
// summaries picked ("code|account code"). A last Esc goes past the list to the window: the dialog
// closes, the cell's editor reverts.
void pickingSteps()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("clickedRow");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("picked");
    const auto row = [](const char *name, const char *typed, const QList<int> &keys, int click,
                        const char *text, const QStringList &picked) {
        QTest::newRow(name) << QString::fromUtf8(typed) << keys << click << QString::fromUtf8(text)
                            << picked;
    };
    row("Enter picks the first", "YH", {Qt::Key_Enter}, -1, "银行手续费", {"01|6603"});
    row("Return too", "YH", {Qt::Key_Return}, -1, "银行手续费", {"01|6603"});
    row("Down, Enter picks the second", "YH", {Qt::Key_Down, Qt::Key_Enter}, -1, "银行汇款",
        {"02|1002"});
    row("Up stops at the first", "YH", {Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Return}, -1,
        "银行手续费", {"01|6603"});
    row("Down stops at the last", "YH", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return},
        -1, "现金存入银行", {"04|1002"});
    row("a click picks", "YH", {}, 1, "银行汇款", {"02|1002"});
    row("Esc closes the list, Enter keeps what was typed", "YH", {Qt::Key_Escape, Qt::Key_Enter},
        -1, "YH", {});
    row("free text", "自由文字", {Qt::Key_Enter}, -1, "自由文字", {});
    row("Esc without a list is the window's", "YH", {Qt::Key_Escape, Qt::Key_Escape}, -1, "YH", {});
}

} // namespace

class tst_Picker : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KV_VERIFY_NOTHING_LEFT(); }
    void followsTheEdit();
    void picksInAnEdit_data() { pickingSteps(); }
    void picksInAnEdit();
    void picksInACell_data() { pickingSteps(); }
    void picksInACell();
    void unreadableSummariesShowNoList();
};

// Under the edit without taking its focus, asked again as the user types (not when the host sets
// the text); closed by an emptied edit, a focus gone, the edit hidden; gone with the edit.
void tst_Picker::followsTheEdit()
{
    Ledger ledger;
    Form form;
    ledger.picker->attach(form.edit);
    QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
    type(QStringLiteral("YH"));
    QAbstractItemView *list = listOf(form.edit);
    QCOMPARE(shownRows(list), (QStringList{"01|银行手续费|财务费用", "02|银行汇款|银行存款",
                                           "04|现金存入银行|银行存款"}));
    QCOMPARE(list->currentIndex().row(), 0);
    QCOMPARE(list->geometry().topLeft(), form.edit->mapToGlobal(QPoint(0, form.edit->height())));
    QVERIFY(list->width() >= form.edit->width());
    QCOMPARE(QApplication::focusWidget(), form.edit);
    kvtest::snapshot(form.dialog, QStringLiteral("picker-dialog"));
    kvtest::snapshot(*list, QStringLiteral("picker-list"));

    press({Qt::Key_Enter, Qt::Key_Backspace});
    QCOMPARE(shownRows(list), QStringList{"01|银行手续费|财务费用"});
    QTest::keySequence(form.edit, QKeySequence::SelectAll);
    type(QStringLiteral("BX"));
    QCOMPARE(shownRows(list), QStringList{"03|报销差旅费|管理费用"});
    press({Qt::Key_Return});
    QCOMPARE(ledger.picked, (QStringList{"01|6603", "03|6602"}));
    form.edit->setText(QStringLiteral("YH"));
    QVERIFY(!list->isVisible());

    press({Qt::Key_Backspace});
    QVERIFY(list->isVisible());
    press({Qt::Key_Backspace});
    QVERIFY(!list->isVisible());
    type(QStringLiteral("YH"));
    press({Qt::Key_Tab});
    QCOMPARE(QApplication::focusWidget(), form.next);
    QVERIFY(!list->isVisible());
    press({Qt::Key_Backtab});
    type(QStringLiteral("YH"));
    QVERIFY(list->isVisible());
    form.edit->hide();
    QVERIFY(!list->isVisible());
    const QPointer<QAbstractItemView> owned = list;
    delete form.edit;
    QVERIFY(owned.isNull());
}

void tst_Picker::picksInAnEdit()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, keys);
    QFETCH(int, clickedRow);
    QFETCH(QString, text);
    QFETCH(QStringList, picked);
    Ledger ledger;
    Form form;
    ledger.picker->attach(form.edit);
    QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
    act(form.edit, typed, keys, clickedRow);
    QCOMPARE(form.edit->text(), text);
    QCOMPARE(ledger.picked, picked);
    QVERIFY(!listOf(form.edit)->isVisible());
    QCOMPARE(form.edit->hasFocus(), !keys.endsWith(Qt::Key_Escape));
    QCOMPARE(form.dialog.isVisible(), !keys.endsWith(Qt::Key_Escape));
}

void tst_Picker::picksInACell()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, keys);
    QFETCH(int, clickedRow);
    QFETCH(QString, text);
    QFETCH(QStringList, picked);
    Ledger ledger;
    Lines lines(*ledger.picker);
    QVERIFY(QTest::qWaitForWindowActive(&lines.view));
    act(&lines.view, typed, keys, clickedRow);
    QTRY_VERIFY(!lines.view.findChild<QLineEdit *>());
    QCOMPARE(lines.model.item(0, 0)->text(),
             keys.endsWith(Qt::Key_Escape) ? QStringLiteral("旧摘要") : text);
    QCOMPARE(ledger.picked, picked);
    QCOMPARE(QApplication::focusWidget(), &lines.view);
}

// What cannot be read leaves the list closed and the typing alone, and says why in the log.
void tst_Picker::unreadableSummariesShowNoList()
{
    Form form;
    new PickerPopup(form.edit, [](const QString &) -> QList<DigestMatch> {
        throw DataKit::Error(DataKit::errConnectionLost, QStringLiteral("连接已断开"));
    });
    QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
    QLoggingCategory::setFilterRules(QStringLiteral("kvdigest.picker.warning=true"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^no list .* Y - .*")));
    type(QStringLiteral("Y"));
    QLoggingCategory::setFilterRules(QString());
    QCOMPARE(form.edit->text(), QStringLiteral("Y"));
    QVERIFY(!listOf(form.edit)->isVisible());
}

KV_TEST_MAIN(tst_Picker)
#include "tst_picker.moc"
