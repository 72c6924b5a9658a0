#pragma once

#include <QString>

#include <vector>

namespace kolvar::grid {

struct SortedRowEntry
{
    QString keyText; // the key as compared: upper-cased unless the sort matched case
    int sourceRow = 0;
};

// The rows of the last sort in sorted order, kept so that the sort can be undone.
class SortedRowList
{
public:
    [[nodiscard]] int count() const { return int(m_entries.size()); }
    [[nodiscard]] const SortedRowEntry& entryAt(int index) const;
    void add(SortedRowEntry entry) { m_entries.push_back(std::move(entry)); }
    void reserve(int count) { m_entries.reserve(std::size_t(count)); }
    void releaseEntries();

private:
    std::vector<SortedRowEntry> m_entries;
};

// The kind of an entry.
enum SizeKind { szRow = 1, szCol = 2 };

struct SavedSize
{
    int kind = szRow;
    int index = 0;
    int size = 0;
};

// The sizes hidden rows and columns had, so that showing them gives the sizes back. Entries
// follow their rows and columns through insertions and deletions.
class HiddenSizeList
{
public:
    void rememberSize(int index, int size, int kind);
    [[nodiscard]] int recallSize(int index, int kind) const; // -1 when nothing is remembered
    void forgetSize(int index, int kind);
    void shiftAfterInsert(int at, int kind);
    void shiftAfterDelete(int at, int kind);
    void releaseSizes() { m_sizes.clear(); }

    [[nodiscard]] int count() const { return int(m_sizes.size()); }
    [[nodiscard]] const SavedSize& at(int i) const { return m_sizes[std::size_t(i)]; }

private:
    std::vector<SavedSize> m_sizes;
};

} // namespace kolvar::grid
