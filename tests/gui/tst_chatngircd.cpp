#include "core/app/application.h"
#include "core/chat/chatsession.h"
#include "core/platform/version.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"
#include "gui/chatformatter.h"
#include "gui/chatlogview.h"
#include "gui/mainwindow.h"
#include "gui/userswindow.h"
#include "ircpeer.h"
#include "ngircdserver.h"
#include "tempdatafolder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <memory>

// The chat of the main window against a real IRC server (a private ngIRCd
// on 127.0.0.1) with a second client in the same channel, driven through
// the window's buttons and chat input.
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
    void tls();
    void nicknameInUse();
    void serverClosesAndWeRejoin();
    void twentyLinesInASecond();
    void actionsAndPrivateMessages();

private:
    bool connectAndJoin();
    static IrcPeer::LinePredicate endsWith(const QByteArray& end)
    {
        return [end](const QByteArray& line) { return line.endsWith(end); };
    }
    QString log() { return m_log->logText(); }
    QString status() const
    {
        return m_window->findChild<QLineEdit*>(QStringLiteral("txtstat"))->text();
    }
    UsersWindow* users() const { return m_window->usersWindow(); }
    void click(const char* name)
    {
        QTest::mouseClick(m_window->findChild<QPushButton*>(QString::fromLatin1(name)),
                          Qt::LeftButton);
    }
    // Types a line into the chat input and presses Enter.
    void enter(const QString& text)
    {
        auto* input = m_window->findChild<QLineEdit*>(QStringLiteral("irccom"));
        input->setText(text);
        QTest::keyClick(input, Qt::Key_Return);
    }

    static constexpr int pingSeconds = 5; // ngIRCd's least
    static constexpr char channel[] = "#VNH_Lounge";
    std::unique_ptr<NgircdServer> m_server;
    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<Application> m_app;
    std::unique_ptr<MainWindow> m_window;
    Settings* m_settings = nullptr;
    ChatSession* m_session = nullptr;
    ChatLogView* m_log = nullptr;
    std::unique_ptr<IrcPeer> m_peer;
};

void TestChatNgircd::initTestCase()
{
    if (!NgircdServer::isInstalled())
        QSKIP(NgircdServer::notInstalledMessage);
    m_server = std::make_unique<NgircdServer>(pingSeconds);
    QVERIFY2(m_server->enableTls(QStringLiteral("localhost")), qPrintable(m_server->errorString()));
    QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
}

void TestChatNgircd::init()
{
    m_data = std::make_unique<TempDataFolder>();
    m_app = std::make_unique<Application>();
    m_window = std::make_unique<MainWindow>(m_app.get());
    m_window->show();
    m_settings = m_app->settings();
    m_session = m_app->chat();
    m_log = m_window->findChild<ChatLogView*>(QStringLiteral("irctxt"));
    m_settings->setValue(Settings::IrcHost, QStringLiteral("127.0.0.1"));
    m_settings->setValue(Settings::IrcPort, QString::number(m_server->port()));
    m_settings->setValue(Settings::IrcNickname, QStringLiteral("vnhtest"));
    m_settings->setValue(Settings::IrcUserName, QStringLiteral("Default"));
    m_settings->setValue(Settings::IrcChannel, QString::fromLatin1(channel));

    m_peer = std::make_unique<IrcPeer>("peer");
    QVERIFY(m_peer->joinChannel(m_server->port(), channel));
}

void TestChatNgircd::cleanup()
{
    m_window.reset();
    m_app.reset();
    m_data.reset();
    m_peer.reset();
}

bool TestChatNgircd::connectAndJoin()
{
    click("btnirccnt");
    return m_peer->waitForLine([](const QByteArray& line) {
        return line.startsWith(":vnhtest!") && line.contains(" JOIN ");
    });
}

void TestChatNgircd::registersAndJoins()
{
    QSignalSpy replaced(m_window->findChild<ChatFormatter*>(), &ChatFormatter::logReplaced);
    QVERIFY(connectAndJoin());
    QCOMPARE(replaced.at(0).at(0).toString(), QStringLiteral("Connecting to 127.0.0.1...\r\n"));
    QCOMPARE(replaced.at(1).at(0).toString(),
             QStringLiteral("Connected.. (Waiting for authorization)\r\n"));
    QVERIFY(m_session->isConnected());
    QVERIFY(!m_session->connectEnabled());
    // The server's welcome and our own join, as raw and speaker entries.
    QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("vnhtest: #VNH_Lounge")), 5000);
    QVERIFY(log().startsWith(QStringLiteral("Connected.. (Waiting for authorization)\n")));
    QVERIFY(log().contains(QStringLiteral(":irc.varnholt.test 001 vnhtest :")));
    // The reply to our JOIN fills the list without any request, and the
    // window stays hidden.
    QTRY_VERIFY_WITH_TIMEOUT(m_session->users().contains(QStringLiteral("vnhtest")), 5000);
    QVERIFY(users() && !users()->isVisible());
    QVERIFY(!log().contains(QStringLiteral(" 353 ")));
    QVERIFY(!log().contains(QStringLiteral(" 366 ")));
    QCOMPARE(status(), QStringLiteral("Ready"));
}

