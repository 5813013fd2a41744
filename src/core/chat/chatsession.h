#pragma once

#include "core/chat/receiveditem.h"
#include "core/wire/lineassembler.h"

#include <QAbstractSocket>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QTcpSocket;
class Settings;

// The chat's one IRC connection: connecting and registering, the traffic the
// server sends, what the user enters and the channel's users list. It owns
// the socket of each connection and is driven by the button handlers, the
// socket's signals and the event loop on the GUI thread. It reports what
// happens as typed events; the windows make the texts of the chat log.
class ChatSession : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        // No socket. The only state in which Connect acts.
        Disconnected,
        // The socket is looking up the host or connecting.
        Connecting,
        // The connection is open; registration and JOIN went out at once,
        // and the server's welcome is not waited for.
        Connected,
        // The connection could not be made or was lost; the socket is gone.
        // Only Disconnect leads back.
        Failed,
    };
    Q_ENUM(State)

    explicit ChatSession(const Settings* settings, QObject* parent = nullptr);

    void connectClicked();
    void disconnectClicked();
    // Enter in the chat input; true when the input box should be cleared.
    bool submitInput(const QString& text);
    void usersClicked();
    void refreshUsersClicked();
    // Ends any connection without a word, as at shut-down.
    void close();

    // Handles bytes as read from the socket, in whatever pieces they came.
    void receive(const QByteArray& bytes);

    State state() const { return m_state; }
    bool isConnected() const { return m_state == State::Connected; }
    bool connectEnabled() const { return m_state == State::Disconnected; }
    QStringList users() const { return m_users; }

Q_SIGNALS:
    void stateChanged(ChatSession::State state);
    void connecting(const QString& host);
    // The connection is open and registration goes out.
    void connectionOpened();
    void disconnectedByUser();
    // Everything shown of one read, so a busy channel costs one log edit per
    // read rather than per line. Never empty.
    void received(const QList<ReceivedItem>& items);
    void messageSent(const QString& nickname, const QString& text);
    void usersListChanged(const QStringList& names);
    void statusChanged(const QString& message);
    void connectEnabledChanged(bool enabled);
    void showUsersWindow();

private:
    // The one place a connection's socket is made and wired.
    QTcpSocket* createSocket();
    void dropSocket();
    void setState(State state);
    void onConnected();
    void onReadyRead();
    void onSocketError(QAbstractSocket::SocketError error);
    void sendRegistration();
    // Every line we send goes out here.
    void sendLine(const QByteArray& line);
    // Takes a names reply (353) or its end (366) for our channel; false for
    // every other line.
    bool takeNamesLine(const IrcLine& line, const QString& channel);
    void resetReceiving();

    const Settings* m_settings;
    QTcpSocket* m_socket = nullptr;
    State m_state = State::Disconnected;
    LineAssembler m_assembler;
    QStringList m_users;
    // Between the first 353 of a reply and its 366; the next reply's first
    // 353 starts the list afresh.
    bool m_namesBatchOpen = false;
    bool m_usersChanged = false;
};
