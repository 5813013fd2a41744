#include "core/wire/ircline.h"
#include "core/chat/ircsession.h"
#include "core/platform/socket.h"
#include "core/settings/settings.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

// The session against a hand-driven server on 127.0.0.1: registration bytes,
// and received byte streams fed in exactly the pieces a test chooses.
class TestIrcSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void registrationSendsNickUserJoin();
    void registrationOverIpv6Loopback();
    void receivedStreams_data();
    void receivedStreams();
    void oneLogEditPerRead();
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
    void serverClosesConnection();
    void invalidPortIsRefused_data();
    void invalidPortIsRefused();

private:
    // Connects the session to the test server and takes the registration.
    void connectSession();
    // Everything the session sent since the last call, once `sync` (a line
    // the test makes the session send) has arrived: so "nothing else was
    // sent" can be checked without waiting for a time-out.
    QByteArray sentUpToSync();

    Settings m_settings;
    std::unique_ptr<Socket> m_socket;
    std::unique_ptr<IrcSession> m_session;
    std::unique_ptr<QTcpServer> m_server;
    QTcpSocket* m_serverSide = nullptr;
    QByteArray m_sent;
};

namespace {
const QByteArray syncLine = "NAMES #VNH_Lounge\r\n";
const QString crlf = QStringLiteral("\r\n");
} // namespace

void TestIrcSession::init()
{
    m_server = std::make_unique<QTcpServer>();
    QVERIFY(m_server->listen(QHostAddress::LocalHost, 0));
    m_settings.setValue(Settings::IrcHost, QStringLiteral("127.0.0.1"));
    m_settings.setValue(Settings::IrcPort, QString::number(m_server->serverPort()));
    m_settings.setValue(Settings::IrcNickname, QStringLiteral("vnh"));
    m_settings.setValue(Settings::IrcUserName, QStringLiteral("Default"));
    m_settings.setValue(Settings::IrcChannel, QStringLiteral("#VNH_Lounge"));
    m_socket = std::make_unique<Socket>();
    m_socket->setProtocol(Socket::Protocol::Tcp);
    m_session = std::make_unique<IrcSession>(m_socket.get(), &m_settings);
    m_serverSide = nullptr;
    m_sent.clear();
}

void TestIrcSession::cleanup()
{
    m_session.reset();
    m_socket.reset();
    m_server.reset();
}

void TestIrcSession::connectSession()
{
    m_session->connectClicked();
    QVERIFY(m_server->waitForNewConnection(5000));
    m_serverSide = m_server->nextPendingConnection();
    connect(m_serverSide, &QTcpSocket::readyRead, this,
            [this] { m_sent += m_serverSide->readAll(); });
    QTRY_VERIFY_WITH_TIMEOUT(m_sent.count("\r\n") == 3, 5000);
    m_sent.clear();
}

QByteArray TestIrcSession::sentUpToSync()
{
    m_session->refreshUsersClicked();
    if (!QTest::qWaitFor([this] { return m_sent.endsWith(syncLine); }, 5000))
        return "(no syncLine line) " + m_sent;
    const QByteArray sent = m_sent.chopped(syncLine.size());
    m_sent.clear();
    return sent;
}

void TestIrcSession::registrationSendsNickUserJoin()
{
    QSignalSpy replaced(m_session.get(), &IrcSession::chatLogReplaced);
    QSignalSpy enabled(m_session.get(), &IrcSession::connectEnabledChanged);
    m_session->connectClicked();
    QCOMPARE(m_session->connectEnabled(), false);
    QCOMPARE(enabled.size(), 1);
    QCOMPARE(replaced.at(0).at(0).toString(), "Connecting to 127.0.0.1..." + crlf);

    QVERIFY(m_server->waitForNewConnection(5000));
    QTcpSocket* serverSide = m_server->nextPendingConnection();
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += serverSide->readAll()).count("\r\n") == 3, 5000);
    const QByteArray expected = "NICK vnh\r\nUSER Default 127.0.0.1 127.0.0.1:" +
                                QByteArray::number(serverSide->peerPort()) +
                                "/0 :Varnholt IRC Client\r\nJOIN #VNH_Lounge\r\n";
    QCOMPARE(received, expected);
    QCOMPARE(replaced.size(), 2);
    QCOMPARE(replaced.at(1).at(0).toString(), "Connected.. (Waiting for authorization)" + crlf);
    QVERIFY(m_session->isConnected());
    QCOMPARE(m_session->connectEnabled(), false);
}

