#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

namespace kvtest {

// Answers the modal windows a test provokes, in order: each expectation checks the next modal
// window that opens and answers it. A modal window nobody expected is closed and recorded as a
// problem, so a test never hangs on a forgotten message box.
class ModalDriver : public QObject
{
public:
    ModalDriver();
    ~ModalDriver() override;

    // The next modal window must be a QMessageBox with exactly this text, caption and icon; it is
    // answered with the button.
    void expectMessage(const QString &text, QMessageBox::Icon icon,
                       QMessageBox::StandardButton answer = QMessageBox::Ok,
                       const QString &caption = QStringLiteral("提示信息"));
    // The next modal window is handed to the function, which must close it.
    void expectDialog(std::function<void(QWidget *)> handle);

    // True when every expectation has been met and nothing went wrong; problems() says what did.
    bool satisfied() const { return m_pending.empty() && m_problems.isEmpty(); }
    QString problems() const;
    // Texts of every message box seen, expected or not.
    const QStringList &messages() const { return m_messages; }
    // How often the driver has looked for a modal window: a test that must see none waits until
    // the driver has looked again after the action.
    int looks() const { return m_looks; }

private:
    void poll();

    QTimer m_timer;
    std::deque<std::function<void(QWidget *)>> m_pending;
    QStringList m_problems;
    QStringList m_messages;
    bool m_busy = false;
    int m_looks = 0;
};

} // namespace kvtest

// Fails the test with the driver's problems unless every expected window came and was answered.
#define KV_VERIFY_MODALS(driver) QTRY_VERIFY2((driver).satisfied(), qPrintable((driver).problems()))
