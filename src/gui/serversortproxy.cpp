#include "gui/serversortproxy.h"

#include "core/browser/naturalcompare.h"

ServerSortProxy::ServerSortProxy(QObject* parent) : QSortFilterProxyModel(parent)
{
    // Rows added or changed later are put in their place at once.
    setDynamicSortFilter(true);
}

void ServerSortProxy::setSortState(const SortState& state)
{
    m_sort = state;
    // The proxy sorts stably both ways, so equal texts keep their arrival
    // order. Column -1 gives back the source's order: the arrival order.
    if (!m_sort.sorted)
        sort(-1, Qt::AscendingOrder);
    else
        sort(m_sort.key, qtSortOrder(m_sort.order));
}

Qt::SortOrder ServerSortProxy::qtSortOrder(int order)
{
    return order == SortState::descending ? Qt::DescendingOrder : Qt::AscendingOrder;
}

bool ServerSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    return naturalCompare(left.data().toString(), right.data().toString()) < 0;
}
