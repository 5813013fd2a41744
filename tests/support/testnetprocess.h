#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs varnholt-testnet from the build's bin folder for as long as it lives
// (killed in the destructor). Its ports are known once waitForReady() saw
// the ready line.
class TestNetProcess
{
public:
    explicit TestNetProcess(const QStringList& arguments);
    ~TestNetProcess();
    TestNetProcess(const TestNetProcess&) = delete;
    TestNetProcess& operator=(const TestNetProcess&) = delete;

    // Waits at most `timeoutMs` for the ready line; false with failure() set
    // if it does not come.
    bool waitForReady(int timeoutMs = 10000);
    QString failure() const { return m_failure; }

    quint16 masterPort() const { return m_masterPort; }
    QList<quint16> serverPorts() const { return m_serverPorts; }

    // The complete lines printed after the ready line so far (e.g. --log).
    QStringList takeLines();

private:
    bool parseReadyLine(const QString& line);

    QProcess m_process;
    QString m_failure;
    quint16 m_masterPort = 0;
    QList<quint16> m_serverPorts;
};
