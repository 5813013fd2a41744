#include "core/app/application.h"
#include "core/chat/chatsession.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"
#include "core/wire/ircline.h"
#include "underwine.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

// The session against a hand-driven server on 127.0.0.1: registration bytes,
// received byte streams fed in exactly the pieces a test chooses, and the
// events the session reports.
class TestChatSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void registrationWaitsForTheWelcome();
    void registrationOverIpv6Loopback();
    void receivedStreams_data();
    void receivedStreams();
    void oneBatchPerRead();
    void readsFromTheSocket();
    void namesBatchesReplaceTheList();
    void submitWhileConnected_data();
    void submitWhileConnected();
    void submitWhileNotConnected_data();
    void submitWhileNotConnected();
    void settingsAreReadAtUse();
    void usersAndRefresh();
    void disconnectRecovers();
    void refusedConnection();
    void failureOnItsWayIsDroppedByDisconnect();
    void serverClosesConnection();
    void invalidPortIsRefused_data();
    void invalidPortIsRefused();
    void nicknameInUse();
    void floodQueuePacesLines();
    void reconnectBacksOff();
    void silentLinkIsPingedThenDropped();

private:
    // Connects the session to the test server, welcomes it and takes the
    // registration and the JOIN.
    void connectSession();
    // Accepts the session's next connection and collects what it sends.
    void acceptConnection();
    // Everything the session sent since the last call, once the PONG to the
    // test's PING has arrived (it goes ahead of any queued line): so
    // "nothing else was sent" can be checked without waiting for a time-out.
    QByteArray sentUpToSync();
    // Gathers the items of every batch received from now on in m_received,
    // as their lines' texts; a greeting is marked.
    void collectReceived();

    Settings m_settings;
    Preferences m_preferences;
    std::unique_ptr<ChatSession> m_session;
    std::unique_ptr<QTcpServer> m_server;
    QTcpSocket* m_serverSide = nullptr;
    QByteArray m_sent;
    QStringList m_received;
};

namespace {
const QByteArray syncLine = "PONG :sync\r\n";
const QString greeting = QStringLiteral("(greeting) ");
// Every line goes at once, unless a test is about the pace.
const ChatSession::Timings quick{.firstRetryMs = 100, .maxRetryMs = 300, .burst = 50};

using State = ChatSession::State;
using Loss = ChatSession::Loss;
using States = QList<State>;

States statesOf(const QSignalSpy& spy)
{
    States states;
    for (const QList<QVariant>& arguments : spy)
        states.append(arguments.at(0).value<State>());
    return states;
}
} // namespace

void TestChatSession::init()
{
    m_server = std::make_unique<QTcpServer>();
    QVERIFY(m_server->listen(QHostAddress::LocalHost, 0));
    m_settings.setValue(Settings::IrcHost, QStringLiteral("127.0.0.1"));
    m_settings.setValue(Settings::IrcPort, QString::number(m_server->serverPort()));
    m_settings.setValue(Settings::IrcNickname, QStringLiteral("vnh"));
    m_settings.setValue(Settings::IrcUserName, QStringLiteral("Default"));
    m_settings.setValue(Settings::IrcChannel, QStringLiteral("#VNH_Lounge"));
    m_preferences.setFlag(Preferences::IrcReconnect, true);
    m_session = std::make_unique<ChatSession>(
        [this] { return Application::chatSettings(m_settings, m_preferences); });
    m_session->setTimings(quick);
    m_serverSide = nullptr;
    m_sent.clear();
    m_received.clear();
}

void TestChatSession::cleanup()
{
    m_session.reset();
    m_server.reset();
}

void TestChatSession::acceptConnection()
{
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hasPendingConnections(), 5000);
    m_serverSide = m_server->nextPendingConnection();
    // What came before the connection below is already waiting.
    m_sent = m_serverSide->readAll();
    connect(m_serverSide, &QTcpSocket::readyRead, this,
            [this, socket = m_serverSide] { m_sent += socket->readAll(); });
}

