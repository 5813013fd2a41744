#include "core/wire/ircformatting.h"

#include <QTest>

class TestIrcFormatting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void strip_data();
    void strip();
};

void TestIrcFormatting::strip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plain");

    QTest::newRow("no codes") << "see http://x, 12:30 :)"
                              << "see http://x, 12:30 :)";
    QTest::newRow("toggles and reset") << "\002b\x02 \x1Di \x1Fu\x0F \x16r\x1Es\x11m."
                                       << "b i u rsm.";
    // Up to two digits each; a comma stays unless a digit follows it.
    QTest::newRow("colours") << "\0034red \00304,12blue\x03 \003123 \0035,x \x03,5"
                             << "red blue 3 ,x ,5";
    QTest::newRow("hex colour, code at the end") << "\004FF0000,00ff00t\004abc bye\0031,"
                                                 << "t bye,";
    QTest::newRow("non-ascii") << QStringLiteral("\x02gr\u00fc\u00dfe\x02 \u20ac")
                               << QStringLiteral("gr\u00fc\u00dfe \u20ac");
}

void TestIrcFormatting::strip()
{
    QFETCH(QString, text);
    QTEST(stripIrcFormatting(text), "plain");
}

QTEST_GUILESS_MAIN(TestIrcFormatting)
#include "tst_ircformatting.moc"
