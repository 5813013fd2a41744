#include "core/browser/gamelauncher.h"

#include "core/browser/launchprompts.h"
#include "core/browser/processstarter.h"
#include "core/browser/serverentry.h"
#include "core/platform/installlocations.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"

#include <QDir>

namespace {

const QString startingStatus = QStringLiteral("Starting Red Faction...");
const QString readyStatus = QStringLiteral("Ready");

struct Candidate
{
    LauncherChoice launcher;
    const char* fileName;
    bool joinsByLink;
};

// In the order Automatic tries them.
constexpr Candidate candidates[] = {
    {LauncherChoice::AlpineFaction, "AlpineFactionLauncher.exe", true},
    {LauncherChoice::DashFaction, "DashFactionLauncher.exe", true},
    {LauncherChoice::RedFaction, "rf.exe", false},
};

} // namespace

GameLauncher::GameLauncher(const Settings* settings, const Preferences* preferences,
                           LaunchPrompts* prompts, ProcessStarter* starter, QObject* parent)
    : QObject(parent), m_settings(settings), m_preferences(preferences), m_prompts(prompts),
      m_starter(starter)
{
}

QString GameLauncher::gameExecutablePath(const QString& gameDirectory, const QString& fileName)
{
    QString directory = QDir::fromNativeSeparators(gameDirectory);
    while (directory.endsWith(u'/'))
        directory.chop(1);
    return QDir::toNativeSeparators(directory + u'/' + fileName);
}

std::optional<GameLauncher::Program> GameLauncher::findProgram(const QString& gameDirectory,
                                                               LauncherChoice choice,
                                                               const QStringList& launcherFolders)
{
    const QStringList everywhere = launcherFolders + QStringList{gameDirectory};
    for (const Candidate& candidate : candidates) {
        if (choice != LauncherChoice::Automatic && choice != candidate.launcher)
            continue;
        // rf.exe belongs in the game folder.
        for (const QString& folder :
             candidate.joinsByLink ? everywhere : QStringList{gameDirectory}) {
            const QStringList files =
                QDir(QDir::fromNativeSeparators(folder)).entryList(QDir::Files | QDir::System);
            for (const QString& file : files) {
                if (file.compare(QLatin1String(candidate.fileName), Qt::CaseInsensitive) == 0)
                    return Program{gameExecutablePath(folder, file), candidate.joinsByLink};
            }
        }
    }
    return std::nullopt;
}

QStringList GameLauncher::arguments(const Program& program, const RfLink& link)
{
    if (!program.joinsByLink)
        return {};
    return {QStringLiteral("-game"), QStringLiteral("-url"), link.text()};
}

void GameLauncher::setRegistryReader(const RegistryReader& registry)
{
    m_registry = registry;
}

void GameLauncher::launch(const ServerEntry& entry)
{
    start(LaunchRequest::fromEntry(entry));
}

void GameLauncher::start(const LaunchRequest& request)
{
    // A link that arrives while a question is open waits for no one.
    if (m_asking)
        return;
    m_asking = true;
    run(request);
    m_asking = false;
}

void GameLauncher::run(const LaunchRequest& request)
{
    if (!(request.fromLink ? m_prompts->confirmJoin(request.server) : m_prompts->confirmStart()))
        return;
    Q_EMIT statusChanged(startingStatus);

    const QString directory = m_settings->value(Settings::GameDirectory);
    const std::optional<Program> program = findProgram(
        directory, m_preferences->launcher(), InstallLocations::launcherFolders(m_registry));
    if (!program) {
        // The status line keeps "Starting Red Faction..." as a hint to what failed.
        m_prompts->reportMissingDirectory();
        return;
    }
    RfLink link{request.server, request.password};
    if (program->joinsByLink) {
        if (!RfLink::isValidHost(link.server.host)) {
            m_prompts->reportStartFailure(
                QStringLiteral("the address %1 cannot be handed to the game")
                    .arg(link.server.host));
            Q_EMIT statusChanged(readyStatus);
            return;
        }
        if (link.password.isEmpty() && request.needsPassword) {
            const std::optional<QString> password = m_prompts->askPassword(request.server);
            if (!password) {
                Q_EMIT statusChanged(readyStatus);
                return;
            }
            link.password = *password;
        }
        const RfLink::PasswordProblem problem = RfLink::passwordProblem(link.password);
        if (problem != RfLink::PasswordProblem::None) {
            m_prompts->reportUnusablePassword(problem);
            Q_EMIT statusChanged(readyStatus);
            return;
        }
    }

    // The game folder, also for a launcher installed elsewhere: the
    // launchers start the game from there themselves.
    QString why;
    const bool started = m_starter->startDetached(
        program->path, arguments(*program, link),
        QDir::cleanPath(QDir(QDir::fromNativeSeparators(directory)).absolutePath()), &why);
    if (!started) {
        m_prompts->reportStartFailure(why);
    } else if (!program->joinsByLink) {
        m_prompts->offerAddress(request.server);
        Q_EMIT statusChanged(
            QStringLiteral("%1 copied: paste it into the game's join-by-address box")
                .arg(request.server.text()));
        return;
    }
    Q_EMIT statusChanged(readyStatus);
}
