#pragma once

#include "core/browser/serverentry.h"
#include "core/browser/sortstate.h"
#include "core/settings/serverfilter.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <optional>

class QMenu;
class ServerListModel;
class ServerListProxy;

// The server list: seven columns in report style. A click on a column header
// sorts by that column (again on the same column: the other way round); while
// the list is sorted, rows added later go straight to their place. Texts are
// ordered naturally: numbers by value, letters regardless of case.
class ServerListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ServerListView(QWidget* parent = nullptr);

    // Rows whose reply fails the filter are kept but not shown.
    void setFilter(const ServerFilter& filter);
    // Rows of servers that did not answer are kept; they show only when on.
    void setShowSilent(bool show);

    // Adds the row, in its place in the sort order or at the end when
    // unsorted, within addSoonMs, with every other row that comes
    // meanwhile: a row at a time, the list would lay out and repaint itself
    // for every server of a refresh.
    void addEntrySoon(const ServerEntry& entry);
    // Adds the rows waiting from addEntrySoon() now.
    void addWaitingEntries();
    static constexpr int addSoonMs = 250;
    // Removes every row, the waiting ones too; the sort state stays.
    void clear();
    // Replaces the row asked at the entry's endpoint, or adds one.
    void updateEntry(const ServerEntry& entry);
    // Their rows carry a star, and the context menu offers to remove them.
    void setFavourites(const QList<ServerEndpoint>& favourites);
    // Rows of servers with friends on them carry a mark; the names are its tooltip.
    void setFriendsOn(const QHash<ServerEndpoint, QStringList>& friendsOn);
    // A server found down keeps its row, grey, until it answers again.
    void setDown(const ServerEndpoint& server, bool down);
    // The row's entry, if the list has one.
    std::optional<ServerEntry> entryOf(const ServerEndpoint& server) const;
    // Makes the server's row current and selected and scrolls to it; false
    // when the list has no row for it or the row is hidden.
    bool selectServer(const ServerEndpoint& server);

    // Who is known to be on a server, and whether a name can be removed
    // from the friends (true), added (false) or neither: the row's menu
    // offers to add and remove them.
    struct FriendsLookup
    {
        std::function<QStringList(const ServerEndpoint&)> playersOn;
        std::function<std::optional<bool>(const QString&)> friendState;
    };
    void setFriendsLookup(FriendsLookup lookup) { m_friendsLookup = std::move(lookup); }

Q_SIGNALS:
    // The player clicked the row of `entry`, pressed Enter on it, or chose
    // Join in its menu or in its details window.
    void entryClicked(const ServerEntry& entry);
    void detailsRequested(const ServerEntry& entry);
    void refreshRequested(const ServerEndpoint& server);
    void favouriteToggled(const ServerEndpoint& server, bool favourite);
    void friendToggled(const QString& name, bool friendNow);
    // Add server... in the menu of the list's empty part.
    void addServerRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void selectCurrentRow();
    void setSortState(const SortState& state);
    void fillMenu(QMenu* menu, const ServerEntry& entry);

    ServerListModel* m_model;
    ServerListProxy* m_proxy;
    // Cleared by Qt when the menu closes or the view takes it down with itself.
    QPointer<QMenu> m_menu;
    QList<ServerEntry> m_waiting;
    QTimer m_addTimer;
    FriendsLookup m_friendsLookup;
};
