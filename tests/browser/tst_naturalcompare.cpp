#include "core/browser/naturalcompare.h"

#include <QTest>

class TestNaturalCompare : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void orders_data();
    void orders();
    void isAntisymmetric_data() { orders_data(); }
    void isAntisymmetric();
};

void TestNaturalCompare::orders_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("expectedSign");

    QTest::newRow("pings by value") << "20"
                                    << "100" << -1;
    QTest::newRow("equal pings") << "42"
                                 << "42" << 0;
    QTest::newRow("players by current count") << "5/16"
                                              << "12/16" << -1;
    QTest::newRow("players by maximum") << "5/8"
                                        << "5/16" << -1;
    QTest::newRow("versions") << "1.0"
                              << "1.3" << -1;
    QTest::newRow("addresses by first octet") << "10.0.0.5"
                                              << "192.168.1.10" << -1;
    QTest::newRow("addresses by last octet") << "192.168.1.9"
                                             << "192.168.1.10" << -1;
    QTest::newRow("empty before text") << ""
                                       << "1.0" << -1;
    QTest::newRow("both empty") << ""
                                << "" << 0;
    QTest::newRow("case is ignored") << "alpha"
                                     << "ALPHA" << 0;
    QTest::newRow("letters regardless of case") << "alpha"
                                                << "Bravo" << -1;
    QTest::newRow("map numbers") << "ctf2"
                                 << "ctf10" << -1;
    QTest::newRow("prefix first") << "ctf"
                                  << "ctf01" << -1;
    QTest::newRow("leading zeros count as value") << "007"
                                                  << "10" << -1;
    QTest::newRow("numbers longer than 64 bits") << "99999999999999999999999"
                                                 << "100000000000000000000000" << -1;
    QTest::newRow("digit before letter") << "9"
                                         << "a" << -1;
    QTest::newRow("Latin-1 letters fold case")
        << QString::fromLatin1("\xe9t\xe9") << QString::fromLatin1("\xc9T\xc9") << 0;
}

void TestNaturalCompare::orders()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(int, expectedSign);
    const int result = naturalCompare(left, right);
    QCOMPARE((result > 0) - (result < 0), expectedSign);
}

void TestNaturalCompare::isAntisymmetric()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(int, expectedSign);
    const int result = naturalCompare(right, left);
    QCOMPARE((result > 0) - (result < 0), -expectedSign);
}

QTEST_GUILESS_MAIN(TestNaturalCompare)
#include "tst_naturalcompare.moc"
