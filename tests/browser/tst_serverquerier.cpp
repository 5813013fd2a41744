#include "core/browser/serverquerier.h"
#include "fakegameserver.h"
#include "freeport.h"
#include "inforeplyexamples.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <memory>

namespace {

using InfoReplyExamples::reply;
const QByteArray& alphaReply = InfoReplyExamples::alpha;

// Answered waits must end on the reply: a run still going after this long
// shows that it waited for the time limit instead.
constexpr int longReplyTimeoutMs = 30000;
constexpr int runEndsWithinMs = 5000;

} // namespace

class TestServerQuerier : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void requestsGoOneAtATimeInListOrder();
    void pingMeasuresTheReplyDelay();
    void unansweredWaitEndsAtTimeLimit_data();
    void unansweredWaitEndsAtTimeLimit();
    void strangersReplyIsIgnored();
    void lateReplyOfPreviousServerAddsNothing();
    void twoRepliesWithinTheWaitGiveTwoEntries();
    void localPortInUseFailsTheRun();
    void lateReplyDuringNameLookupAddsNothing();
    void stopAbandonsTheRun();

    void fastRunAsksAtItsPaceWithoutWaiting();
    void fastRunRetriesOnce_data();
    void fastRunRetriesOnce();
    void fastRunTakesTheFirstReplyOnly();
    void silentServerIsReportedInEitherMode_data();
    void silentServerIsReportedInEitherMode();

private:
    void runToEnd(const QList<ServerEndpoint>& servers);
    QStringList entryNames() const;

    std::unique_ptr<ServerQuerier> m_querier;
    quint16 m_localPort = 0;
    QList<ServerEntry> m_entries;
    QList<ServerEndpoint> m_asked;
    QList<ServerEndpoint> m_silent;
    QStringList m_socketErrors;
    QStringList m_failures;
    int m_finished = 0;
};

void TestServerQuerier::init()
{
    m_localPort = freeUdpPort();
    m_querier = std::make_unique<ServerQuerier>();
    m_querier->setReplyTimeout(longReplyTimeoutMs);
    m_entries.clear();
    m_asked.clear();
    m_silent.clear();
    m_socketErrors.clear();
    m_failures.clear();
    m_finished = 0;
    connect(m_querier.get(), &ServerQuerier::entryReceived, this,
            [this](const ServerEntry& entry) { m_entries.append(entry); });
    connect(m_querier.get(), &ServerQuerier::serverAsked, this,
            [this](const ServerEndpoint& server) { m_asked.append(server); });
    connect(m_querier.get(), &ServerQuerier::serverSilent, this,
            [this](const ServerEndpoint& server) { m_silent.append(server); });
    connect(m_querier.get(), &ServerQuerier::socketError, this,
            [this](const QString& description) { m_socketErrors.append(description); });
    connect(m_querier.get(), &ServerQuerier::failed, this,
            [this](const QString& description) { m_failures.append(description); });
    connect(m_querier.get(), &ServerQuerier::finished, this, [this] { ++m_finished; });
}

void TestServerQuerier::cleanup()
{
    m_querier.reset();
}

void TestServerQuerier::runToEnd(const QList<ServerEndpoint>& servers)
{
    m_querier->start(servers, m_localPort);
    QTRY_VERIFY_WITH_TIMEOUT(!m_querier->isRunning(), runEndsWithinMs);
}

QStringList TestServerQuerier::entryNames() const
{
    QStringList names;
    for (const ServerEntry& entry : m_entries)
        names << QString::fromLatin1(entry.info.name);
    return names;
}

