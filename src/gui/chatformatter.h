#pragma once

#include "core/chat/chatsession.h"
#include "core/chat/receiveditem.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// Makes the chat log's text from what the chat session reports: each event
// either replaces the whole log or appends entries, each entry ended by
// CR LF, with one log edit per event. Formatting codes other clients send
// are left out.
class ChatFormatter : public QObject
{
    Q_OBJECT
public:
    explicit ChatFormatter(QObject* parent = nullptr);

    // Shows the events of this session from now on.
    void follow(const ChatSession* session);

    void onConnecting(const QString& host);
    void onConnectionOpened();
    void onDisconnectedByUser();
    void onReceived(const QList<ReceivedItem>& items);
    void onMessageSent(const QString& nickname, const QString& text);
    void onActionSent(const QString& nickname, const QString& text);
    void onPrivateMessageSent(const QString& target, const QString& text);
    void onNotSent(const QStringList& texts);
    void onUnknownCommand(const QString& word);
    void onCommandUsage(const QString& usage);
    void onNicknameInUse(const QString& taken, const QString& next);
    void onNicknamesExhausted(const QString& last);
    void onNicknameRefused(const QString& nickname);
    void onReconnectScheduled(int attempt, int delayMs, ChatSession::Loss why);
    void onReconnecting(int attempt, const QString& host);
    void onReconnected(int attempts);
    void onTlsRefused(const QList<ChatSession::TlsProblem>& problems);

    // The entry of one received line, without its line break: for a line
    // from a user (prefix nick!user@host) nick + ": " + the last parameter,
    // otherwise the line as received.
    static QString entryText(const IrcLine& line);

Q_SIGNALS:
    void logReplaced(const QString& text);
    void logAppended(const QString& text);

private:
    // Every append goes out here: after "Disconnected", which ends without
    // a line break, the first entry starts a line of its own.
    void append(const QString& entries);
    void replace(const QString& text);

    bool m_lineOpen = false;
};
