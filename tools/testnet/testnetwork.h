#pragma once

#include "testscenario.h"

#include <QList>
#include <QObject>
#include <QString>

class TestGameServer;
class TestMasterServer;

// The whole test network of a scenario: its game servers and a master
// server that lists them, in the scenario's order, all on 127.0.0.1.
class TestNetwork : public QObject
{
    Q_OBJECT
public:
    explicit TestNetwork(const TestScenario& scenario, QObject* parent = nullptr);

    // Binds every socket; on failure `error` says which one.
    bool start(QString* error);

    quint16 masterPort() const;
    QList<quint16> serverPorts() const;
    TestMasterServer* master() const { return m_master; }
    const QList<TestGameServer*>& gameServers() const { return m_servers; }

    // "READY master=18444 servers=40001,40002" (the line tools wait for).
    QString readyLine() const;

Q_SIGNALS:
    // One line per datagram: "RECV <who> <sender address>:<port> <hex>",
    // with who "master" or "server:<port>".
    void logLine(const QString& line);

private:
    TestScenario m_scenario;
    TestMasterServer* m_master;
    QList<TestGameServer*> m_servers;
};
