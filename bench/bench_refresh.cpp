// Refresh benchmark: the real Refresh (the address cache file read, every
// server asked) against varnholt-testnet on 127.0.0.1. The test network runs
// as its own process, so the CPU time and memory printed are the browser's
// alone.
//
//   bench_refresh [--servers N] [--refreshes N] [--memory-refreshes N]
//                 [--only answering|silent|fast|drop|memory]
//
// Scenario "answering", one server at a time: N servers (default 300) with
// reply delays of 1 to 50 ms, refreshed several times. Overhead per answered
// server = (wall time - sum of the servers' delays) / answered; target under
// 1 ms. Resident memory after each refresh should not grow with the number
// of refreshes. Also printed: "ping-delay", the mean of each row's ping minus
// its server's delay (pings are whole milliseconds, cut down), and "gap ms",
// the mean time from a handled reply to the next server's turn.
//
// Scenario "silent": one server that never replies, so the refresh waits the
// full 4000 ms; target: CPU time well under 1% of the wait.
//
// Scenario "fast": N servers with delays of 1 to 50 ms, a fifth of them
// silent, in fast mode (250 requests a second). The first refresh asks in
// the file's order, the browser knowing no server yet; the later ones ask
// the servers silent in the refresh before first ("order": silent first).
// Targets: the whole refresh under 4.5 s once the silent servers are known
// (their 4 s waits then run while the others answer), a row per answering
// server, every ping within 2 ms of the same
// server's ping one at a time (measured first on the same network, with a
// 100 ms reply time-out so that the silent servers cost little), at most two
// requests per server (counted by the test network).
//
// Scenario "drop": as "fast", with 5% of the info requests dropped at random
// by the test network: every answering server still gets its row.
//
// Scenario "memory": 300 servers (delays 0 to 2 ms, 6 silent, a 100 ms reply
// time-out), refreshed 100 times one at a time and 100 times fast (2000
// requests a second): resident memory must stay flat.
#include "benchtestnet.h"
#include "core/browser/serverbrowser.h"
#include "core/browser/serverquerier.h"
#include "core/platform/datapaths.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"
#include "core/wire/addresscache.h"
#include "freeport.h"

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

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

struct ServerPlan
{
    int delayMs;
    bool silent;
};

using BenchFigures::cpuSeconds;
using BenchFigures::statusKiB;

// The test network with these game servers.
std::optional<QList<quint16>> startNet(BenchTestNet& net, const QList<ServerPlan>& plans,
                                       const QString& folder, int dropPercent)
{
    QByteArray scenario;
    for (int i = 0; i < plans.size(); ++i) {
        scenario += "Bench " + QByteArray::number(i) + " | dm" + QByteArray::number(i % 20) +
                    " | | " + QByteArray::number(i % 3) + " | " + QByteArray::number(i % 17) +
                    "/16 | 145 | " + QByteArray::number(plans[i].delayMs) + " | " +
                    (plans[i].silent ? "yes" : "no") + "\n";
    }
    return net.start(scenario, folder, {QStringLiteral("--drop"), QString::number(dropPercent)});
}