void TestChatSession::connectSession()
{
    m_session->connectToServer();
    acceptConnection();
    QTRY_VERIFY_WITH_TIMEOUT(m_sent.count("\r\n") == 2, 5000);
    m_serverSide->write(":s 001 vnh :Welcome\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(m_sent.endsWith("JOIN #VNH_Lounge\r\n"), 5000);
    m_sent.clear();
}

QByteArray TestChatSession::sentUpToSync()
{
    m_serverSide->write("PING :sync\r\n");
    if (!QTest::qWaitFor([this] { return m_sent.endsWith(syncLine); }, 5000))
        return "(no syncLine line) " + m_sent;
    const QByteArray sent = m_sent.chopped(syncLine.size());
    m_sent.clear();
    return sent;
}

void TestChatSession::collectReceived()
{
    connect(m_session.get(), &ChatSession::received, this,
            [this](const QList<ReceivedItem>& items) {
                for (const ReceivedItem& item : items)
                    m_received.append(
                        (item.kind == ReceivedItem::Kind::Greeting ? greeting : QString()) +
                        item.line.text);
            });
}

void TestChatSession::registrationWaitsForTheWelcome()
{
    QSignalSpy connecting(m_session.get(), &ChatSession::connecting);
    QSignalSpy opened(m_session.get(), &ChatSession::connectionOpened);
    QSignalSpy enabled(m_session.get(), &ChatSession::connectEnabledChanged);
    QSignalSpy states(m_session.get(), &ChatSession::stateChanged);
    m_session->connectToServer();
    QCOMPARE(m_session->connectEnabled(), false);
    QCOMPARE(enabled.size(), 1);
    QCOMPARE(connecting.size(), 1);
    QCOMPARE(connecting.at(0).at(0).toString(), QStringLiteral("127.0.0.1"));

    QVERIFY(m_server->waitForNewConnection(5000));
    QTcpSocket* serverSide = m_server->nextPendingConnection();
    QByteArray received;
    serverSide->write("PING :x\r\n");
    QTRY_VERIFY_WITH_TIMEOUT((received += serverSide->readAll()).count("\r\n") == 3, 5000);
    // No JOIN before the welcome: networks refuse it until then.
    const QByteArray expected = "NICK vnh\r\nUSER Default 127.0.0.1 127.0.0.1:" +
                                QByteArray::number(serverSide->peerPort()) +
                                "/0 :Varnholt IRC Client\r\nPONG :x\r\n";
    QCOMPARE(received, expected);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(m_session->submitInput(QStringLiteral("early")), false);
    serverSide->write(":s 001 vnh :Welcome\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(received += serverSide->readAll(), expected + "JOIN #VNH_Lounge\r\n",
                              5000);
    QCOMPARE(statesOf(states), (States{State::Connecting, State::Registering, State::Connected}));
    QVERIFY(m_session->isConnected());
    QCOMPARE(m_session->connectEnabled(), false);
    // Each line leaves at once, not held back to be merged with the next.
    auto* socket = m_session->findChild<QTcpSocket*>();
    QVERIFY(socket);
    QCOMPARE(socket->socketOption(QAbstractSocket::LowDelayOption).toInt(), 1);
}

void TestChatSession::registrationOverIpv6Loopback()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHostIPv6, 0))
        QSKIP("no IPv6 loopback here");
    m_settings.setValue(Settings::IrcHost, QStringLiteral("::1"));
    m_settings.setValue(Settings::IrcPort, QString::number(server.serverPort()));
    m_session->connectToServer();
    QVERIFY(server.waitForNewConnection(5000));
    QTcpSocket* serverSide = server.nextPendingConnection();
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += serverSide->readAll()).count("\r\n") == 2, 5000);
    const QList<QByteArray> lines = received.split('\n');
    // Our end is "::1": the USER line must still carry four parameters,
    // the client description being the only trailing one.
    const IrcLine user = IrcLine::parse(lines.at(1).chopped(1));
    QCOMPARE(user.command, QStringLiteral("USER"));
    QCOMPARE(user.params,
             (QStringList{QStringLiteral("Default"), QStringLiteral("0::1"),
                          QStringLiteral("0::1:") + QString::number(serverSide->peerPort()) +
                              QStringLiteral("/0"),
                          QStringLiteral("Varnholt IRC Client")}));
}

