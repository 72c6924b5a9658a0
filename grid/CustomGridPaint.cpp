#include "CustomGrid.h"

#include "CustomGridPrivate.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace kolvar::grid {

// --- repainting -------------------------------------------------------------------------------

void CustomGrid::invalidateCell(int col, int row)
{
    const QRect rect = cellRect(col, row);
    if (!rect.isEmpty())
        viewport()->update(rect.adjusted(0, 0, gridLineWidth(), gridLineWidth()));
}

void CustomGrid::invalidateRow(int row)
{
    const auto y = d->rows.start(row, d->topRow, viewport()->height());
    if (y)
        viewport()->update(0, *y, viewport()->width(), d->rows.extent(row));
}

void CustomGrid::invalidateCol(int col)
{
    const auto x = d->cols.start(col, d->leftCol, viewport()->width());
    if (x)
        viewport()->update(*x, 0, d->cols.extent(col), viewport()->height());
}

void CustomGrid::invalidateGrid()
{
    viewport()->update();
}

GridCanvas& CustomGrid::canvas()
{
    return d->canvas;
}

void CustomGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect area = event->rect();
    const QSize view = viewport()->size();
    const int line = gridLineWidth();
    const auto colSpans = d->cols.visibleSpans(d->leftCol, view.width());
    const auto rowSpans = d->rows.visibleSpans(d->topRow, view.height());
    const GridRect sel = selection();
    const bool focused = hasFocus() || d->editor->hasFocus();
    const QColor fixedLine = palette().color(QPalette::Dark);
    const QColor dataLine = palette().color(QPalette::Mid);
    QColor focusColor = d->fontColor;

    d->canvas.painter = &painter;
    for (const auto& rs : rowSpans) {
        if (rs.pos > area.bottom() || rs.pos + rs.size + line <= area.top())
            continue;
        for (const auto& cs : colSpans) {
            if (cs.pos > area.right() || cs.pos + cs.size + line <= area.left())
                continue;
            const QRect rect(cs.pos, rs.pos, cs.size, rs.size);
            const bool fixed = rs.index < fixedRows() || cs.index < fixedCols();
            GridDrawState state = 0;
            if (fixed) {
                state |= gdFixed;
            } else {
                if (cs.index == d->current.x() && rs.index == d->current.y() && focused)
                    state |= gdFocused;
                if (cs.index >= sel.left && cs.index <= sel.right && rs.index >= sel.top
                    && rs.index <= sel.bottom)
                    state |= gdSelected;
            }
            const QColor background = fixed ? d->fixedColor : d->color;
            d->canvas.font = font();
            d->canvas.brush = QBrush(background);
            d->canvas.fontColor = d->fontColor;
            const bool isCurrent = QPoint(cs.index, rs.index) == d->current;
            // The current cell keeps its normal colours so the focus frame stays readable,
            // unless the whole row is the selection or the options ask for it.
            if ((state & gdSelected)
                && (!isCurrent || d->has(goDrawFocusSelected) || d->has(goRowSelect))) {
                d->canvas.brush = palette().brush(QPalette::Highlight);
                d->canvas.fontColor = palette().color(QPalette::HighlightedText);
            }
            if (isCurrent)
                focusColor = d->canvas.fontColor;
            painter.save();
            painter.setFont(d->canvas.font);
            painter.setBrush(d->canvas.brush);
            painter.setPen(d->canvas.fontColor);
            drawCell(cs.index, rs.index, rect, state);
            painter.restore();

            if (line > 0) {
                const bool vert = d->has(fixed ? goFixedVertLine : goVertLine);
                const bool horz = d->has(fixed ? goFixedHorzLine : goHorzLine);
                const QColor lineColor = fixed ? fixedLine : dataLine;
                painter.fillRect(QRect(rect.right() + 1, rect.top(), line, rect.height() + line),
                    vert ? lineColor : background);
                painter.fillRect(QRect(rect.left(), rect.bottom() + 1, rect.width(), line),
                    horz ? lineColor : background);
            }
        }
    }
    d->canvas.painter = nullptr;

    // Whatever lies beyond the last column and the last row.
    int right = 0;
    if (!colSpans.empty())
        right = colSpans.back().pos + colSpans.back().size + line;
    int bottom = 0;
    if (!rowSpans.empty())
        bottom = rowSpans.back().pos + rowSpans.back().size + line;
    if (right < view.width())
        painter.fillRect(QRect(right, 0, view.width() - right, view.height()), d->color);
    if (bottom < view.height())
        painter.fillRect(
            QRect(0, bottom, std::min(right, view.width()), view.height() - bottom), d->color);

    if (hasFocus() && !d->has(goRowSelect) && !d->editorShown) {
        const QRect rect = cellRect(d->current.x(), d->current.y());
        if (!rect.isEmpty()) {
            painter.setPen(QPen(focusColor, 1, Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
        }
    }
    paintMoveMarker(painter);
}

void CustomGrid::paintMoveMarker(QPainter& painter)
{
    const bool cols = d->state == GridState::gsColMoving;
    if ((!cols && d->state != GridState::gsRowMoving) || d->moveTo == d->moveFrom)
        return;
    const GridAxis& axis = cols ? d->cols : d->rows;
    const int first = cols ? d->leftCol : d->topRow;
    const int length = cols ? viewport()->width() : viewport()->height();
    const auto start = axis.start(d->moveTo, first, length);
    if (!start)
        return;
    // The marker sits on the side of the target where the moved one will land.
    const int at = d->moveTo > d->moveFrom ? *start + axis.extent(d->moveTo) - 1 : *start;
    const QColor color = palette().color(QPalette::Highlight);
    if (cols)
        painter.fillRect(QRect(at - 1, 0, 3, viewport()->height()), color);
    else
        painter.fillRect(QRect(0, at - 1, viewport()->width(), 3), color);
}

void CustomGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    placeEditor();
}

// --- virtual hooks ----------------------------------------------------------------------------

void CustomGrid::drawCell(int col, int row, const QRect& rect, GridDrawState state)
{
    if (d->defaultDrawing && d->canvas.painter)
        d->canvas.painter->fillRect(rect, d->canvas.brush);
    if (onDrawCell)
        onDrawCell(col, row, rect, state);
}

bool CustomGrid::selectCell(int col, int row)
{
    bool canSelect = true;
    if (onSelectCell)
        onSelectCell(col, row, canSelect);
    return canSelect;
}

void CustomGrid::colWidthsChanged() { }

void CustomGrid::rowHeightsChanged() { }

void CustomGrid::sizeChanged(int, int) { }

void CustomGrid::topLeftChanged()
{
    if (onTopLeftChanged)
        onTopLeftChanged();
}

void CustomGrid::rowMoved(int, int) { }

void CustomGrid::columnMoved(int, int) { }

void CustomGrid::rowDeleted(int) { }

void CustomGrid::columnDeleted(int) { }

void CustomGrid::click()
{
    if (onClick)
        onClick();
}

void CustomGrid::dblClick()
{
    if (onDblClick)
        onDblClick();
}

void CustomGrid::doEnter() { }

void CustomGrid::doExit()
{
    if (!d->has(goAlwaysShowEditor))
        hideEditor();
}

void CustomGrid::mouseEntered() { }

void CustomGrid::mouseLeft() { }

void CustomGrid::scrollBarsUpdated() { }

QString CustomGrid::getEditText(int, int)
{
    return {};
}

void CustomGrid::setEditText(int, int, const QString&) { }

QLineEdit* CustomGrid::inplaceEditor() const
{
    return d->editor;
}

} // namespace kolvar::grid
