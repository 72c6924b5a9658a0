#include "CustomGrid.h"

#include "CustomGridPrivate.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace kolvar::grid {

namespace {

// How far from a grid line a press still grabs it for sizing.
constexpr int sizingSlack = 3;

} // namespace

// --- in-place editor --------------------------------------------------------------------------

bool CustomGrid::editorMode() const
{
    return d->editorShown;
}

void CustomGrid::setEditorMode(bool on)
{
    if (on)
        showEditor();
    else
        hideEditor();
}

void CustomGrid::showEditor()
{
    if (!d->has(goEditing) || d->has(goRowSelect) || d->editorShown)
        return;
    d->editCell = d->current;
    d->editOriginal = getEditText(d->editCell.x(), d->editCell.y());
    d->editor->setText(d->editOriginal);
    d->editor->setFont(font());
    d->editorShown = true;
    placeEditor();
    d->editor->show();
    if (d->focusInside || hasFocus())
        d->editor->setFocus(Qt::OtherFocusReason);
}

void CustomGrid::hideEditor()
{
    if (!d->editorShown)
        return;
    d->editorShown = false;
    // Take the focus back first, or it would wander off to the next widget of the window.
    if (d->editor->hasFocus())
        setFocus(Qt::OtherFocusReason);
    d->editor->hide();
    invalidateCell(d->editCell.x(), d->editCell.y());
}

void CustomGrid::showEditorIfAlways()
{
    if (d->has(goAlwaysShowEditor))
        showEditor();
}

void CustomGrid::placeEditor()
{
    if (!d->editorShown)
        return;
    const QRect rect = cellRect(d->editCell.x(), d->editCell.y());
    // A cell scrolled away keeps its editor (and the focus) out of sight.
    d->editor->setGeometry(rect.isEmpty() ? QRect(-10000, -10000, 10, 10) : rect);
}

void CustomGrid::restoreEditText()
{
    setEditText(d->editCell.x(), d->editCell.y(), d->editOriginal);
    d->editor->setText(d->editOriginal);
}

bool CustomGrid::editorEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        enterFocus();
        return false;
    case QEvent::FocusOut:
        leaveFocus(static_cast<QFocusEvent*>(event)->reason());
        return false;
    case QEvent::KeyPress:
        break;
    default:
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    bool toGrid = false;
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_F2:
        toGrid = true;
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        toGrid = d->has(goTabs);
        break;
    case Qt::Key_Left:
        toGrid = plain && d->editor->cursorPosition() == 0 && !d->editor->hasSelectedText();
        break;
    case Qt::Key_Right:
        toGrid = plain && d->editor->cursorPosition() == d->editor->text().size()
            && !d->editor->hasSelectedText();
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        toGrid = (key->modifiers() & Qt::ControlModifier) != 0;
        break;
    default:
        break;
    }
    if (toGrid) {
        processKey(key);
        return true;
    }
    // Typed characters go past the grid first, which may change or swallow them.
    const QString text = key->text();
    if (text.size() == 1 && text.at(0).isPrint() && plain) {
        QChar ch = text.at(0);
        keyPress(ch);
        if (ch.isNull())
            return true;
        if (ch != text.at(0)) {
            d->editor->insert(QString(ch));
            setEditText(d->editCell.x(), d->editCell.y(), d->editor->text());
            return true;
        }
    }
    return false;
}

// --- mouse ------------------------------------------------------------------------------------

bool CustomGrid::sizingHit(const QPoint& pos, GridState& state, int& index) const
{
    const int line = gridLineWidth();
    auto nearestBorder = [&](const GridAxis& axis, int first, int length, int pixel) {
        int best = -1;
        int bestDistance = sizingSlack + 1;
        for (const auto& span : axis.visibleSpans(first, length)) {
            const int border = span.pos + span.size + line / 2;
            const int distance = std::abs(pixel - border);
            if (distance < bestDistance) {
                best = span.index;
                bestDistance = distance;
            }
        }
        return best;
    };
    if (d->has(goColSizing) && pos.y() >= 0 && pos.y() < d->rows.fixedExtent()) {
        index = nearestBorder(d->cols, d->leftCol, viewport()->width(), pos.x());
        if (index >= 0) {
            state = GridState::gsColSizing;
            return true;
        }
    }
    if (d->has(goRowSizing) && pos.x() >= 0 && pos.x() < d->cols.fixedExtent()) {
        index = nearestBorder(d->rows, d->topRow, viewport()->height(), pos.y());
        if (index >= 0) {
            state = GridState::gsRowSizing;
            return true;
        }
    }
    return false;
}

