// Watch benchmark: the program (its Application and main window, on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise) with the
// background watch on, against varnholt-testnet on 127.0.0.1 run as a
// process of its own, so the figures are the program's alone.
//
//   bench_watch_gui [--servers N] [--interval S] [--seconds T] [--sample S]
//
// N servers (default 100), all favourites, each with 1 to 8 players, every
// other one listing them; the master lists them all. The watch looks every
// S seconds (default 60; under 15 only here, the program's own floor is 15)
// for T seconds (default 300). Every sample (default 30 s) prints the looks
// so far, the CPU time of the sample's span as a share of it, and the
// resident memory. Targets: CPU under 1% at the real interval, resident
// memory flat from the second sample on.
#include "benchtestnet.h"
#include "core/app/application.h"
#include "core/browser/favourites.h"
#include "core/browser/serverwatch.h"
#include "core/platform/datapaths.h"
#include "core/settings/settings.h"
#include "gui/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

int option(const QStringList& arguments, const QString& name, int fallback)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1].toInt() : fallback;
}

QByteArray scenario(int servers)
{
    QByteArray text;
    for (int i = 0; i < servers; ++i) {
        const int players = 1 + i % 8;
        text += "Watch " + QByteArray::number(i) + " | dm" + QByteArray::number(i % 20) +
                " | | 0 | " + QByteArray::number(players) + "/16 | 145 | 5 | no\n";
        if (i % 2 == 0) {
            text += "+ players";
            for (int p = 0; p < players; ++p)
                text += " | p" + QByteArray::number(i) + '_' + QByteArray::number(p);
            text += '\n';
        }
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int servers = option(arguments, QStringLiteral("--servers"), 100);
    const int interval = option(arguments, QStringLiteral("--interval"), 60);
    const int seconds = option(arguments, QStringLiteral("--seconds"), 300);
    const int sample = option(arguments, QStringLiteral("--sample"), 30);

    QTemporaryDir folder;
    DataPaths::setOverrideFolder(folder.path());
    BenchTestNet net;
    const std::optional<QList<quint16>> ports = net.start(scenario(servers), folder.path());
    if (!ports || ports->size() != servers) {
        std::fprintf(stderr, "varnholt-testnet did not start\n");
        return 1;
    }

    Application program;
    MainWindow window(&program);
    window.show();
    program.settings()->setValue(Settings::MasterHost, QStringLiteral("127.0.0.1"));
    program.settings()->setValue(Settings::MasterPort, QString::number(net.masterPort()));
    for (quint16 port : *ports)
        program.favourites()->add({QStringLiteral("127.0.0.1"), port});
    int looks = 0;
    QObject::connect(program.watch(), &ServerWatch::looked, [&looks] { ++looks; });
    // As the check box turns it on, at an interval the preferences would clamp.
    WatchConfig config = Application::watchConfig(*program.settings(), *program.preferences());
    config.enabled = true;
    config.intervalSeconds = interval;
    program.watch()->setConfig(config);

    std::printf("servers %d, interval %d s, %d s, a sample every %d s\n", servers, interval,
                seconds, sample);
    std::printf("%8s %6s %8s %10s\n", "time s", "looks", "CPU %", "RSS KiB");
    QElapsedTimer clock;
    clock.start();
    double cpuBefore = BenchFigures::cpuSeconds();
    qint64 sampleStart = 0;
    long firstRss = -1;
    long lastRss = -1;
    double cpuTotal = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        const double cpu = BenchFigures::cpuSeconds();
        lastRss = BenchFigures::statusKiB("VmRSS:");
        // The first sample holds the start-up.
        if (firstRss < 0 && sampleStart > 0)
            firstRss = lastRss;
        std::printf("%8.0f %6d %8.2f %10ld\n", now / 1000.0, looks,
                    100.0 * (cpu - cpuBefore) * 1000.0 / double(now - sampleStart), lastRss);
        std::fflush(stdout);
        if (sampleStart > 0)
            cpuTotal += cpu - cpuBefore;
        cpuBefore = cpu;
        sampleStart = now;
        // A timer may fire a little early: the last sample is the one nearest the end.
        if (now + sample * 500LL >= seconds * 1000LL)
            app.quit();
    });
    sampler.start(sample * 1000);
    const qint64 firstSampleMs = sample * 1000LL;
    app.exec();
    std::printf("after the first sample: CPU %.2f%%, RSS %ld -> %ld KiB\n",
                100.0 * cpuTotal * 1000.0 / double(clock.elapsed() - firstSampleMs), firstRss,
                lastRss);
    window.shutDown();
    return 0;
}
