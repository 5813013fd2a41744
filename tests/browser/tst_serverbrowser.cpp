#include "core/browser/favourites.h"
#include "core/browser/masterlistclient.h"
#include "core/browser/serverbrowser.h"
#include "core/browser/serverquerier.h"
#include "core/platform/datapaths.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"
#include "core/wire/addresscache.h"
#include "fakegameserver.h"
#include "freeport.h"
#include "inforeplyexamples.h"
#include "tempdatafolder.h"
#include "testnetprocess.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QUdpSocket>

#include <memory>

Q_DECLARE_METATYPE(ServerFilter)

namespace {

using InfoReplyExamples::reply;
const QByteArray& alphaReply = InfoReplyExamples::alpha;

constexpr ServerFilter allServers{GameTypeFilter::All, VersionFilter::All};

// Answered waits must end on the reply: a refresh still running after this
// long shows that it waited for the time limit instead.
constexpr int longReplyTimeoutMs = 30000;
constexpr int refreshEndsWithinMs = 5000;

// The columns of the server list an entry makes, but the ping.
QStringList texts(const ServerEntry& entry)
{
    const InfoReply& info = entry.info;
    return {QString::fromLatin1(info.name),
            entry.endpoint.host,
            QString::fromLatin1(info.map),
            QStringLiteral("%1/%2").arg(info.players).arg(info.maxPlayers),
            QString::fromLatin1(InfoProtocol::versionText(info.version)),
            QString::fromLatin1(info.mod)};
}

} // namespace

// Refresh and the filters: the address cache file read, the servers asked,
// the entries that pass handed on.
class TestServerBrowser : public QObject
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

    void replyBecomesEntry_data();
    void replyBecomesEntry();
    void unusablePortLinesAreSkipped();
    void addressLineWithoutPortLineEndsNormally();
    void addressLineMayBeAHostName();
    void localPortInUseEndsTheRefresh();
    void refreshWhileBusyIsIgnored();
    void favouritesAreAskedAfterTheFile_data();
    void favouritesAreAskedAfterTheFile();
    void oneServerIsAskedAgainWhenIdle();
    void fillsEntriesFromTestNetwork_data();
    void fillsEntriesFromTestNetwork();
    void fastAndOneAtATimeGiveTheSameRows();
    void fastRunAsksTheLastSilentFirst_data();
    void fastRunAsksTheLastSilentFirst();

private:
    void writeCacheText(const QByteArray& text);
    void refreshToEnd();
    QStringList entryNames() const;

    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<ServerBrowser> m_browser;
    quint16 m_localPort = 0;
    QList<ServerEntry> m_entries;
    QStringList m_statuses;
    QList<bool> m_busyChanges;
    int m_listClears = 0;
};

void TestServerBrowser::init()
{
    m_data = std::make_unique<TempDataFolder>();
    m_settings = std::make_unique<Settings>();
    m_localPort = freeUdpPort();
    m_settings->setValue(Settings::QueryLocalPort, QString::number(m_localPort));
    m_browser = std::make_unique<ServerBrowser>(m_settings.get());
    m_browser->setCacheFile(DataPaths::cacheFile());
    m_browser->querier()->setReplyTimeout(longReplyTimeoutMs);
    m_browser->setFilter(allServers);
    m_entries.clear();
    m_statuses.clear();
    m_busyChanges.clear();
    m_listClears = 0;
    connect(m_browser.get(), &ServerBrowser::entryReceived, this,
            [this](const ServerEntry& entry) { m_entries.append(entry); });
    connect(m_browser.get(), &ServerBrowser::statusChanged, this,
            [this](const QString& text) { m_statuses.append(text); });
    connect(m_browser.get(), &ServerBrowser::busyChanged, this,
            [this](bool busy) { m_busyChanges.append(busy); });
    connect(m_browser.get(), &ServerBrowser::listCleared, this, [this] { ++m_listClears; });
}

