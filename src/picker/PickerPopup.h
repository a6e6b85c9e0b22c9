#pragma once

#include "DigestPicker.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QKeyEvent;
class QLineEdit;

// The list of matches under a line edit: follows what is typed (each edit asks matcher again),
// Up and Down move, Enter or a click picks (the edit then shows the summary's text), Esc closes
// the list and keeps what was typed. The list never takes the focus from the edit. Owned by the
// edit.
class PickerPopup final : public QObject
{
    Q_OBJECT
public:
    using Matcher = std::function<QList<DigestMatch>(const QString &typed)>;

    PickerPopup(QLineEdit *edit, Matcher matcher);
    ~PickerPopup() override;

    // A key for the list while it is shown; true when the list took it. The edit's own key
    // events come here by themselves; an item view's delegate, which sees its editor's keys
    // first, hands them over.
    bool takeKey(QKeyEvent *event);
    bool isShown() const;

signals:
    void picked(const DigestMatch &match);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
