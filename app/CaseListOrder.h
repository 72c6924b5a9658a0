#pragma once

// How the case list orders its rows: the engine's classes of values, the Polish alphabet over
// the code page's bytes, and the grouping of equal values. Only the case list includes it. What
// runs for every row or every comparison stays inline here; the sort itself, the collator and
// the rare paths are in CaseListOrder.cpp, where the sort's comparisons inline as well.

#include "BlockList.h"
#include "CaseRow.h"
#include "Cp1250.h"

#include <QByteArrayView>
#include <QCollator>
#include <QHash>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kolvar::listorder {

inline constexpr int ListFields = 8; // ID .. Adnotacje, grid columns 1 .. 8
inline constexpr int FirstSortColumn = 2; // Termin; Nadawca and Dotyczy follow
inline constexpr int SortColumns = 3;
inline constexpr int TextRank = 2;
// The rows sampled to tell whether a column's values seldom repeat: a few thousand rows drawn
// from a list of a few thousand values repeat about half of them.
inline constexpr int DistinctSample = 4096;
inline constexpr std::uint8_t AllTexts = 0b101010; // the text class in each column's two bits

// ORDER BY puts NULL first, then numbers (integers and reals alike), texts, blobs. A NULL and an
// empty text both show as nothing, and stay apart.
inline int rankOf(storage::StoredType type)
{
    switch (type) {
    case storage::StoredType::Null:
        return 0;
    case storage::StoredType::Integer:
    case storage::StoredType::Float:
        return 1;
    case storage::StoredType::Text:
        return TextRank;
    case storage::StoredType::Blob:
        return 3;
    }
    return 2;
}

inline int sign(int v)
{
    return (v > 0) - (v < 0);
}

// The engine's BINARY collation: bytes as unsigned, a prefix first.
inline int compareBytes(QByteArrayView a, QByteArrayView b)
{
    const std::string_view x(a.data(), std::size_t(a.size()));
    const std::string_view y(b.data(), std::size_t(b.size()));
    return sign(x.compare(y));
}

inline std::optional<std::int64_t> parseId(std::optional<QByteArrayView> text)
{
    std::int64_t id = 0;
    if (!text || text->isEmpty())
        return std::nullopt;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, id);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return id;
}

// The Polish alphabet over the code page's bytes, read in place. Texts written only in the
// register's common alphabet (nearly all) are compared through a table of weights, level by
// level, as their collation keys would compare; any other text goes to the collator itself. The
// table is derived from the collator's answers when first needed, which takes longer than a
// short list takes to order by the collator alone: a start on a small register never waits
// for it.
class PolishCollation
{
public:
    static const PolishCollation& instance()
    {
        static const PolishCollation collation;
        return collation;
    }

    [[nodiscard]] bool known(QByteArrayView text) const
    {
        return std::all_of(text.begin(), text.end(),
            [&weights = weights()](char c) { return weights[std::uint8_t(c)][0] != 0; });
    }

    // Eight first-level weights from character offset on, the level's end marked after the last
    // character: keys of known texts in this order never contradict the full comparison, and
    // texts with equal keys that do not end in them differ, if at all, further on.
    [[nodiscard]] std::uint64_t prefix(QByteArrayView text, qsizetype offset) const
    {
        const Weights& weights = this->weights();
        std::uint64_t key = 0;
        for (qsizetype i = offset; i < offset + 8; ++i) {
            std::uint8_t w = 0;
            if (i < text.size())
                w = weights[std::uint8_t(text[i])][0];
            else if (i == text.size())
                w = 1;
            key = (key << 8) | w;
        }
        return key;
    }

    // The first-level weights of eight characters, all there, as prefix() packs them.
    [[nodiscard]] std::uint64_t weightsOf8(const char* text) const
    {
        const Weights& weights = this->weights();
        std::uint64_t key = 0;
        for (int i = 0; i < 8; ++i)
            key = (key << 8) | weights[std::uint8_t(text[i])][0];
        return key;
    }