void TestIrcSession::registrationOverIpv6Loopback()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHostIPv6, 0))
        QSKIP("no IPv6 loopback here");
    m_settings.setValue(Settings::IrcHost, QStringLiteral("::1"));
    m_settings.setValue(Settings::IrcPort, QString::number(server.serverPort()));
    m_session->connectClicked();
    QVERIFY(server.waitForNewConnection(5000));
    QTcpSocket* serverSide = server.nextPendingConnection();
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += serverSide->readAll()).count("\r\n") == 3, 5000);
    const QList<QByteArray> lines = received.split('\n');
    // Our end is "::1": the USER line must still carry four parameters,
    // the client description being the only trailing one.
    const IrcLine user = IrcLine::parse(lines.at(1).chopped(1));
    QCOMPARE(user.command, "USER");
    QCOMPARE(user.params,
             (QStringList{"Default", "0::1",
                          "0::1:" + QString::number(serverSide->peerPort()) + "/0",
                          "Varnholt IRC Client"}));
}

using Chunks = QList<QByteArray>;

void TestIrcSession::receivedStreams_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QStringList>("users");
    QTest::addColumn<QByteArray>("sent");

    const QStringList noUsers;
    QTest::newRow("ping and names in one chunk")
        << Chunks{":s 353 vnh = #VNH_Lounge :@vnh bob\r\nPING :s.x\r\n"
                  ":s 366 vnh #VNH_Lounge :End of NAMES list\r\n"}
        << "" << QStringList{"@vnh", "bob"} << QByteArray("PONG :s.x\r\n");
    QTest::newRow("ping after chat in one chunk")
        << Chunks{":bob!u@h PRIVMSG #VNH_Lounge :hi\r\nPING :abc\r\n:x NOTICE vnh :n\r\n"}
        << "bob: hi\r\n:x NOTICE vnh :n\r\n"
        << noUsers << QByteArray("PONG :abc\r\n");
    QTest::newRow("line split over two chunks")
        << Chunks{":bob!u@h PRIVMSG #VNH_Lou", "nge :hello\r\nPI", "NG :t\r\n"} << "bob: hello\r\n"
        << noUsers << QByteArray("PONG :t\r\n");
    QTest::newRow("cr and lf in different chunks")
        << Chunks{":s NOTICE vnh :a\r", "\n"} << ":s NOTICE vnh :a\r\n"
        << noUsers << QByteArray();
    QTest::newRow("several 353 lines")
        << Chunks{":s 353 vnh = #VNH_Lounge :@vnh a b\r\n:s 353 vnh = #VNH_Lounge :c\r\n",
                  ":s 353 vnh = #VNH_Lounge :d  e \r\n:s 366 vnh #VNH_Lounge :End\r\n"}
        << "" << QStringList{"@vnh", "a", "b", "c", "d", "e"} << QByteArray();
    QTest::newRow("end of names without its text")
        << Chunks{":s 353 vnh = #VNH_Lounge :a\r\n:s 366 vnh #VNH_Lounge\r\n"
                  ":s 353 vnh = #VNH_Lounge :b\r\n"}
        << "" << QStringList{"b"} << QByteArray();
    QTest::newRow("secret and private channels, other case")
        << Chunks{":s 353 vnh @ #vnh_lounge :a\r\n:s 353 vnh * #VNH_LOUNGE :b\r\n"} << ""
        << QStringList{"a", "b"} << QByteArray();
    QTest::newRow("names of another channel are shown")
        << Chunks{":s 353 vnh = #other :x y\r\n:s 366 vnh #other :End of NAMES list\r\n"}
        << ":s 353 vnh = #other :x y\r\n:s 366 vnh #other :End of NAMES list\r\n"
        << noUsers << QByteArray();
    QTest::newRow("message quoting the names marker")
        << Chunks{":bob!u@h PRIVMSG #VNH_Lounge :try  = #VNH_Lounge :@a b\r\n"}
        << "bob: try  = #VNH_Lounge :@a b\r\n"
        << noUsers << QByteArray();
    QTest::newRow("message holding colons")
        << Chunks{":bob!u@h PRIVMSG #VNH_Lounge :see http://x :) 12:30\r\n"}
        << "bob: see http://x :) 12:30\r\n"
        << noUsers << QByteArray();
    QTest::newRow("long nick") << Chunks{":longnickname!u@h PRIVMSG #VNH_Lounge :hi\r\n"}
                               << "longnickname: hi\r\n"
                               << noUsers << QByteArray();
    QTest::newRow("join") << Chunks{":bob!u@h JOIN :#VNH_Lounge\r\n"} << "bob: #VNH_Lounge\r\n"
                          << noUsers << QByteArray();
    QTest::newRow("invalid utf-8 is latin-1")
        << Chunks{":bob!u@h PRIVMSG #VNH_Lounge :caf\xe9\r\n",
                  ":bob!u@h PRIVMSG #VNH_Lounge :caf\xc3\xa9 \xe2\x82\xac\r\n"}
        << QStringLiteral("bob: caf\u00e9\r\nbob: caf\u00e9 \u20ac\r\n") << noUsers << QByteArray();
    const QString longText(4000, u'z');
    QTest::newRow("long line is shown whole")
        << Chunks{":bob!u@h PRIVMSG #VNH_Lounge :" + longText.toLatin1() + "\r\n"}
        << "bob: " + longText + crlf << noUsers << QByteArray();
    QTest::newRow("ping mid-stream") << Chunks{"PI", "NG :a\r\nPING b\r\n"} << "" << noUsers
                                     << QByteArray("PONG :a\r\nPONG b\r\n");
    QTest::newRow("ping not at the start of a line is shown")
        << Chunks{":s NOTICE vnh :PING me\r\n"} << ":s NOTICE vnh :PING me\r\n"
        << noUsers << QByteArray();
    QTest::newRow("hostname notice restarts the log")
        << Chunks{":s NOTICE AUTH :*** Looking up your hostname\r\n"
                  ":s NOTICE AUTH :*** Found your hostname\r\n:s 001 vnh :Welcome\r\n"}
        << "Connected OK\r\n:s 001 vnh :Welcome\r\n"
        << noUsers << QByteArray();
}

