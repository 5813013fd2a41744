#include "core/browser/masterlistclient.h"

#include "core/wire/masterprotocol.h"

#include <utility>

MasterListClient::MasterListClient(QObject* parent) : QObject(parent)
{
    m_silenceTimer.setSingleShot(true);
    m_silenceTimer.setInterval(defaultSilenceTimeoutMs);
    connect(&m_silenceTimer, &QTimer::timeout, this, [this] { fail(Failure::Silence, QString()); });
    connect(&m_channel, &UdpChannel::datagramReceived, this, &MasterListClient::onDatagram);
    connect(&m_channel, &UdpChannel::hostFound, this,
            [this](const QString&, const QHostAddress& address) { onHostFound(address); });
    connect(&m_channel, &UdpChannel::hostNotFound, this,
            [this](const QString&, const QString& why) { fail(Failure::HostNotFound, why); });
    connect(&m_channel, &UdpChannel::errorOccurred, this,
            [this](QAbstractSocket::SocketError, const QString& why) {
                fail(Failure::SocketError, why);
            });
}

void MasterListClient::start(const QString& host, quint16 port, quint16 localPort)
{
    stop();
    m_port = port;
    m_localPort = localPort;
    m_state = State::LookingUp;
    // The look-up counts against the silence too: a resolver that never
    // answers cannot hang the run.
    m_silenceTimer.start();
    if (const std::optional<QHostAddress> address = m_channel.resolve(host))
        sendRequest(*address);
}

void MasterListClient::stop()
{
    m_silenceTimer.stop();
    m_channel.close();
    m_state = State::Idle;
    m_master.clear();
    m_servers.clear();
}

void MasterListClient::onHostFound(const QHostAddress& address)
{
    if (m_state == State::LookingUp)
        sendRequest(address);
}

void MasterListClient::sendRequest(const QHostAddress& master)
{
    m_master = master;
    m_state = State::Receiving;
    // A port that cannot be bound fails the run from the event loop.
    if (m_channel.bind(m_localPort))
        m_channel.send(MasterProtocol::listRequest(), m_master, m_port);
}

void MasterListClient::onDatagram(const UdpChannel::Datagram& datagram)
{
    if (m_state != State::Receiving || !UdpChannel::isFrom(datagram, m_master, m_port))
        return;
    m_silenceTimer.start();

    const std::optional<MasterDatagram> parsed = MasterProtocol::parse(datagram.data);
    if (!parsed)
        return;
    if (parsed->type == MasterProtocol::ListPart)
        handleListPart(*parsed);
    else if (parsed->type == MasterProtocol::ListEnd)
        handleListEnd(*parsed);
}

void MasterListClient::handleListPart(const MasterDatagram& part)
{
    // Without its counts a list part cannot be read; leaving it
    // unacknowledged lets the master server send it again.
    if (!part.hasCounts)
        return;
    m_channel.send(MasterProtocol::acknowledgement(part.echo), m_master, m_port);
    QList<ServerEndpoint> servers;
    // A part that announces no servers lists none, whatever it carries.
    if (part.serverTotal != 0) {
        servers.reserve(part.records.size());
        for (const ServerRecord& record : part.records)
            servers.append({record.address(), record.port});
    }
    m_servers += servers;
    Q_EMIT listPartReceived(part.serverTotal, servers);
}

void MasterListClient::handleListEnd(const MasterDatagram& end)
{
    m_channel.send(MasterProtocol::acknowledgement(end.echo), m_master, m_port);
    const QList<ServerEndpoint> servers = std::exchange(m_servers, {});
    stop();
    Q_EMIT finished(servers);
}

void MasterListClient::fail(Failure failure, const QString& description)
{
    if (!isRunning())
        return;
    stop();
    Q_EMIT failed(failure, description);
}
