#pragma once

#include <optional>
#include <vector>

namespace kolvar::grid {

// One direction of a grid: the sizes of its rows (or columns), how many of them are fixed at the
// start, and the grid line that follows every shown one. It answers the pixel questions of that
// direction for a given first scrolled index and a viewport length. Every answer walks only the
// indexes that are actually on screen (plus the fixed ones), so a million rows cost no more than
// ten.
class GridAxis
{
public:
    struct Span
    {
        int index;
        int pos; // first pixel of the cell
        int size; // the cell without its grid line
    };

    GridAxis(int count, int fixed, int defaultSize);

    [[nodiscard]] int count() const { return int(m_sizes.size()); }
    void setCount(int count); // new indexes get the default size
    [[nodiscard]] int fixed() const { return m_fixed; }
    void setFixed(int fixed);
    [[nodiscard]] int defaultSize() const { return m_defaultSize; }
    void setDefaultSize(int size); // every index takes it
    [[nodiscard]] int lineWidth() const { return m_lineWidth; }
    void setLineWidth(int width);

    [[nodiscard]] int size(int index) const { return m_sizes[size_t(index)]; }
    void setSize(int index, int size);
    // A hidden index (size 0) takes no room at all, not even for its grid line.
    [[nodiscard]] int extent(int index) const
    {
        const int s = size(index);
        return s > 0 ? s + m_lineWidth : 0;
    }
    [[nodiscard]] int fixedExtent() const;

    void move(int from, int to);
    void remove(int index);

    // The first pixel of an index when `first` is the first scrolled index shown; nothing when
    // the index is hidden, scrolled away or starts beyond `length`.
    [[nodiscard]] std::optional<int> start(int index, int first, int length) const;
    // The index whose cell or following grid line covers the pixel; -1 outside every cell.
    [[nodiscard]] int indexAt(int pixel, int first, int length) const;
    // Every shown index with a pixel inside [0, length): the fixed ones, then from `first` on.
    [[nodiscard]] std::vector<Span> visibleSpans(int first, int length) const;
    // How many indexes from `first` on fit completely (hidden ones among them count too).
    [[nodiscard]] int fullyVisibleCount(int first, int length) const;
    // The smallest first index that still shows `last` completely (or `last` itself when even
    // it alone does not fit). With last = count() - 1 it is the largest useful first index.
    [[nodiscard]] int firstShowingAtEnd(int last, int length) const;
    [[nodiscard]] int maxFirst(int length) const { return firstShowingAtEnd(count() - 1, length); }

private:
    std::vector<int> m_sizes;
    int m_fixed;
    int m_defaultSize;
    int m_lineWidth = 1;
};

// Where an index ends up when the row (column) `from` is moved to `to`.
[[nodiscard]] inline int followMove(int index, int from, int to)
{
    if (index == from)
        return to;
    if (from < index && index <= to)
        return index - 1;
    if (to <= index && index < from)
        return index + 1;
    return index;
}

} // namespace kolvar::grid
