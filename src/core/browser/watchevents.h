#pragma once

#include "core/browser/serverentry.h"
#include "core/wire/serverendpoint.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One server at one look.
struct WatchedServer
{
    ServerEndpoint server;
    // Nothing (or an entry that did not answer): silent at this look.
    std::optional<ServerEntry> entry;
    // Nothing: no player list is known at this look.
    std::optional<QStringList> players;
};

// One change between two looks at a server.
struct WatchEvent
{
    enum class Kind
    {
        ServerUp,
        ServerDown,
        PlayersChanged,
        PlayerJoined,
        PlayerLeft,
        MapChanged
    };
    Kind kind = Kind::ServerUp;
    ServerEndpoint server;
    // The latest known entry (name, map, counts ...): for ServerDown the last
    // answer before the silence.
    ServerEntry entry;
    int playersBefore = 0, playersAfter = 0; // PlayersChanged
    QString player;                          // PlayerJoined / PlayerLeft
    QString mapBefore;                       // MapChanged
};

// The changes between looks at a set of servers, for a watch that asks them
// again and again. It keeps what it needs of the last look and nothing more.
//
// The first look (after construction or reset()) is the starting point and
// gives no events. Later, a server answering that was not up (new, silent
// from the start, or down) gives ServerUp and is the new starting point for
// its map and players. A server counts as down only after it was silent at
// two looks in a row (a lost datagram is no outage); a server missing from a
// look counts as silent at it, and one that is down and missing is
// forgotten. Player lists are compared with the last list known, so a look
// whose list request failed invents no one joining or leaving.
class WatchEvents
{
public:
    // One look at these servers; returns the changes since the last look, the
    // servers in the order given (then those missing from the look), each
    // server's events in the order of WatchEvent::Kind.
    QList<WatchEvent> look(const QList<WatchedServer>& servers);
    void reset();

private:
    struct State
    {
        std::optional<ServerEntry> last;
        std::optional<QStringList> players;
        int silentLooks = 0;
        bool up = false;
    };

    static void answered(const WatchedServer& now, State& state, QList<WatchEvent>& events);
    static void silent(const ServerEndpoint& server, State& state, QList<WatchEvent>& events);

    QHash<ServerEndpoint, State> m_states;
    bool m_started = false;
};
