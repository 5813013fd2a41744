#pragma once

#include "core/chat/chatsettings.h"
#include "core/chat/receiveditem.h"
#include "core/chat/sendqueue.h"
#include "core/wire/lineassembler.h"

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSslError>
#include <QString>
#include <QStringList>
#include <QTimer>

class QTcpSocket;

// The chat's one IRC connection: connecting (plain or TLS) and registering,
// the traffic the server sends, what the user enters and the channel's
// users list, and keeping the link: a nickname in use, a lost connection
// and a silent one. It owns the socket of each connection and is driven by
// the window's calls, the socket's signals, its timers and the event loop
// on the GUI thread. It reports what happens as typed events; the windows
// make the texts of the chat log.
class ChatSession : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        // No socket and no attempt due. Connect acts.
        Disconnected,
        // The socket is looking up the host or connecting, and with TLS
        // checking the server's certificate.
        Connecting,
        // The connection is open; NICK and USER went out and the server's
        // welcome (RPL_WELCOME) is awaited: JOIN goes out with it, since servers
        // refuse a JOIN before registration is complete.
        Registering,
        // Welcomed: JOIN went out and what the user enters is sent.
        Connected,
        // The link was lost; the next attempt starts when the back-off ends,
        // or at once on Connect.
        Waiting,
        // The connection could not be made or was lost, and no attempt
        // follows; the socket is gone. Only Disconnect leads back.
        Failed,
    };
    Q_ENUM(State)

    // Why a connection ended or an attempt failed.
    enum class Loss
    {
        ServerClosed,
        Refused,
        HostNotFound,
        NoReply, // nothing arrived, not even after our PING
        NetworkError,
    };
    Q_ENUM(Loss)

    // Why a TLS attempt ended before anything was sent.
    enum class TlsProblem
    {
        Expired,
        NotYetValid,
        WrongHost,
        Untrusted,
        Revoked,
        Invalid, // any other fault of the certificate
        HandshakeFailed,
        CaFileUnreadable,
        Unavailable, // no TLS library on this system
    };
    Q_ENUM(TlsProblem)

    // The times and the pace the session keeps; tests shorten them.
    struct Timings
    {
        // The wait before the first reconnect attempt, doubled for each
        // further one up to maxRetryMs.
        int firstRetryMs = 2000;
        int maxRetryMs = 60000;
        // Silence before we send PING, and after it before the link is
        // taken for dead.
        int idleMs = 90000;
        int pingTimeoutMs = 60000;
        int burst = SendQueue::defaultBurst;
        int sendIntervalMs = SendQueue::defaultIntervalMs;
    };

    // `settings` is asked at each use: at each attempt, each line and each
    // loss.
    explicit ChatSession(ChatSettingsSource settings, QObject* parent = nullptr);

    void setTimings(const Timings& timings);

    // Starts the first attempt, or the next one at once while one is due;
    // does nothing while connecting or connected.
    void connectToServer();
    // Ends the connection and any attempt, reported as the user's choice.
    void disconnectFromServer();
    // Enter in the chat input; true when the input box should be cleared.
    bool submitInput(const QString& text);
    // Asks the server for the channel's users and for the users window.
    void showUsers();
    // Asks the server for the channel's users again.
    void requestUsers();
    // Ends any connection without a word, as at shut-down.
    void close();

    // Handles bytes as read from the socket, in whatever pieces they came.
    void receive(const QByteArray& bytes);

    State state() const { return m_state; }
    bool isConnected() const { return m_state == State::Connected; }
    bool connectEnabled() const
    {
        return m_state == State::Disconnected || m_state == State::Waiting;
    }
    QStringList users() const { return m_users; }
    // The nickname the server knows us by, or the one being tried.
    QString nickname() const { return m_nick; }

