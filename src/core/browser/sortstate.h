#pragma once

#include <QtGlobal>

// The sort state of the server list: which column it is sorted by, in which
// direction, and whether it is sorted at all.
struct SortState
{
    static constexpr int ascending = 0;
    static constexpr int descending = 1;

    int key = 0; // zero-based column
    int order = ascending;
    bool sorted = false;

    // The state after a click on the header with one-based index
    // `headerIndex`: another column starts ascending, the same column flips
    // the order (even when the list was not sorted yet); either way the list
    // is sorted from then on.
    SortState afterHeaderClick(int headerIndex) const;

    friend bool operator==(const SortState&, const SortState&) = default;
};
