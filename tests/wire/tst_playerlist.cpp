#include "core/wire/playerlist.h"
#include "core/wire/playerlistassembler.h"
#include "core/wire/serverpatch.h"

#include <QTest>

namespace {

using Segment = PlayerListProtocol::Segment;

QStringList names(const PlayerList& list)
{
    QStringList names;
    for (const PlayerList::Player& player : list.players)
        names << QString::fromLatin1(player.name);
    return names;
}

// "00 a1 <size> " + body, the size counted from the body given in hex.
QByteArray framed(const char* bodyHex)
{
    const QByteArray body = QByteArray::fromHex(bodyHex);
    return QByteArray::fromHex("00a1") + char(body.size() & 0xff) + char(body.size() >> 8) + body;
}

const QByteArray name31(31, 'x');

} // namespace

class TestPlayerList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void namesForm_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QStringList>("players"); // {"-"}: not a list
        QTest::newRow("two names") << framed("0100 416e6e00 426f6200")
                                   << QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")};
        QTest::newRow("reserved tail")
            << framed("0100 416e6e00 000000") << QStringList{QStringLiteral("Ann")};
        QTest::newRow("addresses skipped")
            << framed("0101 7f000001 416e6e00 0a000002 426f6200")
            << QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")};
        QTest::newRow("tail too short for an address")
            << framed("0101 7f000001 416e6e00 000000") << QStringList{QStringLiteral("Ann")};
        QTest::newRow("name without NUL")
            << framed("0100 416e6e00 426f62") << QStringList{QStringLiteral("Ann")};
        QTest::newRow("nobody") << framed("0100") << QStringList{};
        QTest::newRow("31 bytes kept")
            << framed(QByteArray("0100" + name31.toHex() + "00").constData())
            << QStringList{QString::fromUtf8(name31)};
        QTest::newRow("32 bytes cut")
            << framed(QByteArray("0100" + name31.toHex() + "7900").constData())
            << QStringList{QString::fromUtf8(name31)};
        QTest::newRow("size past the end")
            << QByteArray::fromHex("00a10a000100416e6e00") << QStringList{QStringLiteral("-")};
        QTest::newRow("bytes past the size unread")
            << QByteArray::fromHex("00a106000100416e6e00426f6200")
            << QStringList{QStringLiteral("Ann")};
        QTest::newRow("info reply type")
            << QByteArray::fromHex("0001020001004100") << QStringList{QStringLiteral("-")};
        QTest::newRow("unknown form") << framed("0300416e6e00") << QStringList{QStringLiteral("-")};
    }
    void namesForm()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QStringList, players);
        const auto parsed = PlayerListProtocol::parseDatagram(datagram);
        const auto* list = std::get_if<PlayerList>(&parsed);
        QCOMPARE(list ? names(*list) : QStringList{QStringLiteral("-")}, players);
    }

    void segments_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArray>("slice");
        QTest::newRow("one of two") << framed("02 07 01 02 aabb") << true << QByteArray("\xaa\xbb");
        QTest::newRow("empty slice") << framed("02 07 00 01") << true << QByteArray();
        QTest::newRow("count zero") << framed("02 07 00 00 aabb") << false << QByteArray();
        QTest::newRow("sequence past the count")
            << framed("02 07 02 02 aa") << false << QByteArray();
        QTest::newRow("header cut") << framed("02 07 00") << false << QByteArray();
        QTest::newRow("truncated")
            << QByteArray::fromHex("00a1080002070001aabb") << false << QByteArray();
    }
    void segments()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, valid);
        QFETCH(QByteArray, slice);
        const auto parsed = PlayerListProtocol::parseDatagram(datagram);
        const auto* segment = std::get_if<Segment>(&parsed);
        QCOMPARE(segment != nullptr, valid);
        if (segment)
            QCOMPARE(segment->slice, slice);
    }

    void scoresPayload()
    {
        // Red 3, blue 5, 600 s left, flags 7, CTF, level "ctf01"; a bot on
        // blue with score -2, 4 kills, 6 deaths, 1 capture; a player cut off.
        const QByteArray payload =
            QByteArray::fromHex("0300 0500 58020000 07000000 01 6374663031 00"
                                "11 feff 0400 0600 0100 426f7400"
                                "00 0100 0200");
        const std::optional<PlayerList> list = PlayerListProtocol::parseScores(payload);
        PlayerList expected;
        expected.form = PlayerList::Form::Scores;
        expected.players = {{"Bot", 0x11, -2, 4, 6, 1}};
        std::tie(expected.redScore, expected.blueScore, expected.timeLeftSeconds) =
            std::tuple(3, 5, 600);
        std::tie(expected.serverFlags, expected.gameType, expected.level) =
            std::tuple(7, 1, "ctf01");
        QVERIFY(list && *list == expected);
        QVERIFY(list->players[0].isBot() && list->players[0].isBlueTeam());
        QVERIFY(!PlayerListProtocol::parseScores(payload.left(16)));
    }

    void teamTexts()
    {
        // Red and blue mean something in CTF (1) and TDM (2) only, not in DM (0).
        PlayerList list;
        list.form = PlayerList::Form::Scores;
        QList<QByteArray> texts;
        for (const quint8 gameType : {0, 1, 2}) {
            list.gameType = gameType;
            for (const quint8 flags : {0x10, 0x00, 0x14})
                texts << list.teamText({"P", flags});
        }
        QCOMPARE(texts, (QList<QByteArray>{"", "", "spectator", "blue", "red", "spectator", "blue",
                                           "red", "spectator"}));
    }

    void assemblerKeepsAnswersApart()
    {
        const QHostAddress here = QHostAddress::LocalHost;
        PlayerListAssembler assembler;
        // Answer 1 from port 1 misses its second segment; answer 2 and another
        // sender's answer 1 use the same sequence numbers.
        QVERIFY(!assembler.add(here, 1, {1, 0, 2, "a"}));
        QVERIFY(!assembler.add(here, 1, {2, 1, 2, "Y"}));
        QVERIFY(!assembler.add(here, 2, {1, 1, 2, "q"}));
        QVERIFY(!assembler.add(here, 1, {1, 0, 2, "z"})); // a repeat is ignored
        QCOMPARE(assembler.add(here, 1, {2, 0, 2, "X"}).value_or("-"), QByteArray("XY"));
        // A different count is a different answer: it starts afresh.
        QVERIFY(!assembler.add(here, 1, {1, 0, 3, "m"}));
        QVERIFY(!assembler.add(here, 1, {1, 1, 3, "n"}));
        QCOMPARE(assembler.add(here, 1, {1, 2, 3, "o"}).value_or("-"), QByteArray("mno"));
        QCOMPARE(assembler.openAnswers(), 1); // port 2's, still missing a segment
        for (int id = 10; id < 10 + PlayerListAssembler::maxOpenAnswers; ++id)
            assembler.add(here, 3, {quint8(id), 0, 2, "s"});
        QCOMPARE(assembler.openAnswers(), PlayerListAssembler::maxOpenAnswers);
        QVERIFY(!assembler.add(here, 2, {1, 0, 2, "p"})); // dropped to make room
    }

    void patches_data()
    {
        QTest::addColumn<QByteArray>("trailing");
        QTest::addColumn<QList<int>>("patch"); // kind, major, minor; empty: none
        QTest::newRow("Dash Faction 1.8") << QByteArray::fromHex("c7fa58da0108") << QList{0, 1, 8};
        QTest::newRow("more after") << QByteArray::fromHex("c7fa58da010900ff") << QList{0, 1, 9};
        QTest::newRow("Pure Faction") << QByteArray::fromHex("deadbeef0301") << QList{1, 0x103, 0};
        QTest::newRow("cut short") << QByteArray::fromHex("c7fa58da01") << QList<int>{};
        QTest::newRow("other bytes") << QByteArray::fromHex("0a0b0c0d0e0f") << QList<int>{};
    }
    void patches()
    {
        QFETCH(QByteArray, trailing);
        QFETCH(QList<int>, patch);
        const std::optional<ServerPatch> found = ServerPatch::fromTrailing(trailing);
        const QList<int> fields =
            found ? QList{int(found->kind), int(found->major), int(found->minor)} : QList<int>{};
        QCOMPARE(fields, patch);
    }
};

QTEST_GUILESS_MAIN(TestPlayerList)
#include "tst_playerlist.moc"