using Chunks = QList<QByteArray>;

void TestChatSession::receivedStreams_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("users");
    QTest::addColumn<QByteArray>("sent");

    const QStringList none;
    QTest::newRow("ping and names in one chunk")
        << Chunks{":s 353 vnh = #VNH_Lounge :@vnh bob\r\nPING :s.x\r\n"
                  ":s 366 vnh #VNH_Lounge :End of NAMES list\r\n"}
        << none << QStringList{QStringLiteral("@vnh"), QStringLiteral("bob")}
        << QByteArray("PONG :s.x\r\n");
    QTest::newRow("ping after chat in one chunk")
        << Chunks{":bob!u@h PRIVMSG #VNH_Lounge :hi\r\nPING :abc\r\n:x NOTICE vnh :n\r\n"}
        << QStringList{QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :hi"),
                       QStringLiteral(":x NOTICE vnh :n")}
        << none << QByteArray("PONG :abc\r\n");
    QTest::newRow("line split over two chunks")
        << Chunks{":bob!u@h PRIVMSG #VNH_Lou", "nge :hello\r\nPI", "NG :t\r\n"}
        << QStringList{QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :hello")} << none
        << QByteArray("PONG :t\r\n");
    QTest::newRow("cr and lf in different chunks")
        << Chunks{":s NOTICE vnh :a\r", "\n"} << QStringList{QStringLiteral(":s NOTICE vnh :a")}
        << none << QByteArray();
    QTest::newRow("several 353 lines")
        << Chunks{":s 353 vnh = #VNH_Lounge :@vnh a b\r\n:s 353 vnh = #VNH_Lounge :c\r\n",
                  ":s 353 vnh = #VNH_Lounge :d  e \r\n:s 366 vnh #VNH_Lounge :End\r\n"}
        << none << QStringList{QStringLiteral("@vnh"), QStringLiteral("a"), QStringLiteral("b"),
                               QStringLiteral("c"),    QStringLiteral("d"), QStringLiteral("e")}
        << QByteArray();
    QTest::newRow("end of names without its text")
        << Chunks{":s 353 vnh = #VNH_Lounge :a\r\n:s 366 vnh #VNH_Lounge\r\n"
                  ":s 353 vnh = #VNH_Lounge :b\r\n"}
        << none << QStringList{QStringLiteral("b")} << QByteArray();
    QTest::newRow("secret and private channels, other case")
        << Chunks{":s 353 vnh @ #vnh_lounge :a\r\n:s 353 vnh * #VNH_LOUNGE :b\r\n"} << none
        << QStringList{QStringLiteral("a"), QStringLiteral("b")} << QByteArray();
    QTest::newRow("names of another channel are shown")
        << Chunks{":s 353 vnh = #other :x y\r\n:s 366 vnh #other :End of NAMES list\r\n"}
        << QStringList{QStringLiteral(":s 353 vnh = #other :x y"),
                       QStringLiteral(":s 366 vnh #other :End of NAMES list")}
        << none << QByteArray();
    QTest::newRow("message quoting the names marker")
        << Chunks{":bob!u@h PRIVMSG #VNH_Lounge :try  = #VNH_Lounge :@a b\r\n"}
        << QStringList{QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :try  = #VNH_Lounge :@a b")}
        << none << QByteArray();
    QTest::newRow("invalid utf-8 is latin-1")
        << Chunks{":bob!u@h PRIVMSG #VNH_Lounge :caf\xe9\r\n",
                  ":bob!u@h PRIVMSG #VNH_Lounge :caf\xc3\xa9 \xe2\x82\xac\r\n"}
        << QStringList{QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :caf\u00e9"),
                       QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :caf\u00e9 \u20ac")}
        << none << QByteArray();
    const QString longLine = QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :") + QString(4000, u'z');
    QTest::newRow("long line is shown whole")
        << Chunks{longLine.toLatin1() + "\r\n"} << QStringList{longLine} << none << QByteArray();
    QTest::newRow("ping mid-stream") << Chunks{"PI", "NG :a\r\nPING b\r\n"} << none << none
                                     << QByteArray("PONG :a\r\nPONG b\r\n");
    QTest::newRow("ping with a prefix, word not a command")
        << Chunks{":s PING :p\r\n:s PINGS x\r\n"} << QStringList{QStringLiteral(":s PINGS x")}
        << none << QByteArray("PONG :p\r\n");
    QTest::newRow("ping not at the start of a line is shown")
        << Chunks{":s NOTICE vnh :PING me\r\n"}
        << QStringList{QStringLiteral(":s NOTICE vnh :PING me")} << none << QByteArray();
    QTest::newRow("hostname notice is the greeting")
        << Chunks{":s NOTICE AUTH :*** Looking up your hostname\r\n"
                  ":s NOTICE AUTH :*** Found your hostname\r\n:s 001 vnh :Welcome\r\n"}
        << QStringList{QStringLiteral(":s NOTICE AUTH :*** Looking up your hostname"),
                       greeting + QStringLiteral(":s NOTICE AUTH :*** Found your hostname"),
                       QStringLiteral(":s 001 vnh :Welcome")}
        << none << QByteArray();
}

void TestChatSession::receivedStreams()
{
    QFETCH(Chunks, chunks);
    connectSession();
    collectReceived();
    for (const QByteArray& chunk : chunks)
        m_session->receive(chunk);
    QTEST(m_received, "items");
    QTEST(m_session->users(), "users");
    QTEST(sentUpToSync(), "sent");
}

void TestChatSession::oneBatchPerRead()
{
    connectSession();
    QSignalSpy batches(m_session.get(), &ChatSession::received);
    collectReceived();
    m_session->receive(":a!u@h PRIVMSG #VNH_Lounge :1\r\n:b!u@h PRIVMSG #VNH_Lounge :2\r\n:c!u@h");
    QCOMPARE(batches.size(), 1);
    QCOMPARE(m_received, (QStringList{QStringLiteral(":a!u@h PRIVMSG #VNH_Lounge :1"),
                                      QStringLiteral(":b!u@h PRIVMSG #VNH_Lounge :2")}));
    m_session->receive(" PRIVMSG #VNH_Lounge :3\r\n");
    QCOMPARE(batches.size(), 2);
    QCOMPARE(m_received.last(), QStringLiteral(":c!u@h PRIVMSG #VNH_Lounge :3"));
    // Nothing whole to show: no batch at all.
    m_session->receive("PING :x\r\n");
    m_session->receive(":d!u@h PRIV");
    QCOMPARE(batches.size(), 2);
}

void TestChatSession::readsFromTheSocket()
{
    connectSession();
    QSignalSpy batches(m_session.get(), &ChatSession::received);
    QSignalSpy users(m_session.get(), &ChatSession::usersListChanged);
    collectReceived();
    m_serverSide->write(":bob!u@h PRIVMSG #VNH_Lounge :over the wire\r\n"
                        ":s 353 vnh = #VNH_Lounge :vnh bob\r\nPING :w\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(m_sent == "PONG :w\r\n", 5000);
    QCOMPARE(batches.size(), 1);
    QCOMPARE(m_received,
             QStringList{QStringLiteral(":bob!u@h PRIVMSG #VNH_Lounge :over the wire")});
    QCOMPARE(users.size(), 1);
    QCOMPARE(users.at(0).at(0).toStringList(),
             (QStringList{QStringLiteral("vnh"), QStringLiteral("bob")}));
}

void TestChatSession::namesBatchesReplaceTheList()
{
    connectSession();
    QSignalSpy users(m_session.get(), &ChatSession::usersListChanged);
    m_session->receive(":s 353 vnh = #VNH_Lounge :a b\r\n:s 366 vnh #VNH_Lounge :End\r\n");
    m_session->receive(":s 353 vnh = #VNH_Lounge :c\r\n");
    m_session->receive(":s 353 vnh = #VNH_Lounge :d\r\n:s 366 vnh #VNH_Lounge :End\r\n");
    QCOMPARE(users.size(), 3);
    QCOMPARE(users.at(0).at(0).toStringList(),
             (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(users.at(1).at(0).toStringList(), (QStringList{QStringLiteral("c")}));
    QCOMPARE(users.at(2).at(0).toStringList(),
             (QStringList{QStringLiteral("c"), QStringLiteral("d")}));
    // The end of another channel's names does not close ours.
    m_session->receive(":s 353 vnh = #VNH_Lounge :e\r\n:s 366 vnh #other :End\r\n"
                       ":s 353 vnh = #VNH_Lounge :f\r\n");
    QCOMPARE(m_session->users(), (QStringList{QStringLiteral("e"), QStringLiteral("f")}));
}

void TestChatSession::submitWhileConnected_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("message") << "hello all" << true
                             << QByteArray("PRIVMSG #VNH_Lounge :hello all\r\n");
    QTest::newRow("blanks kept, slash later in the line")
        << " a/b " << true << QByteArray("PRIVMSG #VNH_Lounge : a/b \r\n");
    QTest::newRow("non-ascii goes out as utf-8")
        << QStringLiteral("gr\u00fc\u00dfe \u20ac") << true
        << QByteArray("PRIVMSG #VNH_Lounge :gr\xc3\xbc\xc3\x9f"
                      "e \xe2\x82\xac\r\n");
    QTest::newRow("slash line is dropped") << "/join #x" << true << QByteArray();
    QTest::newRow("empty input") << "" << false << QByteArray();
}

void TestChatSession::submitWhileConnected()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, sent);
    connectSession();
    QSignalSpy echoed(m_session.get(), &ChatSession::messageSent);
    QTEST(m_session->submitInput(input), "cleared");
    QCOMPARE(sentUpToSync(), sent);
    // Only what went out is echoed, with the nickname and the text as typed.
    QCOMPARE(echoed.size(), sent.isEmpty() ? 0 : 1);
    if (!sent.isEmpty())
        QCOMPARE(echoed.at(0), (QList<QVariant>{QStringLiteral("vnh"), input}));
}

void TestChatSession::submitWhileNotConnected_data()
{
    QTest::addColumn<bool>("connecting");
    QTest::newRow("never connected") << false;
    QTest::newRow("connection under way") << true;
}

void TestChatSession::submitWhileNotConnected()
{
    QFETCH(bool, connecting);
    if (connecting)
        m_session->connectToServer(); // the server has not accepted yet
    QSignalSpy echoed(m_session.get(), &ChatSession::messageSent);
    QSignalSpy status(m_session.get(), &ChatSession::statusChanged);
    QCOMPARE(m_session->submitInput(QStringLiteral("hello")), false);
    QCOMPARE(echoed.size(), 0);
    QCOMPARE(status.size(), 1);
    QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("Not Connected to IRC"));
    QCOMPARE(m_session->submitInput(QString()), false);
    QCOMPARE(status.size(), 1);
    if (connecting) {
        QVERIFY(m_server->waitForNewConnection(5000));
        QTcpSocket* serverSide = m_server->nextPendingConnection();
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT(
            (received += serverSide->readAll()).endsWith("Varnholt IRC Client\r\n"), 5000);
        QVERIFY(!received.contains("PRIVMSG"));
    }
}

void TestChatSession::settingsAreReadAtUse()
{
    connectSession();
    m_settings.setValue(Settings::IrcChannel, QStringLiteral("#elsewhere"));
    m_settings.setValue(Settings::IrcNickname, QStringLiteral("other"));
    QSignalSpy echoed(m_session.get(), &ChatSession::messageSent);
    m_session->submitInput(QStringLiteral("x"));
    m_session->showUsers();
    m_settings.setValue(Settings::IrcChannel, QStringLiteral("#VNH_Lounge"));
    QCOMPARE(sentUpToSync(), "PRIVMSG #elsewhere :x\r\nNAMES #elsewhere\r\n");
    // The echo gives the nickname the server knows; a new one is for the
    // next connection.
    QCOMPARE(echoed.at(0).at(0).toString(), QStringLiteral("vnh"));
    // Names replies are matched against the channel of the moment too.
    m_session->receive(":s 353 other = #VNH_Lounge :a\r\n");
    QCOMPARE(m_session->users(), QStringList{QStringLiteral("a")});
}

void TestChatSession::usersAndRefresh()
{
    QSignalSpy show(m_session.get(), &ChatSession::showUsersWindow);
    QSignalSpy status(m_session.get(), &ChatSession::statusChanged);
    m_session->showUsers();
    m_session->requestUsers();
    QCOMPARE(show.size(), 0);
    QCOMPARE(status.size(), 1);
    QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("Not Connected to IRC"));

    connectSession();
    m_session->showUsers();
    QCOMPARE(show.size(), 1);
    QCOMPARE(sentUpToSync(), "NAMES #VNH_Lounge\r\n");
    QCOMPARE(status.size(), 1);
}

