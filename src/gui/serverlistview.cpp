#include "gui/serverlistview.h"

#include "gui/serverlistmodel.h"
#include "gui/serverlistproxy.h"
#include "gui/twips.h"

#include <QHeaderView>

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
        setSortState(m_proxy->sortState().afterHeaderClick(logicalIndex + 1));
    });
    m_addTimer.setSingleShot(true);
    m_addTimer.setInterval(addSoonMs);
    connect(&m_addTimer, &QTimer::timeout, this, &ServerListView::addWaitingEntries);
    connect(this, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        Q_EMIT entryClicked(m_model->entry(m_proxy->mapToSource(index).row()));
    });
}

int ServerListView::sortKey() const
{
    return m_proxy->sortState().key;
}

void ServerListView::setSortKey(int column)
{
    SortState next = m_proxy->sortState();
    next.key = column;
    setSortState(next);
}

int ServerListView::sortOrder() const
{
    return m_proxy->sortState().order;
}

void ServerListView::setSortOrder(int order)
{
    SortState next = m_proxy->sortState();
    next.order = order;
    setSortState(next);
}

bool ServerListView::isSorted() const
{
    return m_proxy->sortState().sorted;
}

void ServerListView::setSorted(bool sorted)
{
    SortState next = m_proxy->sortState();
    next.sorted = sorted;
    setSortState(next);
}

void ServerListView::setSortState(const SortState& state)
{
    m_proxy->setSortState(state);
    header()->setSortIndicatorShown(state.sorted);
    header()->setSortIndicator(state.key, ServerListProxy::qtSortOrder(state.order));
}

void ServerListView::setFilter(const ServerFilter& filter)
{
    m_proxy->setFilter(filter);
}

void ServerListView::setShowSilent(bool show)
{
    m_proxy->setShowSilent(show);
}

void ServerListView::addEntry(const ServerEntry& entry)
{
    m_model->append(entry);
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
