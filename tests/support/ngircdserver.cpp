#include "ngircdserver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
constexpr int startAttempts = 3;
constexpr int startTimeoutMs = 10000;

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}
} // namespace

NgircdServer::NgircdServer(int pingTimeoutSeconds) : m_pingTimeout(pingTimeoutSeconds)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

NgircdServer::~NgircdServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool NgircdServer::isInstalled()
{
    return QFileInfo(QString::fromLatin1(executable)).isExecutable();
}

bool NgircdServer::writeConfig()
{
    // Started as root, ngIRCd drops to "nobody" before it writes its PID
    // file, so the folder must be open to that user.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther);
    // An empty include folder keeps the system's snippets out.
    const QString includeDir = m_dir.filePath(QStringLiteral("conf.d"));
    QDir().mkpath(includeDir);
    m_configPath = m_dir.filePath(QStringLiteral("ngircd.config"));
    QFile file(m_configPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("cannot write ") + m_configPath;
        return false;
    }
    const QString config = QStringLiteral("[Global]\n"
                                          "Name = %1\n"
                                          "Info = Varnholt test server\n"
                                          "AdminInfo1 = Varnholt tests\n"
                                          "AdminInfo2 = loopback only\n"
                                          "AdminEMail = tests@varnholt.test\n"
                                          "Listen = 127.0.0.1\n"
                                          "Ports = %2\n"
                                          "PidFile = %3\n"
                                          "MotdPhrase = Varnholt test server\n"
                                          "[Limits]\n"
                                          "PingTimeout = %4\n"
                                          "PongTimeout = %4\n"
                                          "MaxConnectionsIP = 0\n"
                                          "MaxNickLength = 30\n"
                                          "[Options]\n"
                                          "DNS = no\n"
                                          "Ident = no\n"
                                          "PAM = no\n"
                                          "IncludeDir = %5\n")
                               .arg(QString::fromLatin1(serverName))
                               .arg(m_port)
                               .arg(m_dir.filePath(QStringLiteral("ngircd.pid")))
                               .arg(m_pingTimeout)
                               .arg(includeDir);
    file.write(config.toUtf8());
    return true;
}

bool NgircdServer::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    // The free port can be taken between the probe and ngIRCd's bind.
    for (int attempt = 0; attempt < startAttempts; ++attempt) {
        m_port = freeLoopbackPort();
        if (m_port == 0 || !writeConfig())
            continue;
        m_process.start(QString::fromLatin1(executable),
                        {QStringLiteral("--nodaemon"), QStringLiteral("--config"), m_configPath});
        if (!m_process.waitForStarted(startTimeoutMs)) {
            m_error = m_process.errorString();
            continue;
        }
        if (waitUntilAccepting())
            return true;
        m_process.kill();
        m_process.waitForFinished(5000);
        m_error = QStringLiteral("ngircd did not accept connections on port %1: %2")
                      .arg(m_port)
                      .arg(QString::fromLocal8Bit(m_process.readAll()));
    }
    return false;
}

bool NgircdServer::waitUntilAccepting()
{
    const QDeadlineTimer deadline(startTimeoutMs);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(200)) {
            probe.abort();
            return true;
        }
        // Refused at once while ngIRCd is still starting: give it a moment.
        m_process.waitForFinished(100);
    }
    return false;
}
