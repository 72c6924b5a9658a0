#include "CellSearch.h"

#include <algorithm>
#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kolvar::grid {

namespace {

// The upper case of every UTF-16 unit whose upper case is a single unit. The rest, surrogates and
// letters that grow such as ß, read 0 (only U+0000 itself is 0 rightly) and send the text through
// QString::toUpper. Built from QString::toUpper itself, so both folds agree.
struct UpperTable
{
    std::array<char16_t, 0x10000> unit {};

    UpperTable()
    {
        for (char32_t c = 1; c < unit.size(); ++c) {
            if (QChar::isSurrogate(c))
                continue;
            const QString upper = QString(QChar(c)).toUpper();
            if (upper.size() == 1)
                unit[c] = upper.front().unicode();
        }
    }
};

const UpperTable& upperTable()
{
    static const UpperTable table;
    return table;
}

} // namespace

QString foldCase(QString text)
{
    // The rvalue overload upper-cases in place when the text is not shared.
    return std::move(text).toUpper();
}

QStringView foldCase(QStringView text, QString& buffer)
{
    const auto& table = upperTable().unit;
    buffer.resize(text.size()); // keeps the capacity of earlier texts
    auto* out = reinterpret_cast<char16_t*>(buffer.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const char16_t upper = table[c];
        if (upper == 0 && c != 0) {
            buffer = foldCase(text.toString());
            break;
        }
        out[i] = upper;
    }
    return buffer;
}

QStringView comparedPart(QStringView cell, int keyPos, int keyLen)
{
    const qsizetype start = std::max(keyPos, 1) - 1;
    if (keyLen <= 0 || start >= cell.size())
        return {};
    return cell.mid(start, std::min<qsizetype>(keyLen, cell.size() - start));
}

CellMatcher::CellMatcher(QStringView phrase, const CellMatchRule& rule)
    : m_rule(rule)
    , m_phrase(rule.caseSensitive ? phrase.toString() : foldCase(phrase.toString()))
{ }

bool CellMatcher::matches(QStringView cell)
{
    if (m_rule.substring) {
        if (m_phrase.isEmpty() || cell.isEmpty())
            return false;
        return (m_rule.caseSensitive ? cell : foldCase(cell, m_buffer)).contains(m_phrase);
    }
    const QStringView part = comparedPart(cell, m_rule.keyPos, m_rule.keyLen);
    if (m_rule.caseSensitive)
        return part == m_phrase;
    return foldCase(part, m_buffer) == m_phrase;
}

void CellMatcher::useCompactCode(const std::function<QString(QByteArrayView)>& decode)
{
    m_compact = m_rule.substring && !m_phrase.isEmpty();
    if (!m_compact)
        return;
    const auto& upper = upperTable().unit;
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString text = decode(QByteArrayView(&byte, 1));
        char16_t unit = text.size() == 1 ? text.front().unicode() : 0;
        if (unit != 0 && !m_rule.caseSensitive)
            unit = upper[unit];
        m_byteUnit[std::size_t(b)] = unit;
        m_byteKind[std::size_t(b)] = unit == 0 && b != 0 ? 2 : unit == m_phrase.front() ? 1 : 0;
    }
    m_stopCount = 0;
    for (int b = 0; b < 256; ++b) {
        if (m_byteKind[std::size_t(b)] == 0)
            continue;
        if (m_stopCount == int(m_stops.size())) {
            m_stopCount = -1; // too many to look for at once: byte by byte
            break;
        }
        m_stops[std::size_t(m_stopCount++)] = std::uint8_t(b);
    }
}

qsizetype CellMatcher::nextStop(const std::uint8_t* bytes, qsizetype from, qsizetype size) const
{
    if (m_stopCount == 0)
        return size; // no byte of the code page starts the phrase
    qsizetype i = from;
#if defined(__SSE2__)
    if (m_stopCount > 0) {
        const auto stop = [this](std::size_t k) {
            return _mm_set1_epi8(char(m_stops[std::min(k, std::size_t(m_stopCount) - 1)]));
        };
        const __m128i s0 = stop(0);
        const __m128i s1 = stop(1);
        const __m128i s2 = stop(2);
        const __m128i s3 = stop(3);
        for (; i + 16 <= size; i += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            const __m128i hits
                = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, s0), _mm_cmpeq_epi8(block, s1)),
                    _mm_or_si128(_mm_cmpeq_epi8(block, s2), _mm_cmpeq_epi8(block, s3)));
            if (const int mask = _mm_movemask_epi8(hits))
                return i + __builtin_ctz(unsigned(mask));
        }
    }
#endif
    while (i < size && m_byteKind[bytes[i]] == 0)
        ++i;
    return i;
}

std::optional<bool> CellMatcher::matchesCompact(QByteArrayView cell) const
{
    if (!m_compact)
        return std::nullopt;
    const qsizetype n = cell.size();
    const qsizetype m = m_phrase.size();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(cell.data());
    // A character before a match that folds to more than one unit would shift it: such a cell
    // is left to the decoded text as soon as one is met.
    for (qsizetype i = nextStop(bytes, 0, n); i < n; i = nextStop(bytes, i + 1, n)) {
        if (m_byteKind[bytes[i]] == 2)
            return std::nullopt;
        if (i + m > n)
            continue;
        qsizetype j = 1;
        while (j < m && m_byteUnit[bytes[i + j]] == m_phrase[j].unicode())
            ++j;
        if (j == m)
            return true;
    }
    return false;
}

void CellRange::step(int& col, int& row) const
{
    if (!contains(col, row))
        return;
    if (rowWise) {
        if (++col > lastCol) {
            col = firstCol;
            ++row;
        }
    } else if (++row > lastRow) {
        row = firstRow;
        ++col;
    }
}

} // namespace kolvar::grid
