#include "core/app/application.h"
#include "core/browser/serverbrowser.h"
#include "core/browser/serverquerier.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"
#include "core/wire/addresscache.h"
#include "freeport.h"
#include "gui/mainwindow.h"
#include "gui/serverdetailswindow.h"
#include "gui/serverlistactions.h"
#include "gui/serverlistview.h"
#include "recordingstarter.h"
#include "scriptedprompts.h"
#include "tempdatafolder.h"
#include "testnetprocess.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// The browser as a player uses it: the window's buttons and list, driving
// the real retrieval and query cycle against the local test network.
class TestBrowserFlow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void filterButtonsSetTheFilters();
    void refreshWithoutFiltersAsksForThem();
    void getListThenTheCycleFillsTheList();
    void rowClickStartsTheGame();
    void detailsJoinAsksForThePassword();
    void fastRefreshWithSilentServersShownLast();

private:
    QPushButton* button(const char* name) const
    {
        return m_window->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    void click(const char* name) const
    {
        QTest::mouseClick(m_window->findChild<QAbstractButton*>(QString::fromLatin1(name)),
                          Qt::LeftButton);
    }
    QString status() const
    {
        return m_window->findChild<QLineEdit*>(QStringLiteral("txtstat"))->text();
    }

    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<Application> m_app;
    std::unique_ptr<MainWindow> m_window;
};

void TestBrowserFlow::init()
{
    m_data = std::make_unique<TempDataFolder>();
    m_app = std::make_unique<Application>();
    m_window = std::make_unique<MainWindow>(m_app.get());
    m_window->show();
    Settings* settings = m_app->settings();
    settings->setValue(Settings::MasterHost, QStringLiteral("127.0.0.1"));
    settings->setValue(Settings::MasterLocalPort, QString::number(freeUdpPort()));
    settings->setValue(Settings::QueryLocalPort, QString::number(freeUdpPort()));
}

void TestBrowserFlow::cleanup()
{
    m_window.reset();
    m_app.reset();
    m_data.reset();
}

void TestBrowserFlow::filterButtonsSetTheFilters()
{
    ServerBrowser* browser = m_app->browser();
    QCOMPARE(browser->filter(), ServerFilter{});

    const std::pair<const char*, VersionFilter> versions[] = {{"opt0", VersionFilter::Version10},
                                                              {"opt1", VersionFilter::Version11},
                                                              {"opt2", VersionFilter::Version12},
                                                              {"opt3", VersionFilter::Version13},
                                                              {"optvall", VersionFilter::All}};
    for (const auto& [name, value] : versions) {
        click(name);
        QCOMPARE(browser->filter().version, value);
        QCOMPARE(browser->filter().gameType, std::nullopt); // the groups share nothing
    }
    const std::pair<const char*, GameTypeFilter> gameTypes[] = {
        {"optdm", GameTypeFilter::Deathmatch},
        {"optctf", GameTypeFilter::CaptureTheFlag},
        {"opttdm", GameTypeFilter::TeamDeathmatch},
        {"opttall", GameTypeFilter::All}};
    for (const auto& [name, value] : gameTypes) {
        click(name);
        QCOMPARE(browser->filter().gameType, value);
        QCOMPARE(browser->filter().version, VersionFilter::All);
    }
}

void TestBrowserFlow::refreshWithoutFiltersAsksForThem()
{
    click("optvall");
    click("btnrefresh");
    QCOMPARE(status(), QStringLiteral("Error: Please set game filters first"));
    QVERIFY(button("btnrefresh")->isEnabled());
    QVERIFY(button("btngetlist")->isEnabled());
}

void TestBrowserFlow::getListThenTheCycleFillsTheList()
{
    TestNetProcess net({QStringLiteral("--master-port"), QStringLiteral("0"),
                        QStringLiteral("--servers"), QStringLiteral("25"), QStringLiteral("--seed"),
                        QStringLiteral("3"), QStringLiteral("--delay"), QStringLiteral("1-5"),
                        QStringLiteral("--silent"), QStringLiteral("2"),
                        QStringLiteral("--per-part"), QStringLiteral("10")});
    QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
    m_app->settings()->setValue(Settings::MasterPort, QString::number(net.masterPort()));
    m_app->browser()->querier()->setReplyTimeout(300); // the two silent servers

    click("opttall");
    click("optvall");
    QSignalSpy busy(m_app->browser(), &ServerBrowser::busyChanged);
    click("btngetlist");
    // One user of the address cache file at a time.
    QVERIFY(!button("btngetlist")->isEnabled());
    QVERIFY(!button("btnrefresh")->isEnabled());

    QTRY_COMPARE_WITH_TIMEOUT(busy.count(), 2, 30000);
    QCOMPARE(busy.at(0).at(0).toBool(), true);
    QCOMPARE(busy.at(1).at(0).toBool(), false);
    QCOMPARE(status(), QStringLiteral("Ready"));
    QVERIFY(button("btngetlist")->isEnabled());
    QVERIFY(button("btnrefresh")->isEnabled());

    QFile cache(m_data->cacheFile());
    QVERIFY(cache.open(QIODevice::ReadOnly));
    QCOMPARE(cache.readAll().count("\r\n"), 50);

    const QAbstractItemModel* list =
        m_window->findChild<ServerListView*>(QStringLiteral("serverlist"))->model();
    QCOMPARE(list->rowCount(), 23);
    const QRegularExpression players(QStringLiteral("^\\d+/\\d+$"));
    for (int i = 0; i < list->rowCount(); ++i) {
        const auto text = [&](int column) { return list->index(i, column).data().toString(); };
        QVERIFY(!text(0).isEmpty());
        QCOMPARE(text(1), QStringLiteral("127.0.0.1"));
        QVERIFY2(players.match(text(3)).hasMatch(), qPrintable(text(3)));
        QVERIFY(QStringList({QStringLiteral("1.1"), QStringLiteral("1.2"), QStringLiteral("1.3")})
                    .contains(text(4)));
        QVERIFY(text(6).toInt() >= 1);
    }

    // Refresh asks the same servers again and rebuilds the list.
    click("btnrefresh");
    QTRY_COMPARE_WITH_TIMEOUT(busy.count(), 4, 30000);
    QCOMPARE(list->rowCount(), 23);
}