void CustomGrid::mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    if (button == Qt::LeftButton) {
        if (!hasFocus() && !d->editor->hasFocus())
            setFocus(Qt::MouseFocusReason);
        GridState sizing = GridState::gsNormal;
        int index = -1;
        int c = -1;
        int r = -1;
        if (sizingHit(pos, sizing, index)) {
            const bool cols = sizing == GridState::gsColSizing;
            d->state = sizing;
            d->sizingIndex = index;
            d->sizingOrigin = cols ? pos.x() : pos.y();
            d->sizingStartSize = cols ? colWidth(index) : rowHeight(index);
        } else if (mouseToCell(pos, c, r)) {
            if (r < fixedRows() && c >= fixedCols() && d->has(goColMoving)) {
                d->state = GridState::gsColMoving;
                d->moveFrom = d->moveTo = c;
            } else if (c < fixedCols() && r >= fixedRows() && d->has(goRowMoving)) {
                d->state = GridState::gsRowMoving;
                d->moveFrom = d->moveTo = r;
            } else if (d->isDataCell(c, r)) {
                d->pressOnCurrent = QPoint(c, r) == d->current && !d->editorShown;
                const bool extend = (mods & Qt::ShiftModifier) && d->has(goRangeSelect);
                moveCurrent(c, r, !extend, true);
                d->state = GridState::gsSelecting;
                d->lastMousePos = pos;
            }
        }
    }
    if (onMouseDown)
        onMouseDown(button, mods, pos);
}

void CustomGrid::selectTo(const QPoint& pos)
{
    // Past an edge the drag takes the outermost cell shown on that side.
    auto nearest = [](const GridAxis& axis, int first, int length, int pixel) {
        const int fullyShown = axis.fullyVisibleCount(first, length);
        const int last = std::max(first, first + fullyShown - 1);
        if (pixel < axis.fixedExtent())
            return first;
        const int index = axis.indexAt(pixel, first, length);
        if (index < 0)
            return std::min(last, axis.count() - 1);
        return std::max(index, axis.fixed());
    };
    const int r = nearest(d->rows, d->topRow, viewport()->height(), pos.y());
    const int c = d->has(goRowSelect) ? d->current.x()
                                      : nearest(d->cols, d->leftCol, viewport()->width(), pos.x());
    if (QPoint(c, r) != d->current)
        moveCurrent(c, r, !d->has(goRangeSelect), false);
}

void CustomGrid::autoScrollStep()
{
    if (d->state != GridState::gsSelecting) {
        d->autoScroll->stop();
        return;
    }
    const QPoint pos = d->lastMousePos;
    int dy = 0;
    int dx = 0;
    if (pos.y() >= viewport()->height())
        dy = 1;
    else if (pos.y() < d->rows.fixedExtent())
        dy = -1;
    if (!d->has(goRowSelect)) {
        if (pos.x() >= viewport()->width())
            dx = 1;
        else if (pos.x() < d->cols.fixedExtent())
            dx = -1;
    }
    setTopLeft(d->leftCol + dx, d->topRow + dy);
    selectTo(pos);
}

void CustomGrid::mouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, const QPoint& pos)
{
    switch (d->state) {
    case GridState::gsSelecting: {
        d->lastMousePos = pos;
        selectTo(pos);
        const bool outside = pos.y() >= viewport()->height() || pos.y() < d->rows.fixedExtent()
            || (!d->has(goRowSelect)
                && (pos.x() >= viewport()->width() || pos.x() < d->cols.fixedExtent()));
        if (outside && !d->autoScroll->isActive())
            d->autoScroll->start();
        else if (!outside)
            d->autoScroll->stop();
        break;
    }
    case GridState::gsColSizing:
        setColWidth(d->sizingIndex, std::max(1, d->sizingStartSize + pos.x() - d->sizingOrigin));
        break;
    case GridState::gsRowSizing:
        setRowHeight(d->sizingIndex, std::max(1, d->sizingStartSize + pos.y() - d->sizingOrigin));
        break;
    case GridState::gsColMoving:
    case GridState::gsRowMoving: {
        const bool cols = d->state == GridState::gsColMoving;
        const GridAxis& axis = cols ? d->cols : d->rows;
        const int first = cols ? d->leftCol : d->topRow;
        const int length = cols ? viewport()->width() : viewport()->height();
        const int pixel = cols ? pos.x() : pos.y();
        int target = axis.indexAt(pixel, first, length);
        if (pixel < axis.fixedExtent())
            target = first;
        else if (target < 0)
            target = std::min(
                axis.count() - 1, first + std::max(0, axis.fullyVisibleCount(first, length) - 1));
        target = std::max(target, axis.fixed());
        if (target != d->moveTo) {
            d->moveTo = target;
            viewport()->update();
        }
        break;
    }
    case GridState::gsNormal: {
        GridState sizing = GridState::gsNormal;
        int index = -1;
        if (sizingHit(pos, sizing, index))
            viewport()->setCursor(
                sizing == GridState::gsColSizing ? Qt::SplitHCursor : Qt::SplitVCursor);
        else
            viewport()->unsetCursor();
        break;
    }
    }
}

