#include "core/browser/serverwatch.h"

#include "core/browser/friends.h"
#include "core/browser/masterlistclient.h"
#include "core/browser/playerlistquerier.h"
#include "core/browser/serverquerier.h"
#include "core/wire/playerlist.h"

ServerWatch::ServerWatch(QObject* parent)
    : QObject(parent), m_master(new MasterListClient(this)), m_querier(new ServerQuerier(this)),
      m_players(new PlayerListQuerier(this))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ServerWatch::startRound);

    connect(m_master, &MasterListClient::finished, this, [this](const QList<ServerEndpoint>& list) {
        noteMasterList(list);
        askServers();
    });
    // The known servers are watched all the same; the master is tried again
    // only at its next turn.
    connect(m_master, &MasterListClient::failed, this, [this] {
        m_masterAsked.start();
        askServers();
    });

    connect(m_querier, &ServerQuerier::entryReceived, this, &ServerWatch::onEntry);
    connect(m_querier, &ServerQuerier::serverSilent, this, [this](const ServerEndpoint& server) {
        m_round.insert(server, WatchedServer{server, std::nullopt, std::nullopt});
        // A listed server never heard from waits for the master's next turn.
        if (Known& known = m_known[server]; known.players < 0)
            known.players = 0;
    });
    connect(m_querier, &ServerQuerier::finished, this, &ServerWatch::onInfoFinished);
    // Nothing was sent: the round ends with what it has, and the next one
    // tries again.
    connect(m_querier, &ServerQuerier::failed, this, &ServerWatch::onInfoFinished);

    connect(m_players, &PlayerListQuerier::playersReceived, this, &ServerWatch::onPlayers);
    connect(m_players, &PlayerListQuerier::serverUnlisted, this,
            [this](const ServerEndpoint& server) {
                m_unlisted.insert(server);
                m_lastPlayers.remove(server);
            });
    connect(m_players, &PlayerListQuerier::finished, this, &ServerWatch::endRound);
}

ServerWatch::~ServerWatch() = default;

void ServerWatch::setReplyTimeout(int ms)
{
    m_master->setSilenceTimeout(ms);
    m_querier->setReplyTimeout(ms);
    m_players->setReplyTimeout(ms);
}

void ServerWatch::setConfig(const WatchConfig& config)
{
    const WatchConfig before = m_config;
    m_config = config;
    if (!config.enabled) {
        abandonRound();
        m_timer.stop();
        m_events.reset();
        m_lastAnswer.clear();
        setState(State::Off);
        return;
    }
    if (!before.enabled) {
        if (m_browserBusy) {
            setState(State::Paused);
        } else {
            setState(State::Waiting);
            m_timer.start(0);
        }
        return;
    }
    if (m_state == State::Waiting && before.intervalSeconds != config.intervalSeconds)
        armTimer();
}

void ServerWatch::setFavourites(const QList<ServerEndpoint>& favourites)
{
    m_favourites = favourites;
}

void ServerWatch::setBrowserBusy(bool busy)
{
    m_browserBusy = busy;
    if (m_state == State::Off)
        return;
    if (busy) {
        abandonRound();
        m_timer.stop();
        setState(State::Paused);
        return;
    }
    // The browser's run was a look of its own: a whole interval from now.
    setState(State::Waiting);
    armTimer();
}

void ServerWatch::noteListed(const ServerEntry& entry)
{
    Known& known = m_known[entry.endpoint];
    known.listed = true;
    if (entry.answered)
        known.players = entry.info.players;
}

void ServerWatch::forgetListed()
{
    for (Known& known : m_known)
        known.listed = false;
}

void ServerWatch::noteMasterList(const QList<ServerEndpoint>& servers)
{
    m_masterAsked.start();
    m_askAllListed = true;
    for (const ServerEndpoint& server : servers)
        m_known[server].listed = true;
}

std::optional<QStringList> ServerWatch::playersOn(const ServerEndpoint& server) const
{
    const auto found = m_lastPlayers.constFind(server);
    if (found == m_lastPlayers.cend())
        return std::nullopt;
    return *found;
}

