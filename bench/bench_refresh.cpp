// Refresh benchmark: the real query cycle against varnholt-testnet on
// 127.0.0.1. The test network runs as its own process, so the CPU time and
// memory printed are the browser's alone.
//
//   bench_refresh [--servers N] [--refreshes N]
//
// Scenario "answering": N servers (default 300) with reply delays of 1 to
// 50 ms, refreshed several times. Overhead per answered server = (wall time
// - sum of the servers' delays) / answered; target under 1 ms. Resident
// memory after each refresh should not grow with the number of refreshes.
//
// Also printed: "ping-delay", the mean of each row's ping minus its server's
// delay (pings are whole milliseconds, cut down), and "gap ms", the mean time
// from a handled reply to the next request going out.
//
// Scenario "silent": one server that never replies, so the cycle waits the
// full 4000 ms; target: CPU time well under 1% of the wait.
#include "core/browser/querycycle.h"
#include "core/platform/datapaths.h"
#include "core/platform/socket.h"
#include "core/settings/settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <optional>

namespace {

struct ServerPlan
{
    int delayMs;
    bool silent;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A "VmRSS:" or "VmHWM:" (peak) figure of /proc/self/status, in KiB.
long statusKiB(const QByteArray& field)
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

// Runs varnholt-testnet with the given game servers; nothing if it fails.
class TestNet
{
public:
    std::optional<QList<quint16>> start(const QList<ServerPlan>& plans, const QString& folder)
    {
        QByteArray scenario;
        for (int i = 0; i < plans.size(); ++i) {
            scenario += "Bench " + QByteArray::number(i) + " | dm" + QByteArray::number(i % 20) +
                        " | | " + QByteArray::number(i % 3) + " | " + QByteArray::number(i % 17) +
                        "/16 | 145 | " + QByteArray::number(plans[i].delayMs) + " | " +
                        (plans[i].silent ? "yes" : "no") + "\n";
        }
        const QString file = folder + QStringLiteral("/scenario.txt");
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(scenario) != scenario.size())
            return std::nullopt;
        out.close();

        m_process.setProgram(QCoreApplication::applicationDirPath() +
                             QStringLiteral("/varnholt-testnet"));
        m_process.setArguments({QStringLiteral("--scenario"), file});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return std::nullopt;
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(10000))
                return std::nullopt;
        }
        const QString ready = QString::fromLatin1(m_process.readLine()).trimmed();
        const qsizetype at = ready.indexOf(QStringLiteral("servers="));
        if (!ready.startsWith(QStringLiteral("READY")) || at < 0)
            return std::nullopt;
        QList<quint16> ports;
        for (const QString& port : ready.mid(at + 8).split(u',', Qt::SkipEmptyParts))
            ports.append(port.toUShort());
        return ports;
    }

    ~TestNet()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

private:
    QProcess m_process;
};

bool writeCache(const QList<quint16>& ports)
{
    QByteArray text;
    for (quint16 port : ports)
        text += "127.0.0.1\r\n " + QByteArray::number(port) + " \r\n";
    DataPaths::ensureFolderFor(DataPaths::cacheFile());
    QFile file(DataPaths::cacheFile());
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

quint16 freeLocalPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}

struct RefreshResult
{
    int rows = 0;
    qint64 wallMs = 0;
    double cpuSeconds = 0;
    qint64 pingMinusDelaySumMs = 0;
    // From a handled reply to the next "Receiving..." (sent right after the
    // next request): the cycle's own time between two servers.
    qint64 gapSumNs = 0;
    int gaps = 0;
};

