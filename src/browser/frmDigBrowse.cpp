#include "frmDigBrowse.h"

#include "Database.h"
#include "Fonts.h"
#include "HelpViewer.h"
#include "MdlDigest.h"
#include "Pictures.h"
#include "PrintDatabase.h"
#include "Recordset.h"
#include "ReportPrinter.h"
#include "SendKeys.h"
#include "SqlTexts.h"
#include "StringTable.h"
#include "SystemDirectory.h"
#include "Twips.h"
#include "WindowKeys.h"
#include "clsRef.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <stdexcept>

namespace {

frmDigBrowse *sharedInstance = nullptr;

// The window's designed client area and the grid's designed place, in twips.
constexpr int kDesignWidth = 7905;
constexpr int kDesignHeight = 5175;
constexpr int kGridLeft = 90;
constexpr int kGridTop = 675;
constexpr int kGridWidth = 7755;
constexpr int kGridHeight = 4395;

constexpr int kHelpTopic = 31100024;
const char *const kHelpPage = ":/kvdigest/help/digest.html";

} // namespace

frmDigBrowse &frmDigBrowse::instance()
{
    if (!sharedInstance)
        sharedInstance = new frmDigBrowse;
    return *sharedInstance;
}

bool frmDigBrowse::hasInstance()
{
    return sharedInstance != nullptr;
}

void frmDigBrowse::releaseInstance()
{
    delete sharedInstance;
    sharedInstance = nullptr;
}

frmDigBrowse::frmDigBrowse()
    : mSummaries(SharedSummaries::of(MdlDigest::gdbObject.get()))
    , mSearchIndex(mSummaries->index)
{
    ++mSummaries->windows;
    InstallFontSubstitutions();
    resize(TwipsToPixels(*this, kDesignWidth), TwipsToPixels(*this, kDesignHeight));

    Toolbar1 = new QToolBar(this);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    // Fifteen positions in four groups; InitToolbar gives the buttons their pictures and texts.
    const char *const positions[] = {"TlbPSetup", "TlbPrint", "TlbPreview", "TlbOutput",
                                     nullptr,     "TlbAdd",   "TlbDel",     "TlbCancel",
                                     nullptr,     "TlbFind",  "TlbFilter",  "TlbRefresh",
                                     nullptr,     "TlbHelp",  "TlbExit"};
    for (const char *position : positions) {
        if (!position) {
            Toolbar1->addSeparator();
            continue;
        }
        QAction *action = Toolbar1->addAction(QString());
        action->setObjectName(QString::fromLatin1(position));
        connect(action, &QAction::triggered, this,
                [this, action] { Toolbar1_ButtonClick(action); });
    }

    SpGrdDig = new GridControl(this);
    SpGrdDig->setObjectName(QStringLiteral("SpGrdDig"));
    SpGrdDig->setGeometry(TwipsToPixels(*this, kGridLeft), TwipsToPixels(*this, kGridTop),
                          TwipsToPixels(*this, kGridWidth), TwipsToPixels(*this, kGridHeight));
    QFont gridFont(QStringLiteral("MS Sans Serif"));
    gridFont.setPointSizeF(8.25);
    SpGrdDig->setFont(gridFont);
    SpGrdDig->setEvents(this);
    SpGrdDig->view()->installEventFilter(this);
    InitTransferMenu();

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setFixedHeight(lblStatus->fontMetrics().height() + 6);

    InitSearchBox();

    lblTitle1 = new QLabel(this);
    lblTitle1->setObjectName(QStringLiteral("lblTitle1"));
    lblTitle2 = new QLabel(this);
    lblTitle2->setObjectName(QStringLiteral("lblTitle2"));
    lblTitle1->hide();
    lblTitle2->hide();

    // The report printer's design font; jobs set none of their own.
    RTPrn1 = ReportPrinter::create();
    QFont printFont(QStringLiteral("宋体"));
    printFont.setPointSize(9);
    RTPrn1->setFont(printFont);
}