    [[nodiscard]] int compareKnown(QByteArrayView a, QByteArrayView b) const
    {
        const Weights& weights = this->weights();
        const qsizetype common = std::min(a.size(), b.size());
        for (int level = 0; level < 3; ++level) {
            for (qsizetype i = 0; i < common; ++i) {
                const std::uint8_t x = weights[std::uint8_t(a[i])][level];
                const std::uint8_t y = weights[std::uint8_t(b[i])][level];
                if (x != y)
                    return x < y ? -1 : 1;
            }
            if (a.size() != b.size())
                return a.size() < b.size() ? -1 : 1;
        }
        return 0;
    }

    // The order of two texts where their beginnings at hand decide it (a text not whole is only
    // the beginning of one): a first-level difference between letters of the alphabet, or a
    // whole text ending where the other goes on with one, with nothing outside the alphabet
    // before (the collator may pass over such a character). The code page has no combining
    // marks, and the Polish alphabet no letter of two characters, so what follows cannot undo a
    // difference.
    [[nodiscard]] std::optional<int> compareBeginnings(
        QByteArrayView a, bool aWhole, QByteArrayView b, bool bWhole) const;

    [[nodiscard]] int compare(QByteArrayView a, QByteArrayView b) const;
    [[nodiscard]] int compareByCollator(QByteArrayView a, QByteArrayView b) const;

private:
    // First-, second- and third-level weight of each byte; 0 outside the alphabet.
    using Weights = std::array<std::array<std::uint8_t, 3>, 256>;

    PolishCollation();

    // Derived once, on first use; read on every comparison.
    static const Weights& weights()
    {
        static const Weights derived = deriveWeights();
        return derived;
    }
    static Weights deriveWeights();

    QCollator m_collator;
};

// The order of the rows added: sources[i] is the row (numbered from 0 as added) shown at place i.
// Rows are grouped by their value as they are added, while their text is at hand, so each
// distinct text is placed once (a register names the same senders over and over); the rows of
// one value follow the order sequence() gives, asked for once every row is in.
class RowOrder
{
public:
    // Values that seldom repeat, as subjects, cost more to group than they save: each row then
    // stands for itself, and rows of equal values take the order of their places.
    void keepRowsApart()
    {
        Q_ASSERT(m_rows == 0);
        m_apart = true;
    }
    // The sort text of the next row, which must stay where it is until the order is known, and
    // the row's place in the sequence sources() is given (read only for rows kept apart). A cut
    // key is only the beginning of the row's text: whole(row) reads the rest where the beginnings
    // do not decide, row numbered from 0 as added.
    void add(QByteArrayView key, int rank, std::int64_t place = 0, bool cut = false)
    {
        // Rows kept apart are each a group of their own, numbered as the rows are.
        const std::uint32_t group = cut ? cutGroup(key, rank)
            : m_apart                   ? newGroup(key, rank, placeKey(place))
                                        : groupOf(key, rank);
        if (!m_apart)
            m_groupOfRow.push_back(group);
        ++m_rows;
    }
    void setWholeTexts(std::function<QByteArray(int row)> whole) { m_whole = std::move(whole); }
    // Room for rows that may all differ. Memory the system hands out is resident only once
    // written, so room a register of few distinct values never fills costs nothing, while
    // growing by doubling would hold the old and the new copy at once.
    void reserve(std::size_t rows)
    {
        if (!m_apart)
            m_groupOfRow.reserve(rows);
        m_groups.reserve(rows);
        m_keyed.reserve(rows);
    }

    // Rows kept apart, none of them cut, are ordered by their values and places alone: the
    // sequence is not asked for.
    [[nodiscard]] bool keptApart() const { return m_apart; }
    [[nodiscard]] bool sequenceNeeded() const { return !m_apart || !m_cutRows.empty(); }

