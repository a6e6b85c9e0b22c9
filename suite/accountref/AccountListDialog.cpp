#include "AccountListDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Item data role holding the account's position in the list the dialog was built from.
constexpr int kIndexRole = Qt::UserRole;

bool isChoosable(const QTreeWidgetItem *item)
{
    return item && !item->isHidden() && (item->flags() & Qt::ItemIsSelectable);
}

} // namespace

AccountListDialog::AccountListDialog(const QString &caption, const QStringList &headings,
                                     const QList<AccountEntry> &accounts, bool multiSelect,
                                     QWidget *parent)
    : QDialog(parent)
    , m_search(new QLineEdit(this))
    , m_list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("accountReference"));
    setWindowTitle(caption);
    resize(420, 360);

    m_search->setObjectName(QStringLiteral("searchBox"));
    m_search->setPlaceholderText(QStringLiteral("输入编码或名称查找"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);

    m_list->setObjectName(QStringLiteral("accountList"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels(headings);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection
                                         : QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 130);
    // The keyboard works the list from the search box, so the list shows its highlight as if it
    // had the focus.
    m_list->setFocusProxy(m_search);
    QPalette listPalette = m_list->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        listPalette.setBrush(QPalette::Inactive, role, listPalette.brush(QPalette::Active, role));
    m_list->setPalette(listPalette);
    fillList(accounts);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(QStringLiteral("确定"));
    m_ok->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_list);
    layout->addWidget(buttons);

    connect(m_search, &QLineEdit::textChanged, this, &AccountListDialog::applySearch);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &AccountListDialog::updateOkButton);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &AccountListDialog::updateOkButton);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (isChoosable(item))
            accept();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    applySearch(QString());
    m_search->setFocus();
}

void AccountListDialog::fillList(const QList<AccountEntry> &accounts)
{
    QList<QTreeWidgetItem *> items;
    items.reserve(accounts.size());
    const QBrush unavailable = palette().brush(QPalette::Disabled, QPalette::Text);
    for (qsizetype i = 0; i < accounts.size(); ++i) {
        auto *item = new QTreeWidgetItem(QStringList{accounts[i].code, accounts[i].name});
        item->setData(0, kIndexRole, int(i));
        if (!accounts[i].selectable) {
            item->setFlags(Qt::ItemIsEnabled);
            item->setForeground(0, unavailable);
            item->setForeground(1, unavailable);
        }
        items.append(item);
    }
    m_list->addTopLevelItems(items);
}

void AccountListDialog::setSearchText(const QString &text)
{
    m_search->setText(text);
    m_search->selectAll();
}

void AccountListDialog::applySearch(const QString &text)
{
    const QString wanted = text.trimmed();
    QTreeWidgetItem *firstShown = nullptr;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_list->topLevelItem(i);
        const bool shown = item->text(0).contains(wanted, Qt::CaseInsensitive) ||
                           item->text(1).contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (!shown)
            item->setSelected(false);
        else if (!firstShown)
            firstShown = item;
    }
    QTreeWidgetItem *current = m_list->currentItem();
    if (!current || current->isHidden()) {
        m_list->setCurrentItem(firstShown);
        if (firstShown)
            m_list->scrollToItem(firstShown);
    }
    updateOkButton();
}

QList<int> AccountListDialog::chosenIndices() const
{
    QList<int> chosen;
    if (m_list->selectionMode() == QAbstractItemView::SingleSelection) {
        // The highlighted row counts even when Up/Down moved it without selecting it.
        if (isChoosable(m_list->currentItem()))
            chosen.append(m_list->currentItem()->data(0, kIndexRole).toInt());
        return chosen;
    }
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_list->topLevelItem(i);
        if (item->isSelected() && isChoosable(item))
            chosen.append(item->data(0, kIndexRole).toInt());
    }
    return chosen;
}

void AccountListDialog::updateOkButton()
{
    m_ok->setEnabled(!chosenIndices().isEmpty());
}

bool AccountListDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // Moving through the list without leaving the search box, so typing can go on.
            QCoreApplication::sendEvent(m_list, event);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
