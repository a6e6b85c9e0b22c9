#pragma once

#include <QObject>
#include <QString>

// The suite's terminal service ("SeatMisc.Console"): tells which login session the process runs
// in, so that per-session files of several users on one machine do not collide.
class TerminalService : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // A short id usable inside a file name; "" when the session cannot be told.
    Q_INVOKABLE QString GetSessionId() const;
};
