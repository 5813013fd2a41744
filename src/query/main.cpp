// varnholt-query: the server list for scripts, web pages and chat bots.
// Asks the master server (or the servers given) as the browser does and
// prints the servers as a table, JSON or CSV. Needs no display.
#include "core/browser/favourites.h"
#include "core/browser/serverlistfile.h"
#include "core/platform/datapaths.h"
#include "core/platform/version.h"
#include "core/settings/settings.h"
#include "query/queryoptions.h"
#include "query/queryrun.h"
#include "query/reportformats.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int exitFailed = 1;
constexpr int exitUsage = 2;

#ifdef Q_OS_WIN
// A console, not a file, pipe or NUL (which _isatty also calls a character
// device). The progress line's escapes need the console's VT mode.
bool isTerminal(DWORD stream)
{
    const HANDLE handle = GetStdHandle(stream);
    DWORD mode = 0;
    if (!GetConsoleMode(handle, &mode))
        return false;
    if (stream == STD_ERROR_HANDLE)
        SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    return true;
}
const DWORD standardOutput = STD_OUTPUT_HANDLE;
const DWORD standardError = STD_ERROR_HANDLE;
#else
bool isTerminal(int stream)
{
    return isatty(stream);
}
const int standardOutput = STDOUT_FILENO;
const int standardError = STDERR_FILENO;
#endif

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

} // namespace

int main(int argc, char* argv[])
{
#ifdef Q_OS_WIN
    // Each format has its own line ends (CSV \r\n, JSON \n): none is added.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    QCoreApplication app(argc, argv);
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

    const QueryOptions::Format format = options->format.value_or(
        isTerminal(standardOutput) ? QueryOptions::Format::Table : QueryOptions::Format::Json);
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
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });

    // Counts on a terminal, ten times a second at most.
    QTimer progress;
    if (isTerminal(standardError)) {
        progress.setInterval(100);
        QObject::connect(&progress, &QTimer::timeout, &app, [&run] {
            std::fprintf(stderr, "\r\033[K%d servers asked, %d answered", run.asked(),
                         run.answered());
            progressShown = true;
        });
        progress.start();
    }

    // From the event loop, so that a run over at once can still end it.
    QTimer::singleShot(0, &run, [&run, master, servers] { run.start(master, servers); });
    return app.exec();
}
