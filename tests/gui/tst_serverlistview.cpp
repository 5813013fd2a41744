#include "gui/serverlistproxy.h"
#include "gui/serverlistview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int serverColumn = 0;
constexpr int playersColumn = 3;
constexpr int pingColumn = 6;

ServerEntry row(const QByteArray& name, quint8 players, quint8 maxPlayers, qint64 ping)
{
    ServerEntry entry{{QStringLiteral("10.0.0.1"), 7755}, {}, ping};
    entry.info = {135, name, 0, players, maxPlayers, "dm01", {}, 0};
    return entry;
}

} // namespace

class TestServerListView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void headerClicksFollowTheRule_data();
    void headerClicksFollowTheRule();
    void sortsByColumn_data();
    void sortsByColumn();
    void laterRowsTakeTheirPlace_data();
    void laterRowsTakeTheirPlace();
    void unsortedListKeepsArrivalOrder();
    void clearingKeepsTheSortState();
    void rowClickIsReported();
    void keyboardAsksForTheCurrentRow();
    void contextMenus_data();
    void contextMenus();
    void passwordAndFavouriteAreMarked();

private:
    // The list's state, seen and set through its model.
    ServerListProxy* proxy() const { return static_cast<ServerListProxy*>(m_view->model()); }
    // As a refresh adds a row.
    void add(const ServerEntry& entry);
    void clickHeader(int oneBasedIndex);
    QString text(int row, int column) const;
    QStringList names() const;

    ServerListView* m_view = nullptr;
};

void TestServerListView::init()
{
    m_view = new ServerListView;
    m_view->resize(1200, 300);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
}

void TestServerListView::cleanup()
{
    delete m_view;
    m_view = nullptr;
}

void TestServerListView::clickHeader(int oneBasedIndex)
{
    QHeaderView* header = m_view->header();
    const int section = oneBasedIndex - 1;
    const QPoint middle(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
}

void TestServerListView::add(const ServerEntry& entry)
{
    m_view->addEntrySoon(entry);
    m_view->addWaitingEntries();
}

QString TestServerListView::text(int row, int column) const
{
    return m_view->model()->index(row, column).data().toString();
}

QStringList TestServerListView::names() const
{
    QStringList result;
    for (int i = 0; i < m_view->model()->rowCount(); ++i)
        result << text(i, serverColumn);
    return result;
}

void TestServerListView::headerClicksFollowTheRule_data()
{
    QTest::addColumn<int>("startKey");
    QTest::addColumn<Qt::SortOrder>("startOrder");
    QTest::addColumn<QList<int>>("clicks"); // one-based header indexes
    QTest::addColumn<int>("expectedKey");
    QTest::addColumn<Qt::SortOrder>("expectedOrder");

    constexpr Qt::SortOrder up = Qt::AscendingOrder;
    constexpr Qt::SortOrder down = Qt::DescendingOrder;
    QTest::newRow("Ping once: ascending") << 0 << up << QList<int>{7} << 6 << up;
    QTest::newRow("Ping twice: descending") << 0 << up << QList<int>{7, 7} << 6 << down;
    QTest::newRow("Ping three times: ascending") << 0 << up << QList<int>{7, 7, 7} << 6 << up;
    // The sort column already names the column, so the first click reverses
    // even though the list was never sorted.
    QTest::newRow("Server first click: descending") << 0 << up << QList<int>{1} << 0 << down;
    QTest::newRow("another column starts ascending") << 6 << down << QList<int>{4} << 3 << up;
    QTest::newRow("back to the old column ascending")
        << 0 << up << QList<int>{7, 7, 4, 7} << 6 << up;
}

void TestServerListView::headerClicksFollowTheRule()
{
    QFETCH(int, startKey);
    QFETCH(Qt::SortOrder, startOrder);
    QFETCH(QList<int>, clicks);
    QFETCH(int, expectedKey);
    QFETCH(Qt::SortOrder, expectedOrder);
    proxy()->setSortState({startKey, startOrder, false});

    for (int header : clicks)
        clickHeader(header);

    QCOMPARE(proxy()->sortState(), (SortState{expectedKey, expectedOrder, true}));
    QVERIFY(m_view->header()->isSortIndicatorShown());
    QCOMPARE(m_view->header()->sortIndicatorSection(), expectedKey);
}

void TestServerListView::sortsByColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QStringList>("expected");

    // a: 5/16 ping 20, b: 12/16 ping 100, c: 2/8 ping 7, d: 12/32 ping 20
    QTest::newRow("ping ascending") << pingColumn << Qt::AscendingOrder
                                    << QStringList{QStringLiteral("c"), QStringLiteral("a"),
                                                   QStringLiteral("d"), QStringLiteral("b")};
    QTest::newRow("ping descending") << pingColumn << Qt::DescendingOrder
                                     << QStringList{QStringLiteral("b"), QStringLiteral("a"),
                                                    QStringLiteral("d"), QStringLiteral("c")};
    QTest::newRow("players ascending") << playersColumn << Qt::AscendingOrder
                                       << QStringList{QStringLiteral("c"), QStringLiteral("a"),
                                                      QStringLiteral("b"), QStringLiteral("d")};
    QTest::newRow("players descending") << playersColumn << Qt::DescendingOrder
                                        << QStringList{QStringLiteral("d"), QStringLiteral("b"),
                                                       QStringLiteral("a"), QStringLiteral("c")};
}

