#pragma once

#include "core/browser/watchnotices.h"
#include "core/chat/chatsettings.h"

#include <QObject>
#include <QString>

#include <memory>

class ChatSession;
class Favourites;
class Friends;
class GameLauncher;
class LaunchPrompts;
class LinkJoiner;
class Preferences;
class ProcessStarter;
class ServerBrowser;
class ServerWatch;
class SingleInstance;
class Settings;
struct ServerFilter;
struct WatchConfig;

// The program without its windows: the settings and preferences, the server
// browser with its favourites and the friends, the game launcher and the link joiner, the chat
// session and the single-instance guard, made once and wired to each other.
// main() makes it; the main window is given it and shows what it does.
class Application : public QObject
{
    Q_OBJECT
public:
    explicit Application(QObject* parent = nullptr);
    ~Application() override;

    Settings* settings() const { return m_settings; }
    Preferences* preferences() const { return m_preferences; }
    ServerBrowser* browser() const { return m_browser; }
    ServerWatch* watch() const { return m_watch; }
    Favourites* favourites() const { return m_favourites; }
    Friends* friends() const { return m_friends; }
    ChatSession* chat() const { return m_chat; }
    LinkJoiner* linkJoiner() const { return m_linkJoiner; }
    SingleInstance* singleInstance() const { return m_instance; }
    // Null until setLaunchServices(): the launch asks the player in windows.
    GameLauncher* launcher() const { return m_launcher; }

    // The game launch asks through `prompts` and starts through `starter`,
    // the system's when null. Neither is owned; a new launcher replaces the
    // old one.
    void setLaunchServices(LaunchPrompts* prompts, ProcessStarter* starter = nullptr);

    // A run's start: the last run's address cache goes, the files are read.
    void load();
    // A run's end: every exchange stopped, every socket closed, the address
    // cache file removed.
    void stop();
    // Writes the filter's game type and version choice at once; the failure,
    // or empty.
    QString keepFilterChoice(const ServerFilter& filter);

    // The chat's part of the settings and preferences as they are now.
    static ChatSettings chatSettings(const Settings& settings, const Preferences& preferences);
    // The watch's part of them.
    static WatchConfig watchConfig(const Settings& settings, const Preferences& preferences);

Q_SIGNALS:
    // A status line from the browser, the launcher or the link joiner.
    void statusChanged(const QString& text);
    // Something the watch saw that the player wants to hear of.
    void watchNotice(const WatchNotice& notice);

private:
    void connectWatch();
    void onLooked(const QList<WatchEvent>& events);

    Settings* m_settings = nullptr;
    Preferences* m_preferences = nullptr;
    ServerBrowser* m_browser = nullptr;
    Favourites* m_favourites = nullptr;
    Friends* m_friends = nullptr;
    LinkJoiner* m_linkJoiner = nullptr;
    GameLauncher* m_launcher = nullptr;
    ChatSession* m_chat = nullptr;
    SingleInstance* m_instance = nullptr;
    ServerWatch* m_watch = nullptr;
    WatchNotices m_notices;
    std::unique_ptr<ProcessStarter> m_systemStarter;
};
