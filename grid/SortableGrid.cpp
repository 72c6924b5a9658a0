#include "Zarur.h"

#include "GridAxis.h"
#include "SortGlyph.h"
#include "ZarurGuards.h"
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

TZarur::TZarur(QWidget* parent)
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
    m_printOptions.HeaderSize = pointSizeOf(font()) + 2;
    m_printOptions.FooterSize = pointSizeOf(m_footerFont) - 1;
    RememberEditCell();
}

TZarur::~TZarur() = default;

// ---- Properties -------------------------------------------------------------------------------

int TZarur::SavedFixedRows() const
{
    return m_fixedSaved ? m_savedFixedRows : fixedRows();
}

int TZarur::SavedFixedCols() const
{
    return m_fixedSaved ? m_savedFixedCols : fixedCols();
}

void TZarur::SetAlignmentHorz(TAlignment value)
{
    m_alignmentHorz = value;
    invalidateGrid();
}

void TZarur::SetAlignmentVert(TVertAlignment value)
{
    m_alignmentVert = value;
    invalidateGrid();
}

void TZarur::SetBevelStyle(TCellBevelStyle value)
{
    m_bevelStyle = value;
    invalidateGrid();
}

void TZarur::SetProportionalScrollBars(bool value)
{
    m_proportionalScrollBars = value;
    AdjustScrollThumbs();
}

void TZarur::SetWordWrap(bool value)
{
    if (value == m_wordWrap)
        return;
    m_wordWrap = value;
    invalidateGrid();
}

void TZarur::SetSortSymbol(TSortSymbol value)
{
    if (value == m_sortSymbol)
        return;
    m_sortSymbol = value;
    LoadSortGlyph();
    RepaintRow(0);
}

void TZarur::SetSortSpacingHor(int value)
{
    if (value == m_sortSpacingHor)
        return;
    m_sortSpacingHor = value;
    RepaintRow(0);
}

void TZarur::SetSortSpacingVert(int value)
{
    if (value == m_sortSpacingVert)
        return;
    m_sortSpacingVert = value;
    RepaintRow(0);
}

void TZarur::SetSortDirection(TSortDirection value)
{
    if (value == m_sortDirection)
        return;
    m_sortDirection = value;
    LoadSortGlyph();
    RepaintRow(0);
}

void TZarur::SetSortBitMapA(const QImage& value)
{
    m_sortBitMapA = value;
    LoadSortGlyph();
    RepaintRow(0);
}

void TZarur::SetSortBitMapD(const QImage& value)
{
    m_sortBitMapD = value;
    LoadSortGlyph();
    RepaintRow(0);
}

void TZarur::SetSortColumn(int value)
{
    if (value == m_sortColumn || value < 0 || value >= colCount())
        return;
    m_sortColumn = value;
    RepaintRow(0);
}

void TZarur::SetSortOnClick(bool value)
{
    if (value == m_sortOnClick)
        return;
    m_sortOnClick = value;
    RepaintRow(0);
}

void TZarur::SetSortFooter(bool value)
{
    m_sortFooter = value;
    m_unsortedTailRows = value ? 0 : m_footerRows;
}

void TZarur::SetFooterRows(int value)
{
    if (value >= 0 && value <= rowCount() - fixedRows() && value != m_footerRows) {
        repaintFooterRows(std::max(m_footerRows, value));
        m_footerRows = value;
    }
    if (!m_sortFooter)
        m_unsortedTailRows = m_footerRows;
}

void TZarur::SetFooterColor(ColorValue value)
{
    if (value == m_footerColor)
        return;
    m_footerColor = value;
    repaintFooterRows(m_footerRows);
}

void TZarur::SetFooterFont(const QFont& value)
{
    m_footerFont = value;
    repaintFooterRows(m_footerRows);
}

void TZarur::SetFooterFontColor(ColorValue value)
{
    m_footerFontColor = value;
    repaintFooterRows(m_footerRows);
}

void TZarur::SetFooterBevelStyle(TCellBevelStyle value)
{
    if (value == m_footerBevelStyle)
        return;
    m_footerBevelStyle = value;
    repaintFooterRows(m_footerRows);
}

void TZarur::repaintFooterRows(int count)
{
    for (int r = std::max(0, rowCount() - count); r < rowCount(); ++r)
        invalidateRow(r);
}

bool TZarur::isFooterRow(int row) const
{
    return row > rowCount() - 1 - m_footerRows;
}

bool TZarur::rangeValid(int first, int last, bool forRows) const
{
    const int n = forRows ? rowCount() : colCount();
    return first >= 0 && first < n && first <= last && last < n;
}

