// Copying between the listing recordset and the grid's rows, and the row snapshot.
#include "frmDigBrowse.h"

#include "GridRows.h"
#include "ListingRows.h"
#include "MdlDigest.h"
#include "Recordset.h"

#include <QAction>

using MdlDigest::StrToNull;

// Nothing reaches the grid until every row has been read.
void frmDigBrowse::FillGrid(DataKit::Recordset &recordset)
{
    GridRows rows = ReadListingRows(recordset);
    SpGrdDig->appendRows(rows);
}

void frmDigBrowse::WriteRow(long row, bool changedOnly)
{
    // A cell the user left as it was is not written: another user's newer value in it stays.
    const auto changed = [&](int col) {
        return !changedOnly || SpGrdDig->text(row, col) != mstrRowSave[col];
    };
    DataKit::Recordset &record = *mRecObject;
    if (changed(0))
        record.Collect(QStringLiteral("cID"), SpGrdDig->text(row, 0));
    if (changed(1))
        record.Collect(QStringLiteral("ctext"), StrToNull(SpGrdDig->text(row, 1)));
    if (changed(2))
        record.Collect(QStringLiteral("chelp"), StrToNull(SpGrdDig->text(row, 2)));
    // An unchanged account cell keeps the stored code: its name may belong to several accounts.
    if (changed(3) || !mstrRowAccountCode.isEmpty())
        record.Collect(QStringLiteral("cCode"), StrToNull(AccountCodeFor(row)));
}

bool frmDigBrowse::RowChanged(long row) const
{
    for (int col = 0; col < 4; ++col) {
        if (SpGrdDig->text(row, col) != mstrRowSave[col])
            return true;
    }
    return !mstrRowAccountCode.isEmpty();
}

// Editors opened and given up on the blank entry row leave the editing flag up with nothing in the
// row: only what is still typed there is pending.
bool frmDigBrowse::RowPending(long row) const
{
    return mblnEditing && !(mblnAddMark && !RowChanged(row));
}

void frmDigBrowse::AppendBlankRow()
{
    SpGrdDig->setRowCount(SpGrdDig->rowCount() + 1);
    mlngCurRow = SpGrdDig->currentRow();
    SpGrdDig->setCurrentColumn(0);
}

void frmDigBrowse::SaveRowState(long row)
{
    for (int col = 0; col < 4; ++col)
        mstrRowSave[col] = SpGrdDig->text(row, col);
    mstrRowAccountCode.clear();
    mstrRowAccountName.clear();
}

void frmDigBrowse::RestoreRowState(long row)
{
    for (int col = 0; col < 4; ++col)
        SpGrdDig->setText(row, col, mstrRowSave[col]);
    // The row is as it was entered: an account settled for it before is no change any more.
    mstrRowAccountCode.clear();
    mstrRowAccountName.clear();
    mblnEditing = false;
}

// Moving the cursor to column 1 and back closes any open cell editor and shows the restored cells.
void frmDigBrowse::BounceColumn()
{
    SpGrdDig->closeEditor();
    SpGrdDig->setCurrentColumn(1);
    SpGrdDig->setCurrentColumn(0);
}

void frmDigBrowse::CancelEdit()
{
    const long current = SpGrdDig->currentRow();
    if (mblnAddMark) {
        if (mblnEditing) {
            RestoreRowState(current);
            BounceColumn();
        }
        mlngCurRow = SpGrdDig->currentRow();
        setButton(QStringLiteral("TlbCancel"), false);
    } else if (mblnEditing) {
        RestoreRowState(current);
        BounceColumn();
        setButton(QStringLiteral("TlbCancel"), false);
    }
    mblnAddMark = SpGrdDig->currentRow() == SpGrdDig->rowCount() - 1;
    mblnEditing = false;
}

void frmDigBrowse::GotoLastRow()
{
    SpGrdDig->setCurrentRow(SpGrdDig->rowCount() - 1);
}
