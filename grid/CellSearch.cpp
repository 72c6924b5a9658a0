#include "CellSearch.h"

#include <algorithm>

namespace kolvar::grid {

QString foldCase(QString text)
{
    // The rvalue overload upper-cases in place when the text is not shared.
    return std::move(text).toUpper();
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

QStringView CellMatcher::folded(QStringView text)
{
    m_buffer.resize(text.size()); // keeps the capacity of earlier cells
    std::copy(text.begin(), text.end(), m_buffer.begin());
    m_buffer = foldCase(std::move(m_buffer));
    return m_buffer;
}

bool CellMatcher::matches(QStringView cell)
{
    if (m_rule.substring) {
        if (m_phrase.isEmpty() || cell.isEmpty())
            return false;
        return (m_rule.caseSensitive ? cell : folded(cell)).contains(m_phrase);
    }
    const QStringView part = comparedPart(cell, m_rule.keyPos, m_rule.keyLen);
    if (m_rule.caseSensitive)
        return part == m_phrase;
    return folded(part) == m_phrase;
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
