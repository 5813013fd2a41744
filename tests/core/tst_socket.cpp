#include "core/platform/socket.h"
#include "freeport.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include <memory>

namespace {

const QHostAddress loopback = QHostAddress::LocalHost;

// Another socket on loopback that the socket under test talks to.
struct UdpPeer
{
    UdpPeer() { socket.bind(loopback, 0); }
    quint16 port() const { return socket.localPort(); }
    QNetworkDatagram next()
    {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(5000))
            return {};
        return socket.receiveDatagram();
    }
    QUdpSocket socket;
};

std::unique_ptr<Socket> udpSocketTo(quint16 remotePort, const QString& host = "127.0.0.1")
{
    auto socket = std::make_unique<Socket>();
    socket->setProtocol(Socket::Protocol::Udp);
    socket->setRemoteHost(host);
    socket->setRemotePort(remotePort);
    socket->setLocalPort(freeUdpPort());
    return socket;
}

// Proves that every queued event posted before it has been delivered: a
// datagram's round trip through the peer takes longer than a zero timer.
void roundTrip(Socket& socket, UdpPeer& peer)
{
    QSignalSpy arrivals(&socket, &Socket::dataArrival);
    const int before = arrivals.count();
    socket.sendData("ping");
    const QNetworkDatagram ping = peer.next();
    QVERIFY(ping.isValid());
    peer.socket.writeDatagram("pong", ping.senderAddress(), quint16(ping.senderPort()));
    QTRY_VERIFY_WITH_TIMEOUT(arrivals.count() > before, 5000);
}

} // namespace

