#include "BrowserHarness.h"

#include "Database.h"
#include "GridControl.h"
#include "GridKeys.h"
#include "MdlDigest.h"
#include "QXDigest.h"
#include "Recordset.h"
#include "frmDigBrowse.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace kvtest {

BrowserHarness::BrowserHarness(std::shared_ptr<DataKit::Database> db, bool readOnly)
    : m_db(std::move(db))
    , m_digest(std::make_unique<QXDigest>())
    , m_readOnly(readOnly)
{
}

void releaseComponent()
{
    frmDigBrowse::releaseInstance();
    MdlDigest::gdbObject.reset();
}

BrowserHarness::~BrowserHarness()
{
    // Torn down without the user's closing, which would save a pending row.
    if (frmDigBrowse::hasInstance())
        frmDigBrowse::instance().reject();
    releaseComponent();
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

void BrowserHarness::press(Qt::Key key, Qt::KeyboardModifiers mods) const
{
    pressKey(grid(), key, mods);
    settle();
}

void BrowserHarness::type(const QString &text) const
{
    typeInto(grid(), text);
    settle();
}

void BrowserHarness::goToRow(long row) const
{
    grid().setCurrentRow(row);
    grid().setCurrentColumn(0);
    settle();
}

QStringList BrowserHarness::row(long row) const
{
    QStringList cells;
    for (long col = 0; col < 4; ++col)
        cells << grid().text(row, col);
    return cells;
}

QString BrowserHarness::currentCode() const
{
    return window().mRecObject->Fields(QStringLiteral("cID")).toString();
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

OpenBrowser::OpenBrowser(std::shared_ptr<DataKit::Database> db, bool readOnly)
    : BrowserHarness(std::move(db), readOnly)
{
    open();
}

} // namespace kvtest
