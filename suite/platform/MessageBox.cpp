#include "MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>
#include <QTextEdit>

namespace {

// The title bar is the desktop's, out of the toolkit's reach, and a box sized to a short text alone
// cuts its caption off. Room is kept for what a common title bar holds: the caption in a bold title
// font beside the window icon and three buttons, each about as wide as the bar is high, and one
// more such width for the bar's padding. Desktops draw titles at 11 points or more, on bars at
// least one and a half lines of that font high.
int captionRoom(const QMessageBox &box)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    if (font.pointSizeF() < 11)
        font.setPointSizeF(11);
    const QFontMetrics metrics(font);
    const int bar = qMax(box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box),
                         metrics.height() * 3 / 2);
    return metrics.horizontalAdvance(box.windowTitle()) + 5 * bar;
}

// The box fixes its own size from its layout when shown; a spacer across the layout's full width
// is the one minimum it honours. Added last: setting the icon rebuilds the layout.
void fitCaption(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const QMargins margins = grid->contentsMargins();
    const int width = captionRoom(box) - margins.left() - margins.right();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

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
    fitCaption(box);
    const int answer = box.exec();
    return answer == QMessageBox::Ok || answer == QMessageBox::Yes;
}
