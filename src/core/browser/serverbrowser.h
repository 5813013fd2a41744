#pragma once

#include "core/browser/masterlistclient.h"
#include "core/browser/serverentry.h"
#include "core/settings/serverfilter.h"
#include "core/wire/serverendpoint.h"

#include <QFile>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <optional>

class Favourites;
class Preferences;
class ServerQuerier;
class Settings;

// The server browser as a player drives it: Get List fetches the master's
// list, keeps it in the address cache file and asks every listed server;
// Refresh asks the servers of the file again. Settings are read at the
// moment of use; the preferences (fast refresh and its rate) when a run of
// queries starts. Only one of the two runs at a time. A fast run asks the
// servers that were silent in the last run first, so that their waits run
// while the others answer.
class ServerBrowser : public QObject
{
    Q_OBJECT
public:
    explicit ServerBrowser(const Settings* settings, QObject* parent = nullptr);

    // Without preferences every run asks one server at a time.
    void setPreferences(const Preferences* preferences) { m_preferences = preferences; }

    // Where Get List writes the servers and Refresh reads them. Empty: no
    // file is touched, and Refresh has nothing to read.
    void setCacheFile(const QString& path) { m_cacheFile = path; }
    QString cacheFile() const { return m_cacheFile; }

    // A query starts only once both choices of the filter are made; which
    // replies are shown is the list's affair.
    void setFilter(const ServerFilter& filter) { m_filter = filter; }
    ServerFilter filter() const { return m_filter; }

    // Asked in every cycle after the listed servers (a favourite listed
    // there is asked once); Refresh without the file asks them alone. The
    // browser does not own them.
    void setFavourites(const Favourites* favourites) { m_favourites = favourites; }

    // Each is ignored while the browser is busy.
    void getList();
    void refresh();
    // Asks these servers as Refresh asks those of the file.
    void query(const QList<ServerEndpoint>& servers);
    // Asks one server again without clearing the list; its answer comes as
    // entryRefreshed(). Refused with a status while anything else runs.
    bool refreshServer(const ServerEndpoint& server);
    // Abandons whatever runs, without a status (shut-down).
    void stop();
    bool isBusy() const { return m_activity != Activity::Idle; }

    // The status of a Get List whose master server failed, and of a query
    // run whose socket failed: what the player reads, wherever it is shown.
    static QString masterFailureStatus(MasterListClient::Failure failure,
                                       const QString& description);
    static QString querierFailureStatus(const QString& description);

    // The two exchanges, for their time-outs.
    MasterListClient* masterList() const { return m_masterList; }
    ServerQuerier* querier() const { return m_querier; }

Q_SIGNALS:
    void statusChanged(const QString& text);
    void busyChanged(bool busy);
    void listCleared();
    // Every reply, whether or not it passes the filter.
    void entryReceived(const ServerEntry& entry);
    // The answer of a server asked by refreshServer().
    void entryRefreshed(const ServerEntry& entry);
    // A server that did not answer in its time: answered is false.
    void serverSilent(const ServerEntry& entry);

private:
    enum class Activity
    {
        Idle,
        Retrieving,
        Querying,
        RefreshingOne,
    };

    void onListPart(quint16 serverTotal, const QList<ServerEndpoint>& servers);
    void onListFinished(const QList<ServerEndpoint>& servers);
    void runQuery(const QList<ServerEndpoint>& servers);
    QList<ServerEndpoint> withFavourites(QList<ServerEndpoint> servers) const;
    std::optional<quint16> prepareQuery();
    void startQuerier(QList<ServerEndpoint> servers, quint16 localPort);
    std::optional<QList<ServerEndpoint>> readCacheFile() const;
    void endWith(const QString& status);
    void setActivity(Activity activity);

    const Settings* m_settings;
    const Favourites* m_favourites = nullptr;
    const Preferences* m_preferences = nullptr;
    MasterListClient* m_masterList;
    ServerQuerier* m_querier;
    ServerFilter m_filter;
    QString m_cacheFile;
    // Open for writing while Get List runs.
    QFile m_cacheWriter;
    Activity m_activity = Activity::Idle;
    ServerEndpoint m_refreshTarget;
    bool m_refreshAnswered = false;
    // Silent in the last run that ended, and so far in this one.
    QSet<ServerEndpoint> m_lastSilent;
    QSet<ServerEndpoint> m_silentNow;
};