QHash<ServerEndpoint, QStringList> ServerWatch::friendsOnServers() const
{
    QHash<ServerEndpoint, QStringList> on;
    if (!m_friends)
        return on;
    for (auto it = m_lastPlayers.cbegin(); it != m_lastPlayers.cend(); ++it) {
        const QStringList names = m_friends->friendsAmong(it.value());
        if (!names.isEmpty())
            on.insert(it.key(), names);
    }
    return on;
}

void ServerWatch::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void ServerWatch::armTimer()
{
    m_timer.start(m_config.intervalSeconds * 1000);
}

void ServerWatch::startRound()
{
    if (m_state != State::Waiting)
        return;
    m_round.clear();
    m_askAllListed = false;
    const bool masterDue = !m_masterAsked.isValid() || m_masterAsked.hasExpired(m_masterEveryMs);
    if (masterDue && m_config.masterPort && !m_config.masterHost.isEmpty()) {
        setState(State::AskingMaster);
        m_master->start(m_config.masterHost, *m_config.masterPort, 0);
        return;
    }
    askServers();
}

QList<ServerEndpoint> ServerWatch::roundTargets() const
{
    QList<ServerEndpoint> targets = m_favourites;
    for (auto it = m_known.cbegin(); it != m_known.cend(); ++it) {
        const Known& known = it.value();
        const bool wanted = known.players != 0 || known.friendOn;
        if (known.listed && (m_askAllListed || wanted) && !targets.contains(it.key()))
            targets.append(it.key());
    }
    return targets;
}

void ServerWatch::askServers()
{
    setState(State::AskingServers);
    if (m_askAllListed)
        m_unlisted.clear();
    m_asked = roundTargets();
    m_players->start(0, m_config.requestsPerSecond);
    if (m_asked.isEmpty()) {
        onInfoFinished();
        return;
    }
    m_querier->startParallel(m_asked, 0, m_config.requestsPerSecond);
}

void ServerWatch::onEntry(const ServerEntry& entry)
{
    m_round.insert(entry.endpoint, WatchedServer{entry.endpoint, entry, std::nullopt});
    Known& known = m_known[entry.endpoint];
    known.players = entry.info.players;
    if (entry.info.players == 0) {
        known.friendOn = false;
        m_lastPlayers.insert(entry.endpoint, {});
    } else if (!m_unlisted.contains(entry.endpoint)) {
        m_players->ask(entry.endpoint);
    }
    Q_EMIT entryUpdated(entry);
}

void ServerWatch::onPlayers(const ServerEndpoint& server, const PlayerList& list)
{
    QStringList names;
    for (const PlayerList::Player& player : list.players)
        names.append(QString::fromLatin1(player.name));
    m_lastPlayers.insert(server, names);
    m_known[server].friendOn = m_friends && !m_friends->friendsAmong(names).isEmpty();
    auto found = m_round.find(server);
    if (found != m_round.end())
        found->players = names;
}

void ServerWatch::onInfoFinished()
{
    if (m_state != State::AskingServers)
        return;
    // Emits finished() at once when no player list is awaited.
    m_players->finishWhenDone();
}

void ServerWatch::endRound()
{
    if (m_state != State::AskingServers)
        return;
    QList<WatchedServer> look;
    look.reserve(m_asked.size());
    for (const ServerEndpoint& server : std::as_const(m_asked)) {
        WatchedServer seen =
            m_round.value(server, WatchedServer{server, std::nullopt, std::nullopt});
        // An empty server needs no list to say who is on it.
        if (seen.entry && seen.entry->info.players == 0)
            seen.players = QStringList();
        if (seen.entry)
            m_lastAnswer.insert(server, seen);
        else
            m_lastAnswer.remove(server);
        look.append(seen);
    }
    // A server left out of this round is as it was: missing, it would count
    // as silent.
    const QSet<ServerEndpoint> asked(m_asked.cbegin(), m_asked.cend());
    for (auto it = m_lastAnswer.cbegin(); it != m_lastAnswer.cend(); ++it) {
        if (!asked.contains(it.key()))
            look.append(it.value());
    }
    m_round.clear();
    m_asked.clear();
    setState(State::Waiting);
    armTimer();
    Q_EMIT looked(m_events.look(look));
}

void ServerWatch::abandonRound()
{
    m_master->stop();
    m_querier->stop();
    m_players->stop();
    m_round.clear();
    m_asked.clear();
}
