#include "AccountEntry.h"
#include "AccountList.h"
#include "AccountReference.h"
#include "Database.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "Recordset.h"
#include "TestDatabase.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

using kvtest::accountList;
using kvtest::shownCodes;

namespace {

// What the sink was told, read at the moment it was told.
struct Notice
{
    QString code;
    QString name;
    QString ident;
    bool sameRecordset = false;
    bool duringShow = false;
};

class RecordingSink final : public AccountReferenceSink
{
public:
    void Ref1_Selected(std::shared_ptr<DataKit::Recordset> &recreturn,
                       const QString &ident) override
    {
        notices.append({recreturn->Fields(0).toString(), recreturn->Fields(1).toString(), ident,
                        recreturn == source, showing});
    }

    std::shared_ptr<DataKit::Recordset> source;
    bool showing = false;
    QList<Notice> notices;
};

QLineEdit *searchBox(QWidget *dialog)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("searchBox"));
}

QPushButton *button(QWidget *dialog, const QString &text)
{
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

// Typed one character at a time, as an input method delivers Chinese text.
void type(QWidget *widget, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class tst_AccountReference : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listShowsCaptionHeadingsAndEveryAccount();
    void searchNarrowsByCodeOrName();
    void enterChoosesTheHighlightedAccount();
    void choicesInARowLastOneCounts();
    void filteredSourceListsOnlyItsAccounts();
    void singleAccountIsChosenAtOnceOnlyWhenAsked();
    void leafOnlyRefusesAccountsWithSubAccounts();
    void multiSelectReportsEachChoiceInOrder();
    void subAccountsFollowCodePrefixes();

private:
    // Init and Show as the summary window does, the modal list answered by the handler.
    void choose(std::function<void(QWidget *)> handle);

    std::shared_ptr<DataKit::Database> m_db;
    std::shared_ptr<DataKit::Recordset> m_accounts;
    std::unique_ptr<AccountReference> m_ref;
    RecordingSink m_sink;
    std::unique_ptr<kvtest::ModalDriver> m_driver;
};

void tst_AccountReference::init()
{
    m_db = kvtest::hostDatabase();
    m_accounts = m_db->OpenRecordset(QStringLiteral("Select cCode,cCode_Name From Code"),
                                     DataKit::dbOpenDynaset);
    m_sink = RecordingSink();
    m_sink.source = m_accounts;
    m_ref = std::make_unique<AccountReference>();
    m_ref->setSink(&m_sink);
    m_ref->setRecordSource(m_accounts);
    m_ref->setCaption(QStringLiteral("科目参照"));
    m_ref->setColumnHeading(0, QStringLiteral("科目编码"));
    m_ref->setColumnHeading(1, QStringLiteral("科目名称"));
    m_ref->setMultiSelect(0);
    m_ref->setLeafOnly(0);
    m_ref->setAutoChooseSingle(0);
    m_driver = std::make_unique<kvtest::ModalDriver>();
}

void tst_AccountReference::cleanup()
{
    KV_VERIFY_MODALS(*m_driver);
    m_driver.reset();
    m_ref.reset();
    m_sink = RecordingSink();
    m_accounts.reset();
    m_db.reset();
    KV_VERIFY_NOTHING_LEFT();
}

void tst_AccountReference::choose(std::function<void(QWidget *)> handle)
{
    if (handle)
        m_driver->expectDialog(std::move(handle));
    m_ref->Init();
    m_sink.showing = true;
    m_ref->Show();
    m_sink.showing = false;
    KV_VERIFY_MODALS(*m_driver);
}

void tst_AccountReference::listShowsCaptionHeadingsAndEveryAccount()
{
    QStringList codes;
    choose([&](QWidget *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("科目参照"));
        QTreeWidget *list = accountList(dialog);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("科目编码"));
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("科目名称"));
        QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("银行存款"));
        codes = shownCodes(dialog);
        QTest::keyClick(searchBox(dialog), Qt::Key_Escape);
    });
    QCOMPARE(codes.size(), 22);
    QCOMPARE(codes.first(), QStringLiteral("1001"));
    QCOMPARE(codes.last(), QStringLiteral("6711"));
}