void TestIrcSession::receivedStreams()
{
    QFETCH(Chunks, chunks);
    connectSession();
    QString log;
    connect(m_session.get(), &IrcSession::chatLogAppended, this,
            [&log](const QString& text) { log += text; });
    connect(m_session.get(), &IrcSession::chatLogReplaced, this,
            [&log](const QString& text) { log = text; });
    for (const QByteArray& chunk : chunks)
        m_session->receive(chunk);
    QTEST(log, "log");
    QTEST(m_session->users(), "users");
    QTEST(sentUpToSync(), "sent");
}

void TestIrcSession::oneLogEditPerRead()
{
    connectSession();
    QSignalSpy appended(m_session.get(), &IrcSession::chatLogAppended);
    m_session->receive(":a!u@h PRIVMSG #VNH_Lounge :1\r\n:b!u@h PRIVMSG #VNH_Lounge :2\r\n:c!u@h");
    QCOMPARE(appended.size(), 1);
    QCOMPARE(appended.at(0).at(0).toString(), "a: 1\r\nb: 2\r\n");
    m_session->receive(" PRIVMSG #VNH_Lounge :3\r\n");
    QCOMPARE(appended.size(), 2);
    QCOMPARE(appended.at(1).at(0).toString(), "c: 3\r\n");
    // Nothing whole to show: no edit at all.
    m_session->receive(":d!u@h PRIV");
    QCOMPARE(appended.size(), 2);
}

void TestIrcSession::readsFromTheSocket()
{
    connectSession();
    QSignalSpy appended(m_session.get(), &IrcSession::chatLogAppended);
    QSignalSpy users(m_session.get(), &IrcSession::usersListChanged);
    m_serverSide->write(":bob!u@h PRIVMSG #VNH_Lounge :over the wire\r\n"
                        ":s 353 vnh = #VNH_Lounge :vnh bob\r\nPING :w\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(m_sent == "PONG :w\r\n", 5000);
    QCOMPARE(appended.size(), 1);
    QCOMPARE(appended.at(0).at(0).toString(), "bob: over the wire\r\n");
    QCOMPARE(users.size(), 1);
    QCOMPARE(users.at(0).at(0).toStringList(), (QStringList{"vnh", "bob"}));
}

void TestIrcSession::namesBatchesReplaceTheList()
{
    connectSession();
    QSignalSpy users(m_session.get(), &IrcSession::usersListChanged);
    m_session->receive(":s 353 vnh = #VNH_Lounge :a b\r\n:s 366 vnh #VNH_Lounge :End\r\n");
    m_session->receive(":s 353 vnh = #VNH_Lounge :c\r\n");
    m_session->receive(":s 353 vnh = #VNH_Lounge :d\r\n:s 366 vnh #VNH_Lounge :End\r\n");
    QCOMPARE(users.size(), 3);
    QCOMPARE(users.at(0).at(0).toStringList(), (QStringList{"a", "b"}));
    QCOMPARE(users.at(1).at(0).toStringList(), (QStringList{"c"}));
    QCOMPARE(users.at(2).at(0).toStringList(), (QStringList{"c", "d"}));
    // The end of another channel's names does not close ours.
    m_session->receive(":s 353 vnh = #VNH_Lounge :e\r\n:s 366 vnh #other :End\r\n"
                       ":s 353 vnh = #VNH_Lounge :f\r\n");
    QCOMPARE(m_session->users(), (QStringList{"e", "f"}));
}

void TestIrcSession::submitWhileConnected_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("echo");

    QTest::newRow("message") << "hello all" << true
                             << QByteArray("PRIVMSG #VNH_Lounge :hello all\r\n")
                             << QStringLiteral("\u00bb\u00bbvnh\u00ab\u00ab: hello all\r\n");
    QTest::newRow("blanks kept, slash later in the line")
        << " a/b " << true << QByteArray("PRIVMSG #VNH_Lounge : a/b \r\n")
        << QStringLiteral("\u00bb\u00bbvnh\u00ab\u00ab:  a/b \r\n");
    QTest::newRow("non-ascii goes out as utf-8")
        << QStringLiteral("gr\u00fc\u00dfe \u20ac") << true
        << QByteArray("PRIVMSG #VNH_Lounge :gr\xc3\xbc\xc3\x9f"
                      "e \xe2\x82\xac\r\n")
        << QStringLiteral("\u00bb\u00bbvnh\u00ab\u00ab: gr\u00fc\u00dfe \u20ac\r\n");
    QTest::newRow("slash line is dropped") << "/join #x" << true << QByteArray() << "";
    QTest::newRow("empty input") << "" << false << QByteArray() << "";
}

