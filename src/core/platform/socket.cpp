#include "core/platform/socket.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

namespace {
// Large enough that a burst of replies from hundreds of servers, or a whole
// master list, waits in the kernel while the GUI thread is busy elsewhere.
constexpr int udpReceiveBuffer = 1 << 20;
// Datagrams handled in one turn of the event loop; the rest wait for the
// next turn, so that a flood on one socket cannot starve the others.
constexpr int datagramsPerTurn = 64;
} // namespace

Socket::Socket(QObject* parent) : QObject(parent) {}

Socket::~Socket()
{
    close();
}

void Socket::setProtocol(Protocol protocol)
{
    close();
    m_protocol = protocol;
}

quint16 Socket::localPort() const
{
    if (m_udp && m_udp->state() == QAbstractSocket::BoundState)
        return m_udp->localPort();
    if (m_tcp && m_tcp->state() == QAbstractSocket::ConnectedState)
        return m_tcp->localPort();
    return m_localPort;
}

QString Socket::localHost() const
{
    if (m_tcp && m_tcp->state() == QAbstractSocket::ConnectedState)
        return m_tcp->localAddress().toString();
    return QHostInfo::localHostName();
}

Socket::State Socket::state() const
{
    if (m_failed)
        return Error;
    if (m_udp)
        return m_udp->state() == QAbstractSocket::BoundState ? Open : Closed;
    if (!m_tcp)
        return Closed;
    switch (m_tcp->state()) {
    case QAbstractSocket::HostLookupState:
        return ResolvingHost;
    case QAbstractSocket::ConnectingState:
        return Connecting;
    case QAbstractSocket::ConnectedState:
        return Connected;
    case QAbstractSocket::ClosingState:
        return Closing;
    default:
        return Closed;
    }
}

void Socket::connectToRemote()
{
    if (m_protocol != Protocol::Tcp)
        return;
    close();
    auto* tcp = new QTcpSocket(this);
    m_tcp = tcp;
    connect(tcp, &QTcpSocket::connected, this, [this] {
        m_tcp->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        Q_EMIT connected();
    });
    connect(tcp, &QTcpSocket::readyRead, this,
            [this] { Q_EMIT dataArrival(m_tcp->bytesAvailable()); });
    connect(tcp, &QTcpSocket::errorOccurred, this, &Socket::onTcpError);
    tcp->connectToHost(m_remoteHost, m_remotePort);
}

void Socket::onTcpError()
{
    if (!m_tcp)
        return;
    if (m_tcp->error() == QAbstractSocket::RemoteHostClosedError) {
        m_failed = true;
        Q_EMIT closedByPeer();
        return;
    }
    m_failed = true;
    Q_EMIT error(int(m_tcp->error()), m_tcp->errorString());
}

void Socket::raiseError(int number, const QString& description)
{
    // Queued, so that a handler never runs inside the call that failed; a
    // close() in between cancels it.
    const quint32 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, number, description] {
        if (generation == m_generation)
            Q_EMIT error(number, description);
    });
}

bool Socket::bindUdp()
{
    if (m_udp && m_udp->state() == QAbstractSocket::BoundState)
        return true;
    if (!m_udp) {
        m_udp = new QUdpSocket(this);
        connect(m_udp, &QUdpSocket::readyRead, this, &Socket::onUdpReadyRead);
        // E.g. "connection refused" after a datagram to a closed port.
        connect(m_udp, &QUdpSocket::errorOccurred, this,
                [this] { raiseError(int(m_udp->error()), m_udp->errorString()); });
    }
    // A failed bind also signals errorOccurred; it is reported once, below.
    m_udp->blockSignals(true);
    const bool bound = m_udp->bind(QHostAddress::AnyIPv4, m_localPort);
    m_udp->blockSignals(false);
    if (!bound) {
        const QString why = m_udp->errorString();
        const int number = int(m_udp->error());
        delete m_udp;
        raiseError(number, why);
        return false;
    }
    m_udp->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, udpReceiveBuffer);
    return true;
}

void Socket::sendDatagramTo(const QHostAddress& address, const QByteArray& bytes)
{
    if (!bindUdp())
        return;
    m_remoteAddress = address;
    // A failed write also signals errorOccurred; it is reported once, below.
    const QSignalBlocker quiet(m_udp);
    if (m_udp->writeDatagram(bytes, address, m_remotePort) < 0)
        raiseError(int(m_udp->error()), m_udp->errorString());
}

