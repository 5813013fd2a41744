#include "core/browser/playerlistquerier.h"
#include "core/platform/timerarm.h"

#include <algorithm>
#include <chrono>

namespace {

using Clock = UdpChannel::Clock;
using std::chrono::milliseconds;

} // namespace

PlayerListQuerier::PlayerListQuerier(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PlayerListQuerier::onTimer);
    connect(&m_channel, &UdpChannel::datagramReceived, this, &PlayerListQuerier::onDatagram);
    connect(&m_channel, &UdpChannel::hostFound, this, &PlayerListQuerier::onHostFound);
    connect(&m_channel, &UdpChannel::hostNotFound, this,
            [this](const QString&, const QString& why) { Q_EMIT socketError(why); });
    connect(&m_channel, &UdpChannel::errorOccurred, this,
            [this](QAbstractSocket::SocketError, const QString& why) { Q_EMIT socketError(why); });
}

void PlayerListQuerier::start(quint16 localPort, int requestsPerSecond)
{
    stop();
    m_localPort = localPort;
    m_requestsPerSecond = std::max(1, requestsPerSecond);
    m_nextDue = Clock::now();
    m_state = State::Open;
    // A port that cannot be bound is reported from the event loop; every
    // server then waits out its time.
    m_channel.bind(m_localPort);
}

void PlayerListQuerier::ask(const ServerEndpoint& server)
{
    if (m_state != State::Open || server.port == 0 || m_seen.contains(server))
        return;
    m_seen.insert(server);
    m_queue.append(server);
    sendDue(Clock::now());
    armTimer();
}

void PlayerListQuerier::finishWhenDone()
{
    if (m_state != State::Open)
        return;
    m_state = State::Closing;
    finishIfDone();
}

void PlayerListQuerier::stop()
{
    m_timer.stop();
    m_channel.close();
    m_seen.clear();
    m_queue.clear();
    m_waiting.clear();
    m_bySender.clear();
    m_state = State::Idle;
}

void PlayerListQuerier::sendDue(Clock::time_point now)
{
    const auto interval = std::chrono::nanoseconds(1'000'000'000 / m_requestsPerSecond);
    while (!m_queue.isEmpty() && now >= m_nextDue) {
        // After a pause the pace starts afresh rather than catching up.
        m_nextDue = std::max(m_nextDue, now - interval) + interval;
        const ServerEndpoint server = m_queue.takeFirst();
        Request request;
        request.waitEnds = now + milliseconds(m_replyTimeoutMs);
        request.retryAt = now + milliseconds(retryAfterMs);
        m_waiting.insert(server, request);
        if (const std::optional<QHostAddress> address = m_channel.resolve(server.host))
            send(server, *address);
    }
    for (auto it = m_waiting.begin(); it != m_waiting.end(); ++it) {
        if (it->retryAt > now)
            continue;
        it->retryAt = Clock::time_point::max();
        // A server still being looked up gets its first request when found.
        if (!it->address.isNull())
            send(it.key(), it->address);
    }
}

void PlayerListQuerier::send(const ServerEndpoint& server, const QHostAddress& address)
{
    m_waiting[server].address = address;
    m_bySender.insert({address.toIPv4Address(), server.port}, server);
    m_channel.send(PlayerListProtocol::request(), address, server.port);
}

void PlayerListQuerier::onHostFound(const QString& host, const QHostAddress& address)
{
    QList<ServerEndpoint> named;
    for (auto it = m_waiting.cbegin(); it != m_waiting.cend(); ++it) {
        if (it.key().host == host && it->address.isNull())
            named.append(it.key());
    }
    for (const ServerEndpoint& server : std::as_const(named))
        send(server, address);
}

void PlayerListQuerier::onDatagram(const UdpChannel::Datagram& datagram)
{
    if (m_state == State::Idle)
        return;
    // A v4-mapped sender gives its IPv4 address too.
    bool isIpv4 = false;
    const quint32 sender = datagram.sender.toIPv4Address(&isIpv4);
    const auto known = m_bySender.constFind({sender, datagram.senderPort});
    if (!isIpv4 || known == m_bySender.cend())
        return;
    const ServerEndpoint server = *known;
    const auto request = m_waiting.find(server);
    if (request == m_waiting.end())
        return;

    const std::optional<PlayerList> list = request->assembler.take(
        datagram.sender, datagram.senderPort, PlayerListProtocol::parseDatagram(datagram.data));
    if (!list)
        return;
    settle(server);
    Q_EMIT playersReceived(server, *list);
    if (m_state == State::Idle)
        return;
    armTimer();
    finishIfDone();
}

void PlayerListQuerier::onTimer()
{
    // Whatever a server has sent by now still counts.
    m_channel.readWaiting();
    if (m_state == State::Idle)
        return;
    const Clock::time_point now = Clock::now();
    sendDue(now);
    QList<ServerEndpoint> unlisted;
    for (auto it = m_waiting.cbegin(); it != m_waiting.cend(); ++it) {
        if (it->waitEnds <= now)
            unlisted.append(it.key());
    }
    for (const ServerEndpoint& server : std::as_const(unlisted)) {
        settle(server);
        Q_EMIT serverUnlisted(server);
        if (m_state == State::Idle)
            return;
    }
    armTimer();
    finishIfDone();
}

void PlayerListQuerier::settle(const ServerEndpoint& server)
{
    const Request request = m_waiting.take(server);
    if (!request.address.isNull())
        m_bySender.remove({request.address.toIPv4Address(), server.port});
}

void PlayerListQuerier::armTimer()
{
    Clock::time_point first = m_queue.isEmpty() ? Clock::time_point::max() : m_nextDue;
    for (const Request& request : std::as_const(m_waiting))
        first = std::min({first, request.waitEnds, request.retryAt});
    if (first == Clock::time_point::max()) {
        m_timer.stop();
        return;
    }
    TimerArm::startAt(m_timer, first);
}

void PlayerListQuerier::finishIfDone()
{
    if (m_state != State::Closing || !m_queue.isEmpty() || !m_waiting.isEmpty())
        return;
    stop();
    Q_EMIT finished();
}
