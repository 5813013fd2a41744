#include "core/browser/querycycle.h"

#include "core/platform/datapaths.h"
#include "core/platform/socket.h"
#include "core/settings/settings.h"
#include "core/wire/inforeply.h"

#include <QAbstractSocket>
#include <QFile>

#include <optional>

namespace {

constexpr qint64 maxDatagramSize = 4096;

const QString receivingStatus = QStringLiteral("Receiving...");
const QString readyStatus = QStringLiteral("Ready");
const QString filtersNotSetStatus = QStringLiteral("Error: Please set game filters first");
const QString noCacheFileStatus = QStringLiteral("Error: Please GET LIST first.");
const QString socketErrorPrefix = QStringLiteral("WSRF2 Error : ");

// Reads the whole address cache file; it holds a few hundred short lines.
std::optional<QList<CachedServer>> readCacheFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return AddressCache::parse(file.readAll());
}

} // namespace

QueryCycle::QueryCycle(Socket* wsrf2, const Settings* settings, QObject* parent)
    : QObject(parent), m_wsrf2(wsrf2), m_settings(settings)
{
    m_waitTimer.setSingleShot(true);
    // A coarse timer may end the wait up to 5% early.
    m_waitTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_waitTimer, &QTimer::timeout, this, &QueryCycle::onWaitOver);
    connect(m_wsrf2, &Socket::dataArrival, this, &QueryCycle::onDataArrival);
    connect(m_wsrf2, &Socket::error, this, &QueryCycle::onSocketError);
}

QueryCycle::~QueryCycle()
{
    m_waitTimer.stop();
}

void QueryCycle::start()
{
    if (m_running)
        return;
    m_running = true;
    ++m_cycleId;
    Q_EMIT runningChanged(true);

    if (m_versionFilter == filterNotSet || m_gameTypeFilter == filterNotSet) {
        endCycle(filtersNotSetStatus);
        return;
    }

    Q_EMIT listCleared();
    m_wsrf2->close();
    const std::optional<quint16> localPort = m_settings->port(Settings::QueryLocalPort);
    if (!localPort) {
        endCycle(Settings::invalidPortMessage(Settings::QueryLocalPort));
        return;
    }
    m_wsrf2->setLocalPort(*localPort);

    const std::optional<QList<CachedServer>> servers = readCacheFile(DataPaths::cacheFile());
    if (!servers) {
        endCycle(noCacheFileStatus);
        return;
    }
    m_servers = *servers;
    m_nextServer = 0;
    queryNextServer();
}

void QueryCycle::stop()
{
    m_waitTimer.stop();
    m_waiting = false;
    m_servers.clear();
    m_wsrf2->close();
    if (!m_running)
        return;
    m_running = false;
    ++m_cycleId;
    Q_EMIT runningChanged(false);
}

void QueryCycle::endCycle(const QString& status)
{
    m_waitTimer.stop();
    m_waiting = false;
    m_servers.clear();
    m_running = false;
    ++m_cycleId;
    Q_EMIT statusChanged(status);
    Q_EMIT runningChanged(false);
}

void QueryCycle::queryNextServer()
{
    while (m_nextServer < m_servers.size()) {
        const CachedServer& server = m_servers[m_nextServer++];
        if (!server.port || *server.port == 0)
            continue; // no server can be asked at that port

        m_currentAddressLine = server.address;
        m_currentPort = *server.port;
        m_wsrf2->setRemoteHost(server.address);
        m_wsrf2->setRemotePort(m_currentPort);
        m_sendClock.start();
        m_waiting = true;
        m_wsrf2->sendData(InfoProtocol::request());
        m_waitTimer.start(m_replyTimeout);
        Q_EMIT statusChanged(receivingStatus);
        return;
    }
    m_wsrf2->close();
    endCycle(readyStatus);
}

void QueryCycle::onDataArrival()
{
    // Read in every case, so that an ignored datagram is consumed.
    const QByteArray datagram = m_wsrf2->getData(maxDatagramSize);
    const quint64 cycle = m_cycleId;
    if (!handleDatagram(datagram) || cycle != m_cycleId)
        return;
    // The wait is over. Going on from the event loop rather than from here
    // lets replies of this server that are already waiting still count.
    m_waitTimer.start(0);
}

void QueryCycle::onWaitOver()
{
    const quint64 cycle = m_cycleId;
    // Whatever the current server has sent by now still belongs to it;
    // anything arriving after the next request is compared with the next one.
    while (m_wsrf2->hasPendingDatagram()) {
        handleDatagram(m_wsrf2->getData(maxDatagramSize));
        if (cycle != m_cycleId)
            return;
    }
    m_waiting = false;
    queryNextServer();
}

void QueryCycle::onSocketError(int number, const QString& description)
{
    const QString text = socketErrorPrefix + description;
    // The local port could not be bound: no request went out and no reply
    // can come back, so every further wait would only run into its limit.
    // (A host name that cannot be resolved leaves the socket closed too,
    // but concerns only its own line.)
    if (m_waiting && m_wsrf2->state() == Socket::Closed &&
        number != int(QAbstractSocket::HostNotFoundError)) {
        m_wsrf2->close();
        endCycle(text);
        return;
    }
    Q_EMIT statusChanged(text);
}

bool QueryCycle::handleDatagram(const QByteArray& datagram)
{
    if (!m_waiting)
        return false;
    const bool fromCurrentServer =
        m_wsrf2->lastSenderPort() == m_currentPort &&
        m_wsrf2->lastSenderAddress().isEqual(m_wsrf2->remoteAddress(),
                                             QHostAddress::ConvertV4MappedToIPv4);
    if (!fromCurrentServer)
        return false;
    const std::optional<InfoReply> reply = InfoProtocol::parseReply(datagram);
    if (!reply)
        return false;
    const qint64 pingMs = m_sendClock.elapsed();
    if (passesFilters(*reply))
        Q_EMIT entryReceived({{m_currentAddressLine, m_currentPort}, *reply, pingMs});
    return true;
}

bool QueryCycle::passesFilters(const InfoReply& reply) const
{
    const bool gameTypePasses =
        m_gameTypeFilter == filterAll || int(reply.gameType) == m_gameTypeFilter;
    // A version byte none of the four known ones has no index: only "ALL" lets it through.
    const std::optional<int> versionIndex = InfoProtocol::versionIndex(reply.version);
    const bool versionPasses =
        m_versionFilter == filterAll || (versionIndex && *versionIndex == m_versionFilter);
    return gameTypePasses && versionPasses;
}
