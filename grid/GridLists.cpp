#include "GridLists.h"

#include <algorithm>

namespace kolvar::grid {

const TSortedListEntry& TSortedList::EntryAt(int index) const
{
    return m_entries.at(std::size_t(index));
}

void TSortedList::ReleaseEntries()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
}

void TOldRowColValueList::RememberSize(int index, int size, int kind)
{
    m_sizes.push_back({ kind, index, size });
}

int TOldRowColValueList::RecallSize(int index, int kind) const
{
    const auto it = std::find_if(m_sizes.begin(), m_sizes.end(),
        [&](const TSavedSize& s) { return s.SizeKind == kind && s.SizeIndex == index; });
    return it == m_sizes.end() ? -1 : it->SavedSize;
}

void TOldRowColValueList::ForgetSize(int index, int kind)
{
    // From the back: a row hidden twice is remembered twice, and the later entry goes first.
    const auto it = std::find_if(m_sizes.rbegin(), m_sizes.rend(),
        [&](const TSavedSize& s) { return s.SizeKind == kind && s.SizeIndex == index; });
    if (it != m_sizes.rend())
        m_sizes.erase(std::next(it).base());
}

void TOldRowColValueList::ShiftAfterInsert(int at, int kind)
{
    for (TSavedSize& s : m_sizes) {
        if (s.SizeKind == kind && s.SizeIndex >= at)
            ++s.SizeIndex;
    }
}

void TOldRowColValueList::ShiftAfterDelete(int at, int kind)
{
    for (TSavedSize& s : m_sizes) {
        if (s.SizeKind == kind && s.SizeIndex > at)
            --s.SizeIndex;
    }
}

} // namespace kolvar::grid
