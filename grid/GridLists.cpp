#include "GridLists.h"

#include <algorithm>

namespace kolvar::grid {

const SortedRowEntry& SortedRowList::entryAt(int index) const
{
    return m_entries.at(std::size_t(index));
}

void SortedRowList::releaseEntries()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
}

void HiddenSizeList::rememberSize(int index, int size, int kind)
{
    m_sizes.push_back({ kind, index, size });
}

int HiddenSizeList::recallSize(int index, int kind) const
{
    const auto it = std::find_if(m_sizes.begin(), m_sizes.end(),
        [&](const SavedSize& s) { return s.kind == kind && s.index == index; });
    return it == m_sizes.end() ? -1 : it->size;
}

void HiddenSizeList::forgetSize(int index, int kind)
{
    // From the back: a row hidden twice is remembered twice, and the later entry goes first.
    const auto it = std::find_if(m_sizes.rbegin(), m_sizes.rend(),
        [&](const SavedSize& s) { return s.kind == kind && s.index == index; });
    if (it != m_sizes.rend())
        m_sizes.erase(std::next(it).base());
}

void HiddenSizeList::shiftAfterInsert(int at, int kind)
{
    for (SavedSize& s : m_sizes) {
        if (s.kind == kind && s.index >= at)
            ++s.index;
    }
}

void HiddenSizeList::shiftAfterDelete(int at, int kind)
{
    for (SavedSize& s : m_sizes) {
        if (s.kind == kind && s.index > at)
            --s.index;
    }
}

} // namespace kolvar::grid