    template <typename SequenceOf> [[nodiscard]] std::vector<int> sources(SequenceOf sequenceOf)
    {
        std::vector<std::uint64_t>().swap(m_slots);
        std::vector<int> sequence;
        if (!sequenceNeeded()) {
            std::vector<std::uint32_t> place = firstPlaces();
            std::vector<int> sources(m_rows);
            for (std::size_t row = 0; row < m_rows; ++row)
                sources[place[row]] = int(row);
            return sources;
        }
        // The sequence first: what the caller makes it from is given back before the order is
        // found, when the order's own memory is at its peak.
        sequence = sequenceOf();
        // Cut texts that turn out equal stand as rows of one value do: in the sequence's order.
        for (std::size_t place = 0; !m_cutRows.empty() && place < sequence.size(); ++place) {
            const std::uint32_t g = groupOfRow(sequence[place]);
            if (m_groups[g].cut)
                m_cutRows[g].tie = std::uint32_t(place);
        }
        std::vector<std::uint32_t> nextPlace = firstPlaces();
        std::vector<int> sources(m_rows);
        for (const int i : sequence)
            sources[nextPlace[groupOfRow(i)]++] = i;
        return sources;
    }

private:
    [[nodiscard]] std::uint32_t groupOfRow(int row) const
    {
        return m_apart ? std::uint32_t(row) : m_groupOfRow[std::size_t(row)];
    }

    // A distinct value; its text stands in its item of m_keyed.
    struct Group
    {
        std::size_t hash = 0; // for a row kept apart, its placeKey
        std::uint32_t rows = 0;
        std::uint8_t rank = 0;
        bool known = false;
        // A group of one row whose key is the beginning of its text (see m_cutRows).
        bool cut = false;
    };
    // A cut group's row as added and its place in the sequence.
    struct CutRow
    {
        std::uint32_t row = 0;
        std::uint32_t tie = 0;
    };

    // Two cut texts equal in their beginnings may still differ: never one group.
    std::uint32_t cutGroup(QByteArrayView text, int rank);

    std::uint32_t groupOf(QByteArrayView text, int rank)
    {
        if (2 * m_groups.size() >= m_slots.size())
            grow();
        // Not qHash's seed: with one, Qt asks the processor for its features on every short
        // text, which a virtual machine answers slowly (a quarter of a microsecond a row).
        const std::size_t hash = qHash(text) ^ (std::size_t(rank) * 0x9E3779B97F4A7C15U);
        const std::size_t mask = m_slots.size() - 1;
        std::size_t slot = hash & mask;
        for (;; slot = (slot + 1) & mask) {
            const std::uint64_t taken = m_slots[slot];
            if (taken == 0)
                break;
            if (taken >> 32 != std::uint64_t(hash) >> 32)
                continue;
            Group& group = m_groups[std::uint32_t(taken) - 1];
            if (group.hash == hash && group.rank == rank
                && textOf(m_keyed[std::uint32_t(taken) - 1]) == text) {
                ++group.rows;
                return std::uint32_t(taken) - 1;
            }
        }
        m_slots[slot] = slotOf(hash, m_groups.size());
        return newGroup(text, rank, hash);
    }

    std::uint32_t newGroup(QByteArrayView text, int rank, std::size_t hash, bool cut = false)
    {
        m_groups.push_back({ hash, 1, std::uint8_t(rank), false, cut });
        m_keyed.push_back(
            { {}, text.data(), std::uint32_t(text.size()), std::uint32_t(m_groups.size() - 1) });
        if (m_tabled)
            tabulate(m_groups.size() - 1);
        else if (m_groups.size() == TableFrom || text.size() >= LongText)
            useTable();
        return std::uint32_t(m_groups.size() - 1);
    }

    // Places as unsigned numbers in the same order.
    static std::size_t placeKey(std::int64_t place)
    {
        return std::size_t(std::uint64_t(place) ^ (std::uint64_t(1) << 63));
    }

    // A few hundred values sort faster by the collator than the table takes to derive; but the
    // collator reads a text only decoded whole, and every comparison with a text of megabytes
    // would decode it again.
    static constexpr std::size_t TableFrom = 256;
    static constexpr qsizetype LongText = qsizetype(64) * 1024;

    void useTable();

    // Whether the table knows the text of group g, and its first key, best taken while the text
    // is at hand: later it lies anywhere in memory.
    void tabulate(std::size_t g)
    {
        Keyed& keyed = m_keyed[g];
        // A cut text is ordered by comparisons that may read it whole, never by its keys alone.
        m_groups[g].known = !m_groups[g].cut && PolishCollation::instance().known(textOf(keyed));
        keyAt(keyed, 0);
    }

