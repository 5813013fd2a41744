#include "core/browser/serverquerier.h"

#include "core/wire/inforeply.h"

#include <algorithm>
#include <chrono>

ServerQuerier::ServerQuerier(QObject* parent) : QObject(parent)
{
    m_socket.setParent(this);
    m_waitTimer.setSingleShot(true);
    // A coarse timer may end a wait up to 5% early.
    m_waitTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_waitTimer, &QTimer::timeout, this, &ServerQuerier::onWaitOver);
    connect(&m_channel, &UdpChannel::datagramReceived, this, &ServerQuerier::onDatagram);
    connect(&m_channel, &UdpChannel::hostFound, this, &ServerQuerier::onHostFound);
    // The server whose name is unknown waits out its time like a silent one.
    connect(&m_channel, &UdpChannel::hostNotFound, this,
            [this](const QString&, const QString& why) { onChannelError(why); });
    connect(&m_channel, &UdpChannel::errorOccurred, this,
            [this](QAbstractSocket::SocketError, const QString& why) { onChannelError(why); });
}

void ServerQuerier::start(const QList<ServerEndpoint>& servers, quint16 localPort)
{
    stop();
    m_servers = servers;
    m_next = 0;
    m_localPort = localPort;
    m_state = State::Querying;
    askMore();
}

void ServerQuerier::stop()
{
    m_waitTimer.stop();
    m_channel.close();
    m_outstanding.clear();
    m_servers.clear();
    m_state = State::Idle;
}

void ServerQuerier::askMore()
{
    while (m_state == State::Querying && m_outstanding.size() < maxOutstanding &&
           m_next < m_servers.size()) {
        const ServerEndpoint server = m_servers[m_next];
        if (server.port == 0) {
            ++m_next;
            continue;
        }
        // A server listed twice is asked again once its first wait is over.
        if (m_outstanding.contains(server))
            break;
        ++m_next;
        ask(server);
    }
    if (m_state != State::Querying)
        return;
    if (m_outstanding.isEmpty() && m_next >= m_servers.size()) {
        stop();
        Q_EMIT finished();
        return;
    }
    armWaitTimer();
}

void ServerQuerier::ask(const ServerEndpoint& server)
{
    const auto waitEnds = UdpChannel::Clock::now() + std::chrono::milliseconds(m_replyTimeoutMs);
    m_outstanding.insert(server, Request{{}, {}, waitEnds});
    Q_EMIT serverAsked(server);
    if (m_state != State::Querying || !m_outstanding.contains(server))
        return;
    if (!m_channel.bind(m_localPort)) {
        // No request can go out, nor any reply come back: waiting for each
        // server would only run into its time-out.
        m_state = State::PortFailed;
        m_waitTimer.stop();
        return;
    }
    if (const std::optional<QHostAddress> address = m_channel.resolve(server.host))
        send(server, *address);
}

void ServerQuerier::send(const ServerEndpoint& server, const QHostAddress& address)
{
    Request& request = m_outstanding[server];
    request.address = address;
    request.sentAt = UdpChannel::Clock::now();
    m_channel.send(InfoProtocol::request(), address, server.port);
}

void ServerQuerier::onHostFound(const QString& host, const QHostAddress& address)
{
    QList<ServerEndpoint> named;
    for (auto it = m_outstanding.cbegin(); it != m_outstanding.cend(); ++it) {
        if (it.key().host == host && it->address.isNull())
            named.append(it.key());
    }
    for (const ServerEndpoint& server : std::as_const(named))
        send(server, address);
}

void ServerQuerier::onChannelError(const QString& description)
{
    if (m_state == State::PortFailed) {
        stop();
        Q_EMIT failed(description);
    } else if (m_state == State::Querying) {
        Q_EMIT socketError(description);
    }
}

void ServerQuerier::onDatagram(const UdpChannel::Datagram& datagram)
{
    if (m_state != State::Querying)
        return;
    for (auto it = m_outstanding.begin(); it != m_outstanding.end(); ++it) {
        if (!UdpChannel::isFrom(datagram, it->address, it.key().port))
            continue;
        const std::optional<InfoReply> reply = InfoProtocol::parseReply(datagram.data);
        if (!reply)
            return;
        // Answered: the wait ends once what is already waiting has been read.
        it->waitEnds = std::min(it->waitEnds, datagram.arrival);
        const qint64 pingMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(datagram.arrival - it->sentAt)
                .count();
        const ServerEntry entry{it.key(), *reply, pingMs};
        armWaitTimer();
        Q_EMIT entryReceived(entry);
        return;
    }
}

void ServerQuerier::onWaitOver()
{
    // Whatever a server has sent by now still belongs to it; anything read
    // after the next request goes out is compared with the next server.
    m_channel.readWaiting();
    if (m_state != State::Querying)
        return;
    const UdpChannel::Clock::time_point now = UdpChannel::Clock::now();
    m_outstanding.removeIf(
        [now](QHash<ServerEndpoint, Request>::iterator it) { return it->waitEnds <= now; });
    askMore();
}

void ServerQuerier::armWaitTimer()
{
    if (m_outstanding.isEmpty()) {
        m_waitTimer.stop();
        return;
    }
    UdpChannel::Clock::time_point first = UdpChannel::Clock::time_point::max();
    for (const Request& request : std::as_const(m_outstanding))
        first = std::min(first, request.waitEnds);
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(first - UdpChannel::Clock::now());
    m_waitTimer.start(int(std::max<qint64>(0, left.count())));
}
