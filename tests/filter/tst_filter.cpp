// The find/filter dialog driven as a user drives it: typing and pasting into its boxes, picking
// from the value lists, Enter, Esc, its buttons and its close box.
#include "Beep.h"
#include "BrowserHarness.h"
#include "Database.h"
#include "GridKeys.h"
#include "ModalDriver.h"
#include "Snapshot.h"
#include "TestDatabase.h"
#include "frmFilter.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

QComboBox *box(QWidget &dialog, const char *name)
{
    return dialog.findChild<QComboBox *>(QLatin1String(name));
}

void click(QWidget &dialog, const char *name)
{
    QTest::mouseClick(dialog.findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
}

QStringList items(QComboBox *combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

} // namespace

class tst_Filter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void looksAsDesigned();
    void conditionFromTheBoxes_data();
    void conditionFromTheBoxes();
    void keysAndClosing();
    void valueLists();

private:
    std::shared_ptr<DataKit::Database> m_db;
    std::unique_ptr<frmFilter> m_dialog;
};

void tst_Filter::init()
{
    m_db = kvtest::hostDatabase();
    m_dialog =
        std::make_unique<frmFilter>(m_db, QStringLiteral(":/kvdigest/help/digest.html"), nullptr);
    m_dialog->setWindowTitle(QStringLiteral("过滤条件"));
    m_dialog->show();
    QApplication::setActiveWindow(m_dialog.get());
}

void tst_Filter::cleanup()
{
    m_dialog.reset();
}

void tst_Filter::looksAsDesigned()
{
    frmFilter &d = *m_dialog;
    kvtest::snapshot(d, QStringLiteral("filter-dialog"));
    // 96 dots to the inch: 15 twips a pixel.
    QCOMPARE(d.size(), QSize(385, 153));
    QCOMPARE(box(d, "cboText")->geometry(), QRect(93, 48, 216, 20));
    QCOMPARE(d.findChild<QPushButton *>("cmdNo")->geometry(), QRect(214, 120, 58, 23));
    QCOMPARE(d.findChild<QLabel *>("lblCode")->pos(), QPoint(17, 87));
    QCOMPARE(d.findChild<QLabel *>("lblCode")->text(), QStringLiteral("相关科目"));
    QCOMPARE(d.findChild<QPushButton *>("cmdValue3")->text(), QStringLiteral("可能取值"));
    QVERIFY(d.findChild<QPushButton *>("cmdYes")->text().isEmpty());
    QVERIFY(!d.findChild<QPushButton *>("cmdYes")->icon().isNull());
    QCOMPARE(d.focusWidget(), box(d, "cboId"));
}

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
    QTest::newRow("pasted apostrophe")
        << QStringList{"", "O'Neil Ltd", ""} << "cText='O''Neil Ltd'";
    QTest::newRow("pattern characters") << QStringList{"5%_\\", "", ""} << "cId='5%_\\'";
    QTest::newRow("blanks") << QStringList{"", "  ", ""} << "cText='  '";
}

void tst_Filter::conditionFromTheBoxes()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, condition);
    frmFilter &d = *m_dialog;
    const char *names[] = {"cboId", "cboText", "cboCode"};
    for (int i = 0; i < 3; ++i) {
        if (boxes[i].contains(QLatin1Char('\'')))
            kvtest::pasteText(box(d, names[i]), boxes[i]);
        else
            kvtest::typeText(box(d, names[i]), boxes[i]);
    }
    click(d, "cmdYes");
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.strSel, condition);
}

void tst_Filter::keysAndClosing()
{
    frmFilter &d = *m_dialog;
    const long beeps = BeepCount();
    kvtest::typeText(box(d, "cboId"), QStringLiteral("a'b|c"));
    QCOMPARE(BeepCount(), beeps + 2);
    QCOMPARE(box(d, "cboId")->currentText(), QStringLiteral("abc"));

    // Enter moves along the tab order and presses no button; Esc does nothing.
    for (const char *next : {"cboText", "cboCode", "cmdYes", "cmdNo", "cmdValue1", "cmdValue2",
                             "cmdValue3", "cboId"}) {
        QTest::keyClick(d.focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(d.focusWidget()->objectName(), QString::fromLatin1(next));
    }
    QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
    QVERIFY(d.isVisible());
    QCOMPARE(box(d, "cboId")->currentText(), QStringLiteral("abc"));
    QCOMPARE(box(d, "cboId")->count(), 0);

    // Cancel and the close box leave no condition, whatever the boxes hold.
    click(d, "cmdNo");
    QVERIFY(!d.isVisible());
    QVERIFY(d.strSel.isEmpty());
    d.show();
    d.close();
    QVERIFY(d.strSel.isEmpty());
    QCOMPARE(d.result(), int(QDialog::Rejected));
}

void tst_Filter::valueLists()
{
    frmFilter &d = *m_dialog;
    kvtest::ModalDriver modal;
    kvtest::insertSummaries(*m_db, {{"40", "收到货款", "", "1002"}, {"41", "", "", "9999"}});
    // Typed text gives way to the list: distinct pairs in query order, nothing empty.
    kvtest::typeText(box(d, "cboText"), QStringLiteral("打了字"));
    click(d, "cmdValue2");
    QCOMPARE(box(d, "cboText")->currentText(), QString());
    QCOMPARE(items(box(d, "cboText")).count(QStringLiteral("收到货款")), 2);
    QCOMPARE(box(d, "cboText")->count(), 33);
    click(d, "cmdValue3");
    QCOMPARE(items(box(d, "cboCode")).mid(0, 3), QStringList({"库存现金", "银行存款", "应收账款"}));

    // Pressed again after another user's changes: the list as stored now, nothing twice.
    const auto other = kvtest::anotherConnection();
    other->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId = '40'"));
    kvtest::insertSummaries(*other, {{"42", "新摘要", "", ""}});
    click(d, "cmdValue2");
    QCOMPARE(items(box(d, "cboText")).count(QStringLiteral("收到货款")), 1);
    QVERIFY(items(box(d, "cboText")).contains(QStringLiteral("新摘要")));
    QCOMPARE(box(d, "cboText")->count(), 33);

    // A list that cannot be read says why; the box keeps what it had and the dialog goes on.
    kvtest::holdExclusively(*other);
    kvtest::typeText(box(d, "cboId"), QStringLiteral("08"));
    modal.expectMessage(QStringLiteral("别的用户以独占方式打开数据库，不能打开表！"),
                        QMessageBox::Critical);
    click(d, "cmdValue1");
    KV_VERIFY_MODALS(modal);
    QCOMPARE(box(d, "cboId")->currentText(), QStringLiteral("08"));
    other->Execute(QStringLiteral("ROLLBACK"));

    // Picking from the list with the keyboard: F4 opens it, the arrows move, Enter takes.
    QComboBox *texts = box(d, "cboText");
    QTest::keyClick(texts, Qt::Key_F4);
    QTRY_VERIFY(texts->view()->isVisible());
    QTest::keyClick(texts->view(), Qt::Key_Down);
    QTest::keyClick(texts->view(), Qt::Key_Return);
    QCOMPARE(texts->currentText(), items(texts).at(1));
    click(d, "cmdYes");
    QCOMPARE(d.strSel, QStringLiteral("cId='08' And cText='%1'").arg(items(texts).at(1)));
}

KV_TEST_MAIN(tst_Filter)
#include "tst_filter.moc"
