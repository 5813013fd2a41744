#pragma once

#include "core/browser/sortstate.h"

#include <QTreeWidget>

struct ServerRow;

// The server list: seven columns in report style. A click on a column header
// sorts by that column (again on the same column: the other way round); while
// the list is sorted, rows added later go straight to their place. Texts are
// ordered naturally: numbers by value, letters regardless of case.
class ServerListView : public QTreeWidget
{
    Q_OBJECT
public:
    explicit ServerListView(QWidget* parent = nullptr);

    // Zero-based column the list is (or would be) sorted by.
    int sortKey() const { return m_sort.key; }
    void setSortKey(int column);
    // SortState::ascending or SortState::descending.
    int sortOrder() const { return m_sort.order; }
    void setSortOrder(int order);
    bool isSorted() const { return m_sort.sorted; }
    void setSorted(bool sorted);

    // Adds a row in its place in the sort order, or at the end when unsorted.
    void addRow(const ServerRow& row);

Q_SIGNALS:
    // The player clicked a row; which one does not matter.
    void rowClicked();

private:
    void setSortState(const SortState& state);
    void applySort();
    bool comesBefore(const QTreeWidgetItem* a, const QTreeWidgetItem* b) const;

    SortState m_sort;
};
