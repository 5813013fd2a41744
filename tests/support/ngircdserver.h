#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private ngIRCd on a free port of 127.0.0.1, configured in a temporary
// folder and stopped when this object goes. Tests check isInstalled() first
// and skip when the package is missing.
class NgircdServer
{
public:
    static constexpr auto executable = "/usr/sbin/ngircd";
    static constexpr auto notInstalledMessage =
        "ngircd is not installed (/usr/sbin/ngircd); run scripts/install-deps.sh";
    static constexpr auto serverName = "irc.varnholt.test";
    // An IRC operator, so a test client can KILL another.
    static constexpr auto operatorName = "varnholt";
    static constexpr auto operatorPassword = "test-only";

    // pingTimeoutSeconds is both the idle time before the server's PING and
    // the time it waits for the PONG; ngIRCd accepts 5 at the least.
    explicit NgircdServer(int pingTimeoutSeconds = 120);
    ~NgircdServer();
    NgircdServer(const NgircdServer&) = delete;
    NgircdServer& operator=(const NgircdServer&) = delete;

    static bool isInstalled();

    // Before start(): a TLS port with a self-signed certificate for
    // certificateHost, made with openssl; on failure errorString() says why.
    bool enableTls(const QString& certificateHost);
    quint16 tlsPort() const { return m_tlsPort; }
    // The certificate as PEM, for the client's trusted certificates.
    QString certificateFile() const { return m_dir.filePath(QStringLiteral("cert.pem")); }

    // Starts the server and waits (bounded) until its port accepts; on
    // failure errorString() says why.
    bool start();
    quint16 port() const { return m_port; }
    QString errorString() const { return m_error; }

private:
    bool writeConfig();
    bool waitUntilAccepting();

    int m_pingTimeout;
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    quint16 m_tlsPort = 0;
    QString m_configPath;
    QString m_error;
};
