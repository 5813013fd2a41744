#include "core/browser/querycycle.h"
#include "core/platform/datapaths.h"
#include "core/platform/socket.h"
#include "core/settings/settings.h"
#include "core/wire/addresscache.h"
#include "core/wire/inforeply.h"
#include "core/wire/masterprotocol.h"
#include "freeport.h"
#include "inforeplyexamples.h"
#include "tempdatafolder.h"
#include "testnetprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <functional>
#include <memory>

namespace {

// A game server on 127.0.0.1 that records the requests it gets and answers
// each with a fixed set of datagrams, at once or after a delay.
class FakeGameServer : public QObject
{
public:
    explicit FakeGameServer(QList<QByteArray> replies = {}, int replyDelayMs = 0)
        : m_replies(std::move(replies)), m_replyDelayMs(replyDelayMs)
    {
        if (!m_socket.bind(QHostAddress::LocalHost, 0))
            qFatal("cannot bind a loopback UDP port");
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams())
                onRequest(m_socket.receiveDatagram());
        });
    }

    quint16 port() const { return m_socket.localPort(); }
    CachedServer cached() const { return {QStringLiteral("127.0.0.1"), port()}; }

    void sendTo(quint16 port, const QByteArray& datagram)
    {
        m_socket.writeDatagram(datagram, QHostAddress::LocalHost, port);
    }

    QList<QByteArray> requests;
    QList<quint16> requestPorts;
    // Runs when a request arrives, before the replies go out.
    std::function<void()> whenAsked;

private:
    void onRequest(const QNetworkDatagram& request)
    {
        requests.append(request.data());
        const quint16 senderPort = quint16(request.senderPort());
        requestPorts.append(senderPort);
        if (whenAsked)
            whenAsked();
        auto answer = [this, senderPort] {
            for (const QByteArray& reply : std::as_const(m_replies))
                sendTo(senderPort, reply);
        };
        if (m_replyDelayMs > 0)
            QTimer::singleShot(m_replyDelayMs, this, answer);
        else
            answer();
    }

    QUdpSocket m_socket;
    QList<QByteArray> m_replies;
    int m_replyDelayMs;
};

const QByteArray& alphaReply = InfoReplyExamples::alpha;

QByteArray reply(quint8 version, const QByteArray& name, quint8 gameType, quint8 players = 3,
                 quint8 maxPlayers = 8, const QByteArray& map = "dm01", const QByteArray& mod = {})
{
    return InfoProtocol::encodeReply({version, name, gameType, players, maxPlayers, map, mod, 0});
}

// Answered waits must end on the reply: a cycle still running after this
// long shows that it waited for the time limit instead.
constexpr int longReplyTimeoutMs = 30000;
constexpr int cycleEndsWithinMs = 5000;

// What an entry holds but the ping, in the list's column order: name, host,
// map, players, maximum players, version byte, mod (the texts' bytes read as
// Latin-1, so that a table can write them as strings).
QVariantList fields(const ServerEntry& entry)
{
    const InfoReply& info = entry.info;
    return {QString::fromLatin1(info.name), entry.endpoint.host,
            QString::fromLatin1(info.map),  int(info.players),
            int(info.maxPlayers),           int(info.version),
            QString::fromLatin1(info.mod)};
}

} // namespace

class TestQueryCycle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void filtersStartUnset();
    void unsetFiltersEndEarly_data();
    void unsetFiltersEndEarly();
    void missingCacheFileEndsEarly();
    void invalidLocalPortEndsEarly_data();
    void invalidLocalPortEndsEarly();
    void emptyCacheFileEndsReady();

    void replyBecomesRow_data();
    void replyBecomesRow();
    void requestsGoOneAtATimeInFileOrder();
    void pingMeasuresTheReplyDelay();
    void unansweredWaitEndsAtTimeLimit_data();
    void unansweredWaitEndsAtTimeLimit();
    void strangersReplyIsIgnored();
    void lateReplyOfPreviousServerAddsNothing();
    void twoRepliesWithinTheWaitGiveTwoRows();
    void unusablePortLinesAreSkipped();
    void addressLineWithoutPortLineEndsNormally();
    void addressLineMayBeAHostName();
    void socketErrorIsShown();
    void localPortInUseEndsTheCycle();
    void lateReplyDuringNameLookupAddsNothing();
    void startWhileRunningIsIgnored();
    void stopAbandonsTheCycle();
    void fillsRowsFromTestNetwork_data();
    void fillsRowsFromTestNetwork();

