#pragma once

#include "core/browser/serverentry.h"
#include "core/platform/udpchannel.h"
#include "core/wire/playerlist.h"
#include "core/wire/playerlistassembler.h"
#include "core/wire/serverendpoint.h"
#include "core/wire/serverpatch.h"

#include <QHostAddress>
#include <QObject>
#include <QTimer>

// Keeps asking one server what it runs and who is on it, for as long as its
// details are open: each round sends the info request and the player-list
// request from a socket of its own (any free local port) and waits for the
// answers until both are in or the reply time-out passes; a round starts
// every repeat interval. Only datagrams from the server's address and port
// count. The player-list request goes out at most once a second, since some
// servers answer no more often.
class ServerDetailsQuery : public QObject
{
    Q_OBJECT
public:
    enum class PlayersAnswer
    {
        Listed,
        // No answer at all: the stock game does not list its players.
        NotListed,
        // Segments came, but not all of them.
        Incomplete,
    };
    Q_ENUM(PlayersAnswer)

    static constexpr int defaultReplyTimeoutMs = 3000;
    static constexpr int defaultRepeatIntervalMs = 5000;
    static constexpr int minRequestSpacingMs = 1000;

    explicit ServerDetailsQuery(const ServerEndpoint& server, QObject* parent = nullptr);

    const ServerEndpoint& server() const { return m_server; }

    // Asks now, and again every repeat interval until stop().
    void start();
    // An extra round: now, or once a second has passed since the last
    // request. Ignored while a round waits for answers, and when stopped.
    void askNow();
    void stop();
    bool isRunning() const { return m_state != State::Idle; }

    void setReplyTimeout(int ms) { m_replyTimeoutMs = ms; }
    void setRepeatInterval(int ms) { m_repeatIntervalMs = ms; }

Q_SIGNALS:
    // With the patch the reply's trailing bytes name, if any.
    void infoReceived(const ServerEntry& entry, const std::optional<ServerPatch>& patch);
    void playersReceived(const PlayerList& players);
    void roundEnded(bool infoAnswered, ServerDetailsQuery::PlayersAnswer players);
    // The host was not found or the socket failed; later rounds still run.
    void failed(const QString& description);

private:
    enum class State
    {
        Idle,
        LookingUp,
        Waiting,
        Resting,
    };

    void beginRound();
    void send(const QHostAddress& address);
    void onDatagram(const UdpChannel::Datagram& datagram);
    void onTimer();
    void endRound();
    void scheduleRound(UdpChannel::Clock::time_point at);

    const ServerEndpoint m_server;
    UdpChannel m_channel{this};
    // Waiting: the reply time-out; Resting: the next round.
    QTimer m_timer;
    State m_state = State::Idle;
    int m_replyTimeoutMs = defaultReplyTimeoutMs;
    int m_repeatIntervalMs = defaultRepeatIntervalMs;
    QHostAddress m_address;
    UdpChannel::Clock::time_point m_roundStart;
    UdpChannel::Clock::time_point m_sentAt;
    bool m_infoAnswered = false;
    bool m_playersListed = false;
    bool m_segmentsSeen = false;
    PlayerListAssembler m_assembler;
};
