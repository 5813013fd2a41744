#include "core/platform/socket.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

namespace {

const QHostAddress loopback = QHostAddress::LocalHost;

} // namespace

class TestSocket : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tcpConnectsExchangesAndSeesPeerClose()
    {
        QTcpServer server;
        QVERIFY(server.listen(loopback, 0));
        Socket socket;
        socket.setProtocol(Socket::Protocol::Tcp);
        socket.setRemoteHost("127.0.0.1");
        socket.setRemotePort(server.serverPort());
        QSignalSpy connected(&socket, &Socket::connected);
        QSignalSpy closed(&socket, &Socket::closedByPeer);
        QSignalSpy errors(&socket, &Socket::error);
        socket.connectToRemote();
        QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 5000);
        QCOMPARE(socket.state(), Socket::Connected);
        QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 5000);
        std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());

        socket.sendData("NICK a\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(peer->bytesAvailable(), qint64(8), 5000);
        QCOMPARE(peer->readAll(), QByteArray("NICK a\r\n"));

        QByteArray received;
        connect(&socket, &Socket::dataArrival, this, [&] { received += socket.getData(); });
        peer->write(":x PING :1\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(received, QByteArray(":x PING :1\r\n"), 5000);

        peer->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 5000);
        QCOMPARE(errors.count(), 0);
        socket.close();
        QCOMPARE(socket.state(), Socket::Closed);
    }

    void tcpRefusedConnectionRaisesError()
    {
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(loopback, 0));
            closedPort = probe.serverPort();
        }
        Socket socket;
        socket.setProtocol(Socket::Protocol::Tcp);
        socket.setRemoteHost("127.0.0.1");
        socket.setRemotePort(closedPort);
        QSignalSpy connected(&socket, &Socket::connected);
        QSignalSpy errors(&socket, &Socket::error);
        socket.connectToRemote();
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 5000);
        QCOMPARE(errors[0][0].toInt(), int(QAbstractSocket::ConnectionRefusedError));
        QCOMPARE(connected.count(), 0);
        socket.close();
    }

    void tcpSendWithoutConnectionRaisesError()
    {
        Socket socket;
        socket.setProtocol(Socket::Protocol::Tcp);
        QSignalSpy errors(&socket, &Socket::error);
        socket.sendData("x");
        QCOMPARE(errors.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 5000);
    }
};

QTEST_GUILESS_MAIN(TestSocket)
#include "tst_socket.moc"
