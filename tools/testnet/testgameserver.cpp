#include "testgameserver.h"

#include <QNetworkDatagram>
#include <QTimer>

TestGameServer::TestGameServer(const TestServerProfile& profile, QObject* parent)
    : QObject(parent), m_profile(profile)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &TestGameServer::onReadyRead);
}

bool TestGameServer::listen(quint16 port)
{
    return m_socket.bind(QHostAddress::LocalHost, port);
}

void TestGameServer::setDropPercent(int percent, quint32 seed)
{
    m_dropPercent = percent;
    m_random.seed(seed);
}

void TestGameServer::onReadyRead()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        const QHostAddress from = datagram.senderAddress();
        const quint16 fromPort = quint16(datagram.senderPort());
        Q_EMIT datagramReceived(from, fromPort, datagram.data());
        if (m_profile.silent || datagram.data() != InfoProtocol::request())
            continue;
        if (m_dropPercent > 0 && int(m_random.bounded(100)) < m_dropPercent)
            continue;
        const QByteArray reply = InfoProtocol::encodeReply(m_profile.info, m_profile.trailing);
        QTimer::singleShot(m_profile.delayMs, this, [this, reply, from, fromPort] {
            m_socket.writeDatagram(reply, from, fromPort);
            Q_EMIT replySent(from, fromPort);
        });
    }
}