void TestServerQuerier::requestsGoOneAtATimeInListOrder()
{
    QList<int> order;
    bool firstHasAnswered = false;
    FakeGameServer first({reply(135, "First", 1)}, 100);
    FakeGameServer second({reply(135, "Second", 1)});
    FakeGameServer third({reply(135, "Third", 1)});
    first.whenAsked = [&] {
        order << 1;
        QTimer::singleShot(100, [&] { firstHasAnswered = true; });
    };
    bool secondAskedAfterFirstAnswered = false;
    second.whenAsked = [&] {
        order << 2;
        secondAskedAfterFirstAnswered = firstHasAnswered;
    };
    third.whenAsked = [&] { order << 3; };
    // Servers asked, and runs finished, when each entry is handed on.
    QList<QPair<qsizetype, int>> handedOn;
    connect(m_querier.get(), &ServerQuerier::entryReceived, this, [&] {
        handedOn.append({m_asked.size(), m_finished});
    });

    runToEnd({first.endpoint(), second.endpoint(), third.endpoint()});

    QCOMPARE(order, (QList<int>{1, 2, 3}));
    QVERIFY(secondAskedAfterFirstAnswered);
    for (const FakeGameServer* server : {&first, &second, &third}) {
        QCOMPARE(server->requests, QList<QByteArray>{QByteArray(4, '\0')});
        QCOMPARE(server->requestPorts, QList<quint16>{m_localPort});
    }
    QCOMPARE(entryNames(), (QStringList{QStringLiteral("First"), QStringLiteral("Second"),
                                        QStringLiteral("Third")}));
    QCOMPARE(m_entries[1].endpoint, second.endpoint());
    QCOMPARE(m_finished, 1);
    // The next server is asked before an entry is handed on; the last entry
    // comes before the run ends.
    QCOMPARE(handedOn, (QList<QPair<qsizetype, int>>{{2, 0}, {3, 0}, {3, 0}}));
}

void TestServerQuerier::pingMeasuresTheReplyDelay()
{
    constexpr int delayMs = 150;
    FakeGameServer server({alphaReply}, delayMs);

    runToEnd({server.endpoint()});

    QCOMPARE(m_entries.size(), 1);
    const qint64 ping = m_entries.first().pingMs;
    QVERIFY2(ping >= delayMs && ping < runEndsWithinMs, qPrintable(QString::number(ping)));
}

void TestServerQuerier::unansweredWaitEndsAtTimeLimit_data()
{
    QTest::addColumn<QList<QByteArray>>("replies");
    QTest::newRow("silent") << QList<QByteArray>{};
    QTest::newRow("9-byte datagram") << QList<QByteArray>{alphaReply.left(9)};
    QTest::newRow("empty datagram") << QList<QByteArray>{QByteArray()};
}

void TestServerQuerier::unansweredWaitEndsAtTimeLimit()
{
    QFETCH(QList<QByteArray>, replies);
    constexpr int timeoutMs = 300;
    m_querier->setReplyTimeout(timeoutMs);
    FakeGameServer quiet(replies);
    FakeGameServer next({reply(135, "Next", 1)});
    QElapsedTimer clock;
    clock.start();
    qint64 nextAskedAfterMs = -1;
    next.whenAsked = [&] { nextAskedAfterMs = clock.elapsed(); };

    runToEnd({quiet.endpoint(), next.endpoint()});

    QCOMPARE(quiet.requests.size(), 1);
    QVERIFY2(nextAskedAfterMs >= timeoutMs, qPrintable(QString::number(nextAskedAfterMs)));
    QCOMPARE(entryNames(), QStringList{QStringLiteral("Next")});
    QCOMPARE(m_finished, 1);
}

void TestServerQuerier::strangersReplyIsIgnored()
{
    FakeGameServer stranger;
    FakeGameServer server({reply(135, "Real", 1)}, 100);
    // The stranger answers in the server's place before the server does.
    server.whenAsked = [&] { stranger.sendTo(m_localPort, reply(135, "Stranger", 1)); };

    runToEnd({server.endpoint()});

    QCOMPARE(entryNames(), QStringList{QStringLiteral("Real")});
}

void TestServerQuerier::lateReplyOfPreviousServerAddsNothing()
{
    m_querier->setReplyTimeout(200);
    FakeGameServer slow;
    FakeGameServer next({reply(135, "Next", 1)});
    // The slow server's reply comes only once the next server has been asked,
    // and reaches the browser before the next server's own reply.
    next.whenAsked = [&] { slow.sendTo(m_localPort, reply(135, "Slow", 1)); };

    runToEnd({slow.endpoint(), next.endpoint()});

    QCOMPARE(entryNames(), QStringList{QStringLiteral("Next")});
}

