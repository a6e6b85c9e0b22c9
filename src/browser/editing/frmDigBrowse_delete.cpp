// Deleting the summary of the cursor's row, or a selected group of neighbouring rows. Each record
// is found again by the code its row showed, deleted by a statement on the database, and its row
// taken out of the grid without reloading the listing.
#include "frmDigBrowse.h"

#include "DataKitError.h"
#include "Database.h"
#include "ErrorInfo.h"
#include "Guarded.h"
#include "MdlDigest.h"
#include "MessageBox.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "StringTable.h"

#include <QScopeGuard>

#include <cstdlib>

namespace {

const QString kAlreadyDeleted = QStringLiteral("该常用摘要已被他人删除，不能删除！");

} // namespace

void frmDigBrowse::ReportDeleteError(const Failure &failure)
{
    const long number = failure.number;
    if (number == DataKit::errNoCurrentRecord)
        ShowStop(LoadResStrings({6, 1}) + QStringLiteral(",") + LoadResString(7));
    else if (number == DataKit::errDuplicate)
        ShowStop(LoadResStrings({104, 2, 105}));
    else if (number == DataKit::errFieldTooLong)
        ShowStop(LoadResString(85));
    else if (number == DataKit::errDeletedByOther)
        ShowStop(LoadResStrings({104, 2, 107}));
    else if (IsInUseError(number) || number == kErrDuplicateOrInUse)
        ShowStop(LoadResStrings({104, 2, 106}));
    else if (number == DataKit::errLockedByOther)
        ShowStop(LoadResString(84));
    else if (number == DataKit::errHeldExclusively)
        // Not even the summary could be read again: the component's own words for the case, not
        // the kit's sentence with the engine's untranslated text behind it.
        ShowStop(LoadResString(23));
    else
        ShowStop(failure.description, failure.detail); // a refusal must never pass silently
}

void frmDigBrowse::DeleteFoundRecord()
{
    const QString code = MdlDigest::NullToStr(mRecObject->Fields(QStringLiteral("cID")));
    // Found a moment ago, the summary may have been renamed or deleted while the question was
    // open: a statement that deleted nothing must not take the row out of the grid as if it had.
    if (MdlDigest::gdbObject->Execute(SqlText::DeleteStatement(code)) == 0)
        throw DataKit::Error(DataKit::errDeletedByOther, QString());
    mSearchIndex.remove(code);
    mRecObject->Requery(-1);
}

// On the blank entry row a deletion only takes back what was typed there.
void frmDigBrowse::UndoBlankRow()
{
    RestoreRowState(SpGrdDig->currentRow());
    BounceColumn();
}

// A change pending in a deleted row went with it. Left standing, the flag would make the row that
// took its place count as changed, and leaving that row would write its summary back from the grid
// over other users' newer changes; Cancel would have nothing to undo.
void frmDigBrowse::DropPendingEdit()
{
    mblnEditing = false;
    setButton(QStringLiteral("TlbCancel"), false);
}

bool frmDigBrowse::FDelete()
{
    if (mblnAddMark) {
        UndoBlankRow();
        return true;
    }
    try {
        if (!FCur()) {
            ShowStop(kAlreadyDeleted);
            return false;
        }
        const QString question = LoadResStrings({4, 1}) + QStringLiteral("---") +
                                 MdlDigest::NullToStr(mRecObject->Fields(QStringLiteral("ctext"))) +
                                 QStringLiteral("  ") + LoadResString(5) + QStringLiteral("?");
        if (!MsgBox(this, question, LoadResString(17), MsgIcon::Question))
            return true;

        const long row = SpGrdDig->currentRow();
        DeleteFoundRecord();
        {
            // The grid's rows change three times: its view hears of them once.
            SpGrdDig->setRedraw(false);
            const auto redraw = qScopeGuard([this] { SpGrdDig->setRedraw(true); });
            AppendBlankRow();
            SpGrdDig->removeRow(row);
            SpGrdDig->setRowCount(SpGrdDig->rowCount() - 1);
            SpGrdDig->setCurrentRow(row);
            BounceColumn();
        }
        SaveRowState(row);
        mblnAddMark = SpGrdDig->rowCount() == SpGrdDig->currentRow() + 1;
        DropPendingEdit();
        StoredCountChanged(-1);
        return true;
    } catch (const std::exception &error) {
        const Failure failure = FailureOf(error);
        ReportDeleteError(failure);
        Guarded([this] { mRecObject->DiscardChanges(3); });
        // What another user changed meanwhile is shown as it is now.
        if (failure.number == DataKit::errDeletedByOther)
            RunCommand(QStringLiteral("TlbRefresh"));
        return false;
    }
}

bool frmDigBrowse::FDelete1(long &lngRow, long &lngRowSel)
{
    if (mblnAddMark) {
        UndoBlankRow();
        return true;
    }
    try {
        if (!FCur()) {
            ShowStop(kAlreadyDeleted);
            RunCommand(QStringLiteral("TlbRefresh"));
            return false;
        }
        if (!MsgBox(this, LoadResString(128) + QStringLiteral("?"), LoadResString(17),
                    MsgIcon::Question))
            return true;

        SpGrdDig->setRedraw(false);
        const long count = std::labs(lngRowSel - lngRow) + 1;
        for (long i = 0; i < count; ++i) {
            const long row = lngRow;
            if (!FCur()) {
                SpGrdDig->setRedraw(true);
                ShowStop(kAlreadyDeleted);
                RunCommand(QStringLiteral("TlbRefresh"));
                return false;
            }
            DeleteFoundRecord();
            SpGrdDig->removeRow(row);
            StoredCountChanged(-1);
            SpGrdDig->setCurrentRow(lngRowSel < lngRow ? row - 1 : row);
            lngRow = SpGrdDig->currentRow();
            BounceColumn();
            SaveRowState(lngRow);
            mblnAddMark = SpGrdDig->currentRow() == SpGrdDig->rowCount() - 1;
            DropPendingEdit();
        }
        SpGrdDig->setRedraw(true);
        return true;
    } catch (const std::exception &error) {
        SpGrdDig->setRedraw(true);
        ReportDeleteError(FailureOf(error));
        RunCommand(QStringLiteral("TlbRefresh"));
        return false;
    }
}
