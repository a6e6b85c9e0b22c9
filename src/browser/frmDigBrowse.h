#pragma once

#include "GridControl.h"
#include "GridRows.h"
#include "SharedSummaries.h"

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QString>
#include <QTableView>
#include <QVariant>
#include <QVector>
#include <array>
#include <functional>
#include <memory>

namespace DataKit {
class Database;
class Recordset;
} // namespace DataKit

class clsRef;
class ReportPrinter;
struct Failure;
class QAction;
class QLabel;
class QLineEdit;
class QTimer;
class QToolBar;

// The common-summaries browser: the component's one window, a single instance shared by the whole
// component. Summaries are added, changed and deleted in place in the grid; a row is saved when the
// cursor leaves it. Its members are defined across the frmDigBrowse*.cpp files, one per concern.
class frmDigBrowse final : public QDialog, public GridEvents
{
    Q_OBJECT

public:
    // The shared instance, created on first use; unloading the window destroys it.
    static frmDigBrowse &instance();
    static bool hasInstance();
    static void releaseInstance();

    // Public state, set by the component's entry and read by its other parts.
    std::shared_ptr<DataKit::Database> dbs;
    std::shared_ptr<DataKit::Recordset> mRecObject;
    bool mblnAddMark = false;
    std::shared_ptr<DataKit::Recordset> recRef;
    // The read-only flag the host gave Init: it also keeps deletions from changing the table.
    bool blnReadOnly = false;

    // Loads the window and shows it modally until it is closed. Throws when loading fails; the
    // window then never appears.
    void ShowModal();
    // Loads the window without showing it (the modal show does this first).
    void Load();

    bool FAdd();
    bool Fedit();
    bool FDelete();
    bool FDelete1(long &lngRow, long &lngRowSel);

    bool FMove(const int &Drection);
    bool FFirst();
    bool FLast();
    bool FPrevious();
    bool FNext();
    bool FCur();
    void Fclose();
    void Fsort();
    void Ffilter();
    void SelectFields();
    void FRefresh();
    void Ffind();

    QVariant FromTo(const QString &strFrom, const QString &strFromValue, const QString &strTo,
                    const QString &strTable);

    void RunCommand(const QString &key);

    // The window's parts, for the host's diagnostics and the tests.
    GridControl &grid() const { return *SpGrdDig; }
    QToolBar &toolbar() const { return *Toolbar1; }
    QAction *button(const QString &key) const { return mButtons.value(key); }
    bool editing() const { return mblnEditing; }
    long currentRowMark() const { return mlngCurRow; }
    const std::array<QString, 4> &rowSnapshot() const { return mstrRowSave; }
    const QString &refCode() const { return mstrRefCode; }
    bool keyPreview() const { return mKeyPreview; }
    const QString &helpFile() const { return mHelpFile; }
    int helpTopic() const { return mHelpTopic; }
    int barHeight() const { return mintBarHeight; }
    const std::shared_ptr<DataKit::Database> &printDatabase() const { return mdbPrint; }
    QLineEdit &searchBox() const { return *txtSearch; }
    const QuickSearchIndex &searchIndex() const { return mSearchIndex; }

    // Grid notifications.
    void gridCellEdited(QString &text, long &cancel, long row, long col) override;
    void gridRowLeave(long &cancel, long row, long col) override;
    void gridEditMode(bool opening) override;
    void gridRowEnter() override;
    void gridCellButton(QString &text, long row, long col) override;
    void gridHeaderClick(int button, int shift, int x, int y) override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void done(int result) override;

private:
    frmDigBrowse();
    ~frmDigBrowse() override;

    // Lifecycle and layout.
    void Form_Load();
    void Form_Resize();
    void Form_Activate();
    void Form_Unload();
    void InitGrid();
    void PlaceTitleLabels();
    QString HelpFileInUse() const;
    void ShowHelpTopic();
    bool LeaveRowForClosing();

    // Grid binding.
    // The listing's rows in the grid's compact form.
    void FillGrid(DataKit::Recordset &recordset);
    // Every cell when adding; only the cells changed since the row was entered when editing.
    void WriteRow(long row, bool changedOnly = false);
    bool RowChanged(long row) const;
    // Whether leaving the row has something to save (or to refuse).
    bool RowPending(long row) const;
    void AppendBlankRow();
    void SaveRowState(long row);
    void RestoreRowState(long row);
    void CancelEdit();
    void GotoLastRow();
    void BounceColumn();

