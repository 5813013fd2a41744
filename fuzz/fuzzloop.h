#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

// For the targets that drive an exchange over real loopback sockets: the
// application object they need, and a loop that lets the events run until
// something has happened or a deadline passes. (A fuzz target may pump
// events; the program itself never does.)
inline void makeFuzzApplication(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
}

inline bool runEventsUntil(const std::function<bool()>& done, int milliseconds = 2000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}
