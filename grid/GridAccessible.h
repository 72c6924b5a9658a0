#pragma once

#include <QAccessibleWidget>
#include <QHash>

#include <vector>

namespace kolvar::grid {

class CustomGrid;

// What an assistive tool sees of a grid: a table whose rows are the grid's non-fixed rows and
// whose columns are its shown non-fixed columns (a hidden column is not there at all). The title
// row gives the column headers and the fixed column the row headers, falling back to the row's
// number where it holds no text. Children are laid out as Qt lays out its own tables: the header
// row first, and in every row the row header first.
//
// Cells are made only when a tool asks for one and kept, keyed by their grid cell, until the grid
// announces that its rows changed; a million rows cost nothing until somebody reads them.
class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit GridAccessible(CustomGrid* grid);
    ~GridAccessible() override;
    GridAccessible(const GridAccessible&) = delete;
    GridAccessible& operator=(const GridAccessible&) = delete;

    // Registers the interface for every CustomGrid; called by the grid, once is enough.
    static void install();

    // The child index of a grid cell, -1 for a cell that is not in the table (a hidden column,
    // outside the grid).
    [[nodiscard]] static int childIndex(const CustomGrid& grid, int col, int row);
    // The column of the cell a tool is told is current: the current cell's own, or where that
    // column is hidden (a list of whole rows starts on its hidden key column) the nearest shown
    // one after it, else before it; -1 when no column is shown.
    [[nodiscard]] static int spokenColumn(const CustomGrid& grid);

    void* interface_cast(QAccessible::InterfaceType type) override;
    [[nodiscard]] QAccessibleInterface* child(int index) const override;
    [[nodiscard]] int childCount() const override;
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override;
    [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override;
    [[nodiscard]] QAccessibleInterface* focusChild() const override;

    [[nodiscard]] QAccessibleInterface* caption() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* summary() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* cellAt(int row, int column) const override;
    [[nodiscard]] int selectedCellCount() const override;
    [[nodiscard]] QList<QAccessibleInterface*> selectedCells() const override;
    [[nodiscard]] QString columnDescription(int column) const override;
    [[nodiscard]] QString rowDescription(int row) const override;
    [[nodiscard]] int selectedColumnCount() const override;
    [[nodiscard]] int selectedRowCount() const override;
    [[nodiscard]] int columnCount() const override;
    [[nodiscard]] int rowCount() const override;
    [[nodiscard]] QList<int> selectedColumns() const override;
    [[nodiscard]] QList<int> selectedRows() const override;
    [[nodiscard]] bool isColumnSelected(int column) const override;
    [[nodiscard]] bool isRowSelected(int row) const override;
    // Selecting a row makes it current, as the keys do; nothing else changes a grid's selection
    // from outside.
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

    // The interface of a grid cell, made on first use; nullptr outside the grid.
    [[nodiscard]] QAccessibleInterface* cellInterface(int col, int row) const;

private:
    [[nodiscard]] CustomGrid* grid() const;
    [[nodiscard]] std::vector<int> shownColumns() const;
    void dropCells();

    mutable QHash<quint64, QAccessible::Id> m_cells;
};

} // namespace kolvar::grid
