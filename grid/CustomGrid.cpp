#include "CustomGrid.h"

#include "CustomGridPrivate.h"
#include "GridAccessible.h"

#include <QAccessible>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace kolvar::grid {

namespace {

constexpr int autoScrollInterval = 60;

// Forwards another object's events to a function, so the grid can watch its editor without
// exposing an eventFilter override.
class EventHook : public QObject
{
public:
    EventHook(QObject* parent, std::function<bool(QObject*, QEvent*)> hook)
        : QObject(parent)
        , m_hook(std::move(hook))
    { }
    bool eventFilter(QObject* watched, QEvent* event) override { return m_hook(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> m_hook;
};

} // namespace

CustomGrid::CustomGrid(QWidget* parent)
    : QAbstractScrollArea(parent)
    , d(std::make_unique<Private>())
{
    d->color = palette().color(QPalette::Base);
    d->fixedColor = palette().color(QPalette::Button);
    d->fontColor = palette().color(QPalette::Text);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    GridAccessible::install();

    d->autoScroll = new QTimer(this);
    d->autoScroll->setInterval(autoScrollInterval);
    connect(d->autoScroll, &QTimer::timeout, this, [this] { autoScrollStep(); });

    d->editor = new QLineEdit(viewport());
    d->editor->setObjectName(QStringLiteral("inplaceEditor"));
    d->editor->setFrame(false);
    d->editor->hide();
    connect(d->editor, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (d->editorShown)
            setEditText(d->editCell.x(), d->editCell.y(), text);
    });
    d->editorHook
        = new EventHook(this, [this](QObject*, QEvent* event) { return editorEvent(event); });
    d->editor->installEventFilter(d->editorHook);

    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
    applyScrollStyle();
    applyTracking();
    updateScrollBars();
}

CustomGrid::~CustomGrid()
{
    // The editor outlives this part of the object (QWidget deletes it later); it must not call
    // back into a grid that is already gone.
    delete d->editorHook;
    d->editor->disconnect(this);
    d->autoScroll->stop();
}

// --- sizes and counts -------------------------------------------------------------------------

int CustomGrid::colCount() const
{
    return d->cols.count();
}

void CustomGrid::setColCount(int count)
{
    count = std::max(count, 1);
    if (count == colCount())
        return;
    const int oldCols = colCount();
    const int oldRows = rowCount();
    if (d->editorShown && d->editCell.x() >= count)
        hideEditor();
    d->cols.setCount(count);
    clampPositions();
    geometryChanged();
    announceReset();
    sizeChanged(oldCols, oldRows);
}

int CustomGrid::rowCount() const
{
    return d->rows.count();
}

void CustomGrid::setRowCount(int count)
{
    count = std::max(count, 1);
    if (count == rowCount())
        return;
    const int oldCols = colCount();
    const int oldRows = rowCount();
    if (d->editorShown && d->editCell.y() >= count)
        hideEditor();
    d->rows.setCount(count);
    clampPositions();
    geometryChanged();
    announceReset();
    sizeChanged(oldCols, oldRows);
}

int CustomGrid::fixedCols() const
{
    return d->cols.fixed();
}

void CustomGrid::setFixedCols(int count)
{
    count = std::clamp(count, 0, colCount() - 1);
    if (count == fixedCols())
        return;
    hideEditor();
    d->cols.setFixed(count);
    d->leftCol = count;
    clampPositions();
    geometryChanged();
    announceReset();
    showEditorIfAlways();
}

int CustomGrid::fixedRows() const
{
    return d->rows.fixed();
}

void CustomGrid::setFixedRows(int count)
{
    count = std::clamp(count, 0, rowCount() - 1);
    if (count == fixedRows())
        return;
    hideEditor();
    d->rows.setFixed(count);
    d->topRow = count;
    clampPositions();
    geometryChanged();
    announceReset();
    showEditorIfAlways();
}

int CustomGrid::colWidth(int col) const
{
    return col >= 0 && col < colCount() ? d->cols.size(col) : 0;
}

void CustomGrid::setColWidth(int col, int width)
{
    if (col < 0 || col >= colCount())
        return;
    width = std::max(width, 0);
    if (width == d->cols.size(col))
        return;
    // A column hidden or shown again leaves or joins what assistive tools see.
    if ((width == 0) != (d->cols.size(col) == 0))
        announceReset();
    d->cols.setSize(col, width);
    geometryChanged();
    colWidthsChanged();
}

int CustomGrid::rowHeight(int row) const
{
    return row >= 0 && row < rowCount() ? d->rows.size(row) : 0;
}

void CustomGrid::setRowHeight(int row, int height)
{
    if (row < 0 || row >= rowCount())
        return;
    height = std::max(height, 0);
    if (height == d->rows.size(row))
        return;
    d->rows.setSize(row, height);
    geometryChanged();
    rowHeightsChanged();
}

int CustomGrid::defaultColWidth() const
{
    return d->cols.defaultSize();
}

void CustomGrid::setDefaultColWidth(int width)
{
    d->cols.setDefaultSize(width);
    geometryChanged();
    colWidthsChanged();
}

int CustomGrid::defaultRowHeight() const
{
    return d->rows.defaultSize();
}

void CustomGrid::setDefaultRowHeight(int height)
{
    d->rows.setDefaultSize(height);
    geometryChanged();
    rowHeightsChanged();
}

int CustomGrid::gridLineWidth() const
{
    return d->cols.lineWidth();
}

void CustomGrid::setGridLineWidth(int width)
{
    d->cols.setLineWidth(width);
    d->rows.setLineWidth(width);
    geometryChanged();
}

// --- appearance and options -------------------------------------------------------------------

QColor CustomGrid::color() const
{
    return d->color;
}

void CustomGrid::setColor(const QColor& color)
{
    d->color = color;
    invalidateGrid();
}

QColor CustomGrid::fixedColor() const
{
    return d->fixedColor;
}

void CustomGrid::setFixedColor(const QColor& color)
{
    d->fixedColor = color;
    invalidateGrid();
}

QColor CustomGrid::fontColor() const
{
    return d->fontColor;
}

void CustomGrid::setFontColor(const QColor& color)
{
    d->fontColor = color;
    invalidateGrid();
}

GridOptions CustomGrid::options() const
{
    return d->options;
}

void CustomGrid::setOptions(GridOptions options)
{
    if (options == d->options)
        return;
    d->options = options;
    applyTracking();
    if (!d->has(goEditing) || d->has(goRowSelect))
        hideEditor();
    else
        showEditorIfAlways();
    invalidateGrid();
}

ScrollStyle CustomGrid::scrollBars() const
{
    return d->scrollStyle;
}

void CustomGrid::setScrollBars(ScrollStyle style)
{
    if (style == d->scrollStyle)
        return;
    d->scrollStyle = style;
    applyScrollStyle();
    updateScrollBars();
}

bool CustomGrid::defaultDrawing() const
{
    return d->defaultDrawing;
}

void CustomGrid::setDefaultDrawing(bool on)
{
    d->defaultDrawing = on;
    invalidateGrid();
}

// --- current cell, selection, scrolling -------------------------------------------------------

int CustomGrid::col() const
{
    return d->current.x();
}

void CustomGrid::setCol(int col)
{
    setCurrentCell(col, row());
}

int CustomGrid::row() const
{
    return d->current.y();
}

void CustomGrid::setRow(int row)
{
    setCurrentCell(col(), row);
}

void CustomGrid::setCurrentCell(int col, int row)
{
    if (!d->isDataCell(col, row) || QPoint(col, row) == d->current)
        return;
    if (moveCurrent(col, row, true, true))
        click();
}

GridRect CustomGrid::selection() const
{
    GridRect r { std::min(d->anchor.x(), d->current.x()), std::min(d->anchor.y(), d->current.y()),
        std::max(d->anchor.x(), d->current.x()), std::max(d->anchor.y(), d->current.y()) };
    if (d->has(goRowSelect)) {
        r.left = fixedCols();
        r.right = colCount() - 1;
    }
    return r;
}

void CustomGrid::setSelection(const GridRect& rect)
{
    const int left = std::min(rect.left, rect.right);
    const int top = std::min(rect.top, rect.bottom);
    const int right = std::max(rect.left, rect.right);
    const int bottom = std::max(rect.top, rect.bottom);
    if (!d->isDataCell(left, top) || !d->isDataCell(right, bottom))
        return;
    if (d->editorShown && d->editCell != QPoint(left, top))
        hideEditor();
    d->current = { left, top };
    d->anchor = { right, bottom };
    scrollIntoView(left, top);
    viewport()->update();
    showEditorIfAlways();
    announceCurrent();
}

int CustomGrid::topRow() const
{
    return d->topRow;
}

void CustomGrid::setTopRow(int row)
{
    setTopLeft(d->leftCol, row);
}

int CustomGrid::leftCol() const
{
    return d->leftCol;
}

void CustomGrid::setLeftCol(int col)
{
    setTopLeft(col, d->topRow);
}

int CustomGrid::visibleRowCount() const
{
    return d->rows.fullyVisibleCount(d->topRow, viewport()->height());
}

int CustomGrid::visibleColCount() const
{
    return d->cols.fullyVisibleCount(d->leftCol, viewport()->width());
}

QRect CustomGrid::cellRect(int col, int row) const
{
    const auto x = d->cols.start(col, d->leftCol, viewport()->width());
    const auto y = d->rows.start(row, d->topRow, viewport()->height());
    if (!x || !y)
        return {};
    return { *x, *y, d->cols.size(col), d->rows.size(row) };
}

bool CustomGrid::mouseToCell(const QPoint& point, int& col, int& row) const
{
    const int c = d->cols.indexAt(point.x(), d->leftCol, viewport()->width());
    const int r = d->rows.indexAt(point.y(), d->topRow, viewport()->height());
    if (c < 0 || r < 0)
        return false;
    col = c;
    row = r;
    return true;
}

GridState CustomGrid::gridState() const
{
    return d->state;
}

void CustomGrid::setTopLeft(int col, int row)
{
    const int maxRow = std::max(fixedRows(), d->rows.maxFirst(viewport()->height()));
    const int maxCol = std::max(fixedCols(), d->cols.maxFirst(viewport()->width()));
    row = std::clamp(row, fixedRows(), maxRow);
    col = std::clamp(col, fixedCols(), maxCol);
    if (row == d->topRow && col == d->leftCol)
        return;
    d->topRow = row;
    d->leftCol = col;
    syncScrollValues();
    placeEditor();
    viewport()->update();
    topLeftChanged();
}

void CustomGrid::scrollIntoView(int col, int row)
{
    int top = d->topRow;
    int left = d->leftCol;
    if (row >= fixedRows()) {
        if (row < top)
            top = row;
        else if (row >= top + visibleRowCount())
            top = d->rows.firstShowingAtEnd(row, viewport()->height());
    }
    if (col >= fixedCols() && !d->has(goRowSelect)) {
        if (col < left)
            left = col;
        else if (col >= left + visibleColCount())
            left = d->cols.firstShowingAtEnd(col, viewport()->width());
    }
    setTopLeft(left, top);
}

bool CustomGrid::moveCurrent(int col, int row, bool moveAnchor, bool show)
{
    col = std::clamp(col, fixedCols(), colCount() - 1);
    row = std::clamp(row, fixedRows(), rowCount() - 1);
    if (!selectCell(col, row))
        return false;
    if (d->editorShown && d->editCell != QPoint(col, row))
        hideEditor();
    d->current = { col, row };
    if (moveAnchor)
        d->anchor = d->current;
    if (show)
        scrollIntoView(col, row);
    viewport()->update();
    showEditorIfAlways();
    announceCurrent();
    return true;
}

void CustomGrid::announceCurrent()
{
    if (!QAccessible::isActive())
        return;
    const int child = GridAccessible::childIndex(*this, GridAccessible::spokenColumn(*this), row());
    if (child < 0)
        return;
    aboutToAnnounceCurrent();
    QAccessibleEvent selection(this, QAccessible::Selection);
    selection.setChild(child);
    QAccessible::updateAccessibility(&selection);
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(child);
        QAccessible::updateAccessibility(&focus);
    }
}

