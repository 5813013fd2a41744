#include "core/browser/serverdetailsquery.h"

#include "core/platform/timerarm.h"
#include "core/wire/inforeply.h"

#include <algorithm>
#include <chrono>

namespace {

using Clock = UdpChannel::Clock;
using std::chrono::milliseconds;

} // namespace

ServerDetailsQuery::ServerDetailsQuery(const ServerEndpoint& server, QObject* parent)
    : QObject(parent), m_server(server)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ServerDetailsQuery::onTimer);
    connect(&m_channel, &UdpChannel::datagramReceived, this, &ServerDetailsQuery::onDatagram);
    connect(&m_channel, &UdpChannel::hostFound, this,
            [this](const QString&, const QHostAddress& address) {
                if (m_state != State::LookingUp)
                    return;
                m_address = address;
                send(address);
            });
    connect(&m_channel, &UdpChannel::hostNotFound, this,
            [this](const QString&, const QString& why) {
                if (m_state == State::LookingUp)
                    endRound();
                Q_EMIT failed(why);
            });
    connect(&m_channel, &UdpChannel::errorOccurred, this,
            [this](QAbstractSocket::SocketError, const QString& why) { Q_EMIT failed(why); });
}

void ServerDetailsQuery::start()
{
    stop();
    beginRound();
}

void ServerDetailsQuery::askNow()
{
    if (m_state != State::Resting)
        return;
    scheduleRound(Clock::now());
}

void ServerDetailsQuery::stop()
{
    m_timer.stop();
    m_channel.close();
    m_assembler.clear();
    m_address.clear();
    m_state = State::Idle;
}

void ServerDetailsQuery::beginRound()
{
    m_roundStart = Clock::now();
    m_infoAnswered = false;
    m_playersListed = false;
    m_segmentsSeen = false;
    // Late segments of an earlier round can never complete an answer.
    m_assembler.clear();
    m_state = State::LookingUp;
    m_timer.start(m_replyTimeoutMs);
    if (!m_channel.bind(0))
        return; // the failure arrives from the event loop; the round times out
    if (!m_address.isNull()) {
        send(m_address);
    } else if (const std::optional<QHostAddress> address = m_channel.resolve(m_server.host)) {
        m_address = *address;
        send(*address);
    }
}

void ServerDetailsQuery::send(const QHostAddress& address)
{
    m_state = State::Waiting;
    m_sentAt = Clock::now();
    m_channel.send(InfoProtocol::request(), address, m_server.port);
    m_channel.send(PlayerListProtocol::request(), address, m_server.port);
}

void ServerDetailsQuery::onDatagram(const UdpChannel::Datagram& datagram)
{
    if (m_state != State::Waiting || !UdpChannel::isFrom(datagram, m_address, m_server.port))
        return;
    if (PlayerListProtocol::isAnswer(datagram.data)) {
        if (m_playersListed)
            return;
        const PlayerListProtocol::Datagram parsed =
            PlayerListProtocol::parseDatagram(datagram.data);
        if (std::holds_alternative<PlayerListProtocol::Segment>(parsed))
            m_segmentsSeen = true;
        const std::optional<PlayerList> list =
            m_assembler.take(datagram.sender, datagram.senderPort, parsed);
        if (!list)
            return;
        m_playersListed = true;
        Q_EMIT playersReceived(*list);
    } else {
        if (m_infoAnswered)
            return;
        QByteArray trailing;
        const std::optional<InfoReply> reply = InfoProtocol::parseReply(datagram.data, &trailing);
        if (!reply)
            return;
        m_infoAnswered = true;
        Q_EMIT infoReceived(ServerEntry{m_server, *reply, UdpChannel::pingMs(m_sentAt, datagram)},
                            ServerPatch::fromTrailing(trailing));
    }
    if (m_state == State::Waiting && m_infoAnswered && m_playersListed)
        endRound();
}

void ServerDetailsQuery::onTimer()
{
    if (m_state == State::Resting) {
        beginRound();
        return;
    }
    // Whatever the server sent in time still counts.
    m_channel.readWaiting();
    if (m_state == State::Waiting || m_state == State::LookingUp)
        endRound();
}

void ServerDetailsQuery::endRound()
{
    const PlayersAnswer players = m_playersListed  ? PlayersAnswer::Listed
                                  : m_segmentsSeen ? PlayersAnswer::Incomplete
                                                   : PlayersAnswer::NotListed;
    scheduleRound(m_roundStart + milliseconds(m_repeatIntervalMs));
    Q_EMIT roundEnded(m_infoAnswered, players);
}

void ServerDetailsQuery::scheduleRound(Clock::time_point at)
{
    m_state = State::Resting;
    // Never two player-list requests within a second.
    at = std::max(at, m_sentAt + milliseconds(minRequestSpacingMs));
    TimerArm::startAt(m_timer, at);
}