void TestChatNgircd::chatBothWays()
{
    QVERIFY(connectAndJoin());
    enter(QStringLiteral("hello: from varnholt \u00e9"));
    QVERIFY(m_window->findChild<QLineEdit*>(QStringLiteral("irccom"))->text().isEmpty());
    QVERIFY(m_peer->waitForLine([](const QByteArray& line) {
        return line.startsWith(":vnhtest!") &&
               line.endsWith(" PRIVMSG #VNH_Lounge :hello: from varnholt \xc3\xa9");
    }));
    QVERIFY(log().contains(QStringLiteral("\u00bb\u00bbvnhtest\u00ab\u00ab: hello: from varnholt "
                                          "\u00e9\n")));

    m_peer->sendPrivmsg(channel, "hi there: see http://x");
    QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("\npeer: hi there: see http://x\n")),
                             5000);

    // A "/"-line the chat does not know goes nowhere.
    enter(QStringLiteral("/quit"));
    QVERIFY(log().contains(QStringLiteral("\nUnknown command: /quit\n")));
    m_peer->sendPrivmsg(channel, "after");
    QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("\npeer: after\n")), 5000);
    QVERIFY(!m_peer->hasLine([](const QByteArray& line) { return line.contains("quit"); }));
    QVERIFY(m_session->isConnected());
}

void TestChatNgircd::usersWindowListsBothNicks()
{
    QVERIFY(connectAndJoin());
    QTRY_VERIFY_WITH_TIMEOUT(users() != nullptr, 5000);
    users()->setUsers({QStringLiteral("stale")});
    click("btnusers");
    QVERIFY(users()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!users()->usersText().contains(QStringLiteral("stale")), 5000);
    QStringList names = users()->usersText().split(u'\n');
    for (QString& name : names)
        name.remove(u'@');
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("peer"), QStringLiteral("vnhtest")}));

    // Refresh after the peer leaves.
    m_peer.reset();
    QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("peer: ")), 5000);
    QTest::mouseClick(users()->findChild<QPushButton*>(QStringLiteral("btnuserclose")),
                      Qt::LeftButton);
    QVERIFY(!users()->isVisible());
    QTest::mouseClick(users()->findChild<QPushButton*>(QStringLiteral("btnuserefres")),
                      Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(users()->usersText().remove(u'@'), QStringLiteral("vnhtest"), 5000);
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
    QCOMPARE(status(), QStringLiteral("Ready"));
    enter(QStringLiteral("still here"));
    QVERIFY(m_peer->waitForLine(
        [](const QByteArray& line) { return line.endsWith("PRIVMSG #VNH_Lounge :still here"); }));
}

void TestChatNgircd::disconnect()
{
    QVERIFY(connectAndJoin());
    QSignalSpy enabled(m_session, &ChatSession::connectEnabledChanged);
    click("btnircdiscnnt");
    QCOMPARE(log(), QStringLiteral("Disconnected"));
    QVERIFY(m_window->findChild<QPushButton*>(QStringLiteral("btnirccnt"))->isEnabled());
    QCOMPARE(enabled.size(), 1);
    QVERIFY(!m_session->isConnected());
    // The server sees us go; no QUIT was sent, so it gives its own reason.
    QVERIFY(m_peer->waitForLine([](const QByteArray& line) {
        return line.startsWith(":vnhtest!") && line.contains(" QUIT ");
    }));
    QCOMPARE(status(), QStringLiteral("Ready"));
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
    m_settings->setValue(Settings::IrcPort, QString::number(closedPort));
    click("btnirccnt");
    QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Error: IRC connection failure"), 5000);
    QCOMPARE(log(), QStringLiteral("Connecting to 127.0.0.1...\n"));
    auto* connectButton = m_window->findChild<QPushButton*>(QStringLiteral("btnirccnt"));
    QVERIFY(!connectButton->isEnabled());
    click("btnircdiscnnt");
    QVERIFY(connectButton->isEnabled());
}

