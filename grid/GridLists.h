#pragma once

#include <QString>

#include <vector>

namespace kolvar::grid {

struct TSortedListEntry
{
    QString KeyText; // the key as compared: upper-cased unless the sort matched case
    int SourceRow = 0;
};

// The rows of the last sort in sorted order, kept so that the sort can be undone.
class TSortedList
{
public:
    [[nodiscard]] int Count() const { return int(m_entries.size()); }
    [[nodiscard]] const TSortedListEntry& EntryAt(int index) const;
    void Add(TSortedListEntry entry) { m_entries.push_back(std::move(entry)); }
    void Reserve(int count) { m_entries.reserve(std::size_t(count)); }
    void ReleaseEntries();

private:
    std::vector<TSortedListEntry> m_entries;
};

// The SizeKind of an entry.
enum TSizeKind { szRow = 1, szCol = 2 };

struct TSavedSize
{
    int SizeKind = szRow;
    int SizeIndex = 0;
    int SavedSize = 0;
};

// The sizes hidden rows and columns had, so that showing them gives the sizes back. Entries
// follow their rows and columns through insertions and deletions.
class TOldRowColValueList
{
public:
    void RememberSize(int index, int size, int kind);
    [[nodiscard]] int RecallSize(int index, int kind) const; // -1 when nothing is remembered
    void ForgetSize(int index, int kind);
    void ShiftAfterInsert(int at, int kind);
    void ShiftAfterDelete(int at, int kind);
    void ReleaseSizes() { m_sizes.clear(); }

    [[nodiscard]] int Count() const { return int(m_sizes.size()); }
    [[nodiscard]] const TSavedSize& At(int i) const { return m_sizes[std::size_t(i)]; }

private:
    std::vector<TSavedSize> m_sizes;
};

} // namespace kolvar::grid