void CustomGrid::announceReset()
{
    if (d->resetAnnounced || !QAccessible::isActive())
        return;
    d->resetAnnounced = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            d->resetAnnounced = false;
            QAccessibleTableModelChangeEvent reset(
                this, QAccessibleTableModelChangeEvent::ModelReset);
            QAccessible::updateAccessibility(&reset);
            // The reset drops the cell a reader was last told of; with the focus here it is
            // told of the current one again, or it keeps listening to a cell that is gone.
            if (hasFocus())
                announceCurrent();
        },
        Qt::QueuedConnection);
}

QString CustomGrid::accessibleText(int, int) const
{
    return {};
}

void CustomGrid::clampPositions()
{
    auto clampCell = [this](QPoint& p) {
        p.setX(std::clamp(p.x(), fixedCols(), colCount() - 1));
        p.setY(std::clamp(p.y(), fixedRows(), rowCount() - 1));
    };
    clampCell(d->current);
    clampCell(d->anchor);
    d->topRow = std::clamp(d->topRow, fixedRows(), rowCount() - 1);
    d->leftCol = std::clamp(d->leftCol, fixedCols(), colCount() - 1);
}

void CustomGrid::geometryChanged()
{
    updateScrollBars();
    placeEditor();
    viewport()->update();
}

