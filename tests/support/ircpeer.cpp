#include "ircpeer.h"

#include <QTest>

#include <algorithm>

IrcPeer::IrcPeer(const QByteArray& nick, QObject* parent) : QObject(parent), m_nick(nick)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &IrcPeer::onReadyRead);
}

bool IrcPeer::joinChannel(quint16 port, const QByteArray& channel, int timeoutMs)
{
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    if (!m_socket.waitForConnected(timeoutMs))
        return false;
    sendLine("NICK " + m_nick);
    sendLine("USER peer 0 * :Varnholt test peer");
    sendLine("JOIN " + channel);
    const QByteArray joined = ":" + m_nick + "!";
    return waitForLine(
        [&](const QByteArray& line) {
            return line.startsWith(joined) && line.contains(" JOIN ") && line.endsWith(channel);
        },
        timeoutMs);
}

void IrcPeer::sendLine(const QByteArray& line)
{
    m_socket.write(line + "\r\n");
    m_socket.flush();
}

void IrcPeer::sendPrivmsg(const QByteArray& channel, const QByteArray& text)
{
    sendLine("PRIVMSG " + channel + " :" + text);
}

bool IrcPeer::hasLine(const LinePredicate& predicate) const
{
    return std::any_of(m_lines.cbegin(), m_lines.cend(), predicate);
}

bool IrcPeer::waitForLine(const LinePredicate& predicate, int timeoutMs)
{
    return QTest::qWaitFor([&] { return hasLine(predicate); }, timeoutMs);
}

void IrcPeer::onReadyRead()
{
    m_pending += m_socket.readAll();
    qsizetype newline;
    while ((newline = m_pending.indexOf('\n')) >= 0) {
        QByteArray line = m_pending.left(newline);
        m_pending.remove(0, newline + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (m_answerPings && line.startsWith("PING "))
            sendLine("PONG " + line.mid(5));
        m_lines.append(line);
    }
}