private:
    void writeCache(const QList<CachedServer>& servers);
    void writeCacheText(const QByteArray& text);
    void runToEnd();
    QStringList rowNames() const;

    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<Socket> m_wsrf2;
    std::unique_ptr<QueryCycle> m_cycle;
    quint16 m_localPort = 0;
    QList<ServerEntry> m_entries;
    QStringList m_statuses;
    QList<bool> m_runningChanges;
    int m_listClears = 0;
};

void TestQueryCycle::init()
{
    m_data = std::make_unique<TempDataFolder>();
    m_settings = std::make_unique<Settings>();
    m_localPort = freeUdpPort();
    m_settings->setValue(Settings::QueryLocalPort, QString::number(m_localPort));
    m_wsrf2 = std::make_unique<Socket>();
    m_wsrf2->setProtocol(Socket::Protocol::Udp);
    m_cycle = std::make_unique<QueryCycle>(m_wsrf2.get(), m_settings.get());
    m_cycle->setReplyTimeout(longReplyTimeoutMs);
    m_cycle->setVersionFilter(QueryCycle::filterAll);
    m_cycle->setGameTypeFilter(QueryCycle::filterAll);
    m_entries.clear();
    m_statuses.clear();
    m_runningChanges.clear();
    m_listClears = 0;
    connect(m_cycle.get(), &QueryCycle::entryReceived, this,
            [this](const ServerEntry& entry) { m_entries.append(entry); });
    connect(m_cycle.get(), &QueryCycle::statusChanged, this,
            [this](const QString& text) { m_statuses.append(text); });
    connect(m_cycle.get(), &QueryCycle::runningChanged, this,
            [this](bool running) { m_runningChanges.append(running); });
    connect(m_cycle.get(), &QueryCycle::listCleared, this, [this] { ++m_listClears; });
}

void TestQueryCycle::cleanup()
{
    m_cycle.reset();
    m_wsrf2.reset();
    m_settings.reset();
    m_data.reset();
}

void TestQueryCycle::writeCache(const QList<CachedServer>& servers)
{
    QByteArray text;
    for (const CachedServer& server : servers) {
        ServerRecord record;
        const QList<QString> octets = server.address.split(u'.');
        for (int i = 0; i < 4; ++i)
            record.octets[i] = quint8(octets[i].toUInt());
        record.port = server.port.value_or(0);
        text += AddressCache::formatRecord(record);
    }
    writeCacheText(text);
}