void TestIrcSession::submitWhileConnected()
{
    QFETCH(QString, input);
    connectSession();
    QSignalSpy appended(m_session.get(), &IrcSession::chatLogAppended);
    QTEST(m_session->submitInput(input), "cleared");
    QTEST(sentUpToSync(), "sent");
    QFETCH(QString, echo);
    QCOMPARE(appended.size(), echo.isEmpty() ? 0 : 1);
    if (!echo.isEmpty())
        QCOMPARE(appended.at(0).at(0).toString(), echo);
}

void TestIrcSession::submitWhileNotConnected_data()
{
    QTest::addColumn<bool>("connecting");
    QTest::newRow("never connected") << false;
    QTest::newRow("connection under way") << true;
}

void TestIrcSession::submitWhileNotConnected()
{
    QFETCH(bool, connecting);
    if (connecting)
        m_session->connectClicked(); // the server has not accepted yet
    QSignalSpy appended(m_session.get(), &IrcSession::chatLogAppended);
    QSignalSpy status(m_session.get(), &IrcSession::statusChanged);
    QCOMPARE(m_session->submitInput(QStringLiteral("hello")), false);
    QCOMPARE(appended.size(), 0);
    QCOMPARE(status.size(), 1);
    QCOMPARE(status.at(0).at(0).toString(), "Not Connected to IRC");
    QCOMPARE(m_session->submitInput(QString()), false);
    QCOMPARE(status.size(), 1);
    if (connecting) {
        QVERIFY(m_server->waitForNewConnection(5000));
        QTcpSocket* serverSide = m_server->nextPendingConnection();
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT(
            (received += serverSide->readAll()).endsWith("JOIN #VNH_Lounge\r\n"), 5000);
        QVERIFY(!received.contains("PRIVMSG"));
    }
}

void TestIrcSession::settingsAreReadAtUse()
{
    connectSession();
    m_settings.setValue(Settings::IrcChannel, QStringLiteral("#elsewhere"));
    m_settings.setValue(Settings::IrcNickname, QStringLiteral("other"));
    QSignalSpy appended(m_session.get(), &IrcSession::chatLogAppended);
    m_session->submitInput(QStringLiteral("x"));
    m_session->usersClicked();
    m_settings.setValue(Settings::IrcChannel, QStringLiteral("#VNH_Lounge"));
    QCOMPARE(sentUpToSync(), "PRIVMSG #elsewhere :x\r\nNAMES #elsewhere\r\n");
    QCOMPARE(appended.at(0).at(0).toString(),
             QStringLiteral("\u00bb\u00bbother\u00ab\u00ab: x\r\n"));
    // Names replies are matched against the channel of the moment too.
    m_session->receive(":s 353 other = #VNH_Lounge :a\r\n");
    QCOMPARE(m_session->users(), QStringList{"a"});
}