void TestBrowserFlow::rowClickStartsTheGame()
{
    ScriptedPrompts prompts;
    RecordingStarter starter;
    m_window->setLaunchServices(&prompts, &starter);
    QFile game(QDir(m_data->path()).filePath(QStringLiteral("rf.exe")));
    QVERIFY(game.open(QIODevice::WriteOnly));
    game.close();
    m_app->settings()->setValue(Settings::GameDirectory, m_data->path());

    auto* list = m_window->findChild<ServerListView*>(QStringLiteral("serverlist"));
    ServerEntry entry;
    entry.endpoint = {QStringLiteral("127.0.0.1"), 7755};
    entry.info.name = "Alpha";
    list->addEntrySoon(entry);
    list->addWaitingEntries();
    const QRect place = list->visualRect(list->model()->index(0, 0));

    prompts.answerOk = false;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
    QCOMPARE(prompts.log, QStringList{QStringLiteral("start")});
    QVERIFY(starter.started.isEmpty());
    QCOMPARE(status(), QStringLiteral("Ready"));

    prompts.answerOk = true;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
    QCOMPARE(starter.started,
             QStringList{
                 QDir::toNativeSeparators(QDir(m_data->path()).filePath(QStringLiteral("rf.exe"))) +
                 QStringLiteral(" in ") + m_data->path()});
    QCOMPARE(status(),
             QStringLiteral("127.0.0.1:7755 copied: paste it into the game's join-by-address box"));
}

void TestBrowserFlow::detailsJoinAsksForThePassword()
{
    ScriptedPrompts prompts;
    prompts.password = QStringLiteral("secret");
    RecordingStarter starter;
    m_window->setLaunchServices(&prompts, &starter);
    const QString launcher = QDir::toNativeSeparators(
        QDir(m_data->path()).filePath(QStringLiteral("DashFactionLauncher.exe")));
    QVERIFY(QFile(launcher).open(QIODevice::WriteOnly));
    m_app->settings()->setValue(Settings::GameDirectory, m_data->path());
    ServerEntry entry;
    entry.endpoint = {QStringLiteral("127.0.0.1"), 7755};
    entry.info.flags = InfoReply::passwordFlag;
    m_window->listActions()->showDetails(entry);
    ServerDetailsWindow* details = m_window->listActions()->detailsWindow(entry.endpoint);
    QTest::mouseClick(details->findChild<QPushButton*>(QStringLiteral("btnjoin")), Qt::LeftButton);
    QCOMPARE(prompts.log,
             QStringList({QStringLiteral("start"), QStringLiteral("password 127.0.0.1:7755")}));
    QCOMPARE(starter.started,
             QStringList{launcher +
                         QStringLiteral(" -game -url rf://127.0.0.1:7755?password=secret in ") +
                         m_data->path()});
}

void TestBrowserFlow::fastRefreshWithSilentServersShownLast()
{
    TestNetProcess net({QStringLiteral("--servers"), QStringLiteral("12"), QStringLiteral("--seed"),
                        QStringLiteral("4"), QStringLiteral("--delay"), QStringLiteral("1-5"),
                        QStringLiteral("--silent"), QStringLiteral("2")});
    QVERIFY2(net.waitForReady(), qPrintable(net.failure()));
    QFile cache(m_data->cacheFile());
    QVERIFY(cache.open(QIODevice::WriteOnly));
    for (quint16 port : net.serverPorts())
        cache.write(AddressCache::formatServer(QStringLiteral("127.0.0.1"), port));
    cache.close();
    Preferences* preferences = m_app->preferences();
    preferences->setFlag(Preferences::ParallelRefresh, true);
    preferences->setFlag(Preferences::ShowSilent, true);
    m_app->browser()->querier()->setReplyTimeout(400);
    m_app->browser()->querier()->setRetryAfter(100);

    click("opttall");
    click("optvall");
    QSignalSpy busy(m_app->browser(), &ServerBrowser::busyChanged);
    click("btnrefresh");
    QTRY_COMPARE_WITH_TIMEOUT(busy.count(), 2, 10000);

    const QAbstractItemModel* list =
        m_window->findChild<ServerListView*>(QStringLiteral("serverlist"))->model();
    QCOMPARE(list->rowCount(), 12);
    for (int row = 0; row < 12; ++row)
        QCOMPARE(list->index(row, 0).data().toString() == QStringLiteral("(no answer)"), row >= 10);
    preferences->setFlag(Preferences::ShowSilent, false);
    QCOMPARE(list->rowCount(), 10);
}

QTEST_MAIN(TestBrowserFlow)
#include "tst_browserflow.moc"
