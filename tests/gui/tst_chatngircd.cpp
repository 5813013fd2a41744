#include "app/chatlogview.h"
#include "app/frmusers.h"
#include "irc/ircsession.h"
#include "ircpeer.h"
#include "ngircdserver.h"
#include "platform/socket.h"
#include "settings/settings.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <memory>

// The chat against a real IRC server (a private ngIRCd on 127.0.0.1) with a
// second client in the same channel, wired to the log and users window as
// the main window wires them.
class TestChatNgircd : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void registersAndJoins();
    void chatBothWays();
    void usersWindowListsBothNicks();
    void pingIsAnswered();
    void disconnect();
    void refusedConnection();

private:
    bool connectAndJoin();
    QString log() { return m_log->logText(); }

    static constexpr int pingSeconds = 5; // ngIRCd's least
    static constexpr char channel[] = "#VNH_Lounge";
    std::unique_ptr<NgircdServer> m_server;
    Settings m_settings;
    std::unique_ptr<Socket> m_socket;
    std::unique_ptr<IrcSession> m_session;
    std::unique_ptr<ChatLogView> m_log;
    std::unique_ptr<frmusers> m_users;
    std::unique_ptr<IrcPeer> m_peer;
    QString m_status;
};

void TestChatNgircd::initTestCase()
{
    if (!NgircdServer::isInstalled())
        QSKIP(NgircdServer::notInstalledMessage);
    m_server = std::make_unique<NgircdServer>(pingSeconds);
    QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
}

void TestChatNgircd::init()
{
    m_settings.setValue(Settings::Ircserv, QStringLiteral("127.0.0.1"));
    m_settings.setValue(Settings::Ircprt, QString::number(m_server->port()));
    m_settings.setValue(Settings::Ircnick, QStringLiteral("vnhtest"));
    m_settings.setValue(Settings::Ircname, QStringLiteral("Default"));
    m_settings.setValue(Settings::Ircroom, QString::fromLatin1(channel));

    m_socket = std::make_unique<Socket>();
    m_socket->setProtocol(Socket::Protocol::Tcp);
    m_session = std::make_unique<IrcSession>(m_socket.get(), &m_settings);
    m_log = std::make_unique<ChatLogView>();
    m_users = std::make_unique<frmusers>();
    m_status.clear();
    connect(m_session.get(), &IrcSession::chatLogReplaced, m_log.get(), &ChatLogView::replaceText);
    connect(m_session.get(), &IrcSession::chatLogAppended, m_log.get(), &ChatLogView::appendText);
    connect(m_session.get(), &IrcSession::usersListChanged, m_users.get(), &frmusers::setUsers);
    connect(m_session.get(), &IrcSession::showUsersWindow, m_users.get(), &QWidget::show);
    connect(m_users.get(), &frmusers::refreshClicked, m_session.get(),
            &IrcSession::refreshUsersClicked);
    connect(m_session.get(), &IrcSession::statusChanged, this,
            [this](const QString& status) { m_status = status; });

    m_peer = std::make_unique<IrcPeer>("peer");
    QVERIFY(m_peer->joinChannel(m_server->port(), channel));
}

void TestChatNgircd::cleanup()
{
    m_session.reset();
    m_socket.reset();
    m_users.reset();
    m_log.reset();
    m_peer.reset();
}

bool TestChatNgircd::connectAndJoin()
{
    m_session->connectClicked();
    return m_peer->waitForLine([](const QByteArray& line) {
        return line.startsWith(":vnhtest!") && line.contains(" JOIN ");
    });
}

void TestChatNgircd::registersAndJoins()
{
    QSignalSpy replaced(m_session.get(), &IrcSession::chatLogReplaced);
    QVERIFY(connectAndJoin());
    QCOMPARE(replaced.at(0).at(0).toString(), "Connecting to 127.0.0.1...\r\n");
    QCOMPARE(replaced.at(1).at(0).toString(), "Connected.. (Waiting for authorization)\r\n");
    QVERIFY(m_session->isConnected());
    QVERIFY(!m_session->connectEnabled());
    // The server's welcome and our own join, as raw and speaker entries.
    QTRY_VERIFY_WITH_TIMEOUT(log().contains("vnhtest: #VNH_Lounge"), 5000);
    QVERIFY(log().startsWith("Connected.. (Waiting for authorization)\n"));
    QVERIFY(log().contains(":irc.varnholt.test 001 vnhtest :"));
    // The reply to our JOIN fills the list without any request, and the
    // window stays hidden.
    QTRY_VERIFY_WITH_TIMEOUT(m_session->users().contains("vnhtest"), 5000);
    QVERIFY(!m_users->isVisible());
    QVERIFY(!log().contains(" 353 "));
    QVERIFY(!log().contains(" 366 "));
    QVERIFY(m_status.isEmpty());
}

