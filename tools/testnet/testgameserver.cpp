#include "testgameserver.h"

#include <QNetworkDatagram>
#include <QTimer>

TestGameServer::TestGameServer(const TestServerSpec& spec, QObject* parent)
    : QObject(parent), m_spec(spec)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &TestGameServer::onReadyRead);
}

bool TestGameServer::listen(quint16 port)
{
    return m_socket.bind(QHostAddress::LocalHost, port);
}

void TestGameServer::onReadyRead()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        const QHostAddress from = datagram.senderAddress();
        const quint16 fromPort = quint16(datagram.senderPort());
        Q_EMIT datagramReceived(from, fromPort, datagram.data());
        if (m_spec.silent || datagram.data() != InfoProtocol::request())
            continue;
        const QByteArray reply = InfoProtocol::encodeReply(m_spec.info, m_spec.trailing);
        QTimer::singleShot(m_spec.delayMs, this, [this, reply, from, fromPort] {
            m_socket.writeDatagram(reply, from, fromPort);
        });
    }
}
