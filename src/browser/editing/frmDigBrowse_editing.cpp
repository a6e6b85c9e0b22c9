// The grid's notifications while the user types, and writing a row to GL_bDigest.
#include "frmDigBrowse.h"

#include "CellCharacters.h"
#include "ErrorInfo.h"
#include "Guarded.h"
#include "MdlDigest.h"
#include "MessageBox.h"
#include "PinyinInitial.h"
#include "Recordset.h"
#include "StringTable.h"
#include "clsRef.h"

#include <QAction>

namespace {

const QString kIllegalCharacters = QStringLiteral("单元格中存在非法字符，请重新录入！");
const QString kIllegalAccount = QStringLiteral("非法科目！");
const QString kReadOnlyEdit = QStringLiteral("常用摘要以只读方式打开，不能修改！");

} // namespace

void frmDigBrowse::ShowStop(const QString &text, const QString &detail)
{
    MsgBox(this, text, LoadResString(17), MsgIcon::Error, detail);
}

void frmDigBrowse::gridCellEdited(QString &text, long &cancel, long row, long col)
{
    Q_UNUSED(row);
    if (text.contains(QLatin1Char('|')) || text.contains(QLatin1Char('\''))) {
        ShowStop(kIllegalCharacters);
        cancel = 1;
        return;
    }
    // Pasted text can bring what no key types: a line break, a tab, a NUL.
    const QString problem = CellCharacterProblem(text);
    if (!problem.isEmpty()) {
        ShowStop(SpGrdDig->text(0, col) + QStringLiteral("：") + problem);
        cancel = 1;
        return;
    }
    try {
        if (col == 1) {
            if (mblnAddMark && mblnEditing)
                setButton(QStringLiteral("TlbAdd"), true);
            if (SpGrdDig->text(mlngCurRow, 2).isEmpty())
                SpGrdDig->setText(mlngCurRow, 2, MnemonicOf(SpGrdDig->text(mlngCurRow, 1)));
        } else if (col == 3) {
            const bool byCodeOrName = mstrRefCode.isEmpty();
            const bool found = CheckAccount(mstrRefCode, text);
            if (!text.isEmpty() && !found) {
                if (text != QLatin1String(" "))
                    ShowStop(kIllegalAccount);
                cancel = 1;
                mstrRefCode.clear();
            } else if (text.isEmpty()) {
                mstrRefCode.clear();
            } else {
                // The name the row showed, typed again, says nothing about which of the accounts
                // of that name is meant: the stored one stays.
                const bool sameName = byCodeOrName && text == mstrRowSave[3];
                text = MdlDigest::NullToStr(recRef->Fields(1));
                mstrRefCode = MdlDigest::NullToStr(recRef->Fields(0));
                mstrRowAccountCode = sameName && text == mstrRowSave[3] ? QString() : mstrRefCode;
                mstrRowAccountName = text;
            }
        }
    } catch (const std::exception &error) {
        // The account list or the database failed: refuse the cell rather than accept it unchecked.
        const Failure failure = FailureOf(error);
        ShowStop(failure.description, failure.detail);
        cancel = 1;
    }
}

void frmDigBrowse::gridRowLeave(long &cancel, long row, long col)
{
    Q_UNUSED(col);
    try {
        mRecObject->Requery(-1);
        // An unchanged row is never written, so it is not checked either: a summary stored with an
        // empty text by another program must not trap the cursor on its row. A row whose cells
        // were opened and left as they were (Esc) counts as unchanged.
        if (!mblnEditing)
            return;
        if (!mblnAddMark && !RowChanged(row)) {
            mblnEditing = false;
            return;
        }
        if (SpGrdDig->text(row, 0).isEmpty()) {
            ShowStop(LoadResStrings({3, 18}));
            cancel = 1;
            setButton(QStringLiteral("TlbAdd"), true);
            return;
        }
        if (SpGrdDig->text(row, 1).isEmpty()) {
            ShowStop(LoadResStrings({8, 18}));
            cancel = 1;
            setButton(QStringLiteral("TlbAdd"), true);
            return;
        }
        if (mblnAddMark) {
            if (!FAdd()) {
                cancel = 1;
                return;
            }
            mSearchIndex.add(SpGrdDig->dataRowStore(), row - 1);
            mblnAddMark = false;
            mblnEditing = false;
            // Add pressed on an existing summary's row (one another user deleted meanwhile) has
            // stored it again in its own row: the entry row is still there below.
            if (row == SpGrdDig->rowCount() - 1)
                AppendBlankRow();
            SpGrdDig->setCurrentRow(SpGrdDig->rowCount() - 1);
            StoredCountChanged(1);
        } else if (!FCur()) {
            cancel = 1;
            ShowStop(LoadResStrings({104, 2, 107}));
        } else if (Fedit()) {
            mSearchIndex.save(mstrRowSave[0], SpGrdDig->dataRowStore(), row - 1);
            mblnEditing = false;
        } else {
            cancel = 1;
        }
    } catch (const std::exception &error) {
        // The database is gone or refused the re-read: keep a pending change on its row.
        const Failure failure = FailureOf(error);
        ShowStop(failure.description, failure.detail);
        if (mblnEditing)
            cancel = 1;
    }
}

