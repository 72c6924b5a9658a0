#pragma once

#include <QAbstractScrollArea>
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QKeyEvent;
class QLineEdit;
class QPainter;

namespace kolvar::grid {

// The options of a grid: which lines are drawn and what the user may do with the mouse.
enum GridOption : unsigned {
    goFixedVertLine = 1u << 0,
    goFixedHorzLine = 1u << 1,
    goVertLine = 1u << 2,
    goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4,
    goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6,
    goColSizing = 1u << 7,
    goRowMoving = 1u << 8,
    goColMoving = 1u << 9,
    goEditing = 1u << 10,
    goTabs = 1u << 11,
    goRowSelect = 1u << 12,
    goAlwaysShowEditor = 1u << 13,
    goThumbTracking = 1u << 14,
};
using GridOptions = unsigned;

enum class ScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// How a cell is being drawn.
enum GridDrawFlag : unsigned { gdSelected = 1u << 0, gdFocused = 1u << 1, gdFixed = 1u << 2 };
using GridDrawState = unsigned;

// What the grid is doing with the mouse between a press and a release.
enum class GridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

// A rectangle of cells, inclusive on every side.
struct GridRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const GridRect&, const GridRect&) = default;
};

// The pen, brush and font a cell is painted with. The grid prepares it for every cell (fixed
// colour, selection highlight, grid font) before the cell is drawn; drawCell and its handlers
// may change it, and what they leave is what the cell is painted with.
struct GridCanvas
{
    QPainter* painter = nullptr;
    QBrush brush;
    QFont font;
    QColor fontColor;
};

// A grid of cells with fixed (title) rows and columns at the top and left, scrolling, a current
// cell and a selection, keyboard navigation, mouse sizing and moving of rows and columns, and an
// in-place editor. It holds no texts: StringGrid adds the cell store. Geometry is computed from
// the row heights and column widths alone; only the cells under the update region are painted.
//
// Sizes: a row height or column width of 0 hides the row or column (no cell, no grid line).
// Row and column indexes are 0-based; rows 0 .. fixedRows()-1 and columns 0 .. fixedCols()-1
// are fixed and never scroll.
class CustomGrid : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit CustomGrid(QWidget* parent = nullptr);
    ~CustomGrid() override;

    [[nodiscard]] int colCount() const;
    void setColCount(int count);
    [[nodiscard]] int rowCount() const;
    void setRowCount(int count);
    [[nodiscard]] int fixedCols() const;
    void setFixedCols(int count); // must stay below colCount()
    [[nodiscard]] int fixedRows() const;
    void setFixedRows(int count); // must stay below rowCount()

    [[nodiscard]] int colWidth(int col) const;
    void setColWidth(int col, int width);
    [[nodiscard]] int rowHeight(int row) const;
    void setRowHeight(int row, int height);
    [[nodiscard]] int defaultColWidth() const;
    void setDefaultColWidth(int width); // resets every column to it
    [[nodiscard]] int defaultRowHeight() const;
    void setDefaultRowHeight(int height); // resets every row to it
    [[nodiscard]] int gridLineWidth() const;
    void setGridLineWidth(int width);

    [[nodiscard]] QColor color() const; // background of the data cells
    void setColor(const QColor& color);
    [[nodiscard]] QColor fixedColor() const; // background of the fixed cells
    void setFixedColor(const QColor& color);
    [[nodiscard]] QColor fontColor() const;
    void setFontColor(const QColor& color);
    // The grid's font is the widget's font().

    [[nodiscard]] GridOptions options() const;
    void setOptions(GridOptions options);
    [[nodiscard]] ScrollStyle scrollBars() const;
    void setScrollBars(ScrollStyle style);
    [[nodiscard]] bool defaultDrawing() const;
    void setDefaultDrawing(bool on);

    // The current cell. Setting it to another data cell goes through selectCell, collapses the
    // selection to it (the whole row with goRowSelect), scrolls it into view and, as the user's
    // moves do, calls click(). Fixed or out-of-range cells are ignored.
    [[nodiscard]] int col() const;
    void setCol(int col);
    [[nodiscard]] int row() const;
    void setRow(int row);
    void setCurrentCell(int col, int row);
    [[nodiscard]] GridRect selection() const;
    // The current cell becomes its top-left; neither selectCell nor click() is called.
    void setSelection(const GridRect& rect);

    [[nodiscard]] int topRow() const; // first non-fixed row shown
    void setTopRow(int row);
    [[nodiscard]] int leftCol() const; // first non-fixed column shown
    void setLeftCol(int col);
    // Non-fixed rows (columns) shown completely from topRow (leftCol) on.
    [[nodiscard]] int visibleRowCount() const;
    [[nodiscard]] int visibleColCount() const;

    // Pixel rectangle of a cell in viewport coordinates; empty when the cell is not shown.
    [[nodiscard]] QRect cellRect(int col, int row) const;
    // The cell under a viewport point; false outside every cell.
    [[nodiscard]] bool mouseToCell(const QPoint& point, int& col, int& row) const;

    [[nodiscard]] GridState gridState() const;

    // In-place editor (goEditing): shown on F2, Enter or typing, or always with
    // goAlwaysShowEditor. The edited text reaches the cell through setEditText.
    [[nodiscard]] bool editorMode() const;
    void setEditorMode(bool on);
    void showEditor();
    void hideEditor();

    // Moves a row or column with its size and all it holds (rowMoved/columnMoved carry the
    // data); the current cell follows its row. Deleting calls rowDeleted/columnDeleted and then
    // sizeChanged, as any change of the counts does.
    void moveRow(int from, int to);
    void moveColumn(int from, int to);
    void deleteRow(int row);
    void deleteColumn(int col);

    // The text an assistive tool reads for a cell; the base grid holds none.
    [[nodiscard]] virtual QString accessibleText(int col, int row) const;

    void invalidateCell(int col, int row);
    void invalidateRow(int row);
    void invalidateCol(int col);
    void invalidateGrid();

    // Events. Each is optional; the grid calls it where the matching virtual below says.
    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void(int col, int row, const QRect& rect, GridDrawState state)> onDrawCell;
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, const QPoint&)> onMouseDown;
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, const QPoint&)> onMouseUp;
    std::function<void(int& key, Qt::KeyboardModifiers)> onKeyDown;
    std::function<void(int col, int row, bool& canSelect)> onSelectCell;
    std::function<void()> onTopLeftChanged;

