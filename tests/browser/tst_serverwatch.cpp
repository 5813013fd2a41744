#include "core/browser/serverwatch.h"
#include "core/wire/inforeply.h"
#include "core/wire/playerlist.h"
#include "fakegameserver.h"
#include "inforeplyexamples.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QByteArray infoRequest = InfoProtocol::request();
const QByteArray playersRequest = PlayerListProtocol::request();

// The server answers the info request with `names.size()` players and the
// player-list request with their names.
void answerWith(FakeGameServer& server, const QByteArrayList& names)
{
    server.repliesTo[infoRequest] = {
        InfoReplyExamples::reply(145, "Watched", 0, quint8(names.size()))};
    PlayerList list;
    for (const QByteArray& name : names)
        list.players.append({name});
    server.repliesTo[playersRequest] = {PlayerListProtocol::encodeNames(list, false)};
}

ServerEntry listedEntry(const FakeGameServer& server, quint8 players)
{
    ServerEntry entry;
    entry.endpoint = server.endpoint();
    entry.info.players = players;
    return entry;
}

WatchConfig everySecond()
{
    WatchConfig config;
    config.enabled = true;
    config.intervalSeconds = 1;
    return config;
}

} // namespace

class TestServerWatch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void asksFavouritesAndBusyServers();
    void browserRunPausesAndRestartsTheClock();
    void nothingIsSentWhileOff();
    void masterIsAskedAtMostEveryTurn();
};

void TestServerWatch::asksFavouritesAndBusyServers()
{
    FakeGameServer favourite, busy, empty, unlisted;
    answerWith(favourite, {});
    answerWith(busy, {"kasia", "Zed"});
    answerWith(empty, {});
    answerWith(unlisted, {"Bob"});
    ServerWatch watch;
    watch.setReplyTimeout(400);
    watch.setFavourites({favourite.endpoint()});
    watch.noteListed(listedEntry(busy, 2));
    watch.noteListed(listedEntry(empty, 0));
    QSignalSpy looked(&watch, &ServerWatch::looked);
    QSignalSpy updated(&watch, &ServerWatch::entryUpdated);
    watch.setConfig(everySecond());

    QTRY_COMPARE_WITH_TIMEOUT(looked.size(), 1, 3000);
    QCOMPARE(watch.state(), ServerWatch::State::Waiting);
    QCOMPARE(favourite.requests, QByteArrayList{infoRequest});
    // No player list is asked of an empty server.
    QCOMPARE(busy.requests.count(infoRequest), 1);
    QCOMPARE(busy.requests.count(playersRequest), 1);
    QVERIFY(empty.requests.isEmpty());
    QVERIFY(unlisted.requests.isEmpty());
    QCOMPARE(updated.size(), 2);
    QCOMPARE(watch.playersOn(busy.endpoint()),
             QStringList({QStringLiteral("kasia"), QStringLiteral("Zed")}));
    QCOMPARE(watch.playersOn(favourite.endpoint()), QStringList());
    // One request a round, from a socket of its own.
    QTRY_COMPARE_WITH_TIMEOUT(looked.size(), 2, 3000);
    QCOMPARE(favourite.requests.size(), 2);
    QCOMPARE(busy.requests.count(playersRequest), 2);
}

void TestServerWatch::browserRunPausesAndRestartsTheClock()
{
    FakeGameServer favourite;
    answerWith(favourite, {});
    ServerWatch watch;
    watch.setFavourites({favourite.endpoint()});
    QSignalSpy looked(&watch, &ServerWatch::looked);
    watch.setBrowserBusy(true);
    watch.setConfig(everySecond());
    QCOMPARE(watch.state(), ServerWatch::State::Paused);
    QTest::qWait(1300);
    QVERIFY(favourite.requests.isEmpty());

    watch.setBrowserBusy(false);
    QCOMPARE(watch.state(), ServerWatch::State::Waiting);
    QTest::qWait(600);
    QVERIFY(favourite.requests.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(looked.size(), 1, 2000);

    // A run that starts in the middle of a round drops it.
    QTRY_COMPARE_WITH_TIMEOUT(favourite.requests.size(), 2, 2000);
    watch.setBrowserBusy(true);
    QCOMPARE(watch.state(), ServerWatch::State::Paused);
    const qsizetype asked = favourite.requests.size();
    QTest::qWait(1300);
    QCOMPARE(favourite.requests.size(), asked);
}

void TestServerWatch::nothingIsSentWhileOff()
{
    FakeGameServer favourite;
    answerWith(favourite, {"kasia"});
    ServerWatch watch;
    watch.setFavourites({favourite.endpoint()});
    watch.noteListed(listedEntry(favourite, 1));
    WatchConfig off = everySecond();
    off.enabled = false;
    watch.setConfig(off);
    watch.setBrowserBusy(true);
    watch.setBrowserBusy(false);
    QTest::qWait(1300);
    QVERIFY(favourite.requests.isEmpty());
    QCOMPARE(watch.state(), ServerWatch::State::Off);

    // Turned off while waiting: the next round never comes.
    watch.setConfig(everySecond());
    QTRY_COMPARE_WITH_TIMEOUT(favourite.requests.size(), 2, 2000);
    watch.setConfig(off);
    QTest::qWait(1300);
    QCOMPARE(favourite.requests.size(), 2);
}

void TestServerWatch::masterIsAskedAtMostEveryTurn()
{
    // A master that never answers: each try ends at its time-out.
    FakeGameServer master, favourite;
    master.ignoredRequests = 1000;
    answerWith(favourite, {});
    ServerWatch watch;
    watch.setReplyTimeout(200);
    watch.setMasterEvery(3000);
    watch.setFavourites({favourite.endpoint()});
    WatchConfig config = everySecond();
    config.masterHost = QStringLiteral("127.0.0.1");
    config.masterPort = master.port();
    QSignalSpy looked(&watch, &ServerWatch::looked);
    watch.setConfig(config);

    QTRY_VERIFY_WITH_TIMEOUT(looked.size() >= 2, 4000);
    QCOMPARE(master.requests.size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(master.requests.size(), 2, 5000);
    QVERIFY(favourite.requests.size() >= 3);
}

QTEST_GUILESS_MAIN(TestServerWatch)
#include "tst_serverwatch.moc"
