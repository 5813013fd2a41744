#include "testnetprocess.h"

#include <QDeadlineTimer>

TestNetProcess::TestNetProcess(const QStringList& arguments)
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(QStringLiteral(VARNHOLT_BIN_DIR "/varnholt-testnet"), arguments);
}

TestNetProcess::~TestNetProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool TestNetProcess::waitForReady(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        while (m_process.canReadLine()) {
            const QString line = QString::fromLatin1(m_process.readLine()).trimmed();
            if (line.startsWith(QLatin1String("READY ")))
                return parseReadyLine(line);
        }
        if (m_process.state() == QProcess::NotRunning) {
            m_failure = QStringLiteral("varnholt-testnet ended: ") +
                        QString::fromLocal8Bit(m_process.readAllStandardError()) +
                        m_process.errorString();
            return false;
        }
        m_process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    }
    m_failure = QStringLiteral("varnholt-testnet printed no ready line in time");
    return false;
}

bool TestNetProcess::parseReadyLine(const QString& line)
{
    // READY master=<port> servers=<port>,<port>,...
    const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
    for (const QString& field : fields) {
        if (field.startsWith(QLatin1String("master=")))
            m_masterPort = quint16(field.mid(7).toUInt());
        if (field.startsWith(QLatin1String("servers="))) {
            for (const QString& port : field.mid(8).split(u',', Qt::SkipEmptyParts))
                m_serverPorts.append(quint16(port.toUInt()));
        }
    }
    if (m_masterPort == 0)
        m_failure = QStringLiteral("bad ready line: ") + line;
    return m_masterPort != 0;
}

QStringList TestNetProcess::takeLines()
{
    QStringList lines;
    while (m_process.canReadLine())
        lines.append(QString::fromLatin1(m_process.readLine()).trimmed());
    return lines;
}
