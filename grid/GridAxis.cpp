#include "GridAxis.h"

#include <algorithm>

namespace kolvar::grid {

GridAxis::GridAxis(int count, int fixed, int defaultSize)
    : m_sizes(size_t(std::max(count, 1)), std::max(defaultSize, 0))
    , m_fixed(std::clamp(fixed, 0, std::max(count, 1) - 1))
    , m_defaultSize(std::max(defaultSize, 0))
{ }

void GridAxis::setCount(int count)
{
    m_sizes.resize(size_t(std::max(count, 1)), m_defaultSize);
    m_fixed = std::min(m_fixed, this->count() - 1);
}

void GridAxis::setFixed(int fixed)
{
    m_fixed = std::clamp(fixed, 0, count() - 1);
}

void GridAxis::setDefaultSize(int size)
{
    m_defaultSize = std::max(size, 0);
    std::fill(m_sizes.begin(), m_sizes.end(), m_defaultSize);
}

void GridAxis::setLineWidth(int width)
{
    m_lineWidth = std::max(width, 0);
}

void GridAxis::setSize(int index, int size)
{
    m_sizes[size_t(index)] = std::max(size, 0);
}

int GridAxis::fixedExtent() const
{
    int sum = 0;
    for (int i = 0; i < m_fixed; ++i)
        sum += extent(i);
    return sum;
}

void GridAxis::move(int from, int to)
{
    auto at = [this](int i) { return m_sizes.begin() + i; };
    if (from < to)
        std::rotate(at(from), at(from + 1), at(to + 1));
    else if (to < from)
        std::rotate(at(to), at(from), at(from + 1));
}

void GridAxis::remove(int index)
{
    m_sizes.erase(m_sizes.begin() + index);
    m_fixed = std::min(m_fixed, count() - 1);
}

std::optional<int> GridAxis::start(int index, int first, int length) const
{
    if (index < 0 || index >= count() || size(index) == 0)
        return std::nullopt;
    int pos = 0;
    if (index < m_fixed) {
        for (int i = 0; i < index; ++i)
            pos += extent(i);
    } else {
        if (index < first)
            return std::nullopt;
        pos = fixedExtent();
        for (int i = first; i < index && pos < length; ++i)
            pos += extent(i);
    }
    if (pos >= length)
        return std::nullopt;
    return pos;
}

int GridAxis::indexAt(int pixel, int first, int length) const
{
    if (pixel < 0 || pixel >= length)
        return -1;
    int pos = 0;
    for (int i = 0; i < m_fixed; ++i) {
        pos += extent(i);
        if (pixel < pos)
            return i;
    }
    for (int i = std::max(first, m_fixed); i < count() && pos < length; ++i) {
        pos += extent(i);
        if (pixel < pos)
            return i;
    }
    return -1;
}

std::vector<GridAxis::Span> GridAxis::visibleSpans(int first, int length) const
{
    std::vector<Span> spans;
    int pos = 0;
    auto visit = [&](int i) {
        if (const int s = size(i); s > 0) {
            spans.push_back({ i, pos, s });
            pos += s + m_lineWidth;
        }
    };
    for (int i = 0; i < m_fixed && pos < length; ++i)
        visit(i);
    for (int i = std::max(first, m_fixed); i < count() && pos < length; ++i)
        visit(i);
    return spans;
}

int GridAxis::fullyVisibleCount(int first, int length) const
{
    int pos = fixedExtent();
    int n = 0;
    for (int i = std::max(first, m_fixed); i < count(); ++i) {
        if (pos + size(i) > length)
            break;
        pos += extent(i);
        ++n;
    }
    return n;
}

int GridAxis::firstShowingAtEnd(int last, int length) const
{
    const int room = length - fixedExtent();
    last = std::clamp(last, m_fixed, count() - 1);
    // Hidden indexes at the end take no room; counting from one of them would let a last shown
    // cell wider than the room scroll away, leaving an empty view.
    while (last > m_fixed && size(last) == 0)
        --last;
    // The line after the last shown cell may be cut off; the cell itself may not.
    int used = size(last);
    int first = last;
    for (int i = last - 1; i >= m_fixed; --i) {
        const int next = used + extent(i);
        if (next > room)
            break;
        used = next;
        first = i;
    }
    return first;
}

} // namespace kolvar::grid
