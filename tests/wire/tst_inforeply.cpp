#include "core/wire/inforeply.h"
#include "inforeplyexamples.h"

#include <QTest>

Q_DECLARE_METATYPE(InfoReply)

namespace {

InfoReply makeReply(quint8 version, const QByteArray& name, quint8 gameType, quint8 players,
                    quint8 maxPlayers, const QByteArray& map, const QByteArray& mod, quint8 flags)
{
    return {version, name, gameType, players, maxPlayers, map, mod, flags};
}

} // namespace

class TestInfoReply : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void requestIsFourZeroBytes();
    void parses_data();
    void parses();
    void shortDatagramsAreNotParsed_data();
    void shortDatagramsAreNotParsed();
    void encodeThenParse_data();
    void encodeThenParse();
    void versions_data();
    void versions();
};

void TestInfoReply::requestIsFourZeroBytes()
{
    QCOMPARE(InfoProtocol::request(), QByteArray::fromHex("00000000"));
}

void TestInfoReply::parses_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<InfoReply>("expected");

    QTest::newRow("Alpha, 22 bytes")
        << InfoReplyExamples::alpha << makeReply(135, "Alpha", 1, 5, 16, "ctf01", "", 0);
    QTest::newRow("all three texts and flags") << QByteArray::fromHex("00010000"
                                                                      "91"
                                                                      "4200"
                                                                      "02"
                                                                      "00"
                                                                      "20"
                                                                      "4d00"
                                                                      "4e00"
                                                                      "07")
                                               << makeReply(145, "B", 2, 0, 32, "M", "N", 7);
    QTest::newRow("empty name: game type from byte 6")
        << InfoReplyExamples::emptyName << makeReply(133, "", 2, 7, 12, "map", "", 0);
    // No NUL after offset 4: the cursor goes back to offset 0.
    QTest::newRow("no NUL at all")
        << InfoReplyExamples::noNul << makeReply(137, "", 1, 2, 3, "", "", 1);
    // The map finds no NUL either; the mod is then read from offset 0 to the
    // NUL at offset 1, and the flags byte is offset 2.
    QTest::newRow("no NUL: mod found from the start")
        << QByteArray::fromHex("41004243"
                               "89"
                               "4e6f4e756c4e")
        << makeReply(137, "", 0x41, 0, 0x42, "", "A", 0x42);
    QTest::newRow("exactly 10 bytes")
        << InfoReplyExamples::tenBytes << makeReply(135, "A", 1, 5, 16, "", "", 0);
    QTest::newRow("10 bytes, map without NUL")
        << InfoReplyExamples::tenBytesMapWithoutNul << makeReply(133, "", 2, 7, 12, "", "", 0);
    QTest::newRow("bytes after the flags are ignored") << QByteArray::fromHex("00000000"
                                                                              "87"
                                                                              "4100"
                                                                              "01"
                                                                              "05"
                                                                              "10"
                                                                              "6d00"
                                                                              "00"
                                                                              "01"
                                                                              "ffff")
                                                       << makeReply(135, "A", 1, 5, 16, "m", "", 1);
    QTest::newRow("high bytes kept as they are")
        << QByteArray::fromHex("00000000"
                               "87"
                               "e9ff00"
                               "01"
                               "ff"
                               "ff"
                               "e400"
                               "a900"
                               "00")
        << makeReply(135, "\xe9\xff", 1, 255, 255, "\xe4", "\xa9", 0);
}

void TestInfoReply::parses()
{
    QFETCH(QByteArray, datagram);
    QFETCH(InfoReply, expected);
    const std::optional<InfoReply> reply = InfoProtocol::parseReply(datagram);
    QVERIFY(reply);
    QCOMPARE(reply->version, expected.version);
    QCOMPARE(reply->name, expected.name);
    QCOMPARE(reply->gameType, expected.gameType);
    QCOMPARE(reply->players, expected.players);
    QCOMPARE(reply->maxPlayers, expected.maxPlayers);
    QCOMPARE(reply->map, expected.map);
    QCOMPARE(reply->mod, expected.mod);
    QCOMPARE(reply->flags, expected.flags);
}

