#include "SortableGrid.h"

#include "GridAxis.h"
#include "SortGlyph.h"
#include "SortableGridGuards.h"
#include <QCollator>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>

namespace kolvar::grid {

namespace {

// Lines as a text file is read: CR, LF or CRLF end a line, and a last line break opens no
// further line.
QStringList fileLines(const QString& content)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = content.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = content[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(content.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && content[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(content.mid(start));
    return lines;
}

std::runtime_error fileError(const QString& what, const QFile& file)
{
    return std::runtime_error(QStringLiteral("%1 \"%2\". %3")
                                  .arg(what, file.fileName(), file.errorString())
                                  .toStdString());
}

// A font set in pixels has no point size of its own; the screen's resolution gives it one.
int pointSizeOf(const QFont& font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96;
    return int(std::lround(font.pixelSize() * 72 / dpi));
}

} // namespace

SortableGrid::SortableGrid(QWidget* parent)
    : StringGrid(parent)
    , m_markedRows(fixedRows())
    , m_markAnchor(fixedRows())
    , m_markLastRow(fixedRows())
    , m_markPrevTopRow(topRow())
{
    m_footerFont = font();
    m_measureCanvas.font = font();
    m_measureCanvas.brush = QBrush(color());
    m_measureCanvas.fontColor = fontColor();
    m_defaultCanvasFont = font();
    m_defaultCanvasBrush = QBrush(color());
    m_printOptions.headerSize = pointSizeOf(font()) + 2;
    m_printOptions.footerSize = pointSizeOf(m_footerFont) - 1;
    rememberEditCell();
}

SortableGrid::~SortableGrid() = default;

// ---- Properties -------------------------------------------------------------------------------

int SortableGrid::savedFixedRows() const
{
    return m_fixedSaved ? m_savedFixedRows : fixedRows();
}

int SortableGrid::savedFixedCols() const
{
    return m_fixedSaved ? m_savedFixedCols : fixedCols();
}

void SortableGrid::setAlignmentHorz(HorzAlignment value)
{
    m_alignmentHorz = value;
    invalidateGrid();
}

void SortableGrid::setAlignmentVert(VertAlignment value)
{
    m_alignmentVert = value;
    invalidateGrid();
}

void SortableGrid::setBevelStyle(CellBevelStyle value)
{
    m_bevelStyle = value;
    invalidateGrid();
}

void SortableGrid::setProportionalScrollBars(bool value)
{
    m_proportionalScrollBars = value;
    adjustScrollThumbs();
}

void SortableGrid::setWordWrap(bool value)
{
    if (value == m_wordWrap)
        return;
    m_wordWrap = value;
    invalidateGrid();
}

void SortableGrid::setSortSymbol(SortSymbol value)
{
    if (value == m_sortSymbol)
        return;
    m_sortSymbol = value;
    loadSortGlyph();
    repaintRow(0);
}

void SortableGrid::setSortSpacingHor(int value)
{
    if (value == m_sortSpacingHor)
        return;
    m_sortSpacingHor = value;
    repaintRow(0);
}

void SortableGrid::setSortSpacingVert(int value)
{
    if (value == m_sortSpacingVert)
        return;
    m_sortSpacingVert = value;
    repaintRow(0);
}

void SortableGrid::setSortDirection(SortDirection value)
{
    if (value == m_sortDirection)
        return;
    m_sortDirection = value;
    loadSortGlyph();
    repaintRow(0);
}

void SortableGrid::setSortBitMapA(const QImage& value)
{
    m_sortBitMapA = value;
    loadSortGlyph();
    repaintRow(0);
}

void SortableGrid::setSortBitMapD(const QImage& value)
{
    m_sortBitMapD = value;
    loadSortGlyph();
    repaintRow(0);
}

void SortableGrid::setSortColumn(int value)
{
    if (value == m_sortColumn || value < 0 || value >= colCount())
        return;
    m_sortColumn = value;
    repaintRow(0);
}

QString SortableGrid::accessibleText(int col, int row) const
{
    const QString text = StringGrid::accessibleText(col, row);
    if (row >= fixedRows() || col != m_sortColumn || m_sortSymbol == sgNone)
        return text;
    return text.trimmed()
        + (m_sortDirection == sdDescending ? QStringLiteral(", uporządkowano malejąco")
                                           : QStringLiteral(", uporządkowano rosnąco"));
}

void SortableGrid::setSortOnClick(bool value)
{
    if (value == m_sortOnClick)
        return;
    m_sortOnClick = value;
    repaintRow(0);
}

void SortableGrid::setSortFooter(bool value)
{
    m_sortFooter = value;
    m_unsortedTailRows = value ? 0 : m_footerRows;
}

void SortableGrid::setFooterRows(int value)
{
    if (value >= 0 && value <= rowCount() - fixedRows() && value != m_footerRows) {
        repaintFooterRows(std::max(m_footerRows, value));
        m_footerRows = value;
    }
    if (!m_sortFooter)
        m_unsortedTailRows = m_footerRows;
}

void SortableGrid::setFooterColor(ColorValue value)
{
    if (value == m_footerColor)
        return;
    m_footerColor = value;
    repaintFooterRows(m_footerRows);
}

void SortableGrid::setFooterFont(const QFont& value)
{
    m_footerFont = value;
    repaintFooterRows(m_footerRows);
}

void SortableGrid::setFooterFontColor(ColorValue value)
{
    m_footerFontColor = value;
    repaintFooterRows(m_footerRows);
}

void SortableGrid::setFooterBevelStyle(CellBevelStyle value)
{
    if (value == m_footerBevelStyle)
        return;
    m_footerBevelStyle = value;
    repaintFooterRows(m_footerRows);
}

void SortableGrid::repaintFooterRows(int count)
{
    for (int r = std::max(0, rowCount() - count); r < rowCount(); ++r)
        invalidateRow(r);
}

bool SortableGrid::isFooterRow(int row) const
{
    return row > rowCount() - 1 - m_footerRows;
}

bool SortableGrid::rangeValid(int first, int last, bool forRows) const
{
    const int n = forRows ? rowCount() : colCount();
    return first >= 0 && first < n && first <= last && last < n;
}

bool SortableGrid::editorShown() const
{
    const QLineEdit* editor = inplaceEditor();
    return editor && editor->isVisible();
}

int SortableGrid::lastSortableRow() const
{
    return rowCount() - 1 - m_unsortedTailRows;
}

// ---- Rows and columns -------------------------------------------------------------------------

void SortableGrid::suspendAlwaysShowEditor(bool suspend)
{
    if (suspend) {
        if (options() & goAlwaysShowEditor) {
            setOptions(options() & ~GridOptions(goAlwaysShowEditor));
            m_editorOptionSuspended = true;
        }
    } else if (m_editorOptionSuspended) {
        setOptions(options() | goAlwaysShowEditor);
        m_editorOptionSuspended = false;
    }
}

void SortableGrid::focusCell(int col, int row)
{
    col = std::max(col, fixedCols());
    row = std::max(row, fixedRows());
    if (selectCell(col, row))
        setCurrentCell(col, row);
}

void SortableGrid::clearAllRows()
{
    clearRowRange(0, rowCount() - 1);
}

void SortableGrid::clearRowsFrom(int row)
{
    clearRowRange(row, rowCount() - 1);
}

bool SortableGrid::clearRowRange(int first, int last)
{
    if (!rangeValid(first, last, true))
        return false;
    for (int r = first; r <= last; ++r)
        clearRow(r);
    m_cellsModified = false;
    m_sortDirection = sdAscending; // the glyph stays until the next sort reloads it
    m_rowsSorted = false;
    // Emptied by the program, not edited by the user.
    if (m_entryRow >= first && m_entryRow <= last)
        rememberEditCell();
    return true;
}

bool SortableGrid::clearColumnRange(int first, int last)
{
    if (!rangeValid(first, last, false))
        return false;
    for (int c = first; c <= last; ++c)
        setColumnEmpty(c);
    return true;
}

void SortableGrid::setColumnEmpty(int col)
{
    for (int r = 0; r < rowCount(); ++r) {
        if (!cells(col, r).isEmpty())
            setCells(col, r, QString());
    }
}

void SortableGrid::shiftRow(int from, int to)
{
    suspendAlwaysShowEditor(true);
    const detail::AtScopeEnd resume([this] { suspendAlwaysShowEditor(false); });
    moveRow(from, to);
    m_rowsSorted = false;
}

void SortableGrid::shiftColumn(int from, int to)
{
    suspendAlwaysShowEditor(true);
    const detail::AtScopeEnd resume([this] { suspendAlwaysShowEditor(false); });
    moveColumn(from, to);
}

void SortableGrid::exchangeRows(int a, int b)
{
    if (!rangeValid(a, a, true) || !rangeValid(b, b, true))
        return;
    if (a < b) {
        shiftRow(b, a);
        shiftRow(a + 1, b);
    } else if (b < a) {
        shiftRow(a, b);
        shiftRow(b + 1, a);
    }
}

void SortableGrid::exchangeColumns(int a, int b)
{
    if (!rangeValid(a, a, false) || !rangeValid(b, b, false))
        return;
    if (a < b) {
        shiftColumn(b, a);
        shiftColumn(a + 1, b);
    } else if (b < a) {
        shiftColumn(a, b);
        shiftColumn(b + 1, a);
    }
}

void SortableGrid::addRowAt(int row)
{
    if (row < 0 || row > rowCount())
        return;
    setRowCount(rowCount() + 1);
    m_hiddenSizes.shiftAfterInsert(row, szRow);
    shiftRow(rowCount() - 1, row);
    clearRow(row);
    setRow(row);
    m_rowsSorted = false;
    if (onRowInsert)
        onRowInsert(row);
}

bool SortableGrid::addRowsAt(int row, int count)
{
    if (!rangeValid(row, row, true))
        return false;
    for (int k = 0; k < count; ++k) {
        setRowCount(rowCount() + 1);
        m_hiddenSizes.shiftAfterInsert(row + k, szRow);
        shiftRow(rowCount() - 1, row);
        clearRow(row);
        setRow(row);
        if (onRowInsert)
            onRowInsert(row);
    }
    return true;
}

void SortableGrid::addColumnAt(int col)
{
    if (col < 0 || col > colCount())
        return;
    setColCount(colCount() + 1);
    m_hiddenSizes.shiftAfterInsert(col, szCol);
    shiftColumn(colCount() - 1, col);
    setColumnEmpty(col);
    setCol(col);
    if (onColumnInsert)
        onColumnInsert(col);
}

bool SortableGrid::addColumnsAt(int col, int count)
{
    if (!rangeValid(col, col, false))
        return false;
    for (int k = 0; k < count; ++k) {
        setColCount(colCount() + 1);
        m_hiddenSizes.shiftAfterInsert(col + k, szCol);
        shiftColumn(colCount() - 1, col);
        setColumnEmpty(col);
        setCol(col);
        if (onColumnInsert)
            onColumnInsert(col);
    }
    return true;
}

void SortableGrid::removeRowAt(int row)
{
    // The last row is never deleted, so it is not emptied either.
    if (!rangeValid(row, row, true) || rowCount() == 1)
        return;
    m_markedRows.removeRow(row);
    clearRow(row);
    m_hiddenSizes.forgetSize(row, szRow);
    m_hiddenSizes.shiftAfterDelete(row, szRow);
    {
        suspendAlwaysShowEditor(true);
        const detail::AtScopeEnd resume([this] { suspendAlwaysShowEditor(false); });
        deleteRow(row);
    }
    if (onRowDelete)
        onRowDelete(row);
    if (rowCount() - fixedRows() < m_footerRows)
        setFooterRows(rowCount() - fixedRows());
}

bool SortableGrid::removeRowRange(int first, int last)
{
    if (!rangeValid(first, last, true))
        return false;
    for (int r = last; r >= first; --r)
        removeRowAt(r);
    return true;
}

void SortableGrid::removeColumnAt(int col)
{
    if (!rangeValid(col, col, false) || colCount() == 1)
        return;
    setColumnEmpty(col);
    m_hiddenSizes.forgetSize(col, szCol);
    m_hiddenSizes.shiftAfterDelete(col, szCol);
    {
        suspendAlwaysShowEditor(true);
        const detail::AtScopeEnd resume([this] { suspendAlwaysShowEditor(false); });
        deleteColumn(col);
    }
    if (onColumnDelete)
        onColumnDelete(col);
}

bool SortableGrid::removeColumnRange(int first, int last)
{
    if (!rangeValid(first, last, false))
        return false;
    for (int c = last; c >= first; --c)
        removeColumnAt(c);
    return true;
}

void SortableGrid::rememberHiddenAndZero(int first, int last, int kind)
{
    const bool rows = kind == szRow;
    const int count = rows ? rowCount() : colCount();
    for (int i = std::max(0, first); i <= last && i < count; ++i) {
        m_hiddenSizes.rememberSize(i, rows ? rowHeight(i) : colWidth(i), kind);
        if (rows)
            setRowHeight(i, 0);
        else
            setColWidth(i, 0);
    }
}

void SortableGrid::showHidden(int first, int last, int kind)
{
    const bool rows = kind == szRow;
    const int count = rows ? rowCount() : colCount();
    for (int i = std::max(0, first); i <= last && i < count; ++i) {
        if ((rows ? rowHeight(i) : colWidth(i)) != 0)
            continue;
        const int size = m_hiddenSizes.recallSize(i, kind);
        if (size == -1)
            continue;
        if (rows)
            setRowHeight(i, size);
        else
            setColWidth(i, size);
        m_hiddenSizes.forgetSize(i, kind);
    }
}

void SortableGrid::hideRows(int first, int last)
{
    rememberHiddenAndZero(first, last, szRow);
}

void SortableGrid::showRows(int first, int last)
{
    showHidden(first, last, szRow);
}

void SortableGrid::hideColumns(int first, int last)
{
    rememberHiddenAndZero(first, last, szCol);
}

void SortableGrid::showColumns(int first, int last)
{
    showHidden(first, last, szCol);
}

// ---- Texts ------------------------------------------------------------------------------------

bool SortableGrid::locateText(const QString& value, int& col, int& row)
{
    QCollator collator { QLocale() };
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (int c = 0; c < colCount(); ++c) {
        for (int r = 0; r < rowCount(); ++r) {
            if (collator.compare(cells(c, r), value) == 0) {
                col = c;
                row = r;
                return true;
            }
        }
    }
    return false;
}

void SortableGrid::readDelimitedFile(const QString& fileName, QChar delimiter)
{
    clearAllRows();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(QStringLiteral("Cannot open file"), file);
    const QStringList lines = fileLines(QString::fromUtf8(file.readAll()));
    const int count = int(lines.size());
    setRowCount(count);
    setColCount(fixedCols() + 1);
    for (int i = 0; i < count; ++i) {
        const QStringList pieces = lines[i].split(delimiter, Qt::KeepEmptyParts);
        if (pieces.size() > colCount())
            setColCount(int(pieces.size()));
        setRowTexts(i, pieces);
    }
}

void SortableGrid::writeDelimitedFile(const QString& fileName, QChar delimiter)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw fileError(QStringLiteral("Cannot create file"), file);
    QByteArray out;
    for (int r = 0; r < rowCount(); ++r) {
        QStringList texts;
        texts.reserve(colCount());
        for (int c = 0; c < colCount(); ++c)
            texts.append(cells(c, r));
        out += texts.join(delimiter).toUtf8();
        out += '\n';
    }
    if (file.write(out) != out.size())
        throw fileError(QStringLiteral("Cannot write file"), file);
}

int SortableGrid::modifyRow(int row, const QString& text, const QString& separator)
{
    if (separator.isEmpty()) {
        setCells(0, row, text);
        return 1;
    }
    int written = 0;
    qsizetype start = 0;
    for (qsizetype at = text.indexOf(separator); at >= 0; at = text.indexOf(separator, start)) {
        setCells(written++, row, text.mid(start, at - start));
        start = at + separator.size();
    }
    setCells(written++, row, text.mid(start));
    return written;
}

int SortableGrid::modifyCol(int col, const QString& text, const QString& separator)
{
    if (separator.isEmpty()) {
        setCells(col, 0, text);
        return 1;
    }
    int written = 0;
    qsizetype start = 0;
    for (qsizetype at = text.indexOf(separator); at >= 0; at = text.indexOf(separator, start)) {
        setCells(col, written++, text.mid(start, at - start));
        start = at + separator.size();
    }
    setCells(col, written++, text.mid(start));
    return written;
}

// ---- Row marking ------------------------------------------------------------------------------

void SortableGrid::toggleRowMark(int row)
{
    m_markedRows.toggle(row);
    repaintRow(row);
}

void SortableGrid::setRowMark(int row, bool marked)
{
    if (m_markedRows.set(row, marked))
        repaintRow(row);
}

void SortableGrid::setRowMarkRange(int a, int b, bool marked)
{
    for (int r = std::min(a, b); r <= std::max(a, b); ++r)
        setRowMark(r, marked);
}

// ---- Notifications ----------------------------------------------------------------------------

void SortableGrid::colWidthsChanged()
{
    StringGrid::colWidthsChanged();
    if (onColumnWidthsChanged)
        onColumnWidthsChanged();
    adjustScrollThumbs();
}

void SortableGrid::rowHeightsChanged()
{
    StringGrid::rowHeightsChanged();
    if (onRowHeightsChanged)
        onRowHeightsChanged();
    adjustScrollThumbs();
}

void SortableGrid::sizeChanged(int oldColCount, int oldRowCount)
{
    StringGrid::sizeChanged(oldColCount, oldRowCount);
    if (m_entryRow >= rowCount() || m_entryCol >= colCount())
        rememberEditCell();
    if (onSizeChanged)
        onSizeChanged(oldColCount, oldRowCount);
    adjustScrollThumbs();
}

void SortableGrid::resizeEvent(QResizeEvent* event)
{
    StringGrid::resizeEvent(event);
    if (m_proportionalScrollBars)
        adjustScrollThumbs();
}

// The toolkit sets its own page steps whenever the geometry changes; proportional thumbs must
// survive that.
void SortableGrid::scrollBarsUpdated()
{
    StringGrid::scrollBarsUpdated();
    if (m_proportionalScrollBars)
        adjustScrollThumbs();
}

void SortableGrid::rowMoved(int from, int to)
{
    StringGrid::rowMoved(from, to);
    m_entryRow = followMove(m_entryRow, from, to);
}

void SortableGrid::columnMoved(int from, int to)
{
    StringGrid::columnMoved(from, to);
    m_entryCol = followMove(m_entryCol, from, to);
}

void SortableGrid::rowDeleted(int row)
{
    StringGrid::rowDeleted(row);
    if (m_entryRow > row)
        --m_entryRow;
    else if (m_entryRow == row)
        rememberEditCell(); // the edited text went with its row
}

void SortableGrid::columnDeleted(int col)
{
    StringGrid::columnDeleted(col);
    if (m_entryCol > col)
        --m_entryCol;
    else if (m_entryCol == col)
        rememberEditCell();
}

void SortableGrid::rowsPermuted(int first, std::span<const int> sources)
{
    StringGrid::rowsPermuted(first, sources);
    const auto at = std::find(sources.begin(), sources.end(), m_entryRow);
    if (at != sources.end())
        m_entryRow = first + int(at - sources.begin());
}

void SortableGrid::mouseEntered()
{
    StringGrid::mouseEntered();
    if (onMouseEnter)
        onMouseEnter();
}

void SortableGrid::mouseLeft()
{
    StringGrid::mouseLeft();
    if (onMouseLeave)
        onMouseLeave();
}

} // namespace kolvar::grid