void TestServerQuerier::twoRepliesWithinTheWaitGiveTwoEntries()
{
    FakeGameServer twice({reply(135, "Once", 1), reply(135, "Twice", 1)});
    FakeGameServer next({reply(135, "Next", 1)});

    runToEnd({twice.endpoint(), next.endpoint()});

    QCOMPARE(entryNames(), (QStringList{QStringLiteral("Once"), QStringLiteral("Twice"),
                                        QStringLiteral("Next")}));
    QCOMPARE(m_entries[1].endpoint, twice.endpoint());
    QCOMPARE(next.requests.size(), 1);
}

void TestServerQuerier::localPortInUseFailsTheRun()
{
    // Someone else holds the local port, so the socket cannot bind it. The
    // wait is long: a run that waited for each server would still go on.
    QUdpSocket squatter;
    QVERIFY(squatter.bind(QHostAddress::AnyIPv4, m_localPort));
    FakeGameServer first({alphaReply});
    FakeGameServer second({alphaReply});

    runToEnd({first.endpoint(), second.endpoint()});

    QCOMPARE(m_asked, QList<ServerEndpoint>{first.endpoint()});
    QCOMPARE(m_failures.size(), 1);
    QVERIFY(!m_failures.first().isEmpty());
    QCOMPARE(m_finished, 0);
    QCoreApplication::processEvents();
    QVERIFY(first.requests.isEmpty());
    QVERIFY(second.requests.isEmpty());
    QVERIFY(m_entries.isEmpty());
}

void TestServerQuerier::lateReplyDuringNameLookupAddsNothing()
{
    m_querier->setReplyTimeout(300);
    FakeGameServer slow;
    // The next server is a host name that is never resolved, at the slow
    // server's port: while it is being looked up, the slow server's late
    // reply comes from the previous address and must not count.
    connect(m_querier.get(), &ServerQuerier::serverAsked, &slow, [&] {
        if (m_asked.size() == 2)
            slow.sendTo(m_localPort, reply(135, "Slow", 1));
    });

    runToEnd({slow.endpoint(), {QStringLiteral("slow..invalid"), slow.port()}});

    QCOMPARE(m_asked.size(), 2);
    QCOMPARE(slow.requests.size(), 1);
    QCOMPARE(entryNames(), QStringList{});
    // The failed look-up is reported and costs its own server's wait only.
    QCOMPARE(m_socketErrors.size(), 1);
    QCOMPARE(m_finished, 1);
}

void TestServerQuerier::stopAbandonsTheRun()
{
    FakeGameServer silent;
    FakeGameServer never({alphaReply});
    m_querier->start({silent.endpoint(), never.endpoint()}, m_localPort);
    QTRY_COMPARE_WITH_TIMEOUT(silent.requests.size(), 1, runEndsWithinMs);

    m_querier->stop();

    QVERIFY(!m_querier->isRunning());
    QCoreApplication::processEvents();
    QVERIFY(m_entries.isEmpty());
    QVERIFY(never.requests.isEmpty());
    QCOMPARE(m_finished, 0);
    // The port is free again.
    QUdpSocket probe;
    QVERIFY(probe.bind(QHostAddress::AnyIPv4, m_localPort));
}

