#pragma once

#include "core/browser/serverentry.h"
#include "core/wire/addresscache.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class Settings;
class Socket;
struct InfoReply;

// Asks every server in the address cache file, one at a time and in file
// order, for its state, and turns each reply that passes the version and
// game-type filters into an entry of the server list.
//
// The cycle is event-driven: it sends one info request, then returns to the
// event loop until that server's reply has been handled or the reply time-out
// has passed, and only then sends the next request. Only a datagram from the
// address and port of the server being asked counts as its reply.
class QueryCycle : public QObject
{
    Q_OBJECT
public:
    // Filter values: 0 to 3 choose a version ("1.0" to "1.3") or a game type
    // (0 DM, 1 CTF, 2 TDM); 4 lets everything through; -1 is "not chosen yet"
    // and keeps the cycle from starting.
    static constexpr qint16 filterNotSet = -1;
    static constexpr qint16 filterAll = 4;
    static constexpr int defaultReplyTimeoutMs = 4000;

    QueryCycle(Socket* wsrf2, const Settings* settings, QObject* parent = nullptr);
    ~QueryCycle() override;

    // Refresh: clears the list and asks every cached server again. Ignored
    // while a cycle runs.
    void start();
    // Abandons a running cycle and closes the socket (shut-down).
    void stop();
    bool isRunning() const { return m_running; }

    void setVersionFilter(qint16 filter) { m_versionFilter = filter; }
    qint16 versionFilter() const { return m_versionFilter; }
    void setGameTypeFilter(qint16 filter) { m_gameTypeFilter = filter; }
    qint16 gameTypeFilter() const { return m_gameTypeFilter; }

    // How long to wait for each server's reply.
    void setReplyTimeout(int milliseconds) { m_replyTimeout = milliseconds; }
    int replyTimeout() const { return m_replyTimeout; }

Q_SIGNALS:
    void statusChanged(const QString& text);
    // True from the start of a cycle to its end, including the early endings.
    void runningChanged(bool running);
    void listCleared();
    void entryReceived(const ServerEntry& entry);

private:
    void endCycle(const QString& status);
    void queryNextServer();
    void onDataArrival();
    void onWaitOver();
    void onSocketError(int number, const QString& description);
    // True when the datagram was the current server's reply.
    bool handleDatagram(const QByteArray& datagram);
    bool passesFilters(const InfoReply& reply) const;

    Socket* m_wsrf2;
    const Settings* m_settings;
    qint16 m_versionFilter = filterNotSet;
    qint16 m_gameTypeFilter = filterNotSet;
    int m_replyTimeout = defaultReplyTimeoutMs;

    bool m_running = false;
    // Bumped whenever a cycle starts or ends, so that work belonging to an
    // abandoned cycle can tell it is stale.
    quint64 m_cycleId = 0;
    QList<CachedServer> m_servers;
    qsizetype m_nextServer = 0;

    bool m_waiting = false;
    QString m_currentAddressLine;
    quint16 m_currentPort = 0;
    QElapsedTimer m_sendClock;
    // Ends the wait: the reply time-out, or zero once the reply is handled.
    QTimer m_waitTimer;
};
