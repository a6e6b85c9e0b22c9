#include "SendKeys.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QWidget>
#include <stdexcept>

namespace {

Qt::Key keyNamed(const QString &name)
{
    static const QHash<QString, Qt::Key> keys{
        {QStringLiteral("LEFT"), Qt::Key_Left},    {QStringLiteral("RIGHT"), Qt::Key_Right},
        {QStringLiteral("UP"), Qt::Key_Up},        {QStringLiteral("DOWN"), Qt::Key_Down},
        {QStringLiteral("PGUP"), Qt::Key_PageUp},  {QStringLiteral("PGDN"), Qt::Key_PageDown},
        {QStringLiteral("HOME"), Qt::Key_Home},    {QStringLiteral("END"), Qt::Key_End},
        {QStringLiteral("ENTER"), Qt::Key_Return}, {QStringLiteral("TAB"), Qt::Key_Tab},
        {QStringLiteral("ESC"), Qt::Key_Escape},   {QStringLiteral("F1"), Qt::Key_F1},
        {QStringLiteral("F2"), Qt::Key_F2},        {QStringLiteral("F4"), Qt::Key_F4},
    };
    const auto it = keys.constFind(name.toUpper());
    if (it == keys.constEnd())
        throw std::invalid_argument("unknown key name: " + name.toStdString());
    return *it;
}

void post(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, modifiers));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, modifiers));
}

} // namespace

void SendKeys(QWidget *target, const QString &keys)
{
    Qt::KeyboardModifiers modifiers;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QChar c = keys.at(i);
        if (c == QLatin1Char('^')) {
            modifiers |= Qt::ControlModifier;
        } else if (c == QLatin1Char('+')) {
            modifiers |= Qt::ShiftModifier;
        } else if (c == QLatin1Char('%')) {
            modifiers |= Qt::AltModifier;
        } else if (c == QLatin1Char('{')) {
            const qsizetype close = keys.indexOf(QLatin1Char('}'), i + 1);
            if (close < 0)
                throw std::invalid_argument("unbalanced braces in keys");
            post(target, keyNamed(keys.mid(i + 1, close - i - 1)), modifiers);
            modifiers = {};
            i = close;
        } else {
            throw std::invalid_argument("only named keys can be queued");
        }
    }
}