frmDigBrowse::~frmDigBrowse()
{
    SpGrdDig->setEvents(nullptr);
    --mSummaries->windows;
    if (sharedInstance == this)
        sharedInstance = nullptr;
}

void frmDigBrowse::Load()
{
    Form_Load();
}

void frmDigBrowse::ShowModal()
{
    try {
        Form_Load();
    } catch (...) {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        throw;
    }
    exec();
}

void frmDigBrowse::Form_Load()
{
    setWindowState(Qt::WindowMaximized);

    const QString systemDirectory = SystemDirectory().left(256);
    mHelpFile = systemDirectory + QStringLiteral("/rodezova/Base.hlp");
    mHelpTopic = kHelpTopic;

    mdbPrint = OpenPrintDatabase(systemDirectory);

    // A read-only listing says so before the user types a row it cannot keep.
    setWindowTitle(LoadResString(1) + (blnReadOnly ? QStringLiteral("（只读）") : QString()));
    setWindowIcon(LoadResIcon(201));

    if (const QScreen *screen = QApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }

    Toolbar1->adjustSize();
    mintBarHeight = Toolbar1->sizeHint().height();

    mclsRef = std::make_unique<clsRef>();
    mclsRef->Ref1 = std::make_unique<AccountReference>(this);
    mclsRef->Ref1->setSink(mclsRef.get());

    QApplication::setOverrideCursor(Qt::WaitCursor);

    if (!dbs)
        throw std::runtime_error("frmDigBrowse: no database object (Init was not called)");
    recCode = dbs->OpenRecordset(SqlText::AccountListQuery(), DataKit::dbOpenDynaset);

    InitImageList();
    InitToolbar();

    InitGrid();

    if (!mRecObject)
        throw std::runtime_error("frmDigBrowse: no listing to show (Init did not succeed)");
    SpGrdDig->setRedraw(false);
    FillGrid(*mRecObject);
    AppendBlankRow();
    FFirst();
    SendKeys(SpGrdDig->view(), QStringLiteral("^{PGDN}"));
    SpGrdDig->setRedraw(true);

    SaveRowState(SpGrdDig->currentRow());

    if (SpGrdDig->rowCount() == SpGrdDig->currentRow() + 1) {
        mblnAddMark = true;
        setButton(QStringLiteral("TlbDel"), false);
    } else {
        mblnAddMark = false;
        setButton(QStringLiteral("TlbDel"), true);
    }

    mblnEditing = false;
    setButton(QStringLiteral("TlbCancel"), false);
    setButton(QStringLiteral("TlbAdd"), false);

    StatusAfterRefill(false);
    TakeListingIntoIndex();
}

void frmDigBrowse::InitGrid()
{
    GridControl &grid = *SpGrdDig;
    grid.setColumnCount(4);
    grid.setRowCount(2);
    grid.setHeaderColumnCount(0);
    grid.setHeaderRowCount(1);
    grid.setRowCount(1);

    const int flags[] = {1, 0, 1, 1};
    const int widths[] = {2800, 5500, 4000, 2500};
    const int limits[] = {6, 60, 60, 40};
    const int headers[] = {3, 8, 139, 111};
    for (int col = 0; col < 4; ++col)
        grid.setColumnFlag(col, flags[col]);
    for (int col = 0; col < 4; ++col)
        grid.setColumnWidth(col, widths[col]);
    for (int col = 0; col < 4; ++col)
        grid.setColumnInputLimit(col, limits[col]);
    for (int col = 0; col < 4; ++col)
        grid.setColumnAlignment(col, 1);
    grid.setRowHeight(0, 400);
    for (int col = 0; col < 4; ++col)
        grid.setText(0, col, LoadResString(headers[col]));
    grid.setReferenceColumn(3);
    // The blank entry row holds no summary: Ctrl+End goes to the last summary above it.
    grid.setTrailingEntryRow(true);
}

