#pragma once

#include "core/browser/sortstate.h"

#include <QSortFilterProxyModel>

// The order the server list shows its rows in. While sorted, rows are ordered
// by the texts of the sort column in natural order (numbers by value, letters
// regardless of case); rows with equal texts keep their arrival order, and
// rows added later take their place in the order. While not sorted, the rows
// keep their arrival order.
class ServerSortProxy : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit ServerSortProxy(QObject* parent = nullptr);

    const SortState& sortState() const { return m_sort; }
    void setSortState(const SortState& state);
    // Descending for SortState::descending; ascending for any other order.
    static Qt::SortOrder qtSortOrder(int order);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    SortState m_sort;
};
