#include "core/app/application.h"
#include "core/browser/favourites.h"
#include "core/browser/friends.h"
#include "core/browser/serverwatch.h"
#include "core/wire/inforeply.h"
#include "core/wire/playerlist.h"
#include "fakegameserver.h"
#include "gui/friendswindow.h"
#include "gui/mainwindow.h"
#include "gui/palette.h"
#include "gui/serverlistmodel.h"
#include "gui/serverlistview.h"
#include "gui/watchnotifier.h"
#include "inforeplyexamples.h"
#include "tempdatafolder.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

void answerWith(FakeGameServer& server, const QByteArrayList& names)
{
    server.repliesTo[InfoProtocol::request()] = {
        InfoReplyExamples::reply(145, "Watched", 0, quint8(names.size()))};
    PlayerList list;
    for (const QByteArray& name : names)
        list.players.append({name});
    server.repliesTo[PlayerListProtocol::request()] = {
        PlayerListProtocol::encodeNames(list, false)};
}

} // namespace

// The watch in the window: a favourite's row kept up to date in place, a
// friend joining told in the status line and the title (no tray here), a
// server gone silent drawn grey, the Friends window.
class TestWatchFlow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void friendJoiningIsTold();
};

void TestWatchFlow::friendJoiningIsTold()
{
    if (WatchNotifier::trayAvailable())
        QSKIP("This desktop has a tray: the notice goes there");
    TempDataFolder data;
    FakeGameServer server;
    answerWith(server, {"Zed"});
    Application app;
    MainWindow window(&app);
    window.show();
    QCOMPARE(app.favourites()->add(server.endpoint()), QString());
    QCOMPARE(app.friends()->add(QStringLiteral("kas*")), QString());
    // Every second, and no master: only 127.0.0.1 is asked.
    WatchConfig config;
    config.enabled = true;
    config.intervalSeconds = 1;
    app.watch()->setReplyTimeout(500);
    app.watch()->setConfig(config);

    auto* list = window.findChild<ServerListView*>(QStringLiteral("serverlist"));
    auto* status = window.findChild<QLineEdit*>(QStringLiteral("txtstat"));
    QTRY_VERIFY_WITH_TIMEOUT(list->entryOf(server.endpoint()).has_value(), 3000);
    QCOMPARE(list->entryOf(server.endpoint())->info.players, 1);

    answerWith(server, {"Zed", "kasia"});
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("kasia joined Watched"), 4000);
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("kasia joined Watched - ")));
    QCOMPARE(list->entryOf(server.endpoint())->info.players, 2);
    QCOMPARE(list->model()->rowCount(), 1);
    auto players = [list](int role) {
        return list->model()->index(0, ServerListModel::Players).data(role);
    };
    QCOMPARE(players(Qt::ToolTipRole).toString(), QStringLiteral("Friends here: kasia"));
    QVERIFY(players(Qt::ForegroundRole).isNull());

    // The row's menu: Zed can be added; kasia, under "kas*", is neither
    // added again nor removed there. Added, Zed can be removed.
    // The menu last opened: an earlier one is only deleted later.
    auto rowMenu = [list] {
        return list->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly).constLast();
    };
    auto friendMenus = [list, rowMenu] {
        const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &event);
        QStringList texts;
        for (const QAction* action : rowMenu()->actions()) {
            if (action->menu())
                for (const QAction* name : action->menu()->actions())
                    texts << action->text() + u':' + name->text();
        }
        return texts;
    };
    QCOMPARE(friendMenus(), QStringList{QStringLiteral("Add to friends:Zed")});
    rowMenu()->actions().last()->menu()->actions().first()->trigger();
    QVERIFY(app.friends()->containsPattern(QStringLiteral("Zed")));
    QCOMPARE(friendMenus(), QStringList{QStringLiteral("Remove from friends:Zed")});

    // The Friends window: the patterns, who plays where; Escape closes it.
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnfriends")), Qt::LeftButton);
    FriendsWindow* friends = window.friendsWindow();
    QVERIFY(friends && friends->isVisible());
    QCOMPARE(friends->patternList()->topLevelItem(0)->text(0), QStringLiteral("kas*"));
    QCOMPARE(friends->patternList()->topLevelItemCount(), 2);
    QCOMPARE(friends->playingList()->topLevelItemCount(), 2);
    QCOMPARE(friends->playingList()->topLevelItem(0)->text(1), QStringLiteral("Watched"));
    QApplication::setActiveWindow(friends);
    QTest::keyClick(friends, Qt::Key_Escape);
    QVERIFY(!friends->isVisible());

    // Grey only after two looks without an answer.
    server.ignoredRequests = int(server.requests.size()) + 1000;
    QTest::qWait(1000);
    QVERIFY(players(Qt::ForegroundRole).isNull());
    QTRY_COMPARE_WITH_TIMEOUT(players(Qt::ForegroundRole), QVariant(Palette::silentText), 6000);
}

QTEST_MAIN(TestWatchFlow)
#include "tst_watchflow.moc"