void tst_AccountReference::searchNarrowsByCodeOrName()
{
    choose([](QWidget *dialog) {
        QLineEdit *search = searchBox(dialog);
        type(search, QStringLiteral("应付"));
        QCOMPARE(shownCodes(dialog), QStringList({QStringLiteral("2202"), QStringLiteral("2211")}));
        search->clear();
        QTest::keyClicks(search, QStringLiteral("160"));
        QCOMPARE(shownCodes(dialog), QStringList({QStringLiteral("1601"), QStringLiteral("1602")}));
        // Nothing left to choose: Enter must not close the list.
        QTest::keyClicks(search, QStringLiteral("x"));
        QVERIFY(shownCodes(dialog).isEmpty());
        QTest::keyClick(search, Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        QTest::keyClick(search, Qt::Key_Escape);
    });
    QVERIFY(!m_ref->chosen());
    QVERIFY(m_sink.notices.isEmpty());
}

void tst_AccountReference::enterChoosesTheHighlightedAccount()
{
    choose([](QWidget *dialog) {
        QTest::keyClicks(searchBox(dialog), QStringLiteral("100"));
        QTest::keyClick(searchBox(dialog), Qt::Key_Down);
        QTest::keyClick(searchBox(dialog), Qt::Key_Return);
    });
    QVERIFY(m_ref->chosen());
    QCOMPARE(m_sink.notices.size(), 1);
    const Notice &notice = m_sink.notices.first();
    QCOMPARE(notice.code, QStringLiteral("1002"));
    QCOMPARE(notice.name, QStringLiteral("银行存款"));
    QCOMPARE(notice.ident, QStringLiteral("1002"));
    QVERIFY(notice.sameRecordset);
    QVERIFY(notice.duringShow);
    QCOMPARE(m_accounts->Fields(0).toString(), QStringLiteral("1002"));
}

void tst_AccountReference::choicesInARowLastOneCounts()
{
    choose([](QWidget *dialog) {
        QTreeWidget *list = accountList(dialog);
        QTreeWidgetItem *item = list->findItems(QStringLiteral("6602"), Qt::MatchExactly)[0];
        list->scrollToItem(item);
        const QPoint where = list->visualItemRect(item).center();
        // A real double click: the first click's press and release come before it.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, where);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, where);
    });
    choose([](QWidget *dialog) {
        type(searchBox(dialog), QStringLiteral("现金"));
        button(dialog, QStringLiteral("确定"))->click();
    });
    QVERIFY(m_ref->chosen());
    QCOMPARE(m_sink.notices.size(), 2);
    QCOMPARE(m_sink.notices[0].name, QStringLiteral("管理费用"));
    QCOMPARE(m_sink.notices[1].code, QStringLiteral("1001"));
    QCOMPARE(m_sink.notices[1].name, QStringLiteral("库存现金"));

    // Closing without a choice reports none, whatever was chosen before.
    choose([](QWidget *dialog) { QTest::keyClick(searchBox(dialog), Qt::Key_Escape); });
    QVERIFY(!m_ref->chosen());
    choose([](QWidget *dialog) { button(dialog, QStringLiteral("取消"))->click(); });
    QVERIFY(!m_ref->chosen());
    QCOMPARE(m_sink.notices.size(), 2);
}

void tst_AccountReference::filteredSourceListsOnlyItsAccounts()
{
    m_accounts->setFilter(QStringLiteral("cCode like '2%'"));
    m_accounts->Requery(-1);
    QStringList codes;
    choose([&](QWidget *dialog) {
        codes = shownCodes(dialog);
        QTest::keyClick(searchBox(dialog), Qt::Key_Down);
        QTest::keyClick(searchBox(dialog), Qt::Key_Down);
        QTest::keyClick(searchBox(dialog), Qt::Key_Enter);
    });
    QCOMPARE(codes, QStringList({QStringLiteral("2001"), QStringLiteral("2202"),
                                 QStringLiteral("2211"), QStringLiteral("2221")}));
    QCOMPARE(m_sink.notices.size(), 1);
    QCOMPARE(m_sink.notices[0].code, QStringLiteral("2211"));
    QCOMPARE(m_sink.notices[0].name, QStringLiteral("应付职工薪酬"));
}

void tst_AccountReference::singleAccountIsChosenAtOnceOnlyWhenAsked()
{
    m_accounts->setFilter(QStringLiteral("cCode_Name like '%现金%'"));
    m_accounts->Requery(-1);
    QStringList codes;
    choose([&](QWidget *dialog) {
        codes = shownCodes(dialog);
        QTest::keyClick(searchBox(dialog), Qt::Key_Escape);
    });
    QCOMPARE(codes, QStringList(QStringLiteral("1001")));
    QVERIFY(!m_ref->chosen());

    m_ref->setAutoChooseSingle(1);
    choose(nullptr); // any list shown now is an unexpected modal window
    QVERIFY(m_ref->chosen());
    QCOMPARE(m_sink.notices.size(), 1);
    QCOMPARE(m_sink.notices[0].code, QStringLiteral("1001"));
    QVERIFY(m_sink.notices[0].duringShow);
}

void tst_AccountReference::leafOnlyRefusesAccountsWithSubAccounts()
{
    m_db->Execute(QStringLiteral("INSERT INTO Code (cCode, cCode_Name) VALUES "
                                 "('100201', '工商银行'), ('100202', '建设银行')"));
    m_accounts->Requery(-1);
    m_ref->setLeafOnly(1);
    choose([](QWidget *dialog) {
        QLineEdit *search = searchBox(dialog);
        QTest::keyClicks(search, QStringLiteral("1002"));
        QCOMPARE(accountList(dialog)->currentItem()->text(0), QStringLiteral("1002"));
        QTest::keyClick(search, Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        QTest::keyClick(search, Qt::Key_Down);
        QTest::keyClick(search, Qt::Key_Down);
        QTest::keyClick(search, Qt::Key_Return);
    });
    QCOMPARE(m_sink.notices.size(), 1);
    QCOMPARE(m_sink.notices[0].name, QStringLiteral("建设银行"));
}

void tst_AccountReference::multiSelectReportsEachChoiceInOrder()
{
    m_ref->setMultiSelect(1);
    choose([](QWidget *dialog) {
        QLineEdit *search = searchBox(dialog);
        type(search, QStringLiteral("费用"));
        QTest::keyClick(search, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(search, Qt::Key_Return);
    });
    QVERIFY(m_ref->chosen());
    QCOMPARE(m_sink.notices.size(), 2);
    QCOMPARE(m_sink.notices[0].code, QStringLiteral("6601"));
    QCOMPARE(m_sink.notices[1].code, QStringLiteral("6602"));
    QCOMPARE(m_accounts->Fields(0).toString(), QStringLiteral("6602"));
}

void tst_AccountReference::subAccountsFollowCodePrefixes()
{
    // Unsorted, as a record source may hand them over.
    const QList<AccountEntry> accounts = {{QStringLiteral("2"), {}},  {QStringLiteral("10"), {}},
                                          {QStringLiteral("1"), {}},  {QStringLiteral("1001"), {}},
                                          {QStringLiteral("11"), {}}, {QStringLiteral("21"), {}},
                                          {QStringLiteral("3"), {}},  {QStringLiteral("100"), {}}};
    QCOMPARE(hasSubAccounts(accounts),
             QList<bool>({true, true, true, false, false, false, false, true}));
}

KV_TEST_MAIN(tst_AccountReference)
#include "tst_accountref.moc"