void Socket::sendData(const QByteArray& bytes)
{
    if (m_protocol == Protocol::Tcp) {
        if (m_tcp && m_tcp->state() == QAbstractSocket::ConnectedState)
            m_tcp->write(bytes);
        else
            raiseError(int(QAbstractSocket::SocketAccessError),
                       QStringLiteral("The socket is not connected"));
        return;
    }

    QHostAddress address;
    if (address.setAddress(m_remoteHost)) {
        m_remoteAddressHost = m_remoteHost;
        sendDatagramTo(address, bytes);
        return;
    }
    // A name resolved before goes out at once: a close() right after the send
    // must not drop it with a look-up still pending.
    if (!m_remoteAddress.isNull() && m_remoteAddressHost == m_remoteHost) {
        sendDatagramTo(m_remoteAddress, bytes);
        return;
    }
    // A host name: resolve it first and send once it is known.
    if (m_lookupId >= 0 && m_lookupHost == m_remoteHost) {
        m_awaitingLookup.append(bytes);
        return;
    }
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
    // The address of an earlier host no longer names the remote end; until
    // the new name is resolved, no sender is the remote host.
    m_remoteAddress.clear();
    m_awaitingLookup = {bytes};
    m_lookupHost = m_remoteHost;
    // Some failures (an empty or malformed name) are delivered even after
    // abortHostLookup(), so a result from before a close() is dropped here.
    const quint32 generation = m_generation;
    m_lookupId =
        QHostInfo::lookupHost(m_remoteHost, this, [this, generation](const QHostInfo& info) {
            if (generation != m_generation)
                return;
            m_lookupId = -1;
            const QList<QByteArray> queued = std::exchange(m_awaitingLookup, {});
            QHostAddress found;
            for (const QHostAddress& candidate : info.addresses()) {
                if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
                    found = candidate;
                    break;
                }
            }
            if (found.isNull()) {
                const QString why = info.error() == QHostInfo::NoError
                                        ? QStringLiteral("Host not found")
                                        : info.errorString();
                raiseError(int(QAbstractSocket::HostNotFoundError), why);
                return;
            }
            m_remoteAddressHost = m_lookupHost;
            for (const QByteArray& datagram : queued)
                sendDatagramTo(found, datagram);
        });
}

void Socket::onUdpReadyRead()
{
    // One event per datagram, as the handlers expect; a datagram that the
    // handler leaves unread is dropped so the loop always moves on.
    QPointer<QUdpSocket> udp = m_udp;
    for (int handled = 0;
         handled < datagramsPerTurn && udp && udp == m_udp && udp->hasPendingDatagrams();
         ++handled) {
        m_datagramTaken = false;
        const qint64 size = udp->pendingDatagramSize();
        Q_EMIT dataArrival(size < 0 ? 0 : size);
        if (udp && udp == m_udp && !m_datagramTaken && udp->hasPendingDatagrams())
            udp->receiveDatagram(0);
    }
}

bool Socket::hasPendingDatagram() const
{
    return m_udp && m_udp->hasPendingDatagrams();
}

QByteArray Socket::getData(qint64 maxSize)
{
    if (m_udp) {
        if (!hasPendingDatagram())
            return {};
        m_datagramTaken = true;
        const QNetworkDatagram datagram = m_udp->receiveDatagram(maxSize);
        m_lastSenderAddress = datagram.senderAddress();
        m_lastSenderPort = quint16(datagram.senderPort());
        return datagram.data();
    }
    if (m_tcp)
        return maxSize < 0 ? m_tcp->readAll() : m_tcp->read(maxSize);
    return {};
}

void Socket::close()
{
    ++m_generation;
    m_failed = false;
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    m_awaitingLookup.clear();
    m_remoteAddress.clear();
    if (m_udp) {
        m_udp->disconnect(this);
        m_udp->close();
        m_udp->deleteLater();
        m_udp = nullptr;
    }
    if (m_tcp) {
        m_tcp->disconnect(this);
        m_tcp->abort();
        m_tcp->deleteLater();
        m_tcp = nullptr;
    }
}
