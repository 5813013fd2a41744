#include "gui/chatformatter.h"

#include "core/chat/chatsession.h"

namespace {
const QString crlf = QStringLiteral("\r\n");
} // namespace

ChatFormatter::ChatFormatter(QObject* parent) : QObject(parent) {}

void ChatFormatter::follow(const ChatSession* session)
{
    connect(session, &ChatSession::connecting, this, &ChatFormatter::onConnecting);
    connect(session, &ChatSession::connectionOpened, this, &ChatFormatter::onConnectionOpened);
    connect(session, &ChatSession::disconnectedByUser, this, &ChatFormatter::onDisconnectedByUser);
    connect(session, &ChatSession::received, this, &ChatFormatter::onReceived);
    connect(session, &ChatSession::messageSent, this, &ChatFormatter::onMessageSent);
}

void ChatFormatter::onConnecting(const QString& host)
{
    Q_EMIT logReplaced(QStringLiteral("Connecting to ") + host + QStringLiteral("...") + crlf);
}

void ChatFormatter::onConnectionOpened()
{
    Q_EMIT logReplaced(QStringLiteral("Connected.. (Waiting for authorization)") + crlf);
}

void ChatFormatter::onDisconnectedByUser()
{
    Q_EMIT logReplaced(QStringLiteral("Disconnected"));
}

void ChatFormatter::onReceived(const QList<ReceivedItem>& items)
{
    QString entries;
    bool restarted = false;
    for (const ReceivedItem& item : items) {
        if (item.kind == ReceivedItem::Kind::Greeting) {
            // The log restarts here.
            entries = QStringLiteral("Connected OK") + crlf;
            restarted = true;
            continue;
        }
        entries += entryText(item.line);
        entries += crlf;
    }
    if (restarted)
        Q_EMIT logReplaced(entries);
    else if (!entries.isEmpty())
        Q_EMIT logAppended(entries);
}

void ChatFormatter::onMessageSent(const QString& nickname, const QString& text)
{
    Q_EMIT logAppended(QStringLiteral("\u00BB\u00BB") + nickname +
                       QStringLiteral("\u00AB\u00AB: ") + text + crlf);
}

QString ChatFormatter::entryText(const IrcLine& line)
{
    if (line.nick.isEmpty())
        return line.text;
    return line.nick + QStringLiteral(": ") + line.lastParam();
}
