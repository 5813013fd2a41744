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
    m_scriptTimer.setSingleShot(true);
    m_scriptTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_scriptTimer, &QTimer::timeout, this, &TestNetwork::runDueSteps);
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
    m_scriptClock.start();
    runDueSteps();
    return true;
}

void TestNetwork::runDueSteps()
{
    static constexpr const char* actions[] = {"join", "leave", "silent", "back", "map", "repeat"};
    const QList<TestScriptStep>& script = m_scenario.script;
    while (m_nextStep < script.size() && script[m_nextStep].atMs <= m_scriptClock.elapsed()) {
        const TestScriptStep& step = script[m_nextStep++];
        QString line = QStringLiteral("STEP %1 %2")
                           .arg(step.atMs)
                           .arg(QLatin1String(actions[int(step.action)]));
        if (step.action == TestScriptStep::Action::Repeat) {
            m_scriptClock.start();
            m_nextStep = 0;
        } else {
            m_servers[step.server]->apply(step);
            line += QStringLiteral(" server:%1").arg(m_servers[step.server]->port());
            if (!step.value.isEmpty())
                line += u' ' + QString::fromLatin1(step.value);
        }
        Q_EMIT logLine(line);
    }
    if (m_nextStep < script.size())
        m_scriptTimer.start(
            int(qMax<qint64>(0, script[m_nextStep].atMs - m_scriptClock.elapsed())));
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
