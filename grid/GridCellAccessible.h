#pragma once

#include <QAccessibleInterface>
#include <QPointer>

namespace kolvar::grid {

class CustomGrid;

// One cell of a grid as an assistive tool sees it: a data cell, a column header (a cell of the
// title row) or a row header (a cell of the fixed column). It holds only its grid position and
// reads the grid live, so it never shows a text the grid no longer has.
class GridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    GridCellAccessible(CustomGrid* grid, int col, int row);

    [[nodiscard]] int gridCol() const { return m_col; }
    [[nodiscard]] int gridRow() const { return m_row; }

    void* interface_cast(QAccessible::InterfaceType type) override;
    [[nodiscard]] bool isValid() const override;
    [[nodiscard]] QObject* object() const override { return nullptr; }
    [[nodiscard]] QWindow* window() const override;
    [[nodiscard]] QAccessibleInterface* parent() const override;
    [[nodiscard]] QAccessibleInterface* child(int) const override { return nullptr; }
    [[nodiscard]] int childCount() const override { return 0; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    [[nodiscard]] QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    [[nodiscard]] QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override { }
    [[nodiscard]] QRect rect() const override;
    [[nodiscard]] QAccessible::Role role() const override;
    [[nodiscard]] QAccessible::State state() const override;

    [[nodiscard]] bool isSelected() const override;
    [[nodiscard]] QList<QAccessibleInterface*> columnHeaderCells() const override;
    [[nodiscard]] QList<QAccessibleInterface*> rowHeaderCells() const override;
    [[nodiscard]] int columnIndex() const override;
    [[nodiscard]] int rowIndex() const override;
    [[nodiscard]] int columnExtent() const override { return 1; }
    [[nodiscard]] int rowExtent() const override { return 1; }
    [[nodiscard]] QAccessibleInterface* table() const override { return parent(); }

private:
    [[nodiscard]] bool isColumnHeader() const;
    [[nodiscard]] bool isRowHeader() const;
    [[nodiscard]] QAccessibleInterface* header(int col, int row) const;

    QPointer<CustomGrid> m_grid;
    int m_col;
    int m_row;
};

} // namespace kolvar::grid
