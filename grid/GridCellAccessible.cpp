#include "GridCellAccessible.h"

#include "CustomGrid.h"
#include "GridAccessible.h"

namespace kolvar::grid {

GridCellAccessible::GridCellAccessible(CustomGrid* grid, int col, int row)
    : m_grid(grid)
    , m_col(col)
    , m_row(row)
{ }

void* GridCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    // Headers are cells of no table row or column; a tool asks the table for them.
    if (type == QAccessible::TableCellInterface && !isColumnHeader() && !isRowHeader())
        return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
}

bool GridCellAccessible::isValid() const
{
    return m_grid && m_col < m_grid->colCount() && m_row < m_grid->rowCount();
}

QWindow* GridCellAccessible::window() const
{
    QAccessibleInterface* table = parent();
    return table ? table->window() : nullptr;
}

QAccessibleInterface* GridCellAccessible::parent() const
{
    return m_grid ? QAccessible::queryAccessibleInterface(m_grid.data()) : nullptr;
}

bool GridCellAccessible::isColumnHeader() const
{
    return m_grid && m_row < m_grid->fixedRows();
}

bool GridCellAccessible::isRowHeader() const
{
    return m_grid && m_col < m_grid->fixedCols() && m_row >= m_grid->fixedRows();
}

QString GridCellAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid())
        return {};
    // Titles are padded with blanks to widen their columns; a reader has no use for them.
    const QString shown = m_grid->accessibleText(m_col, m_row).trimmed();
    if (shown.isEmpty() && isRowHeader())
        return QString::number(m_row - m_grid->fixedRows() + 1);
    return shown;
}

QRect GridCellAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect cell = m_grid->cellRect(m_col, m_row);
    if (cell.isEmpty())
        return {};
    return { m_grid->viewport()->mapToGlobal(cell.topLeft()), cell.size() };
}

QAccessible::Role GridCellAccessible::role() const
{
    if (isColumnHeader())
        return QAccessible::ColumnHeader;
    if (isRowHeader())
        return QAccessible::RowHeader;
    return QAccessible::Cell;
}

QAccessible::State GridCellAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    if (m_grid->cellRect(m_col, m_row).isEmpty())
        state.offscreen = true;
    if (isColumnHeader() || isRowHeader())
        return state;
    state.selectable = true;
    state.focusable = true;
    state.selected = isSelected();
    state.focused = m_grid->hasFocus() && m_grid->row() == m_row
        && GridAccessible::spokenColumn(*m_grid) == m_col;
    return state;
}

bool GridCellAccessible::isSelected() const
{
    if (!isValid())
        return false;
    const GridRect s = m_grid->selection();
    return m_col >= s.left && m_col <= s.right && m_row >= s.top && m_row <= s.bottom;
}

QAccessibleInterface* GridCellAccessible::header(int col, int row) const
{
    auto* table = dynamic_cast<GridAccessible*>(parent());
    return table ? table->cellInterface(col, row) : nullptr;
}

QList<QAccessibleInterface*> GridCellAccessible::columnHeaderCells() const
{
    if (!isValid() || m_grid->fixedRows() == 0)
        return {};
    return { header(m_col, 0) };
}

QList<QAccessibleInterface*> GridCellAccessible::rowHeaderCells() const
{
    if (!isValid() || m_grid->fixedCols() == 0)
        return {};
    return { header(0, m_row) };
}

int GridCellAccessible::columnIndex() const
{
    if (!isValid())
        return -1;
    int index = 0;
    for (int c = m_grid->fixedCols(); c < m_col; ++c) {
        if (m_grid->colWidth(c) > 0)
            ++index;
    }
    return index;
}

int GridCellAccessible::rowIndex() const
{
    return isValid() ? m_row - m_grid->fixedRows() : -1;
}

} // namespace kolvar::grid
