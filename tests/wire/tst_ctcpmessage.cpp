#include "core/wire/ctcpmessage.h"

#include <QTest>

class TestCtcpMessage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestCtcpMessage::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("parsed"); // "COMMAND|argument", empty for none

    QTest::newRow("action") << "\001ACTION waves  twice\x01"
                            << "ACTION|waves  twice";
    QTest::newRow("no argument") << "\x01VERSION\x01"
                                 << "VERSION|";
    QTest::newRow("lower case, no closing delimiter") << "\x01ping 1234"
                                                      << "PING|1234";
    QTest::newRow("plain text") << "hi \001ACTION x\x01"
                                << "";
    QTest::newRow("delimiters only") << "\x01\x01"
                                     << "";
    QTest::newRow("blank command") << "\x01 x\x01"
                                   << "";
}

void TestCtcpMessage::parse()
{
    QFETCH(QString, text);
    const std::optional<CtcpMessage> message = CtcpMessage::parse(text);
    QTEST(message ? message->command + u'|' + message->argument : QString(), "parsed");
}

QTEST_GUILESS_MAIN(TestCtcpMessage)
#include "tst_ctcpmessage.moc"
