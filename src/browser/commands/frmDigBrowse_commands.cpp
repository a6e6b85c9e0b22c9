// The command dispatcher. A failing step of a command is dropped and the command goes on with its
// next step; the operations it calls report their own failures.
#include "frmDigBrowse.h"

#include "ErrorInfo.h"
#include "Guarded.h"
#include "ListingRows.h"
#include "MessageBox.h"
#include "PrintListing.h"
#include "Recordset.h"
#include "SendKeys.h"
#include "StringTable.h"

#include <QAction>

namespace {

const QString kReadOnlyDelete = QStringLiteral("常用摘要以只读方式打开，不能删除！");

} // namespace

void frmDigBrowse::RunCommand(const QString &key)
{
    if (key == QLatin1String("TlbAdd")) {
        CmdAdd();
    } else if (key == QLatin1String("TlbDel")) {
        CmdDelete();
    } else if (key == QLatin1String("TlbCancel")) {
        CmdCancel();
    } else if (key == QLatin1String("TlbFind")) {
        CmdFind();
    } else if (key == QLatin1String("TlbFilter")) {
        CmdFilter();
    } else if (key == QLatin1String("TlbRefresh")) {
        CmdRefresh();
    } else if (key == QLatin1String("TlbPSetup")) {
        CmdPrint(PrintSetup);
    } else if (key == QLatin1String("TlbPreview")) {
        CmdPrint(PrintPreview);
    } else if (key == QLatin1String("TlbPrint")) {
        CmdPrint(PrintOut);
    } else if (key == QLatin1String("TlbOutput")) {
        CmdPrint(PrintToFile);
    } else if (key == QLatin1String("TlbHelp")) {
        Guarded([this] { SendKeys(SpGrdDig->view(), QStringLiteral("{F1}")); });
    } else if (key == QLatin1String("TlbExit")) {
        Guarded([this] { Fclose(); });
    }
}

void frmDigBrowse::CmdAdd()
{
    Guarded([this] {
        mblnAddMark = true;
        mblnEditing = true;
    });
    Guarded([this] {
        long cancel = 2;
        gridRowLeave(cancel, SpGrdDig->currentRow(), SpGrdDig->currentColumn());
    });
    Guarded([this] { SendKeys(SpGrdDig->view(), QStringLiteral("{Left}")); });
    // Pressed away from the blank entry row, Add has just been refused (the summary exists, or the
    // row lacks its code or text). The cursor now leaves that row without the grid's row-leave:
    // the row shows its snapshot again and nothing stays pending, or the next row left would be
    // written with this row's flag up, over whatever another user stored in it meanwhile.
    Guarded([this] {
        const long current = SpGrdDig->currentRow();
        if (current != SpGrdDig->rowCount() - 1) {
            RestoreRowState(current);
            BounceColumn();
        }
    });
    Guarded([this] { GotoLastRow(); });
    Guarded([this] { setButton(QStringLiteral("TlbAdd"), false); });
}

void frmDigBrowse::CmdCancel()
{
    Guarded([this] { CancelEdit(); });
    Guarded([this] { setButton(QStringLiteral("TlbAdd"), false); });
}

void frmDigBrowse::CmdRefresh()
{
    // A listing that cannot be read again is said so, and the grid keeps what it shows: the rows
    // are read in full before the grid gives up its own.
    GridRows rows;
    try {
        mRecObject->Requery(-1);
        rows = ReadListingRows(*mRecObject);
    } catch (const std::exception &error) {
        const Failure failure = FailureOf(error);
        ShowStop(failure.description, failure.detail);
        return;
    }
    RefillGrid(rows, false);
    Guarded([this] { TakeListingIntoIndex(); });
    Guarded([this] { SendKeys(SpGrdDig->view(), QStringLiteral("^{PGUP}")); });
}

// Refills the grid with rows read from a listing (none: the blank entry row alone) and updates the
// status line. A quick search in force gives way: the grid shows what was read.
void frmDigBrowse::RefillGrid(GridRows &rows, bool filtered)
{
    Guarded([this] { ClearQuickSearch(); });
    RefillRows([this, &rows] { SpGrdDig->appendRows(rows); });
    Guarded([this, filtered] { StatusAfterRefill(filtered); });
}

// What every refill does around filling the rows: redrawing off, the blank entry row appended, the
// current row's snapshot taken. Whatever was typed is gone with the old rows, so no edit stays
// pending: a flag left up would have the first row moved away from written back from the grid,
// over other users' newer changes. A fill that fails is said so: the rows shown are not the whole
// listing.
void frmDigBrowse::RefillRows(const std::function<void()> &fill)
{
    Guarded([this] { SpGrdDig->setRedraw(false); });
    Guarded([this] { SpGrdDig->setRowCount(1); });
    try {
        fill();
    } catch (const std::exception &error) {
        SpGrdDig->setRedraw(true);
        const Failure failure = FailureOf(error);
        ShowStop(failure.description, failure.detail);
    }
    Guarded([this] { AppendBlankRow(); });
    Guarded([this] { SpGrdDig->setRedraw(true); });
    Guarded([this] { SaveRowState(SpGrdDig->currentRow()); });
    Guarded([this] { DropPendingEdit(); });
    Guarded([this] { setButton(QStringLiteral("TlbAdd"), false); });
    Guarded([this] { mblnAddMark = SpGrdDig->rowCount() == SpGrdDig->currentRow() + 1; });
    // The refill leaves the cursor on the first row, so a later move there may raise no row-enter;
    // the one the grid raised while the first row was still the only one left Delete off. Delete
    // follows the row the cursor is on, as row-enter would set it.
    Guarded([this] { setButton(QStringLiteral("TlbDel"), !mblnAddMark); });
}

void frmDigBrowse::CmdDelete()
{
    const long current = SpGrdDig->currentRow();
    const long selectionEnd = SpGrdDig->selectionEndRow();
    const long blankRow = SpGrdDig->rowCount() - 1;
    const bool single = current == selectionEnd;
    if (!single && (current == blankRow || selectionEnd == blankRow))
        return;
    // A read-only listing promises that nothing is changed, deletions included. Undoing what was
    // typed into the blank entry row deletes nothing and stays allowed.
    if (blnReadOnly && !(single && mblnAddMark)) {
        ShowStop(kReadOnlyDelete);
        return;
    }
    if (single) {
        Guarded([this] { FDelete(); });
    } else {
        long lngRow = current;
        long lngRowSel = selectionEnd;
        Guarded([&] { FDelete1(lngRow, lngRowSel); });
    }
}
