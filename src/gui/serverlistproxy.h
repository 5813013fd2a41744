#pragma once

#include "core/browser/sortstate.h"
#include "core/settings/serverfilter.h"

#include <QSortFilterProxyModel>

// Which rows the server list shows, and in what order. A row shows when its
// reply passes the filter; a filter change shows or hides the rows already
// there at once. While sorted, rows are ordered
// by the texts of the sort column in natural order (numbers by value, letters
// regardless of case); rows with equal texts keep their arrival order, and
// rows added later take their place in the order. While not sorted, the rows
// keep their arrival order.
//
// Rows of servers that did not answer show only while that is asked for,
// whatever the filter, and always below every answering server.
class ServerListProxy : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit ServerListProxy(QObject* parent = nullptr);

    const ServerFilter& filter() const { return m_filter; }
    void setFilter(const ServerFilter& filter);
    bool showsSilent() const { return m_showSilent; }
    void setShowSilent(bool show);

    const SortState& sortState() const { return m_sort; }
    void setSortState(const SortState& state);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    ServerFilter m_filter;
    SortState m_sort;
    bool m_showSilent = false;
};
