#include "fakegameserver.h"

#include "core/wire/addresscache.h"

#include <QNetworkDatagram>
#include <QTimer>

FakeGameServer::FakeGameServer(QList<QByteArray> replies, int replyDelayMs)
    : m_replies(std::move(replies)), m_replyDelayMs(replyDelayMs)
{
    if (!m_socket.bind(QHostAddress::LocalHost, 0))
        qFatal("cannot bind a loopback UDP port");
    connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
        while (m_socket.hasPendingDatagrams())
            onRequest(m_socket.receiveDatagram());
    });
}

QByteArray FakeGameServer::cacheLines() const
{
    return AddressCache::formatServer(endpoint().host, port());
}

void FakeGameServer::sendTo(quint16 port, const QByteArray& datagram)
{
    m_socket.writeDatagram(datagram, QHostAddress::LocalHost, port);
}

void FakeGameServer::onRequest(const QNetworkDatagram& request)
{
    requests.append(request.data());
    const quint16 senderPort = quint16(request.senderPort());
    requestPorts.append(senderPort);
    if (whenAsked)
        whenAsked();
    if (requests.size() <= ignoredRequests)
        return;
    const QList<QByteArray> replies = repliesTo.value(request.data(), m_replies);
    auto answer = [this, senderPort, replies] {
        for (const QByteArray& reply : replies)
            sendTo(senderPort, reply);
    };
    if (m_replyDelayMs > 0)
        QTimer::singleShot(m_replyDelayMs, this, answer);
    else
        answer();
}
