#include "core/platform/udpchannel.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QSignalBlocker>
#include <QTimer>
#include <QUdpSocket>
#include <QVariant>

#include <algorithm>
#include <cstring>
#include <limits>

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <mswsock.h>
#else
#include <sys/socket.h>
#include <time.h>
#endif

UdpChannel::UdpChannel(QObject* parent) : QObject(parent), m_socket(new QUdpSocket(this))
{
    connect(m_socket, &QUdpSocket::readyRead, this, [this] { deliver(datagramsPerTurn); });
    // E.g. "connection refused" after a datagram to a closed port. The
    // failures of bind() and send() are reported by those, once.
    connect(m_socket, &QUdpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        raiseError(error, m_socket->errorString());
    });
}

bool UdpChannel::bind(quint16 localPort)
{
    if (isBound())
        return true;
    bool bound = false;
    {
        const QSignalBlocker quiet(m_socket);
        bound = m_socket->bind(QHostAddress::AnyIPv4, localPort);
    }
    if (!bound) {
        raiseError(m_socket->error(), m_socket->errorString());
        m_socket->close();
        return false;
    }
    m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, receiveBufferSize);
#ifdef Q_OS_WIN
    // Windows turns an ICMP "port unreachable" for an earlier datagram into
    // an error on the next receive: one dead server would put an error in
    // the status line, a closed master port would end Get List.
#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif
    BOOL report = FALSE;
    DWORD returned = 0;
    WSAIoctl(SOCKET(m_socket->socketDescriptor()), SIO_UDP_CONNRESET, &report, sizeof report,
             nullptr, 0, &returned, nullptr, nullptr);
#endif
#ifdef SO_TIMESTAMPNS
    // A ping ends when the reply arrives, not when the thread gets round to
    // reading it: with hundreds of replies a second that is milliseconds.
    const int on = 1;
    setsockopt(int(m_socket->socketDescriptor()), SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
#endif
    return true;
}

bool UdpChannel::isBound() const
{
    return m_socket->state() == QAbstractSocket::BoundState;
}

quint16 UdpChannel::localPort() const
{
    return m_socket->localPort();
}

std::optional<QHostAddress> UdpChannel::resolve(const QString& host)
{
    QHostAddress address;
    if (address.setAddress(host))
        return address;
    // Some failures (an empty or malformed name) are delivered even after
    // abortHostLookup(), so a result from before a close() is dropped here.
    const quint64 generation = m_generation;
    const int id =
        QHostInfo::lookupHost(host, this, [this, generation, host](const QHostInfo& info) {
            m_lookups.removeOne(info.lookupId());
            if (generation != m_generation)
                return;
            for (const QHostAddress& candidate : info.addresses()) {
                if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
                    Q_EMIT hostFound(host, candidate);
                    return;
                }
            }
            Q_EMIT hostNotFound(host, info.error() == QHostInfo::NoError
                                          ? QStringLiteral("Host not found")
                                          : info.errorString());
        });
    m_lookups.append(id);
    return std::nullopt;
}

void UdpChannel::send(const QByteArray& bytes, const QHostAddress& address, quint16 port)
{
    const QSignalBlocker quiet(m_socket);
    if (m_socket->writeDatagram(bytes, address, port) < 0)
        raiseError(m_socket->error(), m_socket->errorString());
}

void UdpChannel::readWaiting()
{
    deliver(std::numeric_limits<int>::max());
}

void UdpChannel::deliver(int limit)
{
    // A handler may close the channel, or close and bind it again: the
    // datagrams then waiting are no longer this round's.
    const quint64 generation = m_generation;
    for (int handled = 0;
         handled < limit && generation == m_generation && m_socket->hasPendingDatagrams();
         ++handled) {
        Datagram datagram;
        datagram.arrival = arrivalOfNext();
#ifdef Q_OS_WIN
        // Winsock fails a read into a buffer shorter than the datagram, and Qt
        // then hands out nothing of it: read it whole and cut it here.
        const QNetworkDatagram read = m_socket->receiveDatagram();
        datagram.data = read.data().left(maxDatagramSize);
#else
        const QNetworkDatagram read = m_socket->receiveDatagram(maxDatagramSize);
        datagram.data = read.data();
#endif
        datagram.sender = read.senderAddress();
        datagram.senderPort = quint16(read.senderPort());
        Q_EMIT datagramReceived(datagram);
    }
}

UdpChannel::Clock::time_point UdpChannel::arrivalOfNext() const
{
#ifdef SO_TIMESTAMPNS
    // The stamp of the datagram at the head of the queue, looked at without
    // taking it (the socket reads it next). The kernel stamps on the
    // system clock, which may be set at any time: only the datagram's age
    // is taken from it, and counted back from the steady clock.
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    msghdr message{};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    if (recvmsg(int(m_socket->socketDescriptor()), &message, MSG_PEEK | MSG_DONTWAIT) < 0)
        return Clock::now();
    // Both clocks read back to back, the system clock first: the time
    // between the reads makes the arrival later, never earlier.
    timespec wallNow{};
    clock_gettime(CLOCK_REALTIME, &wallNow);
    const Clock::time_point now = Clock::now();
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_TIMESTAMPNS)
            continue;
        timespec stamp{};
        memcpy(&stamp, CMSG_DATA(header), sizeof stamp);
        const auto age = std::chrono::seconds(wallNow.tv_sec - stamp.tv_sec) +
                         std::chrono::nanoseconds(wallNow.tv_nsec - stamp.tv_nsec);
        // Outside these bounds the system clock was set in between.
        if (age < Clock::duration::zero() || age > std::chrono::minutes(1))
            return now;
        return now - std::chrono::duration_cast<Clock::duration>(age);
    }
    return now;
#else
    return Clock::now();
#endif
}

void UdpChannel::close()
{
    ++m_generation;
    for (int id : std::as_const(m_lookups))
        QHostInfo::abortHostLookup(id);
    m_lookups.clear();
    m_socket->close();
}

bool UdpChannel::isFrom(const Datagram& datagram, const QHostAddress& address, quint16 port)
{
    return !address.isNull() && datagram.senderPort == port &&
           datagram.sender.isEqual(address, QHostAddress::ConvertV4MappedToIPv4);
}

qint64 UdpChannel::pingMs(Clock::time_point sentAt, const Datagram& reply)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::max(reply.arrival - sentAt, Clock::duration::zero()))
        .count();
}

void UdpChannel::raiseError(QAbstractSocket::SocketError error, const QString& description)
{
    // Queued, so that a handler never runs inside the call that failed; a
    // close() in between cancels it.
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, error, description] {
        if (generation == m_generation)
            Q_EMIT errorOccurred(error, description);
    });
}
