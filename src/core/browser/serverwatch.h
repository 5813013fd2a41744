#pragma once

#include "core/browser/serverentry.h"
#include "core/browser/watchevents.h"
#include "core/wire/serverendpoint.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

class Friends;
class MasterListClient;
class PlayerListQuerier;
class ServerQuerier;
struct PlayerList;

// What the watch needs to know, handed to it as values whenever they change.
struct WatchConfig
{
    bool enabled = false;
    int intervalSeconds = 60;
    // Empty, or no port: the master is not asked.
    QString masterHost;
    std::optional<quint16> masterPort;
    int requestsPerSecond = 250;

    friend bool operator==(const WatchConfig&, const WatchConfig&) = default;
};

// Looks at the servers in the background while the browser is idle: every
// favourite and every server that had players or a friend at the last look
// (every server the master lists, when the master was asked in that round),
// in fast mode from sockets of its own, with the player lists of those that
// list them. The master is asked at most every masterEveryMs. Each round
// ends in a look whose changes come as looked().
//
// Waiting costs nothing but one single-shot timer. Any run of the browser
// pauses the watch (a round under way is dropped); when the run ends the
// clock starts again from a whole interval.
class ServerWatch : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Off,
        // The timer runs to the next round.
        Waiting,
        // The browser is busy.
        Paused,
        AskingMaster,
        // Info requests, then the player lists of those with players.
        AskingServers,
    };
    Q_ENUM(State)

    static constexpr int masterEveryMs = 10 * 60 * 1000;

    explicit ServerWatch(QObject* parent = nullptr);
    ~ServerWatch() override;

    // Turning it on starts a round at once (unless the browser is busy).
    void setConfig(const WatchConfig& config);
    WatchConfig config() const { return m_config; }
    void setFavourites(const QList<ServerEndpoint>& favourites);
    // Whose presence keeps a server watched. Not owned.
    void setFriends(const Friends* friends) { m_friends = friends; }
    State state() const { return m_state; }

    // What the browser does: its runs pause the watch; the servers it
    // heard from are listed; the master list it fetched resets the
    // master's clock.
    void setBrowserBusy(bool busy);
    void noteListed(const ServerEntry& entry);
    void forgetListed();
    void noteMasterList(const QList<ServerEndpoint>& servers);

    // The players seen on the server at the last look it answered.
    std::optional<QStringList> playersOn(const ServerEndpoint& server) const;
    // Every server with a friend on it at its last look, and their names.
    QHash<ServerEndpoint, QStringList> friendsOnServers() const;

    // For tests: shorter times.
    void setMasterEvery(int ms) { m_masterEveryMs = ms; }
    void setReplyTimeout(int ms);

Q_SIGNALS:
    void stateChanged(ServerWatch::State state);
    // A server answered in a round: its row is brought up to date.
    void entryUpdated(const ServerEntry& entry);
    // A round ended; the changes since the round before.
    void looked(const QList<WatchEvent>& events);

private:
    struct Known
    {
        // -1: never seen answering.
        int players = -1;
        bool listed = false;
        bool friendOn = false;
    };

    void setState(State state);
    void armTimer();
    void startRound();
    void askServers();
    QList<ServerEndpoint> roundTargets() const;
    void onEntry(const ServerEntry& entry);
    void onPlayers(const ServerEndpoint& server, const PlayerList& list);
    void onInfoFinished();
    void endRound();
    void abandonRound();

    WatchConfig m_config;
    const Friends* m_friends = nullptr;
    State m_state = State::Off;
    bool m_browserBusy = false;
    QTimer m_timer;
    MasterListClient* m_master;
    ServerQuerier* m_querier;
    PlayerListQuerier* m_players;
    int m_masterEveryMs = masterEveryMs;
    // Invalid while the master was never asked.
    QElapsedTimer m_masterAsked;
    bool m_askAllListed = false;
    QList<ServerEndpoint> m_favourites;
    QHash<ServerEndpoint, Known> m_known;
    // Servers that never answered a player-list request.
    QSet<ServerEndpoint> m_unlisted;
    QHash<ServerEndpoint, QStringList> m_lastPlayers;
    // Each server's last answer, to be carried into looks that leave it out.
    QHash<ServerEndpoint, WatchedServer> m_lastAnswer;
    // The round under way.
    QList<ServerEndpoint> m_asked;
    QHash<ServerEndpoint, WatchedServer> m_round;
    WatchEvents m_events;
};
