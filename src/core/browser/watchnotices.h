#pragma once

#include "core/browser/watchevents.h"
#include "core/wire/serverendpoint.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>

// What the player is told of a look's changes.
struct WatchNotice
{
    ServerEndpoint server;
    QString text;

    friend bool operator==(const WatchNotice&, const WatchNotice&) = default;
};

// Which changes of a look are worth a notification: a friend joining any
// server, and a favourite reaching `playersAtLeast` players from fewer. At
// most one notice per server in quietMs, a friend's before a count; it
// remembers when each server was told of.
class WatchNotices
{
public:
    static constexpr qint64 quietMs = 5 * 60 * 1000;

    using IsFriend = std::function<bool(const QString& playerName)>;

    QList<WatchNotice> take(const QList<WatchEvent>& events, const IsFriend& isFriend,
                            const QSet<ServerEndpoint>& favourites, int playersAtLeast,
                            qint64 nowMs);

    // The server as a notice names it: its name, or its address if it has none.
    static QString serverText(const WatchEvent& event);

private:
    QHash<ServerEndpoint, qint64> m_toldAt;
};
