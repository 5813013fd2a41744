#pragma once

#include "core/browser/masterlistclient.h"
#include "core/browser/playerlistquerier.h"
#include "core/browser/serverquerier.h"
#include "query/queryoptions.h"
#include "query/queryreport.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

#include <optional>

// One run of varnholt-query: the master's list (unless servers were given),
// every server asked for its state, then, when asked for, who is on each
// server that answered, while the stragglers are still being asked. Ends
// with finished() and the report, or with failed().
class QueryRun : public QObject
{
    Q_OBJECT
public:
    explicit QueryRun(const QueryOptions& options, QObject* parent = nullptr);

    // Asks `master` for its list, then its servers and `servers`; without a
    // master, `servers` alone. Each server is asked once.
    void start(const std::optional<ServerEndpoint>& master, const QList<ServerEndpoint>& servers);

    int asked() const { return m_asked; }
    int answered() const { return m_report.answered; }
    const QueryReport& report() const { return m_report; }
    // Every server asked, in order, printed or not (the watch needs the
    // silent and the filtered ones too).
    const QList<QueryReport::Server>& allServers() const { return m_all; }

Q_SIGNALS:
    void progressed();
    void finished();
    // The master failed or the queries' local port could not be used: the
    // status the browser would show.
    void failed(const QString& message);
    // Something went wrong with a server but the run goes on.
    void warning(const QString& message);

private:
    enum class State
    {
        Idle,
        Listing,
        Querying,
        // The last servers are being asked for their players.
        Listening,
        Done,
    };

    void query(QList<ServerEndpoint> servers);
    void onEntry(const ServerEntry& entry);
    void onQueriesFinished();
    void complete();
    bool shows(const QueryReport::Server& server) const;

    const QueryOptions m_options;
    MasterListClient m_master;
    ServerQuerier m_querier;
    PlayerListQuerier m_players;
    State m_state = State::Idle;
    QElapsedTimer m_clock;
    QList<ServerEndpoint> m_extraServers;
    // Every server asked, in order; the report keeps those it prints.
    QList<QueryReport::Server> m_all;
    QHash<ServerEndpoint, qsizetype> m_index;
    int m_asked = 0;
    QueryReport m_report;
};
