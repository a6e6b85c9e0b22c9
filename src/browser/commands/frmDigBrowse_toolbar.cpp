// The toolbar's pictures and buttons, the keyboard shortcuts, and the character filter.
#include "frmDigBrowse.h"

#include "Beep.h"
#include "Pictures.h"
#include "SendKeys.h"
#include "StringTable.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolBar>

namespace {

struct ImageEntry
{
    const char *key;
    int bitmap;
};

const ImageEntry kImages[] = {
    {"imgAdd", 101},    {"imgDel", 102},     {"imgCancel", 103},  {"imgFind", 104},
    {"imgFilter", 105}, {"imgRefresh", 106}, {"imgFont", 107},    {"imgPrint", 108},
    {"imgHelp", 109},   {"imgExit", 110},    {"imgPreview", 116}, {"imgOutput", 117},
    {"imgPSetup", 118},
};

struct ButtonEntry
{
    const char *key;
    int picture; // index into the image list, from 1
    int caption;
    int tooltip;
};

// The twelve buttons in toolbar order; the three separators stand between the groups.
const ButtonEntry kButtons[] = {
    {"TlbPSetup", 13, 137, 138}, {"TlbPrint", 8, 13, 13}, {"TlbPreview", 11, 135, 135},
    {"TlbOutput", 12, 136, 136}, {"TlbAdd", 1, 63, 63},   {"TlbDel", 2, 9, 9},
    {"TlbCancel", 3, 10, 10},    {"TlbFind", 4, 11, 11},  {"TlbFilter", 5, 12, 12},
    {"TlbRefresh", 6, 117, 117}, {"TlbHelp", 9, 14, 14},  {"TlbExit", 10, 15, 15},
};

// Virtual-key numbers of the keys the shortcuts name.
constexpr int kVkEnter = 13;
constexpr int kVkF4 = 115;

int virtualKey(const QKeyEvent &event)
{
    const int key = event.key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return kVkEnter;
    if (key == Qt::Key_F4)
        return kVkF4;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key; // the letters share their codes
    return -1;
}

int shiftMask(Qt::KeyboardModifiers modifiers)
{
    int mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= 1;
    if (modifiers & Qt::ControlModifier)
        mask |= 2;
    if (modifiers & Qt::AltModifier)
        mask |= 4;
    return mask;
}

constexpr int kCtrl = 2;
constexpr int kAlt = 4;

} // namespace

void frmDigBrowse::InitImageList()
{
    ImageList1.clear();
    for (const ImageEntry &image : kImages)
        ImageList1.append({QString::fromLatin1(image.key), QIcon(LoadResPicture(image.bitmap))});
}

void frmDigBrowse::InitToolbar()
{
    for (const ButtonEntry &entry : kButtons) {
        const QString key = QString::fromLatin1(entry.key);
        QAction *button = Toolbar1->findChild<QAction *>(key);
        button->setIcon(ImageList1.at(entry.picture - 1).second);
        mButtons.insert(key, button);
        button->setText(LoadResString(entry.caption));
        button->setToolTip(LoadResString(entry.tooltip));
    }
}

void frmDigBrowse::Toolbar1_ButtonClick(QAction *button)
{
    RunCommand(button->objectName());
}

void frmDigBrowse::setButton(const QString &key, bool enabled)
{
    if (QAction *button = mButtons.value(key))
        button->setEnabled(enabled);
}

bool frmDigBrowse::buttonEnabled(const QString &key) const
{
    const QAction *button = mButtons.value(key);
    return button && button->isEnabled();
}

void frmDigBrowse::setKeyPreview(bool on)
{
    mKeyPreview = on;
}

bool frmDigBrowse::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtSearch && event->type() == QEvent::KeyPress)
        return SearchBoxKey(*static_cast<QKeyEvent *>(event));
    if (watched != SpGrdDig->view() || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    if (keyEvent->key() == Qt::Key_F1 && keyEvent->modifiers() == Qt::NoModifier) {
        ShowHelpTopic();
        return true;
    }
    // The switch goes off when a cell editor opens and back on at the next cursor move. A commit
    // that leaves the cursor where it is (Enter in the last column, Esc) closes the editor without
    // a move: the window's keys must work again then too, or the Enter that saves a new row typed
    // up to its account, Ctrl+Z and the others would be dead until the user moves.
    if (!mKeyPreview && SpGrdDig->isEditing())
        return false;
    if (Form_KeyDown(virtualKey(*keyEvent), shiftMask(keyEvent->modifiers())))
        return true;
    const QString text = keyEvent->text();
    return text.size() == 1 && Form_KeyPress(text.at(0));
}

bool frmDigBrowse::Form_KeyDown(int keyCode, int shift)
{
    const auto fire = [this](const char *key) {
        RunCommand(QString::fromLatin1(key));
        return true;
    };
    switch (keyCode) {
    case kVkEnter:
        if (SpGrdDig->currentColumn() == SpGrdDig->columnCount() - 1 && mblnAddMark && mblnEditing)
            EnterCommit();
        return false; // the grid receives Enter as well
    case 'I':
        if (shift == kCtrl && mblnAddMark && mblnEditing && buttonEnabled(QStringLiteral("TlbAdd")))
            return fire("TlbAdd");
        return false;
    case 'D':
        if (shift == kCtrl && buttonEnabled(QStringLiteral("TlbDel")))
            return fire("TlbDel");
        return false;
    case kVkF4:
        if (shift == kAlt && buttonEnabled(QStringLiteral("TlbExit")))
            return fire("TlbExit");
        return false;
    case 'K':
        if (shift == kCtrl && buttonEnabled(QStringLiteral("TlbFind")))
            return fire("TlbFind");
        return false;
    case 'P':
        if (shift == kCtrl && buttonEnabled(QStringLiteral("TlbPrint")))
            return fire("TlbPrint");
        return false;
    case 'Z':
        if (shift == kCtrl && buttonEnabled(QStringLiteral("TlbCancel")))
            return fire("TlbCancel");
        return false;
    default:
        return false;
    }
}

bool frmDigBrowse::Form_KeyPress(QChar character)
{
    if (character != QLatin1Char('|') && character != QLatin1Char('\''))
        return false;
    Beep();
    return true;
}

void frmDigBrowse::EnterCommit()
{
    if (SpGrdDig->rowCount() > 2) {
        SendKeys(SpGrdDig->view(), QStringLiteral("{UP}"));
        SendKeys(SpGrdDig->view(), QStringLiteral("{DOWN}"));
    } else {
        long cancel = 2;
        gridRowLeave(cancel, SpGrdDig->currentRow(), SpGrdDig->currentColumn());
        SendKeys(SpGrdDig->view(), QStringLiteral("{Left}"));
    }
    GotoLastRow();
    setButton(QStringLiteral("TlbCancel"), true);
    setButton(QStringLiteral("TlbAdd"), false);
}
