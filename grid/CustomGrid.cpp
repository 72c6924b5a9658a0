#include "CustomGrid.h"

#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace kolvar::grid {

struct CustomGrid::Private
{
    int colCount = 5;
    int rowCount = 5;
    int fixedCols = 1;
    int fixedRows = 1;
    int defaultColWidth = 64;
    int defaultRowHeight = 24;
    int gridLineWidth = 1;
    std::vector<int> colWidths = std::vector<int>(5, 64);
    std::vector<int> rowHeights = std::vector<int>(5, 24);
    QColor color;
    QColor fixedColor;
    QColor fontColor;
    GridOptions options
        = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    ScrollStyle scrollBars = ScrollStyle::ssBoth;
    bool defaultDrawing = true;
    int col = 1;
    int row = 1;
    int topRow = 1;
    int leftCol = 1;
    GridCanvas canvas;
    GridState state = GridState::gsNormal;
    QLineEdit* editor = nullptr;
};

CustomGrid::CustomGrid(QWidget* parent)
    : QAbstractScrollArea(parent)
    , d(std::make_unique<Private>())
{
    d->color = palette().color(QPalette::Base);
    d->fixedColor = palette().color(QPalette::Button);
    d->fontColor = palette().color(QPalette::Text);
    d->editor = new QLineEdit(viewport());
    d->editor->hide();
}

CustomGrid::~CustomGrid() = default;

