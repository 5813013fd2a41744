#include "core/wire/masterprotocol.h"

#include <QTest>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

ServerRecord record(quint8 a, quint8 b, quint8 c, quint8 d, quint16 port)
{
    return ServerRecord{{a, b, c, d}, port};
}

} // namespace

class TestMasterProtocol : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listRequestBytes()
    {
        QCOMPARE(MasterProtocol::listRequest(), hex("0206050000000000 0a0000"));
    }

    void acknowledgementEchoesBytes_data()
    {
        QTest::addColumn<QByteArray>("echo");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("11 22 33 44") << hex("11223344") << hex("0206010011223344 0a0000");
        QTest::newRow("zeros") << hex("00000000") << hex("0206010000000000 0a0000");
        QTest::newRow("high bytes") << hex("ff80fe01") << hex("02060100ff80fe01 0a0000");
    }
    void acknowledgementEchoesBytes()
    {
        QFETCH(QByteArray, echo);
        QFETCH(QByteArray, expected);
        QCOMPARE(MasterProtocol::acknowledgement(echo), expected);
    }

    void parseListPart()
    {
        // Two records, server total 2C 01 = 300 (little-endian), ports big-endian.
        const QByteArray part = hex("0000060011223344 0000 02 2c01 0000"
                                    "c0a8010a0258 0a00000503e7");
        const auto parsed = MasterProtocol::parse(part);
        QVERIFY(parsed);
        QCOMPARE(parsed->type, quint8(MasterProtocol::ListPart));
        QCOMPARE(parsed->echo, hex("11223344"));
        QVERIFY(parsed->hasCounts);
        QCOMPARE(parsed->recordCount, quint8(2));
        QCOMPARE(parsed->serverTotal, quint16(300));
        const QList<ServerRecord> expected{record(192, 168, 1, 10, 600), record(10, 0, 0, 5, 999)};
        QCOMPARE(parsed->records, expected);
        QCOMPARE(parsed->records[0].address(), QStringLiteral("192.168.1.10"));
    }

    void parseKeepsOnlyCompleteRecords_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("hasCounts");
        QTest::addColumn<int>("recordCount");
        QTest::addColumn<int>("serverTotal");
        QTest::addColumn<int>("records");

        const QByteArray head = hex("0206060001020304 0000");
        const QByteArray oneRecord = hex("0a0000010001");
        QTest::newRow("10 bytes: no counts") << head << false << 0 << 0 << 0;
        QTest::newRow("12 bytes: total cut") << head + hex("0301") << false << 0 << 0 << 0;
        QTest::newRow("13 bytes: counts only") << head + hex("030500") << true << 3 << 5 << 0;
        QTest::newRow("header only") << head + hex("0305000000") << true << 3 << 5 << 0;
        QTest::newRow("record cut short")
            << head + hex("0205000000") + oneRecord + oneRecord.left(5) << true << 2 << 5 << 1;
        QTest::newRow("count 0 ignores extra bytes")
            << head + hex("0005000000") + oneRecord << true << 0 << 5 << 0;
        QTest::newRow("more bytes than counted")
            << head + hex("0105000000") + oneRecord + oneRecord << true << 1 << 5 << 1;
        QTest::newRow("count 255, three held")
            << head + hex("ffffff0000") + oneRecord.repeated(3) << true << 255 << 65535 << 3;
    }
    void parseKeepsOnlyCompleteRecords()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, hasCounts);
        QFETCH(int, recordCount);
        QFETCH(int, serverTotal);
        QFETCH(int, records);
        const auto parsed = MasterProtocol::parse(datagram);
        QVERIFY(parsed);
        QCOMPARE(parsed->hasCounts, hasCounts);
        QCOMPARE(int(parsed->recordCount), recordCount);
        QCOMPARE(int(parsed->serverTotal), serverTotal);
        QCOMPARE(parsed->records.size(), records);
    }

    void parseTypesAndSizes_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("echo");
        QTest::newRow("empty") << QByteArray() << false << 0 << QByteArray();
        QTest::newRow("9 bytes") << hex("020607000102030400") << false << 0 << QByteArray();
        QTest::newRow("10-byte list end")
            << hex("0206070001020304 0000") << true << 7 << hex("01020304");
        QTest::newRow("list end, tail ignored")
            << hex("ffff07ffa1b2c3d4 ffffffff") << true << 7 << hex("a1b2c3d4");
        QTest::newRow("type 5") << hex("0206050000000000 0a0000") << true << 5 << hex("00000000");
        QTest::newRow("acknowledgement")
            << hex("0206010055667788 0a0000") << true << 1 << hex("55667788");
    }
    void parseTypesAndSizes()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, parsed);
        QFETCH(int, type);
        QFETCH(QByteArray, echo);
        const auto result = MasterProtocol::parse(datagram);
        QCOMPARE(result.has_value(), parsed);
        if (!result)
            return;
        QCOMPARE(int(result->type), type);
        QCOMPARE(result->echo, echo);
        QVERIFY(result->records.isEmpty());
    }

    void listPartRoundTrip_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("sixty") << 60;
        QTest::newRow("largest part") << 255;
    }
    void listPartRoundTrip()
    {
        QFETCH(int, count);
        QList<ServerRecord> records;
        for (int i = 0; i < count; ++i)
            records.append(record(quint8(i), 0, quint8(255 - i), 1, quint16(i * 257 + 1)));
        const QByteArray echo = hex("deadbeef");
        const QByteArray part = MasterProtocol::encodeListPart(echo, 1234, records);
        QCOMPARE(part.size(), 15 + 6 * count);

        const auto parsed = MasterProtocol::parse(part);
        QVERIFY(parsed);
        QCOMPARE(parsed->type, quint8(MasterProtocol::ListPart));
        QCOMPARE(parsed->echo, echo);
        QCOMPARE(parsed->serverTotal, quint16(1234));
        QCOMPARE(int(parsed->recordCount), count);
        QCOMPARE(parsed->records, records);
    }

    void encodedListPartMatchesByteExample()
    {
        const QByteArray part = MasterProtocol::encodeListPart(
            hex("11223344"), 300, {record(192, 168, 1, 10, 600), record(10, 0, 0, 5, 999)});
        // Bytes 10..12 and the records as the exchange defines them.
        QCOMPARE(part.mid(2, 1), hex("06"));
        QCOMPARE(part.mid(4, 4), hex("11223344"));
        QCOMPARE(part.mid(10, 3), hex("022c01"));
        QCOMPARE(part.mid(15), hex("c0a8010a0258 0a00000503e7"));
    }

    void listEndRoundTrip()
    {
        const QByteArray end = MasterProtocol::encodeListEnd(hex("cafe0001"));
        QVERIFY(end.size() >= MasterProtocol::minimumDatagramSize);
        const auto parsed = MasterProtocol::parse(end);
        QVERIFY(parsed);
        QCOMPARE(parsed->type, quint8(MasterProtocol::ListEnd));
        QCOMPARE(MasterProtocol::acknowledgement(parsed->echo), hex("02060100cafe0001 0a0000"));
    }

    void recordAddressText_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("d");
        QTest::addColumn<QString>("address");
        QTest::newRow("zeros") << 0 << 0 << "0.0.0.0";
        QTest::newRow("no leading zeros") << 7 << 255 << "7.0.0.255";
    }
    void recordAddressText()
    {
        QFETCH(int, a);
        QFETCH(int, d);
        QFETCH(QString, address);
        QCOMPARE(record(quint8(a), 0, 0, quint8(d), 0).address(), address);
    }
};

QTEST_APPLESS_MAIN(TestMasterProtocol)
#include "tst_masterprotocol.moc"
