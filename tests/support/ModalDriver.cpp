#include "ModalDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>

namespace kvtest {

ModalDriver::ModalDriver()
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
    m_timer.start();
}

ModalDriver::~ModalDriver() = default;

void ModalDriver::expectMessage(const QString &text, QMessageBox::Icon icon,
                                QMessageBox::StandardButton answer, const QString &caption)
{
    m_pending.push_back([=, this](QWidget *window) {
        auto *box = qobject_cast<QMessageBox *>(window);
        if (!box) {
            m_problems << QStringLiteral("expected message \"%1\", got a %2")
                              .arg(text, QString::fromLatin1(window->metaObject()->className()));
            window->close();
            return;
        }
        if (box->text() != text)
            m_problems
                << QStringLiteral("message text \"%1\", expected \"%2\"").arg(box->text(), text);
        if (box->windowTitle() != caption)
            m_problems << QStringLiteral("caption \"%1\", expected \"%2\" (message \"%3\")")
                              .arg(box->windowTitle(), caption, box->text());
        if (box->icon() != icon)
            m_problems << QStringLiteral("icon %1, expected %2 (message \"%3\")")
                              .arg(box->icon())
                              .arg(icon)
                              .arg(box->text());
        QAbstractButton *button = box->button(answer);
        if (!button) {
            m_problems
                << QStringLiteral("message \"%1\" has no button %2").arg(box->text()).arg(answer);
            box->close();
            return;
        }
        button->click();
    });
}

void ModalDriver::expectDialog(std::function<void(QWidget *)> handle)
{
    m_pending.push_back(std::move(handle));
}

QString ModalDriver::problems() const
{
    QStringList all = m_problems;
    if (!m_pending.empty())
        all << QStringLiteral("%1 expected modal window(s) never opened").arg(m_pending.size());
    return all.join(QStringLiteral("; "));
}

void ModalDriver::poll()
{
    if (m_busy)
        return;
    ++m_looks;
    QWidget *window = QApplication::activeModalWidget();
    if (!window || !window->isVisible())
        return;
    m_busy = true;
    auto *box = qobject_cast<QMessageBox *>(window);
    if (box)
        m_messages << box->text();
    if (m_pending.empty()) {
        m_problems << QStringLiteral("unexpected modal window: %1 \"%2\"")
                          .arg(QString::fromLatin1(window->metaObject()->className()),
                               box ? box->text() : window->windowTitle());
        if (auto *dialog = qobject_cast<QDialog *>(window))
            dialog->reject();
        else
            window->close();
    } else {
        auto handle = std::move(m_pending.front());
        m_pending.pop_front();
        handle(window);
    }
    m_busy = false;
}

} // namespace kvtest
