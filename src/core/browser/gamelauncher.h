#pragma once

#include "core/browser/launchrequest.h"
#include "core/browser/rflink.h"
#include "core/platform/registryreader.h"
#include "core/settings/launcherchoice.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class LaunchPrompts;
class Preferences;
class ProcessStarter;
class Settings;

// Starts the game on a server the player picked, after the player has
// confirmed it: through a community launcher, which joins the server, or the
// stock rf.exe, which cannot (the player gets the address to type in). The
// browser keeps running beside the game.
class GameLauncher : public QObject
{
    Q_OBJECT
public:
    // The program that is started and how it is told the server.
    struct Program
    {
        QString path;
        // A community launcher: takes "-game -url <link>".
        bool joinsByLink = false;
    };

    GameLauncher(const Settings* settings, const Preferences* preferences, LaunchPrompts* prompts,
                 ProcessStarter* starter, QObject* parent = nullptr);

    // A click on a server row.
    void launch(const ServerEntry& entry);
    // Confirm, ask for a password where one is needed, then start the game
    // or say why not. A request while a question is open is passed over.
    void start(const LaunchRequest& request);

    // `fileName` (rf.exe unless given) in `gameDirectory`, joined with
    // exactly one separator.
    static QString gameExecutablePath(const QString& gameDirectory,
                                      const QString& fileName = QStringLiteral("rf.exe"));
    // What `choice` starts: file names compare without regard to case (Wine
    // prefixes and copied installs differ); Automatic takes the first present
    // of the Alpine Faction launcher, the Dash Faction launcher and rf.exe.
    // A launcher is looked for in `launcherFolders` (where its installer put
    // it), then in `gameDirectory`; rf.exe in `gameDirectory` only. Nothing
    // when the file is missing.
    static std::optional<Program> findProgram(const QString& gameDirectory, LauncherChoice choice,
                                              const QStringList& launcherFolders = {});
    // The arguments that make `program` join `link`'s server.
    static QStringList arguments(const Program& program, const RfLink& link);

    // Where the launchers' installers are looked up; the system's registry
    // unless set.
    void setRegistryReader(const RegistryReader& registry);

Q_SIGNALS:
    void statusChanged(const QString& text);

private:
    void run(const LaunchRequest& request);

    const Settings* m_settings;
    const Preferences* m_preferences;
    LaunchPrompts* m_prompts;
    ProcessStarter* m_starter;
    RegistryReader m_registry = RegistryReader::system();
    bool m_asking = false;
};