bool TZarur::editorShown() const
{
    const QLineEdit* editor = inplaceEditor();
    return editor && editor->isVisible();
}

int TZarur::lastSortableRow() const
{
    return rowCount() - 1 - m_unsortedTailRows;
}

// ---- Rows and columns -------------------------------------------------------------------------

void TZarur::SuspendAlwaysShowEditor(bool suspend)
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

void TZarur::FocusCell(int Col, int Row)
{
    Col = std::max(Col, fixedCols());
    Row = std::max(Row, fixedRows());
    if (selectCell(Col, Row))
        setCurrentCell(Col, Row);
}

void TZarur::ClearAllRows()
{
    ClearRowRange(0, rowCount() - 1);
}

void TZarur::ClearRowsFrom(int Row)
{
    ClearRowRange(Row, rowCount() - 1);
}

bool TZarur::ClearRowRange(int First, int Last)
{
    if (!rangeValid(First, Last, true))
        return false;
    for (int r = First; r <= Last; ++r)
        clearRow(r);
    m_cellsModified = false;
    m_sortDirection = sdAscending; // the glyph stays until the next sort reloads it
    m_rowsSorted = false;
    // Emptied by the program, not edited by the user.
    if (m_entryRow >= First && m_entryRow <= Last)
        RememberEditCell();
    return true;
}

bool TZarur::ClearColumnRange(int First, int Last)
{
    if (!rangeValid(First, Last, false))
        return false;
    for (int c = First; c <= Last; ++c)
        setColumnEmpty(c);
    return true;
}

void TZarur::setColumnEmpty(int col)
{
    for (int r = 0; r < rowCount(); ++r) {
        if (!cells(col, r).isEmpty())
            setCells(col, r, QString());
    }
}

void TZarur::ShiftRow(int From, int To)
{
    SuspendAlwaysShowEditor(true);
    const detail::AtScopeEnd resume([this] { SuspendAlwaysShowEditor(false); });
    moveRow(From, To);
    m_rowsSorted = false;
}

void TZarur::ShiftColumn(int From, int To)
{
    SuspendAlwaysShowEditor(true);
    const detail::AtScopeEnd resume([this] { SuspendAlwaysShowEditor(false); });
    moveColumn(From, To);
}

void TZarur::ExchangeRows(int A, int B)
{
    if (!rangeValid(A, A, true) || !rangeValid(B, B, true))
        return;
    if (A < B) {
        ShiftRow(B, A);
        ShiftRow(A + 1, B);
    } else if (B < A) {
        ShiftRow(A, B);
        ShiftRow(B + 1, A);
    }
}

void TZarur::ExchangeColumns(int A, int B)
{
    if (!rangeValid(A, A, false) || !rangeValid(B, B, false))
        return;
    if (A < B) {
        ShiftColumn(B, A);
        ShiftColumn(A + 1, B);
    } else if (B < A) {
        ShiftColumn(A, B);
        ShiftColumn(B + 1, A);
    }
}

void TZarur::AddRowAt(int Row)
{
    if (Row < 0 || Row > rowCount())
        return;
    setRowCount(rowCount() + 1);
    m_hiddenSizes.ShiftAfterInsert(Row, szRow);
    ShiftRow(rowCount() - 1, Row);
    clearRow(Row);
    setRow(Row);
    m_rowsSorted = false;
    if (OnRowInsert)
        OnRowInsert(Row);
}

bool TZarur::AddRowsAt(int Row, int Count)
{
    if (!rangeValid(Row, Row, true))
        return false;
    for (int k = 0; k < Count; ++k) {
        setRowCount(rowCount() + 1);
        m_hiddenSizes.ShiftAfterInsert(Row + k, szRow);
        ShiftRow(rowCount() - 1, Row);
        clearRow(Row);
        setRow(Row);
        if (OnRowInsert)
            OnRowInsert(Row);
    }
    return true;
}

void TZarur::AddColumnAt(int Col)
{
    if (Col < 0 || Col > colCount())
        return;
    setColCount(colCount() + 1);
    m_hiddenSizes.ShiftAfterInsert(Col, szCol);
    ShiftColumn(colCount() - 1, Col);
    setColumnEmpty(Col);
    setCol(Col);
    if (OnColumnInsert)
        OnColumnInsert(Col);
}

bool TZarur::AddColumnsAt(int Col, int Count)
{
    if (!rangeValid(Col, Col, false))
        return false;
    for (int k = 0; k < Count; ++k) {
        setColCount(colCount() + 1);
        m_hiddenSizes.ShiftAfterInsert(Col + k, szCol);
        ShiftColumn(colCount() - 1, Col);
        setColumnEmpty(Col);
        setCol(Col);
        if (OnColumnInsert)
            OnColumnInsert(Col);
    }
    return true;
}