// --- scroll bars ------------------------------------------------------------------------------

void CustomGrid::applyScrollStyle()
{
    const bool vertical
        = d->scrollStyle == ScrollStyle::ssVertical || d->scrollStyle == ScrollStyle::ssBoth;
    const bool horizontal
        = d->scrollStyle == ScrollStyle::ssHorizontal || d->scrollStyle == ScrollStyle::ssBoth;
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void CustomGrid::applyTracking()
{
    const bool tracking = d->has(goThumbTracking);
    verticalScrollBar()->setTracking(tracking);
    horizontalScrollBar()->setTracking(tracking);
}

void CustomGrid::updateScrollBars()
{
    // Showing or hiding a bar resizes the viewport, which lands here again; settle it in a loop.
    if (d->updatingBars) {
        d->barsDirty = true;
        return;
    }
    d->updatingBars = true;
    for (int pass = 0; pass < 4; ++pass) {
        d->barsDirty = false;
        const int maxTop = std::max(fixedRows(), d->rows.maxFirst(viewport()->height()));
        const int maxLeft = std::max(fixedCols(), d->cols.maxFirst(viewport()->width()));
        d->syncingBars = true;
        verticalScrollBar()->setRange(0, maxTop - fixedRows());
        verticalScrollBar()->setPageStep(std::max(1, visibleRowCount()));
        horizontalScrollBar()->setRange(0, maxLeft - fixedCols());
        horizontalScrollBar()->setPageStep(std::max(1, visibleColCount()));
        d->syncingBars = false;
        if (!d->barsDirty)
            break;
    }
    d->updatingBars = false;
    const int top = std::min(d->topRow, fixedRows() + verticalScrollBar()->maximum());
    const int left = std::min(d->leftCol, fixedCols() + horizontalScrollBar()->maximum());
    if (top != d->topRow || left != d->leftCol)
        setTopLeft(left, top);
    else
        syncScrollValues();
    scrollBarsUpdated();
}

void CustomGrid::syncScrollValues()
{
    d->syncingBars = true;
    verticalScrollBar()->setValue(d->topRow - fixedRows());
    horizontalScrollBar()->setValue(d->leftCol - fixedCols());
    d->syncingBars = false;
}

void CustomGrid::scrollContentsBy(int, int)
{
    if (d->syncingBars)
        return;
    setTopLeft(
        fixedCols() + horizontalScrollBar()->value(), fixedRows() + verticalScrollBar()->value());
}

// --- rows and columns -------------------------------------------------------------------------

void CustomGrid::moveRow(int from, int to)
{
    if (from < 0 || to < 0 || from >= rowCount() || to >= rowCount() || from == to)
        return;
    hideEditor();
    d->rows.move(from, to);
    d->current.setY(followMove(d->current.y(), from, to));
    d->anchor.setY(followMove(d->anchor.y(), from, to));
    clampPositions();
    rowMoved(from, to);
    geometryChanged();
    announceReset();
    showEditorIfAlways();
}

void CustomGrid::moveColumn(int from, int to)
{
    if (from < 0 || to < 0 || from >= colCount() || to >= colCount() || from == to)
        return;
    hideEditor();
    d->cols.move(from, to);
    d->current.setX(followMove(d->current.x(), from, to));
    d->anchor.setX(followMove(d->anchor.x(), from, to));
    clampPositions();
    columnMoved(from, to);
    geometryChanged();
    announceReset();
    showEditorIfAlways();
}

void CustomGrid::deleteRow(int row)
{
    if (row < 0 || row >= rowCount() || rowCount() <= 1)
        return;
    const int oldCols = colCount();
    const int oldRows = rowCount();
    hideEditor();
    d->rows.remove(row);
    auto follow = [row](int index) { return index > row ? index - 1 : index; };
    d->current.setY(follow(d->current.y()));
    d->anchor.setY(follow(d->anchor.y()));
    d->topRow = follow(d->topRow);
    clampPositions();
    rowDeleted(row);
    geometryChanged();
    announceReset();
    sizeChanged(oldCols, oldRows);
    showEditorIfAlways();
}

void CustomGrid::deleteColumn(int col)
{
    if (col < 0 || col >= colCount() || colCount() <= 1)
        return;
    const int oldCols = colCount();
    const int oldRows = rowCount();
    hideEditor();
    d->cols.remove(col);
    auto follow = [col](int index) { return index > col ? index - 1 : index; };
    d->current.setX(follow(d->current.x()));
    d->anchor.setX(follow(d->anchor.x()));
    d->leftCol = follow(d->leftCol);
    clampPositions();
    columnDeleted(col);
    geometryChanged();
    announceReset();
    sizeChanged(oldCols, oldRows);
    showEditorIfAlways();
}

} // namespace kolvar::grid
