#include "CaseList.h"

#include "CaseListOrder.h"
#include "StringGrid.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <numeric>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kolvar {

namespace {

using namespace listorder;

// The nine texts of a case as the list holds them, from a case row: the list number, then the
// eight fields as the row reads them. The views last until the next read or the end of the row.
class ListRowTexts
{
public:
    // Texts longer than keptBytes are cut to their beginning, in rows with a readable ID.
    explicit ListRowTexts(qsizetype keptBytes)
        : m_keptBytes(keptBytes)
    { }

    [[nodiscard]] std::span<const QByteArrayView> read(
        const storage::CaseRow& row, QByteArrayView number)
    {
        if (!m_columnsKnown) {
            for (int i = 0; i < ListFields; ++i)
                m_asBytes[std::size_t(i)] = row.holdsBytes(i);
            m_columnsKnown = true;
        }
        m_texts[0] = number;
        for (int i = 0; i < ListFields; ++i)
            m_texts[std::size_t(i) + 1] = row.text(i);
        m_whole = m_texts;
        m_cut = 0;
        if (parseId(m_texts[1])) {
            for (int col = FirstSortColumn; col <= ListFields; ++col) {
                QByteArrayView& text = m_texts[std::size_t(col)];
                if (text.size() > m_keptBytes) {
                    text = text.first(m_keptBytes);
                    m_cut |= std::uint8_t(1U << (col - FirstSortColumn));
                }
            }
        }
        return m_texts;
    }
    // The columns (bit 0 Termin ... 6 Adnotacje) cut by the last read.
    [[nodiscard]] std::uint8_t cutColumns() const { return m_cut; }
    // Column col of the last row read, uncut.
    [[nodiscard]] QByteArrayView wholeText(int col) const { return m_whole[std::size_t(col)]; }
    // Column col of the list (1 = ID ... 8 = Adnotacje) of the last row read.
    [[nodiscard]] QByteArrayView text(int col) const { return m_texts[std::size_t(col)]; }
    // Whether list column col holds the stored bytes, not a number written as text.
    [[nodiscard]] bool readAsBytes(int col) const { return m_asBytes[std::size_t(col - 1)]; }
    // Whether every sort column does.
    [[nodiscard]] bool sortColumnsAsBytes() const
    {
        for (int col = FirstSortColumn; col < FirstSortColumn + SortColumns; ++col) {
            if (!readAsBytes(col))
                return false;
        }
        return true;
    }

private:
    qsizetype m_keptBytes;
    std::array<bool, ListFields> m_asBytes {};
    bool m_columnsKnown = false;
    std::array<QByteArrayView, ListFields + 1> m_texts;
    std::array<QByteArrayView, ListFields + 1> m_whole;
    std::uint8_t m_cut = 0;
};

} // namespace

CaseList::CaseList(grid::StringGrid& grid, qsizetype keptBytes)
    : m_grid(grid)
    , m_keptBytes(std::max<qsizetype>(keptBytes, 1))
{
    m_grid.setPartialTexts(this);
}

CaseList::~CaseList()
{
    m_grid.setPartialTexts(nullptr);
}

void CaseList::forgetStore()
{
    m_store = nullptr;
    m_cut.clear();
    m_cut.squeeze();
}

std::uint8_t CaseList::cutColumns(int row) const
{
    if (m_cut.isEmpty() || row < 1)
        return 0;
    const std::optional<std::int64_t> id = parseId(m_grid.cellBytes(1, row));
    return id ? m_cut.value(*id, 0) : 0;
}

bool CaseList::isCut(int col, int row) const
{
    return col >= FirstSortColumn && col <= ListFields
        && (cutColumns(row) >> (col - FirstSortColumn) & 1) != 0;
}

void CaseList::useWhole(int col, int row, const std::function<void(QByteArrayView text)>& use) const
{
    const std::optional<std::int64_t> id = parseId(m_grid.cellBytes(1, row));
    // A case deleted by another program meanwhile reads as the empty text it now is.
    if (!m_store || !id || !m_store->useCaseText(*id, col - 1, use))
        use({});
}

QByteArray CaseList::wholeBytes(int col, int row) const
{
    return m_grid.wholeCellBytes(col, row).value_or(QByteArray());
}

void CaseList::rememberCut(std::int64_t id, std::uint8_t columns)
{
    if (columns != 0)
        m_cut.insert(id, columns);
    else
        m_cut.remove(id);
}