void TestServerBrowser::cleanup()
{
    m_browser.reset();
    m_settings.reset();
    m_data.reset();
}

void TestServerBrowser::writeCacheText(const QByteArray& text)
{
    DataPaths::ensureFolderFor(DataPaths::cacheFile());
    QFile file(DataPaths::cacheFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

void TestServerBrowser::refreshToEnd()
{
    m_browser->refresh();
    QTRY_VERIFY_WITH_TIMEOUT(!m_browser->isBusy(), refreshEndsWithinMs);
}

QStringList TestServerBrowser::entryNames() const
{
    QStringList names;
    for (const ServerEntry& entry : m_entries)
        names << QString::fromLatin1(entry.info.name);
    return names;
}

void TestServerBrowser::filtersStartUnset()
{
    ServerBrowser fresh(m_settings.get());
    QCOMPARE(fresh.filter(), ServerFilter{});
    QCOMPARE(fresh.querier()->replyTimeout(), 4000);
}

void TestServerBrowser::unsetFiltersEndEarly_data()
{
    QTest::addColumn<ServerFilter>("filter");
    QTest::newRow("version unset") << ServerFilter{GameTypeFilter::CaptureTheFlag, {}};
    QTest::newRow("game type unset") << ServerFilter{{}, VersionFilter::Version12};
    QTest::newRow("both unset") << ServerFilter{};
}

void TestServerBrowser::unsetFiltersEndEarly()
{
    QFETCH(ServerFilter, filter);
    FakeGameServer server({alphaReply});
    writeCacheText(server.cacheLines());
    m_browser->setFilter(filter);

    m_browser->refresh();

    QCOMPARE(m_statuses, QStringList{QStringLiteral("Error: Please set game filters first")});
    QCOMPARE(m_busyChanges, (QList<bool>{true, false}));
    QVERIFY(!m_browser->isBusy());
    QCOMPARE(m_listClears, 0); // earlier rows stay
    QCoreApplication::processEvents();
    QVERIFY(server.requests.isEmpty());
}

void TestServerBrowser::missingCacheFileEndsEarly()
{
    m_browser->refresh();

    QCOMPARE(m_listClears, 1);
    QCOMPARE(m_statuses, QStringList{QStringLiteral("Error: Please GET LIST first.")});
    QCOMPARE(m_busyChanges, (QList<bool>{true, false}));
}

void TestServerBrowser::invalidLocalPortEndsEarly_data()
{
    QTest::addColumn<QString>("rflprt2");
    QTest::newRow("not a number") << "abc";
    QTest::newRow("zero") << "0";
    QTest::newRow("too large") << "65536";
    QTest::newRow("empty") << "";
}

void TestServerBrowser::invalidLocalPortEndsEarly()
{
    QFETCH(QString, rflprt2);
    FakeGameServer server({alphaReply});
    writeCacheText(server.cacheLines());
    m_settings->setValue(Settings::QueryLocalPort, rflprt2);

    m_browser->refresh();

    QCOMPARE(m_statuses, QStringList{Settings::invalidPortMessage(Settings::QueryLocalPort)});
    QVERIFY(m_statuses.first().startsWith(QStringLiteral("Error: ")));
    QVERIFY(m_statuses.first().contains(Settings::displayName(Settings::QueryLocalPort)));
    QCOMPARE(m_busyChanges, (QList<bool>{true, false}));
    QVERIFY(!m_browser->querier()->isRunning());
    QCoreApplication::processEvents();
    QVERIFY(server.requests.isEmpty());
}

void TestServerBrowser::emptyCacheFileEndsReady()
{
    writeCacheText({});

    m_browser->refresh();

    QCOMPARE(m_listClears, 1);
    QCOMPARE(m_statuses, QStringList{QStringLiteral("Ready")});
    QCOMPARE(m_busyChanges, (QList<bool>{true, false}));
    QVERIFY(m_entries.isEmpty());
}

void TestServerBrowser::replyBecomesEntry_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<ServerFilter>("filter");
    // Every column but the ping, which is checked apart; empty: the entry
    // fails the filter.
    QTest::addColumn<QStringList>("expected");

    using G = GameTypeFilter;
    using V = VersionFilter;
    const QStringList alphaRow{QStringLiteral("Alpha"), QStringLiteral("127.0.0.1"),
                               QStringLiteral("ctf01"), QStringLiteral("5/16"),
                               QStringLiteral("1.1"),   QStringLiteral("")};
    QTest::newRow("Alpha, CTF 1.1")
        << alphaReply << ServerFilter{G::CaptureTheFlag, V::Version11} << alphaRow;
    QTest::newRow("Alpha, all") << alphaReply << allServers << alphaRow;
    QTest::newRow("Alpha, version all")
        << alphaReply << ServerFilter{G::CaptureTheFlag, V::All} << alphaRow;
    QTest::newRow("Alpha, game type all")
        << alphaReply << ServerFilter{G::All, V::Version11} << alphaRow;
    QTest::newRow("Alpha fails DM")
        << alphaReply << ServerFilter{G::Deathmatch, V::Version11} << QStringList{};
    QTest::newRow("Alpha fails 1.2")
        << alphaReply << ServerFilter{G::CaptureTheFlag, V::Version12} << QStringList{};

    QTest::newRow("game type 3 fails TDM")
        << reply(133, "Odd", 3) << ServerFilter{G::TeamDeathmatch, V::All} << QStringList{};
    QTest::newRow("game type 3 passes all")
        << reply(133, "Odd", 3) << allServers
        << QStringList{QStringLiteral("Odd"), QStringLiteral("127.0.0.1"), QStringLiteral("dm01"),
                       QStringLiteral("3/8"), QStringLiteral("1.0"),       QStringLiteral("")};
    QTest::newRow("1.3 passes 1.3")
        << reply(145, "New", 0, 0, 32, "dm02", "rfctf") << ServerFilter{G::Deathmatch, V::Version13}
        << QStringList{QStringLiteral("New"),  QStringLiteral("127.0.0.1"),
                       QStringLiteral("dm02"), QStringLiteral("0/32"),
                       QStringLiteral("1.3"),  QStringLiteral("rfctf")};
    QTest::newRow("1.3 fails 1.2")
        << reply(145, "New", 0) << ServerFilter{G::Deathmatch, V::Version12} << QStringList{};
    QTest::newRow("1.2 passes 1.2")
        << reply(137, "Mid", 2) << ServerFilter{G::TeamDeathmatch, V::Version12}
        << QStringList{QStringLiteral("Mid"), QStringLiteral("127.0.0.1"), QStringLiteral("dm01"),
                       QStringLiteral("3/8"), QStringLiteral("1.2"),       QStringLiteral("")};
    QTest::newRow("version 150 passes all, no version text")
        << reply(150, "Future", 1) << ServerFilter{G::CaptureTheFlag, V::All}
        << QStringList{QStringLiteral("Future"), QStringLiteral("127.0.0.1"),
                       QStringLiteral("dm01"),   QStringLiteral("3/8"),
                       QStringLiteral(""),       QStringLiteral("")};
    QTest::newRow("version 150 fails 1.0")
        << reply(150, "Future", 1) << ServerFilter{G::CaptureTheFlag, V::Version10}
        << QStringList{};

    QTest::newRow("empty name: game type from byte 6")
        << InfoReplyExamples::emptyName << ServerFilter{G::TeamDeathmatch, V::All}
        << QStringList{QStringLiteral(""),     QStringLiteral("127.0.0.1"), QStringLiteral("map"),
                       QStringLiteral("7/12"), QStringLiteral("1.0"),       QStringLiteral("")};
    // No NUL after offset 4: the game type and the players come from bytes 0 to 2.
    QTest::newRow("no NUL at all")
        << InfoReplyExamples::noNul << ServerFilter{G::CaptureTheFlag, V::All}
        << QStringList{QStringLiteral(""),    QStringLiteral("127.0.0.1"), QStringLiteral(""),
                       QStringLiteral("2/3"), QStringLiteral("1.2"),       QStringLiteral("")};
    // 10 bytes: the maximum players byte and the texts lie beyond the end.
    QTest::newRow("10 bytes") << InfoReplyExamples::tenBytes
                              << ServerFilter{G::CaptureTheFlag, V::All}
                              << QStringList{QStringLiteral("A"),   QStringLiteral("127.0.0.1"),
                                             QStringLiteral(""),    QStringLiteral("5/16"),
                                             QStringLiteral("1.1"), QStringLiteral("")};
    QTest::newRow("10 bytes, map without NUL")
        << InfoReplyExamples::tenBytesMapWithoutNul << ServerFilter{G::TeamDeathmatch, V::All}
        << QStringList{QStringLiteral(""),     QStringLiteral("127.0.0.1"), QStringLiteral(""),
                       QStringLiteral("7/12"), QStringLiteral("1.0"),       QStringLiteral("")};
    QTest::newRow("Latin-1 bytes")
        << reply(135, "Caf\xe9 \xbb\xab", 1, 1, 2, "m\xe4p", "\xa9mod") << allServers
        << QStringList{QString::fromUtf8("Café »«"), QStringLiteral("127.0.0.1"),
                       QString::fromUtf8("mäp"),     QStringLiteral("1/2"),
                       QStringLiteral("1.1"),        QString::fromUtf8("©mod")};
}

void TestServerBrowser::replyBecomesEntry()
{
    QFETCH(QByteArray, datagram);
    QFETCH(ServerFilter, filter);
    QFETCH(QStringList, expected);
    FakeGameServer server({datagram});
    writeCacheText(server.cacheLines());
    m_browser->setFilter(filter);

    refreshToEnd();

    // Every reply is handed on; the filter decides what the list shows.
    QCOMPARE(m_entries.size(), 1);
    QCOMPARE(filter.passes(m_entries.first().info), !expected.isEmpty());
    if (!expected.isEmpty()) {
        QCOMPARE(texts(m_entries.first()), expected);
        QCOMPARE(m_entries.first().endpoint, server.endpoint());
        QVERIFY(m_entries.first().pingMs >= 0);
    }
    QCOMPARE(m_statuses.first(), QStringLiteral("Receiving..."));
    QCOMPARE(m_statuses.last(), QStringLiteral("Ready"));
    QCOMPARE(m_busyChanges, (QList<bool>{true, false}));
}

void TestServerBrowser::unusablePortLinesAreSkipped()
{
    FakeGameServer first({reply(135, "First", 1)});
    FakeGameServer last({reply(135, "Last", 1)});
    writeCacheText(first.cacheLines() + "127.0.0.1\r\n 0 \r\n" + "127.0.0.1\r\n 70000 \r\n" +
                   "127.0.0.1\r\n port \r\n" + last.cacheLines());

    refreshToEnd();

    QCOMPARE(entryNames(), (QStringList{QStringLiteral("First"), QStringLiteral("Last")}));
    QCOMPARE(m_statuses.count(QStringLiteral("Receiving...")), 2);
}

void TestServerBrowser::addressLineWithoutPortLineEndsNormally()
{
    FakeGameServer server({reply(135, "Only", 1)});
    writeCacheText(server.cacheLines() + "127.0.0.1\r\n");

    refreshToEnd();

    QCOMPARE(entryNames(), QStringList{QStringLiteral("Only")});
    QCOMPARE(m_statuses.last(), QStringLiteral("Ready"));
}

void TestServerBrowser::addressLineMayBeAHostName()
{
    FakeGameServer server({reply(135, "Named", 1)});
    writeCacheText("localhost\r\n " + QByteArray::number(server.port()) + " \r\n");

    refreshToEnd();

    QCOMPARE(m_entries.size(), 1);
    QCOMPARE(m_entries.first().endpoint.host, QStringLiteral("localhost"));
}

void TestServerBrowser::localPortInUseEndsTheRefresh()
{
    // The wait is long: a refresh that waited for each server would still run.
    QUdpSocket squatter;
    QVERIFY(squatter.bind(QHostAddress::AnyIPv4, m_localPort));
    FakeGameServer first({alphaReply});
    FakeGameServer second({alphaReply});
    writeCacheText(first.cacheLines() + second.cacheLines());

    refreshToEnd();

    QCOMPARE(m_statuses.size(), 2);
    QCOMPARE(m_statuses.first(), QStringLiteral("Receiving..."));
    QVERIFY2(
        QRegularExpression(QStringLiteral("^WSRF2 Error : .+")).match(m_statuses.last()).hasMatch(),
        qPrintable(m_statuses.last()));
    QCOMPARE(m_busyChanges, (QList<bool>{true, false}));
    QCoreApplication::processEvents();
    QVERIFY(first.requests.isEmpty());
    QVERIFY(second.requests.isEmpty());
    QVERIFY(m_entries.isEmpty());

    // Once the port is free, Refresh works again.
    squatter.close();
    refreshToEnd();
    QCOMPARE(m_entries.size(), 2);
    QCOMPARE(m_statuses.last(), QStringLiteral("Ready"));
}

void TestServerBrowser::refreshWhileBusyIsIgnored()
{
    FakeGameServer server({alphaReply}, 100);
    writeCacheText(server.cacheLines());

    m_browser->refresh();
    m_browser->refresh();
    m_browser->getList();
    QTRY_VERIFY_WITH_TIMEOUT(!m_browser->isBusy(), refreshEndsWithinMs);

    QCOMPARE(m_listClears, 1);
    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(m_entries.size(), 1);
    QVERIFY(!m_browser->masterList()->isRunning());
}

void TestServerBrowser::favouritesAreAskedAfterTheFile_data()
{
    QTest::addColumn<bool>("cacheFile");
    QTest::newRow("after the file's servers, each once") << true;
    QTest::newRow("alone without the file") << false;
}

void TestServerBrowser::favouritesAreAskedAfterTheFile()
{
    QFETCH(bool, cacheFile);
    FakeGameServer listed({reply(145, "Listed", 0)});
    FakeGameServer favourite({reply(145, "Favourite", 0)});
    if (cacheFile)
        writeCacheText(listed.cacheLines() + favourite.cacheLines());
    Favourites favourites;
    favourites.load(m_data->path() + QStringLiteral("/favourites.txt"));
    QCOMPARE(favourites.add(favourite.endpoint()), QString());
    QCOMPARE(favourites.add(listed.endpoint()), QString());
    QCOMPARE(favourites.add({QStringLiteral("127.0.0.1"), freeUdpPort()}),
             QString()); // never answers
    m_browser->querier()->setReplyTimeout(300);
    m_browser->setFavourites(&favourites);

    refreshToEnd();

    QCOMPARE(entryNames(),
             cacheFile ? (QStringList{QStringLiteral("Listed"), QStringLiteral("Favourite")})
                       : (QStringList{QStringLiteral("Favourite"), QStringLiteral("Listed")}));
    QCOMPARE(listed.requests.size() + favourite.requests.size(), 2);
    QCOMPARE(m_statuses.last(), QStringLiteral("Ready"));
}

void TestServerBrowser::oneServerIsAskedAgainWhenIdle()
{
    FakeGameServer server({alphaReply}, 100);
    writeCacheText(server.cacheLines());
    QList<ServerEntry> refreshed;
    connect(m_browser.get(), &ServerBrowser::entryRefreshed, this,
            [&](const ServerEntry& entry) { refreshed.append(entry); });

    m_browser->refresh();
    QVERIFY(!m_browser->refreshServer(server.endpoint()));
    QCOMPARE(m_statuses.last(),
             QStringLiteral(
                 "Error: Please wait until the list is complete before refreshing one server"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_browser->isBusy(), refreshEndsWithinMs);
    QVERIFY(m_browser->refreshServer(server.endpoint()));
    QTRY_VERIFY_WITH_TIMEOUT(!m_browser->isBusy(), refreshEndsWithinMs);

    QCOMPARE(m_listClears, 1);
    QCOMPARE(m_entries.size(), 1);
    QCOMPARE(refreshed.size(), 1);
    QCOMPARE(refreshed[0].endpoint, server.endpoint());
    QCOMPARE(server.requests.size(), 2);
}

void TestServerBrowser::fillsEntriesFromTestNetwork_data()
{
    using G = GameTypeFilter;
    using V = VersionFilter;
    QTest::addColumn<ServerFilter>("filter");
    QTest::addColumn<QStringList>("expectedNames");
    QTest::newRow("all") << allServers
                         << QStringList{QStringLiteral("Alpha"), QStringLiteral("Rail Yard"),
                                        QStringLiteral("Future")};
    QTest::newRow("CTF 1.1") << ServerFilter{G::CaptureTheFlag, V::Version11}
                             << QStringList{QStringLiteral("Alpha")};
    QTest::newRow("DM 1.3") << ServerFilter{G::Deathmatch, V::Version13}
                            << QStringList{QStringLiteral("Rail Yard")};
    QTest::newRow("TDM 1.0") << ServerFilter{G::TeamDeathmatch, V::Version10} << QStringList{};
}

void TestServerBrowser::fillsEntriesFromTestNetwork()
{
    QFETCH(ServerFilter, filter);
    QFETCH(QStringList, expectedNames);
    const QString scenario = m_data->path() + QStringLiteral("/scenario.txt");
    {
        QFile file(scenario);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Alpha | ctf01 | | 1 | 5/16 | 135 | 30 | no\n"
                   "Quiet | dm01 | | 0 | 0/8 | 133 | 0 | yes\n"
                   "Rail Yard | dm02 | rfctf | 0 | 3/16 | 145 | 10 | no | 0a0b\n"
                   "Future | dm03 | | 2 | 1/4 | 150 | 0 | no\n");
    }
    TestNetProcess net({QStringLiteral("--scenario"), scenario});
    QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
    QByteArray cache;
    for (quint16 port : net.serverPorts())
        cache += AddressCache::formatServer(QStringLiteral("127.0.0.1"), port);
    QCOMPARE(net.serverPorts().size(), 4);
    writeCacheText(cache);
    m_browser->querier()->setReplyTimeout(300);
    m_browser->setFilter(filter);

    refreshToEnd();

    QCOMPARE(entryNames(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Rail Yard"),
                                        QStringLiteral("Future")}));
    QStringList passing;
    for (const ServerEntry& entry : std::as_const(m_entries)) {
        if (filter.passes(entry.info))
            passing << QString::fromLatin1(entry.info.name);
    }
    QCOMPARE(passing, expectedNames);
    for (const ServerEntry& entry : std::as_const(m_entries)) {
        if (entry.info.name == "Alpha") {
            QCOMPARE(texts(entry),
                     (QStringList{QStringLiteral("Alpha"), QStringLiteral("127.0.0.1"),
                                  QStringLiteral("ctf01"), QStringLiteral("5/16"),
                                  QStringLiteral("1.1"), QStringLiteral("")}));
            QVERIFY2(entry.pingMs >= 30, qPrintable(QString::number(entry.pingMs)));
        }
        if (entry.info.name == "Rail Yard")
            QCOMPARE(texts(entry).mid(2, 4),
                     (QStringList{QStringLiteral("dm02"), QStringLiteral("3/16"),
                                  QStringLiteral("1.3"), QStringLiteral("rfctf")}));
        if (entry.info.name == "Future")
            QCOMPARE(texts(entry).at(4), QString());
    }
    QCOMPARE(m_statuses.last(), QStringLiteral("Ready"));
}

