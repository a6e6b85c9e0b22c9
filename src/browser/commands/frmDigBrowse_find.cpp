// The Find and Filter commands: a condition asked with the find/filter dialog, then the cursor
// moved to the first summary that meets it, or the grid refilled with only those summaries.
#include "frmDigBrowse.h"

#include "Database.h"
#include "ErrorInfo.h"
#include "Guarded.h"
#include "ListingRows.h"
#include "MdlDigest.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "StringTable.h"
#include "frmFilter.h"

// Shows the dialog with the caption (a string number); "" when the user gave no condition.
QString frmDigBrowse::AskCondition(int caption)
{
    frmFilter dialog(dbs, HelpFileInUse(), this);
    dialog.setWindowTitle(LoadResString(caption));
    dialog.strSel.clear();
    dialog.exec();
    return dialog.strSel;
}

void frmDigBrowse::CmdFind()
{
    QString strSel;
    Guarded([&] { strSel = AskCondition(119); });
    if (strSel.isEmpty())
        return;
    // The search covers the whole listing, whatever the grid shows. A search the database
    // refuses says why rather than passing for one that found nothing.
    try {
        mRecObject->FindFirst(strSel);
    } catch (const std::exception &error) {
        ShowStop(ReadFailureText(FailureOf(error)));
        return;
    }
    bool noMatch = true;
    Guarded([&] { noMatch = mRecObject->NoMatch(); });
    if (noMatch) {
        Guarded([this] { ShowStop(LoadResString(123)); });
        return;
    }
    QString code;
    if (!Guarded([&] { code = MdlDigest::NullToStr(mRecObject->Fields(QStringLiteral("cID"))); }))
        return;
    // A summary the filter hides has no row: then nothing moves, and nothing is said.
    const long found = RowOfCode(code.toUtf8());
    if (found > 0)
        Guarded([this, found] { ShowFoundRow(found); });
}

// The row showing the summary stored under code, 0 for none: where the grid shows the record the
// quick search index holds for it (a look through four bytes a row), else by the code in each row.
long frmDigBrowse::RowOfCode(const QByteArray &code) const
{
    const GridRows &rows = SpGrdDig->dataRowStore();
    const long row = rows.findRecord(mSearchIndex.recordIn(rows, code));
    if (row >= 0 && rows.cellUtf8(row, 0) == code)
        return row + 1;
    return SpGrdDig->findRow(0, code);
}

// The cursor leaves its row as it does when the user moves it: a pending change is saved first,
// and when saving is refused (with its message) the cursor stays. Moved without that, the change
// would stay on screen unsaved while the flag went on to the found row.
void frmDigBrowse::ShowFoundRow(long row)
{
    const long current = SpGrdDig->currentRow();
    if (row != current && RowPending(current)) {
        long cancel = 0;
        gridRowLeave(cancel, current, SpGrdDig->currentColumn());
        if (cancel != 0)
            return;
    }
    SpGrdDig->setCurrentRow(row);
    SpGrdDig->setTopRow(row);
}

// The filtered listing belongs to the command; the listing recordset stays the full listing, so
// Refresh shows every summary again. A filtered listing that cannot be read leaves the grid with
// the blank entry row alone, but not as if nothing matched.
void frmDigBrowse::CmdFilter()
{
    QString strSel;
    Guarded([&] { strSel = AskCondition(118); });
    if (strSel.isEmpty())
        return;
    GridRows rows;
    try {
        const auto filtered =
            dbs->OpenRecordset(SqlText::FilteredListingQuery(strSel), DataKit::dbOpenDynaset);
        rows = ReadListingRows(*filtered);
    } catch (const std::exception &error) {
        ShowStop(ReadFailureText(FailureOf(error)));
    }
    RefillGrid(rows, true);
    Guarded([this] { ScopeSearchToGrid(); });
}
