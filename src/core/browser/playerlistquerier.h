#pragma once

#include "core/platform/udpchannel.h"
#include "core/wire/playerlist.h"
#include "core/wire/playerlistassembler.h"
#include "core/wire/serverendpoint.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>
#include <QTimer>

// Asks many game servers at once who is on them, from one socket: servers
// are handed in as they become known (e.g. as they answer the info request),
// their requests go out at a steady rate, and an answer counts only from the
// address and port it was sent to. The scores form's segments are joined per
// server. A server still unanswered a second after its request is asked once
// more (some servers answer no more often); its wait ends at the reply
// time-out counted from the first request.
class PlayerListQuerier : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultReplyTimeoutMs = 4000;
    static constexpr int retryAfterMs = 1000;

    explicit PlayerListQuerier(QObject* parent = nullptr);

    // Opens a run; requests go out from `localPort` (0: any free port), at
    // most `requestsPerSecond` a second. A run in progress is abandoned.
    void start(quint16 localPort, int requestsPerSecond);
    // Asks a server in this run; one already asked in it is not asked again.
    void ask(const ServerEndpoint& server);
    // No more servers come: finished() follows once every wait is over.
    void finishWhenDone();
    // Abandons the run and closes the socket. Harmless when idle.
    void stop();
    bool isRunning() const { return m_state != State::Idle; }

    void setReplyTimeout(int ms) { m_replyTimeoutMs = ms; }

Q_SIGNALS:
    void playersReceived(const ServerEndpoint& server, const PlayerList& players);
    // No whole answer in time: the stock game does not list its players.
    void serverUnlisted(const ServerEndpoint& server);
    // The socket failed or a host name was not found; the run goes on and
    // the servers concerned wait out their time.
    void socketError(const QString& description);
    void finished();

private:
    enum class State
    {
        Idle,
        // Servers may still be handed in.
        Open,
        // finishWhenDone() was called.
        Closing,
    };

    struct Request
    {
        // Null while the host name is being looked up.
        QHostAddress address;
        UdpChannel::Clock::time_point waitEnds;
        // max(): no retry to come.
        UdpChannel::Clock::time_point retryAt;
        PlayerListAssembler assembler;
    };

    // An IPv4 address and a port.
    using SenderKey = QPair<quint32, quint16>;

    void onTimer();
    void sendDue(UdpChannel::Clock::time_point now);
    void send(const ServerEndpoint& server, const QHostAddress& address);
    void onDatagram(const UdpChannel::Datagram& datagram);
    void onHostFound(const QString& host, const QHostAddress& address);
    void settle(const ServerEndpoint& server);
    void armTimer();
    void finishIfDone();

    UdpChannel m_channel{this};
    QTimer m_timer;
    State m_state = State::Idle;
    quint16 m_localPort = 0;
    int m_requestsPerSecond = 1;
    int m_replyTimeoutMs = defaultReplyTimeoutMs;
    // When the next first request may go out.
    UdpChannel::Clock::time_point m_nextDue;
    QSet<ServerEndpoint> m_seen;
    QList<ServerEndpoint> m_queue;
    QHash<ServerEndpoint, Request> m_waiting;
    QHash<SenderKey, ServerEndpoint> m_bySender;
};
