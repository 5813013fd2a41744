#include "core/app/application.h"

#include "core/browser/favourites.h"
#include "core/browser/friends.h"
#include "core/browser/gamelauncher.h"
#include "core/browser/linkjoiner.h"
#include "core/browser/serverbrowser.h"
#include "core/browser/systemprocessstarter.h"
#include "core/chat/chatsession.h"
#include "core/platform/datapaths.h"
#include "core/platform/singleinstance.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"

#include <QFile>

Application::Application(QObject* parent)
    : QObject(parent), m_settings(new Settings(this)), m_preferences(new Preferences(this)),
      m_browser(new ServerBrowser(m_settings, this)), m_favourites(new Favourites(this)),
      m_friends(new Friends(this)), m_linkJoiner(new LinkJoiner(this)),
      m_chat(new ChatSession([this] { return chatSettings(*m_settings, *m_preferences); }, this)),
      m_instance(new SingleInstance(SingleInstance::userSocketName(), this)),
      m_systemStarter(std::make_unique<SystemProcessStarter>())
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
}

void Application::stop()
{
    // Ends a retrieval or a cycle: closes the address cache file and the
    // browser's sockets.
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