void TestChatSession::disconnectRecovers()
{
    QSignalSpy disconnected(m_session.get(), &ChatSession::disconnectedByUser);
    QSignalSpy status(m_session.get(), &ChatSession::statusChanged);
    // With nothing open it is still reported and leaves Connect enabled.
    m_session->disconnectFromServer();
    QCOMPARE(disconnected.size(), 1);
    QVERIFY(m_session->connectEnabled());

    connectSession();
    m_session->receive(":bob!u@h PRIVMSG #VNH_Lounge :unfinished");
    QSignalSpy enabled(m_session.get(), &ChatSession::connectEnabledChanged);
    m_session->disconnectFromServer();
    QCOMPARE(disconnected.size(), 2);
    QCOMPARE(m_session->state(), State::Disconnected);
    QCOMPARE(enabled.size(), 1);
    QCOMPARE(enabled.at(0).at(0).toBool(), true);
    QTRY_COMPARE_WITH_TIMEOUT(m_serverSide->state(), QAbstractSocket::UnconnectedState, 5000);
    QCOMPARE(status.size(), 0);

    // A new connection starts with nothing left of the old stream.
    connectSession();
    collectReceived();
    m_session->receive(" more\r\n:s NOTICE vnh :fresh\r\n");
    QCOMPARE(m_received,
             (QStringList{QStringLiteral(" more"), QStringLiteral(":s NOTICE vnh :fresh")}));
}

