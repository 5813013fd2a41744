// Watch benchmark: varnholt-query --watch's rounds (WatchRun, in this
// process) against varnholt-testnet (its own process, so that the memory
// printed is the watch's alone), with a scripted network that keeps
// changing: a player joins and leaves, the map changes, a server goes silent
// and comes back, and the script repeats. Every server lists its players by
// name, at once (a server that lists none, or the scores form's once a
// second, would hold each round up for the time-out). The interval is 1 ms, so a round
// follows the last at once; the master is asked every round, as --watch does.
//
//   bench_watch [ROUNDS]      (default 10000)
//
// Prints resident memory (MemoryStatus::residentBytes()) after the first
// round and at every tenth of the rounds, the lines written by kind, and the
// time per round. Target: memory flat from the first tenth to the end.
#include "core/platform/memorystatus.h"
#include "query/watchrun.h"
#include "stopprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr char scenario[] = "Rail Yard [EU] | dm02 | | 0 | 1/16 | 145\n"
                            "+ players | Zed\n"
                            "Glass House | ctf01 | | 1 | 2/16 | 145\n"
                            "+ players | Ann | Bo\n"
                            "Bunker Rats | dm05 | | 0 | 0/12 | 137\n"
                            "+ players\n"
                            "Old Timer | dm10 | | 2 | 3/12 | 135\n"
                            "+ players | Cy | Di | Ed\n"
                            "@ 20ms join \"Rail Yard [EU]\" kasia\n"
                            "@ 40ms map \"Glass House\" ctf02\n"
                            "@ 60ms leave \"Rail Yard [EU]\" kasia\n"
                            "@ 80ms silent \"Bunker Rats\"\n"
                            "@ 100ms map \"Glass House\" ctf01\n"
                            "@ 140ms back \"Bunker Rats\"\n"
                            "@ 200ms repeat\n";

double kib(std::optional<quint64> bytes)
{
    return bytes ? double(*bytes) / 1024 : -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    if (rounds < 10) {
        std::fprintf(stderr, "usage: bench_watch [ROUNDS (at least 10, default 10000)]\n");
        return 2;
    }
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("scenario.txt")));
    if (!file.open(QIODevice::WriteOnly) || file.write(scenario) < 0)
        return 1;
    file.close();
    QProcess net;
    net.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    net.start(QCoreApplication::applicationDirPath() + QStringLiteral("/varnholt-testnet"),
              {QStringLiteral("--scenario"), file.fileName()});
    if (!net.waitForStarted(10000) || !net.waitForReadyRead(10000)) {
        std::fprintf(stderr, "bench_watch: varnholt-testnet did not start\n");
        return 1;
    }
    const QByteArray ready = net.readLine();
    // "READY master=<port> servers=..."
    const quint16 masterPort = quint16(ready.split(' ').value(1).mid(7).toUInt());
    if (masterPort == 0) {
        std::fprintf(stderr, "bench_watch: varnholt-testnet said %s", ready.constData());
        return 1;
    }

    QueryOptions options;
    options.watchIntervalMs = 1;
    options.players = true;
    // A silent server holds a round up for the time-out: short, as on a LAN.
    options.replyTimeoutMs = 20;
    // Four servers paced at 250 a second would take 12 ms a round.
    options.requestsPerSecond = 100000;
    WatchRun watch(options, nullptr);
    QMap<QString, int> lines;
    QObject::connect(&watch, &WatchRun::line, &app, [&lines](const QByteArray& line) {
        ++lines[QJsonDocument::fromJson(line).object()[QLatin1String("event")].toString()];
    });
    QObject::connect(&watch, &WatchRun::warning, &app, [](const QString& message) {
        std::fprintf(stderr, "warning: %s\n", qPrintable(message));
    });
    QElapsedTimer clock;
    std::printf("%8s %12s %10s\n", "round", "rss KiB", "ms/round");
    QObject::connect(&watch, &WatchRun::roundFinished, &app, [&](int round) {
        if (round == 1)
            clock.start();
        if (round == 1 || round % (rounds / 10) == 0) {
            std::printf("%8d %12.0f %10.2f\n", round, kib(MemoryStatus::residentBytes()),
                        round > 1 ? double(clock.elapsed()) / (round - 1) : 0.0);
            std::fflush(stdout);
        }
        if (round >= rounds) {
            watch.stop();
            QCoreApplication::quit();
        }
    });
    watch.start(ServerEndpoint{QStringLiteral("127.0.0.1"), masterPort}, {});
    app.exec();
    stopProcess(net);
    std::printf("lines:");
    for (auto it = lines.cbegin(); it != lines.cend(); ++it)
        std::printf(" %s %d", qPrintable(it.key()), it.value());
    std::printf("\n");
    return 0;
}
