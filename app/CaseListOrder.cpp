#include "CaseListOrder.h"

#include "AlphabetCollation.h"

#include <QLocale>

#include <numeric>
#include <system_error>
#include <thread>

namespace kolvar::listorder {

// --- the Polish alphabet ----------------------------------------------------------------------

PolishCollation::PolishCollation()
    : m_collator(QLocale(QLocale::Polish, QLocale::Poland))
{
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
}

PolishCollation::Weights PolishCollation::deriveWeights()
{
    Weights weights {};
    const grid::AlphabetCollation table(QLocale(QLocale::Polish, QLocale::Poland));
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString text = storage::fromCp1250(QByteArrayView(&byte, 1));
        if (text.size() != 1)
            continue;
        const grid::AlphabetCollation::Weights& w = table.weightsOf(text.front());
        weights[std::size_t(b)] = { w.primary, w.secondary, w.tertiary };
    }
    return weights;
}

std::optional<int> PolishCollation::compareBeginnings(
    QByteArrayView a, bool aWhole, QByteArrayView b, bool bWhole) const
{
    const Weights& weights = this->weights();
    const auto letterAt = [&weights](QByteArrayView text, qsizetype i) {
        return weights[std::uint8_t(text[i])][0] != 0;
    };
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const std::uint8_t x = weights[std::uint8_t(a[i])][0];
        const std::uint8_t y = weights[std::uint8_t(b[i])][0];
        if (x == 0 || y == 0)
            return std::nullopt;
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == common && aWhole && b.size() > common && letterAt(b, common))
        return -1;
    if (b.size() == common && bWhole && a.size() > common && letterAt(a, common))
        return 1;
    return std::nullopt;
}

int PolishCollation::compare(QByteArrayView a, QByteArrayView b) const
{
    if (known(a) && known(b))
        return compareKnown(a, b);
    return compareByCollator(a, b);
}

int PolishCollation::compareByCollator(QByteArrayView a, QByteArrayView b) const
{
    return sign(m_collator.compare(storage::fromCp1250(a), storage::fromCp1250(b)));
}

// --- the order of the rows ---------------------------------------------------------------------

std::uint32_t RowOrder::cutGroup(QByteArrayView text, int rank)
{
    m_cutRows.emplace(std::uint32_t(m_groups.size()), CutRow { std::uint32_t(m_rows), 0 });
    return newGroup(text, rank, 0, true);
}

void RowOrder::useTable()
{
    m_tabled = true;
    for (std::size_t g = 0; g < m_groups.size(); ++g)
        tabulate(g);
}

void RowOrder::grow()
{
    m_slots.assign(std::max<std::size_t>(64, 2 * m_slots.size()), 0);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t g = 0; g < m_groups.size(); ++g) {
        if (m_groups[g].cut)
            continue;
        std::size_t slot = m_groups[g].hash & mask;
        while (m_slots[slot] != 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = slotOf(m_groups[g].hash, g);
    }
}

inline bool RowOrder::keyLess(const Key& a, const Key& b)
{
    for (std::size_t w = 0; w < a.size(); ++w) {
        if (a[w] != b[w])
            return a[w] < b[w];
    }
    return false;
}

inline bool RowOrder::before(const Keyed& a, const Keyed& b) const
{
    const PolishCollation& collation = PolishCollation::instance();
    const Group& x = m_groups[a.group];
    const Group& y = m_groups[b.group];
    const QByteArrayView xText = textOf(a);
    const QByteArrayView yText = textOf(b);
    if (x.cut || y.cut)
        return compareCut(a.group, xText, b.group, yText) < 0;
    // The table agrees with the collator on every text it knows, so the two mix into one
    // consistent order; a text outside it costs a collator call, others a look-up.
    // Rows kept apart meet their own value again, which the bytes tell at once.
    int r = 0;
    if (xText != yText) {
        r = x.known && y.known ? collation.compareKnown(xText, yText)
                               : collation.compareByCollator(xText, yText);
    }
    if (r == 0)
        r = x.rank != y.rank ? (x.rank < y.rank ? -1 : 1) : compareBytes(xText, yText);
    if (r == 0 && m_apart)
        return x.hash < y.hash;
    return r < 0;
}