// One whole refresh, from start() to the end of the cycle.
RefreshResult refresh(QueryCycle& cycle, const QList<ServerPlan>& plans)
{
    RefreshResult result;
    QEventLoop loop;
    QElapsedTimer sinceRow;
    const QMetaObject::Connection rows =
        QObject::connect(&cycle, &QueryCycle::entryReceived, [&](const ServerEntry& entry) {
            const int index = entry.info.name.mid(6).toInt(); // "Bench <i>"
            result.pingMinusDelaySumMs += entry.pingMs - plans[index].delayMs;
            ++result.rows;
            sinceRow.start();
        });
    const QMetaObject::Connection statuses =
        QObject::connect(&cycle, &QueryCycle::statusChanged, [&](const QString& status) {
            if (status == QLatin1String("Receiving...") && sinceRow.isValid()) {
                result.gapSumNs += sinceRow.nsecsElapsed();
                ++result.gaps;
                sinceRow.invalidate();
            }
        });
    const QMetaObject::Connection done =
        QObject::connect(&cycle, &QueryCycle::runningChanged, [&](bool running) {
            if (!running)
                loop.quit();
        });
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(0, &cycle, [&cycle] { cycle.start(); });
    loop.exec();
    result.wallMs = wall.elapsed();
    result.cpuSeconds = cpuSeconds() - cpuBefore;
    QObject::disconnect(rows);
    QObject::disconnect(statuses);
    QObject::disconnect(done);
    return result;
}

int runScenario(const char* name, const QList<ServerPlan>& plans, int refreshes,
                const QString& folder)
{
    TestNet net;
    const std::optional<QList<quint16>> ports = net.start(plans, folder);
    if (!ports || ports->size() != plans.size() || !writeCache(*ports)) {
        std::fprintf(stderr, "bench_refresh: cannot start varnholt-testnet\n");
        return 1;
    }
    Settings settings;
    settings.setValue(Settings::QueryLocalPort, QString::number(freeLocalPort()));
    Socket wsrf2;
    wsrf2.setProtocol(Socket::Protocol::Udp);
    QueryCycle cycle(&wsrf2, &settings);
    cycle.setVersionFilter(QueryCycle::filterAll);
    cycle.setGameTypeFilter(QueryCycle::filterAll);

    qint64 delaySumMs = 0;
    int answering = 0;
    for (const ServerPlan& plan : plans) {
        if (!plan.silent) {
            delaySumMs += plan.delayMs;
            ++answering;
        }
    }
    const qint64 silentWaitMs = qint64(plans.size() - answering) * cycle.replyTimeout();

    std::printf("scenario %s: %lld servers, %d answering, sum of delays %lld ms, "
                "time-limited waits %lld ms\n",
                name, qlonglong(plans.size()), answering, qlonglong(delaySumMs),
                qlonglong(silentWaitMs));
    std::printf("%8s %8s %6s %9s %12s %9s %9s %10s %10s %11s %9s\n", "refresh", "answered", "rows",
                "wall ms", "overhead ms", "cpu s", "cpu %", "rss KiB", "peak KiB", "ping-delay",
                "gap ms");
    for (int i = 1; i <= refreshes; ++i) {
        const RefreshResult r = refresh(cycle, plans);
        // With both filters at ALL every handled reply is a row.
        const int answered = r.rows;
        const double waitedMs = double(delaySumMs + silentWaitMs);
        const double overheadMs =
            answered > 0 ? (double(r.wallMs) - waitedMs) / answered : double(r.wallMs) - waitedMs;
        std::printf("%8d %8d %6d %9lld %12.3f %9.3f %9.2f %10ld %10ld %11.2f %9.3f\n", i, answered,
                    r.rows, qlonglong(r.wallMs), overheadMs, r.cpuSeconds,
                    100.0 * r.cpuSeconds * 1000.0 / double(r.wallMs), statusKiB("VmRSS:"),
                    statusKiB("VmHWM:"),
                    answered > 0 ? double(r.pingMinusDelaySumMs) / answered : 0.0,
                    r.gaps > 0 ? double(r.gapSumNs) / r.gaps / 1e6 : 0.0);
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int servers = 300;
    int refreshes = 5;
    const QStringList arguments = app.arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--servers"))
            servers = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--refreshes"))
            refreshes = arguments[i + 1].toInt();
    }
    if (servers < 1 || refreshes < 1) {
        std::fprintf(stderr, "usage: bench_refresh [--servers N] [--refreshes N]\n");
        return 2;
    }

    QTemporaryDir folder;
    DataPaths::setOverrideFolder(folder.path());

    QList<ServerPlan> answering;
    for (int i = 0; i < servers; ++i)
        answering.append({1 + (i * 7) % 50, false});
    if (int failed = runScenario("answering", answering, refreshes, folder.path()))
        return failed;

    std::printf("\n");
    return runScenario("silent", {{0, true}}, 1, folder.path());
}
