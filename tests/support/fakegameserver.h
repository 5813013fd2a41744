#pragma once

#include "core/wire/serverendpoint.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QUdpSocket>

#include <functional>

class QNetworkDatagram;

// A game server on 127.0.0.1 that records the requests it gets and answers
// each with a fixed set of datagrams, at once or after a delay.
class FakeGameServer : public QObject
{
public:
    explicit FakeGameServer(QList<QByteArray> replies = {}, int replyDelayMs = 0);

    quint16 port() const { return m_socket.localPort(); }
    ServerEndpoint endpoint() const { return {QStringLiteral("127.0.0.1"), port()}; }
    // "127.0.0.1\r\n <port> \r\n", as the address cache file holds it.
    QByteArray cacheLines() const;

    void sendTo(quint16 port, const QByteArray& datagram);

    QList<QByteArray> requests;
    QList<quint16> requestPorts;
    // Runs when a request arrives, before the replies go out.
    std::function<void()> whenAsked;
    // The first this many requests get no reply, as if lost.
    int ignoredRequests = 0;
    // A request whose bytes are a key gets these replies instead (e.g. the
    // info and the player-list request their own); changed as a test goes.
    QHash<QByteArray, QList<QByteArray>> repliesTo;

private:
    void onRequest(const QNetworkDatagram& request);

    QUdpSocket m_socket;
    QList<QByteArray> m_replies;
    int m_replyDelayMs;
};
