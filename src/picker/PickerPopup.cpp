#include "PickerPopup.h"

#include "PickerLog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>
#include <exception>

namespace {

enum Column { CodeColumn, TextColumn, AccountColumn, ColumnCount };

// More matches than this scroll: a taller list would cover the voucher it serves.
constexpr int kVisibleRows = 10;

bool isListKey(const QKeyEvent *event)
{
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}

// Room between the columns and around the rows, in the font's measure: the list is read at a
// glance while typing.
class RoomyDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int unit = option.fontMetrics.height() / 4;
        return QStyledItemDelegate::sizeHint(option, index) + QSize(3 * unit, 2 * unit);
    }
};

QTreeWidget *newList(QLineEdit *edit)
{
    // A window of its own so that it may reach past the edit's window, one that is never
    // activated so that the keys keep going to the edit; a child of the edit so that it goes with
    // it.
    auto *list = new QTreeWidget(edit);
    list->setObjectName(QStringLiteral("lstDigestPicker"));
    list->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    list->setAttribute(Qt::WA_ShowWithoutActivating);
    list->setFocusPolicy(Qt::NoFocus);
    list->setItemDelegate(new RoomyDelegate(list));
    list->setColumnCount(ColumnCount);
    list->setHeaderHidden(true);
    list->header()->setStretchLastSection(false);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The list is never the active window; its current row shows as if it were.
    QPalette palette = list->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setBrush(QPalette::Inactive, role, palette.brush(QPalette::Active, role));
    list->setPalette(palette);
    return list;
}

} // namespace

struct PickerPopup::Private
{
    PickerPopup *q;
    QLineEdit *edit;
    Matcher matcher;
    QPointer<QTreeWidget> list;
    QList<DigestMatch> shown;

    QList<DigestMatch> matchesFor(const QString &typed) const;
    void follow(const QString &typed);
    void fill();
    void place();
    void moveCurrent(int step);
    void pick(int row);
};

QList<DigestMatch> PickerPopup::Private::matchesFor(const QString &typed) const
{
    if (typed.isEmpty())
        return {};
    // Typing goes on whatever the list could not show: the text is kept as typed.
    try {
        return matcher(typed);
    } catch (const std::exception &error) {
        qCWarning(lcPicker).noquote()
            << "no list of summaries for" << typed << "-" << QString::fromUtf8(error.what());
        return {};
    }
}

void PickerPopup::Private::follow(const QString &typed)
{
    shown = matchesFor(typed);
    if (shown.isEmpty()) {
        list->hide();
        return;
    }
    fill();
    place();
    list->show();
}

void PickerPopup::Private::fill()
{
    list->clear();
    const QColor grey = list->palette().color(QPalette::PlaceholderText);
    for (const DigestMatch &match : std::as_const(shown)) {
        auto *item = new QTreeWidgetItem(
            list, {match.code, match.text,
                   match.accountName.isEmpty() ? match.accountCode : match.accountName});
        item->setTextAlignment(AccountColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setForeground(AccountColumn, grey);
    }
    list->setCurrentItem(list->topLevelItem(0));
}

// Under the edit, as wide as the edit at least (the text column takes what is over), above it
// when the screen has no room below.
void PickerPopup::Private::place()
{
    list->setFont(edit->font());
    QHeaderView *header = list->header();
    for (int column = 0; column < ColumnCount; ++column)
        list->resizeColumnToContents(column);
    int width = header->length() + 2 * list->frameWidth();
    if (shown.size() > kVisibleRows)
        width += list->verticalScrollBar()->sizeHint().width();
    if (width < edit->width()) {
        header->resizeSection(TextColumn, header->sectionSize(TextColumn) + edit->width() - width);
        width = edit->width();
    }
    const int rows = int(std::min<qsizetype>(shown.size(), kVisibleRows));
    const int height = rows * list->sizeHintForRow(0) + 2 * list->frameWidth();

    const QRect screen = edit->screen()->availableGeometry();
    QPoint at = edit->mapToGlobal(QPoint(0, edit->height()));
    if (at.y() + height > screen.bottom() + 1)
        at.ry() -= edit->height() + height;
    at.setX(std::max(screen.left(), std::min(at.x(), screen.right() + 1 - width)));
    list->setGeometry(QRect(at, QSize(width, height)));
}

void PickerPopup::Private::moveCurrent(int step)
{
    const int row = std::clamp(list->currentIndex().row() + step, 0, int(shown.size()) - 1);
    list->setCurrentItem(list->topLevelItem(row));
}

void PickerPopup::Private::pick(int row)
{
    const DigestMatch match = shown.at(row);
    list->hide();
    edit->setText(match.text);
    emit q->picked(match);
}

PickerPopup::PickerPopup(QLineEdit *edit, Matcher matcher)
    : QObject(edit)
    , d(std::make_unique<Private>(Private{this, edit, std::move(matcher), newList(edit), {}}))
{
    // Only what the user types asks again; the text a pick puts in does not.
    connect(edit, &QLineEdit::textEdited, this, [this](const QString &typed) { d->follow(typed); });
    connect(d->list, &QAbstractItemView::clicked, this,
            [this](const QModelIndex &index) { d->pick(index.row()); });
    edit->installEventFilter(this);
}

PickerPopup::~PickerPopup()
{
    delete d->list;
}

bool PickerPopup::takeKey(QKeyEvent *event)
{
    if (!isShown() || !isListKey(event))
        return false;
    // Claimed before the window's shortcuts see it, so that the press itself comes here.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Up:
        d->moveCurrent(-1);
        break;
    case Qt::Key_Down:
        d->moveCurrent(1);
        break;
    case Qt::Key_Escape:
        d->list->hide();
        break;
    default:
        d->pick(d->list->currentIndex().row());
    }
    return true;
}

bool PickerPopup::isShown() const
{
    return d->list->isVisible();
}

bool PickerPopup::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        return takeKey(static_cast<QKeyEvent *>(event));
    case QEvent::FocusOut:
    case QEvent::Hide:
        d->list->hide();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
