#include "gui/serverlistview.h"

#include "gui/serverlistmodel.h"
#include "gui/serverlistproxy.h"
#include "gui/twips.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include <array>
#include <utility>

namespace {

constexpr std::array<int, ServerListModel::ColumnCount> columnWidthsTwips{
    {2200, 1440, 1600, 700, 700, 1440, 700}};

} // namespace

ServerListView::ServerListView(QWidget* parent)
    : QTreeView(parent), m_model(new ServerListModel(this)), m_proxy(new ServerListProxy(this))
{
    m_proxy->setSourceModel(m_model);
    setModel(m_proxy);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    // Every column keeps its own width, the last one too.
    header()->setStretchLastSection(false);
    for (int i = 0; i < int(columnWidthsTwips.size()); ++i)
        setColumnWidth(i, twipsToPixels(columnWidthsTwips[i]));
    header()->setSectionsMovable(false);

    // The list sorts by the rule of SortState; the view's own sorting stays
    // off so that a header click never sorts by the view's rule.
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int logicalIndex) {
        setSortState(m_proxy->sortState().afterHeaderClick(logicalIndex));
    });
    m_addTimer.setSingleShot(true);
    m_addTimer.setInterval(addSoonMs);
    connect(&m_addTimer, &QTimer::timeout, this, &ServerListView::addWaitingEntries);
    connect(this, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        Q_EMIT entryClicked(m_model->entry(m_proxy->mapToSource(index).row()));
    });
}

void ServerListView::setSortState(const SortState& state)
{
    m_proxy->setSortState(state);
    header()->setSortIndicatorShown(state.sorted);
    header()->setSortIndicator(state.key, state.order);
}

void ServerListView::setFilter(const ServerFilter& filter)
{
    m_proxy->setFilter(filter);
}

void ServerListView::setShowSilent(bool show)
{
    m_proxy->setShowSilent(show);
}

void ServerListView::addEntrySoon(const ServerEntry& entry)
{
    m_waiting.append(entry);
    if (!m_addTimer.isActive())
        m_addTimer.start();
}

void ServerListView::addWaitingEntries()
{
    m_addTimer.stop();
    m_model->appendAll(std::exchange(m_waiting, {}));
}

void ServerListView::clear()
{
    m_addTimer.stop();
    m_waiting.clear();
    m_model->clear();
}

void ServerListView::keyPressEvent(QKeyEvent* event)
{
    // Enter on the current row, selected or not, does what a click on it
    // does. A double-click needs nothing of its own: its first click has
    // asked already.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && currentIndex().isValid()) {
        selectCurrentRow();
        Q_EMIT clicked(currentIndex());
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ServerListView::focusInEvent(QFocusEvent* event)
{
    // Reached by the keyboard, the list makes its first row current, but
    // only as the focus; selected, it shows as the row Enter acts on.
    QTreeView::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason)
        selectCurrentRow();
}

void ServerListView::selectCurrentRow()
{
    if (currentIndex().isValid())
        selectionModel()->select(currentIndex(),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ServerListView::updateEntry(const ServerEntry& entry)
{
    const int row = m_model->rowOf(entry.endpoint);
    if (row < 0)
        m_model->append(entry);
    else
        m_model->replace(row, entry);
}

void ServerListView::setFavourites(const QList<ServerEndpoint>& favourites)
{
    m_model->setFavourites(favourites);
}

void ServerListView::setFriendsOn(const QHash<ServerEndpoint, QStringList>& friendsOn)
{
    m_model->setFriendsOn(friendsOn);
}

void ServerListView::setDown(const ServerEndpoint& server, bool down)
{
    m_model->setDown(server, down);
}

std::optional<ServerEntry> ServerListView::entryOf(const ServerEndpoint& server) const
{
    const int row = m_model->rowOf(server);
    if (row < 0)
        return std::nullopt;
    return m_model->entry(row);
}

bool ServerListView::selectServer(const ServerEndpoint& server)
{
    const QModelIndex index = m_proxy->mapFromSource(m_model->index(m_model->rowOf(server), 0));
    if (!index.isValid())
        return false;
    setCurrentIndex(index);
    selectCurrentRow();
    scrollTo(index);
    return true;
}

void ServerListView::changeEvent(QEvent* event)
{
    // The padlock and the star fit the text's height, so that every row is
    // as high whether or not the first one carries a mark.
    if (event->type() == QEvent::FontChange) {
        const int side = fontMetrics().height() - 2;
        setIconSize(QSize(side, side));
    }
    QTreeView::changeEvent(event);
}

void ServerListView::contextMenuEvent(QContextMenuEvent* event)
{
    // The menu key opens the menu of the current row, at that row.
    QModelIndex index = currentIndex();
    QPoint at = visualRect(index).center();
    if (event->reason() != QContextMenuEvent::Keyboard) {
        index = indexAt(event->pos());
        at = event->pos();
    }
    if (m_menu)
        m_menu->deleteLater();
    m_menu = new QMenu(this);
    m_menu->setAttribute(Qt::WA_DeleteOnClose);
    if (index.isValid()) {
        fillMenu(m_menu, m_model->entry(m_proxy->mapToSource(index).row()));
    } else {
        m_menu->addAction(QStringLiteral("&Add server..."), this,
                          &ServerListView::addServerRequested);
    }
    // Not exec(): the menu runs in the program's own event loop.
    m_menu->popup(viewport()->mapToGlobal(at));
    event->accept();
}

void ServerListView::fillMenu(QMenu* menu, const ServerEntry& entry)
{
    const ServerEndpoint server = entry.endpoint;
    menu->addAction(QStringLiteral("&Join"), this, [this, entry] { Q_EMIT entryClicked(entry); });
    menu->addAction(QStringLiteral("&Details..."), this,
                    [this, entry] { Q_EMIT detailsRequested(entry); });
    menu->addAction(QStringLiteral("&Refresh this server"), this,
                    [this, server] { Q_EMIT refreshRequested(server); });
    menu->addAction(QStringLiteral("&Copy address"), this,
                    [server] { QGuiApplication::clipboard()->setText(server.text()); });
    menu->addSeparator();
    const bool favourite = m_model->isFavourite(server);
    menu->addAction(favourite ? QStringLiteral("Remove from &favourites")
                              : QStringLiteral("Add to &favourites"),
                    this,
                    [this, server, favourite] { Q_EMIT favouriteToggled(server, !favourite); });
    if (!m_friendsLookup.playersOn || !m_friendsLookup.friendState)
        return;
    // The players of the server's last look, each under what would change.
    QMenu* add = nullptr;
    QMenu* remove = nullptr;
    for (const QString& name : m_friendsLookup.playersOn(server)) {
        const std::optional<bool> state = m_friendsLookup.friendState(name);
        if (!state)
            continue;
        const bool friendNow = *state;
        QMenu*& sub = friendNow ? remove : add;
        if (!sub)
            sub = new QMenu(friendNow ? QStringLiteral("Remove from friends")
                                      : QStringLiteral("Add to friends"),
                            menu);
        sub->addAction(name, this,
                       [this, name, friendNow] { Q_EMIT friendToggled(name, !friendNow); });
    }
    for (QMenu* sub : {add, remove}) {
        if (sub)
            menu->addMenu(sub);
    }
}
