#include "core/chat/chatinput.h"

#include <QTest>

class TestChatInput : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestChatInput::parse_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("target");

    using K = ChatInput::Kind;
    const QString none;
    QTest::newRow("message kept whole") << " a /me b " << int(K::Message) << " a /me b " << none;
    QTest::newRow("action") << "/me waves  twice" << int(K::Action) << "waves  twice" << none;
    QTest::newRow("command word in any case") << "/ME waves" << int(K::Action) << "waves" << none;
    QTest::newRow("action without text") << "/me" << int(K::Usage) << "/me <text>" << none;
    QTest::newRow("private message") << "/msg bob hi there" << int(K::PrivateMessage) << "hi there"
                                     << "bob";
    QTest::newRow("private message without text")
        << "/msg bob" << int(K::Usage) << "/msg <nick> <text>" << none;
    QTest::newRow("private message without target")
        << "/msg  hi" << int(K::Usage) << "/msg <nick> <text>" << none;
    QTest::newRow("nickname trimmed") << "/nick  neo " << int(K::Nickname) << "neo" << none;
    QTest::newRow("nickname with a blank")
        << "/nick a b" << int(K::Usage) << "/nick <new nickname>" << none;
    QTest::newRow("unknown word as typed") << "/Join #x" << int(K::Unknown) << "Join" << none;
}

void TestChatInput::parse()
{
    QFETCH(QString, typed);
    const ChatInput input = ChatInput::parse(typed);
    QTEST(int(input.kind), "kind");
    QTEST(input.text, "text");
    QTEST(input.target, "target");
}

QTEST_GUILESS_MAIN(TestChatInput)
#include "tst_chatinput.moc"
