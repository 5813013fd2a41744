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

void ServerListProxy::setShowSilent(bool show)
{
    if (show == m_showSilent)
        return;
    m_showSilent = show;
    invalidateRowsFilter();
}

bool ServerListProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    const auto* model = static_cast<const ServerListModel*>(sourceModel());
    const ServerEntry& entry = model->entry(sourceRow);
    return entry.answered ? m_filter.passes(entry.info) : m_showSilent;
}

void ServerListProxy::setSortState(const SortState& state)
{
    m_sort = state;
    // The proxy sorts stably both ways, so equal texts keep their arrival
    // order. Not sorted, lessThan() gives the arrival order, with the
    // silent servers last.
    if (!m_sort.sorted)
        sort(0, Qt::AscendingOrder);
    else
        sort(m_sort.key, m_sort.order);
}

bool ServerListProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const auto* model = static_cast<const ServerListModel*>(sourceModel());
    const bool leftAnswered = model->entry(left.row()).answered;
    const bool rightAnswered = model->entry(right.row()).answered;
    // The descending order asks lessThan(right, left), so a silent row is
    // "less" there to stay last.
    if (leftAnswered != rightAnswered)
        return leftAnswered != (sortOrder() == Qt::DescendingOrder);
    if (!m_sort.sorted)
        return left.row() < right.row();
    return naturalCompare(left.data().toString(), right.data().toString()) < 0;
}
