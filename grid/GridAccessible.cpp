#include "GridAccessible.h"

#include "CustomGrid.h"
#include "GridCellAccessible.h"

#include <algorithm>

namespace kolvar::grid {

namespace {

QAccessibleInterface* makeGridAccessible(const QString&, QObject* object)
{
    if (auto* grid = qobject_cast<CustomGrid*>(object))
        return new GridAccessible(grid);
    return nullptr;
}

quint64 cellKey(int col, int row)
{
    return (quint64(quint32(row)) << 32) | quint32(col);
}

// Where the table's rows and columns start among the children: a header row and a header column
// take the first of each when the grid has fixed rows and columns.
struct ChildLayout
{
    int headerRows;
    int headerCols;
    int tableCols;
    [[nodiscard]] int width() const { return tableCols + headerCols; }
};

ChildLayout childLayout(const CustomGrid& grid, int shownCols)
{
    return { grid.fixedRows() > 0 ? 1 : 0, grid.fixedCols() > 0 ? 1 : 0, shownCols };
}

std::vector<int> shownColumnsOf(const CustomGrid& grid)
{
    std::vector<int> cols;
    for (int c = grid.fixedCols(); c < grid.colCount(); ++c) {
        if (grid.colWidth(c) > 0)
            cols.push_back(c);
    }
    return cols;
}

} // namespace

GridAccessible::GridAccessible(CustomGrid* grid)
    : QAccessibleWidget(grid, QAccessible::Table)
{ }

GridAccessible::~GridAccessible()
{
    dropCells();
}

void GridAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(makeGridAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

CustomGrid* GridAccessible::grid() const
{
    return static_cast<CustomGrid*>(widget());
}

std::vector<int> GridAccessible::shownColumns() const
{
    return shownColumnsOf(*grid());
}

int GridAccessible::childIndex(const CustomGrid& grid, int col, int row)
{
    if (col < 0 || row < 0 || col >= grid.colCount() || row >= grid.rowCount())
        return -1;
    const std::vector<int> shown = shownColumnsOf(grid);
    const ChildLayout layout = childLayout(grid, int(shown.size()));
    int tableCol = -1;
    if (col >= grid.fixedCols()) {
        const auto at = std::find(shown.begin(), shown.end(), col);
        if (at == shown.end())
            return -1;
        tableCol = int(at - shown.begin());
    }
    const int tableRow = row < grid.fixedRows() ? -1 : row - grid.fixedRows();
    return (tableRow + layout.headerRows) * layout.width() + tableCol + layout.headerCols;
}

int GridAccessible::spokenColumn(const CustomGrid& grid)
{
    const std::vector<int> shown = shownColumnsOf(grid);
    if (shown.empty())
        return -1;
    const auto at = std::lower_bound(shown.begin(), shown.end(), grid.col());
    return at != shown.end() ? *at : shown.back();
}

void* GridAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* GridAccessible::cellInterface(int col, int row) const
{
    CustomGrid* g = grid();
    if (col < 0 || row < 0 || col >= g->colCount() || row >= g->rowCount())
        return nullptr;
    const quint64 key = cellKey(col, row);
    if (const auto it = m_cells.constFind(key); it != m_cells.constEnd())
        return QAccessible::accessibleInterface(*it);
    auto* cell = new GridCellAccessible(g, col, row);
    m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

void GridAccessible::dropCells()
{
    for (const QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
}

int GridAccessible::childCount() const
{
    const ChildLayout layout = childLayout(*grid(), int(shownColumns().size()));
    return (rowCount() + layout.headerRows) * layout.width();
}

QAccessibleInterface* GridAccessible::child(int index) const
{
    const std::vector<int> shown = shownColumns();
    const ChildLayout layout = childLayout(*grid(), int(shown.size()));
    if (index < 0 || layout.width() == 0
        || index >= (rowCount() + layout.headerRows) * layout.width())
        return nullptr;
    const int tableRow = index / layout.width() - layout.headerRows;
    const int tableCol = index % layout.width() - layout.headerCols;
    const int col = tableCol < 0 ? 0 : shown[std::size_t(tableCol)];
    const int row = tableRow < 0 ? 0 : tableRow + grid()->fixedRows();
    return cellInterface(col, row);
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* cell = dynamic_cast<const GridCellAccessible*>(child);
    if (!cell || cell->parent() != this)
        return -1;
    return childIndex(*grid(), cell->gridCol(), cell->gridRow());
}

QAccessibleInterface* GridAccessible::childAt(int x, int y) const
{
    CustomGrid* g = grid();
    int col = 0;
    int row = 0;
    if (!g->mouseToCell(g->viewport()->mapFromGlobal(QPoint(x, y)), col, row))
        return nullptr;
    return cellInterface(col, row);
}

QAccessibleInterface* GridAccessible::focusChild() const
{
    CustomGrid* g = grid();
    if (g->hasFocus())
        return cellInterface(spokenColumn(*g), g->row());
    return QAccessibleWidget::focusChild();
}

QAccessibleInterface* GridAccessible::cellAt(int row, int column) const
{
    const std::vector<int> shown = shownColumns();
    if (row < 0 || row >= rowCount() || column < 0 || column >= int(shown.size()))
        return nullptr;
    return cellInterface(shown[std::size_t(column)], row + grid()->fixedRows());
}

int GridAccessible::rowCount() const
{
    return grid()->rowCount() - grid()->fixedRows();
}

int GridAccessible::columnCount() const
{
    return int(shownColumns().size());
}

QString GridAccessible::columnDescription(int column) const
{
    const std::vector<int> shown = shownColumns();
    if (grid()->fixedRows() == 0 || column < 0 || column >= int(shown.size()))
        return {};
    return grid()->accessibleText(shown[std::size_t(column)], 0).trimmed();
}

QString GridAccessible::rowDescription(int row) const
{
    if (grid()->fixedCols() == 0 || row < 0 || row >= rowCount())
        return {};
    QAccessibleInterface* header = cellInterface(0, row + grid()->fixedRows());
    return header ? header->text(QAccessible::Name) : QString();
}

QList<QAccessibleInterface*> GridAccessible::selectedCells() const
{
    const GridRect s = grid()->selection();
    QList<QAccessibleInterface*> cells;
    for (int row = s.top; row <= s.bottom; ++row) {
        for (const int col : shownColumns()) {
            if (col >= s.left && col <= s.right)
                cells.append(cellInterface(col, row));
        }
    }
    return cells;
}

int GridAccessible::selectedCellCount() const
{
    const GridRect s = grid()->selection();
    const std::vector<int> shown = shownColumns();
    const auto cols = std::count_if(
        shown.begin(), shown.end(), [&s](int c) { return c >= s.left && c <= s.right; });
    return int(cols) * (s.bottom - s.top + 1);
}

QList<int> GridAccessible::selectedColumns() const
{
    QList<int> cols;
    for (int c = 0; c < columnCount(); ++c) {
        if (isColumnSelected(c))
            cols.append(c);
    }
    return cols;
}

QList<int> GridAccessible::selectedRows() const
{
    // Only whole rows count, and a selection is a single block of them.
    QList<int> rows;
    const GridRect s = grid()->selection();
    if (!isRowSelected(s.top - grid()->fixedRows()))
        return rows;
    for (int r = s.top; r <= s.bottom; ++r)
        rows.append(r - grid()->fixedRows());
    return rows;
}

int GridAccessible::selectedColumnCount() const
{
    return int(selectedColumns().size());
}

int GridAccessible::selectedRowCount() const
{
    return int(selectedRows().size());
}

bool GridAccessible::isColumnSelected(int column) const
{
    const std::vector<int> shown = shownColumns();
    if (column < 0 || column >= int(shown.size()))
        return false;
    const GridRect s = grid()->selection();
    const int col = shown[std::size_t(column)];
    return col >= s.left && col <= s.right && s.top == grid()->fixedRows()
        && s.bottom == grid()->rowCount() - 1;
}

bool GridAccessible::isRowSelected(int row) const
{
    if (row < 0 || row >= rowCount())
        return false;
    const GridRect s = grid()->selection();
    const int r = row + grid()->fixedRows();
    return r >= s.top && r <= s.bottom && s.left == grid()->fixedCols()
        && s.right == grid()->colCount() - 1;
}

bool GridAccessible::selectRow(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    grid()->setRow(row + grid()->fixedRows());
    return grid()->row() == row + grid()->fixedRows();
}

void GridAccessible::modelChange(QAccessibleTableModelChangeEvent*)
{
    dropCells();
}

} // namespace kolvar::grid
