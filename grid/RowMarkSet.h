#pragma once

#include <set>
#include <vector>

namespace kolvar::grid {

// The rows the user has marked with the mouse (Ctrl, Shift, drag), independent of the grid's
// own selection.
class RowMarkSet
{
public:
    explicit RowMarkSet(int initialRow) { m_rows.insert(initialRow); }

    [[nodiscard]] bool contains(int row) const { return m_rows.count(row) != 0; }
    [[nodiscard]] int count() const { return int(m_rows.size()); }
    [[nodiscard]] std::vector<int> rows() const { return { m_rows.begin(), m_rows.end() }; }

    // Each returns whether the row's mark changed.
    bool set(int row, bool marked);
    bool toggle(int row) { return set(row, !contains(row)); }
    // A deleted row loses its mark and the marks below it move up with their rows.
    void removeRow(int row);

private:
    std::set<int> m_rows;
};

// One stretch of rows to mark or unmark, inclusive, first <= last.
struct MarkSpan
{
    int first = 0;
    int last = 0;
    bool marked = true;
    friend bool operator==(const MarkSpan&, const MarkSpan&) = default;
};

// What a marking drag does when the pointer reaches row `to`, coming from row `last`, with the
// drag anchored at `anchor`: the rows from the anchor to `to` end up marked, rows the drag has
// left behind are unmarked. Spans are applied in order.
[[nodiscard]] std::vector<MarkSpan> dragMarkSpans(int anchor, int last, int to);

} // namespace kolvar::grid
