#include "BrowserHarness.h"
#include "Database.h"
#include "GridControl.h"
#include "MdlDigest.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "ObjectRegistry.h"
#include "OtherUser.h"
#include "QXDigest.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "TerminalService.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString kHeldExclusively =
    QStringLiteral("别的用户以独占方式打开数据库，不能打开表！常用摘要");

// Closes the browser once it is up, from inside its modal loop.
void closeBrowserSoon()
{
    QTimer::singleShot(0, [] {
        if (frmDigBrowse::hasInstance())
            frmDigBrowse::instance().Fclose();
    });
}

QString standardOkText()
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok);
    return box.button(QMessageBox::Ok)->text();
}

} // namespace

class tst_Component : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void nullConversions();
    void initOpensTheListing();
    void initOnAnEmptyTable();
    void initWithoutDatabase();
    void initWhenTableHeldExclusively();
    void readOnlyOpensASnapshot();
    void sessionId();
    void showNeedsInitEachTime();
    void showAfterAnotherUserDeletedASummary();
    void accountSearchMatchesTypedCharactersLiterally_data();
    void accountSearchMatchesTypedCharactersLiterally();
    void showOverTheHostsWindow();
};

void tst_Component::cleanup()
{
    kvtest::releaseComponent();
    KV_VERIFY_NOTHING_LEFT();
}

void tst_Component::nullConversions()
{
    QCOMPARE(MdlDigest::NullToStr(QVariant()), QString());
    QCOMPARE(MdlDigest::NullToStr(QVariant(QStringLiteral("收到货款"))),
             QStringLiteral("收到货款"));
    QCOMPARE(MdlDigest::NullToStr(QVariant(12)), QStringLiteral("12"));
    QVERIFY(MdlDigest::StrToNull(QString()).isNull());
    QCOMPARE(MdlDigest::StrToNull(QStringLiteral(" ")), QVariant(QStringLiteral(" ")));
}

void tst_Component::initOpensTheListing()
{
    const auto db = kvtest::hostDatabase();
    QXDigest digest;
    QVERIFY(digest.Init(db, false));
    QCOMPARE(digest.mdbObject, db);
    QCOMPARE(MdlDigest::gdbObject, db);
    frmDigBrowse &browser = frmDigBrowse::instance();
    QCOMPARE(browser.dbs, db);
    QVERIFY(browser.mRecObject);
    QVERIFY(browser.mRecObject->isUpdatable());
    QCOMPARE(browser.mRecObject->RecordCount(), 32L);
    // The listing is in code order and carries the account's name from the chart.
    QCOMPARE(browser.mRecObject->Fields(QStringLiteral("cID")).toString(), QStringLiteral("01"));
    QCOMPARE(browser.mRecObject->Fields(QStringLiteral("ccode_name")).toString(),
             QStringLiteral("应收账款"));
}

void tst_Component::initOnAnEmptyTable()
{
    const auto db = kvtest::hostDatabase(false);
    QXDigest digest;
    QVERIFY(digest.Init(db, false));
    QCOMPARE(frmDigBrowse::instance().mRecObject->RecordCount(), 0L);
}

void tst_Component::initWithoutDatabase()
{
    kvtest::ModalDriver modal;
    QXDigest digest;
    QVERIFY(!digest.Init(nullptr, false));
    QVERIFY(!frmDigBrowse::instance().mRecObject);
    // Whatever Init showed or left queued, the driver has seen once it has looked again.
    const int looks = modal.looks();
    QTRY_VERIFY(modal.looks() > looks);
    QVERIFY2(modal.satisfied(), qPrintable(modal.problems()));
}

void tst_Component::initWhenTableHeldExclusively()
{
    const auto db = kvtest::hostDatabase();
    kvtest::OtherUser other;
    other.holdTable();
    kvtest::ModalDriver modal;
    modal.expectMessage(kHeldExclusively, QMessageBox::Critical);
    QXDigest digest;
    const bool opened = digest.Init(db, false);
    other.release();
    QVERIFY(!opened);
    KV_VERIFY_MODALS(modal);
    // Nothing is undone: the references stay set.
    QCOMPARE(digest.mdbObject, db);
    QCOMPARE(frmDigBrowse::instance().dbs, db);
}

void tst_Component::readOnlyOpensASnapshot()
{
    const auto db = kvtest::hostDatabase();
    QXDigest digest;
    QVERIFY(digest.Init(db, true));
    QVERIFY(digest.blnReadOnly);
    QVERIFY(!frmDigBrowse::instance().mRecObject->isUpdatable());
    QVERIFY(frmDigBrowse::instance().blnReadOnly);
}

