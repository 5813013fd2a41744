#pragma once

#include <QObject>

class QSocketNotifier;

// Turns a request to stop from outside (SIGINT or SIGTERM; on Windows
// Ctrl+C, Ctrl+Break or the console closing) into stopRequested() on the
// thread that made this, so a program can finish its output and exit
// cleanly. On POSIX the handler writes a byte to a pipe that a
// QSocketNotifier watches (a handler may do little else); on Windows the
// console's handler thread queues the call. One at a time per process.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // Installs the handlers; false (and nothing installed) if it cannot.
    bool install();

Q_SIGNALS:
    void stopRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
    bool m_installed = false;
};
