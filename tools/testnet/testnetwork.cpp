#include "testnetwork.h"

#include "testgameserver.h"
#include "testmasterserver.h"

namespace {

QString logText(const QString& who, const QHostAddress& from, quint16 port, const QByteArray& bytes)
{
    return QStringLiteral("RECV %1 %2:%3 %4")
        .arg(who, from.toString())
        .arg(port)
        .arg(QString::fromLatin1(bytes.toHex()));
}

} // namespace

TestNetwork::TestNetwork(const TestScenario& scenario, QObject* parent)
    : QObject(parent), m_scenario(scenario), m_master(new TestMasterServer(this))
{
    m_master->setRecordsPerPart(scenario.recordsPerPart);
    m_master->setAckTimeout(scenario.ackTimeoutMs);
    connect(m_master, &TestMasterServer::datagramReceived, this,
            [this](const QHostAddress& from, quint16 port, const QByteArray& bytes) {
                Q_EMIT logLine(logText(QStringLiteral("master"), from, port, bytes));
            });
    for (const TestServerProfile& profile : scenario.servers)
        m_servers.append(new TestGameServer(profile, this));
    for (qsizetype i = 0; i < m_servers.size(); ++i)
        m_servers[i]->setDropPercent(scenario.dropPercent, scenario.seed + quint32(i));
}

bool TestNetwork::start(QString* error)
{
    QList<ServerRecord> records;
    for (TestGameServer* server : m_servers) {
        if (!server->listen()) {
            *error = QStringLiteral("cannot bind a game server on 127.0.0.1");
            return false;
        }
        records.append(ServerRecord{{127, 0, 0, 1}, server->port()});
        const QString who = QStringLiteral("server:%1").arg(server->port());
        connect(server, &TestGameServer::datagramReceived, this,
                [this, who](const QHostAddress& from, quint16 port, const QByteArray& bytes) {
                    Q_EMIT logLine(logText(who, from, port, bytes));
                });
    }
    m_master->setRecords(records);
    if (!m_master->listen(m_scenario.masterPort)) {
        *error = QStringLiteral("cannot bind the master server on 127.0.0.1:%1")
                     .arg(m_scenario.masterPort);
        return false;
    }
    return true;
}

quint16 TestNetwork::masterPort() const
{
    return m_master->port();
}

QList<quint16> TestNetwork::serverPorts() const
{
    QList<quint16> ports;
    for (const TestGameServer* server : m_servers)
        ports.append(server->port());
    return ports;
}

QString TestNetwork::readyLine() const
{
    QStringList ports;
    for (quint16 port : serverPorts())
        ports.append(QString::number(port));
    return QStringLiteral("READY master=%1 servers=%2").arg(masterPort()).arg(ports.join(u','));
}
