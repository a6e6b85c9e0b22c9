// The account reference as the summary window opens it from the account column: the cell's text
// shown in the list's search box, selected, and typed over to search the whole chart.
#include "AccountList.h"
#include "BrowserHarness.h"
#include "Database.h"
#include "GridControl.h"
#include "GridKeys.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "Snapshot.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"

#include <QLineEdit>
#include <QTest>

using kvtest::shownCodes;

class tst_AccountReferenceWindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KV_VERIFY_NOTHING_LEFT(); }
    void searchBoxShowsTheCellsText_data();
    void searchBoxShowsTheCellsText();
};

void tst_AccountReferenceWindow::searchBoxShowsTheCellsText_data()
{
    QTest::addColumn<bool>("entryRow");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("account cell") << false << "应付账款" << QStringList{"2202"};
    QTest::newRow("empty cell") << true << "" << QStringList{};
}

void tst_AccountReferenceWindow::searchBoxShowsTheCellsText()
{
    QFETCH(bool, entryRow);
    QFETCH(QString, shown);
    QFETCH(QStringList, codes);
    kvtest::OpenBrowser h;
    const long row = entryRow ? h.grid().rowCount() - 1 : 2;
    kvtest::ModalDriver modal;
    QStringList firstShown;
    QStringList searched;
    modal.expectDialog([&](QWidget *dialog) {
        auto *search = dialog->findChild<QLineEdit *>(QStringLiteral("searchBox"));
        QCOMPARE(search->text(), shown);
        QCOMPARE(search->selectedText(), shown);
        firstShown = shownCodes(dialog);
        kvtest::snapshot(*dialog,
                         QStringLiteral("account-reference-") + (entryRow ? "empty" : "filter"));
        QTest::keyClicks(search, QStringLiteral("66"));
        searched = shownCodes(dialog);
        QTest::keyClick(search, Qt::Key_Return);
    });
    kvtest::clickCellButton(h.grid(), row, 3);
    h.settle();
    KV_VERIFY_MODALS(modal);
    if (!codes.isEmpty())
        QCOMPARE(firstShown, codes);
    else
        QCOMPARE(firstShown.size(), 22);
    QCOMPARE(searched, (QStringList{"6601", "6602", "6603"}));
    QCOMPARE(h.window().refCode(), QStringLiteral("6601"));
    QCOMPARE(h.grid().text(row, 3), QStringLiteral("销售费用"));
}

KV_TEST_MAIN(tst_AccountReferenceWindow)
#include "tst_accountref_window.moc"
