#pragma once

#include <QStyledItemDelegate>

class DigestPicker;

// The picker's editor for a column of a host's table: a line edit with the list of matches under
// it; a picked summary's text is written into the cell and the picker tells the host.
class PickerDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    PickerDelegate(DigestPicker *picker, QObject *parent);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    DigestPicker *m_picker;
};