class TestSocket : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void udpDatagramGoesFromLocalPortToRemote()
    {
        UdpPeer peer;
        auto socket = udpSocketTo(peer.port());
        const quint16 localPort = socket->localPort();
        const QByteArray bytes("\x02\x06\x05\x00\xff", 5);
        socket->sendData(bytes);

        const QNetworkDatagram received = peer.next();
        QCOMPARE(received.data(), bytes);
        QCOMPARE(received.senderPort(), int(localPort));
        QCOMPARE(socket->localPort(), localPort);
        QCOMPARE(socket->state(), Socket::Open);
        QVERIFY(socket->remoteAddress().isEqual(loopback));
    }

    void udpRaisesOneArrivalPerDatagram()
    {
        UdpPeer peer;
        auto socket = udpSocketTo(peer.port());
        socket->sendData("hello");
        const QNetworkDatagram hello = peer.next();

        QList<QByteArray> read;
        QList<qint64> announced;
        connect(socket.get(), &Socket::dataArrival, this, [&](qint64 bytes) {
            announced.append(bytes);
            read.append(socket->getData(4096));
            QCOMPARE(socket->lastSenderAddress(), loopback);
            QCOMPARE(socket->lastSenderPort(), peer.port());
        });
        const QList<QByteArray> sent{"one", QByteArray(1000, 'x'), QByteArray("\0\0", 2)};
        for (const QByteArray& datagram : sent)
            peer.socket.writeDatagram(datagram, hello.senderAddress(), quint16(hello.senderPort()));

        QTRY_COMPARE_WITH_TIMEOUT(read.size(), sent.size(), 5000);
        QCOMPARE(read, sent);
        QCOMPARE(announced, (QList<qint64>{3, 1000, 2}));
    }

    void udpBurstIsHandledWhole()
    {
        // More datagrams than one turn of the event loop handles: the rest
        // must come in later turns, none lost, in order.
        UdpPeer peer;
        auto socket = udpSocketTo(peer.port());
        socket->sendData("hello");
        const QNetworkDatagram hello = peer.next();
        QList<QByteArray> read;
        connect(socket.get(), &Socket::dataArrival, this,
                [&] { read.append(socket->getData(4096)); });
        QList<QByteArray> sent;
        for (int i = 0; i < 500; ++i) {
            sent.append(QByteArray::number(i));
            peer.socket.writeDatagram(sent.last(), hello.senderAddress(),
                                      quint16(hello.senderPort()));
        }
        QTRY_COMPARE_WITH_TIMEOUT(read.size(), sent.size(), 5000);
        QCOMPARE(read, sent);
    }

    void udpReadIsCutAndUnreadDatagramsAreDropped()
    {
        UdpPeer peer;
        auto socket = udpSocketTo(peer.port());
        socket->sendData("hello");
        const QNetworkDatagram hello = peer.next();

        QList<QByteArray> read;
        int arrivals = 0;
        connect(socket.get(), &Socket::dataArrival, this, [&] {
            // Leaves every other datagram unread.
            if (arrivals++ % 2 == 0)
                read.append(socket->getData(4));
        });
        for (const char* datagram : {"first", "second", "third"})
            peer.socket.writeDatagram(datagram, hello.senderAddress(), quint16(hello.senderPort()));

        QTRY_COMPARE_WITH_TIMEOUT(arrivals, 3, 5000);
        QCOMPARE(read, (QList<QByteArray>{"firs", "thir"}));
    }

    void resolvedHostNameIsReusedAtOnce()
    {
        // "localhost" comes from the hosts file, not from a name server.
        UdpPeer peer;
        auto socket = udpSocketTo(peer.port(), QStringLiteral("localhost"));
        socket->sendData("first");
        QTRY_VERIFY_WITH_TIMEOUT(socket->remoteAddress().isEqual(loopback), 5000);
        QCOMPARE(peer.next().data(), QByteArray("first"));
        // Like the last acknowledgement of a list: sent, then closed at once.
        socket->sendData("last");
        socket->close();
        QCOMPARE(peer.next().data(), QByteArray("last"));
    }

    void remoteAddressWaitsForTheNextName()
    {
        UdpPeer peer;
        auto socket = udpSocketTo(peer.port());
        socket->sendData("first");
        QVERIFY(socket->remoteAddress().isEqual(loopback));
        QCOMPARE(peer.next().data(), QByteArray("first"));

        // Another host, by name: the old address no longer names the remote end.
        socket->setRemoteHost(QStringLiteral("localhost"));
        socket->sendData("second");
        QVERIFY(socket->remoteAddress().isNull());
        QTRY_VERIFY_WITH_TIMEOUT(socket->remoteAddress().isEqual(loopback), 5000);
        QCOMPARE(peer.next().data(), QByteArray("second"));
    }

    void closeIsHarmlessAndRearms()
    {
        Socket never;
        never.close();
        never.close();
        QCOMPARE(never.state(), Socket::Closed);

        UdpPeer peer;
        auto socket = udpSocketTo(peer.port());
        const quint16 localPort = socket->localPort();
        socket->sendData("a");
        QVERIFY(peer.next().isValid());
        socket->close();
        socket->close();
        QCOMPARE(socket->state(), Socket::Closed);

        // The same local port binds again after a close.
        socket->sendData("b");
        const QNetworkDatagram again = peer.next();
        QCOMPARE(again.data(), QByteArray("b"));
        QCOMPARE(again.senderPort(), int(localPort));
    }

    void closedSocketRaisesNothing()
    {
        UdpPeer peer;
        auto socket = udpSocketTo(peer.port());
        QSignalSpy arrivals(socket.get(), &Socket::dataArrival);
        socket->sendData("a");
        const QNetworkDatagram first = peer.next();
        socket->close();
        peer.socket.writeDatagram("late", first.senderAddress(), quint16(first.senderPort()));
        roundTrip(*socket, peer);
        // Only the round trip's own reply arrived.
        QCOMPARE(arrivals.count(), 1);
        QCOMPARE(socket->getData(4096), QByteArray());
    }

    void unresolvableHostRaisesError_data()
    {
        QTest::addColumn<QString>("host");
        // Both fail inside the resolver's input checks, before any look-up.
        QTest::newRow("empty") << QString();
        QTest::newRow("empty label") << QStringLiteral("master..example");
    }
    void unresolvableHostRaisesError()
    {
        QFETCH(QString, host);
        auto socket = udpSocketTo(freeUdpPort(), host);
        QSignalSpy errors(socket.get(), &Socket::error);
        socket->sendData("x");
        QCOMPARE(errors.count(), 0); // never inside the call
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 5000);
        QCOMPARE(errors[0][0].toInt(), int(QAbstractSocket::HostNotFoundError));
        QVERIFY(!errors[0][1].toString().isEmpty());
    }

    void closeCancelsPendingError()
    {
        UdpPeer peer;
        auto socket = udpSocketTo(peer.port(), QString());
        QSignalSpy errors(socket.get(), &Socket::error);
        socket->sendData("x");
        socket->close();
        socket->setRemoteHost("127.0.0.1");
        roundTrip(*socket, peer);
        QCOMPARE(errors.count(), 0);
    }

    void localPortInUseRaisesOneQueuedError()
    {
        QUdpSocket occupier;
        QVERIFY(occupier.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress));
        UdpPeer peer;
        auto socket = udpSocketTo(peer.port());
        socket->setLocalPort(occupier.localPort());
        QSignalSpy errors(socket.get(), &Socket::error);
        socket->sendData("x");
        QCOMPARE(errors.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 5000);
        QCOMPARE(errors[0][0].toInt(), int(QAbstractSocket::AddressInUseError));

        // Nothing more follows: a later round trip on a free port comes
        // after every queued event.
        socket->close();
        socket->setLocalPort(freeUdpPort());
        roundTrip(*socket, peer);
        QCOMPARE(errors.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSocket)
#include "tst_socket.moc"