int CaseList::load(storage::ICaseStore& store, int sortMode)
{
    m_fast = false;
    m_count = 0;
    m_sortMode = sortMode;
    m_otherClasses.clear();
    m_otherClasses.squeeze();
    forgetStore();
    m_store = &store;

    // A sort column another program declared numeric shows a text as the number it starts with,
    // and ORDER BY orders such texts by bytes the list never reads: there the engine sorts.
    bool listOrders = true;
    bool fastPossible = false;
    {
        const std::unique_ptr<const storage::CaseRow> first = store.firstCaseRow();
        if (first) {
            ListRowTexts texts(m_keptBytes);
            (void)texts.read(*first, {});
            listOrders = texts.readAsBytes(sortMode);
            fastPossible = texts.sortColumnsAsBytes();
        }
    }
    const int storeOrder = listOrders ? 0 : sortMode;

    grid::StringGrid& g = m_grid;
    const int keptRow = g.row();
    const int rowsBefore = g.rowCount();
    // The rows go straight from the query into the grid, in the query's order and without their
    // numbers, which only the order gives; the result itself is never held. A million cases thus
    // stand once in memory, not twice.
    // Where an ID may stand for two cases, a cut text could be read back from the other one.
    ListRowTexts texts(store.idsMayRepeat() ? std::numeric_limits<qsizetype>::max() : m_keptBytes);
    RowOrder order;
    order.setWholeTexts([this, sortMode](int i) { return wholeBytes(sortMode, i + 1); });
    // A long list's first rows tell, as a sample, whether its sort values repeat (dates,
    // senders) or seldom do (subjects), where grouping them costs more than it saves. Rows come
    // by ID, in no order of their values, so the first rows are as fair a sample as any.
    struct Held
    {
        int rank;
        bool cut;
    };
    std::vector<Held> held;
    bool decided = false;
    const auto addHeld = [&](int rows) {
        if (rows >= DistinctSample && mostlyDistinct(sortMode, rows))
            order.keepRowsApart();
        for (int i = 0; i < rows; ++i)
            order.add(*g.cellBytes(sortMode, i + 1), held[std::size_t(i)].rank, i,
                held[std::size_t(i)].cut);
        std::vector<Held>().swap(held);
        decided = true;
    };
    bool orderable = true;
    std::int64_t lastId = 0;
    bool idsRise = true;
    int filled = 0;
    const auto takeRow = [&](const storage::CaseRow& result) {
        const int gridRow = filled + 1;
        if (gridRow >= g.rowCount())
            g.setRowCount(std::max(2 * g.rowCount(), gridRow + 1));
        g.setRowBytes(gridRow, texts.read(result, {}));
        const std::optional<std::int64_t> id = parseId(texts.text(1));
        idsRise = idsRise && id && (filled == 0 || *id > lastId);
        lastId = id.value_or(lastId);
        if (fastPossible && id)
            rememberClasses(*id, result, false);
        if (id && texts.cutColumns() != 0)
            m_cut.insert(*id, texts.cutColumns());
        const std::optional<QByteArrayView> key = g.cellBytes(sortMode, gridRow);
        orderable = orderable && key;
        if (orderable) {
            const int rank = rankOf(result.storedType(sortMode - 1));
            if (decided) {
                order.add(*key, rank, filled, isCut(sortMode, gridRow));
            } else {
                held.push_back({ rank, isCut(sortMode, gridRow) });
                if (int(held.size()) == DistinctSample)
                    addHeld(DistinctSample);
            }
        }
        filled = gridRow;
    };
    int total = 0;
    try {
        total = int(store.listRows(storeOrder, takeRow));
    } catch (...) {
        // A failed query shows nothing of what it read.
        for (int r = 1; r <= filled && r < g.rowCount(); ++r)
            g.clearRow(r);
        g.setRowCount(rowsBefore);
        m_otherClasses.clear();
        forgetStore();
        throw;
    }
    // An empty register still shows one empty data row under the titles.
    g.setRowCount(std::max(total, 1) + 1);
    m_count = total;
    if (total == 0)
        return 0;

    // Rows of one value keep the order they came in: the table's own, or the engine's.
    if (orderable) {
        if (!decided)
            addHeld(int(held.size()));
        std::vector<int> sources = order.sources([total] {
            std::vector<int> sequence(static_cast<std::size_t>(total));
            std::iota(sequence.begin(), sequence.end(), 0);
            return sequence;
        });
        for (int& source : sources)
            ++source;
        g.permuteRows(1, sources);
    }
    if (keptRow != g.row() && keptRow < g.rowCount())
        g.setRow(keptRow);
    m_maxId = lastId;
    m_fast = fastPossible && idsRise && listOrders;
    if (!m_fast)
        m_otherClasses.clear();
    settle(store);
    return total;
}