void TestChatSession::refusedConnection()
{
    const quint16 closedPort = m_server->serverPort();
    m_server->close();
    m_settings.setValue(Settings::IrcPort, QString::number(closedPort));
    QSignalSpy status(m_session.get(), &ChatSession::statusChanged);
    QSignalSpy connecting(m_session.get(), &ChatSession::connecting);
    QSignalSpy opened(m_session.get(), &ChatSession::connectionOpened);
    m_session->connectToServer();
    QTRY_COMPARE_WITH_TIMEOUT(status.size(), 1, 5000);
    QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("Error: IRC connection failure"));
    QCOMPARE(connecting.size(), 1);
    QCOMPARE(opened.size(), 0);
    QCOMPARE(m_session->state(), State::Failed);
    QVERIFY(!m_session->connectEnabled());
    m_session->connectToServer(); // the button is disabled: nothing happens
    QCOMPARE(connecting.size(), 1);
    m_session->disconnectFromServer();
    QVERIFY(m_session->connectEnabled());
}

void TestChatSession::failureOnItsWayIsDroppedByDisconnect()
{
    m_server->close();
    QSignalSpy status(m_session.get(), &ChatSession::statusChanged);
    if (underWine())
        QSKIP("Wine reports the refusal of a closed loopback port before a disconnect can "
              "come between");
    m_session->connectToServer();
    const QPointer<QTcpSocket> socket = m_session->findChild<QTcpSocket*>();
    QVERIFY(socket);
    // The user disconnects while the refusal is being reported.
    connect(socket, &QTcpSocket::errorOccurred, m_session.get(),
            &ChatSession::disconnectFromServer);
    QTRY_VERIFY_WITH_TIMEOUT(socket.isNull(), 5000);
    QCOMPARE(status.size(), 0);
    QCOMPARE(m_session->state(), State::Disconnected);
}

