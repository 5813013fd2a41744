#include "core/browser/watchnotices.h"

#include <QTest>

namespace {

const ServerEndpoint favourite{QStringLiteral("127.0.0.1"), 7755};
const ServerEndpoint other{QStringLiteral("127.0.0.1"), 7756};

WatchEvent watchEvent(WatchEvent::Kind kind, const ServerEndpoint& server, int before = 0,
                      int after = 0, const QString& player = {})
{
    WatchEvent made;
    made.kind = kind;
    made.server = server;
    made.entry.endpoint = server;
    made.entry.info.name = server == favourite ? "Fav" : "";
    made.playersBefore = before;
    made.playersAfter = after;
    made.player = player;
    return made;
}

using Kind = WatchEvent::Kind;

} // namespace

class TestWatchNotices : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tellsWhatMatters_data();
    void tellsWhatMatters();
};

void TestWatchNotices::tellsWhatMatters_data()
{
    QTest::addColumn<QList<WatchEvent>>("events");
    QTest::addColumn<qint64>("secondLookAfterMs");
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    const WatchEvent friendJoins =
        watchEvent(Kind::PlayerJoined, other, 0, 0, QStringLiteral("kasia"));
    const WatchEvent strangerJoins =
        watchEvent(Kind::PlayerJoined, other, 0, 0, QStringLiteral("Zed"));
    const WatchEvent crosses = watchEvent(Kind::PlayersChanged, favourite, 1, 3);
    QTest::newRow("friend joined, named by address")
        << QList{friendJoins} << qint64(0)
        << QStringList{QStringLiteral("kasia joined 127.0.0.1:7756")} << QStringList{};
    QTest::newRow("a stranger is no news")
        << QList{strangerJoins} << qint64(0) << QStringList{} << QStringList{};
    QTest::newRow("favourite crosses from below, again after 5 minutes")
        << QList{crosses} << WatchNotices::quietMs << QStringList{QStringLiteral("Fav: 3 players")}
        << QStringList{QStringLiteral("Fav: 3 players")};
    QTest::newRow("one per server, the friend first, quiet for 5 minutes")
        << QList{crosses, watchEvent(Kind::PlayerJoined, favourite, 0, 0, QStringLiteral("kasia"))}
        << WatchNotices::quietMs - 1 << QStringList{QStringLiteral("kasia joined Fav")}
        << QStringList{};
    QTest::newRow("already at the threshold")
        << QList{watchEvent(Kind::PlayersChanged, favourite, 2, 4)} << qint64(0) << QStringList{}
        << QStringList{};
    QTest::newRow("falling below") << QList{watchEvent(Kind::PlayersChanged, favourite, 3, 1)}
                                   << qint64(0) << QStringList{} << QStringList{};
    QTest::newRow("not a favourite") << QList{watchEvent(Kind::PlayersChanged, other, 0, 5)}
                                     << qint64(0) << QStringList{} << QStringList{};
    QTest::newRow("two servers at once")
        << QList{crosses, friendJoins} << qint64(0)
        << QStringList{QStringLiteral("kasia joined 127.0.0.1:7756"),
                       QStringLiteral("Fav: 3 players")}
        << QStringList{};
}

void TestWatchNotices::tellsWhatMatters()
{
    QFETCH(QList<WatchEvent>, events);
    QFETCH(qint64, secondLookAfterMs);
    const auto isFriend = [](const QString& name) { return name == QLatin1String("kasia"); };
    const QSet<ServerEndpoint> favourites{favourite};
    WatchNotices notices;
    auto texts = [&](qint64 now) {
        QStringList told;
        for (const WatchNotice& notice : notices.take(events, isFriend, favourites, 2, now))
            told << notice.text;
        return told;
    };
    QTEST(texts(1000), "first");
    QTEST(texts(1000 + secondLookAfterMs), "second");
}

QTEST_GUILESS_MAIN(TestWatchNotices)
#include "tst_watchnotices.moc"
