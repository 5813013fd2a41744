// GUI refresh benchmark: the real program, on the xcb platform in a private
// X server (Xvfb) with the accessibility bridge on, as screen readers and UI
// test tools run it (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, a private D-Bus
// session with the accessibility bus), clicked like a person would: ALL,
// ALL, Get List, then Refresh several times. The servers and the master run
// in this process and measure the cycle from outside: for each server the
// time its request arrived and the time its reply went out.
//
//   bench_gui_refresh [--servers N] [--refreshes N] [--no-accessibility]
//
// N servers (default 300) answer after 1 to 50 ms, one at a time. Per cycle
// (Get List's, then each Refresh):
// - "overhead ms": (from the first request arriving to the last reply
//   leaving, less the sum of the servers' own reply times) / servers: what
//   a player waits for beyond the servers' reply times. A server's reply
//   time runs from its reading the request to its reply having left.
//   Target: under 0.5 ms, in every cycle;
// - "median", "max": the same per server, from a reply leaving to the next
//   request being read;
// - "late ms": the mean of each reply's lateness against its server's set
//   delay, the test servers' own inaccuracy (their threads are woken late
//   when the machine is busy), and "vs set": the overhead against the set
//   delays instead, which counts that lateness too (vs set = overhead +
//   late);
// - "cpu ms": the program's CPU time (user + system) for the cycle, per
//   server;
// - "a11y events": the accessibility events the listener got;
// - the program's resident memory after the cycle.
// Needs Xvfb, xdotool and dbus-daemon (at-spi2-core for the bridge).
// VARNHOLT_BENCH_WRAPPER, e.g. "valgrind --tool=callgrind", runs the program
// through another program; VARNHOLT_BENCH_PROGRAM runs another build of it.
#include "freeport.h"
#include "stopprocess.h"
#include "testgameserver.h"
#include "testnetwork.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

namespace {

// A helper process started with a line to wait for on its output (Xvfb's
// display number, dbus-daemon's address); ended with the benchmark.
class Helper
{
public:
    std::optional<QString> start(const QString& program, const QStringList& arguments,
                                 const QProcessEnvironment& environment = {})
    {
        if (!environment.isEmpty())
            m_process.setProcessEnvironment(environment);
        m_process.start(program, arguments);
        if (!m_process.waitForStarted(10000))
            return std::nullopt;
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(10000))
                return std::nullopt;
        }
        return QString::fromLatin1(m_process.readLine()).trimmed();
    }
    QProcess& process() { return m_process; }
    ~Helper() { stopProcess(m_process); }

private:
    QProcess m_process;
};

bool run(const QString& program, const QStringList& arguments,
         const QProcessEnvironment& environment, QByteArray* output = nullptr)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return false;
    if (output)
        *output = process.readAllStandardOutput();
    return true;
}

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

long residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// The user and system time of a process, in ms.
double cpuMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command's closing parenthesis, from the state on.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) * 1000.0 /
           double(sysconf(_SC_CLK_TCK));
}

// Where a control's middle is, in pixels of the window: its frame's and its
// own left and top and its width and height in twips (15 a pixel).
QStringList clickAt(const QString& window, int frameLeft, int frameTop, int left, int top,
                    int width, int height)
{
    return {QStringLiteral("mousemove"),
            QStringLiteral("--window"),
            window,
            QString::number((2 * (frameLeft + left) + width) / 30),
            QString::number((2 * (frameTop + top) + height) / 30),
            QStringLiteral("click"),
            QStringLiteral("1")};
}

// What a screen reader or a UI test tool does on the accessibility bus:
// asks the registry for every object, window and focus event, and takes
// them. Until someone listens, the program's bridge sends nothing.
class AccessibilityListener : public QObject
{
    Q_OBJECT
public:
    bool start(const QString& address)
    {
        m_bus = QDBusConnection::connectToBus(address, QStringLiteral("bench-listener"));
        if (!m_bus.isConnected())
            return false;
        for (const char* kind : {"object:", "window:", "focus:"}) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                QStringLiteral("org.a11y.atspi.Registry"),
                QStringLiteral("/org/a11y/atspi/registry"),
                QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("RegisterEvent"));
            call << QString::fromLatin1(kind) << QStringList() << QString();
            if (m_bus.call(call).type() == QDBusMessage::ErrorMessage)
                return false;
        }
        for (const char* kind : {"Object", "Window", "Focus"}) {
            m_bus.connect({}, {}, QStringLiteral("org.a11y.atspi.Event.") + QLatin1String(kind), {},
                          this, SLOT(onEvent()));
        }
        return true;
    }
    int takeCount() { return std::exchange(m_events, 0); }

private Q_SLOTS:
    void onEvent() { ++m_events; }

private:
    QDBusConnection m_bus{QString()};
    int m_events = 0;
};

struct Timing
{
    qint64 requestNs = -1;
    qint64 replyNs = -1;
};