void TestChatSession::serverClosesConnection()
{
    m_preferences.setFlag(Preferences::IrcReconnect, false);
    connectSession();
    QSignalSpy status(m_session.get(), &ChatSession::statusChanged);
    collectReceived();
    m_serverSide->write(":s NOTICE vnh :bye\r\n");
    m_serverSide->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(status.size(), 1, 5000);
    QCOMPARE(status.at(0).at(0).toString(),
             QStringLiteral("Error: The IRC server closed the connection"));
    // What came before the close is shown.
    QCOMPARE(m_received, QStringList{QStringLiteral(":s NOTICE vnh :bye")});
    QCOMPARE(m_session->state(), State::Failed);
    QVERIFY(!m_session->connectEnabled());
    QCOMPARE(m_session->submitInput(QStringLiteral("anyone?")), false);
    m_session->disconnectFromServer();
    QVERIFY(m_session->connectEnabled());
}

void TestChatSession::invalidPortIsRefused_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("zero") << "0";
    QTest::newRow("too large") << "65536";
    QTest::newRow("not a number") << "66x";
    QTest::newRow("empty") << "";
}

void TestChatSession::invalidPortIsRefused()
{
    QFETCH(QString, port);
    m_settings.setValue(Settings::IrcPort, port);
    QSignalSpy status(m_session.get(), &ChatSession::statusChanged);
    QSignalSpy connecting(m_session.get(), &ChatSession::connecting);
    m_session->connectToServer();
    QCOMPARE(status.size(), 1);
    QCOMPARE(status.at(0).at(0).toString(), Settings::invalidPortMessage(Settings::IrcPort));
    QVERIFY(status.at(0).at(0).toString().startsWith(QStringLiteral("Error: ")));
    QCOMPARE(connecting.size(), 0);
    QCOMPARE(m_session->state(), State::Disconnected);
    QVERIFY(!m_server->waitForNewConnection(0));
}