void CaseList::settle(storage::ICaseStore& store)
{
    m_gridChanges = m_grid.textChanges();
    m_changeStamp = store.changeStamp();
}

bool CaseList::inStep(storage::ICaseStore& store) const
{
    // Another program that wrote to the file since the load changes what a load shows.
    return m_fast && m_count > 0 && m_grid.textChanges() == m_gridChanges
        && m_grid.rowCount() == m_count + 1 && !staleFor(store);
}

bool CaseList::staleFor(storage::ICaseStore& store) const
{
    return store.changeStamp() != m_changeStamp;
}

int CaseList::classRank(std::int64_t id, int col) const
{
    const std::uint8_t bits = m_otherClasses.value(id, AllTexts);
    return (bits >> (2 * (col - FirstSortColumn))) & 3;
}

void CaseList::rememberClasses(std::int64_t id, const storage::CaseRow& row, bool replacing)
{
    std::uint8_t bits = 0;
    for (int i = 0; i < SortColumns; ++i)
        bits |= std::uint8_t(rankOf(row.storedType(FirstSortColumn - 1 + i)) << (2 * i));
    if (bits != AllTexts)
        m_otherClasses.insert(id, bits);
    else if (replacing)
        m_otherClasses.remove(id);
}

int CaseList::rowOfCase(std::int64_t id) const
{
    std::array<char, 24> text {};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), id);
    const QByteArrayView wanted(text.data(), written.ptr - text.data());
    const auto holds = [&](int r) {
        const std::optional<QByteArrayView> bytes = m_grid.cellBytes(1, r);
        return bytes ? *bytes == wanted : m_grid.cells(1, r) == QString::fromLatin1(wanted);
    };
    const int current = m_grid.row();
    if (current >= 1 && current <= m_count && holds(current))
        return current;
    for (int r = 1; r <= m_count; ++r) {
        m_grid.prefetchRow(r + 16); // the rows lie anywhere in memory
        if (holds(r))
            return r;
    }
    return 0;
}

int CaseList::compareRow(int r, QByteArrayView key, int rank, std::int64_t id) const
{
    QByteArrayView other = m_grid.cellBytes(m_sortMode, r).value_or(QByteArrayView());
    const std::int64_t otherId = parseId(m_grid.cellBytes(1, r)).value_or(0);
    QByteArray whole;
    if (isCut(m_sortMode, r)) {
        if (const std::optional<int> decided
            = PolishCollation::instance().compareBeginnings(other, false, key, true))
            return *decided;
        whole = wholeBytes(m_sortMode, r);
        other = whole;
    }
    int result = PolishCollation::instance().compare(other, key);
    if (result == 0) {
        const int otherRank = classRank(otherId, m_sortMode);
        result = otherRank != rank ? (otherRank < rank ? -1 : 1) : compareBytes(other, key);
    }
    if (result == 0)
        result = otherId < id ? -1 : otherId > id ? 1 : 0;
    return result;
}

bool CaseList::mostlyDistinct(int sortMode, int rows) const
{
    // Subjects seldom repeat, senders and dates do: a sample of the rows tells which the column
    // is like.
    const int samples = std::min(rows, DistinctSample);
    std::unordered_set<std::string_view> seen;
    seen.reserve(std::size_t(samples));
    for (int s = 0; s < samples; ++s) {
        const int r = 1 + int(std::int64_t(s) * rows / samples);
        const std::optional<QByteArrayView> key = m_grid.cellBytes(sortMode, r);
        if (!key)
            return false;
        seen.emplace(key->data(), std::size_t(key->size()));
    }
    return 4 * seen.size() >= 3 * std::size_t(samples);
}

