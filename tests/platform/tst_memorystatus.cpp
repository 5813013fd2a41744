#include "core/platform/memorystatus.h"

#include <QTest>

class TestMemoryStatus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void text_data();
    void text();
    void meminfo_data();
    void meminfo();
    void readsThisMachine();
};

void TestMemoryStatus::text_data()
{
    QTest::addColumn<quint32>("load");
    QTest::addColumn<quint64>("available");
    QTest::addColumn<QString>("expected");

    QTest::newRow("example") << 37u << Q_UINT64_C(268435456) << "37% Used 256 Mb Available";
    QTest::newRow("no load, nothing free") << 0u << Q_UINT64_C(0) << "0% Used 0 Mb Available";
    QTest::newRow("full load") << 100u << Q_UINT64_C(0) << "100% Used 0 Mb Available";
    QTest::newRow("one byte short of a megabyte") << 50u << Q_UINT64_C(1048575)
                                                   << "50% Used 0 Mb Available";
    QTest::newRow("one megabyte") << 50u << Q_UINT64_C(1048576) << "50% Used 1 Mb Available";
    QTest::newRow("one and a half megabytes") << 50u << Q_UINT64_C(1572864)
                                              << "50% Used 1 Mb Available";
    QTest::newRow("rounded down") << 50u << Q_UINT64_C(10485759) << "50% Used 9 Mb Available";
    QTest::newRow("2 GiB shown in full") << 12u << Q_UINT64_C(2147483648)
                                         << "12% Used 2048 Mb Available";
    QTest::newRow("beyond 32 bits") << 3u << Q_UINT64_C(68719476736)
                                    << "3% Used 65536 Mb Available";
}

void TestMemoryStatus::text()
{
    QFETCH(quint32, load);
    QFETCH(quint64, available);
    QFETCH(QString, expected);
    QCOMPARE(MemoryStatus::text({load, available}), expected);
}

void TestMemoryStatus::meminfo_data()
{
    QTest::addColumn<QByteArray>("meminfo");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<quint32>("load");
    QTest::addColumn<quint64>("available");

    QTest::newRow("quarter in use") << QByteArray("MemTotal:        4194304 kB\n"
                                                  "MemFree:          100000 kB\n"
                                                  "MemAvailable:     3145728 kB\n")
                                    << true << 25u << Q_UINT64_C(3221225472);
    QTest::newRow("nothing available")
        << QByteArray("MemTotal: 1000 kB\nMemAvailable: 0 kB\n") << true << 100u << Q_UINT64_C(0);
    QTest::newRow("all available")
        << QByteArray("MemAvailable: 1000 kB\nMemTotal: 1000 kB\n") << true << 0u
        << Q_UINT64_C(1024000);
    QTest::newRow("rounds to nearest percent")
        << QByteArray("MemTotal: 1000 kB\nMemAvailable: 994 kB\n") << true << 1u
        << Q_UINT64_C(1017856);
    QTest::newRow("no MemAvailable") << QByteArray("MemTotal: 1000 kB\nMemFree: 10 kB\n") << false
                                     << 0u << Q_UINT64_C(0);
    QTest::newRow("zero total") << QByteArray("MemTotal: 0 kB\nMemAvailable: 0 kB\n") << false
                                << 0u << Q_UINT64_C(0);
    QTest::newRow("garbage") << QByteArray("MemTotal: lots\nMemAvailable: some\n") << false << 0u
                             << Q_UINT64_C(0);
}

void TestMemoryStatus::meminfo()
{
    QFETCH(QByteArray, meminfo);
    QFETCH(bool, valid);
    QFETCH(quint32, load);
    QFETCH(quint64, available);

    const auto figures = MemoryStatus::fromMeminfo(meminfo);
    QCOMPARE(figures.has_value(), valid);
    if (!valid)
        return;
    QCOMPARE(figures->loadPercent, load);
    QCOMPARE(figures->availableBytes, available);
}

void TestMemoryStatus::readsThisMachine()
{
#ifdef Q_OS_LINUX
    const auto figures = MemoryStatus::read();
    QVERIFY(figures.has_value());
    QVERIFY(figures->loadPercent <= 100);
    QVERIFY(figures->availableBytes > 0);
    // 8 MiB more in use shows in the resident figure.
    const quint64 before = MemoryStatus::residentBytes().value_or(0);
    QByteArray touched(8 << 20, 'x');
    QVERIFY(MemoryStatus::residentBytes().value_or(0) >= before + (7 << 20));
#else
    QSKIP("reads /proc/meminfo on Linux only");
#endif
}

QTEST_GUILESS_MAIN(TestMemoryStatus)
#include "tst_memorystatus.moc"
