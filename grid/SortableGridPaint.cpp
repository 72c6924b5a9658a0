#include "SortableGrid.h"

#include "GridAxis.h"
#include "SortGlyph.h"
#include "SortableGridGuards.h"
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>

namespace kolvar::grid {

// ---- Painting ---------------------------------------------------------------------------------

void SortableGrid::repaintRow(int row)
{
    for (int c = fixedCols(); c < colCount(); ++c)
        invalidateCell(c, row);
}

void SortableGrid::prepareCellFormat(int col, int row, CellFormat& format)
{
    prepareCellFormat(m_painting ? canvas() : m_measureCanvas, col, row, format);
}

void SortableGrid::prepareCellFormat(GridCanvas& canvas, int col, int row, CellFormat& format)
{
    Q_UNUSED(col);
    if (isFooterRow(row)) {
        canvas.font = m_footerFont;
        canvas.fontColor = toQColor(m_footerFontColor);
        canvas.brush.setColor(toQColor(m_footerColor));
        format.cellBevel = m_footerBevelStyle;
    } else {
        format.cellBevel = m_bevelStyle;
    }
    format.suppressText = false;
    format.cellFont = &canvas.font;
    format.cellFontColor = &canvas.fontColor;
    format.cellBrush = &canvas.brush;
    format.horzAlign = m_alignmentHorz;
    format.vertAlign = m_alignmentVert;
    switch (format.cellBevel) {
    case cbRaised:
        format.topLeftColor = colors::BtnHighlight;
        format.bottomRightColor = colors::BtnShadow;
        break;
    case cbLowered:
        format.topLeftColor = colors::BtnShadow;
        format.bottomRightColor = colors::BtnHighlight;
        break;
    case cbNone:
        format.topLeftColor = colors::Window;
        format.bottomRightColor = colors::Window;
        break;
    }
}

void SortableGrid::paintSortGlyph(int x, int y)
{
    if (m_sortGlyphMasked.isNull() || !m_painting)
        return;
    canvas().painter->drawImage(QPoint(x, y), m_sortGlyphMasked);
}

void SortableGrid::drawCell(int col, int row, const QRect& rect, GridDrawState state)
{
    m_painting = true;
    const detail::AtScopeEnd done([this] { m_painting = false; });
    GridCanvas& cv = canvas();
    CellFormat format;
    prepareCellFormat(cv, col, row, format);

    const bool marked = m_markedRows.contains(row);
    const GridDrawState shown
        = marked ? (state | gdSelected) : (state & ~GridDrawState(gdSelected));
    if (!(state & gdFixed) && !isFooterRow(row) && (options() & goRangeSelect)) {
        cv.brush.setColor(toQColor(marked ? colors::Highlight : colors::Window));
        cv.fontColor = toQColor(marked ? colors::HighlightText : colors::WindowText);
    }
    if (onGetCellFormat)
        onGetCellFormat(col, row, state, format);

    if (!defaultDrawing()) {
        StringGrid::drawCell(col, row, rect, shown);
        return;
    }

    QPainter* p = cv.painter;
    bool cut = false;
    const QString text = shownText(col, row, rect.width(), &cut);
    const QFontMetrics metrics(cv.font, p->device());
    const int textWidth = metrics.horizontalAdvance(text);
    // Of a text far wider than its cell the beginning is shown, whatever the alignment: its
    // middle, megabytes in, would tell the reader nothing, and finding it means laying it all out.
    const int dx = cut ? 0 : horzTextOffset(format.horzAlign, rect.width(), textWidth);
    const int dy = vertTextOffset(format.vertAlign, rect.height(), metrics.height());

    p->save();
    p->setClipRect(rect, Qt::IntersectClip);
    p->setRenderHint(QPainter::Antialiasing, false);
    p->fillRect(rect, cv.brush);
    if (!format.suppressText && !text.isEmpty()) {
        p->setFont(cv.font);
        p->setPen(cv.fontColor);
        p->drawText(QPoint(rect.left() + dx, rect.top() + dy + metrics.ascent()), text);
    }
    if (m_sortSymbol != sgNone && row == 0 && col == m_sortColumn && fixedRows() > 0)
        paintSortGlyph(
            rect.left() + dx + textWidth + m_sortSpacingHor, rect.top() + dy + m_sortSpacingVert);

    if (format.cellBevel != cbNone && col >= fixedCols() && row >= fixedRows()) {
        // Right and bottom edges first, so that the light edges win the corners they share.
        const int left = rect.left();
        const int top = rect.top();
        const int right = rect.left() + rect.width();
        const int bottom = rect.top() + rect.height();
        const QColor light = toQColor(format.topLeftColor);
        const QColor dark = toQColor(format.bottomRightColor);
        const GridOptions opts = options();
        if (opts & goFixedVertLine) {
            p->setPen(QPen(dark, 0));
            p->drawLine(right - 1, top, right - 1, bottom - 1);
        }
        if (opts & goFixedHorzLine) {
            p->setPen(QPen(dark, 0));
            p->drawLine(left, bottom - 1, right - 1, bottom - 1);
        }
        if (opts & goFixedVertLine) {
            p->setPen(QPen(light, 0));
            p->drawLine(left, top, left, bottom - 1);
        }
        if (opts & goFixedHorzLine) {
            p->setPen(QPen(light, 0));
            p->drawLine(left, top, right - 1, top);
        }
    }
    p->restore();

    if (onDrawCell)
        onDrawCell(col, row, rect, shown);
}

GridDrawState SortableGrid::cellDrawState(int col, int row) const
{
    GridDrawState state = 0;
    if (row < fixedRows() && col < fixedCols())
        state |= gdFixed;
    const QLineEdit* editor = inplaceEditor();
    const bool focused = hasFocus() || (editor && editor->hasFocus());
    if (focused && col == this->col() && row == this->row())
        state |= gdFocused;
    const GridRect sel = selection();
    if (col >= sel.left && col <= sel.right && row >= sel.top && row <= sel.bottom)
        state |= gdSelected;
    return state;
}

void SortableGrid::fitColumnWidth(int col)
{
    GridCanvas& cv = m_measureCanvas;
    cv.font = font();
    int widest = 0;
    for (int r = 0; r < rowCount(); ++r) {
        CellFormat format;
        prepareCellFormat(cv, col, r, format);
        if (onGetCellFormat)
            onGetCellFormat(col, r, cellDrawState(col, r), format);
        widest = std::max(widest, QFontMetrics(cv.font).horizontalAdvance(cells(col, r)));
    }
    setColWidth(col, widest + QFontMetrics(cv.font).horizontalAdvance(QStringLiteral("x")));
}

void SortableGrid::fitAllColumns(bool includeFixed, int extra)
{
    const auto fit = [this, extra](int c) {
        fitColumnWidth(c);
        if (extra != 0)
            setColWidth(c, colWidth(c) + extra);
    };
    if (includeFixed) {
        for (int c = 0; c < fixedCols(); ++c)
            fit(c);
    }
    for (int c = fixedCols(); c < colCount(); ++c)
        fit(c);
}

void SortableGrid::fitRowHeight(int row)
{
    const QFontMetrics metrics(font());
    int height = defaultRowHeight();
    for (int c = 0; c < colCount(); ++c) {
        const QString text = cells(c, row);
        if (text.isEmpty())
            continue;
        // Cells scrolled out of view have no screen rectangle; their column width stands in.
        const QRect cell = cellRect(c, row);
        const int width = std::max(1, cell.isEmpty() ? colWidth(c) : cell.width());
        const QRect bounds
            = metrics.boundingRect(QRect(0, 0, width, INT_MAX / 2), Qt::TextWordWrap, text);
        height = std::max(height, bounds.height() + 1);
    }
    if (m_hiddenSizes.recallSize(row, szRow) != -1) {
        m_hiddenSizes.forgetSize(row, szRow);
        m_hiddenSizes.rememberSize(row, height, szRow);
    } else {
        setRowHeight(row, height);
    }
}

void SortableGrid::fitRowsWhere(int first, int last, const std::function<bool(int)>& take)
{
    for (int r = std::max(0, first); r <= last && r < rowCount(); ++r) {
        if (take(rowHeight(r)))
            fitRowHeight(r);
    }
}

void SortableGrid::fitRowHeights(int first, int last)
{
    fitRowsWhere(first, last, [](int) { return true; });
}

void SortableGrid::fitShownRowHeights(int first, int last)
{
    fitRowsWhere(first, last, [](int height) { return height != 0; });
}

void SortableGrid::fitHiddenRowHeights(int first, int last)
{
    fitRowsWhere(first, last, [](int height) { return height == 0; });
}

void SortableGrid::adjustScrollThumbs()
{
    const ScrollStyle bars = scrollBars();
    if (bars == ScrollStyle::ssVertical || bars == ScrollStyle::ssBoth) {
        QScrollBar* bar = verticalScrollBar();
        bar->setPageStep(m_proportionalScrollBars ? proportionalPageStep(visibleRowCount(),
                             fixedRows(), rowCount(), bar->minimum(), bar->maximum())
                                                  : 0);
    }
    if (bars == ScrollStyle::ssHorizontal || bars == ScrollStyle::ssBoth) {
        QScrollBar* bar = horizontalScrollBar();
        bar->setPageStep(m_proportionalScrollBars ? proportionalPageStep(visibleColCount(),
                             fixedCols(), colCount(), bar->minimum(), bar->maximum())
                                                  : 0);
    }
}

} // namespace kolvar::grid
