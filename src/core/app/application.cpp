#include "core/app/application.h"

#include "core/browser/favourites.h"
#include "core/browser/friends.h"
#include "core/browser/gamelauncher.h"
#include "core/browser/linkjoiner.h"
#include "core/browser/masterlistclient.h"
#include "core/browser/serverbrowser.h"
#include "core/browser/serverwatch.h"
#include "core/browser/systemprocessstarter.h"
#include "core/chat/chatsession.h"
#include "core/platform/datapaths.h"
#include "core/platform/singleinstance.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"

#include <QFile>

#include <chrono>

Application::Application(QObject* parent)
    : QObject(parent), m_settings(new Settings(this)), m_preferences(new Preferences(this)),
      m_browser(new ServerBrowser(m_settings, this)), m_favourites(new Favourites(this)),
      m_friends(new Friends(this)), m_linkJoiner(new LinkJoiner(this)),
      m_chat(new ChatSession([this] { return chatSettings(*m_settings, *m_preferences); }, this)),
      m_instance(new SingleInstance(SingleInstance::userSocketName(), this)),
      m_watch(new ServerWatch(this)), m_systemStarter(std::make_unique<SystemProcessStarter>())
{
    m_browser->setCacheFile(DataPaths::cacheFile());
    m_browser->setPreferences(m_preferences);
    m_browser->setFavourites(m_favourites);
    connect(m_browser, &ServerBrowser::statusChanged, this, &Application::statusChanged);
    connect(m_linkJoiner, &LinkJoiner::statusChanged, this, &Application::statusChanged);
    connect(m_linkJoiner, &LinkJoiner::launchRequested, this, [this](const LaunchRequest& request) {
        if (m_launcher)
            m_launcher->start(request);
    });
    connectWatch();
}

void Application::connectWatch()
{
    m_watch->setFriends(m_friends);
    connect(m_browser, &ServerBrowser::busyChanged, m_watch, &ServerWatch::setBrowserBusy);
    connect(m_browser, &ServerBrowser::entryReceived, m_watch, &ServerWatch::noteListed);
    connect(m_browser, &ServerBrowser::serverSilent, m_watch, &ServerWatch::noteListed);
    connect(m_browser, &ServerBrowser::listCleared, m_watch, &ServerWatch::forgetListed);
    connect(m_browser->masterList(), &MasterListClient::finished, m_watch,
            &ServerWatch::noteMasterList);
    connect(m_favourites, &Favourites::changed, m_watch,
            [this] { m_watch->setFavourites(m_favourites->servers()); });
    connect(m_preferences, &Preferences::changed, m_watch, [this](Preferences::Key key) {
        if (key == Preferences::WatchEnabled || key == Preferences::WatchInterval ||
            key == Preferences::RequestsPerSecond)
            m_watch->setConfig(watchConfig(*m_settings, *m_preferences));
    });
    connect(m_settings, &Settings::changed, m_watch, [this](Settings::Key key) {
        if (key == Settings::MasterHost || key == Settings::MasterPort)
            m_watch->setConfig(watchConfig(*m_settings, *m_preferences));
    });
    connect(m_watch, &ServerWatch::looked, this, &Application::onLooked);
}

void Application::onLooked(const QList<WatchEvent>& events)
{
    const QList<ServerEndpoint> favourites = m_favourites->servers();
    const qint64 now = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    const QList<WatchNotice> notices = m_notices.take(
        events, [this](const QString& name) { return m_friends->matches(name); },
        QSet<ServerEndpoint>(favourites.cbegin(), favourites.cend()),
        m_preferences->watchPlayersAtLeast(), now);
    for (const WatchNotice& notice : notices)
        Q_EMIT watchNotice(notice);
}

Application::~Application()
{
    // Before the system starter it may hold goes.
    delete m_launcher;
}

void Application::setLaunchServices(LaunchPrompts* prompts, ProcessStarter* starter)
{
    delete m_launcher;
    m_launcher = new GameLauncher(m_settings, m_preferences, prompts,
                                  starter ? starter : m_systemStarter.get(), this);
    connect(m_launcher, &GameLauncher::statusChanged, this, &Application::statusChanged);
}

void Application::load()
{
    QFile::remove(DataPaths::cacheFile());
    m_settings->load(DataPaths::settingsFile());
    m_preferences->load(DataPaths::preferencesFile());
    m_favourites->load(DataPaths::favouritesFile());
    m_friends->load(DataPaths::friendsFile());
    m_watch->setConfig(watchConfig(*m_settings, *m_preferences));
}

void Application::stop()
{
    // Ends a retrieval or a cycle: closes the address cache file and the
    // browser's sockets.
    m_watch->setConfig({});
    m_browser->stop();
    m_linkJoiner->stop();
    m_chat->close();
    QFile::remove(DataPaths::cacheFile());
}

QString Application::keepFilterChoice(const ServerFilter& filter)
{
    m_preferences->setServerFilter(filter);
    const QString file = DataPaths::preferencesFile();
    QString failure = m_preferences->saveValue(file, Preferences::GameTypeChoice);
    if (failure.isEmpty())
        failure = m_preferences->saveValue(file, Preferences::VersionChoice);
    return failure;
}

ChatSettings Application::chatSettings(const Settings& settings, const Preferences& preferences)
{
    ChatSettings chat;
    chat.host = settings.value(Settings::IrcHost);
    chat.port = settings.port(Settings::IrcPort);
    if (!chat.port)
        chat.portProblem = Settings::invalidPortMessage(Settings::IrcPort);
    chat.nickname = settings.value(Settings::IrcNickname);
    chat.userName = settings.value(Settings::IrcUserName);
    chat.channel = settings.value(Settings::IrcChannel);
    chat.tls = preferences.flag(Preferences::IrcTls);
    chat.caFile = preferences.ircCaFile();
    chat.reconnect = preferences.flag(Preferences::IrcReconnect);
    return chat;
}

WatchConfig Application::watchConfig(const Settings& settings, const Preferences& preferences)
{
    WatchConfig watch;
    watch.enabled = preferences.flag(Preferences::WatchEnabled);
    watch.intervalSeconds = preferences.watchIntervalSeconds();
    watch.masterHost = settings.value(Settings::MasterHost);
    watch.masterPort = settings.port(Settings::MasterPort);
    watch.requestsPerSecond = preferences.requestsPerSecond();
    return watch;
}