void CustomGrid::mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    if (button == Qt::LeftButton) {
        const GridState state = std::exchange(d->state, GridState::gsNormal);
        switch (state) {
        case GridState::gsSelecting:
            d->autoScroll->stop();
            click();
            if (d->pressOnCurrent && d->has(goEditing))
                showEditor();
            break;
        case GridState::gsColMoving:
            if (d->moveTo != d->moveFrom)
                moveColumn(d->moveFrom, d->moveTo);
            viewport()->update();
            break;
        case GridState::gsRowMoving:
            if (d->moveTo != d->moveFrom)
                moveRow(d->moveFrom, d->moveTo);
            viewport()->update();
            break;
        case GridState::gsColSizing:
        case GridState::gsRowSizing:
        case GridState::gsNormal:
            break;
        }
        d->pressOnCurrent = false;
        d->moveFrom = d->moveTo = -1;
    }
    if (onMouseUp)
        onMouseUp(button, mods, pos);
}

void CustomGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        d->leftDown = true;
    mouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void CustomGrid::mouseMoveEvent(QMouseEvent* event)
{
    mouseMove(event->buttons(), event->modifiers(), event->position().toPoint());
}

void CustomGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        d->leftDown = false;
    mouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

void CustomGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // Some platforms send the second press only as the double click: it still presses.
    if (!d->leftDown) {
        d->leftDown = true;
        mouseDown(event->button(), event->modifiers(), event->position().toPoint());
    }
    dblClick();
}

// --- keyboard ---------------------------------------------------------------------------------

namespace {

// The next shown index from `from` in a direction, or `from` when there is none.
int stepShown(const GridAxis& axis, int from, int step)
{
    for (int i = from + step; i >= axis.fixed() && i < axis.count(); i += step) {
        if (axis.size(i) > 0)
            return i;
    }
    return from;
}

} // namespace

void CustomGrid::keyDown(int& key, Qt::KeyboardModifiers mods)
{
    if (onKeyDown)
        onKeyDown(key, mods);
    if (key == 0)
        return;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool rowSelect = d->has(goRowSelect);
    int c = d->current.x();
    int r = d->current.y();
    int top = d->topRow;
    bool extendable = true;
    switch (key) {
    case Qt::Key_Up:
        r = stepShown(d->rows, r, -1);
        break;
    case Qt::Key_Down:
        r = stepShown(d->rows, r, 1);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = key == Qt::Key_Right ? 1 : -1;
        c = stepShown(d->cols, c, step);
        if (!rowSelect)
            break;
        // A row is one whole case: Left and Right go from field to field of it, so that a screen
        // reader hears each under its column's title, and nothing is clicked, for the row stays.
        // A long text cut off at the view's edge would stay out of sight, though: while the
        // current field runs past the edge, and on the last (first) field, the key scrolls the
        // view one column instead and the field stays current. A field's own start is never
        // scrolled away; columns in view are scrolled away only for that.
        const int here = d->current.x();
        const int width = viewport()->width();
        const auto start = d->cols.start(here, d->leftCol, width);
        const bool runsPast = step > 0
            ? here > d->leftCol && (!start || *start + d->cols.size(here) > width)
            : here < d->leftCol;
        if (runsPast || c == here) {
            const int left = d->leftCol;
            setLeftCol(stepShown(d->cols, left, step));
            if (d->leftCol != left || c == here)
                return;
        }
        if (!moveCurrent(c, r, true, false))
            return;
        if (c < d->leftCol)
            setLeftCol(c);
        else if (!d->cols.start(c, d->leftCol, width))
            setLeftCol(d->cols.firstShowingAtEnd(c, width));
        return;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int page = std::max(1, visibleRowCount());
        const int step = key == Qt::Key_PageDown ? page : -page;
        r = std::clamp(r + step, fixedRows(), rowCount() - 1);
        top = d->topRow + step;
        break;
    }
    case Qt::Key_Home:
        if (ctrl) {
            c = fixedCols();
            r = fixedRows();
        } else if (rowSelect) {
            r = fixedRows();
        } else {
            c = fixedCols();
        }
        break;
    case Qt::Key_End:
        if (ctrl) {
            c = colCount() - 1;
            r = rowCount() - 1;
        } else if (rowSelect) {
            r = rowCount() - 1;
        } else {
            c = colCount() - 1;
        }
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (!d->has(goTabs))
            return;
        extendable = false;
        const bool back = key == Qt::Key_Backtab || shift;
        if (rowSelect) {
            r = std::clamp(r + (back ? -1 : 1), fixedRows(), rowCount() - 1);
        } else if (back) {
            if (--c < fixedCols() && r > fixedRows()) {
                c = colCount() - 1;
                --r;
            }
        } else if (++c >= colCount() && r < rowCount() - 1) {
            c = fixedCols();
            ++r;
        }
        break;
    }
    case Qt::Key_F2:
        showEditor();
        if (d->editorShown)
            d->editor->deselect();
        return;
    default:
        return;
    }
    c = std::clamp(c, fixedCols(), colCount() - 1);
    r = std::clamp(r, fixedRows(), rowCount() - 1);
    if (top != d->topRow)
        setTopRow(top);
    if (QPoint(c, r) == d->current)
        return;
    const bool extend = extendable && shift && d->has(goRangeSelect);
    if (moveCurrent(c, r, !extend, true))
        click();
}