void TZarur::RemoveRowAt(int Row)
{
    // The last row is never deleted, so it is not emptied either.
    if (!rangeValid(Row, Row, true) || rowCount() == 1)
        return;
    m_markedRows.removeRow(Row);
    clearRow(Row);
    m_hiddenSizes.ForgetSize(Row, szRow);
    m_hiddenSizes.ShiftAfterDelete(Row, szRow);
    {
        SuspendAlwaysShowEditor(true);
        const detail::AtScopeEnd resume([this] { SuspendAlwaysShowEditor(false); });
        deleteRow(Row);
    }
    if (OnRowDelete)
        OnRowDelete(Row);
    if (rowCount() - fixedRows() < m_footerRows)
        SetFooterRows(rowCount() - fixedRows());
}

bool TZarur::RemoveRowRange(int First, int Last)
{
    if (!rangeValid(First, Last, true))
        return false;
    for (int r = Last; r >= First; --r)
        RemoveRowAt(r);
    return true;
}

void TZarur::RemoveColumnAt(int Col)
{
    if (!rangeValid(Col, Col, false) || colCount() == 1)
        return;
    setColumnEmpty(Col);
    m_hiddenSizes.ForgetSize(Col, szCol);
    m_hiddenSizes.ShiftAfterDelete(Col, szCol);
    {
        SuspendAlwaysShowEditor(true);
        const detail::AtScopeEnd resume([this] { SuspendAlwaysShowEditor(false); });
        deleteColumn(Col);
    }
    if (OnColumnDelete)
        OnColumnDelete(Col);
}

bool TZarur::RemoveColumnRange(int First, int Last)
{
    if (!rangeValid(First, Last, false))
        return false;
    for (int c = Last; c >= First; --c)
        RemoveColumnAt(c);
    return true;
}

void TZarur::rememberHiddenAndZero(int first, int last, int kind)
{
    const bool rows = kind == szRow;
    const int count = rows ? rowCount() : colCount();
    for (int i = std::max(0, first); i <= last && i < count; ++i) {
        m_hiddenSizes.RememberSize(i, rows ? rowHeight(i) : colWidth(i), kind);
        if (rows)
            setRowHeight(i, 0);
        else
            setColWidth(i, 0);
    }
}

void TZarur::showHidden(int first, int last, int kind)
{
    const bool rows = kind == szRow;
    const int count = rows ? rowCount() : colCount();
    for (int i = std::max(0, first); i <= last && i < count; ++i) {
        if ((rows ? rowHeight(i) : colWidth(i)) != 0)
            continue;
        const int size = m_hiddenSizes.RecallSize(i, kind);
        if (size == -1)
            continue;
        if (rows)
            setRowHeight(i, size);
        else
            setColWidth(i, size);
        m_hiddenSizes.ForgetSize(i, kind);
    }
}

void TZarur::HideRows(int First, int Last)
{
    rememberHiddenAndZero(First, Last, szRow);
}

void TZarur::ShowRows(int First, int Last)
{
    showHidden(First, Last, szRow);
}

void TZarur::HideColumns(int First, int Last)
{
    rememberHiddenAndZero(First, Last, szCol);
}

void TZarur::ShowColumns(int First, int Last)
{
    showHidden(First, Last, szCol);
}

// ---- Texts ------------------------------------------------------------------------------------

bool TZarur::LocateText(const QString& Value, int& Col, int& Row)
{
    QCollator collator { QLocale() };
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (int c = 0; c < colCount(); ++c) {
        for (int r = 0; r < rowCount(); ++r) {
            if (collator.compare(cells(c, r), Value) == 0) {
                Col = c;
                Row = r;
                return true;
            }
        }
    }
    return false;
}

void TZarur::ReadDelimitedFile(const QString& FileName, QChar Delimiter)
{
    ClearAllRows();
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(QStringLiteral("Cannot open file"), file);
    const QStringList lines = fileLines(QString::fromUtf8(file.readAll()));
    const int count = int(lines.size());
    setRowCount(count);
    setColCount(fixedCols() + 1);
    for (int i = 0; i < count; ++i) {
        const QStringList pieces = lines[i].split(Delimiter, Qt::KeepEmptyParts);
        if (pieces.size() > colCount())
            setColCount(int(pieces.size()));
        setRowTexts(i, pieces);
    }
}