void TestServerBrowser::fastAndOneAtATimeGiveTheSameRows()
{
    TestNetProcess net({QStringLiteral("--servers"), QStringLiteral("20"), QStringLiteral("--seed"),
                        QStringLiteral("5"), QStringLiteral("--delay"), QStringLiteral("1-20"),
                        QStringLiteral("--silent"), QStringLiteral("3"), QStringLiteral("--log")});
    QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
    QByteArray cache;
    for (quint16 port : net.serverPorts())
        cache += AddressCache::formatServer(QStringLiteral("127.0.0.1"), port);
    writeCacheText(cache);
    m_browser->querier()->setReplyTimeout(400);
    m_browser->querier()->setRetryAfter(150);
    QStringList silent;
    connect(m_browser.get(), &ServerBrowser::serverSilent, this,
            [&](const ServerEntry& entry) { silent << entry.endpoint.text(); });
    Preferences preferences;
    m_browser->setPreferences(&preferences);

    // The mode is read as each refresh starts; a silent server is asked
    // once more only in fast mode.
    QSet<QStringList> oneAtATimeRows;
    QStringList oneAtATimeSilent;
    for (const bool fast : {false, true, false}) {
        preferences.setFlag(Preferences::ParallelRefresh, fast);
        m_entries.clear();
        silent.clear();
        net.takeLines();
        refreshToEnd();
        QSet<QStringList> rows;
        for (const ServerEntry& entry : std::as_const(m_entries))
            rows.insert(texts(entry));
        silent.sort();
        if (!fast) {
            oneAtATimeRows = rows;
            oneAtATimeSilent = silent;
        }
        QCOMPARE(rows.size(), 17);
        QCOMPARE(rows, oneAtATimeRows);
        QCOMPARE(silent, oneAtATimeSilent);
        const QString toSilentServer =
            QStringLiteral("RECV server:%1 ").arg(silent.first().section(u':', 1));
        QCOMPARE(net.takeLines().filter(toSilentServer).size(), fast ? 2 : 1);
    }
}