protected:
    // The canvas of the cell being painted (valid inside drawCell and onDrawCell).
    [[nodiscard]] GridCanvas& canvas();

    // Paints one cell with the prepared canvas. The default fills the rect with the brush
    // (only with defaultDrawing) and calls onDrawCell; StringGrid draws the text.
    virtual void drawCell(int col, int row, const QRect& rect, GridDrawState state);
    // May the cell become current? The default asks onSelectCell.
    virtual bool selectCell(int col, int row);
    virtual void colWidthsChanged();
    virtual void rowHeightsChanged();
    virtual void sizeChanged(int oldColCount, int oldRowCount);
    virtual void topLeftChanged();
    virtual void rowMoved(int from, int to);
    virtual void columnMoved(int from, int to);
    virtual void rowDeleted(int row);
    virtual void columnDeleted(int col);
    virtual void click(); // fires onClick; the current cell changed by mouse or key
    virtual void dblClick(); // fires onDblClick
    virtual void doEnter(); // focus came into the grid or its editor from elsewhere
    virtual void doExit(); // focus left both; the default hides the editor
    virtual void mouseEntered(); // the pointer came over the control
    virtual void mouseLeft(); // and left it
    // The scroll bars' ranges and page steps have just been set from the geometry. This happens
    // only when the geometry changes (resize, counts, sizes, fixed counts, scroll style), never
    // on a mere scroll, and always before the colWidthsChanged/rowHeightsChanged/sizeChanged
    // call (or the end of the resizeEvent) that follows the change, so a page step written
    // there, or in those overrides after calling the base, stays until the next such change.
    virtual void scrollBarsUpdated();
    // Mouse and keys, called by the Qt event handlers; the defaults do the grid's own handling
    // (selection, sizing, moving, navigation) and fire the events.
    virtual void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos);
    virtual void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, const QPoint& pos);
    virtual void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos);
    virtual void keyDown(int& key, Qt::KeyboardModifiers mods);
    virtual void keyPress(QChar& key);
    // The in-place editor's text for a cell, and where its text goes.
    virtual QString getEditText(int col, int row);
    virtual void setEditText(int col, int row, const QString& value);

    // Qt plumbing.
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

    [[nodiscard]] QLineEdit* inplaceEditor() const;

    // Tells assistive tools, once the current event is handled, that what the cells hold has
    // changed as a whole (a load, a sort, rows added or taken away). Cheap enough to call per row.
    void announceReset();
    // Runs just before the current cell is told to assistive tools, so that a subclass can have
    // something said ahead of it.
    virtual void aboutToAnnounceCurrent() { }

private:
    void announceCurrent();
    void setTopLeft(int col, int row);
    void scrollIntoView(int col, int row);
    bool moveCurrent(int col, int row, bool moveAnchor, bool show);
    void clampPositions();
    void geometryChanged();
    void applyScrollStyle();
    void applyTracking();
    void updateScrollBars();
    void syncScrollValues();
    void showEditorIfAlways();
    void placeEditor();
    void restoreEditText();
    bool editorEvent(QEvent* event);
    void paintMoveMarker(QPainter& painter);
    bool sizingHit(const QPoint& pos, GridState& state, int& index) const;
    void selectTo(const QPoint& pos);
    void autoScrollStep();
    void processKey(QKeyEvent* event);
    void enterFocus();
    void leaveFocus(Qt::FocusReason reason);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace kolvar::grid