void TestServerQuerier::fastRunAsksAtItsPaceWithoutWaiting()
{
    // 20 requests a second: one every 50 ms, whatever the replies do.
    FakeGameServer slow({reply(135, "Slow", 1)}, 400);
    FakeGameServer second({reply(135, "Second", 1)});
    FakeGameServer third({reply(135, "Third", 1)});
    QElapsedTimer clock;
    clock.start();
    QList<qint64> askedAtMs;
    for (FakeGameServer* server : {&slow, &second, &third})
        server->whenAsked = [&] { askedAtMs << clock.elapsed(); };

    m_querier->startParallel(
        {slow.endpoint(), second.endpoint(), slow.endpoint(), third.endpoint()}, m_localPort, 20);
    QTRY_VERIFY_WITH_TIMEOUT(!m_querier->isRunning(), runEndsWithinMs);

    // Listed twice, asked once; the others went before the slow one answered.
    for (const FakeGameServer* server : {&slow, &second, &third})
        QCOMPARE(server->requestPorts, QList<quint16>{m_localPort});
    QCOMPARE(askedAtMs.size(), 3);
    QVERIFY2(askedAtMs[1] >= 45 && askedAtMs[2] >= 95 && askedAtMs[2] < 400,
             qPrintable(QString::number(askedAtMs[1]) + u' ' + QString::number(askedAtMs[2])));
    QCOMPARE(entryNames(), (QStringList{QStringLiteral("Second"), QStringLiteral("Third"),
                                        QStringLiteral("Slow")}));
    QVERIFY(m_entries[2].pingMs >= 400);
    QCOMPARE(m_finished, 1);
}

void TestServerQuerier::fastRunRetriesOnce_data()
{
    QTest::addColumn<int>("ignored");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("the retry is answered") << 1 << QStringList{QStringLiteral("Late")};
    QTest::newRow("both are lost") << 2 << QStringList{};
}

void TestServerQuerier::fastRunRetriesOnce()
{
    QFETCH(int, ignored);
    QFETCH(QStringList, names);
    m_querier->setReplyTimeout(600);
    m_querier->setRetryAfter(200);
    FakeGameServer server({reply(135, "Late", 1)});
    server.ignoredRequests = ignored;

    m_querier->startParallel({server.endpoint()}, m_localPort, 250);
    QTRY_VERIFY_WITH_TIMEOUT(!m_querier->isRunning(), runEndsWithinMs);

    QCOMPARE(server.requests.size(), 2);
    QCOMPARE(entryNames(), names);
    // The ping counts from the retry, which the reply answers.
    if (!names.isEmpty())
        QVERIFY2(m_entries.first().pingMs < 150, qPrintable(QString::number(m_entries[0].pingMs)));
    QCOMPARE(m_silent.size(), 1 - names.size());
    QCOMPARE(m_finished, 1);
}

void TestServerQuerier::fastRunTakesTheFirstReplyOnly()
{
    FakeGameServer stranger;
    FakeGameServer twice({reply(135, "Once", 1), reply(135, "Twice", 1)}, 50);
    twice.whenAsked = [&] { stranger.sendTo(m_localPort, reply(135, "Stranger", 1)); };

    m_querier->startParallel({twice.endpoint()}, m_localPort, 250);
    QTRY_VERIFY_WITH_TIMEOUT(!m_querier->isRunning(), runEndsWithinMs);

    QCOMPARE(entryNames(), QStringList{QStringLiteral("Once")});
    QCOMPARE(twice.requests.size(), 1);
}

void TestServerQuerier::silentServerIsReportedInEitherMode_data()
{
    QTest::addColumn<int>("requestsPerSecond"); // 0: one at a time
    QTest::addColumn<int>("requests");
    QTest::newRow("one at a time") << 0 << 1;
    QTest::newRow("fast") << 250 << 2;
}

void TestServerQuerier::silentServerIsReportedInEitherMode()
{
    QFETCH(int, requestsPerSecond);
    QFETCH(int, requests);
    m_querier->setReplyTimeout(300);
    m_querier->setRetryAfter(100);
    FakeGameServer silent;
    FakeGameServer answering({alphaReply});
    const QList<ServerEndpoint> servers{silent.endpoint(), answering.endpoint()};

    if (requestsPerSecond == 0)
        m_querier->start(servers, m_localPort);
    else
        m_querier->startParallel(servers, m_localPort, requestsPerSecond);
    QTRY_VERIFY_WITH_TIMEOUT(!m_querier->isRunning(), runEndsWithinMs);

    QCOMPARE(m_silent, QList<ServerEndpoint>{silent.endpoint()});
    QCOMPARE(silent.requests.size(), requests);
    QCOMPARE(m_entries.size(), 1);
    QCOMPARE(m_finished, 1);
}

QTEST_GUILESS_MAIN(TestServerQuerier)
#include "tst_serverquerier.moc"