void TestQueryCycle::writeCacheText(const QByteArray& text)
{
    DataPaths::ensureFolderFor(DataPaths::cacheFile());
    QFile file(DataPaths::cacheFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

void TestQueryCycle::runToEnd()
{
    m_cycle->start();
    QTRY_VERIFY_WITH_TIMEOUT(!m_cycle->isRunning(), cycleEndsWithinMs);
}

QStringList TestQueryCycle::rowNames() const
{
    QStringList names;
    for (const ServerEntry& entry : m_entries)
        names << QString::fromLatin1(entry.info.name);
    return names;
}

void TestQueryCycle::filtersStartUnset()
{
    QueryCycle fresh(m_wsrf2.get(), m_settings.get());
    QCOMPARE(fresh.versionFilter(), QueryCycle::filterNotSet);
    QCOMPARE(fresh.gameTypeFilter(), QueryCycle::filterNotSet);
    QCOMPARE(fresh.replyTimeout(), 4000);
}

void TestQueryCycle::unsetFiltersEndEarly_data()
{
    QTest::addColumn<qint16>("versionFilter");
    QTest::addColumn<qint16>("gameTypeFilter");
    QTest::newRow("version unset") << qint16(-1) << qint16(1);
    QTest::newRow("game type unset") << qint16(2) << qint16(-1);
    QTest::newRow("both unset") << qint16(-1) << qint16(-1);
}

void TestQueryCycle::unsetFiltersEndEarly()
{
    QFETCH(qint16, versionFilter);
    QFETCH(qint16, gameTypeFilter);
    FakeGameServer server({alphaReply});
    writeCache({server.cached()});
    m_cycle->setVersionFilter(versionFilter);
    m_cycle->setGameTypeFilter(gameTypeFilter);

    m_cycle->start();

    QCOMPARE(m_statuses, QStringList{"Error: Please set game filters first"});
    QCOMPARE(m_runningChanges, (QList<bool>{true, false}));
    QVERIFY(!m_cycle->isRunning());
    QCOMPARE(m_listClears, 0);                  // earlier rows stay
    QCOMPARE(m_wsrf2->state(), Socket::Closed); // nothing was sent
    QCoreApplication::processEvents();
    QVERIFY(server.requests.isEmpty());
}

void TestQueryCycle::missingCacheFileEndsEarly()
{
    m_cycle->start();

    QCOMPARE(m_listClears, 1);
    QCOMPARE(m_statuses, QStringList{"Error: Please GET LIST first."});
    QCOMPARE(m_runningChanges, (QList<bool>{true, false}));
}

void TestQueryCycle::invalidLocalPortEndsEarly_data()
{
    QTest::addColumn<QString>("rflprt2");
    QTest::newRow("not a number") << "abc";
    QTest::newRow("zero") << "0";
    QTest::newRow("too large") << "65536";
    QTest::newRow("empty") << "";
}

void TestQueryCycle::invalidLocalPortEndsEarly()
{
    QFETCH(QString, rflprt2);
    FakeGameServer server({alphaReply});
    writeCache({server.cached()});
    m_settings->setValue(Settings::QueryLocalPort, rflprt2);

    m_cycle->start();

    QCOMPARE(m_statuses, QStringList{Settings::invalidPortMessage(Settings::QueryLocalPort)});
    QVERIFY(m_statuses.first().startsWith("Error: "));
    QVERIFY(m_statuses.first().contains(Settings::displayName(Settings::QueryLocalPort)));
    QCOMPARE(m_runningChanges, (QList<bool>{true, false}));
    QCOMPARE(m_wsrf2->state(), Socket::Closed); // nothing was sent
    QCoreApplication::processEvents();
    QVERIFY(server.requests.isEmpty());
}

void TestQueryCycle::emptyCacheFileEndsReady()
{
    writeCacheText({});

    m_cycle->start();

    QCOMPARE(m_listClears, 1);
    QCOMPARE(m_statuses, QStringList{"Ready"});
    QCOMPARE(m_runningChanges, (QList<bool>{true, false}));
    QVERIFY(m_entries.isEmpty());
}

void TestQueryCycle::replyBecomesRow_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<qint16>("versionFilter");
    QTest::addColumn<qint16>("gameTypeFilter");
    // fields() of the entry; empty: no row.
    QTest::addColumn<QVariantList>("expected");

    const QVariantList alphaRow{"Alpha", "127.0.0.1", "ctf01", 5, 16, 135, ""};
    QTest::newRow("Alpha, CTF 1.1") << alphaReply << qint16(1) << qint16(1) << alphaRow;
    QTest::newRow("Alpha, all") << alphaReply << qint16(4) << qint16(4) << alphaRow;
    QTest::newRow("Alpha, version all") << alphaReply << qint16(4) << qint16(1) << alphaRow;
    QTest::newRow("Alpha, game type all") << alphaReply << qint16(1) << qint16(4) << alphaRow;
    QTest::newRow("Alpha fails DM") << alphaReply << qint16(1) << qint16(0) << QVariantList{};
    QTest::newRow("Alpha fails 1.2") << alphaReply << qint16(2) << qint16(1) << QVariantList{};

    QTest::newRow("game type 3 fails TDM")
        << reply(133, "Odd", 3) << qint16(4) << qint16(2) << QVariantList{};
    QTest::newRow("game type 3 passes all")
        << reply(133, "Odd", 3) << qint16(4) << qint16(4)
        << QVariantList{"Odd", "127.0.0.1", "dm01", 3, 8, 133, ""};
    QTest::newRow("1.3 passes 1.3")
        << reply(145, "New", 0, 0, 32, "dm02", "rfctf") << qint16(3) << qint16(0)
        << QVariantList{"New", "127.0.0.1", "dm02", 0, 32, 145, "rfctf"};
    QTest::newRow("1.3 fails 1.2")
        << reply(145, "New", 0) << qint16(2) << qint16(0) << QVariantList{};
    QTest::newRow("1.2 passes 1.2") << reply(137, "Mid", 2) << qint16(2) << qint16(2)
                                    << QVariantList{"Mid", "127.0.0.1", "dm01", 3, 8, 137, ""};
    QTest::newRow("version 150 passes all, no version text")
        << reply(150, "Future", 1) << qint16(4) << qint16(1)
        << QVariantList{"Future", "127.0.0.1", "dm01", 3, 8, 150, ""};
    QTest::newRow("version 150 fails 1.0")
        << reply(150, "Future", 1) << qint16(0) << qint16(1) << QVariantList{};

    QTest::newRow("empty name: game type from byte 6")
        << InfoReplyExamples::emptyName << qint16(4) << qint16(2)
        << QVariantList{"", "127.0.0.1", "map", 7, 12, 133, ""};
    // No NUL after offset 4: the game type and the players come from bytes 0 to 2.
    QTest::newRow("no NUL at all") << InfoReplyExamples::noNul << qint16(4) << qint16(1)
                                   << QVariantList{"", "127.0.0.1", "", 2, 3, 137, ""};
    // 10 bytes: the maximum players byte and the texts lie beyond the end.
    QTest::newRow("10 bytes") << InfoReplyExamples::tenBytes << qint16(4) << qint16(1)
                              << QVariantList{"A", "127.0.0.1", "", 5, 16, 135, ""};
    QTest::newRow("10 bytes, map without NUL")
        << InfoReplyExamples::tenBytesMapWithoutNul << qint16(4) << qint16(2)
        << QVariantList{"", "127.0.0.1", "", 7, 12, 133, ""};
    QTest::newRow("Latin-1 bytes")
        << reply(135, "Caf\xe9 \xbb\xab", 1, 1, 2, "m\xe4p", "\xa9mod") << qint16(4) << qint16(4)
        << QVariantList{QString::fromLatin1("Caf\xe9 \xbb\xab"),
                        "127.0.0.1",
                        QString::fromLatin1("m\xe4p"),
                        1,
                        2,
                        135,
                        QString::fromLatin1("\xa9mod")};
}

void TestQueryCycle::replyBecomesRow()
{
    QFETCH(QByteArray, datagram);
    QFETCH(qint16, versionFilter);
    QFETCH(qint16, gameTypeFilter);
    QFETCH(QVariantList, expected);
    FakeGameServer server({datagram});
    writeCache({server.cached()});
    m_cycle->setVersionFilter(versionFilter);
    m_cycle->setGameTypeFilter(gameTypeFilter);

    runToEnd();

    QCOMPARE(m_entries.size(), expected.isEmpty() ? 0 : 1);
    if (!expected.isEmpty()) {
        QCOMPARE(fields(m_entries.first()), expected);
        QCOMPARE(m_entries.first().endpoint.port, server.port());
        QVERIFY(m_entries.first().pingMs >= 0);
    }
    QCOMPARE(m_statuses.first(), QString("Receiving..."));
    QCOMPARE(m_statuses.last(), QString("Ready"));
    QCOMPARE(m_runningChanges, (QList<bool>{true, false}));
}

void TestQueryCycle::requestsGoOneAtATimeInFileOrder()
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
    writeCache({first.cached(), second.cached(), third.cached()});

    runToEnd();

    QCOMPARE(order, (QList<int>{1, 2, 3}));
    QVERIFY(secondAskedAfterFirstAnswered);
    for (const FakeGameServer* server : {&first, &second, &third}) {
        QCOMPARE(server->requests, QList<QByteArray>{QByteArray(4, '\0')});
        QCOMPARE(server->requestPorts, QList<quint16>{m_localPort});
    }
    QCOMPARE(rowNames(), (QStringList{"First", "Second", "Third"}));
}

