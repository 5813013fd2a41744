#pragma once

#include "core/browser/watchevents.h"
#include "core/wire/serverendpoint.h"
#include "query/queryoptions.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <optional>

class Friends;
class QueryRun;

// varnholt-query --watch: one QueryRun a round, from the same sources and
// with the same options, a round starting every interval (or as soon as the
// last ended, if it took longer); between rounds only a timer runs. The
// first round gives the snapshot line, each later one a line per change
// that WatchEvents finds, for the servers the filters let through.
class WatchRun : public QObject
{
    Q_OBJECT
public:
    // `friends`, if given, limits the player events to its names; not owned.
    WatchRun(const QueryOptions& options, const Friends* friends, QObject* parent = nullptr);

    void start(const std::optional<ServerEndpoint>& master, const QList<ServerEndpoint>& servers);
    // Ends the round under way, if any; no more lines come.
    void stop();

    int rounds() const { return m_rounds; }

Q_SIGNALS:
    // One JSON line, ended with LF.
    void line(const QByteArray& text);
    void roundFinished(int rounds);
    // A round that failed (the master did not answer...): it gives no line.
    void warning(const QString& message);

private:
    void startRound();
    void finishRound();
    void scheduleNext();
    bool reports(const WatchEvent& event) const;

    const QueryOptions m_options;
    const Friends* m_friends;
    std::optional<ServerEndpoint> m_master;
    QList<ServerEndpoint> m_servers;
    QPointer<QueryRun> m_run;
    WatchEvents m_events;
    QElapsedTimer m_roundClock;
    QTimer m_next;
    int m_rounds = 0;
    bool m_stopped = false;
};
