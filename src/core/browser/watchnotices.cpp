#include "core/browser/watchnotices.h"

namespace {

std::optional<QString> noticeText(const WatchEvent& event, const WatchNotices::IsFriend& isFriend,
                                  const QSet<ServerEndpoint>& favourites, int playersAtLeast)
{
    using Kind = WatchEvent::Kind;
    if (event.kind == Kind::PlayerJoined && isFriend && isFriend(event.player))
        return QStringLiteral("%1 joined %2").arg(event.player, WatchNotices::serverText(event));
    if (event.kind == Kind::PlayersChanged && favourites.contains(event.server) &&
        event.playersBefore < playersAtLeast && event.playersAfter >= playersAtLeast)
        return QStringLiteral("%1: %2 players")
            .arg(WatchNotices::serverText(event))
            .arg(event.playersAfter);
    return std::nullopt;
}

} // namespace

QString WatchNotices::serverText(const WatchEvent& event)
{
    const QString name = QString::fromLatin1(event.entry.info.name).trimmed();
    return name.isEmpty() ? event.server.text() : name;
}

QList<WatchNotice> WatchNotices::take(const QList<WatchEvent>& events, const IsFriend& isFriend,
                                      const QSet<ServerEndpoint>& favourites, int playersAtLeast,
                                      qint64 nowMs)
{
    QList<WatchNotice> notices;
    // A friend joining says more than a count: it goes first where a server
    // has both in one look.
    for (const bool friends : {true, false}) {
        for (const WatchEvent& event : events) {
            if ((event.kind == WatchEvent::Kind::PlayerJoined) != friends)
                continue;
            const std::optional<QString> text =
                noticeText(event, isFriend, favourites, playersAtLeast);
            if (!text)
                continue;
            const auto told = m_toldAt.constFind(event.server);
            if (told != m_toldAt.cend() && nowMs - *told < quietMs)
                continue;
            m_toldAt.insert(event.server, nowMs);
            notices.append({event.server, *text});
        }
    }
    return notices;
}
