#include "core/wire/addresscache.h"
#include "core/wire/masterprotocol.h"

#include <QTest>

class TestAddressCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formatServer_data()
    {
        QTest::addColumn<ServerRecord>("record");
        QTest::addColumn<QByteArray>("lines");
        QTest::newRow("example") << ServerRecord{{192, 168, 1, 10}, 600}
                                 << QByteArray("192.168.1.10\r\n 600 \r\n");
        QTest::newRow("zeros") << ServerRecord{{0, 0, 0, 0}, 0} << QByteArray("0.0.0.0\r\n 0 \r\n");
        QTest::newRow("largest port")
            << ServerRecord{{10, 0, 0, 5}, 65535} << QByteArray("10.0.0.5\r\n 65535 \r\n");
    }
    void formatServer()
    {
        QFETCH(ServerRecord, record);
        QFETCH(QByteArray, lines);
        QCOMPARE(AddressCache::formatServer(record.address(), record.port), lines);
    }

    void parse_data()
    {
        using Servers = QList<CachedServer>;
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Servers>("servers");
        QTest::newRow("empty file") << QByteArray() << Servers{};
        QTest::newRow("two servers in order")
            << QByteArray("192.168.1.10\r\n 600 \r\n10.0.0.5\r\n 999 \r\n")
            << Servers{{QStringLiteral("192.168.1.10"), 600}, {QStringLiteral("10.0.0.5"), 999}};
        QTest::newRow("duplicates kept")
            << QByteArray("1.2.3.4\r\n 5 \r\n1.2.3.4\r\n 5 \r\n")
            << Servers{{QStringLiteral("1.2.3.4"), 5}, {QStringLiteral("1.2.3.4"), 5}};
        QTest::newRow("LF only, no blanks")
            << QByteArray("1.2.3.4\n7\n") << Servers{{QStringLiteral("1.2.3.4"), 7}};
        QTest::newRow("no final line end")
            << QByteArray("1.2.3.4\r\n 7 ") << Servers{{QStringLiteral("1.2.3.4"), 7}};
        QTest::newRow("address without port ends the list")
            << QByteArray("1.2.3.4\r\n 7 \r\n5.6.7.8\r\n")
            << Servers{{QStringLiteral("1.2.3.4"), 7}};
        QTest::newRow("bad port texts")
            << QByteArray("1.1.1.1\r\n x \r\n2.2.2.2\r\n 65536 \r\n3.3.3.3\r\n -1 \r\n"
                          "4.4.4.4\r\n  \r\n")
            << Servers{{QStringLiteral("1.1.1.1"), std::nullopt},
                       {QStringLiteral("2.2.2.2"), std::nullopt},
                       {QStringLiteral("3.3.3.3"), std::nullopt},
                       {QStringLiteral("4.4.4.4"), std::nullopt}};
    }
    void parse()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<CachedServer>, servers);
        QCOMPARE(AddressCache::parse(text), servers);
    }

    void formatThenParseRoundTrip()
    {
        const QList<ServerRecord> records{
            {{127, 0, 0, 1}, 7755}, {{0, 0, 0, 0}, 0}, {{255, 255, 255, 255}, 65535}};
        QByteArray text;
        for (const ServerRecord& record : records)
            text += AddressCache::formatServer(record.address(), record.port);
        const QList<CachedServer> servers = AddressCache::parse(text);
        QCOMPARE(servers.size(), records.size());
        for (qsizetype i = 0; i < records.size(); ++i) {
            QCOMPARE(servers[i].address, records[i].address());
            QCOMPARE(servers[i].port, std::optional<quint16>(records[i].port));
        }
    }
};

QTEST_APPLESS_MAIN(TestAddressCache)
#include "tst_addresscache.moc"
