#include "testmasterserver.h"

#include <QNetworkDatagram>
#include <QTimer>

struct TestMasterServer::Session
{
    QHostAddress client;
    quint16 clientPort = 0;
    QList<QByteArray> datagrams; // the list parts, then the list end
    qsizetype current = 0;
    int resendsLeft = resends;
    QTimer timer;
};

namespace {

QString sessionKey(const QHostAddress& address, quint16 port)
{
    return address.toString() + u':' + QString::number(port);
}

} // namespace

TestMasterServer::TestMasterServer(QObject* parent) : QObject(parent)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &TestMasterServer::onReadyRead);
}

TestMasterServer::~TestMasterServer() = default;

void TestMasterServer::setRecordsPerPart(int count)
{
    m_recordsPerPart = std::clamp(count, 1, MasterProtocol::maxRecordsPerPart);
}

bool TestMasterServer::listen(quint16 port)
{
    return m_socket.bind(QHostAddress::LocalHost, port);
}

void TestMasterServer::onReadyRead()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        const QHostAddress from = datagram.senderAddress();
        const quint16 fromPort = quint16(datagram.senderPort());
        Q_EMIT datagramReceived(from, fromPort, datagram.data());

        const std::optional<MasterDatagram> parsed = MasterProtocol::parse(datagram.data());
        if (!parsed)
            continue;
        if (parsed->type == MasterProtocol::ListRequest) {
            startSession(from, fromPort);
            continue;
        }
        const auto found = m_sessions.find(sessionKey(from, fromPort));
        if (parsed->type != MasterProtocol::Acknowledgement || found == m_sessions.end())
            continue;
        Session& session = **found;
        // An acknowledgement of an earlier datagram (a resend crossed it)
        // changes nothing.
        const QByteArray expectedEcho = session.datagrams[session.current].mid(4, 4);
        if (parsed->echo != expectedEcho)
            continue;
        session.timer.stop();
        if (++session.current == session.datagrams.size()) {
            m_sessions.erase(found);
            Q_EMIT sessionFinished(true);
            continue;
        }
        session.resendsLeft = resends;
        sendCurrent(session);
    }
}

void TestMasterServer::startSession(const QHostAddress& client, quint16 clientPort)
{
    const QString key = sessionKey(client, clientPort);
    auto session = std::make_shared<Session>();
    session->client = client;
    session->clientPort = clientPort;
    session->datagrams = buildDatagrams(++m_sessionCount);
    session->timer.setSingleShot(true);
    session->timer.setInterval(m_ackTimeoutMs);
    connect(&session->timer, &QTimer::timeout, this, [this, key] { onAckTimeout(key); });
    m_sessions.insert(key, session);
    sendCurrent(*session);
}

void TestMasterServer::sendCurrent(Session& session)
{
    m_socket.writeDatagram(session.datagrams[session.current], session.client, session.clientPort);
    session.timer.start();
}

void TestMasterServer::onAckTimeout(const QString& key)
{
    const auto found = m_sessions.find(key);
    if (found == m_sessions.end())
        return;
    Session& session = **found;
    if (session.resendsLeft-- > 0) {
        sendCurrent(session);
        return;
    }
    // Deleting the session from its own timer's signal must wait.
    std::shared_ptr<Session> keepAlive = *found;
    m_sessions.erase(found);
    QTimer::singleShot(0, this, [keepAlive] {});
    Q_EMIT sessionFinished(false);
}

QList<QByteArray> TestMasterServer::buildDatagrams(quint8 sessionNumber) const
{
    // Echo bytes: 'M', the session, the datagram's number (big-endian).
    const auto echo = [sessionNumber](int index) {
        QByteArray bytes("M");
        bytes += char(sessionNumber);
        bytes += char(index >> 8);
        bytes += char(index & 0xff);
        return bytes;
    };
    const quint16 total = quint16(std::min<qsizetype>(m_records.size(), 65535));
    QList<QByteArray> datagrams;
    for (qsizetype at = 0; at < m_records.size(); at += m_recordsPerPart) {
        const QList<ServerRecord> part = m_records.mid(at, m_recordsPerPart);
        datagrams.append(MasterProtocol::encodeListPart(echo(int(datagrams.size())), total, part));
    }
    datagrams.append(MasterProtocol::encodeListEnd(echo(int(datagrams.size()))));
    return datagrams;
}
