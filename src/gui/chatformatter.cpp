#include "gui/chatformatter.h"

#include "core/wire/ircformatting.h"

namespace {
const QString crlf = QStringLiteral("\r\n");

QString seconds(int ms)
{
    return QString::number(ms / 1000.0) + QStringLiteral(" s");
}

QString lossText(ChatSession::Loss why)
{
    switch (why) {
    case ChatSession::Loss::ServerClosed:
        return QStringLiteral("the server closed the connection");
    case ChatSession::Loss::Refused:
        return QStringLiteral("connection refused");
    case ChatSession::Loss::HostNotFound:
        return QStringLiteral("host not found");
    case ChatSession::Loss::NoReply:
        return QStringLiteral("the server stopped answering");
    case ChatSession::Loss::NetworkError:
        break;
    }
    return QStringLiteral("network error");
}

QString tlsProblemText(ChatSession::TlsProblem problem)
{
    using P = ChatSession::TlsProblem;
    switch (problem) {
    case P::Expired:
        return QStringLiteral("the server's certificate has expired");
    case P::NotYetValid:
        return QStringLiteral("the server's certificate is not valid yet");
    case P::WrongHost:
        return QStringLiteral("the server's certificate is for another host name");
    case P::Untrusted:
        return QStringLiteral("the server's certificate is not from a trusted authority");
    case P::Revoked:
        return QStringLiteral("the server's certificate has been revoked");
    case P::Invalid:
        return QStringLiteral("the server's certificate is not valid");
    case P::HandshakeFailed:
        return QStringLiteral("the TLS handshake failed");
    case P::CaFileUnreadable:
        return QStringLiteral("the CA file (irc/ca_file) could not be read");
    case P::Unavailable:
        break;
    }
    return QStringLiteral("TLS is not available on this system");
}
} // namespace

ChatFormatter::ChatFormatter(QObject* parent) : QObject(parent) {}

void ChatFormatter::follow(const ChatSession* session)
{
    connect(session, &ChatSession::connecting, this, &ChatFormatter::onConnecting);
    connect(session, &ChatSession::connectionOpened, this, &ChatFormatter::onConnectionOpened);
    connect(session, &ChatSession::disconnectedByUser, this, &ChatFormatter::onDisconnectedByUser);
    connect(session, &ChatSession::received, this, &ChatFormatter::onReceived);
    connect(session, &ChatSession::messageSent, this, &ChatFormatter::onMessageSent);
    connect(session, &ChatSession::actionSent, this, &ChatFormatter::onActionSent);
    connect(session, &ChatSession::privateMessageSent, this, &ChatFormatter::onPrivateMessageSent);
    connect(session, &ChatSession::notSent, this, &ChatFormatter::onNotSent);
    connect(session, &ChatSession::unknownCommand, this, &ChatFormatter::onUnknownCommand);
    connect(session, &ChatSession::commandUsage, this, &ChatFormatter::onCommandUsage);
    connect(session, &ChatSession::nicknameInUse, this, &ChatFormatter::onNicknameInUse);
    connect(session, &ChatSession::nicknamesExhausted, this, &ChatFormatter::onNicknamesExhausted);
    connect(session, &ChatSession::nicknameRefused, this, &ChatFormatter::onNicknameRefused);
    connect(session, &ChatSession::reconnectScheduled, this, &ChatFormatter::onReconnectScheduled);
    connect(session, &ChatSession::reconnecting, this, &ChatFormatter::onReconnecting);
    connect(session, &ChatSession::reconnected, this, &ChatFormatter::onReconnected);
    connect(session, &ChatSession::tlsRefused, this, &ChatFormatter::onTlsRefused);
}

void ChatFormatter::append(const QString& entries)
{
    Q_EMIT logAppended(std::exchange(m_lineOpen, false) ? crlf + entries : entries);
}

void ChatFormatter::replace(const QString& text)
{
    m_lineOpen = !text.endsWith(crlf);
    Q_EMIT logReplaced(text);
}

void ChatFormatter::onConnecting(const QString& host)
{
    replace(QStringLiteral("Connecting to ") + host + QStringLiteral("...") + crlf);
}

void ChatFormatter::onConnectionOpened()
{
    replace(QStringLiteral("Connected.. (Waiting for authorization)") + crlf);
}

void ChatFormatter::onDisconnectedByUser()
{
    replace(QStringLiteral("Disconnected"));
}