void TestServerListView::sortsByColumn()
{
    QFETCH(int, column);
    QFETCH(Qt::SortOrder, order);
    QFETCH(QStringList, expected);
    for (const ServerEntry& r :
         {row("a", 5, 16, 20), row("b", 12, 16, 100), row("c", 2, 8, 7), row("d", 12, 32, 20)})
        add(r);
    QCOMPARE(names(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                   QStringLiteral("d")}));

    proxy()->setSortState({column, order, true});

    QCOMPARE(names(), expected);
}

void TestServerListView::laterRowsTakeTheirPlace_data()
{
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("ascending") << Qt::AscendingOrder
                               << QStringList{QStringLiteral("p5"), QStringLiteral("p20"),
                                              QStringLiteral("p20b"), QStringLiteral("p100"),
                                              QStringLiteral("p300")};
    QTest::newRow("descending") << Qt::DescendingOrder
                                << QStringList{QStringLiteral("p300"), QStringLiteral("p100"),
                                               QStringLiteral("p20"), QStringLiteral("p20b"),
                                               QStringLiteral("p5")};
}

void TestServerListView::laterRowsTakeTheirPlace()
{
    QFETCH(Qt::SortOrder, order);
    QFETCH(QStringList, expected);
    proxy()->setSortState({pingColumn, order, true});

    for (const ServerEntry& r : {row("p100", 1, 2, 100), row("p20", 1, 2, 20),
                                 row("p300", 1, 2, 300), row("p5", 1, 2, 5), row("p20b", 1, 2, 20)})
        add(r);

    QCOMPARE(names(), expected);
}

void TestServerListView::unsortedListKeepsArrivalOrder()
{
    add(row("z", 1, 2, 9));
    add(row("a", 1, 2, 1));

    QCOMPARE(names(), (QStringList{QStringLiteral("z"), QStringLiteral("a")}));
    QCOMPARE(text(1, 1), QStringLiteral("10.0.0.1"));
    QCOMPARE(text(1, playersColumn), QStringLiteral("1/2"));
    QCOMPARE(text(1, pingColumn), QStringLiteral("1"));
}

void TestServerListView::clearingKeepsTheSortState()
{
    clickHeader(7);
    clickHeader(7);
    add(row("slow", 1, 2, 300));

    m_view->clear();
    add(row("fast", 1, 2, 30));
    add(row("slower", 1, 2, 400));

    QCOMPARE(proxy()->sortState(), (SortState{pingColumn, Qt::DescendingOrder, true}));
    QCOMPARE(m_view->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(names(), (QStringList{QStringLiteral("slower"), QStringLiteral("fast")}));
}

void TestServerListView::rowClickIsReported()
{
    add(row("a", 1, 2, 9));
    add(row("b", 1, 2, 1));
    proxy()->setSortState({pingColumn, Qt::AscendingOrder, true});
    QSignalSpy clicks(m_view, &ServerListView::entryClicked);

    const QRect second = m_view->visualRect(m_view->model()->index(1, 0));
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, second.center());

    QCOMPARE(clicks.size(), 1);
    // Sorted by ping, the second row is the first to arrive.
    QCOMPARE(clicks[0][0].value<ServerEntry>().info.name, QByteArray("a"));
}