void tst_Component::sessionId()
{
    qputenv("XDG_SESSION_ID", "c2/x");
    QCOMPARE(MdlDigest::CurrentSessionId(), QStringLiteral("c2x"));
    // Without the terminal service the print database is simply named without a session.
    ObjectRegistry::unregisterObject(QStringLiteral("SeatMisc.Console"));
    QCOMPARE(MdlDigest::CurrentSessionId(), QString());
    ObjectRegistry::registerObject(QStringLiteral("SeatMisc.Console"),
                                   [] { return std::make_unique<TerminalService>(); });
    QCOMPARE(MdlDigest::CurrentSessionId(), QStringLiteral("c2x"));
    qunsetenv("XDG_SESSION_ID");
}

void tst_Component::showNeedsInitEachTime()
{
    QXDigest digest;
    QVERIFY_THROWS_EXCEPTION(std::exception, digest.Show());
    QVERIFY(!frmDigBrowse::hasInstance());

    QVERIFY(digest.Init(kvtest::hostDatabase(), false));
    closeBrowserSoon();
    digest.Show();
    QVERIFY(!frmDigBrowse::hasInstance());
    // The first closing released the listing: a second Show without Init fails.
    QVERIFY_THROWS_EXCEPTION(std::exception, digest.Show());
    QVERIFY(QApplication::topLevelWidgets().isEmpty() ||
            std::none_of(QApplication::topLevelWidgets().cbegin(),
                         QApplication::topLevelWidgets().cend(),
                         [](QWidget *w) { return w->isVisible(); }));
}

// Init reads the first page of the listing; a summary further down, deleted before Show reads it,
// is not listed, and the window opens all the same.
void tst_Component::showAfterAnotherUserDeletedASummary()
{
    const auto db = kvtest::hostDatabase(false);
    QStringList rows;
    for (int i = 0; i < 300; ++i)
        rows << QStringLiteral("('S%1', '摘要')").arg(i, 3, 10, QLatin1Char('0'));
    db->Execute(QStringLiteral("INSERT INTO GL_bDigest (cId, cText) VALUES ") + rows.join(','));
    QXDigest digest;
    QVERIFY(digest.Init(db, false));
    kvtest::OtherUser()->Execute(QStringLiteral("DELETE FROM GL_bDigest WHERE cId='S250'"));
    long shown = 0;
    QTimer::singleShot(0, [&shown] {
        shown = frmDigBrowse::instance().grid().rowCount();
        frmDigBrowse::instance().Fclose();
    });
    digest.Show();
    QCOMPARE(shown, 301L);
}

void tst_Component::accountSearchMatchesTypedCharactersLiterally_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("backslash") << "a\\" << QStringList{"K1"};
    QTest::newRow("percent") << "%" << QStringList{"K2"};
    QTest::newRow("underscore") << "a_b" << QStringList{"K3"};
    QTest::newRow("escape character") << "!" << QStringList{"K5"};
    QTest::newRow("plain") << "ab" << QStringList{"K3", "K4"};
}

// The same accounts on both engines: what is typed is searched for as it is.
void tst_Component::accountSearchMatchesTypedCharactersLiterally()
{
    QFETCH(QString, text);
    QFETCH(QStringList, found);
    const auto db = kvtest::hostDatabase(false);
    db->Execute(QStringLiteral("INSERT INTO Code (cCode, cCode_Name) VALUES ('K1', 'a\\'), "
                               "('K2', '50%'), ('K3', 'a_b ab'), ('K4', 'axb ab'), ('K5', '!')"));
    const auto accounts = db->OpenRecordset(SqlText::AccountListQuery(), DataKit::dbOpenDynaset);
    accounts->setFilter(SqlText::AccountFilter(text));
    accounts->Requery();
    QStringList codes;
    for (accounts->RecordCount() ? accounts->MoveFirst() : void(); !accounts->isEOF();
         accounts->MoveNext())
        codes << accounts->Fields(0).toString();
    codes.sort();
    QCOMPARE(codes, found);
}

// Given the host's window, the browser is a modal window owned by it. Qt's standard texts are
// Chinese while it is shown (the host loaded no translation of Qt's) and the host's again after.
void tst_Component::showOverTheHostsWindow()
{
    QWidget host;
    host.show();
    QXDigest digest;
    QVERIFY(digest.Init(kvtest::hostDatabase(), false));
    QWidget *owner = nullptr;
    QString shownOk;
    QTimer::singleShot(0, [&] {
        frmDigBrowse &browser = frmDigBrowse::instance();
        if (QApplication::activeModalWidget() == &browser)
            owner = browser.parentWidget();
        shownOk = standardOkText();
        browser.Fclose();
    });
    digest.Show(&host);
    QCOMPARE(owner, &host);
    QCOMPARE(shownOk, QStringLiteral("确定"));
    QCOMPARE(standardOkText(), QStringLiteral("OK"));
    QVERIFY(host.isVisible());
}

KV_TEST_MAIN(tst_Component)
#include "tst_component.moc"
