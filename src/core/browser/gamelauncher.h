#pragma once

#include <QObject>
#include <QString>

class LaunchPrompts;
class ProcessStarter;
class Settings;

// Starts the installed game, rf.exe in the game directory, after the player
// has confirmed it. The browser keeps running beside the game.
class GameLauncher : public QObject
{
    Q_OBJECT
public:
    GameLauncher(const Settings* settings, LaunchPrompts* prompts, ProcessStarter* starter,
                 QObject* parent = nullptr);

    // A click on a server row: confirm, then start the game or say why not.
    void launch();

    // rf.exe in `gameDirectory`, joined with exactly one separator.
    static QString gameExecutablePath(const QString& gameDirectory);

Q_SIGNALS:
    void statusChanged(const QString& text);

private:
    const Settings* m_settings;
    LaunchPrompts* m_prompts;
    ProcessStarter* m_starter;
};