void TestInfoReply::shortDatagramsAreNotParsed_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("the request") << QByteArray(4, '\0');
    QTest::newRow("9 bytes") << QByteArray::fromHex("00000000"
                                                    "87"
                                                    "4100"
                                                    "01"
                                                    "05");
}

void TestInfoReply::shortDatagramsAreNotParsed()
{
    QFETCH(QByteArray, datagram);
    QVERIFY(!InfoProtocol::parseReply(datagram));
}

void TestInfoReply::encodeThenParse_data()
{
    QTest::addColumn<InfoReply>("reply");
    QTest::addColumn<QByteArray>("trailing");
    QTest::newRow("Alpha") << makeReply(135, "Alpha", 1, 5, 16, "ctf01", "", 0) << QByteArray();
    QTest::newRow("with trailing bytes")
        << makeReply(145, "Server", 2, 12, 32, "dm02", "rfctf", 3) << QByteArray("\x01\x00xyz", 5);
    QTest::newRow("empty texts") << makeReply(133, "", 0, 0, 0, "", "", 0) << QByteArray("\0", 1);
    QTest::newRow("long name") << makeReply(137, QByteArray(300, 'n'), 1, 1, 2, "m", "d", 0)
                               << QByteArray();
}

void TestInfoReply::encodeThenParse()
{
    QFETCH(InfoReply, reply);
    QFETCH(QByteArray, trailing);
    const QByteArray datagram = InfoProtocol::encodeReply(reply, trailing);

    // 00 01, then the size of what follows the first four bytes, little-endian.
    QCOMPARE(datagram.left(2), QByteArray::fromHex("0001"));
    const int size = quint8(datagram[2]) | (quint8(datagram[3]) << 8);
    QCOMPARE(size, datagram.size() - 4);
    QCOMPARE(datagram.size(),
             12 + reply.name.size() + reply.map.size() + reply.mod.size() + trailing.size());
    QVERIFY(datagram.endsWith(trailing));

    QByteArray parsedTrailing;
    const std::optional<InfoReply> parsed = InfoProtocol::parseReply(datagram, &parsedTrailing);
    QVERIFY(parsed);
    QCOMPARE(parsed->version, reply.version);
    QCOMPARE(parsed->name, reply.name);
    QCOMPARE(parsed->gameType, reply.gameType);
    QCOMPARE(parsed->players, reply.players);
    QCOMPARE(parsed->maxPlayers, reply.maxPlayers);
    QCOMPARE(parsed->map, reply.map);
    QCOMPARE(parsed->mod, reply.mod);
    QCOMPARE(parsed->flags, reply.flags);
    QCOMPARE(parsedTrailing, trailing);
    QByteArray cutTrailing;
    InfoProtocol::parseReply(datagram.left(datagram.indexOf('\0', 5)), &cutTrailing);
    QCOMPARE(cutTrailing, QByteArray());
}

void TestInfoReply::versions_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("index"); // -1: none
    QTest::newRow("133") << 133 << QByteArray("1.0") << 0;
    QTest::newRow("135") << 135 << QByteArray("1.1") << 1;
    QTest::newRow("137") << 137 << QByteArray("1.2") << 2;
    QTest::newRow("145") << 145 << QByteArray("1.3") << 3;
    QTest::newRow("134") << 134 << QByteArray() << -1;
    QTest::newRow("150") << 150 << QByteArray() << -1;
    QTest::newRow("0") << 0 << QByteArray() << -1;
}

void TestInfoReply::versions()
{
    QFETCH(int, byte);
    QFETCH(QByteArray, text);
    QFETCH(int, index);
    QCOMPARE(InfoProtocol::versionText(quint8(byte)), text);
    QCOMPARE(InfoProtocol::versionIndex(quint8(byte)).value_or(-1), index);
}

QTEST_GUILESS_MAIN(TestInfoReply)
#include "tst_inforeply.moc"