void TestQueryCycle::pingMeasuresTheReplyDelay()
{
    constexpr int delayMs = 150;
    FakeGameServer server({alphaReply}, delayMs);
    writeCache({server.cached()});

    runToEnd();

    QCOMPARE(m_entries.size(), 1);
    const qint64 ping = m_entries.first().pingMs;
    QVERIFY2(ping >= delayMs && ping < cycleEndsWithinMs, qPrintable(QString::number(ping)));
}

void TestQueryCycle::unansweredWaitEndsAtTimeLimit_data()
{
    QTest::addColumn<QList<QByteArray>>("replies");
    QTest::newRow("silent") << QList<QByteArray>{};
    QTest::newRow("9-byte datagram") << QList<QByteArray>{alphaReply.left(9)};
    QTest::newRow("empty datagram") << QList<QByteArray>{QByteArray()};
}

void TestQueryCycle::unansweredWaitEndsAtTimeLimit()
{
    QFETCH(QList<QByteArray>, replies);
    constexpr int timeoutMs = 300;
    m_cycle->setReplyTimeout(timeoutMs);
    FakeGameServer quiet(replies);
    FakeGameServer next({reply(135, "Next", 1)});
    writeCache({quiet.cached(), next.cached()});
    QElapsedTimer clock;
    clock.start();
    qint64 nextAskedAfterMs = -1;
    next.whenAsked = [&] { nextAskedAfterMs = clock.elapsed(); };

    runToEnd();

    QCOMPARE(quiet.requests.size(), 1);
    QVERIFY2(nextAskedAfterMs >= timeoutMs, qPrintable(QString::number(nextAskedAfterMs)));
    QCOMPARE(rowNames(), QStringList{"Next"});
    QCOMPARE(m_statuses.last(), QString("Ready"));
}

