#include "WindowDriver.h"

#include "GridControl.h"
#include "frmDigBrowse.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

// A search slower than this is taken for one that never came.
constexpr qint64 kSearchPatienceMs = 60000;

} // namespace

WindowDriver::WindowDriver(frmDigBrowse &window)
    : m_window(window)
{
}

double WindowDriver::time(const std::function<void()> &action)
{
    m_added.clear();
    m_modals.clear();
    m_modalNs = 0;
    qApp->installEventFilter(this);
    m_window.installEventFilter(this);
    m_clock.start();
    action();
    // The keystrokes the action queued for the grid (SendKeys) are part of it, and so is painting
    // what it changed: every update it asked for, whatever else it queued with them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::KeyPress);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::KeyRelease);
    QCoreApplication::sendPostedEvents();
    const qint64 ns = m_clock.nsecsElapsed() - m_modalNs;
    m_window.removeEventFilter(this);
    qApp->removeEventFilter(this);
    return double(ns) / 1e6;
}

double WindowDriver::command(const char *key)
{
    return time([&] { m_window.RunCommand(QLatin1String(key)); });
}

void WindowDriver::settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

bool WindowDriver::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == &m_window)
            m_added.insert(static_cast<QChildEvent *>(event)->child(), m_clock.nsecsElapsed());
        break;
    case QEvent::ChildRemoved:
        if (watched == &m_window) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (m_modals.remove(child))
                m_modalNs += m_clock.nsecsElapsed() - m_added.value(child);
        }
        break;
    case QEvent::Show:
        if (m_added.contains(watched) && qobject_cast<QDialog *>(watched) &&
            !m_modals.contains(watched)) {
            m_modals.insert(watched);
            QMetaObject::invokeMethod(
                watched, [this, watched] { answer(watched); }, Qt::QueuedConnection);
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void WindowDriver::answer(QObject *modal)
{
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        if (box->icon() == QMessageBox::Question) {
            box->button(QMessageBox::Yes)->click();
            return;
        }
        unexpected << box->text();
        box->button(QMessageBox::Ok)->click();
        return;
    }
    const char *names[] = {"cboId", "cboText", "cboCode"};
    for (int i = 0; i < 3; ++i) {
        if (auto *combo = modal->findChild<QComboBox *>(QLatin1String(names[i])))
            combo->setEditText(m_boxes.value(i));
    }
    if (auto *ok = modal->findChild<QPushButton *>(QStringLiteral("cmdYes")))
        ok->click();
    else
        qobject_cast<QDialog *>(modal)->reject();
}

void WindowDriver::press(int key, Qt::KeyboardModifiers modifiers)
{
    GridControl &grid = m_window.grid();
    QWidget *target = grid.isEditing() ? static_cast<QWidget *>(grid.editor()) : grid.view();
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

void WindowDriver::typeCell(long row, long col, const QString &text)
{
    GridControl &grid = m_window.grid();
    grid.setCurrentRow(row);
    grid.setCurrentColumn(col);
    settle();
    press(Qt::Key_F2);
    grid.editor()->setText(text);
    press(Qt::Key_Return);
    settle();
}

void WindowDriver::clickHeader(long col)
{
    QHeaderView *header = m_window.grid().view()->horizontalHeader();
    const int x = header->sectionViewportPosition(int(col)) + header->sectionSize(int(col)) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

void WindowDriver::searchKey(int key, const QString &text)
{
    // The search runs from a timer once the keys waiting are in; its refill resets the grid's rows.
    QAbstractItemModel *model = m_window.grid().view()->model();
    bool refilled = false;
    const auto mark = [&refilled] { refilled = true; };
    const QList<QMetaObject::Connection> connections = {
        QObject::connect(model, &QAbstractItemModel::modelReset, mark),
        QObject::connect(model, &QAbstractItemModel::rowsRemoved, mark),
        QObject::connect(model, &QAbstractItemModel::rowsInserted, mark)};
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&m_window.searchBox(), &press);
    QElapsedTimer waited;
    waited.start();
    while (!refilled && waited.elapsed() < kSearchPatienceMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    for (const QMetaObject::Connection &connection : connections)
        QObject::disconnect(connection);
    if (!refilled)
        unexpected << QStringLiteral("the search for \"%1\" never refilled the grid")
                          .arg(m_window.searchBox().text());
}

void WindowDriver::setSearchText(const QString &text)
{
    while (!m_window.searchIndex().complete())
        QCoreApplication::processEvents();
    if (m_window.searchBox().text() == text)
        return;
    if (!m_window.searchBox().text().isEmpty())
        searchKey(Qt::Key_Escape);
    for (const QChar ch : text)
        searchKey(Qt::Key_unknown, ch);
    settle();
}