void ChatFormatter::onReceived(const QList<ReceivedItem>& items)
{
    QString entries;
    bool restarted = false;
    for (const ReceivedItem& item : items) {
        const QString& nick = item.line.nick;
        const QString& argument = item.ctcp.argument;
        switch (item.kind) {
        case ReceivedItem::Kind::Greeting:
            // The log restarts here.
            entries = QStringLiteral("Connected OK") + crlf;
            restarted = true;
            continue;
        case ReceivedItem::Kind::Line:
            entries += entryText(item.line);
            break;
        case ReceivedItem::Kind::Action:
            entries += QStringLiteral("* ") + nick + u' ' + stripIrcFormatting(argument);
            break;
        case ReceivedItem::Kind::CtcpRequest:
            entries +=
                QStringLiteral("CTCP ") + item.ctcp.command + QStringLiteral(" from ") + nick;
            if (!argument.isEmpty())
                entries += QStringLiteral(": ") + stripIrcFormatting(argument);
            break;
        case ReceivedItem::Kind::CtcpReply:
            entries += QStringLiteral("CTCP ") + item.ctcp.command +
                       QStringLiteral(" reply from ") + nick + QStringLiteral(": ") +
                       stripIrcFormatting(argument);
            break;
        }
        entries += crlf;
    }
    if (restarted)
        replace(entries);
    else if (!entries.isEmpty())
        append(entries);
}

void ChatFormatter::onMessageSent(const QString& nickname, const QString& text)
{
    append(QStringLiteral("\u00BB\u00BB") + nickname + QStringLiteral("\u00AB\u00AB: ") + text +
           crlf);
}

void ChatFormatter::onActionSent(const QString& nickname, const QString& text)
{
    append(QStringLiteral("* ") + nickname + u' ' + text + crlf);
}

void ChatFormatter::onPrivateMessageSent(const QString& target, const QString& text)
{
    append(QStringLiteral("-> ") + target + QStringLiteral(": ") + text + crlf);
}

void ChatFormatter::onNotSent(const QStringList& texts)
{
    QString entries;
    for (const QString& text : texts)
        entries += QStringLiteral("Not sent: ") + text + crlf;
    append(entries);
}

void ChatFormatter::onUnknownCommand(const QString& word)
{
    append(QStringLiteral("Unknown command: /") + word + crlf);
}

void ChatFormatter::onCommandUsage(const QString& usage)
{
    append(QStringLiteral("Usage: ") + usage + crlf);
}

void ChatFormatter::onNicknameInUse(const QString& taken, const QString& next)
{
    append(QStringLiteral("Nickname ") + taken + QStringLiteral(" is in use, trying ") + next +
           crlf);
}

void ChatFormatter::onNicknamesExhausted(const QString& last)
{
    append(QStringLiteral("Nickname ") + last +
           QStringLiteral(" is in use too and no other is left to try; disconnected") + crlf);
}

void ChatFormatter::onNicknameRefused(const QString& nickname)
{
    append(QStringLiteral("The server does not accept the nickname ") + nickname +
           QStringLiteral(" (erroneous nickname); disconnected") + crlf);
}

void ChatFormatter::onReconnectScheduled(int attempt, int delayMs, ChatSession::Loss why)
{
    if (attempt <= 1)
        append(QStringLiteral("Connection lost (") + lossText(why) +
               QStringLiteral("); reconnecting in ") + seconds(delayMs) + crlf);
    else
        append(QStringLiteral("Reconnect attempt ") + QString::number(attempt - 1) +
               QStringLiteral(" failed (") + lossText(why) + QStringLiteral("); next attempt in ") +
               seconds(delayMs) + crlf);
}

void ChatFormatter::onReconnecting(int attempt, const QString& host)
{
    append(QStringLiteral("Reconnecting to ") + host + QStringLiteral(" (attempt ") +
           QString::number(attempt) + QStringLiteral(")...") + crlf);
}

void ChatFormatter::onReconnected(int attempts)
{
    append(QStringLiteral("Reconnected (attempt ") + QString::number(attempts) +
           QStringLiteral("); joining the channel again") + crlf);
}

void ChatFormatter::onTlsRefused(const QList<ChatSession::TlsProblem>& problems)
{
    QStringList reasons;
    for (ChatSession::TlsProblem problem : problems)
        reasons.append(tlsProblemText(problem));
    append(QStringLiteral("TLS connection refused: ") + reasons.join(QStringLiteral("; ")) +
           QStringLiteral(". Nothing was sent.") + crlf);
}

QString ChatFormatter::entryText(const IrcLine& line)
{
    if (line.nick.isEmpty())
        return stripIrcFormatting(line.text);
    return line.nick + QStringLiteral(": ") + stripIrcFormatting(line.lastParam());
}