void frmDigBrowse::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmDigBrowse::Form_Resize()
{
    Toolbar1->setGeometry(0, 0, width(), Toolbar1->sizeHint().height());
    PlaceSearchBox();
    // The status line takes its height from the grid's and sits right under it.
    const int h = height() - mintBarHeight - TwipsToPixels(*this, 300) - lblStatus->height();
    if (h <= 0)
        return;
    const int left = TwipsToPixels(*this, kGridLeft);
    const int top = mintBarHeight + TwipsToPixels(*this, 200);
    const int w = width() - TwipsToPixels(*this, 100);
    SpGrdDig->setGeometry(left, top, w, h);
    lblStatus->setGeometry(left, top + h, w, lblStatus->height());
    PlaceTitleLabels();
}

void frmDigBrowse::PlaceTitleLabels()
{
    QFont titleFont(QStringLiteral("宋体"));
    titleFont.setPointSize(15);
    lblTitle1->setFont(titleFont);
    lblTitle1->setText(LoadResString(1));
    lblTitle1->adjustSize();
    lblTitle1->move((width() - lblTitle1->width()) / 2, lblTitle1->y());

    QFont yearFont(QStringLiteral("宋体"));
    yearFont.setPointSize(10);
    lblTitle2->setFont(yearFont);
    lblTitle2->setText(QString::number(QDate::currentDate().year()) + QStringLiteral("年度"));
    lblTitle2->adjustSize();
    lblTitle2->move((width() - lblTitle2->width()) / 2, lblTitle2->y());

    lblTitle1->hide();
    lblTitle2->hide();
}

void frmDigBrowse::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void frmDigBrowse::Form_Activate()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    PlaceTitleLabels();
}

void frmDigBrowse::keyPressEvent(QKeyEvent *event)
{
    if (!WindowKey(*event, [this] { ShowHelpTopic(); }))
        QDialog::keyPressEvent(event);
}

// A suite installation may put its own help file in place; otherwise the shipped page serves.
QString frmDigBrowse::HelpFileInUse() const
{
    return QFile::exists(mHelpFile) ? mHelpFile : QString::fromLatin1(kHelpPage);
}

void frmDigBrowse::ShowHelpTopic()
{
    ShowHelp(this, HelpFileInUse(), mHelpTopic);
}

void frmDigBrowse::closeEvent(QCloseEvent *event)
{
    if (!mUnloaded && !LeaveRowForClosing()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// Closing (Exit, Alt+F4, the close box) leaves the current row: a pending change is saved as
// moving away would save it, and a refusal shows its message and keeps the window open, so that
// nothing typed is lost without a word. An entry row with nothing in it has nothing to save.
bool frmDigBrowse::LeaveRowForClosing()
{
    if (!SpGrdDig->finishEditing())
        return false;
    const long row = SpGrdDig->currentRow();
    if (!RowPending(row))
        return true;
    long cancel = 0;
    gridRowLeave(cancel, row, SpGrdDig->currentColumn());
    return cancel != 1;
}

void frmDigBrowse::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void frmDigBrowse::Form_Unload()
{
    if (mUnloaded)
        return;
    mUnloaded = true;
    // Keystrokes still queued for the grid must not reach a window whose recordsets are gone, nor
    // a search still waiting refill its grid.
    SpGrdDig->setEvents(nullptr);
    mSearchTimer->stop();
    // Every step goes on whatever the one before met: closing never fails.
    try {
        if (mclsRef && mclsRef->Ref1)
            mclsRef->Ref1.reset();
    } catch (...) {
    }
    mclsRef.reset();
    recCode.reset();
    recRef.reset();
    mRecObject.reset();
    try {
        if (mdbPrint)
            mdbPrint->Close();
    } catch (...) {
    }
    mdbPrint.reset();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}
