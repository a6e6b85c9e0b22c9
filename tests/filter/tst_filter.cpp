// The find/filter dialog and the Find and Filter commands, driven as a user drives them: typing
// and pasting into the boxes, the value lists, Enter and the buttons; the toolbar and Ctrl+K.
#include "Beep.h"
#include "BrowserHarness.h"
#include "Database.h"
#include "GridKeys.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"
#include "frmFilter.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using kvtest::BrowserHarness;

namespace {

const QString kFind = QStringLiteral("查找条件");
const QString kFilter = QStringLiteral("过滤条件");
const QString kHeld = QStringLiteral("别的用户以独占方式打开数据库，不能打开表！");
const char *const kBoxes[] = {"cboId", "cboText", "cboCode"};

QComboBox *box(QWidget &dialog, const char *name)
{
    return dialog.findChild<QComboBox *>(QLatin1String(name));
}

QString statusLine()
{
    return frmDigBrowse::instance().findChild<QLabel *>(QStringLiteral("lblStatus"))->text();
}

void click(QWidget &dialog, const char *name)
{
    QTest::mouseClick(dialog.findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
}

// Code, text and account into their boxes; an apostrophe cannot be typed, so it is pasted.
void fill(QWidget &dialog, const QStringList &values)
{
    for (int i = 0; i < values.size(); ++i) {
        if (values[i].contains(QLatin1Char('\'')))
            kvtest::pasteText(box(dialog, kBoxes[i]), values[i]);
        else
            kvtest::typeText(box(dialog, kBoxes[i]), values[i]);
    }
}

void answer(kvtest::ModalDriver &modal, const QString &caption, const QStringList &values,
            const char *button = "cmdYes")
{
    modal.expectDialog([=](QWidget *dialog) {
        QCOMPARE(dialog->windowTitle(), caption);
        fill(*dialog, values);
        click(*dialog, button);
    });
}

} // namespace

class tst_Filter : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KV_VERIFY_NOTHING_LEFT(); }
    void conditionFromTheBoxes_data();
    void conditionFromTheBoxes();
    void dialogKeysAndValueLists();
    void findAndFilter();
    void valuesAreMatchedLiterally();
};

void tst_Filter::conditionFromTheBoxes_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("condition");
    const QString z = QStringLiteral("(cCode_Name='Z' or  GL_bDigest.cCode='Z')");
    QTest::newRow("none") << QStringList{"", "", ""} << "";
    QTest::newRow("code") << QStringList{"X", "", ""} << "cId='X'";
    QTest::newRow("text") << QStringList{"", "Y", ""} << "cText='Y'";
    QTest::newRow("account") << QStringList{"", "", "Z"} << z;
    QTest::newRow("code, text") << QStringList{"X", "Y", ""} << "cId='X' And cText='Y'";
    QTest::newRow("code, account") << QStringList{"X", "", "Z"} << "cId='X' And " + z;
    QTest::newRow("text, account") << QStringList{"", "Y", "Z"} << "cText='Y' And " + z;
    QTest::newRow("all") << QStringList{"X", "Y", "Z"} << "cId='X' And cText='Y' And " + z;
    QTest::newRow("apostrophe") << QStringList{"", "O'Neil Ltd"} << "cText='O''Neil Ltd'";
    QTest::newRow("pattern characters") << QStringList{"5%_\\"} << "cId='5%_\\'";
    QTest::newRow("blanks") << QStringList{"", "  "} << "cText='  '";
}

void tst_Filter::conditionFromTheBoxes()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, condition);
    frmFilter d(kvtest::hostDatabase(), QString(), nullptr);
    d.show();
    fill(d, boxes);
    click(d, "cmdYes");
    QCOMPARE(d.strSel, condition);
}

