#include "PickerDelegate.h"

#include "DigestPicker.h"
#include "PickerPopup.h"

#include <QKeyEvent>
#include <QLineEdit>

PickerDelegate::PickerDelegate(DigestPicker *picker, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_picker(picker)
{
}

QWidget *PickerDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                      const QModelIndex &) const
{
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    auto *popup = new PickerPopup(
        editor, [picker = m_picker](const QString &typed) { return picker->matches(typed); });
    // Const only by the base class's signature: the signals are the delegate's own to send.
    auto *self = const_cast<PickerDelegate *>(this);
    connect(popup, &PickerPopup::picked, self,
            [self, editor, picker = m_picker](const DigestMatch &match) {
                emit self->commitData(editor);
                emit self->closeEditor(editor, QAbstractItemDelegate::NoHint);
                emit picker->picked(match);
            });
    return editor;
}

// The view filters its editor's keys through the delegate before the list sees them, so the list
// has its keys first here; what it leaves takes the delegate's usual way (Enter commits, Esc
// reverts).
bool PickerDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto *popup = watched->findChild<PickerPopup *>(QString(), Qt::FindDirectChildrenOnly);
        if (popup && popup->takeKey(static_cast<QKeyEvent *>(event)))
            return true;
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