std::vector<bool> CaseList::casesOfOtherClasses(int rows) const
{
    // IDs as many as the rows, give or take deleted ones, fit a bit each; others are looked up.
    std::vector<bool> bits;
    if (m_maxId < 0 || m_maxId > 4 * std::int64_t(rows) + 1024)
        return bits;
    bits.resize(std::size_t(m_maxId) + 1);
    for (auto it = m_otherClasses.cbegin(); it != m_otherClasses.cend(); ++it) {
        if (it.key() >= 0 && it.key() <= m_maxId)
            bits[std::size_t(it.key())] = true;
    }
    return bits;
}

bool CaseList::reorder(storage::ICaseStore& store, int sortMode)
{
    if (!inStep(store))
        return false;
    const int n = m_count;
    RowOrder order;
    if (mostlyDistinct(sortMode, m_count))
        order.keepRowsApart();
    order.reserve(std::size_t(n));
    order.setWholeTexts([this, sortMode](int i) { return wholeBytes(sortMode, i + 1); });
    // Each row's ID is read beside its sort text, while its texts are at hand; rows kept apart
    // carry theirs as their places, and need the sequence by ID only where a text was cut.
    const bool sequenceByIds = !order.keptApart() || !m_cut.isEmpty();
    std::vector<std::int64_t> ids(sequenceByIds ? std::size_t(n) : 0);
    const std::vector<bool> otherClass = casesOfOtherClasses(n);
    // The rows lie anywhere in memory: each is asked for well before it is read, the header
    // first, then the sort text the header locates.
    constexpr int Ahead = 12;
    for (int i = 0; i < n; ++i) {
        m_grid.prefetchRow(i + 1 + 2 * Ahead);
        m_grid.prefetchCellBytes(sortMode, i + 1 + Ahead);
        const std::optional<std::int64_t> id = parseId(m_grid.cellBytes(1, i + 1));
        const std::optional<QByteArrayView> key = m_grid.cellBytes(sortMode, i + 1);
        if (!id || !key)
            return false;
        if (sequenceByIds)
            ids[std::size_t(i)] = *id;
        const bool text
            = *id >= 0 && std::uint64_t(*id) < otherClass.size() && !otherClass[std::size_t(*id)];
        const bool cut
            = !m_cut.isEmpty() && (m_cut.value(*id, 0) >> (sortMode - FirstSortColumn) & 1);
        order.add(*key, text ? TextRank : classRank(*id, sortMode), *id, cut);
    }
    std::vector<int> sources = order.sources([&] {
        // Rows of one value stand by ID, as the table's own order gives them to a load.
        Q_ASSERT(sequenceByIds);
        std::vector<int> sequence;
        const auto [lowest, highest] = std::minmax_element(ids.begin(), ids.end());
        if (*lowest >= 0 && *highest < 2 * std::int64_t(n)) {
            // The IDs differ (they rose through the load) and are about as many as the rows:
            // each row goes straight to the place of its ID.
            std::vector<int> rowOfId(std::size_t(*highest) + 1, -1);
            for (int i = 0; i < n; ++i)
                rowOfId[std::size_t(ids[std::size_t(i)])] = i;
            std::vector<std::int64_t>().swap(ids);
            sequence.reserve(std::size_t(n));
            std::copy_if(rowOfId.begin(), rowOfId.end(), std::back_inserter(sequence),
                [](int row) { return row >= 0; });
        } else {
            sequence.resize(std::size_t(n));
            std::iota(sequence.begin(), sequence.end(), 0);
            if (!std::is_sorted(ids.begin(), ids.end())) {
                std::sort(sequence.begin(), sequence.end(),
                    [&](int a, int b) { return ids[std::size_t(a)] < ids[std::size_t(b)]; });
            }
        }
        std::vector<std::int64_t>().swap(ids);
        return sequence;
    });

    const int current = m_grid.row();
    int currentAfter = current;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        ++sources[i];
        if (sources[i] == current)
            currentAfter = int(i) + 1;
    }
    m_grid.permuteRows(1, sources);
    if (currentAfter != current)
        m_grid.setRow(currentAfter);
    m_sortMode = sortMode;
    settle(store);
    return true;
}

bool CaseList::refreshCase(storage::ICaseStore& store, std::int64_t id)
{
    if (!inStep(store) || !placeCase(store, id, false))
        return false;
    settle(store);
    return true;
}

