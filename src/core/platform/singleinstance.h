#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QString>
#include <QTimer>

// One program per user: the first start listens on a local socket named for
// the user; a later start hands its message (a link, or a request to show the
// window) over there and ends. Only the user's own processes are served,
// and what arrives is one line of bounded length, to be read as untrusted
// text.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Outcome
    {
        // The running program took the message: this one ends.
        HandedOver,
        // No other program runs; this one takes messages now.
        Listening,
        // Another program listens but took no message (none was given, or it
        // did not answer): this one runs beside it.
        Alone,
    };
    Q_ENUM(Outcome)

    // Longest message, without its line end.
    static constexpr qsizetype maxMessageSize = 1024;
    // For the hand-over, and for a sender to deliver its whole line.
    static constexpr int exchangeTimeoutMs = 3000;

    explicit SingleInstance(const QString& name = userSocketName(), QObject* parent = nullptr);

    // In the user's runtime folder where there is one, else a name with the
    // user's id (which Qt puts into the temporary folder). On Windows a pipe
    // named after the user's security id.
    static QString userSocketName();

    // Hands `message` (none: empty) to the program that listens, or listens
    // when none does. Ends in settled(), never before returning.
    void start(const QString& message);

Q_SIGNALS:
    void settled(SingleInstance::Outcome outcome);
    void messageReceived(const QString& message);

private:
    enum class State
    {
        Idle,
        Connecting,
        // The message is written; waiting for the receiver's acknowledgement.
        Sending,
        Listening,
        Done,
    };

    void connectOrListen();
    void onConnected();
    void onReply();
    void onSocketError(QLocalSocket::LocalSocketError error);
    void onTimeout();
    void listen();
    void settle(Outcome outcome);
    void onNewConnection();
    void readFrom(QLocalSocket* peer);
    // The process at the other end (of a connection this program
    // `accepted`, or made) runs as this user.
    static bool isSameUser(const QLocalSocket* socket, bool accepted);

    QString m_name;
#ifdef Q_OS_WIN
    // Named after the pipe: whoever creates it is the first program, so two
    // starts at once cannot both listen. Held until this object goes.
    void* m_mutex = nullptr;
    bool m_first = false;

public:
    ~SingleInstance() override;

private:
#endif
    QLocalSocket m_socket;
    QLocalServer m_server;
    QTimer m_timer;
    State m_state = State::Idle;
    QByteArray m_message;
};