void TestServerListView::keyboardAsksForTheCurrentRow()
{
    add(row("a", 1, 2, 9));
    add(row("b", 1, 2, 1));
    QSignalSpy asked(m_view, &ServerListView::entryClicked);
    QApplication::setActiveWindow(m_view);
    m_view->clearFocus(); // Focused while empty; now reached by Tab.
    m_view->setFocus(Qt::TabFocusReason);
    QVERIFY(m_view->selectionModel()->isSelected(m_view->currentIndex()));
    m_view->selectionModel()->clearSelection(); // Home then leaves the first row unselected
    QTest::keyClick(m_view, Qt::Key_Home);
    QTest::keyClick(m_view, Qt::Key_Return);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0][0].value<ServerEntry>().info.name, QByteArray("a"));
}

void TestServerListView::contextMenus_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<int>("row"); // -1: below the rows
    QTest::addColumn<QStringList>("actions");
    const QStringList rowActions{QStringLiteral("&Join"), QStringLiteral("&Details..."),
                                 QStringLiteral("&Refresh this server"),
                                 QStringLiteral("&Copy address"), QStringLiteral("")};
    QTest::newRow("favourite by mouse")
        << false << 0 << rowActions + QStringList{QStringLiteral("Remove from &favourites")};
    QTest::newRow("current row by key")
        << true << 1 << rowActions + QStringList{QStringLiteral("Add to &favourites")};
    QTest::newRow("empty part") << false << -1 << QStringList{QStringLiteral("&Add server...")};
}

void TestServerListView::contextMenus()
{
    QFETCH(bool, byKey);
    QFETCH(int, row);
    QFETCH(QStringList, actions);
    ServerEntry other = ::row("b", 1, 2, 1);
    other.endpoint.port = 7756;
    add(::row("a", 1, 2, 9));
    add(other);
    m_view->setFavourites({{QStringLiteral("10.0.0.1"), 7755}});
    const QModelIndex index = m_view->model()->index(std::max(row, 0), 0);
    m_view->setCurrentIndex(index);
    const QPoint at =
        row < 0 ? QPoint(5, m_view->viewport()->height() - 5) : m_view->visualRect(index).center();
    QContextMenuEvent event(byKey ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse, at,
                            m_view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(byKey ? static_cast<QWidget*>(m_view) : m_view->viewport(), &event);

    const auto* menu = m_view->findChild<QMenu*>();
    QVERIFY(menu);
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << action->text();
    QCOMPARE(texts, actions);
    if (row >= 0) {
        QSignalSpy joins(m_view, &ServerListView::entryClicked);
        menu->actions().first()->trigger();
        QCOMPARE(joins[0][0].value<ServerEntry>().info.name, QByteArray(row == 0 ? "a" : "b"));
    }
}

void TestServerListView::passwordAndFavouriteAreMarked()
{
    ServerEntry locked = row("locked", 1, 2, 9);
    locked.info.flags = InfoReply::passwordFlag;
    locked.endpoint.port = 7756;
    add(row("open", 1, 2, 9));
    add(locked);
    m_view->setFavourites({locked.endpoint});
    QList<bool> marks; // the Server and the IP Address cells of both rows
    for (int cell = 0; cell < 4; ++cell)
        marks << !m_view->model()->index(cell / 2, cell % 2).data(Qt::DecorationRole).isNull();
    QCOMPARE(marks, (QList<bool>{false, false, true, true}));
}

QTEST_MAIN(TestServerListView)
#include "tst_serverlistview.moc"
