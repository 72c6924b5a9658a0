#include "Zarur.h"

#include "GridAxis.h"
#include "SortGlyph.h"

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

// Runs an action when the scope ends, also through an exception.
template <typename Action> class AtScopeEnd
{
public:
    explicit AtScopeEnd(Action action)
        : m_action(std::move(action))
    { }
    ~AtScopeEnd() { m_action(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

private:
    Action m_action;
};

// A sort of a million rows takes a moment; the cursor says so and comes back whatever happens.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

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

// ---- Sorting ----------------------------------------------------------------------------------

TSortKeyKind TZarur::GuessKeyKind(int Col)
{
    const int first = fixedRows();
    const int count = std::max(0, lastSortableRow() - first + 1);
    return guessKeyKind(
        count, [&](qsizetype i) { return cells(Col, first + int(i)); }, KeyFormat());
}

void TZarur::OrderByColumn(int Col, const TSortOptions& Options)
{
    if (editorShown() || rowCount() <= fixedRows() + 1)
        return;
    TSortOptions options = Options;
    if (options.KeyKind == skDetect)
        options.KeyKind = GuessKeyKind(Col);
    if (OnBeginSort)
        OnBeginSort(Col, options);
    RearrangeRows(Col, options);
    if (OnEndSort)
        OnEndSort(Col);
}

void TZarur::RearrangeRows(int Col, const TSortOptions& Options)
{
    m_sortRunning = true;
    const AtScopeEnd finish([this] {
        m_sortRunning = false;
        m_rowsSorted = true;
    });
    m_sortEntries.ReleaseEntries();
    SetSortDirection(Options.Direction);
    m_sortColumn = Col;

    const int first = fixedRows();
    const int count = std::max(0, lastSortableRow() - first + 1);
    std::vector<QString> keys(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        keys[std::size_t(i)] = cells(Col, first + i);
    const std::vector<int> order = sortedKeyOrder(keys, Options, KeyFormat());

    m_sortEntries.Reserve(count);
    std::vector<int> sourceOfRow(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::size_t k = std::size_t(order[i]);
        m_sortEntries.Add({ std::move(keys[k]), first + order[i] });
        sourceOfRow[i] = first + order[i];
    }
    moveRowTexts(sourceOfRow, first);

    const int current = row();
    if (current >= first && current < first + count) {
        const auto at = std::find(sourceOfRow.begin(), sourceOfRow.end(), current);
        FocusCell(col(), first + int(at - sourceOfRow.begin()));
    }
    // The glyph may have moved to another column even when the direction stayed.
    RepaintRow(0);
}

// Row i from firstRow on receives the texts row sourceOfRow[i] had. Heights, hidden-row records
// and marks stay where they are: only the texts move.
void TZarur::moveRowTexts(const std::vector<int>& sourceOfRow, int firstRow)
{
    permuteRows(firstRow, sourceOfRow);
}

bool TZarur::PreSortOrderKnown()
{
    if (m_sortEntries.Count() == rowCount() - fixedRows())
        return true;
    m_sortEntries.ReleaseEntries();
    return false;
}

void TZarur::RestorePreSortOrder()
{
    if (PreSortOrderKnown()) {
        const int first = fixedRows();
        const int count = m_sortEntries.Count();
        std::vector<int> sourceOfRow(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            sourceOfRow[std::size_t(m_sortEntries.EntryAt(i).SourceRow - first)] = first + i;
        moveRowTexts(sourceOfRow, first);
        const int index = row() - first;
        if (index >= 0 && index < count)
            FocusCell(col(), m_sortEntries.EntryAt(index).SourceRow);
        m_sortEntries.ReleaseEntries();
    }
    m_rowsSorted = false;
}

void TZarur::LoadSortGlyph()
{
    m_sortGlyph = QImage();
    m_sortGlyphMasked = QImage();
    QColor transparent = toQColor(colors::Aqua);
    switch (m_sortSymbol) {
    case sgNone:
        return;
    case sgCustom:
        m_sortGlyph = m_sortDirection == sdDescending ? m_sortBitMapD : m_sortBitMapA;
        if (!m_sortGlyph.isNull())
            transparent = m_sortGlyph.pixelColor(0, 0);
        break;
    case sgArrow:
    case sgGlyph: {
        const int k = (m_sortSymbol == sgGlyph ? 2 : 0) + (m_sortDirection == sdDescending ? 1 : 0);
        m_sortGlyph
            = loadSortGlyphResource(QStringLiteral("SORTUPSORTDNSORTAZSORTZA").mid(6 * k, 6));
        break;
    }
    }
    if (!m_sortGlyph.isNull())
        m_sortGlyphMasked = maskedGlyph(m_sortGlyph, transparent);
}

void TZarur::clickSort(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    const QLineEdit* editor = inplaceEditor();
    const bool focused = hasFocus() || (editor && editor->hasFocus());
    if (!focused || !m_sortOnClick || gridState() != GridState::gsNormal || fixedRows() < 1)
        return;
    if (mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return;
    if (m_buttonsAtRelease != Qt::NoButton)
        return;
    int c = 0;
    int r = 0;
    if (!mouseToCell(pos, c, r) || r < 0 || r > fixedRows() - 1)
        return;
    TSortOptions options;
    options.KeyKind = skDetect;
    options.Direction = button == Qt::RightButton ? sdDescending : sdAscending;
    options.MatchCase = m_caseSensitive;
    if (OnClickSort)
        OnClickSort(c, r, options);
    const WaitCursor wait;
    OrderByColumn(c, options);
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
    const AtScopeEnd resume([this] { SuspendAlwaysShowEditor(false); });
    moveRow(From, To);
    m_rowsSorted = false;
}

void TZarur::ShiftColumn(int From, int To)
{
    SuspendAlwaysShowEditor(true);
    const AtScopeEnd resume([this] { SuspendAlwaysShowEditor(false); });
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
        const AtScopeEnd resume([this] { SuspendAlwaysShowEditor(false); });
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
        const AtScopeEnd resume([this] { SuspendAlwaysShowEditor(false); });
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

// ---- Search ----------------------------------------------------------------------------------

bool TZarur::FindFirst(const QString& Text, bool ByRows, int& Col, int& Row)
{
    const bool all = m_useFixed == hfYes;
    return startSearch(Text,
        { all ? 0 : SavedFixedCols(), all ? 0 : SavedFixedRows(), colCount() - 1, rowCount() - 1,
            ByRows },
        Col, Row);
}

bool TZarur::FindFirstInRow(const QString& Text, int ARow, int& Col, int& Row)
{
    const int firstCol = m_useFixed == hfYes ? 0 : SavedFixedCols();
    return startSearch(Text, { firstCol, ARow, colCount() - 1, ARow, true }, Col, Row);
}

bool TZarur::FindFirstInCol(const QString& Text, int ACol, int& Col, int& Row)
{
    const int firstRow = m_useFixed == hfYes ? 0 : SavedFixedRows();
    return startSearch(Text, { ACol, firstRow, ACol, rowCount() - 1, false }, Col, Row);
}

bool TZarur::startSearch(const QString& text, const CellRange& range, int& col, int& row)
{
    m_searchText = text;
    m_searchExists = true;
    m_searchFirstRow = range.firstRow;
    m_searchFirstCol = range.firstCol;
    m_searchLastRow = range.lastRow;
    m_searchLastCol = range.lastCol;
    m_scanRowWise = range.rowWise;
    m_searchRow = range.firstRow;
    m_searchCol = range.firstCol;
    return FindNext(col, row);
}

bool TZarur::FindNext(int& Col, int& Row)
{
    if (m_keyType == soString && m_searchSubstring)
        m_searchText = foldCase(m_searchText);
    CellMatcher matcher(m_searchText,
        { m_keyType == soStringCaseSensitive, m_searchSubstring, m_keyPos, m_keyLen });
    matcher.useCompactCode([this](QByteArrayView bytes) { return decodeCellBytes(bytes); });
    const CellRange range { m_searchFirstCol, m_searchFirstRow, m_searchLastCol, m_searchLastRow,
        m_scanRowWise };
    const WaitCursor wait;
    while (range.contains(m_searchCol, m_searchRow)) {
        const int col = m_searchCol;
        const int row = m_searchRow;
        range.step(m_searchCol, m_searchRow);
        // The grid may have shrunk since the search started; a cell it no longer has is no hit,
        // not even for an empty phrase.
        if (col < 0 || row < 0 || col >= colCount() || row >= rowCount())
            continue;
        const std::optional<QByteArrayView> bytes = cellBytes(col, row);
        const std::optional<bool> inPlace = bytes ? matcher.matchesCompact(*bytes) : std::nullopt;
        if (inPlace ? *inPlace : matcher.matches(cells(col, row))) {
            Col = col;
            Row = row;
            return true;
        }
    }
    Col = -1;
    Row = -1;
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

// ---- Painting ---------------------------------------------------------------------------------

void TZarur::RepaintRow(int Row)
{
    for (int c = fixedCols(); c < colCount(); ++c)
        invalidateCell(c, Row);
}

void TZarur::PrepareCellFormat(int Col, int Row, TFormatOptions& Format)
{
    prepareCellFormat(m_painting ? canvas() : m_measureCanvas, Col, Row, Format);
}

void TZarur::prepareCellFormat(GridCanvas& canvas, int col, int row, TFormatOptions& format)
{
    Q_UNUSED(col);
    if (isFooterRow(row)) {
        canvas.font = m_footerFont;
        canvas.fontColor = toQColor(m_footerFontColor);
        canvas.brush.setColor(toQColor(m_footerColor));
        format.CellBevel = m_footerBevelStyle;
    } else {
        format.CellBevel = m_bevelStyle;
    }
    format.SuppressText = false;
    format.CellFont = &canvas.font;
    format.CellFontColor = &canvas.fontColor;
    format.CellBrush = &canvas.brush;
    format.HorzAlign = m_alignmentHorz;
    format.VertAlign = m_alignmentVert;
    switch (format.CellBevel) {
    case cbRaised:
        format.TopLeftColor = colors::BtnHighlight;
        format.BottomRightColor = colors::BtnShadow;
        break;
    case cbLowered:
        format.TopLeftColor = colors::BtnShadow;
        format.BottomRightColor = colors::BtnHighlight;
        break;
    case cbNone:
        format.TopLeftColor = colors::Window;
        format.BottomRightColor = colors::Window;
        break;
    }
}

void TZarur::PaintSortGlyph(int X, int Y)
{
    if (m_sortGlyphMasked.isNull() || !m_painting)
        return;
    canvas().painter->drawImage(QPoint(X, Y), m_sortGlyphMasked);
}

void TZarur::drawCell(int col, int row, const QRect& rect, GridDrawState state)
{
    m_painting = true;
    const AtScopeEnd done([this] { m_painting = false; });
    GridCanvas& cv = canvas();
    TFormatOptions format;
    prepareCellFormat(cv, col, row, format);

    const bool marked = m_markedRows.contains(row);
    const GridDrawState shown
        = marked ? (state | gdSelected) : (state & ~GridDrawState(gdSelected));
    if (!(state & gdFixed) && !isFooterRow(row) && (options() & goRangeSelect)) {
        cv.brush.setColor(toQColor(marked ? colors::Highlight : colors::Window));
        cv.fontColor = toQColor(marked ? colors::HighlightText : colors::WindowText);
    }
    if (OnGetCellFormat)
        OnGetCellFormat(col, row, state, format);

    if (!defaultDrawing()) {
        StringGrid::drawCell(col, row, rect, shown);
        return;
    }

    QPainter* p = cv.painter;
    const QString text = cells(col, row);
    const QFontMetrics metrics(cv.font, p->device());
    const int textWidth = metrics.horizontalAdvance(text);
    const int dx = horzTextOffset(format.HorzAlign, rect.width(), textWidth);
    const int dy = vertTextOffset(format.VertAlign, rect.height(), metrics.height());

    p->save();
    p->setClipRect(rect, Qt::IntersectClip);
    p->setRenderHint(QPainter::Antialiasing, false);
    p->fillRect(rect, cv.brush);
    if (!format.SuppressText && !text.isEmpty()) {
        p->setFont(cv.font);
        p->setPen(cv.fontColor);
        p->drawText(QPoint(rect.left() + dx, rect.top() + dy + metrics.ascent()), text);
    }
    if (m_sortSymbol != sgNone && row == 0 && col == m_sortColumn && fixedRows() > 0)
        PaintSortGlyph(
            rect.left() + dx + textWidth + m_sortSpacingHor, rect.top() + dy + m_sortSpacingVert);

    if (format.CellBevel != cbNone && col >= fixedCols() && row >= fixedRows()) {
        // Right and bottom edges first, so that the light edges win the corners they share.
        const int left = rect.left();
        const int top = rect.top();
        const int right = rect.left() + rect.width();
        const int bottom = rect.top() + rect.height();
        const QColor light = toQColor(format.TopLeftColor);
        const QColor dark = toQColor(format.BottomRightColor);
        const GridOptions opts = options();
        if (opts & goFixedVertLine) {
            p->setPen(QPen(dark, 0));
            p->drawLine(right - 1, top, right - 1, bottom - 1);
        }
        if (opts & goFixedHorzLine) {
            p->setPen(QPen(dark, 0));
            p->drawLine(left, bottom - 1, right - 1, bottom - 1);
        }
        if (opts & goFixedVertLine) {
            p->setPen(QPen(light, 0));
            p->drawLine(left, top, left, bottom - 1);
        }
        if (opts & goFixedHorzLine) {
            p->setPen(QPen(light, 0));
            p->drawLine(left, top, right - 1, top);
        }
    }
    p->restore();

    if (onDrawCell)
        onDrawCell(col, row, rect, shown);
}

GridDrawState TZarur::CellDrawState(int Col, int Row) const
{
    GridDrawState state = 0;
    if (Row < fixedRows() && Col < fixedCols())
        state |= gdFixed;
    const QLineEdit* editor = inplaceEditor();
    const bool focused = hasFocus() || (editor && editor->hasFocus());
    if (focused && Col == col() && Row == row())
        state |= gdFocused;
    const GridRect sel = selection();
    if (Col >= sel.left && Col <= sel.right && Row >= sel.top && Row <= sel.bottom)
        state |= gdSelected;
    return state;
}

void TZarur::FitColumnWidth(int Col)
{
    GridCanvas& cv = m_measureCanvas;
    cv.font = font();
    int widest = 0;
    for (int r = 0; r < rowCount(); ++r) {
        TFormatOptions format;
        prepareCellFormat(cv, Col, r, format);
        if (OnGetCellFormat)
            OnGetCellFormat(Col, r, CellDrawState(Col, r), format);
        widest = std::max(widest, QFontMetrics(cv.font).horizontalAdvance(cells(Col, r)));
    }
    setColWidth(Col, widest + QFontMetrics(cv.font).horizontalAdvance(QStringLiteral("x")));
}

void TZarur::FitAllColumns(bool IncludeFixed, int Extra)
{
    const auto fit = [this, Extra](int c) {
        FitColumnWidth(c);
        if (Extra != 0)
            setColWidth(c, colWidth(c) + Extra);
    };
    if (IncludeFixed) {
        for (int c = 0; c < fixedCols(); ++c)
            fit(c);
    }
    for (int c = fixedCols(); c < colCount(); ++c)
        fit(c);
}

void TZarur::FitRowHeight(int Row)
{
    const QFontMetrics metrics(font());
    int height = defaultRowHeight();
    for (int c = 0; c < colCount(); ++c) {
        const QString text = cells(c, Row);
        if (text.isEmpty())
            continue;
        // Cells scrolled out of view have no screen rectangle; their column width stands in.
        const QRect cell = cellRect(c, Row);
        const int width = std::max(1, cell.isEmpty() ? colWidth(c) : cell.width());
        const QRect bounds
            = metrics.boundingRect(QRect(0, 0, width, INT_MAX / 2), Qt::TextWordWrap, text);
        height = std::max(height, bounds.height() + 1);
    }
    if (m_hiddenSizes.RecallSize(Row, szRow) != -1) {
        m_hiddenSizes.ForgetSize(Row, szRow);
        m_hiddenSizes.RememberSize(Row, height, szRow);
    } else {
        setRowHeight(Row, height);
    }
}

void TZarur::fitRowsWhere(int first, int last, const std::function<bool(int)>& take)
{
    for (int r = std::max(0, first); r <= last && r < rowCount(); ++r) {
        if (take(rowHeight(r)))
            FitRowHeight(r);
    }
}

void TZarur::FitRowHeights(int First, int Last)
{
    fitRowsWhere(First, Last, [](int) { return true; });
}

void TZarur::FitShownRowHeights(int First, int Last)
{
    fitRowsWhere(First, Last, [](int height) { return height != 0; });
}

void TZarur::FitHiddenRowHeights(int First, int Last)
{
    fitRowsWhere(First, Last, [](int height) { return height == 0; });
}

void TZarur::AdjustScrollThumbs()
{
    const ScrollStyle bars = scrollBars();
    if (bars == ScrollStyle::ssVertical || bars == ScrollStyle::ssBoth) {
        QScrollBar* bar = verticalScrollBar();
        bar->setPageStep(m_proportionalScrollBars ? proportionalPageStep(visibleRowCount(),
                             fixedRows(), rowCount(), bar->minimum(), bar->maximum())
                                                  : 0);
    }
    if (bars == ScrollStyle::ssHorizontal || bars == ScrollStyle::ssBoth) {
        QScrollBar* bar = horizontalScrollBar();
        bar->setPageStep(m_proportionalScrollBars ? proportionalPageStep(visibleColCount(),
                             fixedCols(), colCount(), bar->minimum(), bar->maximum())
                                                  : 0);
    }
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

// ---- Mouse and keyboard -----------------------------------------------------------------------

void TZarur::mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    StringGrid::mouseDown(button, mods, pos);
    if (button != Qt::LeftButton || !(options() & goRangeSelect))
        return;
    int c = 0;
    int r = 0;
    if (!mouseToCell(pos, c, r) || r < fixedRows())
        return;
    m_markDragging = true;
    m_markLastRow = r;
    if (mods & Qt::ControlModifier) {
        ToggleRowMark(r);
        m_markAnchor = r;
    } else if (mods & Qt::ShiftModifier) {
        const int first = std::min(m_markAnchor, r);
        const int last = std::max(m_markAnchor, r);
        for (const int marked : m_markedRows.rows()) {
            if (marked < first || marked > last)
                SetRowMark(marked, false);
        }
        SetRowMarkRange(first, last, true);
    } else {
        m_markedRows = RowMarkSet(r);
        m_markAnchor = r;
        viewport()->update();
    }
}

void TZarur::mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    StringGrid::mouseMove(buttons, mods, pos);
    if (!m_markDragging)
        return;
    int c = 0;
    int r = 0;
    // Outside the cells the marking waits for the pointer to come back (or the grid to scroll);
    // over the title rows it reaches the first row in view.
    if (!mouseToCell(pos, c, r))
        return;
    r = std::max(r, topRow());
    if (r == m_markLastRow)
        return;
    for (const MarkSpan& span : dragMarkSpans(m_markAnchor, m_markLastRow, r))
        SetRowMarkRange(span.first, span.last, span.marked);
    m_markLastRow = r;
}

void TZarur::topLeftChanged()
{
    StringGrid::topLeftChanged();
    if (m_markDragging && topRow() > m_markPrevTopRow) {
        m_markLastRow = std::min(topRow() + visibleRowCount() - 1, rowCount() - 1);
        SetRowMark(m_markLastRow, true);
    }
    m_markPrevTopRow = topRow();
}

void TZarur::mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers mods, const QPoint& pos)
{
    clickSort(button, mods, pos);
    StringGrid::mouseUp(button, mods, pos);
    m_markDragging = false;
}

void TZarur::mouseReleaseEvent(QMouseEvent* event)
{
    // The click sort needs to know whether another button is still held.
    m_buttonsAtRelease = event->buttons();
    const AtScopeEnd reset([this] { m_buttonsAtRelease = Qt::NoButton; });
    StringGrid::mouseReleaseEvent(event);
}

void TZarur::keyDown(int& key, Qt::KeyboardModifiers mods)
{
    StringGrid::keyDown(key, mods);
    if (!m_extendedKeys || editorShown())
        return;
    const Qt::KeyboardModifiers held = mods & ~Qt::KeypadModifier;
    if (held == Qt::ControlModifier) {
        if (key == Qt::Key_Insert)
            AddRowAt(row());
        else if (key == Qt::Key_Delete && fixedRows() + 1 < rowCount())
            RemoveRowAt(row());
    } else if (held == (Qt::ControlModifier | Qt::ShiftModifier)) {
        if (key == Qt::Key_Insert)
            AddColumnAt(col());
        else if (key == Qt::Key_Delete && fixedCols() + 1 < colCount())
            RemoveColumnAt(col());
    }
}

void TZarur::keyPress(QChar& key)
{
    if (key == u'\r' || key == u'\n')
        ConfirmEditCell();
    StringGrid::keyPress(key);
}

// ---- In-place editing -------------------------------------------------------------------------

void TZarur::RememberEditCell()
{
    m_entryCol = col();
    m_entryRow = row();
    m_entryText = cells(m_entryCol, m_entryRow);
    m_modifiedAtEntry = m_cellsModified;
}

void TZarur::ConfirmEditCell()
{
    const QString edited = cells(m_entryCol, m_entryRow);
    if (edited != m_entryText) {
        QString value = edited;
        bool valid = true;
        if (OnCellValidate)
            OnCellValidate(m_entryCol, m_entryRow, value, valid);
        if (valid) {
            if (value != cells(m_entryCol, m_entryRow))
                setCells(m_entryCol, m_entryRow, value);
        } else {
            const bool changedByHandler = value != cells(m_entryCol, m_entryRow);
            setCells(m_entryCol, m_entryRow, changedByHandler ? value : m_entryText);
            m_cellsModified = m_modifiedAtEntry;
        }
    }
    RememberEditCell();
}

void TZarur::setEditText(int col, int row, const QString& value)
{
    if (value != cells(col, row))
        m_cellsModified = true;
    StringGrid::setEditText(col, row, value);
}

void TZarur::click()
{
    // A failing OnClick handler must not leave an edit unconfirmed.
    try {
        StringGrid::click();
    } catch (...) {
        if (m_focusHeld)
            ConfirmEditCell();
        throw;
    }
    if (m_focusHeld)
        ConfirmEditCell();
}

void TZarur::doEnter()
{
    StringGrid::doEnter();
    m_focusHeld = true;
    RememberEditCell();
}

void TZarur::doExit()
{
    // The main window learns of the last edit through OnClick, so leaving the grid clicks it.
    const AtScopeEnd leave([this] {
        StringGrid::doExit();
        m_focusHeld = false;
    });
    click();
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
