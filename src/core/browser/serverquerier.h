#pragma once

#include "core/browser/serverentry.h"
#include "core/platform/udpchannel.h"
#include "core/wire/serverendpoint.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

// Asks game servers for their state with the 4-byte info request, in list
// order, and hands out an entry per reply with the ping measured from the
// request leaving to the reply arriving.
//
// Each request outstanding has a wait; it ends at the reply time-out, or
// at once when the server answered, after what it has already sent has been
// read. Only a datagram from the address and port of a server being waited
// for is a reply; a server whose wait is over is a stranger again.
//
// One at a time (start()), each server is asked only when the one before
// it is done, and the entry of a server that answered is handed on just
// after the next server has been asked. A fast run (startParallel()) sends the requests at a steady
// rate without waiting for replies, asks each server once, asks a server
// still silent after the retry interval once more, and takes only its
// first reply.
class ServerQuerier : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultReplyTimeoutMs = 4000;
    // Servers waited for at once: one, so each server is asked only when
    // the one before it answered or its wait ran out.
    static constexpr int maxOutstanding = 1;
    static constexpr int defaultRetryAfterMs = 1000;

    explicit ServerQuerier(QObject* parent = nullptr);

    // Asks every server of the list from `localPort`, which is bound when
    // the first server's turn comes. A run in progress is abandoned first.
    // An endpoint at port 0 cannot be asked and is passed over.
    void start(const QList<ServerEndpoint>& servers, quint16 localPort);
    // Asks every server of the list once (a server listed twice too), at
    // `requestsPerSecond` requests a second in list order, from `localPort`.
    void startParallel(const QList<ServerEndpoint>& servers, quint16 localPort,
                       int requestsPerSecond);
    // Abandons a run and closes the socket. Harmless when idle.
    void stop();
    bool isRunning() const { return m_state != State::Idle; }

    void setReplyTimeout(int ms) { m_replyTimeoutMs = ms; }
    int replyTimeout() const { return m_replyTimeoutMs; }
    // How long a fast run waits for a server before asking it once more.
    void setRetryAfter(int ms) { m_retryAfterMs = ms; }

Q_SIGNALS:
    // A server's turn began: its request goes out now, or once its host
    // name has been looked up.
    void serverAsked(const ServerEndpoint& server);
    void entryReceived(const ServerEntry& entry);
    // The server's wait ended without a reply.
    void serverSilent(const ServerEndpoint& server);
    // The socket failed or a host name was not found; the run goes on.
    void socketError(const QString& description);
    // Every server had its turn; the socket is closed.
    void finished();
    // The local port could not be bound; the run is over, nothing was sent.
    void failed(const QString& description);

private:
    enum class State
    {
        Idle,
        Querying,
        // The bind failed; its error is on its way from the event loop.
        PortFailed,
    };

    struct Request
    {
        // Null while the host name is being looked up.
        QHostAddress address;
        UdpChannel::Clock::time_point firstSentAt;
        // The retry once it went out, else the first request.
        UdpChannel::Clock::time_point sentAt;
        UdpChannel::Clock::time_point waitEnds;
        // max(): no retry to come.
        UdpChannel::Clock::time_point retryAt;
        bool answered = false;
    };

    void begin(const QList<ServerEndpoint>& servers, quint16 localPort);
    void askMore();
    bool mayAskNext() const;
    UdpChannel::Clock::time_point dueAt(qsizetype request) const;
    void armPaceTimer();
    void retryDue(UdpChannel::Clock::time_point now);
    void ask(const ServerEndpoint& server);
    void send(const ServerEndpoint& server, const QHostAddress& address);
    void onDatagram(const UdpChannel::Datagram& datagram);
    void onHostFound(const QString& host, const QHostAddress& address);
    void onChannelError(const QString& description);
    void onWaitOver();
    // Hands on the entry of the server just answered, if it is still held;
    // false if a receiver stopped or restarted the run.
    bool handOnAnswered();
    void armWaitTimer();

    UdpChannel m_channel{this};
    QTimer m_waitTimer;
    // Fast runs: the next request's turn.
    QTimer m_paceTimer;
    State m_state = State::Idle;
    quint16 m_localPort = 0;
    int m_replyTimeoutMs = defaultReplyTimeoutMs;
    int m_retryAfterMs = defaultRetryAfterMs;
    // 0: one server at a time.
    int m_requestsPerSecond = 0;
    UdpChannel::Clock::time_point m_startedAt;
    QList<ServerEndpoint> m_servers;
    qsizetype m_next = 0;
    // Requests of this run so far (the pace counts them).
    qsizetype m_asked = 0;
    // Bumped by every start(): a handler that started a new run ends the
    // old run's loops.
    quint64 m_run = 0;
    // Inside onWaitOver()'s read of what waits: a reply read there ends no
    // wait of its own.
    bool m_readingWaiting = false;
    // One at a time: the reply just read, held while the next server is asked.
    std::optional<ServerEntry> m_answeredEntry;
    quint64 m_answeredRun = 0;
    QHash<ServerEndpoint, Request> m_outstanding;
};
