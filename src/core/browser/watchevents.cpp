#include "core/browser/watchevents.h"

#include <QSet>

#include <algorithm>

namespace {

// The names in `of` beyond those in `than`, counting a name twice if it is
// there twice.
QStringList beyond(const QStringList& of, QStringList than)
{
    QStringList extra;
    for (const QString& name : of) {
        if (!than.removeOne(name))
            extra.append(name);
    }
    return extra;
}

WatchEvent event(WatchEvent::Kind kind, const ServerEndpoint& server, const ServerEntry& entry)
{
    WatchEvent made;
    made.kind = kind;
    made.server = server;
    made.entry = entry;
    return made;
}

} // namespace

QList<WatchEvent> WatchEvents::look(const QList<WatchedServer>& servers)
{
    QList<WatchEvent> events;
    QSet<ServerEndpoint> seen;
    for (const WatchedServer& now : servers) {
        if (seen.contains(now.server))
            continue;
        seen.insert(now.server);
        const bool answers = now.entry && now.entry->answered;
        auto it = m_states.find(now.server);
        if (it == m_states.end()) {
            State state;
            if (answers) {
                state = {now.entry, now.players, 0, true};
                if (m_started)
                    events.append(event(WatchEvent::Kind::ServerUp, now.server, *now.entry));
            } else {
                state.silentLooks = 1;
            }
            m_states.insert(now.server, state);
        } else if (answers) {
            answered(now, *it, events);
        } else {
            silent(now.server, *it, events);
        }
    }

    QList<ServerEndpoint> missing;
    for (auto it = m_states.cbegin(); it != m_states.cend(); ++it) {
        if (!seen.contains(it.key()))
            missing.append(it.key());
    }
    std::sort(missing.begin(), missing.end(), [](const ServerEndpoint& a, const ServerEndpoint& b) {
        return std::tie(a.host, a.port) < std::tie(b.host, b.port);
    });
    for (const ServerEndpoint& server : missing) {
        State& state = m_states[server];
        silent(server, state, events);
        if (!state.up && state.silentLooks >= 2)
            m_states.remove(server);
    }
    m_started = true;
    return events;
}

void WatchEvents::reset()
{
    m_states.clear();
    m_started = false;
}

void WatchEvents::answered(const WatchedServer& now, State& state, QList<WatchEvent>& events)
{
    const ServerEntry& entry = *now.entry;
    if (!state.up) {
        events.append(event(WatchEvent::Kind::ServerUp, now.server, entry));
        state = {entry, now.players, 0, true};
        return;
    }
    const InfoReply& before = state.last->info;
    if (before.players != entry.info.players) {
        WatchEvent changed = event(WatchEvent::Kind::PlayersChanged, now.server, entry);
        changed.playersBefore = before.players;
        changed.playersAfter = entry.info.players;
        events.append(changed);
    }
    if (state.players && now.players) {
        for (const QString& name : beyond(*now.players, *state.players)) {
            WatchEvent joined = event(WatchEvent::Kind::PlayerJoined, now.server, entry);
            joined.player = name;
            events.append(joined);
        }
        for (const QString& name : beyond(*state.players, *now.players)) {
            WatchEvent left = event(WatchEvent::Kind::PlayerLeft, now.server, entry);
            left.player = name;
            events.append(left);
        }
    }
    if (before.map != entry.info.map) {
        WatchEvent changed = event(WatchEvent::Kind::MapChanged, now.server, entry);
        changed.mapBefore = QString::fromLatin1(before.map);
        events.append(changed);
    }
    state.last = entry;
    if (now.players)
        state.players = now.players;
    state.silentLooks = 0;
}

void WatchEvents::silent(const ServerEndpoint& server, State& state, QList<WatchEvent>& events)
{
    ++state.silentLooks;
    if (state.up && state.silentLooks >= 2) {
        events.append(event(WatchEvent::Kind::ServerDown, server, *state.last));
        state.up = false;
    }
}
