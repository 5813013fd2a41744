#include "gui/serverlistview.h"

#include "gui/twips.h"
#include "core/browser/naturalcompare.h"
#include "core/browser/serverrow.h"

#include <QHeaderView>

#include <algorithm>
#include <array>

namespace {

struct Column
{
    const char* header;
    int widthTwips;
};

constexpr std::array<Column, ServerRow::columnCount> columns{{
    {"Server", 2200},
    {"IP Address", 1440},
    {"Map", 1600},
    {"Players", 700},
    {"Version", 700},
    {"Mod", 1440},
    {"Ping", 700},
}};

} // namespace

ServerListView::ServerListView(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setColumnCount(int(columns.size()));
    QStringList headers;
    for (const Column& column : columns)
        headers << QString::fromLatin1(column.header);
    setHeaderLabels(headers);
    // Every column keeps its own width, the last one too.
    header()->setStretchLastSection(false);
    for (int i = 0; i < int(columns.size()); ++i)
        setColumnWidth(i, twipsToPixels(columns[i].widthTwips));
    header()->setSectionsMovable(false);

    // The list sorts itself by the rule of SortState; the view's own sorting
    // stays off so that it never reorders behind our back.
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int logicalIndex) { setSortState(m_sort.afterHeaderClick(logicalIndex + 1)); });
    connect(this, &QTreeWidget::itemClicked, this, [this] { Q_EMIT rowClicked(); });
}

void ServerListView::setSortKey(int column)
{
    SortState next = m_sort;
    next.key = column;
    setSortState(next);
}

void ServerListView::setSortOrder(int order)
{
    SortState next = m_sort;
    next.order = order;
    setSortState(next);
}

void ServerListView::setSorted(bool sorted)
{
    SortState next = m_sort;
    next.sorted = sorted;
    setSortState(next);
}

void ServerListView::setSortState(const SortState& state)
{
    m_sort = state;
    header()->setSortIndicatorShown(m_sort.sorted);
    header()->setSortIndicator(m_sort.key, m_sort.order == SortState::descending
                                               ? Qt::DescendingOrder
                                               : Qt::AscendingOrder);
    applySort();
}

bool ServerListView::comesBefore(const QTreeWidgetItem* a, const QTreeWidgetItem* b) const
{
    const int result = naturalCompare(a->text(m_sort.key), b->text(m_sort.key));
    return m_sort.order == SortState::descending ? result > 0 : result < 0;
}

void ServerListView::applySort()
{
    if (!m_sort.sorted)
        return;
    QTreeWidgetItem* current = currentItem();
    QList<QTreeWidgetItem*> items;
    items.reserve(topLevelItemCount());
    while (topLevelItemCount() > 0)
        items.append(takeTopLevelItem(topLevelItemCount() - 1));
    std::reverse(items.begin(), items.end());
    // Stable, so that rows with equal texts keep the order they had.
    std::stable_sort(
        items.begin(), items.end(),
        [this](const QTreeWidgetItem* a, const QTreeWidgetItem* b) { return comesBefore(a, b); });
    addTopLevelItems(items);
    if (current)
        setCurrentItem(current);
}

void ServerListView::addRow(const ServerRow& row)
{
    auto* item = new QTreeWidgetItem(row.texts());
    if (!m_sort.sorted) {
        addTopLevelItem(item);
        return;
    }
    // After all rows that it does not come before, so equal texts keep
    // their arrival order.
    int low = 0;
    int high = topLevelItemCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (comesBefore(item, topLevelItem(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    insertTopLevelItem(low, item);
}