void TestChatSession::nicknameInUse()
{
    m_settings.setValue(Settings::IrcNickname, QStringLiteral("vnhtester"));
    m_session->connectToServer();
    acceptConnection();
    // Every nickname taken: each is cut to the server's NICKLEN before its
    // suffix; after the last we leave cleanly, and no reconnect follows.
    m_serverSide->write(":s 005 * NICKLEN=5 :ok\r\n" +
                        QByteArray(":s 433 * x :In use\r\n").repeated(5));
    QTRY_VERIFY_WITH_TIMEOUT(m_sent.endsWith("QUIT\r\n"), 5000);
    QCOMPARE(QString::fromLatin1(m_sent).split(u'\n').filter(QStringLiteral("NICK ")),
             (QStringList{QStringLiteral("NICK vnhtester\r"), QStringLiteral("NICK vnht_\r"),
                          QStringLiteral("NICK vnht1\r"), QStringLiteral("NICK vnht2\r"),
                          QStringLiteral("NICK vnht3\r")}));
    QCOMPARE(m_session->state(), State::Disconnected);
}

void TestChatSession::floodQueuePacesLines()
{
    constexpr int intervalMs = 100;
    m_session->setTimings({.sendIntervalMs = intervalMs});
    connectSession();
    QTest::qWait(6 * intervalMs); // the burst spent on registering comes back
    QByteArray expected;
    qsizetype burst = 0;
    for (int n = 1; n <= 20; ++n) {
        QVERIFY(m_session->submitInput(QStringLiteral("line ") + QString::number(n)));
        expected += "PRIVMSG #VNH_Lounge :line " + QByteArray::number(n) + "\r\n";
        if (n == 5)
            burst = expected.size();
    }
    // The burst, and only it, went out at once.
    QCOMPARE(m_session->findChild<QTcpSocket*>()->bytesToWrite(), burst);
    QElapsedTimer rest;
    rest.start();
    QTRY_COMPARE_WITH_TIMEOUT(m_sent, expected, 5000);
    QVERIFY(rest.elapsed() >= 14 * intervalMs);
}

