#pragma once

#include "core/browser/serveraddresscheck.h"
#include "core/browser/serverentry.h"
#include "core/wire/serverendpoint.h"

#include <QHash>
#include <QObject>

#include <optional>

class Favourites;
class Friends;
class ServerBrowser;
class ServerDetailsWindow;
class ServerListView;
class QWidget;

// What the server list's context menu does beyond a join: opens one details
// window per server, asks one server again, keeps the favourites and adds a
// server the player types. Questions and messages are window-modal boxes
// over `window` that do not wait: the program's event loop runs on.
class ServerListActions : public QObject
{
    Q_OBJECT
public:
    ServerListActions(ServerListView* view, ServerBrowser* browser, Favourites* favourites,
                      QWidget* window);

    // The open details window of `server`, or nullptr.
    ServerDetailsWindow* detailsWindow(const ServerEndpoint& server) const;
    void showDetails(const ServerEntry& entry);
    void toggleFavourite(const ServerEndpoint& server, bool favourite);
    // The friends the menus of the list and of the details windows keep.
    void setFriends(Friends* friends);
    void toggleFriend(const QString& name, bool friendNow);
    // What a menu may do with a player's name: true, it is a friend's
    // pattern of its own and can be removed; false, no pattern matches and
    // it can be added; nothing, a wider pattern covers it (the Friends
    // window removes that).
    std::optional<bool> friendState(const QString& name) const;
    // Asks for "host:port"; a server that checks out becomes a favourite and
    // is asked at once.
    void askForServer();
    void addServer(const QString& text);
    // Closes every details window (shut-down).
    void closeAll();

private:
    void onRejected(const QString& text, ServerAddressCheck::Problem problem,
                    const QString& detail);
    void showMessage(const QString& text);

    ServerListView* m_view;
    ServerBrowser* m_browser;
    Favourites* m_favourites;
    Friends* m_friends = nullptr;
    QWidget* m_window;
    ServerAddressCheck m_check;
    QHash<ServerEndpoint, ServerDetailsWindow*> m_details;
};
