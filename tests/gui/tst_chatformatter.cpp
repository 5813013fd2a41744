#include "gui/chatformatter.h"

#include <QSignalSpy>
#include <QTest>

// The chat log's texts, byte for byte, for each event of the chat session.
// Every event is exactly one log edit: a replace or an append.
class TestChatFormatter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void connectionEvents_data();
    void connectionEvents();
    void received_data();
    void received();
    void lineAfterDisconnected();
};

namespace {
enum class Event
{
    Connecting,
    Opened,
    DisconnectedByUser,
    MessageSent,
};

// Marks an item given as text as the server's greeting.
const QString greeting = QStringLiteral("(greeting) ");

void checkOneEdit(const QSignalSpy& replaced, const QSignalSpy& appended)
{
    QFETCH(bool, replaces);
    QFETCH(QString, text);
    QCOMPARE(replaced.size() + appended.size(), 1);
    const QSignalSpy& edit = replaces ? replaced : appended;
    QCOMPARE(edit.size(), 1);
    QCOMPARE(edit.at(0).at(0).toString(), text);
}
} // namespace

Q_DECLARE_METATYPE(Event)

void TestChatFormatter::connectionEvents_data()
{
    QTest::addColumn<Event>("event");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("replaces");
    QTest::addColumn<QString>("text");

    QTest::newRow("connecting") << Event::Connecting << QStringList{QStringLiteral("127.0.0.1")}
                                << true << "Connecting to 127.0.0.1...\r\n";
    QTest::newRow("connection opened")
        << Event::Opened << QStringList() << true << "Connected.. (Waiting for authorization)\r\n";
    QTest::newRow("disconnected, no line break")
        << Event::DisconnectedByUser << QStringList() << true << "Disconnected";
    QTest::newRow("echo") << Event::MessageSent
                          << QStringList{QStringLiteral("vnh"), QStringLiteral("hello all")}
                          << false << QStringLiteral("\u00bb\u00bbvnh\u00ab\u00ab: hello all\r\n");
    QTest::newRow("echo keeps blanks")
        << Event::MessageSent << QStringList{QStringLiteral("other"), QStringLiteral(" a/b ")}
        << false << QStringLiteral("\u00bb\u00bbother\u00ab\u00ab:  a/b \r\n");
    QTest::newRow("echo of non-ascii")
        << Event::MessageSent
        << QStringList{QStringLiteral("vnh"), QStringLiteral("gr\u00fc\u00dfe \u20ac")} << false
        << QStringLiteral("\u00bb\u00bbvnh\u00ab\u00ab: gr\u00fc\u00dfe \u20ac\r\n");
}

void TestChatFormatter::connectionEvents()
{
    QFETCH(Event, event);
    QFETCH(QStringList, arguments);
    ChatFormatter formatter;
    QSignalSpy replaced(&formatter, &ChatFormatter::logReplaced);
    QSignalSpy appended(&formatter, &ChatFormatter::logAppended);
    switch (event) {
    case Event::Connecting:
        formatter.onConnecting(arguments.at(0));
        break;
    case Event::Opened:
        formatter.onConnectionOpened();
        break;
    case Event::DisconnectedByUser:
        formatter.onDisconnectedByUser();
        break;
    case Event::MessageSent:
        formatter.onMessageSent(arguments.at(0), arguments.at(1));
        break;
    }
    checkOneEdit(replaced, appended);
}

