#pragma once

#include <qnamespace.h>

// The sort state of the server list: which column it is sorted by, in which
// direction, and whether it is sorted at all.
struct SortState
{
    int key = 0; // zero-based column
    Qt::SortOrder order = Qt::AscendingOrder;
    bool sorted = false;

    // The state after a click on the header of the zero-based `column`:
    // another column starts ascending, the same column flips the order (even
    // when the list was not sorted yet); either way the list is sorted from
    // then on.
    SortState afterHeaderClick(int column) const;

    friend bool operator==(const SortState&, const SortState&) = default;
};
