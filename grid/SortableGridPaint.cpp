#include "Zarur.h"

#include "GridAxis.h"
#include "SortGlyph.h"
#include "ZarurGuards.h"
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

void TZarur::RepaintRow(int Row)
{
    for (int c = fixedCols(); c < colCount(); ++c)
        invalidateCell(c, Row);
}

void TZarur::PrepareCellFormat(int Col, int Row, TFormatOptions& Format)
{
    prepareCellFormat(m_painting ? canvas() : m_measureCanvas, Col, Row, Format);
}

void TZarur::prepareCellFormat(GridCanvas& canvas, int col, int row, TFormatOptions& format)
{
    Q_UNUSED(col);
    if (isFooterRow(row)) {
        canvas.font = m_footerFont;
        canvas.fontColor = toQColor(m_footerFontColor);
        canvas.brush.setColor(toQColor(m_footerColor));
        format.CellBevel = m_footerBevelStyle;
    } else {
        format.CellBevel = m_bevelStyle;
    }
    format.SuppressText = false;
    format.CellFont = &canvas.font;
    format.CellFontColor = &canvas.fontColor;
    format.CellBrush = &canvas.brush;
    format.HorzAlign = m_alignmentHorz;
    format.VertAlign = m_alignmentVert;
    switch (format.CellBevel) {
    case cbRaised:
        format.TopLeftColor = colors::BtnHighlight;
        format.BottomRightColor = colors::BtnShadow;
        break;
    case cbLowered:
        format.TopLeftColor = colors::BtnShadow;
        format.BottomRightColor = colors::BtnHighlight;
        break;
    case cbNone:
        format.TopLeftColor = colors::Window;
        format.BottomRightColor = colors::Window;
        break;
    }
}

void TZarur::PaintSortGlyph(int X, int Y)
{
    if (m_sortGlyphMasked.isNull() || !m_painting)
        return;
    canvas().painter->drawImage(QPoint(X, Y), m_sortGlyphMasked);
}

void TZarur::drawCell(int col, int row, const QRect& rect, GridDrawState state)
{
    m_painting = true;
    const detail::AtScopeEnd done([this] { m_painting = false; });
    GridCanvas& cv = canvas();
    TFormatOptions format;
    prepareCellFormat(cv, col, row, format);

    const bool marked = m_markedRows.contains(row);
    const GridDrawState shown
        = marked ? (state | gdSelected) : (state & ~GridDrawState(gdSelected));
    if (!(state & gdFixed) && !isFooterRow(row) && (options() & goRangeSelect)) {
        cv.brush.setColor(toQColor(marked ? colors::Highlight : colors::Window));
        cv.fontColor = toQColor(marked ? colors::HighlightText : colors::WindowText);
    }
    if (OnGetCellFormat)
        OnGetCellFormat(col, row, state, format);

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
    const int dx = cut ? 0 : horzTextOffset(format.HorzAlign, rect.width(), textWidth);
    const int dy = vertTextOffset(format.VertAlign, rect.height(), metrics.height());

    p->save();
    p->setClipRect(rect, Qt::IntersectClip);
    p->setRenderHint(QPainter::Antialiasing, false);
    p->fillRect(rect, cv.brush);
    if (!format.SuppressText && !text.isEmpty()) {
        p->setFont(cv.font);
        p->setPen(cv.fontColor);
        p->drawText(QPoint(rect.left() + dx, rect.top() + dy + metrics.ascent()), text);
    }
    if (m_sortSymbol != sgNone && row == 0 && col == m_sortColumn && fixedRows() > 0)
        PaintSortGlyph(
            rect.left() + dx + textWidth + m_sortSpacingHor, rect.top() + dy + m_sortSpacingVert);

    if (format.CellBevel != cbNone && col >= fixedCols() && row >= fixedRows()) {
        // Right and bottom edges first, so that the light edges win the corners they share.
        const int left = rect.left();
        const int top = rect.top();
        const int right = rect.left() + rect.width();
        const int bottom = rect.top() + rect.height();
        const QColor light = toQColor(format.TopLeftColor);
        const QColor dark = toQColor(format.BottomRightColor);
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

GridDrawState TZarur::CellDrawState(int Col, int Row) const
{
    GridDrawState state = 0;
    if (Row < fixedRows() && Col < fixedCols())
        state |= gdFixed;
    const QLineEdit* editor = inplaceEditor();
    const bool focused = hasFocus() || (editor && editor->hasFocus());
    if (focused && Col == col() && Row == row())
        state |= gdFocused;
    const GridRect sel = selection();
    if (Col >= sel.left && Col <= sel.right && Row >= sel.top && Row <= sel.bottom)
        state |= gdSelected;
    return state;
}

void TZarur::FitColumnWidth(int Col)
{
    GridCanvas& cv = m_measureCanvas;
    cv.font = font();
    int widest = 0;
    for (int r = 0; r < rowCount(); ++r) {
        TFormatOptions format;
        prepareCellFormat(cv, Col, r, format);
        if (OnGetCellFormat)
            OnGetCellFormat(Col, r, CellDrawState(Col, r), format);
        widest = std::max(widest, QFontMetrics(cv.font).horizontalAdvance(cells(Col, r)));
    }
    setColWidth(Col, widest + QFontMetrics(cv.font).horizontalAdvance(QStringLiteral("x")));
}

void TZarur::FitAllColumns(bool IncludeFixed, int Extra)
{
    const auto fit = [this, Extra](int c) {
        FitColumnWidth(c);
        if (Extra != 0)
            setColWidth(c, colWidth(c) + Extra);
    };
    if (IncludeFixed) {
        for (int c = 0; c < fixedCols(); ++c)
            fit(c);
    }
    for (int c = fixedCols(); c < colCount(); ++c)
        fit(c);
}

void TZarur::FitRowHeight(int Row)
{
    const QFontMetrics metrics(font());
    int height = defaultRowHeight();
    for (int c = 0; c < colCount(); ++c) {
        const QString text = cells(c, Row);
        if (text.isEmpty())
            continue;
        // Cells scrolled out of view have no screen rectangle; their column width stands in.
        const QRect cell = cellRect(c, Row);
        const int width = std::max(1, cell.isEmpty() ? colWidth(c) : cell.width());
        const QRect bounds
            = metrics.boundingRect(QRect(0, 0, width, INT_MAX / 2), Qt::TextWordWrap, text);
        height = std::max(height, bounds.height() + 1);
    }
    if (m_hiddenSizes.RecallSize(Row, szRow) != -1) {
        m_hiddenSizes.ForgetSize(Row, szRow);
        m_hiddenSizes.RememberSize(Row, height, szRow);
    } else {
        setRowHeight(Row, height);
    }
}

void TZarur::fitRowsWhere(int first, int last, const std::function<bool(int)>& take)
{
    for (int r = std::max(0, first); r <= last && r < rowCount(); ++r) {
        if (take(rowHeight(r)))
            FitRowHeight(r);
    }
}

void TZarur::FitRowHeights(int First, int Last)
{
    fitRowsWhere(First, Last, [](int) { return true; });
}

void TZarur::FitShownRowHeights(int First, int Last)
{
    fitRowsWhere(First, Last, [](int height) { return height != 0; });
}

void TZarur::FitHiddenRowHeights(int First, int Last)
{
    fitRowsWhere(First, Last, [](int height) { return height == 0; });
}

void TZarur::AdjustScrollThumbs()
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