void TestChatNgircd::tls()
{
    m_app->preferences()->setFlag(Preferences::IrcTls, true);
    m_app->preferences()->setIrcCaFile(m_server->certificateFile());
    m_settings->setValue(Settings::IrcPort, QString::number(m_server->tlsPort()));
    // The certificate is for "localhost": refused, with the reason.
    click("btnirccnt");
    QTRY_COMPARE_WITH_TIMEOUT(m_session->state(), ChatSession::State::Failed, 5000);
    QCOMPARE(log(),
             QStringLiteral(
                 "Connecting to 127.0.0.1...\nTLS connection refused: the server's certificate "
                 "is for another host name. Nothing was sent.\n"));
    click("btnircdiscnnt");
    m_settings->setValue(Settings::IrcHost, QStringLiteral("localhost"));
    QVERIFY(connectAndJoin());
    enter(QStringLiteral("over tls"));
    QVERIFY(m_peer->waitForLine(endsWith(" PRIVMSG #VNH_Lounge :over tls")));
    m_peer->sendPrivmsg(channel, "back");
    QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("\npeer: back\n")), 5000);
}

void TestChatNgircd::nicknameInUse()
{
    IrcPeer holder("vnhtest");
    QVERIFY(holder.joinChannel(m_server->port(), channel));
    click("btnirccnt");
    QVERIFY(m_peer->waitForLine([](const QByteArray& line) {
        return line.startsWith(":vnhtest_!") && line.endsWith(" JOIN :#VNH_Lounge");
    }));
    QVERIFY(log().contains(QStringLiteral("\nNickname vnhtest is in use, trying vnhtest_\n")));
}

void TestChatNgircd::serverClosesAndWeRejoin()
{
    m_session->setTimings({.firstRetryMs = 300});
    QVERIFY(connectAndJoin());
    const QByteArray joined = m_peer->lines().last();
    m_peer->sendLine(QByteArray("OPER ") + NgircdServer::operatorName + ' ' +
                     NgircdServer::operatorPassword);
    m_peer->sendLine("KILL vnhtest :testing the reconnect");
    // Back in the channel within 5 s.
    QVERIFY(QTest::qWaitFor([&] { return m_peer->lines().count(joined) == 2; }, 5000));
    QVERIFY(log().contains(QStringLiteral(
        "\nConnection lost (the server closed the connection); reconnecting in 0.3 s\n")));
    QTRY_VERIFY_WITH_TIMEOUT(
        log().contains(QStringLiteral("\nReconnected (attempt 1); joining the channel again\n")),
        5000);
}

void TestChatNgircd::twentyLinesInASecond()
{
    m_session->setTimings({.sendIntervalMs = 250}); // shortened to keep the test short
    QVERIFY(connectAndJoin());
    QByteArray expected, arrived;
    for (int n = 1; n <= 20; ++n) {
        enter(QStringLiteral("line ") + QString::number(n));
        expected += QByteArray::number(n) + ' ';
    }
    QVERIFY(m_peer->waitForLine(endsWith(" PRIVMSG #VNH_Lounge :line 20"), 20000));
    for (const QByteArray& line : m_peer->lines()) {
        if (line.contains(" PRIVMSG #VNH_Lounge :line "))
            arrived += line.mid(line.lastIndexOf(' ') + 1) + ' ';
    }
    QCOMPARE(arrived, expected);
    QVERIFY(m_session->isConnected());
}

void TestChatNgircd::actionsAndPrivateMessages()
{
    QVERIFY(connectAndJoin());
    enter(QStringLiteral("/me waves"));
    QVERIFY(m_peer->waitForLine(endsWith(" PRIVMSG #VNH_Lounge :\001ACTION waves\x01")));
    enter(QStringLiteral("/msg peer psst"));
    QVERIFY(m_peer->waitForLine(endsWith(" PRIVMSG peer :psst")));
    m_peer->sendPrivmsg(channel, "\001ACTION grins\x01");
    QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("\n* peer grins\n")), 5000);
    m_peer->sendPrivmsg("vnhtest", "\001VERSION\001");
    QVERIFY(m_peer->waitForLine(
        endsWith(" NOTICE peer :\001VERSION Varnholt " + QByteArray(Version::number) + "\001")));
    QVERIFY(log().contains(QStringLiteral("\n* vnhtest waves\n-> peer: psst\n")));
}

QTEST_MAIN(TestChatNgircd)
#include "tst_chatngircd.moc"