Q_SIGNALS:
    void stateChanged(ChatSession::State state);
    // connectToServer() started the first attempt.
    void connecting(const QString& host);
    // The first attempt's connection is open and registration goes out.
    void connectionOpened();
    void disconnectedByUser();
    // Everything shown of one read, so a busy channel costs one log edit per
    // read rather than per line. Never empty.
    void received(const QList<ReceivedItem>& items);
    // Our own lines, reported once they have gone out.
    void messageSent(const QString& nickname, const QString& text);
    void actionSent(const QString& nickname, const QString& text);
    void privateMessageSent(const QString& target, const QString& text);
    // Typed lines still waiting to go out when the connection ended.
    void notSent(const QStringList& texts);
    void unknownCommand(const QString& word);
    void commandUsage(const QString& usage);
    // Registration: the nickname is taken and the next one is tried; none
    // is left; the server does not accept the nickname. The last two end
    // the connection.
    void nicknameInUse(const QString& taken, const QString& next);
    void nicknamesExhausted(const QString& last);
    void nicknameRefused(const QString& nickname);
    // The link was lost (attempt 1) or an attempt failed: the next attempt
    // starts in delayMs.
    void reconnectScheduled(int attempt, int delayMs, ChatSession::Loss why);
    void reconnecting(int attempt, const QString& host);
    // The server welcomed us again; the channel is joined anew.
    void reconnected(int attempts);
    void tlsRefused(const QList<ChatSession::TlsProblem>& problems);
    void usersListChanged(const QStringList& names);
    void statusChanged(const QString& message);
    void connectEnabledChanged(bool enabled);
    void showUsersWindow();

private:
    // The one place a connection's socket is made and wired.
    QTcpSocket* createSocket(bool tls);
    void startAttempt();
    // Prepares a TLS socket; false (and the attempt ended) when it cannot.
    bool configureTls(QTcpSocket* socket, const QString& caFile);
    // With `graceful`, what was written still goes out before the close.
    void dropSocket(bool graceful = false);
    void setState(State state);
    void onConnected();
    void onReadyRead();
    void onSocketError(QAbstractSocket::SocketError error);
    void onKeepAlive();
    // The link is gone: the next attempt is scheduled, or the session fails.
    void loseConnection(Loss why);
    void refuseTls(const QList<TlsProblem>& problems);
    // Leaves the server with QUIT and makes no further attempt.
    void endCleanly();
    void reportUnsent();
    void sendRegistration();
    // PONG and our PING go out at once; every other line through the queue.
    void sendNow(const QByteArray& line);
    // Takes a names reply (RPL_NAMREPLY) or its end (RPL_ENDOFNAMES) for our channel; false for
    // every other line.
    bool takeNamesLine(const IrcLine& line, const QString& channel);
    // Welcome, server limits and nickname replies; true when the line is
    // not to be shown.
    bool takeNumeric(const IrcLine& line);
    // A client-to-client message: the item to show, or none when answered.
    bool takeCtcp(const IrcLine& line, ReceivedItem& item);
    void tryNextNickname();
    void resetReceiving();

    ChatSettingsSource m_settings;
    Timings m_timings;
    QTcpSocket* m_socket = nullptr;
    State m_state = State::Disconnected;
    LineAssembler m_assembler;
    SendQueue m_queue;
    QStringList m_users;
    // Between the first RPL_NAMREPLY of a reply and its RPL_ENDOFNAMES; the
    // next reply's first starts the list afresh.
    bool m_namesBatchOpen = false;
    bool m_usersChanged = false;

    // The nickname the alternatives start from (the setting, or one that
    // /nick asked for and the server granted), the one in use or being
    // tried, and how many alternatives were tried.
    QString m_baseNick;
    QString m_requestedNick;
    QString m_nick;
    int m_nickTry = 0;
    int m_nickLength = 9; // NICKLEN from the server's RPL_ISUPPORT

    // The attempt under way or due after a loss; 0 for Connect's own.
    int m_attempt = 0;
    // A connection of this Connect was open once: losing it reconnects.
    bool m_opened = false;
    QTimer m_retryTimer;
    QList<QSslError> m_sslErrors;

    QTimer m_keepAlive;
    QElapsedTimer m_clock;
    qint64 m_lastReceivedAt = 0;
    qint64 m_pingSentAt = -1;
};
