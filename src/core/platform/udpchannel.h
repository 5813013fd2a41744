#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

class QUdpSocket;

// What both UDP exchanges of the browser need from their socket, written
// once: binding with a large receive buffer, IPv4 name look-ups, datagrams
// read whole with their sender and arrival time in bounded turns, and
// errors delivered from the event loop, never inside the call that failed.
// The channel owns its socket.
class UdpChannel : public QObject
{
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;

    struct Datagram
    {
        QByteArray data;
        QHostAddress sender;
        quint16 senderPort = 0;
        // When the kernel received it (its receive time stamp), on the
        // clock of Clock::now(); where the kernel gives no stamp, when it
        // was read.
        Clock::time_point arrival;
    };

    // Large enough that a burst of replies from hundreds of servers, or a
    // whole master list, waits in the kernel while the thread is busy.
    static constexpr int receiveBufferSize = 1 << 20;
    // Datagrams handled in one turn of the event loop; the rest wait for the
    // next turn, so that a flood on one socket cannot starve the others.
    static constexpr int datagramsPerTurn = 64;
    // Longer datagrams are cut; no reply or list part comes near it.
    static constexpr qint64 maxDatagramSize = 4096;

    explicit UdpChannel(QObject* parent = nullptr);

    // Binds every IPv4 address at `localPort` and asks the kernel to stamp
    // each datagram as it arrives. On failure returns false and
    // errorOccurred() follows.
    bool bind(quint16 localPort);
    bool isBound() const;
    // The port bound to; 0 when not bound.
    quint16 localPort() const;

    // A dotted address at once. For a host name: nothing now, then
    // hostFound() with its first IPv4 address or hostNotFound().
    std::optional<QHostAddress> resolve(const QString& host);

    // On failure errorOccurred() follows.
    void send(const QByteArray& bytes, const QHostAddress& address, quint16 port);

    // Hands out every datagram already waiting, now, without waiting for the
    // next turn of the event loop.
    void readWaiting();

    // Closes the socket and drops pending look-ups and errors: nothing is
    // emitted for them afterwards. Harmless when closed.
    void close();

    // The datagram came from that address (an IPv4 address also matches its
    // v4-mapped IPv6 form) and port. Never true for a null address.
    static bool isFrom(const Datagram& datagram, const QHostAddress& address, quint16 port);

    // Whole milliseconds from a request sent at `sentAt` to the reply that
    // answers it. Never negative: an arrival converted from the kernel's
    // stamp may come out a hair before the send.
    static qint64 pingMs(Clock::time_point sentAt, const Datagram& reply);

Q_SIGNALS:
    void datagramReceived(const UdpChannel::Datagram& datagram);
    void hostFound(const QString& host, const QHostAddress& address);
    void hostNotFound(const QString& host, const QString& description);
    void errorOccurred(QAbstractSocket::SocketError error, const QString& description);

private:
    void deliver(int limit);
    Clock::time_point arrivalOfNext() const;
    void raiseError(QAbstractSocket::SocketError error, const QString& description);

    QUdpSocket* m_socket;
    // Bumped by close(): work queued before it sees it is stale.
    quint64 m_generation = 0;
    QList<int> m_lookups;
};