// A thread with its own event loop for the test network, which is made,
// used and deleted there.
struct ServerThread
{
    QThread thread;
    QObject context;
    std::unique_ptr<TestNetwork> network;

    ServerThread()
    {
        context.moveToThread(&thread);
        thread.start();
    }
    ~ServerThread()
    {
        run([this] {
            network.reset();
            return true;
        });
        thread.quit();
        thread.wait();
    }
    bool run(const std::function<bool()>& work)
    {
        bool result = false;
        QMetaObject::invokeMethod(
            &context, [&] { result = work(); }, Qt::BlockingQueuedConnection);
        return result;
    }
};
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int servers = 300;
    int refreshes = 5;
    bool accessibility = true;
    const QStringList arguments = app.arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--servers") && i + 1 < arguments.size())
            servers = arguments[++i].toInt();
        else if (arguments[i] == QLatin1String("--refreshes") && i + 1 < arguments.size())
            refreshes = arguments[++i].toInt();
        else if (arguments[i] == QLatin1String("--no-accessibility"))
            accessibility = false;
        else
            servers = 0;
    }
    if (servers < 2 || refreshes < 1) {
        std::fprintf(stderr, "usage: bench_gui_refresh [--servers N] [--refreshes N] "
                             "[--no-accessibility]\n");
        return 2;
    }
    const auto fail = [](const char* why) {
        std::fprintf(stderr, "bench_gui_refresh: %s\n", why);
        return 1;
    };

    // --- the servers, measured here --------------------------------------------
    TestScenario scenario;
    scenario.servers = TestScenario::generate(servers, 7, 1, 1, 0);
    qint64 delaySumMs = 0;
    for (int i = 0; i < servers; ++i) {
        scenario.servers[i].delayMs = 1 + (i * 7) % 50;
        delaySumMs += scenario.servers[i].delayMs;
    }
    // The servers run in a thread of their own, so that what this thread
    // does between cycles (the listener, the clicks) never wakes them late.
    ServerThread serverThread;
    QString error;
    QElapsedTimer clock;
    clock.start();
    QList<Timing> timings(servers);
    std::atomic<int> replies = 0;
    const bool started = serverThread.run([&] {
        serverThread.network = std::make_unique<TestNetwork>(scenario);
        if (!serverThread.network->start(&error))
            return false;
        for (int i = 0; i < servers; ++i) {
            TestGameServer* server = serverThread.network->gameServers()[i];
            server->setExactDelay(true);
            QObject::connect(server, &TestGameServer::datagramReceived,
                             [&, i] { timings[i].requestNs = clock.nsecsElapsed(); });
            QObject::connect(server, &TestGameServer::replySent, [&, i] {
                timings[i].replyNs = clock.nsecsElapsed();
                ++replies;
            });
        }
        return true;
    });
    if (!started)
        return fail(qPrintable(error));
    const TestNetwork& network = *serverThread.network;

    // --- X server, D-Bus session, accessibility bus -----------------------------
    QTemporaryDir folder;
    Helper xvfb;
    const std::optional<QString> display =
        xvfb.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-dpi"),
                    QStringLiteral("96"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!display)
        return fail("Xvfb did not start");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), u':' + *display);
    Helper bus;
    const std::optional<QString> busAddress =
        bus.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")},
                  environment);
    if (!busAddress)
        return fail("dbus-daemon did not start");
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), *busAddress);
    AccessibilityListener listener;
    if (accessibility) {
        // Starts the accessibility bus (at-spi-bus-launcher), which the
        // program's bridge looks for when it starts.
        QByteArray address;
        if (!run(QStringLiteral("dbus-send"),
                 {QStringLiteral("--session"), QStringLiteral("--print-reply=literal"),
                  QStringLiteral("--dest=org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                  QStringLiteral("org.a11y.Bus.GetAddress")},
                 environment, &address))
            return fail("the accessibility bus did not start (at-spi2-core)");
        if (!listener.start(QString::fromLatin1(address.trimmed())))
            return fail("cannot listen on the accessibility bus");
        environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    }
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), QStringLiteral("0"));
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       folder.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), folder.filePath(QStringLiteral("cache")));

    // --- the program --------------------------------------------------------------
    QDir().mkpath(folder.filePath(QStringLiteral("config/varnholt")));
    QDir().mkpath(folder.filePath(QStringLiteral("cache/varnholt")));
    {
        // rflprt1 rflprt2 rfdir txtrfmserv txtrfmprt ircserv ircprt irclprt
        // ircname ircnick ircmail ircroom
        QFile settings(folder.filePath(QStringLiteral("config/varnholt/vnhsettings.txt")));
        if (!settings.open(QIODevice::WriteOnly))
            return fail("cannot write the settings");
        for (const QByteArray& value :
             {QByteArray::number(freeUdpPort()), QByteArray::number(freeUdpPort()),
              // The options dialog's folder tree watches the game folder and
              // the folders above it, and files come and go in /tmp all the
              // time on a build machine: the game folder is "/".
              QByteArray("/"), QByteArray("127.0.0.1"), QByteArray::number(network.masterPort()),
              QByteArray("127.0.0.1"), QByteArray("9"), QByteArray("10002"), QByteArray("bench"),
              QByteArray("bench"), QByteArray("bench@localhost"), QByteArray("#bench")})
            settings.write(value + "\r\n");
    }
    Helper program;
    program.process().setProcessEnvironment(environment);
    program.process().setProcessChannelMode(QProcess::ForwardedChannels);
    // E.g. "valgrind --tool=callgrind" in VARNHOLT_BENCH_WRAPPER to see where the time goes.
    QStringList command =
        qEnvironmentVariable("VARNHOLT_BENCH_WRAPPER").split(u' ', Qt::SkipEmptyParts);
    // VARNHOLT_BENCH_PROGRAM: another build of the program, to compare.
    command.append(
        qEnvironmentVariable("VARNHOLT_BENCH_PROGRAM",
                             QCoreApplication::applicationDirPath() + QStringLiteral("/varnholt")));
    program.process().start(command.first(), command.mid(1));
    // A program run through a profiler is many times slower.
    const int slowness = command.size() > 1 ? 20 : 1;
    if (!program.process().waitForStarted(10000))
        return fail("the program did not start");
    QByteArray found;
    if (!run(QStringLiteral("xdotool"),
             {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
              QStringLiteral("--name"), QStringLiteral("^Varnholt - ")},
             environment, &found))
        return fail("no main window appeared");
    const QString window = QString::fromLatin1(found.split('\n').first().trimmed());
    // Let the program settle before the first click.
    waitMs(1000 * slowness);
    const auto click = [&](const QStringList& where) {
        return run(QStringLiteral("xdotool"), where, environment);
    };
    if (!click(clickAt(window, 2280, 720, 2640, 240, 855, 255)) || // opttall
        !click(clickAt(window, 6000, 720, 3000, 240, 615, 255)))   // optvall
        return fail("xdotool could not click");

    std::printf("bench_gui_refresh: %d servers, delays 1-50 ms (sum %lld ms), one at a time, "
                "xcb on Xvfb, accessibility bridge %s\n",
                servers, qlonglong(delaySumMs), accessibility ? "on" : "off");
    std::printf("%9s %8s %12s %8s %8s %8s %8s %8s %9s %12s\n", "cycle", "wall ms", "overhead ms",
                "median", "max", "late ms", "vs set", "cpu ms", "rss KiB", "a11y events");
    // Cycle 0 is Get List's, the others Refresh's.
    for (int refresh = 0; refresh <= refreshes; ++refresh) {
        std::fill(timings.begin(), timings.end(), Timing{});
        replies = 0;
        listener.takeCount();
        const double cpuBefore = cpuMs(program.process().processId());
        if (!click(refresh == 0 ? clickAt(window, 120, 720, 1080, 240, 855, 255)  // btngetlist
                                : clickAt(window, 120, 720, 120, 240, 855, 255))) // btnrefresh
            return fail("xdotool could not click Get List or Refresh");
        QElapsedTimer waited;
        waited.start();
        while (replies < servers && waited.elapsed() < servers * 200 * slowness)
            waitMs(20);
        if (replies < servers)
            return fail("not every server was asked");
        // Let the program finish the last row before the next click.
        waitMs(500 * slowness);
        QList<double> gaps;
        for (int i = 0; i + 1 < servers; ++i)
            gaps.append(double(timings[i + 1].requestNs - timings[i].replyNs) / 1e6);
        std::sort(gaps.begin(), gaps.end());
        // The servers' own reply times, and how much later than their set
        // delays they sent.
        double replySum = 0;
        for (int i = 0; i < servers; ++i)
            replySum += double(timings[i].replyNs - timings[i].requestNs) / 1e6;
        const double wallMs = double(timings[servers - 1].replyNs - timings[0].requestNs) / 1e6;
        const double cpu = cpuMs(program.process().processId()) - cpuBefore;
        const QByteArray cycle =
            refresh == 0 ? QByteArray("get list") : "refresh " + QByteArray::number(refresh);
        std::printf("%9s %8.0f %12.3f %8.3f %8.3f %8.3f %8.3f %8.3f %9ld %12d\n", cycle.constData(),
                    wallMs, (wallMs - replySum) / servers, gaps[gaps.size() / 2], gaps.last(),
                    (replySum - double(delaySumMs)) / servers,
                    (wallMs - double(delaySumMs)) / servers, cpu / servers,
                    residentKiB(program.process().processId()), listener.takeCount());
        std::fflush(stdout);
    }
    return 0;
}

#include "bench_gui_refresh.moc"