bool CaseList::placeCase(storage::ICaseStore& store, std::int64_t id, bool mayBeNew)
{
    // A case with an ID above every listed one is new: no need to look for its row.
    int row = id > m_maxId ? 0 : rowOfCase(id);
    const bool adding = row == 0;
    // An unlisted case below the highest ID is new only when the store said so.
    if (adding && id <= m_maxId && !mayBeNew)
        return false;
    const std::unique_ptr<const storage::CaseRow> saved = store.caseRow(id);
    if (!saved)
        return adding || takeOut(id); // deleted again before it was read
    ListRowTexts texts(m_keptBytes);
    (void)texts.read(*saved, {});
    if (!texts.sortColumnsAsBytes())
        return false;
    const QByteArray key = texts.wholeText(m_sortMode).toByteArray();
    const int rank = rankOf(saved->storedType(m_sortMode - 1));

    // The list without the leaving row is in order: count the rows that come first.
    const int others = adding ? m_count : m_count - 1;
    int low = 0;
    int high = others;
    while (low < high) {
        const int middle = (low + high) / 2;
        const int r = adding || middle + 1 < row ? middle + 1 : middle + 2;
        if (compareRow(r, key, rank, id) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    const int target = low + 1;
    if (adding) {
        ++m_count;
        m_grid.setRowCount(m_count + 1);
        row = m_count;
    }
    if (target != row) {
        const int first = std::min(row, target);
        const int last = std::max(row, target);
        std::vector<int> sources(std::size_t(last - first + 1));
        std::iota(sources.begin(), sources.end(), first);
        if (target > row)
            std::rotate(sources.begin(), sources.begin() + 1, sources.end());
        else
            std::rotate(sources.rbegin(), sources.rbegin() + 1, sources.rend());
        m_grid.permuteRows(first, sources);
    }
    m_grid.setRowBytes(target, texts.read(*saved, {}));
    rememberCut(id, texts.cutColumns());
    rememberClasses(id, *saved, true);
    m_maxId = std::max(m_maxId, id);
    return true;
}

bool CaseList::removeCase(storage::ICaseStore& store, std::int64_t id)
{
    if (!inStep(store) || m_count <= 1 || !takeOut(id))
        return false;
    settle(store);
    return true;
}

bool CaseList::takeOut(std::int64_t id)
{
    const int row = rowOfCase(id);
    if (row == 0)
        return true; // not listed: nothing to take out
    if (m_count <= 1)
        return false; // the list keeps its one empty row: a load lays that out
    std::vector<int> sources(std::size_t(m_count - row + 1));
    std::iota(sources.begin(), sources.end(), row);
    std::rotate(sources.begin(), sources.begin() + 1, sources.end());
    m_grid.permuteRows(row, sources);
    m_grid.clearRow(m_count);
    --m_count;
    m_grid.setRowCount(m_count + 1);
    m_otherClasses.remove(id);
    m_cut.remove(id);
    return true;
}

bool CaseList::follow(storage::ICaseStore& store, const std::vector<storage::CaseChange>& changes)
{
    if (!m_fast || m_count == 0 || m_grid.textChanges() != m_gridChanges
        || m_grid.rowCount() != m_count + 1)
        return false;
    const int current = m_grid.row();
    const std::optional<std::int64_t> currentId
        = current >= 1 && current <= m_count ? parseId(m_grid.cellBytes(1, current)) : std::nullopt;
    // The view stays on the cases it shows: rows put in or taken out above push nothing along.
    const int top = m_grid.topRow();
    const std::optional<std::int64_t> topId
        = top >= 1 && top <= m_count ? parseId(m_grid.cellBytes(1, top)) : std::nullopt;
    for (const storage::CaseChange& change : changes) {
        bool followed = false;
        switch (change.kind) {
        case storage::CaseChange::Kind::Deleted:
            followed = takeOut(change.id);
            break;
        case storage::CaseChange::Kind::Added:
        case storage::CaseChange::Kind::Saved:
            followed = placeCase(store, change.id, true);
            break;
        case storage::CaseChange::Kind::Everything:
            break;
        }
        if (!followed)
            return false;
    }
    if (currentId) {
        const int now = rowOfCase(*currentId);
        if (now > 0 && now != m_grid.row())
            m_grid.setRow(now);
    }
    if (topId) {
        const int now = rowOfCase(*topId);
        if (now > 0 && now != m_grid.topRow())
            m_grid.setTopRow(now);
    }
    settle(store);
    return true;
}

} // namespace kolvar