bool writeCache(const QList<quint16>& ports)
{
    QByteArray text;
    for (quint16 port : ports)
        text += AddressCache::formatServer(QStringLiteral("127.0.0.1"), port);
    DataPaths::ensureFolderFor(DataPaths::cacheFile());
    QFile file(DataPaths::cacheFile());
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

struct RefreshResult
{
    int rows = 0;
    int silentRows = 0;
    // By server index ("Bench <i>").
    QHash<int, qint64> pings;
    qint64 wallMs = 0;
    double cpuSeconds = 0;
    qint64 pingMinusDelaySumMs = 0;
    // From a handled reply to the next "Receiving..." (shown as the next
    // server's turn begins): the querier's own time between two servers.
    qint64 gapSumNs = 0;
    int gaps = 0;
};

// One whole refresh, from refresh() until the browser is idle again.
RefreshResult refresh(ServerBrowser& browser, const QList<ServerPlan>& plans)
{
    RefreshResult result;
    QEventLoop loop;
    QElapsedTimer sinceRow;
    const QMetaObject::Connection rows =
        QObject::connect(&browser, &ServerBrowser::entryReceived, [&](const ServerEntry& entry) {
            const int index = entry.info.name.mid(6).toInt(); // "Bench <i>"
            result.pingMinusDelaySumMs += entry.pingMs - plans[index].delayMs;
            result.pings.insert(index, entry.pingMs);
            ++result.rows;
            sinceRow.start();
        });
    const QMetaObject::Connection statuses =
        QObject::connect(&browser, &ServerBrowser::statusChanged, [&](const QString& status) {
            if (status == QLatin1String("Receiving...") && sinceRow.isValid()) {
                result.gapSumNs += sinceRow.nsecsElapsed();
                ++result.gaps;
                sinceRow.invalidate();
            }
        });
    const QMetaObject::Connection silent = QObject::connect(
        &browser, &ServerBrowser::serverSilent, [&](const ServerEntry&) { ++result.silentRows; });
    const QMetaObject::Connection done =
        QObject::connect(&browser, &ServerBrowser::busyChanged, [&](bool busy) {
            if (!busy)
                loop.quit();
        });
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(0, &browser, [&browser] { browser.refresh(); });
    loop.exec();
    result.wallMs = wall.elapsed();
    result.cpuSeconds = cpuSeconds() - cpuBefore;
    QObject::disconnect(rows);
    QObject::disconnect(statuses);
    QObject::disconnect(silent);
    QObject::disconnect(done);
    return result;
}

// The browser under test against its own test network, as the window
// drives it: settings, preferences, the address cache file.
struct Rig
{
    bool start(const QList<ServerPlan>& plans, const QString& folder, int dropPercent = 0)
    {
        const std::optional<QList<quint16>> ports = startNet(net, plans, folder, dropPercent);
        if (!ports || ports->size() != plans.size() || !writeCache(*ports)) {
            std::fprintf(stderr, "bench_refresh: cannot start varnholt-testnet\n");
            return false;
        }
        serverPorts = *ports;
        settings.setValue(Settings::QueryLocalPort, QString::number(freeUdpPort()));
        browser.setCacheFile(DataPaths::cacheFile());
        browser.setFilter({GameTypeFilter::All, VersionFilter::All});
        browser.setPreferences(&preferences);
        return true;
    }
    void setFast(bool on, int requestsPerSecond = 250)
    {
        preferences.setFlag(Preferences::ParallelRefresh, on);
        preferences.setRequestsPerSecond(requestsPerSecond);
    }

    BenchTestNet net;
    QList<quint16> serverPorts;
    Settings settings;
    Preferences preferences;
    ServerBrowser browser{&settings};
};

int answeringCount(const QList<ServerPlan>& plans)
{
    return int(std::count_if(plans.cbegin(), plans.cend(),
                             [](const ServerPlan& plan) { return !plan.silent; }));
}

int runScenario(const char* name, const QList<ServerPlan>& plans, int refreshes,
                const QString& folder)
{
    Rig rig;
    if (!rig.start(plans, folder))
        return 1;
    ServerBrowser& browser = rig.browser;

    qint64 delaySumMs = 0;
    int answering = 0;
    for (const ServerPlan& plan : plans) {
        if (!plan.silent) {
            delaySumMs += plan.delayMs;
            ++answering;
        }
    }
    const qint64 silentWaitMs =
        qint64(plans.size() - answering) * browser.querier()->replyTimeout();

    std::printf("scenario %s: %lld servers, %d answering, sum of delays %lld ms, "
                "time-limited waits %lld ms\n",
                name, qlonglong(plans.size()), answering, qlonglong(delaySumMs),
                qlonglong(silentWaitMs));
    std::printf("%8s %8s %6s %9s %12s %9s %9s %10s %10s %11s %9s\n", "refresh", "answered", "rows",
                "wall ms", "overhead ms", "cpu s", "cpu %", "rss KiB", "peak KiB", "ping-delay",
                "gap ms");
    for (int i = 1; i <= refreshes; ++i) {
        const RefreshResult r = refresh(browser, plans);
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

// Fast refreshes of a network with silent servers, against the pings the
// same servers give one at a time.
int runFastScenario(const char* name, const QList<ServerPlan>& plans, int dropPercent,
                    int refreshes, const QString& folder)
{
    Rig rig;
    if (!rig.start(plans, folder, dropPercent))
        return 1;
    const int answering = answeringCount(plans);
    std::printf("scenario %s: %lld servers, %d answering, %d%% of the requests dropped, "
                "250 requests a second\n"
                "(an answering server without a row lost both its requests)\n",
                name, qlonglong(plans.size()), answering, dropPercent);

    // How far apart two pings of one server are: the largest difference and
    // how many differ by more than 2 ms.
    const auto compare = [](const QHash<int, qint64>& reference, const QHash<int, qint64>& pings) {
        qint64 worst = 0;
        int over2 = 0;
        for (auto it = reference.cbegin(); it != reference.cend(); ++it) {
            const qint64 difference = std::llabs(pings.value(it.key(), -1000) - it.value());
            worst = std::max(worst, difference);
            over2 += difference > 2 ? 1 : 0;
        }
        return std::pair{worst, over2};
    };
    // The first fast refresh, before any other: no server is known silent.
    rig.setFast(true);
    const RefreshResult inFileOrder = refresh(rig.browser, plans);
    const QHash<quint16, int> inFileOrderAsks = rig.net.takeRequestCounts();
    QHash<int, qint64> reference;
    if (dropPercent == 0) {
        // The silent servers' waits add nothing to the answering servers'
        // pings. Twice: how much two runs of the same mode differ.
        rig.setFast(false);
        rig.browser.querier()->setReplyTimeout(100);
        reference = refresh(rig.browser, plans).pings;
        const auto [worst, over2] = compare(reference, refresh(rig.browser, plans).pings);
        rig.net.takeRequestCounts();
        rig.browser.querier()->setReplyTimeout(ServerQuerier::defaultReplyTimeoutMs);
        std::printf("one at a time after the first fast refresh (100 ms reply time-out): %lld "
                    "rows; a second time: %d pings more than 2 ms off the first, %lld ms at most\n",
                    qlonglong(reference.size()), over2, qlonglong(worst));
    }
    rig.setFast(true);
    std::printf("%8s %13s %8s %6s %7s %9s %9s %10s %10s %9s %10s %10s\n", "refresh", "order",
                "wall ms", "rows", "silent", "answered", "cpu s", "max asks", "asked 2x",
                "ping max", "ping >2ms", "rss KiB");
    for (int i = 1; i <= refreshes; ++i) {
        const RefreshResult r = i == 1 ? inFileOrder : refresh(rig.browser, plans);
        const QHash<quint16, int> asks = i == 1 ? inFileOrderAsks : rig.net.takeRequestCounts();
        int maxAsks = 0;
        int askedTwice = 0;
        for (const int count : asks) {
            maxAsks = std::max(maxAsks, count);
            askedTwice += count == 2 ? 1 : 0;
        }
        const auto [worstDifference, over2] = compare(reference, r.pings);
        std::printf("%8d %13s %8lld %6d %7d %5d/%-3d %9.3f %10d %10d %9s %10s %10ld\n", i,
                    i == 1 ? "file" : "silent first", qlonglong(r.wallMs), r.rows, r.silentRows,
                    r.rows, answering, r.cpuSeconds, maxAsks, askedTwice,
                    reference.isEmpty() ? "-" : qPrintable(QString::number(worstDifference)),
                    reference.isEmpty() ? "-" : qPrintable(QString::number(over2)),
                    statusKiB("VmRSS:"));
    }
    std::fflush(stdout);
    return 0;
}

// Resident memory over many refreshes, one at a time and fast.
int runMemoryScenario(int refreshes, const QString& folder)
{
    QList<ServerPlan> plans;
    for (int i = 0; i < 300; ++i)
        plans.append({i % 3, i % 50 == 7});
    Rig rig;
    if (!rig.start(plans, folder))
        return 1;
    rig.browser.querier()->setReplyTimeout(100);
    std::printf("scenario memory: %lld servers, %d answering, 100 ms reply time-out, "
                "%d refreshes each way\n",
                qlonglong(plans.size()), answeringCount(plans), refreshes);
    std::printf("%14s %8s %8s %10s %10s\n", "mode", "refresh", "rows", "rss KiB", "peak KiB");
    for (const bool fast : {false, true}) {
        rig.setFast(fast, 2000);
        for (int i = 1; i <= refreshes; ++i) {
            const RefreshResult r = refresh(rig.browser, plans);
            rig.net.takeRequestCounts();
            if (i == 1 || i % 10 == 0 || i == refreshes)
                std::printf("%14s %8d %8d %10ld %10ld\n", fast ? "fast" : "one at a time", i,
                            r.rows, statusKiB("VmRSS:"), statusKiB("VmHWM:"));
        }
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
    int memoryRefreshes = 100;
    QString only;
    const QStringList arguments = app.arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--servers"))
            servers = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--refreshes"))
            refreshes = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--memory-refreshes"))
            memoryRefreshes = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--only"))
            only = arguments[i + 1];
    }
    if (servers < 1 || refreshes < 1 || memoryRefreshes < 1) {
        std::fprintf(stderr, "usage: bench_refresh [--servers N] [--refreshes N] "
                             "[--memory-refreshes N] [--only answering|silent|fast|drop|memory]\n");
        return 2;
    }
    const auto runs = [&only](const char* name) {
        return only.isEmpty() || only == QLatin1String(name);
    };

    QTemporaryDir folder;
    DataPaths::setOverrideFolder(folder.path());

    QList<ServerPlan> answering;
    QList<ServerPlan> someSilent;
    for (int i = 0; i < servers; ++i) {
        answering.append({1 + (i * 7) % 50, false});
        // Every fifth server is silent.
        someSilent.append({1 + (i * 7) % 50, i % 5 == 2});
    }
    int failed = 0;
    if (runs("answering"))
        failed |= runScenario("answering", answering, refreshes, folder.path());
    if (runs("silent"))
        failed |= runScenario("silent", {{0, true}}, 1, folder.path());
    if (runs("fast"))
        failed |= runFastScenario("fast", someSilent, 0, refreshes, folder.path());
    if (runs("drop"))
        failed |= runFastScenario("drop", someSilent, 5, refreshes, folder.path());
    if (runs("memory"))
        failed |= runMemoryScenario(memoryRefreshes, folder.path());
    return failed;
}
