#include "MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTextEdit>

bool MsgBox(QWidget *parent, const QString &text, const QString &caption, MsgIcon icon,
            const QString &detail)
{
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setDetailedText(detail);
    // The details button speaks the user's language too. The box labels it when it is shown and
    // at every click, so the label is put right after those, from the event loop.
    for (QAbstractButton *button : box.buttons()) {
        if (box.buttonRole(button) != QMessageBox::ActionRole)
            continue;
        const auto relabel = [&box, button] {
            const bool shown =
                box.findChild<QTextEdit *>() && box.findChild<QTextEdit *>()->isVisible();
            button->setText(shown ? QStringLiteral("隐藏详细信息...")
                                  : QStringLiteral("显示详细信息..."));
        };
        QMetaObject::invokeMethod(button, relabel, Qt::QueuedConnection);
        QObject::connect(button, &QAbstractButton::clicked, button, relabel, Qt::QueuedConnection);
    }
    switch (icon) {
    case MsgIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (icon == MsgIcon::Question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    }
    const int answer = box.exec();
    return answer == QMessageBox::Ok || answer == QMessageBox::Yes;
}