inline int RowOrder::compareCut(
    std::uint32_t a, QByteArrayView xText, std::uint32_t b, QByteArrayView yText) const
{
    const Group& x = m_groups[a];
    const Group& y = m_groups[b];
    const CutRow xCut = x.cut ? m_cutRows.at(a) : CutRow {};
    const CutRow yCut = y.cut ? m_cutRows.at(b) : CutRow {};
    const PolishCollation& collation = PolishCollation::instance();
    if (const std::optional<int> r = collation.compareBeginnings(xText, !x.cut, yText, !y.cut))
        return *r;
    const QByteArray xWhole = x.cut ? m_whole(int(xCut.row)) : QByteArray();
    const QByteArray yWhole = y.cut ? m_whole(int(yCut.row)) : QByteArray();
    const QByteArrayView xs = x.cut ? QByteArrayView(xWhole) : xText;
    const QByteArrayView ys = y.cut ? QByteArrayView(yWhole) : yText;
    int r = collation.compare(xs, ys);
    if (r == 0)
        r = x.rank != y.rank ? (x.rank < y.rank ? -1 : 1) : compareBytes(xs, ys);
    if (r == 0)
        r = xCut.tie < yCut.tie ? -1 : xCut.tie > yCut.tie ? 1 : 0;
    return r;
}

inline void RowOrder::fetchAhead(const Keyed& keyed, qsizetype depth)
{
    if (keyed.length > depth) {
        __builtin_prefetch(keyed.text + depth);
        __builtin_prefetch(keyed.text + std::min<qsizetype>(keyed.length, depth + KeyedChars) - 1);
    }
}

inline void RowOrder::refine(
    std::vector<Keyed>::iterator first, std::vector<Keyed>::iterator last, qsizetype depth) const
{
    std::sort(first, last, [](const Keyed& a, const Keyed& b) { return keyLess(a.key, b.key); });
    while (first != last) {
        auto run = first + 1;
        while (run != last && run->key == first->key)
            ++run;
        if (run - first > 1) {
            if (first->length < depth + KeyedChars) {
                // Equal at the first level to the end: the other levels decide.
                std::sort(
                    first, run, [this](const Keyed& a, const Keyed& b) { return before(a, b); });
            } else {
                const qsizetype deeper = depth + KeyedChars;
                for (auto it = first; it != run; ++it) {
                    if (run - it > FetchAhead)
                        fetchAhead(*(it + FetchAhead), deeper);
                    keyAt(*it, deeper);
                }
                refine(first, run, depth + KeyedChars);
            }
        }
        first = run;
    }
}

inline void RowOrder::refineInHalves(
    std::vector<Keyed>::iterator first, std::vector<Keyed>::iterator last) const
{
    constexpr std::ptrdiff_t Split = 200000;
    constexpr std::ptrdiff_t Samples = 1024;
    if (last - first < Split) {
        refine(first, last, 0);
        return;
    }
    std::vector<Key> sample(static_cast<std::size_t>(Samples));
    for (std::ptrdiff_t i = 0; i < Samples; ++i)
        sample[std::size_t(i)] = (first + (last - first) * i / Samples)->key;
    std::nth_element(sample.begin(), sample.begin() + Samples / 2, sample.end());
    const Key pivot = sample[std::size_t(Samples / 2)];
    const auto middle
        = std::partition(first, last, [&pivot](const Keyed& k) { return keyLess(k.key, pivot); });
    try {
        std::thread lower([&] { refine(first, middle, 0); });
        refine(middle, last, 0);
        lower.join();
    } catch (const std::system_error&) {
        // No thread to be had: one does both.
        refine(first, middle, 0);
        refine(middle, last, 0);
    }
}

std::vector<std::uint32_t> RowOrder::firstPlaces()
{
    std::uint32_t next = 0;
    const auto placeGroup = [this, &next](std::uint32_t g) {
        const std::uint32_t rows = m_groups[g].rows;
        m_groups[g].rows = next;
        next += rows;
    };
    bool allKnown = m_tabled;
    for (std::size_t g = 0; allKnown && g < m_groups.size(); ++g)
        allKnown = m_groups[g].known;
    if (allKnown) {
        std::vector<Keyed> keyed = m_keyed.take();
        refineInHalves(keyed.begin(), keyed.end());
        for (const Keyed& k : keyed)
            placeGroup(k.group);
    } else {
        // The items still stand in the order of their groups.
        std::vector<std::uint32_t> sorted(m_groups.size());
        std::iota(sorted.begin(), sorted.end(), 0);
        std::sort(sorted.begin(), sorted.end(),
            [this](std::uint32_t a, std::uint32_t b) { return before(m_keyed[a], m_keyed[b]); });
        m_keyed = {};
        for (const std::uint32_t g : sorted)
            placeGroup(g);
    }
    std::vector<std::uint32_t> place(m_groups.size());
    for (std::size_t g = 0; g < m_groups.size(); ++g)
        place[g] = m_groups[g].rows;
    return place;
}

} // namespace kolvar::listorder
