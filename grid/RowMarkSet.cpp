#include "RowMarkSet.h"

#include <algorithm>

namespace kolvar::grid {

namespace {

MarkSpan span(int a, int b, bool marked)
{
    return { std::min(a, b), std::max(a, b), marked };
}

bool between(int value, int a, int b)
{
    return std::min(a, b) <= value && value <= std::max(a, b);
}

} // namespace

bool RowMarkSet::set(int row, bool marked)
{
    if (marked)
        return m_rows.insert(row).second;
    return m_rows.erase(row) != 0;
}

void RowMarkSet::removeRow(int row)
{
    m_rows.erase(row);
    std::set<int> shifted;
    for (const int r : m_rows)
        shifted.insert(shifted.end(), r > row ? r - 1 : r);
    m_rows = std::move(shifted);
}

std::vector<MarkSpan> dragMarkSpans(int anchor, int last, int to)
{
    if (to == last)
        return {};
    // Back towards the anchor: what lies beyond the pointer is released, the pointer's row stays.
    if (between(to, anchor, last)) {
        const int step = last > to ? 1 : -1;
        return { span(to + step, last, false), span(to, to, true) };
    }
    // Across the anchor: the old side is released up to the anchor, the new side is marked.
    if (std::min(last, to) < anchor && anchor < std::max(last, to)) {
        const int nextToAnchor = last < anchor ? anchor - 1 : anchor + 1;
        return { span(last, nextToAnchor, false), span(anchor, to, true) };
    }
    return { span(last, to, true) };
}

} // namespace kolvar::grid