void TestIrcSession::usersAndRefresh()
{
    QSignalSpy show(m_session.get(), &IrcSession::showUsersWindow);
    QSignalSpy status(m_session.get(), &IrcSession::statusChanged);
    m_session->usersClicked();
    m_session->refreshUsersClicked();
    QCOMPARE(show.size(), 0);
    QCOMPARE(status.size(), 1);
    QCOMPARE(status.at(0).at(0).toString(), "Not Connected to IRC");

    connectSession();
    m_session->usersClicked();
    QCOMPARE(show.size(), 1);
    QCOMPARE(sentUpToSync(), syncLine);
    QCOMPARE(status.size(), 1);
}

void TestIrcSession::disconnectRecovers()
{
    QSignalSpy replaced(m_session.get(), &IrcSession::chatLogReplaced);
    QSignalSpy status(m_session.get(), &IrcSession::statusChanged);
    // With nothing open it still resets the log and leaves Connect enabled.
    m_session->disconnectClicked();
    QCOMPARE(replaced.last().at(0).toString(), "Disconnected");
    QVERIFY(m_session->connectEnabled());

    connectSession();
    m_session->receive(":bob!u@h PRIVMSG #VNH_Lounge :unfinished");
    QSignalSpy enabled(m_session.get(), &IrcSession::connectEnabledChanged);
    m_session->disconnectClicked();
    QCOMPARE(replaced.last().at(0).toString(), "Disconnected");
    QVERIFY(!m_session->isConnected());
    QCOMPARE(enabled.size(), 1);
    QCOMPARE(enabled.at(0).at(0).toBool(), true);
    QTRY_COMPARE_WITH_TIMEOUT(m_serverSide->state(), QAbstractSocket::UnconnectedState, 5000);
    QCOMPARE(status.size(), 0);

    // A new connection starts with nothing left of the old stream.
    connectSession();
    QSignalSpy appended(m_session.get(), &IrcSession::chatLogAppended);
    m_session->receive(" more\r\n:s NOTICE vnh :fresh\r\n");
    QCOMPARE(appended.at(0).at(0).toString(), " more\r\n:s NOTICE vnh :fresh\r\n");
}

void TestIrcSession::refusedConnection()
{
    const quint16 closedPort = m_server->serverPort();
    m_server->close();
    m_settings.setValue(Settings::IrcPort, QString::number(closedPort));
    QSignalSpy status(m_session.get(), &IrcSession::statusChanged);
    QSignalSpy replaced(m_session.get(), &IrcSession::chatLogReplaced);
    m_session->connectClicked();
    QTRY_COMPARE_WITH_TIMEOUT(status.size(), 1, 5000);
    QCOMPARE(status.at(0).at(0).toString(), "Error: IRC connection failure");
    QCOMPARE(replaced.size(), 1); // only "Connecting to ..."
    QVERIFY(!m_session->connectEnabled());
    m_session->connectClicked(); // the button is disabled: nothing happens
    QCOMPARE(replaced.size(), 1);
    m_session->disconnectClicked();
    QVERIFY(m_session->connectEnabled());
}

void TestIrcSession::serverClosesConnection()
{
    connectSession();
    QSignalSpy status(m_session.get(), &IrcSession::statusChanged);
    m_serverSide->write(":s NOTICE vnh :bye\r\n");
    m_serverSide->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(status.size(), 1, 5000);
    const QString message = status.at(0).at(0).toString();
    QVERIFY2(message.startsWith("Error: ") && message.contains("closed"), qPrintable(message));
    QVERIFY(!m_session->isConnected());
    QVERIFY(!m_session->connectEnabled());
    QCOMPARE(m_session->submitInput(QStringLiteral("anyone?")), false);
    m_session->disconnectClicked();
    QVERIFY(m_session->connectEnabled());
}

void TestIrcSession::invalidPortIsRefused_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("zero") << "0";
    QTest::newRow("too large") << "65536";
    QTest::newRow("not a number") << "66x";
    QTest::newRow("empty") << "";
}

void TestIrcSession::invalidPortIsRefused()
{
    QFETCH(QString, port);
    m_settings.setValue(Settings::IrcPort, port);
    QSignalSpy status(m_session.get(), &IrcSession::statusChanged);
    QSignalSpy replaced(m_session.get(), &IrcSession::chatLogReplaced);
    m_session->connectClicked();
    QCOMPARE(status.size(), 1);
    QCOMPARE(status.at(0).at(0).toString(), Settings::invalidPortMessage(Settings::IrcPort));
    QVERIFY(status.at(0).at(0).toString().startsWith("Error: "));
    QCOMPARE(replaced.size(), 0);
    QVERIFY(m_session->connectEnabled());
    QVERIFY(!m_server->waitForNewConnection(0));
}

QTEST_GUILESS_MAIN(TestIrcSession)
#include "tst_ircsession.moc"
