// The Filter condition on a server whose defaults read a backslash as an escape or speak another
// encoding: the condition stays a condition, on every session the kit opens or reopens.
#include "BrowserHarness.h"
#include "Database.h"
#include "GridKeys.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "Recordset.h"
#include "TestDatabase.h"

#include <QComboBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QUrl>

namespace {

const QString kHostile =
    QStringLiteral(") OR 1=1; DELETE FROM GL_VoucherLine; DELETE FROM GL_bDigest; --");

QString value(DataKit::Database &db, const QString &sql)
{
    return db.OpenRecordset(sql, DataKit::dbOpenSnapshot)->Fields(0).toString();
}

// Filter through the toolbar, the dialog's code and text boxes typed into.
QStringList filtered(kvtest::BrowserHarness &h, const QString &code, const QString &text)
{
    kvtest::ModalDriver modal;
    modal.expectDialog([&](QWidget *dialog) {
        kvtest::typeText(dialog->findChild<QComboBox *>(QStringLiteral("cboId")), code);
        kvtest::typeText(dialog->findChild<QComboBox *>(QStringLiteral("cboText")), text);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdYes")),
                          Qt::LeftButton);
    });
    h.click(QStringLiteral("TlbFilter"));
    [&] { KV_VERIFY_MODALS(modal); }();
    return h.codes();
}

} // namespace

class tst_FilterServer : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KV_VERIFY_NOTHING_LEFT(); }
    void hostileServerDefaults_data();
    void hostileServerDefaults();
};

void tst_FilterServer::hostileServerDefaults_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::newRow("backslash escapes") << QStringList{"standard_conforming_strings = off"};
    QTest::newRow("GBK") << QStringList{"client_encoding = 'GBK'"};
    QTest::newRow("SQL_ASCII") << QStringList{"client_encoding = 'SQL_ASCII'"};
    QTest::newRow("all at once") << QStringList{"standard_conforming_strings = off",
                                                "client_encoding = 'GBK'", "backslash_quote = on",
                                                "escape_string_warning = off"};
}

void tst_FilterServer::hostileServerDefaults()
{
    QFETCH(QStringList, settings);
    if (!kvtest::usingPostgres())
        QSKIP("a PostgreSQL server's defaults");
    const auto db = kvtest::hostDatabase();
    kvtest::insertSummaries(*db, {{QStringLiteral("\\"), QStringLiteral("反斜杠"), "", ""}});
    const QString name = QUrl(kvtest::currentTarget()).path().mid(1);
    const auto reset = qScopeGuard([&] {
        kvtest::anotherConnection()->Execute(
            QStringLiteral("ALTER DATABASE %1 RESET ALL").arg(name));
    });
    for (const QString &setting : settings)
        db->Execute(QStringLiteral("ALTER DATABASE %1 SET %2").arg(name, setting));

    // Opened under those defaults, and opened again after the server dropped it.
    const auto window = kvtest::anotherConnection();
    kvtest::loseConnections();
    QVERIFY_THROWS_EXCEPTION(DataKit::Error, window->Execute(QStringLiteral("SELECT 1")));
    QCOMPARE(
        value(*window, QStringLiteral("SELECT current_setting('standard_conforming_strings')")),
        QStringLiteral("on"));

    kvtest::OpenBrowser h(window);
    const QString lines = QStringLiteral("SELECT count(*) FROM GL_VoucherLine");
    const QString before = value(*window, lines);
    QCOMPARE(filtered(h, QStringLiteral("\\"), kHostile), QStringList());
    QCOMPARE(filtered(h, QStringLiteral("\\"), QString()), QStringList{"\\"});
    QCOMPARE(filtered(h, QString(), QStringLiteral("反斜杠")), QStringList{"\\"});
    QCOMPARE(kvtest::storedCount(*window), 33L);
    QCOMPARE(value(*window, lines), before);
}

KV_TEST_MAIN(tst_FilterServer)
#include "tst_filter_server.moc"
