#pragma once
// The one move of the types' editable lists (clipboard rules, interface
// controls): the entries at rows are taken out and put, in their order,
// before the entry that was at toRow (an index of the list before the
// move; the list's length for the end). Rows out of range and repeated
// rows are ignored.
#include <QList>
#include <QVariantList>
#include <optional>

namespace zelk::editor {

struct MovedList {
    QVariantList list;  // the list after the move
    QList<int> rows;    // where the moved entries now stand, ascending
};

// nullopt when nothing moves (no valid row, or the list stays as it was).
std::optional<MovedList> movedList(const QVariantList& list, const QList<int>& rows, int toRow);

} // namespace zelk::editor
