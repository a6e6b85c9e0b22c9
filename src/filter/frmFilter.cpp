// The find/filter dialog: its layout, its keys, and the condition it composes.
#include "frmFilter.h"

#include "Beep.h"
#include "Fonts.h"
#include "HelpViewer.h"
#include "Pictures.h"
#include "SendKeys.h"
#include "SqlTexts.h"
#include "StringTable.h"
#include "Twips.h"
#include "WindowKeys.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace {

constexpr int kHelpContext = 31100024;

// The designed client area and the controls' places, in twips.
constexpr int kDesignWidth = 5775;
constexpr int kDesignHeight = 2295;

struct Place
{
    int left;
    int top;
    int width;
    int height;
};

const Place kLabelPlaces[] = {{255, 300, 1080, 180}, {255, 795, 1080, 180}, {255, 1305, 720, 180}};
const Place kBoxPlaces[] = {
    {1380, 230, 3250, 300}, {1395, 720, 3250, 300}, {1380, 1230, 3250, 300}};
const Place kValuePlaces[] = {{4710, 240, 900, 300}, {4710, 735, 900, 300}, {4710, 1230, 900, 300}};
const Place kYesPlace = {1980, 1800, 870, 345};
const Place kNoPlace = {3210, 1800, 870, 345};

// The pictures of the two buttons, by resource number, at their designed pixel size.
constexpr int kYesPicture = 113;
constexpr int kNoPicture = 114;
constexpr QSize kPictureSize(74, 20);

} // namespace

frmFilter::frmFilter(std::shared_ptr<DataKit::Database> database, QString helpFile, QWidget *parent)
    : QDialog(parent)
    , dbs(std::move(database))
    , mHelpFile(std::move(helpFile))
    , lblId(new QLabel(this))
    , lblText(new QLabel(this))
    , lblCode(new QLabel(this))
    , cmdYes(new QPushButton(this))
    , cmdNo(new QPushButton(this))
{
    InstallFontSubstitutions();
    setObjectName(QStringLiteral("frmFilter"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    setFixedSize(TwipsToPixels(*this, kDesignWidth), TwipsToPixels(*this, kDesignHeight));

    lblId->setObjectName(QStringLiteral("lblId"));
    lblText->setObjectName(QStringLiteral("lblText"));
    lblCode->setObjectName(QStringLiteral("lblCode"));
    const char *const boxNames[] = {"cboId", "cboText", "cboCode"};
    const char *const valueNames[] = {"cmdValue1", "cmdValue2", "cmdValue3"};
    for (int box = 0; box < 3; ++box) {
        QComboBox *combo = new QComboBox(this);
        combo->setObjectName(QString::fromLatin1(boxNames[box]));
        combo->setEditable(true);
        // What is typed is the condition's value, never a new entry of the list.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->installEventFilter(this);
        mBoxes[box] = combo;

        QPushButton *button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(valueNames[box]));
        connect(button, &QPushButton::clicked, this, [this, box] { cmdValue_Click(box); });
        mValueButtons[box] = button;
    }
    cmdYes->setObjectName(QStringLiteral("cmdYes"));
    cmdNo->setObjectName(QStringLiteral("cmdNo"));
    connect(cmdYes, &QPushButton::clicked, this, &frmFilter::cmdYes_Click);
    connect(cmdNo, &QPushButton::clicked, this, &frmFilter::cmdNo_Click);

    // Enter and Esc mean no button here: Enter moves on to the next control, Esc does nothing.
    for (QPushButton *button : findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->installEventFilter(this);
    }

    PlaceControls();
    Form_Load();
}

void frmFilter::PlaceControls()
{
    const auto place = [this](QWidget *widget, const Place &p) {
        widget->setGeometry(TwipsToPixels(*this, p.left), TwipsToPixels(*this, p.top),
                            TwipsToPixels(*this, p.width), TwipsToPixels(*this, p.height));
    };
    QLabel *const labels[] = {lblId, lblText, lblCode};
    for (int box = 0; box < 3; ++box) {
        // The labels size themselves to their text from their designed corner.
        const Place &corner = kLabelPlaces[box];
        labels[box]->move(TwipsToPixels(*this, corner.left), TwipsToPixels(*this, corner.top));
        place(mBoxes[box], kBoxPlaces[box]);
        place(mValueButtons[box], kValuePlaces[box]);
    }
    place(cmdYes, kYesPlace);
    place(cmdNo, kNoPlace);

    QWidget::setTabOrder(mBoxes[0], mBoxes[1]);
    QWidget::setTabOrder(mBoxes[1], mBoxes[2]);
    QWidget::setTabOrder(mBoxes[2], cmdYes);
    QWidget::setTabOrder(cmdYes, cmdNo);
    QWidget::setTabOrder(cmdNo, mValueButtons[0]);
    QWidget::setTabOrder(mValueButtons[0], mValueButtons[1]);
    QWidget::setTabOrder(mValueButtons[1], mValueButtons[2]);
}

void frmFilter::Form_Load()
{
    if (const QScreen *screen = QApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - frameGeometry().width()) / 2,
             (area.height() - frameGeometry().height()) / 2);
    }
    setWindowIcon(LoadResIcon(201));

    lblId->setText(LoadResString(3));
    lblText->setText(LoadResString(8));
    lblCode->setText(LoadResString(111));
    for (QLabel *label : {lblId, lblText, lblCode})
        label->adjustSize();
    for (QPushButton *button : mValueButtons)
        button->setText(LoadResString(120));
    cmdYes->setIcon(QIcon(LoadResPicture(kYesPicture, kPictureSize)));
    cmdNo->setIcon(QIcon(LoadResPicture(kNoPicture, kPictureSize)));
    cmdYes->setIconSize(kPictureSize);
    cmdNo->setIconSize(kPictureSize);
    mBoxes[0]->setFocus();
}

// The dialog sees every key of its boxes and buttons before they do.
bool frmFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    Form_KeyDown(keyEvent->key());
    const QString text = keyEvent->text();
    const bool isBox = std::find(mBoxes.begin(), mBoxes.end(), watched) != mBoxes.end();
    return isBox && text.size() == 1 && cbo_KeyPress(text.at(0));
}

// Enter moves the focus on as Tab would. The Tab is queued, so the control has the Enter itself
// first; the Enter is not consumed.
void frmFilter::Form_KeyDown(int keyCode)
{
    if (keyCode != Qt::Key_Return && keyCode != Qt::Key_Enter)
        return;
    if (QWidget *focus = focusWidget())
        SendKeys(focus, QStringLiteral("{TAB}"));
}

// An apostrophe or a vertical bar cannot be typed into a box.
bool frmFilter::cbo_KeyPress(QChar character)
{
    if (character != QLatin1Char('\'') && character != QLatin1Char('|'))
        return false;
    Beep();
    return true;
}

void frmFilter::keyPressEvent(QKeyEvent *event)
{
    if (!WindowKey(*event, [this] { ShowHelp(this, mHelpFile, kHelpContext); }))
        QDialog::keyPressEvent(event);
}

void frmFilter::cmdYes_Click()
{
    strSel = SqlText::FilterCondition(mBoxes[0]->currentText(), mBoxes[1]->currentText(),
                                      mBoxes[2]->currentText());
    accept();
}

void frmFilter::cmdNo_Click()
{
    reject();
}

// However the dialog closes (OK, Cancel, its close box), the value lists go with it.
void frmFilter::done(int result)
{
    for (auto &values : mValueLists)
        values.reset();
    QDialog::done(result);
}