int CustomGrid::colCount() const
{
    return d->colCount;
}
void CustomGrid::setColCount(int count)
{
    const int old = d->colCount;
    d->colCount = std::max(1, count);
    d->colWidths.resize(size_t(d->colCount), d->defaultColWidth);
    sizeChanged(old, d->rowCount);
}
int CustomGrid::rowCount() const
{
    return d->rowCount;
}
void CustomGrid::setRowCount(int count)
{
    const int old = d->rowCount;
    d->rowCount = std::max(1, count);
    d->rowHeights.resize(size_t(d->rowCount), d->defaultRowHeight);
    sizeChanged(d->colCount, old);
}
int CustomGrid::fixedCols() const
{
    return d->fixedCols;
}
void CustomGrid::setFixedCols(int count)
{
    d->fixedCols = count;
}
int CustomGrid::fixedRows() const
{
    return d->fixedRows;
}
void CustomGrid::setFixedRows(int count)
{
    d->fixedRows = count;
}
int CustomGrid::colWidth(int col) const
{
    return d->colWidths.at(size_t(col));
}
void CustomGrid::setColWidth(int col, int width)
{
    d->colWidths.at(size_t(col)) = width;
    colWidthsChanged();
}
int CustomGrid::rowHeight(int row) const
{
    return d->rowHeights.at(size_t(row));
}
void CustomGrid::setRowHeight(int row, int height)
{
    d->rowHeights.at(size_t(row)) = height;
    rowHeightsChanged();
}
int CustomGrid::defaultColWidth() const
{
    return d->defaultColWidth;
}
void CustomGrid::setDefaultColWidth(int width)
{
    d->defaultColWidth = width;
}
int CustomGrid::defaultRowHeight() const
{
    return d->defaultRowHeight;
}
void CustomGrid::setDefaultRowHeight(int height)
{
    d->defaultRowHeight = height;
}
int CustomGrid::gridLineWidth() const
{
    return d->gridLineWidth;
}
void CustomGrid::setGridLineWidth(int width)
{
    d->gridLineWidth = width;
}
QColor CustomGrid::color() const
{
    return d->color;
}
void CustomGrid::setColor(const QColor& color)
{
    d->color = color;
}
QColor CustomGrid::fixedColor() const
{
    return d->fixedColor;
}
void CustomGrid::setFixedColor(const QColor& color)
{
    d->fixedColor = color;
}
QColor CustomGrid::fontColor() const
{
    return d->fontColor;
}
void CustomGrid::setFontColor(const QColor& color)
{
    d->fontColor = color;
}
GridOptions CustomGrid::options() const
{
    return d->options;
}
void CustomGrid::setOptions(GridOptions options)
{
    d->options = options;
}
ScrollStyle CustomGrid::scrollBars() const
{
    return d->scrollBars;
}
void CustomGrid::setScrollBars(ScrollStyle style)
{
    d->scrollBars = style;
}
bool CustomGrid::defaultDrawing() const
{
    return d->defaultDrawing;
}
void CustomGrid::setDefaultDrawing(bool on)
{
    d->defaultDrawing = on;
}
int CustomGrid::col() const
{
    return d->col;
}
void CustomGrid::setCol(int col)
{
    setCurrentCell(col, d->row);
}
int CustomGrid::row() const
{
    return d->row;
}
void CustomGrid::setRow(int row)
{
    setCurrentCell(d->col, row);
}
void CustomGrid::setCurrentCell(int col, int row)
{
    if (selectCell(col, row)) {
        d->col = col;
        d->row = row;
    }
}
GridRect CustomGrid::selection() const
{
    return { d->col, d->row, d->col, d->row };
}
void CustomGrid::setSelection(const GridRect& rect)
{
    d->col = rect.left;
    d->row = rect.top;
}
int CustomGrid::topRow() const
{
    return d->topRow;
}
void CustomGrid::setTopRow(int row)
{
    d->topRow = row;
}
int CustomGrid::leftCol() const
{
    return d->leftCol;
}
void CustomGrid::setLeftCol(int col)
{
    d->leftCol = col;
}
int CustomGrid::visibleRowCount() const
{
    return 1;
}
int CustomGrid::visibleColCount() const
{
    return 1;
}
QRect CustomGrid::cellRect(int, int) const
{
    return {};
}
bool CustomGrid::mouseToCell(const QPoint&, int&, int&) const
{
    return false;
}
GridState CustomGrid::gridState() const
{
    return d->state;
}
bool CustomGrid::editorMode() const
{
    return d->editor->isVisible();
}
void CustomGrid::setEditorMode(bool on)
{
    on ? showEditor() : hideEditor();
}
void CustomGrid::showEditor() { }
void CustomGrid::hideEditor() { }
void CustomGrid::moveRow(int from, int to)
{
    rowMoved(from, to);
}
void CustomGrid::moveColumn(int from, int to)
{
    columnMoved(from, to);
}
void CustomGrid::deleteRow(int row)
{
    rowDeleted(row);
}
void CustomGrid::deleteColumn(int col)
{
    columnDeleted(col);
}
void CustomGrid::invalidateCell(int, int)
{
    viewport()->update();
}
void CustomGrid::invalidateRow(int)
{
    viewport()->update();
}
void CustomGrid::invalidateCol(int)
{
    viewport()->update();
}
void CustomGrid::invalidateGrid()
{
    viewport()->update();
}
GridCanvas& CustomGrid::canvas()
{
    return d->canvas;
}
void CustomGrid::drawCell(int col, int row, const QRect& rect, GridDrawState state)
{
    if (onDrawCell)
        onDrawCell(col, row, rect, state);
}
bool CustomGrid::selectCell(int col, int row)
{
    bool can = true;
    if (onSelectCell)
        onSelectCell(col, row, can);
    return can;
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
void CustomGrid::doExit() { }
void CustomGrid::mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    if (onMouseDown)
        onMouseDown(button, mods, pos);
}
void CustomGrid::mouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, const QPoint&) { }
void CustomGrid::mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    if (onMouseUp)
        onMouseUp(button, mods, pos);
}
void CustomGrid::keyDown(int& key, Qt::KeyboardModifiers mods)
{
    if (onKeyDown)
        onKeyDown(key, mods);
}
void CustomGrid::keyPress(QChar&) { }
QString CustomGrid::getEditText(int, int)
{
    return {};
}
void CustomGrid::setEditText(int, int, const QString&) { }
void CustomGrid::paintEvent(QPaintEvent*) { }
void CustomGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
}
void CustomGrid::scrollContentsBy(int, int) { }
void CustomGrid::mousePressEvent(QMouseEvent*) { }
void CustomGrid::mouseMoveEvent(QMouseEvent*) { }
void CustomGrid::mouseReleaseEvent(QMouseEvent*) { }
void CustomGrid::mouseDoubleClickEvent(QMouseEvent*)
{
    dblClick();
}
void CustomGrid::keyPressEvent(QKeyEvent*) { }
void CustomGrid::focusInEvent(QFocusEvent*)
{
    doEnter();
}
void CustomGrid::focusOutEvent(QFocusEvent*)
{
    doExit();
}
bool CustomGrid::viewportEvent(QEvent* event)
{
    return QAbstractScrollArea::viewportEvent(event);
}
QLineEdit* CustomGrid::inplaceEditor() const
{
    return d->editor;
}
void CustomGrid::mouseEntered() { }
void CustomGrid::mouseLeft() { }
void CustomGrid::scrollBarsUpdated() { }
bool CustomGrid::focusNextPrevChild(bool next)
{
    return QAbstractScrollArea::focusNextPrevChild(next);
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