void TestChatNgircd::chatBothWays()
{
    QVERIFY(connectAndJoin());
    QVERIFY(m_session->submitInput(QStringLiteral("hello: from varnholt \u00e9")));
    QVERIFY(m_peer->waitForLine([](const QByteArray& line) {
        return line.startsWith(":vnhtest!") &&
               line.endsWith(" PRIVMSG #VNH_Lounge :hello: from varnholt \xc3\xa9");
    }));
    QVERIFY(log().contains(QStringLiteral("\u00bb\u00bbvnhtest\u00ab\u00ab: hello: from varnholt "
                                          "\u00e9\n")));

    m_peer->sendPrivmsg(channel, "hi there: see http://x");
    QTRY_VERIFY_WITH_TIMEOUT(log().contains("\npeer: hi there: see http://x\n"), 5000);

    // A "/"-line goes nowhere.
    QVERIFY(m_session->submitInput(QStringLiteral("/quit")));
    m_peer->sendPrivmsg(channel, "after");
    QTRY_VERIFY_WITH_TIMEOUT(log().contains("\npeer: after\n"), 5000);
    QVERIFY(!m_peer->hasLine([](const QByteArray& line) { return line.contains("quit"); }));
    QVERIFY(m_session->isConnected());
}

void TestChatNgircd::usersWindowListsBothNicks()
{
    QVERIFY(connectAndJoin());
    m_users->setUsers({"stale"});
    m_session->usersClicked();
    QVERIFY(m_users->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!m_users->usersText().contains("stale"), 5000);
    QStringList names = m_users->usersText().split(u'\n');
    for (QString& name : names)
        name.remove(u'@');
    names.sort();
    QCOMPARE(names, (QStringList{"peer", "vnhtest"}));

    // Refresh after the peer leaves.
    m_peer.reset();
    QTRY_VERIFY_WITH_TIMEOUT(log().contains("peer: "), 5000);
    QTest::mouseClick(m_users->findChild<QPushButton*>("btnuserclose"), Qt::LeftButton);
    QVERIFY(!m_users->isVisible());
    QTest::mouseClick(m_users->findChild<QPushButton*>("btnuserefres"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_users->usersText().remove(u'@'), "vnhtest", 5000);
}

void TestChatNgircd::pingIsAnswered()
{
    QVERIFY(connectAndJoin());
    // A client that does not answer is dropped by this server...
    IrcPeer silent("silent");
    QVERIFY(silent.joinChannel(m_server->port(), channel));
    silent.setAnswerPings(false);
    // ...within two ping periods of its last word; ours must outlive it.
    const int bound = 4 * pingSeconds * 1000;
    QVERIFY(
        silent.waitForLine([](const QByteArray& line) { return line.startsWith("PING"); }, bound));
    QTRY_VERIFY_WITH_TIMEOUT(!silent.isConnected(), bound);
    QVERIFY(m_peer->waitForLine(
        [](const QByteArray& line) {
            return line.startsWith(":silent!") && line.contains(" QUIT ");
        },
        bound));
    QVERIFY(m_session->isConnected());
    QVERIFY(m_status.isEmpty());
    m_session->submitInput(QStringLiteral("still here"));
    QVERIFY(m_peer->waitForLine(
        [](const QByteArray& line) { return line.endsWith("PRIVMSG #VNH_Lounge :still here"); }));
}

void TestChatNgircd::disconnect()
{
    QVERIFY(connectAndJoin());
    QSignalSpy enabled(m_session.get(), &IrcSession::connectEnabledChanged);
    m_session->disconnectClicked();
    QCOMPARE(log(), "Disconnected");
    QVERIFY(m_session->connectEnabled());
    QCOMPARE(enabled.size(), 1);
    QVERIFY(!m_session->isConnected());
    // The server sees us go; no QUIT was sent, so it gives its own reason.
    QVERIFY(m_peer->waitForLine([](const QByteArray& line) {
        return line.startsWith(":vnhtest!") && line.contains(" QUIT ");
    }));
    QVERIFY(m_status.isEmpty());
    // And we can come back.
    QVERIFY(connectAndJoin());
}

void TestChatNgircd::refusedConnection()
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    m_settings.setValue(Settings::Ircprt, QString::number(closedPort));
    m_session->connectClicked();
    QTRY_COMPARE_WITH_TIMEOUT(m_status, "Error: IRC connection failure", 5000);
    QCOMPARE(log(), "Connecting to 127.0.0.1...\n");
    QVERIFY(!m_session->connectEnabled());
    m_session->disconnectClicked();
    QVERIFY(m_session->connectEnabled());
}

QTEST_MAIN(TestChatNgircd)
#include "tst_chatngircd.moc"
