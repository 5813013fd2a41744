#include "ngircdserver.h"

#include "freeport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
constexpr int startAttempts = 3;
constexpr int startTimeoutMs = 10000;

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
                                          "IncludeDir = %5\n"
                                          "[Operator]\n"
                                          "Name = %6\n"
                                          "Password = %7\n")
                               .arg(QString::fromLatin1(serverName))
                               .arg(m_port)
                               .arg(m_dir.filePath(QStringLiteral("ngircd.pid")))
                               .arg(m_pingTimeout)
                               .arg(includeDir, QString::fromLatin1(operatorName),
                                    QString::fromLatin1(operatorPassword));
    file.write(config.toUtf8());
    if (m_tlsPort != 0) {
        file.write(QStringLiteral("[SSL]\nKeyFile = %1\nCertFile = %2\nDHFile = %3\nPorts = %4\n")
                       .arg(m_dir.filePath(QStringLiteral("key.pem")), certificateFile(),
                            m_dir.filePath(QStringLiteral("dh.pem")))
                       .arg(m_tlsPort)
                       .toUtf8());
    }
    return true;
}

bool NgircdServer::enableTls(const QString& certificateHost)
{
    // A P-256 key and fixed RFC 7919 DH parameters take no time to make;
    // without a DH file ngIRCd would compute its own for seconds.
    using namespace Qt::StringLiterals;
    const QList<QStringList> commands = {
        {u"req"_s, u"-x509"_s, u"-newkey"_s, u"ec"_s, u"-pkeyopt"_s,
         u"ec_paramgen_curve:prime256v1"_s, u"-nodes"_s, u"-days"_s, u"2"_s, u"-subj"_s,
         u"/CN="_s + certificateHost, u"-addext"_s, u"subjectAltName=DNS:"_s + certificateHost,
         u"-keyout"_s, m_dir.filePath(u"key.pem"_s), u"-out"_s, certificateFile()},
        {u"genpkey"_s, u"-genparam"_s, u"-algorithm"_s, u"DH"_s, u"-pkeyopt"_s,
         u"group:ffdhe2048"_s, u"-out"_s, m_dir.filePath(u"dh.pem"_s)}};
    for (const QStringList& arguments : commands) {
        QProcess openssl;
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        openssl.start(QStringLiteral("openssl"), arguments);
        if (!openssl.waitForFinished(startTimeoutMs) || openssl.exitCode() != 0) {
            m_error = QStringLiteral("openssl failed: ") + openssl.errorString() + u' ' +
                      QString::fromLocal8Bit(openssl.readAll());
            return false;
        }
    }
    m_tlsPort = freeTcpPort();
    return m_tlsPort != 0;
}

bool NgircdServer::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    // The free port can be taken between the probe and ngIRCd's bind.
    for (int attempt = 0; attempt < startAttempts; ++attempt) {
        m_port = freeTcpPort();
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