void TZarur::WriteDelimitedFile(const QString& FileName, QChar Delimiter)
{
    QFile file(FileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw fileError(QStringLiteral("Cannot create file"), file);
    QByteArray out;
    for (int r = 0; r < rowCount(); ++r) {
        QStringList texts;
        texts.reserve(colCount());
        for (int c = 0; c < colCount(); ++c)
            texts.append(cells(c, r));
        out += texts.join(Delimiter).toUtf8();
        out += '\n';
    }
    if (file.write(out) != out.size())
        throw fileError(QStringLiteral("Cannot write file"), file);
}

int TZarur::ModifyRow(int Row, const QString& Text, const QString& Separator)
{
    if (Separator.isEmpty()) {
        setCells(0, Row, Text);
        return 1;
    }
    int written = 0;
    qsizetype start = 0;
    for (qsizetype at = Text.indexOf(Separator); at >= 0; at = Text.indexOf(Separator, start)) {
        setCells(written++, Row, Text.mid(start, at - start));
        start = at + Separator.size();
    }
    setCells(written++, Row, Text.mid(start));
    return written;
}

int TZarur::ModifyCol(int Col, const QString& Text, const QString& Separator)
{
    if (Separator.isEmpty()) {
        setCells(Col, 0, Text);
        return 1;
    }
    int written = 0;
    qsizetype start = 0;
    for (qsizetype at = Text.indexOf(Separator); at >= 0; at = Text.indexOf(Separator, start)) {
        setCells(Col, written++, Text.mid(start, at - start));
        start = at + Separator.size();
    }
    setCells(Col, written++, Text.mid(start));
    return written;
}

// ---- Row marking ------------------------------------------------------------------------------

void TZarur::ToggleRowMark(int Row)
{
    m_markedRows.toggle(Row);
    RepaintRow(Row);
}

void TZarur::SetRowMark(int Row, bool Marked)
{
    if (m_markedRows.set(Row, Marked))
        RepaintRow(Row);
}

void TZarur::SetRowMarkRange(int A, int B, bool Marked)
{
    for (int r = std::min(A, B); r <= std::max(A, B); ++r)
        SetRowMark(r, Marked);
}

// ---- Notifications ----------------------------------------------------------------------------

void TZarur::colWidthsChanged()
{
    StringGrid::colWidthsChanged();
    if (OnColumnWidthsChanged)
        OnColumnWidthsChanged();
    AdjustScrollThumbs();
}

void TZarur::rowHeightsChanged()
{
    StringGrid::rowHeightsChanged();
    if (OnRowHeightsChanged)
        OnRowHeightsChanged();
    AdjustScrollThumbs();
}

void TZarur::sizeChanged(int oldColCount, int oldRowCount)
{
    StringGrid::sizeChanged(oldColCount, oldRowCount);
    if (m_entryRow >= rowCount() || m_entryCol >= colCount())
        RememberEditCell();
    if (OnSizeChanged)
        OnSizeChanged(oldColCount, oldRowCount);
    AdjustScrollThumbs();
}

void TZarur::resizeEvent(QResizeEvent* event)
{
    StringGrid::resizeEvent(event);
    if (m_proportionalScrollBars)
        AdjustScrollThumbs();
}

// The toolkit sets its own page steps whenever the geometry changes; proportional thumbs must
// survive that.
void TZarur::scrollBarsUpdated()
{
    StringGrid::scrollBarsUpdated();
    if (m_proportionalScrollBars)
        AdjustScrollThumbs();
}

void TZarur::rowMoved(int from, int to)
{
    StringGrid::rowMoved(from, to);
    m_entryRow = followMove(m_entryRow, from, to);
}

void TZarur::columnMoved(int from, int to)
{
    StringGrid::columnMoved(from, to);
    m_entryCol = followMove(m_entryCol, from, to);
}

void TZarur::rowDeleted(int row)
{
    StringGrid::rowDeleted(row);
    if (m_entryRow > row)
        --m_entryRow;
    else if (m_entryRow == row)
        RememberEditCell(); // the edited text went with its row
}

void TZarur::columnDeleted(int col)
{
    StringGrid::columnDeleted(col);
    if (m_entryCol > col)
        --m_entryCol;
    else if (m_entryCol == col)
        RememberEditCell();
}

void TZarur::rowsPermuted(int first, std::span<const int> sources)
{
    StringGrid::rowsPermuted(first, sources);
    const auto at = std::find(sources.begin(), sources.end(), m_entryRow);
    if (at != sources.end())
        m_entryRow = first + int(at - sources.begin());
}

void TZarur::mouseEntered()
{
    StringGrid::mouseEntered();
    if (OnMouseEnter)
        OnMouseEnter();
}

void TZarur::mouseLeft()
{
    StringGrid::mouseLeft();
    if (OnMouseLeave)
        OnMouseLeave();
}

} // namespace kolvar::grid
