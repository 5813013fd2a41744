#include "core/browser/playerlistquerier.h"
#include "testnetprocess.h"

#include <QTemporaryFile>
#include <QTest>

namespace {

// Twenty players: the answer comes in several segments.
QByteArray scores(char team)
{
    QByteArray line = "+ scores | 1 | 2 | -";
    for (int i = 0; i < 20; ++i)
        line +=
            " | " + QByteArray(1, team) + "player" + QByteArray::number(i) + ", red, 1, 2, 3, 0";
    return line + '\n';
}

} // namespace

class TestPlayerListQuerier : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void manyServersFromOneSocket_data()
    {
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("stockRequests");
        // The silent server is asked again a second after its request, once.
        QTest::newRow("wait under a second") << 900 << 1;
        QTest::newRow("wait over a second") << 2500 << 2;
    }
    void manyServersFromOneSocket()
    {
        QFETCH(int, timeoutMs);
        QFETCH(int, stockRequests);
        QTemporaryFile scenario;
        QVERIFY(scenario.open());
        scenario.write("Names | dm01 | | 0 | 2/8 | 145 | 5\n+ players | Ann | Bob\n"
                       "Scores A | ctf01 | | 1 | 20/32 | 145 | 5\n" +
                       scores('A') + "Scores B | ctf01 | | 1 | 20/32 | 145 | 5\n" + scores('B') +
                       "Stock | dm01 | | 0 | 0/8 | 145 | 5\n");
        scenario.close();
        TestNetProcess net(
            {QStringLiteral("--scenario"), scenario.fileName(), QStringLiteral("--log")});
        QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
        const QList<quint16> ports = net.serverPorts();

        PlayerListQuerier querier;
        querier.setReplyTimeout(timeoutMs);
        QHash<quint16, QByteArrayList> names;
        QList<quint16> unlisted;
        bool finished = false;
        connect(&querier, &PlayerListQuerier::playersReceived, this,
                [&](const ServerEndpoint& server, const PlayerList& list) {
                    for (const PlayerList::Player& player : list.players)
                        names[server.port] << player.name;
                });
        connect(&querier, &PlayerListQuerier::serverUnlisted, this,
                [&](const ServerEndpoint& server) { unlisted << server.port; });
        connect(&querier, &PlayerListQuerier::finished, this, [&] { finished = true; });
        querier.start(0, 100);
        for (quint16 port : ports) {
            querier.ask({QStringLiteral("127.0.0.1"), port});
            querier.ask({QStringLiteral("127.0.0.1"), port});
        }
        querier.finishWhenDone();
        QTRY_VERIFY_WITH_TIMEOUT(finished, timeoutMs + 2000);

        QCOMPARE(names[ports[0]], QByteArrayList({"Ann", "Bob"}));
        for (int server : {1, 2}) {
            QCOMPARE(names[ports[server]].size(), 20);
            for (const QByteArray& name : names[ports[server]])
                QVERIFY(name.startsWith(server == 1 ? 'A' : 'B'));
        }
        QCOMPARE(unlisted, QList<quint16>{ports[3]});
        QTest::qWait(100);
        QHash<quint16, int> requests;
        for (const QString& line : net.takeLines()) {
            for (quint16 port : ports)
                requests[port] += line.startsWith(QStringLiteral("RECV server:%1 ").arg(port)) &&
                                  line.endsWith(QStringLiteral(" 003a0000"));
        }
        QCOMPARE(requests[ports[0]], 1);
        QCOMPARE(requests[ports[3]], stockRequests);
    }
};

QTEST_GUILESS_MAIN(TestPlayerListQuerier)
#include "tst_playerlistquerier.moc"
