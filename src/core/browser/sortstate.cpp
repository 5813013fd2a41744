#include "core/browser/sortstate.h"

SortState SortState::afterHeaderClick(int headerIndex) const
{
    SortState next = *this;
    const int column = headerIndex - 1;
    if (key != column) {
        next.key = column;
        next.order = ascending;
    } else {
        next.order = order == ascending ? descending : ascending;
    }
    next.sorted = true;
    return next;
}
