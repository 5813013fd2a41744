#include "core/browser/serverdetailsquery.h"
#include "core/wire/playerlist.h"
#include "fakegameserver.h"
#include "inforeplyexamples.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {

using Answer = ServerDetailsQuery::PlayersAnswer;

QList<QByteArray> scoresAnswer(int players)
{
    PlayerList list;
    list.form = PlayerList::Form::Scores;
    for (int i = 0; i < players; ++i)
        list.players.append({"Player" + QByteArray::number(i), 0, 0, 0, 0, 0});
    return PlayerListProtocol::encodeScores(list, 4, 30);
}

// A server that answers the info request with an info reply and the
// player-list request with `listReply`.
struct Server
{
    explicit Server(QList<QByteArray> listReply) : listReply(std::move(listReply))
    {
        fake.whenAsked = [this] {
            const quint16 port = fake.requestPorts.last();
            if (fake.requests.last() != PlayerListProtocol::request()) {
                fake.sendTo(port, InfoReplyExamples::alpha);
                return;
            }
            listAskedAt.append(clock.elapsed());
            for (const QByteArray& datagram : std::as_const(this->listReply))
                fake.sendTo(port, datagram);
        };
        clock.start();
    }
    FakeGameServer fake;
    QList<QByteArray> listReply;
    QElapsedTimer clock;
    QList<qint64> listAskedAt;
};

} // namespace

class TestServerDetailsQuery : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundOutcome_data()
    {
        QTest::addColumn<QList<QByteArray>>("listReply");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("players");
        QList<QByteArray> segments = scoresAnswer(6);
        QVERIFY(segments.size() >= 3);
        std::reverse(segments.begin(), segments.end());
        QTest::newRow("segments out of order") << segments << Answer::Listed << 6;
        QTest::newRow("names form")
            << QList<QByteArray>{QByteArray::fromHex("00a10a000100416e6e00426f6200")}
            << Answer::Listed << 2;
        QTest::newRow("stock game") << QList<QByteArray>{} << Answer::NotListed << 0;
        QTest::newRow("segment missing") << segments.mid(1) << Answer::Incomplete << 0;
    }
    void roundOutcome()
    {
        QFETCH(QList<QByteArray>, listReply);
        QFETCH(Answer, answer);
        QFETCH(int, players);
        Server server(listReply);
        ServerDetailsQuery query(server.fake.endpoint());
        query.setReplyTimeout(300);
        QByteArrayList names;
        QList<PlayerList> lists;
        connect(&query, &ServerDetailsQuery::infoReceived, this,
                [&](const ServerEntry& entry) { names << entry.info.name; });
        connect(&query, &ServerDetailsQuery::playersReceived, this,
                [&](const PlayerList& list) { lists.append(list); });
        QSignalSpy ended(&query, &ServerDetailsQuery::roundEnded);
        query.start();
        QVERIFY(ended.wait(2000));
        QCOMPARE(ended.first().at(0).toBool(), true);
        QCOMPARE(ended.first().at(1).value<Answer>(), answer);
        QCOMPARE(names, QByteArrayList{"Alpha"});
        QCOMPARE(lists.size(), answer == Answer::Listed ? 1 : 0);
        if (!lists.isEmpty())
            QCOMPARE(lists[0].players.size(), players);
    }

    void strangerIsIgnoredAndRequestsAreSpaced()
    {
        Server server({});
        FakeGameServer stranger;
        server.fake.whenAsked = [&, ask = server.fake.whenAsked] {
            ask();
            stranger.sendTo(server.fake.requestPorts.last(), scoresAnswer(1).first());
        };
        ServerDetailsQuery query(server.fake.endpoint());
        query.setReplyTimeout(50);
        query.setRepeatInterval(100);
        int lists = 0;
        connect(&query, &ServerDetailsQuery::playersReceived, this, [&] { ++lists; });
        connect(&query, &ServerDetailsQuery::roundEnded, &query, &ServerDetailsQuery::askNow);
        query.start();
        QTRY_VERIFY_WITH_TIMEOUT(server.listAskedAt.size() >= 3, 5000);
        query.stop();
        QCOMPARE(lists, 0);
        for (qsizetype i = 1; i < server.listAskedAt.size(); ++i)
            QCOMPARE_GE(server.listAskedAt[i] - server.listAskedAt[i - 1], 990);
    }
};

QTEST_GUILESS_MAIN(TestServerDetailsQuery)
#include "tst_serverdetailsquery.moc"
