// varnholt-query benchmark: the whole program, run as a script would run it,
// against varnholt-testnet on 127.0.0.1 with N servers (default 300) whose
// replies take 1 to 50 ms, a fifth of them silent, listed by the master.
// The program runs as its own process; its wall time, CPU time (user +
// system) and peak resident memory are read from the kernel when it ends.
//
//   bench_query [--servers N] [--runs N] [-- extra varnholt-query options]
//
// Targets for 300 servers with 60 silent: under 6 s wall, under 0.3 s CPU,
// under 30 MB peak memory, and a reply from every answering server.
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

struct Measured
{
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long peakKiB = 0;
    int exitStatus = -1;
    QByteArray output;
};

// Runs the program with its stdout into a pipe; the kernel's account of the
// child gives its CPU time and peak memory.
Measured measure(const QString& program, const QStringList& arguments)
{
    std::vector<QByteArray> storage{program.toLocal8Bit()};
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    Measured measured;
    char buffer[65536];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        measured.output.append(buffer, got);
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    measured.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    measured.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    measured.peakKiB = usage.ru_maxrss;
    measured.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return measured;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    int servers = 300;
    int runs = 3;
    QStringList extra;
    if (const qsizetype dashes = arguments.indexOf(QStringLiteral("--")); dashes >= 0) {
        extra = arguments.mid(dashes + 1);
        arguments = arguments.mid(0, dashes);
    }
    for (qsizetype i = 0; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--servers"))
            servers = arguments[i + 1].toInt();
        else if (arguments[i] == QLatin1String("--runs"))
            runs = arguments[i + 1].toInt();
    }
    const int silent = servers / 5;
    const QString binDir = QCoreApplication::applicationDirPath();

    QProcess network;
    network.start(binDir + QStringLiteral("/varnholt-testnet"),
                  {QStringLiteral("--servers"), QString::number(servers), QStringLiteral("--delay"),
                   QStringLiteral("1-50"), QStringLiteral("--silent"), QString::number(silent)});
    if (!network.waitForReadyRead(10000)) {
        std::fprintf(stderr, "bench_query: varnholt-testnet did not start\n");
        return 1;
    }
    const QByteArray ready = network.readLine();
    const QByteArray masterPort = ready.mid(ready.indexOf("master=") + 7).split(' ').first();

    std::printf("varnholt-query, %d servers (delays 1-50 ms, %d silent), master on loopback\n",
                servers, silent);
    std::printf("%4s %10s %10s %10s %9s %6s\n", "run", "wall s", "cpu s", "peak MB", "answered",
                "exit");
    bool met = true;
    for (int run = 1; run <= runs; ++run) {
        const Measured measured =
            measure(binDir + QStringLiteral("/varnholt-query"),
                    QStringList{QStringLiteral("--master"),
                                QStringLiteral("127.0.0.1:") + QString::fromLatin1(masterPort),
                                QStringLiteral("--format"), QStringLiteral("json")} +
                        extra);
        const int answered =
            QJsonDocument::fromJson(measured.output).object()[QLatin1String("answered")].toInt();
        std::printf("%4d %10.3f %10.3f %10.1f %9d %6d\n", run, measured.wallSeconds,
                    measured.cpuSeconds, double(measured.peakKiB) / 1024.0, answered,
                    measured.exitStatus);
        met = met && measured.exitStatus == 0 && answered == servers - silent &&
              measured.wallSeconds < 6 && measured.cpuSeconds < 0.3 && measured.peakKiB < 30 * 1024;
    }
    std::printf("targets (under 6 s, under 0.3 s CPU, under 30 MB, every answer): %s\n",
                met ? "met" : "MISSED");
    network.terminate();
    network.waitForFinished(5000);
    return met ? 0 : 1;
}
