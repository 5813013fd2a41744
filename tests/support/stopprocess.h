#pragma once

#include <QProcess>

// Asks a helper program to end, so that it can finish what it writes, and
// kills it if it has not ended within 5 s.
inline void stopProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}
