#include "CustomGrid.h"

#include "GridAccessible.h"
#include "GridAxis.h"

#include <QAccessible>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace kolvar::grid {

namespace {

// How far from a grid line a press still grabs it for sizing.
constexpr int sizingSlack = 3;
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

struct CustomGrid::Private
{
    GridAxis cols { 5, 1, 64 };
    GridAxis rows { 5, 1, 24 };
    QColor color;
    QColor fixedColor;
    QColor fontColor;
    GridOptions options
        = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    ScrollStyle scrollStyle = ScrollStyle::ssBoth;
    bool defaultDrawing = true;

    QPoint current { 1, 1 }; // x is the column, y the row
    QPoint anchor { 1, 1 }; // the other corner of the selection
    int topRow = 1;
    int leftCol = 1;
    GridCanvas canvas;

    GridState state = GridState::gsNormal;
    int sizingIndex = -1;
    int sizingOrigin = 0;
    int sizingStartSize = 0;
    int moveFrom = -1;
    int moveTo = -1;
    bool pressOnCurrent = false;
    bool leftDown = false;
    QPoint lastMousePos;
    QTimer* autoScroll = nullptr;

    QLineEdit* editor = nullptr;
    QObject* editorHook = nullptr;
    bool editorShown = false;
    QPoint editCell;
    QString editOriginal;

    bool focusInside = false;
    bool resetAnnounced = false;
    bool syncingBars = false;
    bool updatingBars = false;
    bool barsDirty = false;

    [[nodiscard]] bool has(GridOption option) const { return (options & option) != 0; }
    [[nodiscard]] bool isDataCell(int col, int row) const
    {
        return col >= cols.fixed() && col < cols.count() && row >= rows.fixed()
            && row < rows.count();
    }
};

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
    const int child = GridAccessible::childIndex(*this, col(), row());
    if (child < 0)
        return;
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
        if (rowSelect) {
            setLeftCol(d->leftCol - 1);
            return;
        }
        c = stepShown(d->cols, c, -1);
        break;
    case Qt::Key_Right:
        if (rowSelect) {
            setLeftCol(d->leftCol + 1);
            return;
        }
        c = stepShown(d->cols, c, 1);
        break;
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
    // The tool hears the grid take the focus; the reader wants to hear where in it.
    announceCurrent();
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
