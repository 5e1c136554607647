#include "ListMove.h"

#include <algorithm>

namespace zelk::editor {

std::optional<MovedList> movedList(const QVariantList& list, const QList<int>& rows, int toRow)
{
    QList<int> sources = rows;
    std::sort(sources.begin(), sources.end());
    sources.erase(std::unique(sources.begin(), sources.end()), sources.end());
    sources.removeIf([&list](int row) { return row < 0 || row >= list.size(); });
    if (sources.isEmpty())
        return std::nullopt;
    QVariantList moved;
    QVariantList rest;
    for (int i = 0; i < list.size(); ++i)
        (sources.contains(i) ? moved : rest).append(list.at(i));
    // The drop row counted in the list before the move: the moved entries
    // above it no longer count.
    const int to = std::clamp(toRow, 0, int(list.size()));
    const int at = to - int(std::count_if(sources.cbegin(), sources.cend(), [to](int row) { return row < to; }));
    MovedList result{rest, {}};
    for (int k = 0; k < moved.size(); ++k) {
        result.list.insert(at + k, moved.at(k));
        result.rows.append(at + k);
    }
    if (result.list == list)
        return std::nullopt;
    return result;
}

} // namespace zelk::editor