void TestServerBrowser::fastRunAsksTheLastSilentFirst_data()
{
    QTest::addColumn<bool>("fast");
    QTest::addColumn<QList<int>>("secondOrder"); // of the servers as listed
    QTest::newRow("fast") << true << QList<int>{1, 0, 2};
    QTest::newRow("one at a time") << false << QList<int>{0, 1, 2};
}

void TestServerBrowser::fastRunAsksTheLastSilentFirst()
{
    QFETCH(bool, fast);
    QFETCH(QList<int>, secondOrder);
    FakeGameServer servers[3] = {FakeGameServer({alphaReply}), FakeGameServer(), FakeGameServer({alphaReply})};
    writeCacheText(servers[0].cacheLines() + servers[1].cacheLines() + servers[2].cacheLines());
    QList<quint16> asked;
    connect(m_browser->querier(), &ServerQuerier::serverAsked, this,
            [&](const ServerEndpoint& server) { asked << server.port; });
    m_browser->querier()->setReplyTimeout(300);
    Preferences preferences;
    preferences.setFlag(Preferences::ParallelRefresh, fast);
    m_browser->setPreferences(&preferences);
    for (const QList<int>& order : {QList<int>{0, 1, 2}, secondOrder}) {
        QList<quint16> expected;
        for (int i : order)
            expected << servers[i].port();
        asked.clear();
        refreshToEnd();
        QCOMPARE(asked, expected);
    }
}

QTEST_GUILESS_MAIN(TestServerBrowser)
#include "tst_serverbrowser.moc"
