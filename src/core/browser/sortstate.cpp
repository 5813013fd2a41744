#include "core/browser/sortstate.h"

SortState SortState::afterHeaderClick(int column) const
{
    SortState next = *this;
    if (key != column) {
        next.key = column;
        next.order = Qt::AscendingOrder;
    } else {
        next.order = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
    next.sorted = true;
    return next;
}
