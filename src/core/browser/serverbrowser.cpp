#include "core/browser/serverbrowser.h"

#include "core/browser/favourites.h"
#include "core/browser/masterlistclient.h"
#include "core/browser/serverlistfile.h"
#include "core/browser/serverquerier.h"
#include "core/platform/datapaths.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"
#include "core/wire/addresscache.h"

#include <algorithm>
#include <utility>

namespace {

const QString receivingStatus = QStringLiteral("Receiving...");
const QString readyStatus = QStringLiteral("Ready");
const QString filtersNotSetStatus = QStringLiteral("Error: Please set game filters first");
const QString noCacheFileStatus = QStringLiteral("Error: Please GET LIST first.");
const QString refreshRefusedStatus =
    QStringLiteral("Error: Please wait until the list is complete before refreshing one server");
const QString masterErrorPrefix = QStringLiteral("WSRF Error : ");
const QString querierErrorPrefix = QStringLiteral("WSRF2 Error : ");
const QString masterSilentStatus =
    QStringLiteral("Error: The master server did not answer. Check Master Server IP and Master "
                   "Server Port in Options, then click Get List again.");

} // namespace

ServerBrowser::ServerBrowser(const Settings* settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_masterList(new MasterListClient(this)),
      m_querier(new ServerQuerier(this))
{
    connect(m_masterList, &MasterListClient::listPartReceived, this, &ServerBrowser::onListPart);
    connect(m_masterList, &MasterListClient::finished, this, &ServerBrowser::onListFinished);
    connect(m_masterList, &MasterListClient::failed, this,
            [this](MasterListClient::Failure failure, const QString& description) {
                m_cacheWriter.close();
                endWith(masterFailureStatus(failure, description));
            });

    connect(m_querier, &ServerQuerier::serverAsked, this,
            [this] { Q_EMIT statusChanged(receivingStatus); });
    connect(m_querier, &ServerQuerier::entryReceived, this, [this](const ServerEntry& entry) {
        if (m_activity != Activity::RefreshingOne) {
            Q_EMIT entryReceived(entry);
            return;
        }
        m_refreshAnswered = true;
        Q_EMIT entryRefreshed(entry);
    });
    connect(m_querier, &ServerQuerier::serverSilent, this, [this](const ServerEndpoint& server) {
        // A single server asked again says so in the status line instead.
        if (m_activity == Activity::RefreshingOne)
            return;
        m_silentNow.insert(server);
        ServerEntry entry;
        entry.endpoint = server;
        entry.answered = false;
        Q_EMIT serverSilent(entry);
    });
    connect(m_querier, &ServerQuerier::socketError, this, [this](const QString& description) {
        Q_EMIT statusChanged(querierFailureStatus(description));
    });
    connect(m_querier, &ServerQuerier::finished, this, [this] {
        if (m_activity == Activity::Querying)
            m_lastSilent = std::exchange(m_silentNow, {});
        endWith(m_activity == Activity::RefreshingOne && !m_refreshAnswered
                    ? QStringLiteral("Error: %1 did not answer").arg(m_refreshTarget.text())
                    : readyStatus);
    });
    connect(m_querier, &ServerQuerier::failed, this,
            [this](const QString& description) { endWith(querierFailureStatus(description)); });
}

QString ServerBrowser::masterFailureStatus(MasterListClient::Failure failure,
                                           const QString& description)
{
    return failure == MasterListClient::Failure::Silence ? masterSilentStatus
                                                         : masterErrorPrefix + description;
}

QString ServerBrowser::querierFailureStatus(const QString& description)
{
    return querierErrorPrefix + description;
}

void ServerBrowser::getList()
{
    if (isBusy())
        return;
    // Invalid ports are refused before anything is touched.
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

    setActivity(Activity::Retrieving);
    if (!m_cacheFile.isEmpty()) {
        m_cacheWriter.setFileName(m_cacheFile);
        DataPaths::ensureFolderFor(m_cacheFile);
        if (!m_cacheWriter.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            endWith(QStringLiteral("Error: Cannot write the server list to %1 (%2)")
                        .arg(m_cacheFile, m_cacheWriter.errorString()));
            return;
        }
    }
    m_masterList->start(m_settings->value(Settings::MasterHost), *masterPort, *localPort);
}

void ServerBrowser::onListPart(quint16 serverTotal, const QList<ServerEndpoint>& servers)
{
    Q_EMIT statusChanged(QStringLiteral("Found %1 servers").arg(serverTotal));
    if (!m_cacheWriter.isOpen())
        return;
    for (const ServerEndpoint& server : servers)
        m_cacheWriter.write(AddressCache::formatServer(server.host, server.port));
    m_cacheWriter.flush();
}

void ServerBrowser::onListFinished(const QList<ServerEndpoint>& servers)
{
    m_cacheWriter.close();
    setActivity(Activity::Querying);
    runQuery(servers);
}

void ServerBrowser::refresh()
{
    if (isBusy())
        return;
    setActivity(Activity::Querying);
    const std::optional<quint16> localPort = prepareQuery();
    if (!localPort)
        return;
    const std::optional<QList<ServerEndpoint>> servers = readCacheFile();
    // Without the file the favourites are asked alone, so a player still
    // sees them while the master server is down.
    if (!servers && withFavourites({}).isEmpty()) {
        endWith(noCacheFileStatus);
        return;
    }
    startQuerier(withFavourites(servers.value_or(QList<ServerEndpoint>())), *localPort);
}

bool ServerBrowser::refreshServer(const ServerEndpoint& server)
{
    if (isBusy()) {
        Q_EMIT statusChanged(refreshRefusedStatus);
        return false;
    }
    const std::optional<quint16> localPort = m_settings->port(Settings::QueryLocalPort);
    if (!localPort) {
        Q_EMIT statusChanged(Settings::invalidPortMessage(Settings::QueryLocalPort));
        return false;
    }
    m_refreshAnswered = false;
    m_refreshTarget = server;
    setActivity(Activity::RefreshingOne);
    m_querier->start({server}, *localPort);
    return true;
}

QList<ServerEndpoint> ServerBrowser::withFavourites(QList<ServerEndpoint> servers) const
{
    if (!m_favourites)
        return servers;
    for (const ServerEndpoint& favourite : m_favourites->servers()) {
        if (!servers.contains(favourite))
            servers.append(favourite);
    }
    return servers;
}

void ServerBrowser::query(const QList<ServerEndpoint>& servers)
{
    if (isBusy())
        return;
    setActivity(Activity::Querying);
    runQuery(servers);
}

void ServerBrowser::runQuery(const QList<ServerEndpoint>& servers)
{
    if (const std::optional<quint16> localPort = prepareQuery())
        startQuerier(withFavourites(servers), *localPort);
}

void ServerBrowser::startQuerier(QList<ServerEndpoint> servers, quint16 localPort)
{
    m_silentNow.clear();
    if (!m_preferences || !m_preferences->flag(Preferences::ParallelRefresh)) {
        m_querier->start(servers, localPort);
        return;
    }
    // The silent servers' waits are the longest: begun first, they end
    // while the others are still being asked.
    std::stable_partition(servers.begin(), servers.end(), [this](const ServerEndpoint& server) {
        return m_lastSilent.contains(server);
    });
    m_querier->startParallel(servers, localPort, m_preferences->requestsPerSecond());
}

std::optional<quint16> ServerBrowser::prepareQuery()
{
    // Without both choices the list keeps the rows it has.
    if (!m_filter.isComplete()) {
        endWith(filtersNotSetStatus);
        return std::nullopt;
    }
    Q_EMIT listCleared();
    const std::optional<quint16> localPort = m_settings->port(Settings::QueryLocalPort);
    if (!localPort)
        endWith(Settings::invalidPortMessage(Settings::QueryLocalPort));
    return localPort;
}

std::optional<QList<ServerEndpoint>> ServerBrowser::readCacheFile() const
{
    if (m_cacheFile.isEmpty())
        return std::nullopt;
    QFile file(m_cacheFile);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ServerListFile::fromAddressCache(file.readAll());
}

void ServerBrowser::stop()
{
    m_masterList->stop();
    m_querier->stop();
    m_cacheWriter.close();
    setActivity(Activity::Idle);
}

void ServerBrowser::endWith(const QString& status)
{
    Q_EMIT statusChanged(status);
    setActivity(Activity::Idle);
}

void ServerBrowser::setActivity(Activity activity)
{
    const bool wasBusy = isBusy();
    m_activity = activity;
    if (isBusy() != wasBusy)
        Q_EMIT busyChanged(isBusy());
}
