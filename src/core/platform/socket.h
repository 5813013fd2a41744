#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>

class QAbstractSocket;
class QTcpSocket;
class QUdpSocket;

// One network socket with the small surface the browser and the chat drive:
// a protocol chosen once, remote and local endpoints set before use, byte
// strings in and out, and three events (data arrival, connected, error)
// raised on the GUI thread. UDP and TCP are both realised with Qt sockets.
class Socket : public QObject
{
    Q_OBJECT
public:
    enum class Protocol
    {
        Tcp = 0,
        Udp = 1
    };

    // Numbered like the classic socket control's states; 7 means connected.
    enum State : qint16
    {
        Closed = 0,
        Open = 1,
        Listening = 2,
        ConnectionPending = 3,
        ResolvingHost = 4,
        HostResolved = 5,
        Connecting = 6,
        Connected = 7,
        Closing = 8,
        Error = 9,
    };

    explicit Socket(QObject* parent = nullptr);
    ~Socket() override;

    void setProtocol(Protocol protocol);
    Protocol protocol() const { return m_protocol; }

    void setRemoteHost(const QString& host) { m_remoteHost = host; }
    QString remoteHost() const { return m_remoteHost; }
    void setRemotePort(quint16 port) { m_remotePort = port; }
    quint16 remotePort() const { return m_remotePort; }

    // The port to bind on the next UDP send. Once bound (or connected), the
    // port actually in use.
    void setLocalPort(quint16 port) { m_localPort = port; }
    quint16 localPort() const;
    // The local end's address in dotted form (host name when not connected).
    QString localHost() const;

    State state() const;

    // TCP: starts connecting and returns at once; connected() or error() follows.
    void connectToRemote();

    // TCP: appends to the stream. UDP: one datagram to the remote endpoint,
    // binding the local port first if needed; a host name is resolved first.
    // Failures arrive as error().
    void sendData(const QByteArray& bytes);

    // UDP: the next datagram, cut to maxSize bytes (its sender is kept, see
    // lastSender*). TCP: everything pending (maxSize < 0) or at most maxSize.
    QByteArray getData(qint64 maxSize = -1);
    // UDP: whether a datagram (perhaps an empty one) waits to be read.
    bool hasPendingDatagram() const;
    QHostAddress lastSenderAddress() const { return m_lastSenderAddress; }
    quint16 lastSenderPort() const { return m_lastSenderPort; }
    // UDP: the address the last datagram went to (the remote host once
    // resolved); null before the first send, while a new host name is being
    // resolved, and after close().
    QHostAddress remoteAddress() const { return m_remoteAddress; }

    // Closes the socket; harmless when it is not open. Pending sends and
    // name look-ups are dropped and raise no events.
    void close();

Q_SIGNALS:
    void dataArrival(qint64 bytesTotal);
    void connected();
    void error(int number, const QString& description);
    // TCP only: the peer closed the connection.
    void closedByPeer();

private:
    void onUdpReadyRead();
    void onTcpError();
    void raiseError(int number, const QString& description);
    bool bindUdp();
    void sendDatagramTo(const QHostAddress& address, const QByteArray& bytes);

    Protocol m_protocol = Protocol::Tcp;
    QString m_remoteHost;
    quint16 m_remotePort = 0;
    quint16 m_localPort = 0;

    QPointer<QUdpSocket> m_udp;
    QPointer<QTcpSocket> m_tcp;
    bool m_failed = false; // TCP: the connection failed or the peer closed it
    quint32 m_generation = 0;
    bool m_datagramTaken = false;
    int m_lookupId = -1;
    QString m_lookupHost;
    QList<QByteArray> m_awaitingLookup;

    QHostAddress m_remoteAddress;
    QString m_remoteAddressHost; // the host text m_remoteAddress belongs to
    QHostAddress m_lastSenderAddress;
    quint16 m_lastSenderPort = 0;
};
