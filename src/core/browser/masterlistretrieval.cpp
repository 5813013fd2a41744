#include "core/browser/masterlistretrieval.h"

#include "core/wire/addresscache.h"
#include "core/wire/masterprotocol.h"
#include "core/platform/datapaths.h"
#include "core/platform/socket.h"
#include "core/settings/settings.h"

MasterListRetrieval::MasterListRetrieval(Socket* wsrf, const Settings* settings, QObject* parent)
    : QObject(parent), m_wsrf(wsrf), m_settings(settings)
{
    m_silenceTimer.setSingleShot(true);
    m_silenceTimer.setInterval(defaultSilenceTimeoutMs);
    connect(&m_silenceTimer, &QTimer::timeout, this, &MasterListRetrieval::onSilence);
    connect(m_wsrf, &Socket::dataArrival, this, &MasterListRetrieval::onDataArrival);
    connect(m_wsrf, &Socket::error, this,
            [this](int, const QString& description) { onSocketError(description); });
}

void MasterListRetrieval::start()
{
    const std::optional<quint16> masterPort = m_settings->port(Settings::MasterPort);
    if (!masterPort) {
        Q_EMIT statusChanged(Settings::invalidPortMessage(Settings::MasterPort));
        return;
    }
    const std::optional<quint16> localPort = m_settings->port(Settings::MasterLocalPort);
    if (!localPort) {
        Q_EMIT statusChanged(Settings::invalidPortMessage(Settings::MasterLocalPort));
        return;
    }

    setRunning(true);
    m_silenceTimer.stop();
    m_file.close();
    m_file.setFileName(DataPaths::cacheFile());
    DataPaths::ensureFolderFor(m_file.fileName());
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Q_EMIT statusChanged(QStringLiteral("Error: Cannot write the server list to %1 (%2)")
                                 .arg(m_file.fileName(), m_file.errorString()));
        finish();
        return;
    }

    m_wsrf->close();
    m_wsrf->setRemoteHost(m_settings->value(Settings::MasterHost));
    m_wsrf->setRemotePort(*masterPort);
    m_wsrf->setLocalPort(*localPort);
    m_wsrf->sendData(MasterProtocol::listRequest());
    m_silenceTimer.start();
}

void MasterListRetrieval::stop()
{
    finish();
}

void MasterListRetrieval::onDataArrival()
{
    // Read first, so that a datagram that is ignored is still consumed.
    const QByteArray datagram = m_wsrf->getData(maxDatagramSize);
    if (!m_running || !isFromMaster())
        return;
    m_silenceTimer.start();

    const std::optional<MasterDatagram> parsed = MasterProtocol::parse(datagram);
    if (!parsed)
        return;
    if (parsed->type == MasterProtocol::ListPart)
        handleListPart(*parsed);
    else if (parsed->type == MasterProtocol::ListEnd)
        handleListEnd(*parsed);
}

bool MasterListRetrieval::isFromMaster() const
{
    // The remote address stays null until a host name has been resolved and
    // the request sent; nobody can be the master before that.
    const QHostAddress master = m_wsrf->remoteAddress();
    return !master.isNull() && m_wsrf->lastSenderPort() == m_wsrf->remotePort() &&
           m_wsrf->lastSenderAddress().isEqual(master, QHostAddress::TolerantConversion);
}

void MasterListRetrieval::handleListPart(const MasterDatagram& part)
{
    // Without its counts a list part cannot be read; leaving it
    // unacknowledged lets the master server send it again.
    if (!part.hasCounts)
        return;
    Q_EMIT statusChanged(QStringLiteral("Found %1 servers").arg(part.serverTotal));
    m_wsrf->sendData(MasterProtocol::acknowledgement(part.echo));
    if (part.serverTotal == 0)
        return;
    for (const ServerRecord& record : part.records)
        m_file.write(AddressCache::formatRecord(record));
    m_file.flush();
}

void MasterListRetrieval::handleListEnd(const MasterDatagram& end)
{
    m_wsrf->sendData(MasterProtocol::acknowledgement(end.echo));
    finish();
    Q_EMIT listComplete();
}

void MasterListRetrieval::onSocketError(const QString& description)
{
    if (!m_running)
        return;
    Q_EMIT statusChanged(QStringLiteral("WSRF Error : ") + description);
    finish();
}

void MasterListRetrieval::onSilence()
{
    if (!m_running)
        return;
    Q_EMIT statusChanged(QStringLiteral(
        "Error: The master server did not answer. Check Master Server IP and Master Server "
        "Port in Options, then click Get List again."));
    finish();
}

void MasterListRetrieval::finish()
{
    m_silenceTimer.stop();
    m_file.close();
    m_wsrf->close();
    setRunning(false);
}

void MasterListRetrieval::setRunning(bool running)
{
    if (m_running == running)
        return;
    m_running = running;
    Q_EMIT runningChanged(running);
}
