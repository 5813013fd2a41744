#include "query/watchrun.h"

#include "core/browser/friends.h"
#include "query/queryrun.h"
#include "query/reportformats.h"

#include <QDateTime>

WatchRun::WatchRun(const QueryOptions& options, const Friends* friends, QObject* parent)
    : QObject(parent), m_options(options), m_friends(friends)
{
    m_next.setSingleShot(true);
    connect(&m_next, &QTimer::timeout, this, &WatchRun::startRound);
}

void WatchRun::start(const std::optional<ServerEndpoint>& master,
                     const QList<ServerEndpoint>& servers)
{
    m_master = master;
    m_servers = servers;
    startRound();
}

void WatchRun::stop()
{
    m_stopped = true;
    m_next.stop();
    delete m_run;
}

void WatchRun::startRound()
{
    if (m_stopped)
        return;
    m_roundClock.start();
    m_run = new QueryRun(m_options, this);
    connect(m_run, &QueryRun::warning, this, &WatchRun::warning);
    connect(m_run, &QueryRun::finished, this, &WatchRun::finishRound);
    connect(m_run, &QueryRun::failed, this, [this](const QString& message) {
        // A round that saw nothing says nothing: no server counts as silent.
        Q_EMIT warning(message);
        scheduleNext();
    });
    m_run->start(m_master, m_servers);
}

void WatchRun::finishRound()
{
    QList<WatchedServer> look;
    look.reserve(m_run->allServers().size());
    for (const QueryReport::Server& server : m_run->allServers()) {
        WatchedServer watched{server.entry.endpoint, std::nullopt, std::nullopt};
        if (server.entry.answered)
            watched.entry = server.entry;
        if (server.players) {
            QStringList names;
            for (const PlayerList::Player& player : server.players->players)
                names.append(QString::fromLatin1(player.name));
            watched.players = names;
        }
        look.append(watched);
    }
    const QList<WatchEvent> events = m_events.look(look);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (m_rounds == 0) {
        Q_EMIT line(ReportFormats::snapshotLine(m_run->report(), now));
    } else {
        for (const WatchEvent& event : events) {
            if (reports(event))
                Q_EMIT line(ReportFormats::eventLine(event, now));
        }
    }
    ++m_rounds;
    Q_EMIT roundFinished(m_rounds);
    scheduleNext();
}

void WatchRun::scheduleNext()
{
    // The run is done: its sockets go before the next round opens its own.
    if (m_run)
        m_run->deleteLater();
    if (m_stopped)
        return;
    m_next.start(int(qMax<qint64>(0, *m_options.watchIntervalMs - m_roundClock.elapsed())));
}

bool WatchRun::reports(const WatchEvent& event) const
{
    if (!m_options.filter.passes(event.entry.info))
        return false;
    const bool playerEvent =
        event.kind == WatchEvent::Kind::PlayerJoined || event.kind == WatchEvent::Kind::PlayerLeft;
    return !playerEvent || !m_friends || m_friends->matches(event.player);
}
