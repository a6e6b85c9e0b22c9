#include "BrowserHarness.h"

#include "Database.h"
#include "GridControl.h"
#include "QXDigest.h"
#include "Recordset.h"
#include "frmDigBrowse.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace kvtest {

namespace {

QString literal(const QString &value)
{
    if (value.isEmpty())
        return QStringLiteral("NULL");
    return QLatin1Char('\'') + QString(value).replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

} // namespace

void insertSummaries(DataKit::Database &db, const QList<Summary> &summaries)
{
    for (const Summary &s : summaries)
        db.Execute(QStringLiteral("INSERT INTO GL_bDigest (cId, cText, chelp, cCode) VALUES "
                                  "('%1', %2, %3, %4)")
                       .arg(s.id, literal(s.text), literal(s.help), literal(s.account)));
}

QStringList storedSummary(DataKit::Database &db, const QString &id)
{
    const auto rs = db.OpenRecordset(
        QStringLiteral("Select cId, cText, chelp, cCode From GL_bDigest Where cId = %1")
            .arg(literal(id)),
        DataKit::dbOpenSnapshot);
    if (rs->isEOF())
        return {};
    QStringList fields;
    for (int i = 0; i < 4; ++i) {
        const QVariant value = rs->Fields(i);
        fields << (value.isNull() ? QStringLiteral("(null)") : value.toString());
    }
    return fields;
}

long storedCount(DataKit::Database &db)
{
    return db.OpenRecordset(QStringLiteral("Select cId From GL_bDigest"), DataKit::dbOpenSnapshot)
        ->RecordCount();
}

BrowserHarness::BrowserHarness(std::shared_ptr<DataKit::Database> db, bool readOnly)
    : m_db(std::move(db))
    , m_digest(std::make_unique<QXDigest>())
    , m_readOnly(readOnly)
{
}

BrowserHarness::~BrowserHarness()
{
    if (frmDigBrowse::hasInstance()) {
        // Torn down without the user's closing, which would save a pending row.
        frmDigBrowse::instance().reject();
        frmDigBrowse::releaseInstance();
    }
}

void BrowserHarness::open()
{
    QVERIFY(m_digest->Init(m_db, m_readOnly));
    frmDigBrowse &browser = frmDigBrowse::instance();
    browser.dbs = m_db;
    browser.Load();
    browser.show();
    QApplication::setActiveWindow(&browser);
    settle();
}

frmDigBrowse &BrowserHarness::window() const
{
    return frmDigBrowse::instance();
}

GridControl &BrowserHarness::grid() const
{
    return window().grid();
}

void BrowserHarness::settle() const
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

QStringList BrowserHarness::row(long row) const
{
    QStringList cells;
    for (long col = 0; col < 4; ++col)
        cells << grid().text(row, col);
    return cells;
}

QStringList BrowserHarness::codes() const
{
    QStringList codes;
    for (long r = 1; r < grid().rowCount() - 1; ++r)
        codes << grid().text(r, 0);
    return codes;
}

void BrowserHarness::click(const QString &key) const
{
    QAction *action = window().button(key);
    QVERIFY2(action, qPrintable(QStringLiteral("no button ") + key));
    auto *button = qobject_cast<QToolButton *>(window().toolbar().widgetForAction(action));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
}

bool BrowserHarness::enabled(const QString &key) const
{
    const QAction *action = window().button(key);
    return action && action->isEnabled();
}

QString BrowserHarness::buttons() const
{
    QString word;
    for (const char *key : {"TlbAdd", "TlbDel", "TlbCancel", "TlbFind", "TlbFilter"})
        word += enabled(QString::fromLatin1(key)) ? QLatin1Char('+') : QLatin1Char('-');
    return word;
}

} // namespace kvtest
