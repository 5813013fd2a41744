#include "core/browser/gamelauncher.h"

#include "core/browser/launchprompts.h"
#include "core/browser/processstarter.h"
#include "core/settings/settings.h"

#include <QDir>
#include <QFileInfo>

GameLauncher::GameLauncher(const Settings* settings, LaunchPrompts* prompts,
                           ProcessStarter* starter, QObject* parent)
    : QObject(parent), m_settings(settings), m_prompts(prompts), m_starter(starter)
{
}

QString GameLauncher::gameExecutablePath(const QString& gameDirectory)
{
    QString directory = QDir::fromNativeSeparators(gameDirectory);
    while (directory.endsWith(u'/'))
        directory.chop(1);
    return QDir::toNativeSeparators(directory + QStringLiteral("/rf.exe"));
}

void GameLauncher::launch()
{
    if (!m_prompts->confirmStart())
        return;
    Q_EMIT statusChanged(QStringLiteral("Starting Red Faction..."));

    const QString game = gameExecutablePath(m_settings->value(Settings::GameDirectory));
    if (!QFileInfo(game).isFile()) {
        // The status line keeps "Starting Red Faction..." as a hint to what failed.
        m_prompts->reportMissingDirectory();
        return;
    }
    QString why;
    if (!m_starter->startDetached(game, {}, &why))
        m_prompts->reportStartFailure(why);
    Q_EMIT statusChanged(QStringLiteral("Ready"));
}