    // A slot holds the upper half of its text's hash beside the group, so that a look-up passes
    // other texts' slots without reading their groups, which lie anywhere in memory.
    static std::uint64_t slotOf(std::size_t hash, std::size_t group)
    {
        return (std::uint64_t(hash) >> 32 << 32) | std::uint64_t(group + 1);
    }

    void grow();

    // Eight first-level weights of a text from some depth on, the text and its group. The text
    // stands beside its key so that going deeper reads only the text, which the next few items
    // can have fetched ahead of their turn.
    using Key = std::array<std::uint64_t, 1>;
    struct Keyed
    {
        Key key {};
        const char* text = nullptr;
        std::uint32_t length = 0;
        std::uint32_t group = 0;
    };
    static constexpr qsizetype KeyedChars = 8;
    static constexpr std::ptrdiff_t FetchAhead = 8;

    static void keyAt(Keyed& keyed, qsizetype depth)
    {
        const PolishCollation& collation = PolishCollation::instance();
        const QByteArrayView text = textOf(keyed);
        if (depth + KeyedChars <= text.size()) {
            // The text goes on past the key: no end to look out for.
            const char* at = text.data() + depth;
            for (std::size_t w = 0; w < keyed.key.size(); ++w, at += 8)
                keyed.key[w] = collation.weightsOf8(at);
            return;
        }
        for (std::size_t w = 0; w < keyed.key.size(); ++w)
            keyed.key[w] = collation.prefix(text, depth + qsizetype(8 * w));
    }

    // The sort's own steps, defined in CaseListOrder.cpp and called only there. Declared inline
    // so that they inline into the sort there: the library is built position-independent, and
    // the compiler calls a function that may be interposed out of line, a call per comparison.

    // The key order, word by word: std::array's own goes through a three-way comparison.
    inline static bool keyLess(const Key& a, const Key& b);

    static QByteArrayView textOf(const Keyed& keyed) { return { keyed.text, keyed.length }; }

    // Whether the value of a comes before the value of b.
    [[nodiscard]] inline bool before(const Keyed& a, const Keyed& b) const;

    // Where the beginnings leave the order open, the whole texts decide, as a load of whole texts
    // would: alphabet, class, bytes, then the sequence.
    [[nodiscard]] inline int compareCut(
        std::uint32_t a, QByteArrayView xText, std::uint32_t b, QByteArrayView yText) const;

    inline static void fetchAhead(const Keyed& keyed, qsizetype depth);

    // Sorts texts equal in their first depth characters' first-level weights by the next ones,
    // and so on: a comparison sort of a million distinct subjects would read two texts scattered
    // over the register's memory at every step, this reads each text once a level.
    inline void refine(std::vector<Keyed>::iterator first, std::vector<Keyed>::iterator last,
        qsizetype depth) const;

    // A long list is split at a value near its middle and the halves ordered on two threads:
    // the rows of one value never straddle the split, so the halves never meet. Only texts the
    // table knows come here, so no collator is shared between the threads.
    inline void refineInHalves(
        std::vector<Keyed>::iterator first, std::vector<Keyed>::iterator last) const;

    // Each group's first place in the list. The places take the room of the groups' row counts,
    // so that nothing beside the keys is held while they are sorted.
    [[nodiscard]] std::vector<std::uint32_t> firstPlaces();

    bool m_tabled = false;
    bool m_apart = false;
    std::unordered_map<std::uint32_t, CutRow> m_cutRows;
    std::function<QByteArray(int row)> m_whole;
    BlockList<Group> m_groups;
    BlockList<Keyed> m_keyed;
    BlockList<std::uint32_t> m_groupOfRow; // empty for rows kept apart
    std::size_t m_rows = 0;
    // Index + 1 of the group in each slot's lower half, 0 when free: open addressing over a power
    // of two.
    std::vector<std::uint64_t> m_slots;
};

} // namespace kolvar::listorder