void CustomGrid::keyPress(QChar& key)
{
    if (key == QChar(u'\r')) {
        if (!d->has(goEditing))
            return;
        if (!d->editorShown)
            showEditor();
        else if (!d->has(goAlwaysShowEditor))
            hideEditor();
        return;
    }
    if (key == QChar(0x1b)) {
        if (!d->editorShown)
            return;
        restoreEditText();
        if (!d->has(goAlwaysShowEditor))
            hideEditor();
        return;
    }
    if (!key.isPrint() || d->editorShown || !d->has(goEditing))
        return;
    showEditor();
    if (!d->editorShown)
        return;
    d->editor->setText(QString(key));
    setEditText(d->editCell.x(), d->editCell.y(), d->editor->text());
}

void CustomGrid::processKey(QKeyEvent* event)
{
    int key = event->key();
    keyDown(key, event->modifiers());
    if (key == 0)
        return;
    const QString text = event->text();
    if (text.size() != 1 || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return;
    QChar ch = text.at(0);
    if (ch.isPrint() || ch == QChar(u'\r') || ch == QChar(0x1b))
        keyPress(ch);
}

void CustomGrid::keyPressEvent(QKeyEvent* event)
{
    processKey(event);
    event->accept();
}

bool CustomGrid::focusNextPrevChild(bool next)
{
    // With goTabs the Tab key walks the cells instead of leaving the grid.
    if (d->has(goTabs))
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

// --- focus and hover --------------------------------------------------------------------------

void CustomGrid::enterFocus()
{
    if (d->focusInside)
        return;
    d->focusInside = true;
    doEnter();
}

void CustomGrid::leaveFocus(Qt::FocusReason reason)
{
    // Another window coming to the front, or a popup menu, is no exit from the grid.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    const QWidget* now = QApplication::focusWidget();
    if (now == this || now == d->editor || !d->focusInside)
        return;
    d->focusInside = false;
    doExit();
}

void CustomGrid::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    if (d->editorShown)
        d->editor->setFocus(event->reason());
    enterFocus();
    viewport()->update();
    // The toolkit tells assistive tools that the grid took the focus only after this handler
    // returns, and that news overrides whatever came before it: the current cell is told once
    // it is out, or a reader says the table and never where in it the user is.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (hasFocus())
                announceCurrent();
        },
        Qt::QueuedConnection);
}

void CustomGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    leaveFocus(event->reason());
    viewport()->update();
}

bool CustomGrid::viewportEvent(QEvent* event)
{
    return QAbstractScrollArea::viewportEvent(event);
}

void CustomGrid::enterEvent(QEnterEvent* event)
{
    QAbstractScrollArea::enterEvent(event);
    mouseEntered();
}

void CustomGrid::leaveEvent(QEvent* event)
{
    QAbstractScrollArea::leaveEvent(event);
    mouseLeft();
}

} // namespace kolvar::grid