void TestChatFormatter::received_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("replaces");
    QTest::addColumn<QString>("text");

    QTest::newRow("message") << QStringList{QStringLiteral(
                                    ":bob!u@h PRIVMSG #VNH_Lounge :hello there")}
                             << false << "bob: hello there\r\n";
    QTest::newRow("a read's lines in one append")
        << QStringList{QStringLiteral(":a!u@h PRIVMSG #VNH_Lounge :1"),
                       QStringLiteral(":b!u@h PRIVMSG #VNH_Lounge :2")}
        << false << "a: 1\r\nb: 2\r\n";
    QTest::newRow("chat and a notice")
        << QStringList{QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :hi"),
                       QStringLiteral(":x NOTICE vnh :n")}
        << false << "bob: hi\r\n:x NOTICE vnh :n\r\n";
    QTest::newRow("names of another channel are raw")
        << QStringList{QStringLiteral(":s 353 vnh = #other :x y"),
                       QStringLiteral(":s 366 vnh #other :End of NAMES list")}
        << false << ":s 353 vnh = #other :x y\r\n:s 366 vnh #other :End of NAMES list\r\n";
    QTest::newRow("message quoting the names marker")
        << QStringList{QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :try  = #VNH_Lounge :@a b")}
        << false << "bob: try  = #VNH_Lounge :@a b\r\n";
    QTest::newRow("message holding colons")
        << QStringList{QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :see http://x :) 12:30")}
        << false << "bob: see http://x :) 12:30\r\n";
    QTest::newRow("long nick") << QStringList{QStringLiteral(
                                      ":longnickname!u@h PRIVMSG #VNH_Lounge :hi")}
                               << false << "longnickname: hi\r\n";
    QTest::newRow("join") << QStringList{QStringLiteral(":bob!u@h JOIN :#VNH_Lounge")} << false
                          << "bob: #VNH_Lounge\r\n";
    QTest::newRow("join without colon") << QStringList{QStringLiteral(":bob!u@h JOIN #VNH_Lounge")}
                                        << false << QStringLiteral("bob: #VNH_Lounge\r\n");
    QTest::newRow("quit without reason")
        << QStringList{QStringLiteral(":bob!u@h QUIT")} << false << QStringLiteral("bob: \r\n");
    QTest::newRow("server notice is raw")
        << QStringList{QStringLiteral(":server NOTICE AUTH :*** Looking up your hostname...")}
        << false << ":server NOTICE AUTH :*** Looking up your hostname...\r\n";
    QTest::newRow("no prefix is raw")
        << QStringList{QStringLiteral("ERROR :Closing link"), QStringLiteral(" more")} << false
        << "ERROR :Closing link\r\n more\r\n";
    QTest::newRow("ping not at the start of a line")
        << QStringList{QStringLiteral(":s NOTICE vnh :PING me")} << false
        << QStringLiteral(":s NOTICE vnh :PING me\r\n");
    QTest::newRow("slash line from a user")
        << QStringList{QStringLiteral(":bob!u@h PRIVMSG #c :/quit")} << false
        << QStringLiteral("bob: /quit\r\n");
    QTest::newRow("non-ascii")
        << QStringList{QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :caf\u00e9"),
                       QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :caf\u00e9 \u20ac")}
        << false << QStringLiteral("bob: caf\u00e9\r\nbob: caf\u00e9 \u20ac\r\n");
    const QString longText(5000, u'y');
    QTest::newRow("long message") << QStringList{QStringLiteral(":bob!u@h PRIVMSG #c :") + longText}
                                  << false
                                  << QStringLiteral("bob: ") + longText + QStringLiteral("\r\n");
    QTest::newRow("greeting restarts the log")
        << QStringList{QStringLiteral(":s NOTICE AUTH :*** Looking up your hostname"),
                       greeting + QStringLiteral(":s NOTICE AUTH :*** Found your hostname"),
                       QStringLiteral(":s 001 vnh :Welcome")}
        << true << "Connected OK\r\n:s 001 vnh :Welcome\r\n";
    QTest::newRow("formatting codes are left out")
        << QStringList{QString::fromUtf8(":bob!u@h PRIVMSG #c :\002hi\x02 \0034,1red"),
                       QString::fromUtf8(":s NOTICE vnh :\x1Fu\x0F!")}
        << false << "bob: hi red\r\n:s NOTICE vnh :u!\r\n";
}

void TestChatFormatter::received()
{
    QFETCH(QStringList, items);
    QList<ReceivedItem> batch;
    for (const QString& item : items) {
        const bool isGreeting = item.startsWith(greeting);
        batch.append({isGreeting ? ReceivedItem::Kind::Greeting : ReceivedItem::Kind::Line,
                      IrcLine::parse(isGreeting ? item.mid(greeting.size()) : item)});
    }
    ChatFormatter formatter;
    QSignalSpy replaced(&formatter, &ChatFormatter::logReplaced);
    QSignalSpy appended(&formatter, &ChatFormatter::logAppended);
    formatter.onReceived(batch);
    checkOneEdit(replaced, appended);
}

void TestChatFormatter::lineAfterDisconnected()
{
    ChatFormatter formatter;
    QSignalSpy appended(&formatter, &ChatFormatter::logAppended);
    // "Disconnected" ends without a line break: what follows starts a line.
    formatter.onDisconnectedByUser();
    formatter.onNotSent({QStringLiteral("a"), QStringLiteral("b")});
    formatter.onNotSent({QStringLiteral("c")});
    QCOMPARE(appended.at(0).at(0).toString(), QStringLiteral("\r\nNot sent: a\r\nNot sent: b\r\n"));
    QCOMPARE(appended.at(1).at(0).toString(), QStringLiteral("Not sent: c\r\n"));
}

QTEST_MAIN(TestChatFormatter)
#include "tst_chatformatter.moc"
