#include "chatpeer.h"

#include "core/wire/ircline.h"

#include <QHostAddress>

ChatPeer::ChatPeer(const Options& options, QObject* parent) : QObject(parent), m_options(options)
{
    connect(&m_socket, &QTcpSocket::connected, this, &ChatPeer::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &ChatPeer::onReadyRead);
    connect(&m_socket, &QTcpSocket::disconnected, this,
            [this] { Q_EMIT lost(QStringLiteral("the server closed the connection")); });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_socket.state() != QAbstractSocket::ConnectedState)
            Q_EMIT lost(m_socket.errorString());
    });
    m_sayTimer.setInterval(m_options.sayEverySeconds * 1000);
    connect(&m_sayTimer, &QTimer::timeout, this, &ChatPeer::sayNext);
}

ChatPeer::~ChatPeer()
{
    // Closing the socket on the way out is not a lost connection.
    m_socket.disconnect(this);
}

QStringList ChatPeer::chatter()
{
    return {
        QStringLiteral("anyone up for CTF on the Glass House server?"),
        QStringLiteral("1.2 servers are full tonight, try the 1.3 ones"),
        QStringLiteral("gg all, that TDM round was close"),
        QStringLiteral("who is hosting the Mars Outpost map rotation?"),
        QStringLiteral("my ping to the Frankfurt box is 40, not bad"),
        QStringLiteral("brb, reloading the rail driver"),
    };
}

bool ChatPeer::start()
{
    if (!m_options.recordPath.isEmpty()) {
        m_record.setFileName(m_options.recordPath);
        if (!m_record.open(QIODevice::WriteOnly | QIODevice::Append)) {
            m_error = QStringLiteral("cannot write %1: %2")
                          .arg(m_options.recordPath, m_record.errorString());
            return false;
        }
    }
    // Loopback only: the peer exists for the local demo network and tests.
    m_socket.connectToHost(QHostAddress::LocalHost, m_options.port);
    return true;
}

void ChatPeer::onConnected()
{
    send(IrcLine::nickLine(m_options.nick));
    send(IrcLine::userLine(m_options.nick, QStringLiteral("127.0.0.1"), m_socket.localPort()));
    send(IrcLine::joinLine(m_options.channel));
}

void ChatPeer::onReadyRead()
{
    for (const QByteArray& line : m_lines.append(m_socket.readAll()))
        handleLine(line);
}

void ChatPeer::handleLine(const QByteArray& bytes)
{
    if (m_record.isOpen()) {
        // One line at a time and at once, so a reader polling the file never
        // sees half a line or waits for a buffer.
        m_record.write(bytes + '\n');
        m_record.flush();
    }
    const IrcLine line = IrcLine::parse(bytes);
    if (line.command == u"PING") {
        send(IrcLine::pongLine(line.lastParam()));
        return;
    }
    if (line.command != u"JOIN" || line.lastParam().compare(m_options.channel, Qt::CaseInsensitive))
        return;
    if (line.nick == m_options.nick) {
        if (!m_joined) {
            m_joined = true;
            m_sayTimer.start();
            Q_EMIT joined();
        }
        return;
    }
    if (!line.nick.isEmpty())
        send(IrcLine::privmsgLine(
            m_options.channel,
            QStringLiteral("hi %1, welcome to %2").arg(line.nick.trimmed(), m_options.channel)));
}

void ChatPeer::sayNext()
{
    const QStringList lines = chatter();
    send(IrcLine::privmsgLine(m_options.channel, lines.at(m_nextChatter)));
    m_nextChatter = (m_nextChatter + 1) % lines.size();
}

void ChatPeer::send(const QByteArray& line)
{
    m_socket.write(line);
}
