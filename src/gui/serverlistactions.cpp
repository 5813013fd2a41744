#include "gui/serverlistactions.h"

#include "core/browser/favourites.h"
#include "core/browser/friends.h"
#include "core/browser/serverbrowser.h"
#include "gui/serverdetailswindow.h"
#include "gui/serverlistview.h"

#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>

ServerListActions::ServerListActions(ServerListView* view, ServerBrowser* browser,
                                     Favourites* favourites, QWidget* window)
    : QObject(window), m_view(view), m_browser(browser), m_favourites(favourites), m_window(window)
{
    connect(view, &ServerListView::detailsRequested, this, &ServerListActions::showDetails);
    connect(view, &ServerListView::refreshRequested, browser, &ServerBrowser::refreshServer);
    connect(view, &ServerListView::favouriteToggled, this, &ServerListActions::toggleFavourite);
    connect(view, &ServerListView::addServerRequested, this, &ServerListActions::askForServer);
    connect(browser, &ServerBrowser::entryRefreshed, view, &ServerListView::updateEntry);
    connect(favourites, &Favourites::changed, this,
            [this] { m_view->setFavourites(m_favourites->servers()); });
    connect(&m_check, &ServerAddressCheck::accepted, this, [this](const ServerEndpoint& server) {
        const QString failure = m_favourites->add(server);
        if (!failure.isEmpty())
            showMessage(QStringLiteral("The favourites could not be saved: %1").arg(failure));
        m_browser->refreshServer(server);
    });
    connect(&m_check, &ServerAddressCheck::rejected, this, &ServerListActions::onRejected);
}

ServerDetailsWindow* ServerListActions::detailsWindow(const ServerEndpoint& server) const
{
    return m_details.value(server);
}

void ServerListActions::showDetails(const ServerEntry& entry)
{
    ServerDetailsWindow* window = detailsWindow(entry.endpoint);
    if (!window) {
        window = new ServerDetailsWindow(entry, m_window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        m_details.insert(entry.endpoint, window);
        connect(window, &QObject::destroyed, this,
                [this, server = entry.endpoint] { m_details.remove(server); });
        // The same way as the row's Join, to the same launch.
        connect(window, &ServerDetailsWindow::joinRequested, m_view, &ServerListView::entryClicked);
        if (m_friends) {
            window->setFriendCheck([this](const QString& name) { return friendState(name); });
            connect(window, &ServerDetailsWindow::friendToggled, this,
                    &ServerListActions::toggleFriend);
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void ServerListActions::toggleFavourite(const ServerEndpoint& server, bool favourite)
{
    const QString failure = favourite ? m_favourites->add(server) : m_favourites->remove(server);
    if (!failure.isEmpty())
        showMessage(QStringLiteral("The favourites could not be saved: %1").arg(failure));
}

void ServerListActions::setFriends(Friends* friends)
{
    m_friends = friends;
    connect(m_view, &ServerListView::friendToggled, this, &ServerListActions::toggleFriend);
}

std::optional<bool> ServerListActions::friendState(const QString& name) const
{
    if (!m_friends)
        return std::nullopt;
    if (m_friends->containsPattern(name))
        return true;
    if (m_friends->matches(name))
        return std::nullopt;
    return false;
}

void ServerListActions::toggleFriend(const QString& name, bool friendNow)
{
    const QString failure = friendNow ? m_friends->add(name) : m_friends->remove(name);
    if (!failure.isEmpty())
        showMessage(QStringLiteral("The friends could not be saved: %1").arg(failure));
}

void ServerListActions::askForServer()
{
    auto* dialog = new QInputDialog(m_window);
    dialog->setObjectName(QStringLiteral("addserver"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Add server"));
    dialog->setLabelText(QStringLiteral("Server address (host:port):"));
    connect(dialog, &QInputDialog::textValueSelected, this, &ServerListActions::addServer);
    dialog->open();
}

void ServerListActions::addServer(const QString& text)
{
    m_check.check(text);
}

void ServerListActions::onRejected(const QString& text, ServerAddressCheck::Problem problem,
                                   const QString& detail)
{
    if (problem == ServerAddressCheck::Problem::NotAnAddress)
        showMessage(QStringLiteral("\"%1\" is not a server address: type the host, a colon and "
                                   "a port from 1 to 65535, e.g. 192.168.1.10:7755")
                        .arg(text));
    else
        showMessage(QStringLiteral("The host of %1 cannot be found: %2").arg(text, detail));
}

void ServerListActions::closeAll()
{
    const QList<ServerDetailsWindow*> windows = m_details.values();
    for (ServerDetailsWindow* window : windows)
        window->close();
}

void ServerListActions::showMessage(const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                                text, QMessageBox::Ok, m_window);
    box->setObjectName(QStringLiteral("listmessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
