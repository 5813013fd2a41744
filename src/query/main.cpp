// varnholt-query: the server list for scripts, web pages and chat bots.
// Asks the master server (or the servers given) as the browser does and
// prints the servers as a table, JSON or CSV. Needs no display.
#include "core/browser/favourites.h"
#include "core/browser/friends.h"
#include "core/browser/serverlistfile.h"
#include "core/platform/console.h"
#include "core/platform/datapaths.h"
#include "core/platform/stopsignals.h"
#include "core/platform/version.h"
#include "core/settings/settings.h"
#include "query/queryoptions.h"
#include "query/queryrun.h"
#include "query/reportformats.h"
#include "query/watchrun.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int exitFailed = 1;
constexpr int exitUsage = 2;

// The progress line on a terminal's stderr, cleared before anything else
// is written there.
bool progressShown = false;

void clearProgress()
{
    if (progressShown)
        std::fputs("\r\033[K", stderr);
    progressShown = false;
}

void printError(const QString& message)
{
    clearProgress();
    std::fprintf(stderr, "varnholt-query: %s\n", qPrintable(message));
}

int refuse(const QString& reason)
{
    printError(reason + QStringLiteral(" (see varnholt-query --help)"));
    return exitUsage;
}

void writeOut(const QByteArray& text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

// --watch: a line a change until SIGINT or SIGTERM, then exit 0 with every
// line written.
int watch(QCoreApplication& app, const QueryOptions& options,
          const std::optional<ServerEndpoint>& master, const QList<ServerEndpoint>& servers)
{
    Friends friends;
    if (options.friends)
        friends.load(DataPaths::friendsFile());
    WatchRun run(options, options.friends ? &friends : nullptr);
    QObject::connect(&run, &WatchRun::line, &app, writeOut);
    QObject::connect(&run, &WatchRun::warning, &app, printError);
    StopSignals stop;
    QObject::connect(&stop, &StopSignals::stopRequested, &app, [&run] {
        run.stop();
        QCoreApplication::exit(0);
    });
    if (!stop.install())
        printError(QStringLiteral("cannot catch SIGINT and SIGTERM"));
    QTimer::singleShot(0, &run, [&run, master, servers] { run.start(master, servers); });
    const int status = app.exec();
    std::fflush(stdout);
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The output is bytes: CSV keeps its "\r\n", JSON its "\n", on every system.
    Console::setBinary(stdout);
    QString error;
    const std::optional<QueryOptions> options = QueryOptions::parse(app.arguments().mid(1), &error);
    if (!options)
        return refuse(error);
    if (options->help) {
        std::fputs(qPrintable(QueryOptions::usage()), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("varnholt-query %s\n", Version::number);
        return 0;
    }

    QList<ServerEndpoint> servers = options->servers;
    for (const QString& path : options->serverFiles) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return refuse(QStringLiteral("%1: %2").arg(path, file.errorString()));
        servers += ServerListFile::parse(file.readAll());
    }
    if (options->favourites) {
        Favourites favourites;
        favourites.load(DataPaths::favouritesFile());
        servers += favourites.servers();
    }
    std::optional<ServerEndpoint> master = options->master;
    if (!options->skipsMaster() && !master) {
        Settings settings;
        settings.load(DataPaths::settingsFile());
        const std::optional<quint16> port = settings.port(Settings::MasterPort);
        if (!port) {
            printError(Settings::invalidPortMessage(Settings::MasterPort));
            return exitFailed;
        }
        master = ServerEndpoint{settings.value(Settings::MasterHost).trimmed(), *port};
    }

    if (options->watchIntervalMs)
        return watch(app, *options, master, servers);

    const QueryOptions::Format format = options->format.value_or(
        Console::isTerminal(stdout) ? QueryOptions::Format::Table : QueryOptions::Format::Json);
    QueryRun run(*options);
    QObject::connect(&run, &QueryRun::warning, &app, printError);
    QObject::connect(&run, &QueryRun::failed, &app, [](const QString& message) {
        printError(message);
        QCoreApplication::exit(exitFailed);
    });
    QObject::connect(&run, &QueryRun::finished, &app, [&run, format] {
        clearProgress();
        const QueryReport& report = run.report();
        const QByteArray text = format == QueryOptions::Format::Table ? ReportFormats::table(report)
                                : format == QueryOptions::Format::Csv ? ReportFormats::csv(report)
                                                                      : ReportFormats::json(report);
        writeOut(text);
        QCoreApplication::exit(0);
    });

    // Counts on a terminal, ten times a second at most.
    QTimer progress;
    if (Console::isTerminal(stderr)) {
        Console::enableEscapes(stderr);
        progress.setInterval(100);
        QObject::connect(&progress, &QTimer::timeout, &app, [&run] {
            std::fprintf(stderr, "\r\033[K%s",
                         qPrintable(ReportFormats::countsText(run.asked(), run.answered())));
            progressShown = true;
        });
        progress.start();
    }

    // From the event loop, so that a run over at once can still end it.
    QTimer::singleShot(0, &run, [&run, master, servers] { run.start(master, servers); });
    return app.exec();
}