    // Account look-up.
    bool CheckAccount(const QString &code, const QString &text);
    void ShowAccountRef(const QString &text);
    QString AccountCodeOf(const QString &name);
    QString AccountCodeFor(long row);

    // Editing.
    void ShowStop(const QString &text, const QString &detail = QString());
    void ReportSaveError(const Failure &failure);

    // Toolbar and keyboard.
    void InitImageList();
    void InitToolbar();
    void Toolbar1_ButtonClick(QAction *button);
    bool Form_KeyDown(int keyCode, int shift);
    bool Form_KeyPress(QChar character);
    void EnterCommit();
    void setKeyPreview(bool on);
    void setButton(const QString &key, bool enabled);
    bool buttonEnabled(const QString &key) const;

    // Status line (frmDigBrowse_status.cpp). Every refill of the grid ends with StatusAfterRefill,
    // saying whether it showed a filtered listing (the filter lasts until the next refill); it
    // takes the stored count then (the whole listing's rows, or one count under a filter). The
    // window's own saves and deletions keep the count with StoredCountChanged.
    void StatusAfterRefill(bool filtered);
    void StoredCountChanged(long delta);
    void UpdateStatusLine();
    void ShowForAWhile(const QString &text);
    void ShowWritten(const QString &verb, long count, const QString &path);

    // Commands.
    void CmdAdd();
    void CmdCancel();
    void CmdRefresh();
    void RefillGrid(GridRows &rows, bool filtered);
    void RefillRows(const std::function<void()> &fill);
    void CmdFind();
    void CmdFilter();
    QString AskCondition(int caption);
    void ShowFoundRow(long row);
    long RowOfCode(const QByteArray &code) const;
    void CmdDelete();
    void CmdPrint(short mode);
    void InitTransferMenu();
    void CmdImport();
    void CmdExport();
    void ReportDeleteError(const Failure &failure);
    void DeleteFoundRecord();
    void UndoBlankRow();
    void DropPendingEdit();

    // Quick search (frmDigBrowse_search.cpp). The index takes in the rows of every full refill
    // (load, Refresh) and works out their initials in steps once the window has been painted; it
    // follows the window's own saves and deletions. A search refills the grid from it through
    // RefillGridFromIndex, the sibling of RefillGrid.
    void InitSearchBox();
    void PlaceSearchBox();
    bool SearchBoxKey(const QKeyEvent &event);
    void RunQuickSearch();
    void ClearQuickSearch();
    void RefillGridFromIndex(const std::vector<quint32> &summaries, bool searching);
    void ScopeSearchToGrid();
    void TakeListingIntoIndex();

    GridControl *SpGrdDig = nullptr;
    QToolBar *Toolbar1 = nullptr;
    QVector<QPair<QString, QIcon>> ImageList1;
    QHash<QString, QAction *> mButtons;
    QLabel *lblTitle1 = nullptr;
    QLabel *lblTitle2 = nullptr;
    QLabel *lblStatus = nullptr;
    QLineEdit *txtSearch = nullptr;
    QTimer *mSearchTimer = nullptr;
    QTimer *mIndexTimer = nullptr; // builds the index a step at a time
    // The index is the one the pickers of the same database use.
    std::shared_ptr<SharedSummaries> mSummaries;
    QuickSearchIndex &mSearchIndex;
    bool mblnSearching = false; // the grid shows a quick search's result

    bool mblnEditing = false;
    long mlngCurRow = 0;
    std::array<QString, 4> mstrRowSave;
    QString mstrRefCode;
    // The account the check or the reference settled for the current row, and the name the cell
    // showed for it: it outlives mstrRefCode (cleared at every cursor move) until the row is left,
    // so that a row is written with the account the user saw, never one found again by a name
    // that several accounts share. Empty when the row's account was not touched.
    QString mstrRowAccountCode;
    QString mstrRowAccountName;
    std::shared_ptr<DataKit::Recordset> recCode;
    int mintBarHeight = 0;
    std::unique_ptr<clsRef> mclsRef;
    std::shared_ptr<DataKit::Database> mdbPrint;
    std::unique_ptr<ReportPrinter> RTPrn1;
    QString mHelpFile;
    int mHelpTopic = 0;
    bool mblnFiltered = false; // the grid shows a filter's summaries (a search may narrow them)
    long mlngStoredCount = -1; // -1 while unknown
    bool mKeyPreview = false;
    bool mUnloaded = false;
};
