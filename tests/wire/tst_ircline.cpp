#include "core/wire/ircline.h"

#include <QTest>

class TestIrcLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void decode_data();
    void decode();
    void encoders_data();
    void encoders();
};

void TestIrcLine::parse_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("nick");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<bool>("hasTrailing");

    QTest::newRow("privmsg") << ":bob!u@h PRIVMSG #VNH_Lounge :hello there"
                             << "bob!u@h"
                             << "bob" << QStringLiteral("PRIVMSG")
                             << QStringList{QStringLiteral("#VNH_Lounge"),
                                            QStringLiteral("hello there")}
                             << true;
    QTest::newRow("server numeric, no nick")
        << ":irc.x 353 me = #VNH_Lounge :@a b"
        << "irc.x"
        << "" << QStringLiteral("353")
        << QStringList{QStringLiteral("me"), QStringLiteral("="), QStringLiteral("#VNH_Lounge"),
                       QStringLiteral("@a b")}
        << true;
    QTest::newRow("no prefix") << "PING :irc.x"
                               << ""
                               << "" << QStringLiteral("PING")
                               << QStringList{QStringLiteral("irc.x")} << true;
    QTest::newRow("no trailing") << ":bob!u@h NICK newbob"
                                 << "bob!u@h"
                                 << "bob" << QStringLiteral("NICK")
                                 << QStringList{QStringLiteral("newbob")} << false;
    QTest::newRow("trailing keeps colons and blanks")
        << ":bob!u@h PRIVMSG #c :a :b  c:"
        << "bob!u@h"
        << "bob" << QStringLiteral("PRIVMSG")
        << QStringList{QStringLiteral("#c"), QStringLiteral("a :b  c:")} << true;
    QTest::newRow("colon inside a middle parameter")
        << ":s 005 me A=b:c :text"
        << "s"
        << "" << QStringLiteral("005")
        << QStringList{QStringLiteral("me"), QStringLiteral("A=b:c"), QStringLiteral("text")}
        << true;
    QTest::newRow("repeated blanks")
        << ":s  366   me  #c  :End"
        << "s"
        << "" << QStringLiteral("366")
        << QStringList{QStringLiteral("me"), QStringLiteral("#c"), QStringLiteral("End")} << true;
    QTest::newRow("empty trailing")
        << ":bob!u@h PRIVMSG #c :"
        << "bob!u@h"
        << "bob" << QStringLiteral("PRIVMSG")
        << QStringList{QStringLiteral("#c"), QStringLiteral("")} << true;
    QTest::newRow("nick without user is no nick")
        << ":bob!@h PRIVMSG #c :x"
        << "bob!@h"
        << "" << QStringLiteral("PRIVMSG") << QStringList{QStringLiteral("#c"), QStringLiteral("x")}
        << true;
    QTest::newRow("prefix without host is no nick")
        << ":bob!u PRIVMSG #c :x"
        << "bob!u"
        << "" << QStringLiteral("PRIVMSG") << QStringList{QStringLiteral("#c"), QStringLiteral("x")}
        << true;
}

void TestIrcLine::parse()
{
    QFETCH(QString, line);
    const IrcLine parsed = IrcLine::parse(line);
    QCOMPARE(parsed.text, line);
    QTEST(parsed.prefix, "prefix");
    QTEST(parsed.nick, "nick");
    QTEST(parsed.command, "command");
    QTEST(parsed.params, "params");
    QTEST(parsed.hasTrailing, "hasTrailing");
}

void TestIrcLine::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("ascii") << QByteArray("hello") << QStringLiteral("hello");
    QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9 \xe2\x82\xac")
                           << QStringLiteral("caf\u00e9 \u20ac");
    QTest::newRow("latin-1") << QByteArray("caf\xe9") << QStringLiteral("caf\u00e9");
    QTest::newRow("truncated utf-8 sequence is latin-1")
        << QByteArray("ab\xc3") << QStringLiteral("ab\u00c3");
    QTest::newRow("overlong encoding is latin-1")
        << QByteArray("\xc0\xaf") << QStringLiteral("\u00c0\u00af");
    QTest::newRow("mixed valid and invalid is latin-1")
        << QByteArray("\xc3\xa9\xe9") << QStringLiteral("\u00c3\u00a9\u00e9");
}

void TestIrcLine::decode()
{
    QFETCH(QByteArray, bytes);
    QTEST(IrcLine::decode(bytes), "text");
}

void TestIrcLine::encoders_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("user line") << IrcLine::userLine(QStringLiteral("Default"),
                                                    QStringLiteral("pc7"), 1234)
                               << QByteArray(
                                      "USER Default pc7 PC7:1234/0 :Varnholt IRC Client\r\n");
    QTest::newRow("user line upper-cases field 3 only")
        << IrcLine::userLine(QStringLiteral("Name "), QStringLiteral("host.lan"), 80)
        << QByteArray("USER Name  host.lan HOST.LAN:80/0 :Varnholt IRC Client\r\n");
    QTest::newRow("user line from an IPv6 loopback address")
        << IrcLine::userLine(QStringLiteral("Default"), QStringLiteral("::1"), 1234)
        << QByteArray("USER Default 0::1 0::1:1234/0 :Varnholt IRC Client\r\n");
    QTest::newRow("user line from an IPv6 address")
        << IrcLine::userLine(QStringLiteral("Default"), QStringLiteral("fe80::1"), 1234)
        << QByteArray("USER Default fe80::1 FE80::1:1234/0 :Varnholt IRC Client\r\n");
    QTest::newRow("nick keeps a trailing blank")
        << IrcLine::nickLine(QStringLiteral("Player ")) << QByteArray("NICK Player \r\n");
    QTest::newRow("join") << IrcLine::joinLine(QStringLiteral("#VNH_Lounge"))
                          << QByteArray("JOIN #VNH_Lounge\r\n");
    QTest::newRow("names") << IrcLine::namesLine(QStringLiteral("#VNH_Lounge"))
                           << QByteArray("NAMES #VNH_Lounge\r\n");
    QTest::newRow("privmsg keeps blanks and colons")
        << IrcLine::privmsgLine(QStringLiteral("#c"), QStringLiteral(" a: /b "))
        << QByteArray("PRIVMSG #c : a: /b \r\n");
    QTest::newRow("privmsg is utf-8")
        << IrcLine::privmsgLine(QStringLiteral("#c"), QStringLiteral("\u00e9\u20ac"))
        << QByteArray("PRIVMSG #c :\xc3\xa9\xe2\x82\xac\r\n");
    QTest::newRow("pong") << IrcLine::pongLine(QStringLiteral(":irc.x"))
                          << QByteArray("PONG :irc.x\r\n");
    QTest::newRow("line breaks in text cannot inject a command")
        << IrcLine::privmsgLine(QStringLiteral("#c"), QStringLiteral("hi\r\nQUIT :x"))
        << QByteArray("PRIVMSG #c :hiQUIT :x\r\n");
    QTest::newRow("nul and breaks in settings are removed")
        << IrcLine::joinLine(QString::fromLatin1("#c\n\0x", 5)) << QByteArray("JOIN #cx\r\n");
    QTest::newRow("breaks in the user name are removed")
        << IrcLine::userLine(QStringLiteral("a\rb"), QStringLiteral("h"), 1)
        << QByteArray("USER ab h H:1/0 :Varnholt IRC Client\r\n");
}

void TestIrcLine::encoders()
{
    QFETCH(QByteArray, encoded);
    QTEST(encoded, "expected");
}

QTEST_GUILESS_MAIN(TestIrcLine)
#include "tst_ircline.moc"