void frmDigBrowse::gridEditMode(bool opening)
{
    setKeyPreview(false);
    mblnEditing = true;
    setButton(QStringLiteral("TlbCancel"), true);
    if (opening) {
        setButton(QStringLiteral("TlbAdd"), false);
        setButton(QStringLiteral("TlbDel"), false);
        setButton(QStringLiteral("TlbFind"), false);
        setButton(QStringLiteral("TlbFilter"), false);
    } else {
        setButton(QStringLiteral("TlbAdd"), mblnAddMark);
        setButton(QStringLiteral("TlbDel"), SpGrdDig->rowCount() != SpGrdDig->currentRow() + 1);
        setButton(QStringLiteral("TlbFind"), true);
        setButton(QStringLiteral("TlbFilter"), true);
    }
}

void frmDigBrowse::gridRowEnter()
{
    setKeyPreview(true);
    const long current = SpGrdDig->currentRow();
    if (current != mlngCurRow) {
        // The untouched entry row is left without a row-leave (a saved one has dropped its add
        // mark already): what an Add refused there, or cells typed and emptied again, left
        // pending does not follow the cursor.
        if (mblnAddMark)
            mblnEditing = false;
        SaveRowState(current);
        mlngCurRow = current;
        setButton(QStringLiteral("TlbCancel"), false);
    }
    mblnAddMark = SpGrdDig->rowCount() == mlngCurRow + 1;
    setButton(QStringLiteral("TlbDel"), SpGrdDig->rowCount() != current + 1);
    mstrRefCode.clear();
}

void frmDigBrowse::gridHeaderClick(int button, int shift, int x, int y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    if (mblnAddMark || mblnEditing || SpGrdDig->rowCount() < 4 || SpGrdDig->mouseRow() != 0)
        return;
    SpGrdDig->setSelectionEndRow(SpGrdDig->rowCount() - 2);
    if (SpGrdDig->currentColumn() <= 2) {
        SpGrdDig->setSort(1);
        SaveRowState(SpGrdDig->currentRow());
    }
    // The block was only for the sort: left selected, the next Delete would offer to delete
    // every summary.
    SpGrdDig->setSelectionEndRow(SpGrdDig->currentRow());
}

void frmDigBrowse::gridCellButton(QString &text, long row, long col)
{
    if (col != 3)
        return;
    try {
        ShowAccountRef(SpGrdDig->text(row, 3));
        if (mclsRef->Ref1->chosen() && recRef) {
            text = MdlDigest::NullToStr(recRef->Fields(1));
            mstrRefCode = MdlDigest::NullToStr(recRef->Fields(0));
            mstrRowAccountCode = mstrRefCode;
            mstrRowAccountName = text;
        }
    } catch (const std::exception &error) {
        const Failure failure = FailureOf(error);
        ShowStop(failure.description, failure.detail);
    }
}

void frmDigBrowse::ReportSaveError(const Failure &failure)
{
    // The kit's own refusals in the component's words; anything else with the engine's detail.
    const QString text = SaveFailureText(failure);
    ShowStop(text, text == failure.description ? failure.detail : QString());
}

// A failed write is given up before its message is shown: the message waits for the user, and a
// half-done write (an Edit holds the row, on SQLite the whole database) must not make the other
// users wait with it.
bool frmDigBrowse::FAdd()
{
    if (blnReadOnly) {
        ShowStop(kReadOnlyEdit);
        setButton(QStringLiteral("TlbAdd"), true);
        return false;
    }
    try {
        mRecObject->Requery(-1);
        mRecObject->AddNew();
        WriteRow(mlngCurRow);
        mRecObject->Update();
        return true;
    } catch (const std::exception &error) {
        const Failure failure = FailureOf(error);
        Guarded([this] { mRecObject->CancelUpdate(); });
        ReportSaveError(failure);
        setButton(QStringLiteral("TlbAdd"), true);
        return false;
    }
}

bool frmDigBrowse::Fedit()
{
    if (blnReadOnly) {
        ShowStop(kReadOnlyEdit);
        return false;
    }
    const auto write = [this] {
        mRecObject->Edit();
        WriteRow(mlngCurRow, true);
        mRecObject->Update();
    };
    try {
        write();
        return true;
    } catch (const std::exception &error) {
        Failure failure = FailureOf(error);
        Guarded([this] { mRecObject->CancelUpdate(); });
        if (IsInUseError(failure.number) && SpGrdDig->text(mlngCurRow, 0) == mstrRowSave[0]) {
            // The code is unchanged, so the reference cannot be what the database minds: write
            // again. Refused again, the row is reported like any refusal and nothing stays pending.
            try {
                write();
                return true;
            } catch (const std::exception &again) {
                failure = FailureOf(again);
                Guarded([this] { mRecObject->CancelUpdate(); });
            }
        }
        ReportSaveError(failure);
        return false;
    }
}