void TestQueryCycle::strangersReplyIsIgnored()
{
    FakeGameServer stranger;
    FakeGameServer server({reply(135, "Real", 1)}, 100);
    // The stranger answers in the server's place before the server does.
    server.whenAsked = [&] { stranger.sendTo(m_localPort, reply(135, "Stranger", 1)); };
    writeCache({server.cached()});

    runToEnd();

    QCOMPARE(rowNames(), QStringList{"Real"});
}

void TestQueryCycle::lateReplyOfPreviousServerAddsNothing()
{
    m_cycle->setReplyTimeout(200);
    FakeGameServer slow;
    FakeGameServer next({reply(135, "Next", 1)});
    // The slow server's reply comes only once the next server has been asked,
    // and reaches the browser before the next server's own reply.
    next.whenAsked = [&] { slow.sendTo(m_localPort, reply(135, "Slow", 1)); };
    writeCache({slow.cached(), next.cached()});

    runToEnd();

    QCOMPARE(rowNames(), QStringList{"Next"});
}

void TestQueryCycle::twoRepliesWithinTheWaitGiveTwoRows()
{
    FakeGameServer twice({reply(135, "Once", 1), reply(135, "Twice", 1)});
    FakeGameServer next({reply(135, "Next", 1)});
    writeCache({twice.cached(), next.cached()});

    runToEnd();

    QCOMPARE(rowNames(), (QStringList{"Once", "Twice", "Next"}));
    QCOMPARE(m_entries[1].endpoint.host, QString("127.0.0.1"));
    QCOMPARE(next.requests.size(), 1);
}

