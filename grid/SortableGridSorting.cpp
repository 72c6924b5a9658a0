#include "SortableGrid.h"

#include "GridAxis.h"
#include "SortGlyph.h"
#include "SortableGridGuards.h"

#include <QCollator>
#include <QLineEdit>
#include <algorithm>
#include <climits>
#include <cmath>

namespace kolvar::grid {

// ---- Sorting ----------------------------------------------------------------------------------

SortKeyKind SortableGrid::guessColumnKeyKind(int col)
{
    const int first = fixedRows();
    const int count = std::max(0, lastSortableRow() - first + 1);
    return guessKeyKind(
        count, [&](qsizetype i) { return cells(col, first + int(i)); }, KeyFormat());
}

void SortableGrid::orderByColumn(int col, const SortOptions& requested)
{
    if (editorShown() || rowCount() <= fixedRows() + 1)
        return;
    SortOptions options = requested;
    if (options.keyKind == skDetect)
        options.keyKind = guessColumnKeyKind(col);
    if (onBeginSort)
        onBeginSort(col, options);
    rearrangeRows(col, options);
    if (onEndSort)
        onEndSort(col);
}

void SortableGrid::rearrangeRows(int col, const SortOptions& options)
{
    m_sortRunning = true;
    const detail::AtScopeEnd finish([this] {
        m_sortRunning = false;
        m_rowsSorted = true;
    });
    m_sortEntries.releaseEntries();
    setSortDirection(options.direction);
    m_sortColumn = col;

    const int first = fixedRows();
    const int count = std::max(0, lastSortableRow() - first + 1);
    std::vector<QString> keys(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        keys[std::size_t(i)] = cells(col, first + i);
    const std::vector<int> order = sortedKeyOrder(keys, options, KeyFormat());

    m_sortEntries.reserve(count);
    std::vector<int> sourceOfRow(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::size_t k = std::size_t(order[i]);
        m_sortEntries.add({ std::move(keys[k]), first + order[i] });
        sourceOfRow[i] = first + order[i];
    }
    moveRowTexts(sourceOfRow, first);

    const int current = row();
    if (current >= first && current < first + count) {
        const auto at = std::find(sourceOfRow.begin(), sourceOfRow.end(), current);
        focusCell(this->col(), first + int(at - sourceOfRow.begin()));
    }
    // The glyph may have moved to another column even when the direction stayed.
    repaintRow(0);
}

// Row i from firstRow on receives the texts row sourceOfRow[i] had. Heights, hidden-row records
// and marks stay where they are: only the texts move.
void SortableGrid::moveRowTexts(const std::vector<int>& sourceOfRow, int firstRow)
{
    permuteRows(firstRow, sourceOfRow);
}

bool SortableGrid::preSortOrderKnown()
{
    if (m_sortEntries.count() == rowCount() - fixedRows())
        return true;
    m_sortEntries.releaseEntries();
    return false;
}

void SortableGrid::restorePreSortOrder()
{
    if (preSortOrderKnown()) {
        const int first = fixedRows();
        const int count = m_sortEntries.count();
        std::vector<int> sourceOfRow(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            sourceOfRow[std::size_t(m_sortEntries.entryAt(i).sourceRow - first)] = first + i;
        moveRowTexts(sourceOfRow, first);
        const int index = row() - first;
        if (index >= 0 && index < count)
            focusCell(col(), m_sortEntries.entryAt(index).sourceRow);
        m_sortEntries.releaseEntries();
    }
    m_rowsSorted = false;
}

void SortableGrid::loadSortGlyph()
{
    m_sortGlyph = QImage();
    m_sortGlyphMasked = QImage();
    QColor transparent = toQColor(colors::Aqua);
    switch (m_sortSymbol) {
    case sgNone:
        return;
    case sgCustom:
        m_sortGlyph = m_sortDirection == sdDescending ? m_sortBitMapD : m_sortBitMapA;
        if (!m_sortGlyph.isNull())
            transparent = m_sortGlyph.pixelColor(0, 0);
        break;
    case sgArrow:
    case sgGlyph: {
        const int k = (m_sortSymbol == sgGlyph ? 2 : 0) + (m_sortDirection == sdDescending ? 1 : 0);
        m_sortGlyph
            = loadSortGlyphResource(QStringLiteral("SORTUPSORTDNSORTAZSORTZA").mid(6 * k, 6));
        break;
    }
    }
    if (!m_sortGlyph.isNull())
        m_sortGlyphMasked = maskedGlyph(m_sortGlyph, transparent);
}

void SortableGrid::clickSort(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    const QLineEdit* editor = inplaceEditor();
    const bool focused = hasFocus() || (editor && editor->hasFocus());
    if (!focused || !m_sortOnClick || gridState() != GridState::gsNormal || fixedRows() < 1)
        return;
    if (mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return;
    if (m_buttonsAtRelease != Qt::NoButton)
        return;
    int c = 0;
    int r = 0;
    if (!mouseToCell(pos, c, r) || r < 0 || r > fixedRows() - 1)
        return;
    SortOptions options;
    options.keyKind = skDetect;
    options.direction = button == Qt::RightButton ? sdDescending : sdAscending;
    options.matchCase = m_caseSensitive;
    if (onClickSort)
        onClickSort(c, r, options);
    const detail::WaitCursor wait;
    orderByColumn(c, options);
}

} // namespace kolvar::grid