void TestChatSession::reconnectBacksOff()
{
    connectSession();
    QSignalSpy scheduled(m_session.get(), &ChatSession::reconnectScheduled);
    // The server is gone: each attempt waits longer, up to the cap.
    m_server->close();
    m_serverSide->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(scheduled.size(), 4, 5000);
    QCOMPARE(scheduled.at(0), (QVariantList{1, 100, QVariant::fromValue(Loss::ServerClosed)}));
    QCOMPARE(scheduled.at(3), (QVariantList{4, 300, QVariant::fromValue(Loss::Refused)}));
    QCOMPARE(scheduled.at(1).at(1), 200);
    // Connect starts the next attempt at once, Disconnect ends them.
    m_session->connectToServer();
    QCOMPARE(m_session->state(), State::Connecting);
    m_session->disconnectFromServer();
    QTest::qWait(400);
    QCOMPARE(scheduled.size(), 4);
}

void TestChatSession::silentLinkIsPingedThenDropped()
{
    m_session->setTimings(
        {.firstRetryMs = 60000, .idleMs = 100, .pingTimeoutMs = 1000, .sendIntervalMs = 60000});
    connectSession(); // NICK, USER and JOIN leave two lines of the burst
    QSignalSpy notSent(m_session.get(), &ChatSession::notSent);
    QSignalSpy scheduled(m_session.get(), &ChatSession::reconnectScheduled);
    for (const char* text : {"a", "b", "c"})
        m_session->submitInput(QString::fromLatin1(text));
    // Our PING does not wait behind the queue.
    QTRY_COMPARE_WITH_TIMEOUT(
        m_sent, "PRIVMSG #VNH_Lounge :a\r\nPRIVMSG #VNH_Lounge :b\r\nPING :varnholt\r\n", 5000);
    m_sent.clear();
    m_serverSide->write(":s PONG s :varnholt\r\n");
    // The answer keeps the link; the next silence brings the next PING, and
    // no answer to it ends the link, the queued line reported as not sent.
    QTRY_COMPARE_WITH_TIMEOUT(m_sent, "PING :varnholt\r\n", 5000);
    QVERIFY(m_session->isConnected());
    QTRY_COMPARE_WITH_TIMEOUT(scheduled.size(), 1, 5000);
    QCOMPARE(scheduled.at(0).at(2).value<Loss>(), Loss::NoReply);
    QCOMPARE(notSent.at(0).at(0).toStringList(), QStringList{QStringLiteral("c")});
    QTRY_COMPARE_WITH_TIMEOUT(m_serverSide->state(), QAbstractSocket::UnconnectedState, 5000);
}

QTEST_GUILESS_MAIN(TestChatSession)
#include "tst_chatsession.moc"
