#include "query/queryrun.h"

#include "core/browser/serverbrowser.h"

#include <QSet>

#include <algorithm>

QueryRun::QueryRun(const QueryOptions& options, QObject* parent)
    : QObject(parent), m_options(options)
{
    m_master.setSilenceTimeout(options.masterTimeoutMs);
    m_querier.setReplyTimeout(options.replyTimeoutMs);
    // One retry within the wait, however short the wait is.
    m_querier.setRetryAfter(
        std::min(ServerQuerier::defaultRetryAfterMs, std::max(1, options.replyTimeoutMs / 2)));
    m_players.setReplyTimeout(options.replyTimeoutMs);
    m_report.withPlayers = options.players;

    connect(&m_master, &MasterListClient::finished, this,
            [this](const QList<ServerEndpoint>& servers) {
                m_report.master->servers = int(servers.size());
                query(servers + m_extraServers);
            });
    connect(&m_master, &MasterListClient::failed, this,
            [this](MasterListClient::Failure failure, const QString& description) {
                m_state = State::Done;
                Q_EMIT failed(ServerBrowser::masterFailureStatus(failure, description));
            });

    connect(&m_querier, &ServerQuerier::serverAsked, this, [this] {
        ++m_asked;
        Q_EMIT progressed();
    });
    connect(&m_querier, &ServerQuerier::entryReceived, this, &QueryRun::onEntry);
    connect(&m_querier, &ServerQuerier::finished, this, &QueryRun::onQueriesFinished);
    connect(&m_querier, &ServerQuerier::socketError, this, [this](const QString& description) {
        Q_EMIT warning(ServerBrowser::querierFailureStatus(description));
    });
    connect(&m_querier, &ServerQuerier::failed, this, [this](const QString& description) {
        m_players.stop();
        m_state = State::Done;
        Q_EMIT failed(ServerBrowser::querierFailureStatus(description));
    });

    connect(&m_players, &PlayerListQuerier::playersReceived, this,
            [this](const ServerEndpoint& server, const PlayerList& players) {
                m_all[m_index.value(server)].players = players;
            });
    connect(&m_players, &PlayerListQuerier::finished, this, &QueryRun::complete);
    connect(&m_players, &PlayerListQuerier::socketError, this, [this](const QString& description) {
        Q_EMIT warning(ServerBrowser::querierFailureStatus(description));
    });
}

void QueryRun::start(const std::optional<ServerEndpoint>& master,
                     const QList<ServerEndpoint>& servers)
{
    m_clock.start();
    if (!master) {
        query(servers);
        return;
    }
    m_extraServers = servers;
    m_report.master = QueryReport::Master{master->host, master->port, 0};
    m_state = State::Listing;
    // Any free local port: the browser may be using its own at the same time.
    m_master.start(master->host, master->port, 0);
}

void QueryRun::query(QList<ServerEndpoint> servers)
{
    // A server listed twice (or also a favourite) is asked once; port 0
    // cannot be asked.
    QSet<ServerEndpoint> listed;
    servers.removeIf([&listed](const ServerEndpoint& server) {
        if (server.port == 0 || listed.contains(server))
            return true;
        listed.insert(server);
        return false;
    });
    m_all.reserve(servers.size());
    for (const ServerEndpoint& server : std::as_const(servers)) {
        m_index.insert(server, m_all.size());
        m_all.append({ServerEntry{server, {}, 0, false}, std::nullopt});
    }
    m_report.queried = int(servers.size());
    m_state = State::Querying;
    if (m_options.players)
        m_players.start(0, m_options.requestsPerSecond);
    if (m_options.oneAtATime)
        m_querier.start(servers, m_options.localPort);
    else
        m_querier.startParallel(servers, m_options.localPort, m_options.requestsPerSecond);
}

void QueryRun::onEntry(const ServerEntry& entry)
{
    const auto index = m_index.constFind(entry.endpoint);
    if (index == m_index.cend() || m_all[*index].entry.answered)
        return;
    m_all[*index].entry = entry;
    ++m_report.answered;
    if (m_options.players)
        m_players.ask(entry.endpoint);
    Q_EMIT progressed();
}

void QueryRun::onQueriesFinished()
{
    if (m_state != State::Querying)
        return;
    if (!m_options.players) {
        complete();
        return;
    }
    m_state = State::Listening;
    m_players.finishWhenDone();
}

void QueryRun::complete()
{
    if (m_state == State::Done)
        return;
    m_state = State::Done;
    m_report.elapsedMs = m_clock.elapsed();
    for (const QueryReport::Server& server : std::as_const(m_all)) {
        if (shows(server))
            m_report.servers.append(server);
    }
    Q_EMIT finished();
}

bool QueryRun::shows(const QueryReport::Server& server) const
{
    return server.entry.answered ? m_options.filter.passes(server.entry.info)
                                 : m_options.includeSilent;
}