void TestQueryCycle::unusablePortLinesAreSkipped()
{
    FakeGameServer first({reply(135, "First", 1)});
    FakeGameServer last({reply(135, "Last", 1)});
    const QByteArray firstPair = "127.0.0.1\r\n " + QByteArray::number(first.port()) + " \r\n";
    const QByteArray lastPair = "127.0.0.1\r\n " + QByteArray::number(last.port()) + " \r\n";
    writeCacheText(firstPair + "127.0.0.1\r\n 0 \r\n" + "127.0.0.1\r\n 70000 \r\n" +
                   "127.0.0.1\r\n port \r\n" + lastPair);

    runToEnd();

    QCOMPARE(rowNames(), (QStringList{"First", "Last"}));
}

void TestQueryCycle::addressLineWithoutPortLineEndsNormally()
{
    FakeGameServer server({reply(135, "Only", 1)});
    writeCacheText("127.0.0.1\r\n " + QByteArray::number(server.port()) + " \r\n127.0.0.1\r\n");

    runToEnd();

    QCOMPARE(rowNames(), QStringList{"Only"});
    QCOMPARE(m_statuses.last(), QString("Ready"));
}

void TestQueryCycle::addressLineMayBeAHostName()
{
    FakeGameServer server({reply(135, "Named", 1)});
    writeCacheText("localhost\r\n " + QByteArray::number(server.port()) + " \r\n");

    runToEnd();

    QCOMPARE(m_entries.size(), 1);
    QCOMPARE(m_entries.first().endpoint.host, QString("localhost"));
}

void TestQueryCycle::socketErrorIsShown()
{
    m_cycle->setReplyTimeout(100);
    // Someone else holds the local port, so the socket cannot bind it.
    QUdpSocket squatter;
    QVERIFY(squatter.bind(QHostAddress::AnyIPv4, m_localPort));
    FakeGameServer server({alphaReply});
    writeCache({server.cached()});

    m_cycle->start();
    QTRY_VERIFY_WITH_TIMEOUT(m_statuses.contains("Receiving..."), cycleEndsWithinMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_statuses.filter(QRegularExpression("^WSRF2 Error : .+")).isEmpty(),
                             cycleEndsWithinMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_cycle->isRunning(), cycleEndsWithinMs);
    QVERIFY(server.requests.isEmpty());
    QVERIFY(m_entries.isEmpty());
}

void TestQueryCycle::localPortInUseEndsTheCycle()
{
    // The wait is long: a cycle that waited for each server would still run.
    QUdpSocket squatter;
    QVERIFY(squatter.bind(QHostAddress::AnyIPv4, m_localPort));
    FakeGameServer first({alphaReply});
    FakeGameServer second({alphaReply});
    writeCache({first.cached(), second.cached()});

    runToEnd();

    QVERIFY2(m_statuses.last().startsWith("WSRF2 Error : ") && m_statuses.last().size() > 14,
             qPrintable(m_statuses.last()));
    QCOMPARE(m_runningChanges, (QList<bool>{true, false}));
    QCOMPARE(m_wsrf2->state(), Socket::Closed);
    QCoreApplication::processEvents();
    QVERIFY(first.requests.isEmpty());
    QVERIFY(second.requests.isEmpty());
    QVERIFY(m_entries.isEmpty());

    // Once the port is free, Refresh works again.
    squatter.close();
    runToEnd();
    QCOMPARE(m_entries.size(), 2);
    QCOMPARE(m_statuses.last(), QString("Ready"));
}

void TestQueryCycle::lateReplyDuringNameLookupAddsNothing()
{
    m_cycle->setReplyTimeout(300);
    FakeGameServer slow;
    // The next line is a host name that is never resolved, at the slow
    // server's port: while it is being looked up, the slow server's late
    // reply comes from the previous address and must not count.
    const QByteArray port = QByteArray::number(slow.port());
    writeCacheText("127.0.0.1\r\n " + port + " \r\nslow..invalid\r\n " + port + " \r\n");
    int asked = 0;
    connect(m_cycle.get(), &QueryCycle::statusChanged, &slow, [&](const QString& text) {
        if (text == "Receiving..." && ++asked == 2)
            slow.sendTo(m_localPort, reply(135, "Slow", 1));
    });

    runToEnd();

    QCOMPARE(asked, 2);
    QCOMPARE(slow.requests.size(), 1);
    QCOMPARE(rowNames(), QStringList{});
}

