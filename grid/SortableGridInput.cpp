#include "SortableGrid.h"

#include "GridAxis.h"
#include "SortableGridGuards.h"
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

namespace kolvar::grid {

// ---- Mouse and keyboard -----------------------------------------------------------------------

void SortableGrid::mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    StringGrid::mouseDown(button, mods, pos);
    if (button != Qt::LeftButton || !(options() & goRangeSelect))
        return;
    int c = 0;
    int r = 0;
    if (!mouseToCell(pos, c, r) || r < fixedRows())
        return;
    m_markDragging = true;
    m_markLastRow = r;
    if (mods & Qt::ControlModifier) {
        toggleRowMark(r);
        m_markAnchor = r;
    } else if (mods & Qt::ShiftModifier) {
        const int first = std::min(m_markAnchor, r);
        const int last = std::max(m_markAnchor, r);
        for (const int marked : m_markedRows.rows()) {
            if (marked < first || marked > last)
                setRowMark(marked, false);
        }
        setRowMarkRange(first, last, true);
    } else {
        m_markedRows = RowMarkSet(r);
        m_markAnchor = r;
        viewport()->update();
    }
}

void SortableGrid::mouseMove(
    Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    StringGrid::mouseMove(buttons, mods, pos);
    if (!m_markDragging)
        return;
    int c = 0;
    int r = 0;
    // Outside the cells the marking waits for the pointer to come back (or the grid to scroll);
    // over the title rows it reaches the first row in view.
    if (!mouseToCell(pos, c, r))
        return;
    r = std::max(r, topRow());
    if (r == m_markLastRow)
        return;
    for (const MarkSpan& span : dragMarkSpans(m_markAnchor, m_markLastRow, r))
        setRowMarkRange(span.first, span.last, span.marked);
    m_markLastRow = r;
}

void SortableGrid::topLeftChanged()
{
    StringGrid::topLeftChanged();
    if (m_markDragging && topRow() > m_markPrevTopRow) {
        m_markLastRow = std::min(topRow() + visibleRowCount() - 1, rowCount() - 1);
        setRowMark(m_markLastRow, true);
    }
    m_markPrevTopRow = topRow();
}

void SortableGrid::mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    clickSort(button, mods, pos);
    StringGrid::mouseUp(button, mods, pos);
    m_markDragging = false;
}

void SortableGrid::mouseReleaseEvent(QMouseEvent* event)
{
    // The click sort needs to know whether another button is still held.
    m_buttonsAtRelease = event->buttons();
    const detail::AtScopeEnd reset([this] { m_buttonsAtRelease = Qt::NoButton; });
    StringGrid::mouseReleaseEvent(event);
}

void SortableGrid::keyDown(int& key, Qt::KeyboardModifiers mods)
{
    StringGrid::keyDown(key, mods);
    if (!m_extendedKeys || editorShown())
        return;
    const Qt::KeyboardModifiers held = mods & ~Qt::KeypadModifier;
    if (held == Qt::ControlModifier) {
        if (key == Qt::Key_Insert)
            addRowAt(row());
        else if (key == Qt::Key_Delete && fixedRows() + 1 < rowCount())
            removeRowAt(row());
    } else if (held == (Qt::ControlModifier | Qt::ShiftModifier)) {
        if (key == Qt::Key_Insert)
            addColumnAt(col());
        else if (key == Qt::Key_Delete && fixedCols() + 1 < colCount())
            removeColumnAt(col());
    }
}

void SortableGrid::keyPress(QChar& key)
{
    if (key == u'\r' || key == u'\n')
        confirmEditCell();
    StringGrid::keyPress(key);
}

// ---- In-place editing -------------------------------------------------------------------------

void SortableGrid::rememberEditCell()
{
    m_entryCol = col();
    m_entryRow = row();
    m_entryText = cells(m_entryCol, m_entryRow);
    m_modifiedAtEntry = m_cellsModified;
}

void SortableGrid::confirmEditCell()
{
    const QString edited = cells(m_entryCol, m_entryRow);
    if (edited != m_entryText) {
        QString value = edited;
        bool valid = true;
        if (onCellValidate)
            onCellValidate(m_entryCol, m_entryRow, value, valid);
        if (valid) {
            if (value != cells(m_entryCol, m_entryRow))
                setCells(m_entryCol, m_entryRow, value);
        } else {
            const bool changedByHandler = value != cells(m_entryCol, m_entryRow);
            setCells(m_entryCol, m_entryRow, changedByHandler ? value : m_entryText);
            m_cellsModified = m_modifiedAtEntry;
        }
    }
    rememberEditCell();
}

void SortableGrid::setEditText(int col, int row, const QString& value)
{
    if (value != cells(col, row))
        m_cellsModified = true;
    StringGrid::setEditText(col, row, value);
}

void SortableGrid::click()
{
    // A failing OnClick handler must not leave an edit unconfirmed.
    try {
        StringGrid::click();
    } catch (...) {
        if (m_focusHeld)
            confirmEditCell();
        throw;
    }
    if (m_focusHeld)
        confirmEditCell();
}

void SortableGrid::doEnter()
{
    StringGrid::doEnter();
    m_focusHeld = true;
    rememberEditCell();
}

void SortableGrid::doExit()
{
    // The main window learns of the last edit through OnClick, so leaving the grid clicks it.
    const detail::AtScopeEnd leave([this] {
        StringGrid::doExit();
        m_focusHeld = false;
    });
    click();
}

} // namespace kolvar::grid
