#include "QXDigest.h"

#include "MdlDigest.h"
#include "QtChinese.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "StringTable.h"
#include "frmDigBrowse.h"

bool QXDigest::Init(const std::shared_ptr<DataKit::Database> &dbase, bool blnread)
{
    mdbObject = dbase;
    MdlDigest::gdbObject = dbase;
    frmDigBrowse &browser = frmDigBrowse::instance();
    browser.dbs = mdbObject;
    blnReadOnly = blnread;
    browser.blnReadOnly = blnread;
    const QString sql = SqlText::ListingQuery();
    const QString caption = LoadResString(1);
    browser.mRecObject = MdlDigest::OpenRec(mdbObject, sql, blnread, caption);
    if (!browser.mRecObject)
        return false;
    // The window writes a record right after Edit, reading nothing of it in between: its lock can
    // go to the server with the write, one round trip instead of two.
    browser.mRecObject->setLockEdits(false);
    return true;
}

void QXDigest::Show(QWidget *parent)
{
    frmDigBrowse &browser = frmDigBrowse::instance();
    browser.dbs = mdbObject;
    if (parent)
        browser.setParent(parent, browser.windowFlags());
    const auto qtChinese = InstallQtChinese();
    // Closing, or failing to load, ends this window's life: a further Show needs a further Init.
    try {
        browser.ShowModal();
    } catch (...) {
        frmDigBrowse::releaseInstance();
        throw;
    }
    frmDigBrowse::releaseInstance();
}