void tst_Filter::dialogKeysAndValueLists()
{
    const auto db = kvtest::hostDatabase();
    kvtest::insertSummaries(*db, {{"40", "收到货款", "", "1002"}, {"41", "", "", "9999"}});
    frmFilter d(db, QStringLiteral(":/kvdigest/help/digest.html"), nullptr);
    d.show();
    kvtest::ModalDriver modal;
    const long beeps = BeepCount();
    kvtest::typeText(box(d, "cboId"), QStringLiteral("a'b|c"));
    QCOMPARE(BeepCount(), beeps + 2);
    QCOMPARE(box(d, "cboId")->currentText(), QStringLiteral("abc"));
    // Enter moves along the tab order and presses no button; Esc does nothing; F1 is help.
    for (const char *next : {"cboText", "cboCode", "cmdYes", "cmdNo", "cmdValue1", "cmdValue2",
                             "cmdValue3", "cboId"}) {
        QTest::keyClick(d.focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(d.focusWidget()->objectName(), QString::fromLatin1(next));
    }
    QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
    QTest::keyClick(d.focusWidget(), Qt::Key_F1);
    QTRY_VERIFY(d.findChild<QDialog *>(QStringLiteral("helpViewer"))->isVisible());
    QVERIFY(d.isVisible() && box(d, "cboId")->count() == 0);

    // Distinct (value, account name) pairs, nothing empty: 收到货款 twice, 41 and no account not
    // at all. Typed text gives way. Pressed again after another user's change: as stored now.
    click(d, "cmdValue2");
    QCOMPARE(box(d, "cboText")->count(), 33);
    click(d, "cmdValue3");
    QCOMPARE(box(d, "cboCode")->itemText(1), QStringLiteral("银行存款"));
    QCOMPARE(box(d, "cboCode")->itemText(2), QStringLiteral("应收账款"));
    kvtest::typeText(box(d, "cboText"), QStringLiteral("打了字"));
    kvtest::OtherUser()->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId='40'"));
    click(d, "cmdValue2");
    QCOMPARE(box(d, "cboText")->count(), 32);
    QCOMPARE(box(d, "cboText")->currentText(), QString());

    // A list that cannot be read says why; the box keeps what it had.
    kvtest::OtherUser other;
    other.holdTable();
    modal.expectMessage(kHeld, QMessageBox::Critical);
    click(d, "cmdValue1");
    KV_VERIFY_MODALS(modal);
    QCOMPARE(box(d, "cboId")->currentText(), QStringLiteral("abc"));
    other.release();

    // Picked with the keyboard: the arrows walk the list.
    QTest::keyClick(box(d, "cboText"), Qt::Key_Down);
    click(d, "cmdYes");
    QCOMPARE(d.strSel,
             QStringLiteral("cId='abc' And cText='%1'").arg(box(d, "cboText")->itemText(0)));
    // Cancel and the close box leave no condition, whatever the boxes hold.
    d.strSel.clear();
    d.show();
    click(d, "cmdNo");
    QVERIFY(!d.isVisible() && d.strSel.isEmpty());
    d.show();
    d.close();
    QVERIFY(!d.isVisible() && d.strSel.isEmpty());
}

void tst_Filter::findAndFilter()
{
    kvtest::OpenBrowser h;
    kvtest::ModalDriver modal;
    answer(modal, kFind, {"", "", "管理费用"});
    kvtest::pressKey(h.grid(), Qt::Key_K, Qt::ControlModifier);
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().currentRow(), 5L);
    answer(modal, kFind, {"09", "发放工资"});
    modal.expectMessage(QStringLiteral("没有符合条件的记录"), QMessageBox::Critical);
    h.click(QStringLiteral("TlbFind"));
    answer(modal, kFind, {"20"}, "cmdNo");
    h.click(QStringLiteral("TlbFind"));
    QCOMPARE(h.grid().currentRow(), 5L);

    answer(modal, kFilter, {"", "", "2211"});
    h.click(QStringLiteral("TlbFilter"));
    QCOMPARE(h.codes(), QStringList({"09", "10"}));
    QVERIFY(!h.window().mblnAddMark);
    QVERIFY(statusLine().startsWith(QStringLiteral("2 条 / 共 32 条    过滤中")));
    // Found, but hidden by the filter: nothing moves and nothing is said.
    answer(modal, kFind, {"05"});
    h.click(QStringLiteral("TlbFind"));
    QCOMPARE(h.grid().currentRow(), 1L);
    // Matching nothing, or refused by the database (said why): the blank entry row alone.
    answer(modal, kFilter, {"", "没有这条"});
    h.click(QStringLiteral("TlbFilter"));
    QCOMPARE(h.grid().rowCount(), 2L);
    QVERIFY(h.window().mblnAddMark);
    QCOMPARE(h.buttons(), QStringLiteral("---++"));
    h.click(QStringLiteral("TlbRefresh"));
    kvtest::OtherUser other;
    other.holdTable();
    answer(modal, kFilter, {"01"});
    modal.expectMessage(kHeld, QMessageBox::Critical);
    h.click(QStringLiteral("TlbFilter"));
    KV_VERIFY_MODALS(modal);
    QCOMPARE(h.grid().rowCount(), 2L);
    other.release();
    h.click(QStringLiteral("TlbRefresh"));
    QCOMPARE(h.grid().rowCount(), 34L);
    QVERIFY(statusLine().startsWith(QStringLiteral("32 条 / 共 32 条    数据库")));

    // Find leaves the row as a move does: the change is saved before the cursor goes. Filter
    // refills from the database: the typed text is gone and nothing is written.
    for (const QString &caption : {kFind, kFilter}) {
        h.grid().setCurrentRow(4);
        h.grid().setCurrentColumn(1);
        kvtest::typeInto(h.grid(), caption);
        kvtest::pressKey(h.grid(), Qt::Key_Return);
        answer(modal, caption, {"", "", caption == kFind ? "2211" : "银行存款"});
        h.click(caption == kFind ? QStringLiteral("TlbFind") : QStringLiteral("TlbFilter"));
        KV_VERIFY_MODALS(modal);
        QVERIFY(!h.window().editing());
        QCOMPARE(h.buttons(), QStringLiteral("-+-++"));
        QCOMPARE(kvtest::storedSummary(h.db(), QStringLiteral("04")).value(1), kFind);
    }
    QCOMPARE(h.row(1).at(1), kFind);
}

// Equality, never a pattern, on both engines; an apostrophe is searched for as text.
void tst_Filter::valuesAreMatchedLiterally()
{
    BrowserHarness h(kvtest::hostDatabase(false));
    const QStringList texts = {"5%", "50", "5_", "5x", "\\5", "5", "  ", " ", "O'Neil"};
    for (int i = 0; i < texts.size(); ++i)
        kvtest::insertSummaries(h.db(), {{QString::number(i + 1), texts[i], "", ""}});
    h.open();
    kvtest::ModalDriver modal;
    for (int i : {0, 2, 4, 6, 8}) {
        answer(modal, kFilter, {"", texts[i]});
        h.click(QStringLiteral("TlbFilter"));
        QCOMPARE(h.codes(), QStringList{QString::number(i + 1)});
    }
    KV_VERIFY_MODALS(modal);
}

KV_TEST_MAIN(tst_Filter)
#include "tst_filter.moc"
