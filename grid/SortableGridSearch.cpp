#include "SortableGrid.h"

#include "SortableGridGuards.h"

#include <QCollator>
#include <QLineEdit>
#include <algorithm>

namespace kolvar::grid {

// ---- Search ----------------------------------------------------------------------------------

bool SortableGrid::findFirst(const QString& text, bool byRows, int& col, int& row)
{
    const bool all = m_useFixed == hfYes;
    return startSearch(text,
        { all ? 0 : savedFixedCols(), all ? 0 : savedFixedRows(), colCount() - 1, rowCount() - 1,
            byRows },
        col, row);
}

bool SortableGrid::findFirstInRow(const QString& text, int inRow, int& col, int& row)
{
    const int firstCol = m_useFixed == hfYes ? 0 : savedFixedCols();
    return startSearch(text, { firstCol, inRow, colCount() - 1, inRow, true }, col, row);
}

bool SortableGrid::findFirstInCol(const QString& text, int inCol, int& col, int& row)
{
    const int firstRow = m_useFixed == hfYes ? 0 : savedFixedRows();
    return startSearch(text, { inCol, firstRow, inCol, rowCount() - 1, false }, col, row);
}

bool SortableGrid::startSearch(const QString& text, const CellRange& range, int& col, int& row)
{
    m_searchText = text;
    m_searchExists = true;
    m_searchFirstRow = range.firstRow;
    m_searchFirstCol = range.firstCol;
    m_searchLastRow = range.lastRow;
    m_searchLastCol = range.lastCol;
    m_scanRowWise = range.rowWise;
    m_searchRow = range.firstRow;
    m_searchCol = range.firstCol;
    return findNext(col, row);
}

bool SortableGrid::findNext(int& foundCol, int& foundRow)
{
    if (m_keyType == soString && m_searchSubstring)
        m_searchText = foldCase(m_searchText);
    CellMatcher matcher(m_searchText,
        { m_keyType == soStringCaseSensitive, m_searchSubstring, m_keyPos, m_keyLen });
    matcher.useCompactCode([this](QByteArrayView bytes) { return decodeCellBytes(bytes); });
    const CellRange range { m_searchFirstCol, m_searchFirstRow, m_searchLastCol, m_searchLastRow,
        m_scanRowWise };
    const detail::WaitCursor wait;
    const bool mayBeCut = anyCellCut();
    while (range.contains(m_searchCol, m_searchRow)) {
        const int col = m_searchCol;
        const int row = m_searchRow;
        range.step(m_searchCol, m_searchRow);
        // The grid may have shrunk since the search started; a cell it no longer has is no hit,
        // not even for an empty phrase.
        if (col < 0 || row < 0 || col >= colCount() || row >= rowCount())
            continue;
        const auto test = [&](std::optional<QByteArrayView> bytes) {
            const std::optional<bool> inPlace
                = bytes ? matcher.matchesCompact(*bytes) : std::nullopt;
            return inPlace ? *inPlace
                           : matcher.matches(bytes ? decodeCellBytes(*bytes) : cells(col, row));
        };
        // A cell that keeps only the beginning of its text is searched through the whole text.
        bool hit = false;
        if (!mayBeCut || !useWholeCell(col, row, [&](QByteArrayView whole) { hit = test(whole); }))
            hit = test(cellBytes(col, row));
        if (hit) {
            foundCol = col;
            foundRow = row;
            return true;
        }
    }
    foundCol = -1;
    foundRow = -1;
    return false;
}

} // namespace kolvar::grid
