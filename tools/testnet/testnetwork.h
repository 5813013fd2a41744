#pragma once

#include "testscenario.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class TestGameServer;
class TestMasterServer;

// The whole test network of a scenario: its game servers and a master
// server that lists them, in the scenario's order, all on 127.0.0.1. The
// scenario's script runs from start(), one timer for the next step.
class TestNetwork : public QObject
{
    Q_OBJECT
public:
    explicit TestNetwork(const TestScenario& scenario, QObject* parent = nullptr);

    // Binds every socket and starts the script; on failure `error` says which
    // socket.
    bool start(QString* error);

    quint16 masterPort() const;
    QList<quint16> serverPorts() const;
    TestMasterServer* master() const { return m_master; }
    const QList<TestGameServer*>& gameServers() const { return m_servers; }

    // "READY master=18444 servers=40001,40002" (the line tools wait for).
    QString readyLine() const;

Q_SIGNALS:
    // One line per datagram: "RECV <who> <sender address>:<port> <hex>",
    // with who "master" or "server:<port>"; one per script step: "STEP <ms>
    // <action> server:<port> [value]".
    void logLine(const QString& line);

private:
    void runDueSteps();

    TestScenario m_scenario;
    QElapsedTimer m_scriptClock;
    QTimer m_scriptTimer;
    qsizetype m_nextStep = 0;
    TestMasterServer* m_master;
    QList<TestGameServer*> m_servers;
};
