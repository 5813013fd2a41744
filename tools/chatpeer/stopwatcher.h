#pragma once

#include <QObject>

class QSocketNotifier;

// Tells when the program should end: on SIGTERM or SIGINT, and, when the
// standard input is a pipe, when its writer closes it (the starter is gone).
// The signal handler only writes to a pipe; the rest runs in the event loop.
class StopWatcher : public QObject
{
    Q_OBJECT
public:
    explicit StopWatcher(QObject* parent = nullptr);
    ~StopWatcher() override;

Q_SIGNALS:
    void stopRequested();

private:
    void onStdinReadable();

    QSocketNotifier* m_signalNotifier = nullptr;
    QSocketNotifier* m_stdinNotifier = nullptr;
};
