#pragma once

// What the benchmarks share: the figures of their own process, and
// varnholt-testnet run as a process of its own, so that those figures are
// the program's alone.
#include "stopprocess.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

#include <optional>
#include <utility>

namespace BenchFigures {

// User and system time of this process so far.
inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A "VmRSS:" or "VmHWM:" (peak) figure of /proc/self/status, in KiB.
inline long statusKiB(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toLong();
    }
    return -1;
}

} // namespace BenchFigures

// Runs varnholt-testnet with a scenario file's game servers, logging every
// datagram it gets; nothing if it fails.
class BenchTestNet
{
public:
    std::optional<QList<quint16>> start(const QByteArray& scenario, const QString& folder,
                                        QStringList arguments = {})
    {
        const QString file = folder + QStringLiteral("/scenario.txt");
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(scenario) != scenario.size())
            return std::nullopt;
        out.close();

        m_process.setProgram(QCoreApplication::applicationDirPath() +
                             QStringLiteral("/varnholt-testnet"));
        // Every datagram is logged: the info requests are counted per server.
        arguments << QStringLiteral("--scenario") << file << QStringLiteral("--log");
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return std::nullopt;
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(10000))
                return std::nullopt;
        }
        // READY master=<port> servers=<port>,<port>,...
        const QString ready = QString::fromLatin1(m_process.readLine()).trimmed();
        const qsizetype at = ready.indexOf(QStringLiteral("servers="));
        const qsizetype master = ready.indexOf(QStringLiteral("master="));
        if (!ready.startsWith(QStringLiteral("READY")) || at < 0)
            return std::nullopt;
        if (master >= 0)
            m_masterPort = ready.mid(master + 7).section(u' ', 0, 0).toUShort();
        QList<quint16> ports;
        for (const QString& port : ready.mid(at + 8).split(u',', Qt::SkipEmptyParts))
            ports.append(port.toUShort());
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { readLog(); });
        return ports;
    }

    quint16 masterPort() const { return m_masterPort; }

    // Info requests each server got since the last call, by port.
    QHash<quint16, int> takeRequestCounts()
    {
        readLog();
        return std::exchange(m_requests, {});
    }

    ~BenchTestNet() { stopProcess(m_process); }

private:
    // "RECV server:<port> <sender> 00000000"
    void readLog()
    {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith("RECV server:") && line.endsWith(" 00000000"))
                ++m_requests[quint16(line.mid(12, line.indexOf(' ', 12) - 12).toUInt())];
        }
    }

    QProcess m_process;
    quint16 m_masterPort = 0;
    QHash<quint16, int> m_requests;
};
