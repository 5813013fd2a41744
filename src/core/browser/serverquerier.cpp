#include "core/browser/serverquerier.h"

#include "core/platform/timerarm.h"
#include "core/wire/inforeply.h"

#include <QSet>

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

using Clock = UdpChannel::Clock;
using std::chrono::milliseconds;

} // namespace

ServerQuerier::ServerQuerier(QObject* parent) : QObject(parent)
{
    m_waitTimer.setSingleShot(true);
    // A coarse timer may end a wait up to 5% early.
    m_waitTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_waitTimer, &QTimer::timeout, this, &ServerQuerier::onWaitOver);
    m_paceTimer.setSingleShot(true);
    m_paceTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_paceTimer, &QTimer::timeout, this, &ServerQuerier::askMore);
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
    m_requestsPerSecond = 0;
    begin(servers, localPort);
}

void ServerQuerier::startParallel(const QList<ServerEndpoint>& servers, quint16 localPort,
                                  int requestsPerSecond)
{
    stop();
    m_requestsPerSecond = std::max(1, requestsPerSecond);
    QList<ServerEndpoint> once;
    QSet<ServerEndpoint> listed;
    for (const ServerEndpoint& server : servers) {
        const qsizetype before = listed.size();
        listed.insert(server);
        if (listed.size() > before)
            once.append(server);
    }
    begin(once, localPort);
}

void ServerQuerier::begin(const QList<ServerEndpoint>& servers, quint16 localPort)
{
    ++m_run;
    m_servers = servers;
    m_next = 0;
    m_asked = 0;
    m_localPort = localPort;
    m_startedAt = Clock::now();
    m_state = State::Querying;
    askMore();
}

void ServerQuerier::stop()
{
    m_waitTimer.stop();
    m_paceTimer.stop();
    m_channel.close();
    m_outstanding.clear();
    m_servers.clear();
    m_state = State::Idle;
}

void ServerQuerier::askMore()
{
    while (m_state == State::Querying && m_next < m_servers.size() && mayAskNext()) {
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
        if (!handOnAnswered())
            return;
        stop();
        Q_EMIT finished();
        return;
    }
    armPaceTimer();
    armWaitTimer();
}

bool ServerQuerier::mayAskNext() const
{
    if (m_requestsPerSecond == 0)
        return m_outstanding.size() < maxOutstanding;
    return Clock::now() >= dueAt(m_asked);
}

Clock::time_point ServerQuerier::dueAt(qsizetype request) const
{
    return m_startedAt + std::chrono::nanoseconds(qint64(request) * 1'000'000'000 /
                                                  std::max(1, m_requestsPerSecond));
}

void ServerQuerier::armPaceTimer()
{
    if (m_requestsPerSecond == 0 || m_next >= m_servers.size()) {
        m_paceTimer.stop();
        return;
    }
    TimerArm::startAt(m_paceTimer, dueAt(m_asked));
}

void ServerQuerier::ask(const ServerEndpoint& server)
{
    const Clock::time_point now = Clock::now();
    Request request;
    request.waitEnds = now + milliseconds(m_replyTimeoutMs);
    request.retryAt =
        m_requestsPerSecond == 0 ? Clock::time_point::max() : now + milliseconds(m_retryAfterMs);
    ++m_asked;
    m_outstanding.insert(server, request);
    Q_EMIT serverAsked(server);
    if (m_state != State::Querying || !m_outstanding.contains(server))
        return;
    if (!m_channel.bind(m_localPort)) {
        // No request can go out, nor any reply come back: waiting for each
        // server would only run into its time-out.
        m_state = State::PortFailed;
        m_waitTimer.stop();
        m_paceTimer.stop();
        return;
    }
    if (const std::optional<QHostAddress> address = m_channel.resolve(server.host))
        send(server, *address);
}

void ServerQuerier::send(const ServerEndpoint& server, const QHostAddress& address)
{
    Request& request = m_outstanding[server];
    request.address = address;
    request.sentAt = Clock::now();
    if (request.firstSentAt == Clock::time_point{})
        request.firstSentAt = request.sentAt;
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
        // A fast run takes a server's first reply only.
        if (it->answered && m_requestsPerSecond > 0)
            return;
        QByteArray trailing;
        const std::optional<InfoReply> reply = InfoProtocol::parseReply(datagram.data, &trailing);
        if (!reply)
            return;
        it->answered = true;
        it->retryAt = Clock::time_point::max();
        // Answered: the wait ends once what is already waiting has been read.
        it->waitEnds = std::min(it->waitEnds, datagram.arrival);
        // A reply that arrived before the retry went out answers the first
        // request.
        const Clock::time_point askedAt =
            datagram.arrival >= it->sentAt ? it->sentAt : it->firstSentAt;
        const ServerEntry entry{it.key(), *reply, UdpChannel::pingMs(askedAt, datagram), true,
                                ServerPatch::fromTrailing(trailing)};
        armWaitTimer();
        if (m_requestsPerSecond > 0 || m_readingWaiting) {
            // A second reply read before the next request: the first one
            // still comes first.
            if (handOnAnswered())
                Q_EMIT entryReceived(entry);
            return;
        }
        // One at a time, the next server is asked now, and this entry is
        // handed on after: what the list does with it then runs while the
        // next server answers. From the event loop, a repaint could come
        // first. The last entry still comes before finished().
        m_answeredEntry = entry;
        m_answeredRun = m_run;
        onWaitOver();
        handOnAnswered();
        return;
    }
}

bool ServerQuerier::handOnAnswered()
{
    if (!m_answeredEntry)
        return true;
    const quint64 run = m_run;
    const std::optional<ServerEntry> entry = std::exchange(m_answeredEntry, std::nullopt);
    // A receiver of serverAsked() that started a new run has made it a
    // stranger's.
    if (m_answeredRun == run)
        Q_EMIT entryReceived(*entry);
    return m_state == State::Querying && run == m_run;
}

void ServerQuerier::onWaitOver()
{
    // Whatever a server has sent by now still belongs to it; anything read
    // after the next request goes out is compared with the next server.
    m_readingWaiting = true;
    m_channel.readWaiting();
    m_readingWaiting = false;
    if (m_state != State::Querying)
        return;
    const Clock::time_point now = Clock::now();
    retryDue(now);
    QList<ServerEndpoint> silent;
    m_outstanding.removeIf([now, &silent](QHash<ServerEndpoint, Request>::iterator it) {
        if (it->waitEnds > now)
            return false;
        if (!it->answered)
            silent.append(it.key());
        return true;
    });
    const quint64 run = m_run;
    for (const ServerEndpoint& server : std::as_const(silent)) {
        Q_EMIT serverSilent(server);
        if (m_state != State::Querying || run != m_run)
            return;
    }
    askMore();
}

void ServerQuerier::retryDue(Clock::time_point now)
{
    for (auto it = m_outstanding.begin(); it != m_outstanding.end(); ++it) {
        if (it->retryAt > now)
            continue;
        it->retryAt = Clock::time_point::max();
        // A server still being looked up gets its first request when found.
        if (!it->address.isNull())
            send(it.key(), it->address);
    }
}

void ServerQuerier::armWaitTimer()
{
    if (m_outstanding.isEmpty()) {
        m_waitTimer.stop();
        return;
    }
    Clock::time_point first = Clock::time_point::max();
    for (const Request& request : std::as_const(m_outstanding))
        first = std::min({first, request.waitEnds, request.retryAt});
    TimerArm::startAt(m_waitTimer, first);
}
