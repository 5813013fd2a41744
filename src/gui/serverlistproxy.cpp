#include "gui/serverlistproxy.h"

#include "core/browser/naturalcompare.h"
#include "gui/serverlistmodel.h"

ServerListProxy::ServerListProxy(QObject* parent) : QSortFilterProxyModel(parent)
{
    // Rows added or changed later are put in their place at once.
    setDynamicSortFilter(true);
}

void ServerListProxy::setFilter(const ServerFilter& filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    invalidateRowsFilter();
}

bool ServerListProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    const auto* model = static_cast<const ServerListModel*>(sourceModel());
    return m_filter.passes(model->entry(sourceRow).info);
}

void ServerListProxy::setSortState(const SortState& state)
{
    m_sort = state;
    // The proxy sorts stably both ways, so equal texts keep their arrival
    // order. Column -1 gives back the source's order: the arrival order.
    if (!m_sort.sorted)
        sort(-1, Qt::AscendingOrder);
    else
        sort(m_sort.key, qtSortOrder(m_sort.order));
}

Qt::SortOrder ServerListProxy::qtSortOrder(int order)
{
    return order == SortState::descending ? Qt::DescendingOrder : Qt::AscendingOrder;
}

bool ServerListProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    return naturalCompare(left.data().toString(), right.data().toString()) < 0;
}
