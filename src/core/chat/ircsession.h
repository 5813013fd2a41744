#pragma once

#include "core/wire/lineassembler.h"

#include <QObject>
#include <QString>
#include <QStringList>

class IrcLine;
class Settings;
class Socket;

// The chat's one IRC connection: connecting and registering, the traffic the
// server sends, what the user enters and the channel's users list. Driven
// entirely by button handlers and the socket's signals on the GUI thread; the
// windows only show what the signals carry.
class IrcSession : public QObject
{
    Q_OBJECT
public:
    IrcSession(Socket* wschat, const Settings* settings, QObject* parent = nullptr);

    void connectClicked();
    void disconnectClicked();
    // Enter in the chat input; true when the input box should be cleared.
    bool submitInput(const QString& text);
    void usersClicked();
    void refreshUsersClicked();

    // Handles bytes as read from the socket, in whatever pieces they came.
    void receive(const QByteArray& bytes);

    bool isConnected() const;
    bool connectEnabled() const { return m_connectEnabled; }
    QStringList users() const { return m_users; }

Q_SIGNALS:
    void chatLogReplaced(const QString& text);
    // All entries of one read (or one submitted line), each ended by CR LF,
    // so a busy channel costs one log edit per read rather than per line.
    void chatLogAppended(const QString& text);
    void usersListChanged(const QStringList& names);
    void statusChanged(const QString& message);
    void connectEnabledChanged(bool enabled);
    void showUsersWindow();

private:
    void onConnected();
    void onDataArrival();
    // Takes a names reply (353) or its end (366) for our channel; false for
    // every other line.
    bool takeNamesLine(const IrcLine& line, const QString& channel);
    void setConnectEnabled(bool enabled);
    void resetReceiving();

    Socket* m_socket;
    const Settings* m_settings;
    LineAssembler m_assembler;
    QStringList m_users;
    // Between the first 353 of a reply and its 366; the next reply's first
    // 353 starts the list afresh.
    bool m_namesBatchOpen = false;
    bool m_usersChanged = false;
    bool m_connectEnabled = true;
};