void TestQueryCycle::startWhileRunningIsIgnored()
{
    FakeGameServer server({alphaReply}, 100);
    writeCache({server.cached()});

    m_cycle->start();
    m_cycle->start();
    QTRY_VERIFY_WITH_TIMEOUT(!m_cycle->isRunning(), cycleEndsWithinMs);

    QCOMPARE(m_listClears, 1);
    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(m_entries.size(), 1);
}

void TestQueryCycle::stopAbandonsTheCycle()
{
    FakeGameServer silent;
    FakeGameServer never({alphaReply});
    writeCache({silent.cached(), never.cached()});
    m_cycle->start();
    QTRY_COMPARE_WITH_TIMEOUT(silent.requests.size(), 1, cycleEndsWithinMs);

    m_cycle->stop();

    QVERIFY(!m_cycle->isRunning());
    QCOMPARE(m_runningChanges, (QList<bool>{true, false}));
    QCOMPARE(m_wsrf2->state(), Socket::Closed);
    QCoreApplication::processEvents();
    QVERIFY(m_entries.isEmpty());
    QVERIFY(never.requests.isEmpty());
    QVERIFY(!m_statuses.contains("Ready"));
}

void TestQueryCycle::fillsRowsFromTestNetwork_data()
{
    QTest::addColumn<qint16>("versionFilter");
    QTest::addColumn<qint16>("gameTypeFilter");
    QTest::addColumn<QStringList>("expectedNames");
    QTest::newRow("all") << qint16(4) << qint16(4) << QStringList{"Alpha", "Rail Yard", "Future"};
    QTest::newRow("CTF 1.1") << qint16(1) << qint16(1) << QStringList{"Alpha"};
    QTest::newRow("DM 1.3") << qint16(3) << qint16(0) << QStringList{"Rail Yard"};
    QTest::newRow("TDM 1.0") << qint16(0) << qint16(2) << QStringList{};
}

void TestQueryCycle::fillsRowsFromTestNetwork()
{
    QFETCH(qint16, versionFilter);
    QFETCH(qint16, gameTypeFilter);
    QFETCH(QStringList, expectedNames);
    const QString scenario = m_data->path() + "/scenario.txt";
    {
        QFile file(scenario);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Alpha | ctf01 | | 1 | 5/16 | 135 | 30 | no\n"
                   "Quiet | dm01 | | 0 | 0/8 | 133 | 0 | yes\n"
                   "Rail Yard | dm02 | rfctf | 0 | 3/16 | 145 | 10 | no | 0a0b\n"
                   "Future | dm03 | | 2 | 1/4 | 150 | 0 | no\n");
    }
    TestNetProcess net({"--scenario", scenario});
    QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
    QList<CachedServer> servers;
    for (quint16 port : net.serverPorts())
        servers.append({"127.0.0.1", port});
    QCOMPARE(servers.size(), 4);
    writeCache(servers);
    m_cycle->setReplyTimeout(300);
    m_cycle->setVersionFilter(versionFilter);
    m_cycle->setGameTypeFilter(gameTypeFilter);

    runToEnd();

    QCOMPARE(rowNames(), expectedNames);
    for (const ServerEntry& entry : std::as_const(m_entries)) {
        if (entry.info.name == "Alpha") {
            QCOMPARE(fields(entry), (QVariantList{"Alpha", "127.0.0.1", "ctf01", 5, 16, 135, ""}));
            QVERIFY2(entry.pingMs >= 30, qPrintable(QString::number(entry.pingMs)));
        }
        if (entry.info.name == "Rail Yard")
            QCOMPARE(fields(entry).mid(2), (QVariantList{"dm02", 3, 16, 145, "rfctf"}));
        if (entry.info.name == "Future")
            QCOMPARE(int(entry.info.version), 150);
    }
    QCOMPARE(m_statuses.last(), QString("Ready"));
}

QTEST_GUILESS_MAIN(TestQueryCycle)
#include "tst_querycycle.moc"
