#pragma once

#include "core/chat/receiveditem.h"

#include <QList>
#include <QObject>
#include <QString>

class ChatSession;

// Makes the chat log's text from what the chat session reports: each event
// either replaces the whole log or appends entries, each entry ended by
// CR LF, with one log edit per event.
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

    // The entry of one received line, without its line break: for a line
    // from a user (prefix nick!user@host) nick + ": " + the last parameter,
    // otherwise the line as received.
    static QString entryText(const IrcLine& line);

Q_SIGNALS:
    void logReplaced(const QString& text);
    void logAppended(const QString& text);
};
