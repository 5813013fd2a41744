#include "gui/serverlistmodel.h"
#include "gui/serverlistproxy.h"

#include <QTest>

Q_DECLARE_METATYPE(SortState)

namespace {

// Servers "a", "b", ... arrive in this order, at 10.0.0.1, ... with these pings.
void addServers(ServerListModel& model, const QList<int>& pings)
{
    for (int i = 0; i < pings.size(); ++i)
        model.append({{QStringLiteral("10.0.0.%1").arg(i + 1), 7755},
                      {0, QByteArray(1, char('a' + i)), 0, 0, 0, {}, {}, 0},
                      pings[i]});
}

QString shownNames(const ServerListProxy& proxy)
{
    QString names;
    for (int row = 0; row < proxy.rowCount(); ++row)
        names += proxy.index(row, ServerListModel::Server).data().toString();
    return names;
}

} // namespace

class TestServerListProxy : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void equalTextsKeepArrivalOrder_data();
    void equalTextsKeepArrivalOrder();
    void changedRowTakesItsNewPlace();
    void filterChangeShowsAndHidesKeptRows();
    void silentRowsStayLast_data();
    void silentRowsStayLast();
};

void TestServerListProxy::equalTextsKeepArrivalOrder_data()
{
    QTest::addColumn<SortState>("state");
    QTest::addColumn<QString>("expected");
    // Pings a 100, b 20, c 300, d 5, e 20, f 100.
    QTest::newRow("ascending") << SortState{ServerListModel::Ping, Qt::AscendingOrder, true}
                               << "dbeafc";
    QTest::newRow("descending") << SortState{ServerListModel::Ping, Qt::DescendingOrder, true}
                                << "cafbed";
    QTest::newRow("not sorted") << SortState{ServerListModel::Ping, Qt::DescendingOrder, false}
                                << "abcdef";
}

void TestServerListProxy::equalTextsKeepArrivalOrder()
{
    QFETCH(SortState, state);
    QFETCH(QString, expected);
    const QList<int> pings{100, 20, 300, 5, 20, 100};

    // Sorted before the rows arrive: each row takes its place as it comes.
    ServerListModel arriving;
    ServerListProxy sortedFirst;
    sortedFirst.setSourceModel(&arriving);
    sortedFirst.setSortState(state);
    addServers(arriving, pings);
    QCOMPARE(shownNames(sortedFirst), expected);

    // Sorted once the rows are there, coming from the other order.
    ServerListModel present;
    ServerListProxy sortedLater;
    sortedLater.setSourceModel(&present);
    addServers(present, pings);
    sortedLater.setSortState({state.key, Qt::SortOrder(1 - state.order), true});
    sortedLater.setSortState(state);
    QCOMPARE(shownNames(sortedLater), expected);
}

void TestServerListProxy::changedRowTakesItsNewPlace()
{
    ServerListModel model;
    ServerListProxy proxy;
    proxy.setSourceModel(&model);
    proxy.setSortState({ServerListModel::Ping, Qt::AscendingOrder, true});
    addServers(model, {100, 20, 300});
    QCOMPARE(shownNames(proxy), QStringLiteral("bac"));

    const int row = model.rowOf({QStringLiteral("10.0.0.3"), 7755});
    QCOMPARE(row, 2);
    ServerEntry faster = model.entry(row);
    faster.pingMs = 10;
    model.replace(row, faster);

    QCOMPARE(shownNames(proxy), QStringLiteral("cba"));
}

void TestServerListProxy::filterChangeShowsAndHidesKeptRows()
{
    ServerListModel model;
    ServerListProxy proxy;
    proxy.setSourceModel(&model);
    proxy.setSortState({ServerListModel::Ping, Qt::DescendingOrder, true});
    proxy.setFilter({GameTypeFilter::All, VersionFilter::All});
    addServers(model, {100, 20, 300, 5});
    // b and d play CTF (game type 1); d is full.
    for (const int row : {1, 3}) {
        ServerEntry entry = model.entry(row);
        entry.info.gameType = 1;
        entry.info.players = entry.info.maxPlayers = quint8(row == 3 ? 8 : 0);
        model.replace(row, entry);
    }
    QCOMPARE(shownNames(proxy), QStringLiteral("cabd"));

    proxy.setFilter({GameTypeFilter::CaptureTheFlag, VersionFilter::All});
    QCOMPARE(shownNames(proxy), QStringLiteral("bd"));
    proxy.setFilter({GameTypeFilter::CaptureTheFlag, VersionFilter::All, false, true});
    QCOMPARE(shownNames(proxy), QStringLiteral("b"));
    proxy.setFilter({GameTypeFilter::All, VersionFilter::All});
    QCOMPARE(shownNames(proxy), QStringLiteral("cabd"));
    QCOMPARE(model.rowCount(), 4);
}

void TestServerListProxy::silentRowsStayLast_data()
{
    QTest::addColumn<SortState>("state");
    QTest::newRow("not sorted") << SortState{};
    for (int column = 0; column < ServerListModel::ColumnCount; ++column) {
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            QTest::addRow("column %d, %s", column,
                          order == Qt::DescendingOrder ? "descending" : "ascending")
                << SortState{column, order, true};
        }
    }
}

void TestServerListProxy::silentRowsStayLast()
{
    QFETCH(SortState, state);
    ServerListModel model;
    ServerListProxy proxy;
    proxy.setSourceModel(&model);
    proxy.setFilter({GameTypeFilter::All, VersionFilter::All});
    proxy.setSortState(state);
    // Silent rows at 10.0.0.0 and 10.0.0.9 come between and after the others,
    // whose addresses and texts sort before and after theirs.
    addServers(model, {100, 20});
    model.append({{QStringLiteral("10.0.0.0"), 7755}, {}, 0, false});
    addServers(model, {5, 300});
    model.append({{QStringLiteral("10.0.0.9"), 7755}, {}, 0, false});
    QCOMPARE(proxy.rowCount(), 4);

    proxy.setShowSilent(true);
    QCOMPARE(proxy.rowCount(), 6);
    const auto lastTwo = [&] {
        QStringList hosts;
        for (int row = 4; row < 6; ++row)
            hosts << proxy.index(row, ServerListModel::Address).data().toString();
        hosts.sort();
        return hosts;
    };
    QCOMPARE(lastTwo(), (QStringList{QStringLiteral("10.0.0.0"), QStringLiteral("10.0.0.9")}));
    // Sorted again once the rows are there.
    proxy.setSortState({state.key, Qt::SortOrder(1 - state.order), state.sorted});
    proxy.setSortState(state);
    QCOMPARE(lastTwo(), (QStringList{QStringLiteral("10.0.0.0"), QStringLiteral("10.0.0.9")}));
    QCOMPARE(proxy.index(5, ServerListModel::Server).data().toString(),
             QStringLiteral("(no answer)"));
}

QTEST_GUILESS_MAIN(TestServerListProxy)
#include "tst_serverlistproxy.moc"
