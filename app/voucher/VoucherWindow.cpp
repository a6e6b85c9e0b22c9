#include "VoucherWindow.h"

#include "Database.h"
#include "DigestPicker.h"
#include "VoucherLedger.h"
#include "VoucherLines.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("记账凭证");

// How often each summary was used, so that the ones used most come first.
const QString kUsage =
    QStringLiteral("SELECT cDigestId, COUNT(*) FROM GL_VoucherLine GROUP BY cDigestId");

std::shared_ptr<DataKit::Database> prepared(std::shared_ptr<DataKit::Database> database)
{
    VoucherLedger::prepare(*database);
    return database;
}

QToolButton *buttonFor(QAction *action)
{
    auto *button = new QToolButton;
    button->setDefaultAction(action);
    button->setObjectName(action->objectName());
    return button;
}

} // namespace

VoucherWindow::VoucherWindow(std::shared_ptr<DataKit::Database> database, QWidget *parent)
    : QWidget(parent)
    , m_database(prepared(std::move(database)))
    , m_picker(new DigestPicker(m_database, this))
    , m_lines(new VoucherLines(VoucherLedger::chart(*m_database), this))
    , m_view(new QTableView)
    , m_status(new QLabel)
{
    setWindowTitle(kTitle);
    m_picker->setUsageQuery(kUsage);
    m_view->setModel(m_lines);
    m_view->setItemDelegateForColumn(VoucherLines::Summary, m_picker->createDelegate(m_view));
    m_view->setColumnWidth(VoucherLines::Summary, 260);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    // Typing into a cell starts on it; a click only moves there.
    m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_status->setObjectName(QStringLiteral("status"));
    // The picker's editor is the current cell's.
    connect(m_picker, &DigestPicker::picked, this, [this](const DigestMatch &match) {
        if (const int row = m_view->currentIndex().row(); row >= 0)
            m_lines->pick(row, match);
    });

    auto *keep = new QAction(QStringLiteral("存为常用摘要"), this);
    keep->setObjectName(QStringLiteral("keep"));
    keep->setToolTip(QStringLiteral("把这一行输入的摘要存为新的常用摘要"));
    connect(keep, &QAction::triggered, this, &VoucherWindow::keepAsSummary);
    auto *save = new QAction(QStringLiteral("保存"), this);
    save->setObjectName(QStringLiteral("save"));
    save->setShortcut(QKeySequence::Save);
    save->setToolTip(QStringLiteral("把有摘要的分录保存为新凭证（Ctrl+S）"));
    connect(save, &QAction::triggered, this, &VoucherWindow::save);
    m_view->addAction(keep);
    m_view->setContextMenuPolicy(Qt::ActionsContextMenu);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(buttonFor(keep));
    buttons->addWidget(m_status, 1);
    buttons->addWidget(buttonFor(save));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addLayout(buttons);
    resize(640, 360);
    m_view->setCurrentIndex(m_lines->index(0, VoucherLines::Summary));
    m_view->setFocus();
}

VoucherWindow::~VoucherWindow() = default;

// The text of an open editor belongs to its line before the lines are read: moving the current
// cell away and back commits it, as a click on another cell would.
void VoucherWindow::finishEditing()
{
    const QModelIndex current = m_view->currentIndex();
    m_view->setCurrentIndex(QModelIndex());
    m_view->setCurrentIndex(current);
}

void VoucherWindow::tell(const QString &message)
{
    QMessageBox::information(this, kTitle, message);
}

void VoucherWindow::save()
{
    finishEditing();
    const QList<VoucherLedger::Line> lines = m_lines->filled();
    if (lines.isEmpty())
        return tell(QStringLiteral("没有要保存的分录：请先输入摘要。"));
    try {
        const int voucher = VoucherLedger::save(*m_database, lines);
        m_lines->reset();
        m_view->setCurrentIndex(m_lines->index(0, VoucherLines::Summary));
        m_status->setText(
            QStringLiteral("已保存第 %1 号凭证，%2 条分录。").arg(voucher).arg(lines.size()));
    } catch (const DataKit::Error &error) {
        // The lines stay on the screen, to be saved again once the cause is mended.
        QMessageBox::critical(this, kTitle,
                              QStringLiteral("不能保存凭证：%1").arg(error.description()));
    }
}

void VoucherWindow::keepAsSummary()
{
    finishEditing();
    const int row = m_view->currentIndex().row();
    const VoucherLedger::Line line = row >= 0 ? m_lines->line(row) : VoucherLedger::Line();
    if (line.summary.isEmpty())
        return tell(QStringLiteral("请先在这一行输入摘要。"));
    if (!line.digestId.isEmpty())
        return tell(QStringLiteral("这一行的摘要已是常用摘要 %1。").arg(line.digestId));
    try {
        const DigestMatch kept = m_picker->addSummary(line.summary, line.accountCode);
        m_lines->pick(row, kept);
        m_status->setText(QStringLiteral("已存为常用摘要 %1。").arg(kept.code));
    } catch (const DataKit::Error &error) {
        QMessageBox::warning(this, kTitle, error.description());
    }
}
