#include "testgameserver.h"

#include <QNetworkDatagram>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {
// How much of an exact delay is spun rather than slept.
constexpr std::chrono::microseconds spinFor(400);
} // namespace

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
        if (datagram.data() == PlayerListProtocol::request()) {
            answerPlayerList(from, fromPort);
            continue;
        }
        if (m_profile.silent || datagram.data() != InfoProtocol::request())
            continue;
        if (m_dropPercent > 0 && int(m_random.bounded(100)) < m_dropPercent)
            continue;
        const QByteArray reply = InfoProtocol::encodeReply(m_profile.info, m_profile.trailing);
        const auto due =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(m_profile.delayMs);
        const int early = m_exactDelay ? std::min(2, m_profile.delayMs) : 0;
        QTimer::singleShot(m_profile.delayMs - early, Qt::PreciseTimer, this,
                           [this, reply, from, fromPort, due, early] {
                               if (early > 0) {
                                   std::this_thread::sleep_until(due - spinFor);
                                   while (std::chrono::steady_clock::now() < due) {
                                   }
                               }
                               m_socket.writeDatagram(reply, from, fromPort);
                               Q_EMIT replySent(from, fromPort);
                           });
    }
}

void TestGameServer::answerPlayerList(const QHostAddress& from, quint16 fromPort)
{
    if (m_profile.silent || !m_profile.players)
        return;
    PlayerList list = *m_profile.players;
    if (list.form == PlayerList::Form::Names) {
        sendLater({PlayerListProtocol::encodeNames(list, true)}, from, fromPort);
        return;
    }
    QElapsedTimer& last = m_lastListAnswer[from.toString()];
    if (last.isValid() && last.elapsed() < 1000)
        return;
    last.start();
    list.gameType = m_profile.info.gameType;
    list.level = m_profile.info.map;
    list.serverFlags = m_profile.info.flags;
    sendLater(PlayerListProtocol::encodeScores(list, ++m_responseId, segmentBytes), from, fromPort);
}

void TestGameServer::sendLater(const QList<QByteArray>& datagrams, const QHostAddress& to,
                               quint16 toPort)
{
    QTimer::singleShot(m_profile.delayMs, this, [this, datagrams, to, toPort] {
        for (const QByteArray& datagram : datagrams)
            m_socket.writeDatagram(datagram, to, toPort);
    });
}
