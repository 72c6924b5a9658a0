#include "StringGrid.h"

#include "GridTextStore.h"

#include <QPainter>

#include <algorithm>

namespace kolvar::grid {

struct StringGrid::Store
{
    GridTextStore texts;
    std::uint64_t changes = 0;
};

StringGrid::StringGrid(QWidget* parent)
    : CustomGrid(parent)
    , m_store(std::make_unique<Store>())
{
    m_store->texts.resize(rowCount());
}

StringGrid::~StringGrid() = default;

QString StringGrid::cells(int col, int row) const
{
    if (row >= rowCount())
        return {};
    if (col == m_numberColumn && row >= fixedRows())
        return QString::number(row - fixedRows() + 1);
    if (const std::optional<QByteArray> whole = wholeCellBytes(col, row))
        return decodeCellBytes(*whole);
    return m_store->texts.text(col, row);
}

std::optional<QByteArray> StringGrid::wholeCellBytes(int col, int row) const
{
    std::optional<QByteArray> whole;
    if (!useWholeCell(col, row, [&](QByteArrayView text) { whole = text.toByteArray(); }))
        return std::nullopt;
    return whole.value_or(QByteArray());
}

bool StringGrid::useWholeCell(
    int col, int row, const std::function<void(QByteArrayView text)>& use) const
{
    if (row < 0 || row >= rowCount() || (col == m_numberColumn && row >= fixedRows())
        || !isCut(col, row))
        return false;
    m_partial->useWhole(col, row, use);
    return true;
}

QString StringGrid::shownText(int col, int row, int width, bool* cut) const
{
    if (cut)
        *cut = false;
    if (row >= rowCount() || (col == m_numberColumn && row >= fixedRows()))
        return cells(col, row);
    // A character narrower than half a pixel is a mark on another; the slack covers runs of them.
    constexpr qsizetype Slack = 256;
    const qsizetype limit = 2 * qsizetype(std::max(width, 0)) + Slack;
    QString shown = m_store->texts.textPrefix(col, row, limit + 1);
    if (shown.size() <= limit && isCut(col, row)) {
        // Wider than the beginning the cell keeps: a column dragged across several screens.
        m_partial->useWhole(col, row, [&](QByteArrayView whole) {
            shown = decodeCellBytes(whole.first(std::min(whole.size(), limit + 1)));
        });
    }
    if (shown.size() <= limit)
        return shown;
    if (cut)
        *cut = true;
    shown.truncate(limit);
    if (shown.back().isHighSurrogate())
        shown.chop(1);
    return shown;
}

void StringGrid::setNumberColumn(int col)
{
    m_numberColumn = col;
    invalidateGrid();
}

std::optional<QByteArrayView> StringGrid::cellBytes(int col, int row) const
{
    if (row >= rowCount() || (col == m_numberColumn && row >= fixedRows()))
        return std::nullopt;
    return m_store->texts.compactText(col, row);
}

void StringGrid::prefetchRow(int row) const
{
    m_store->texts.prefetchRow(row);
}

void StringGrid::prefetchCellBytes(int col, int row) const
{
    m_store->texts.prefetchText(col, row);
}

QString StringGrid::decodeCellBytes(QByteArrayView bytes) const
{
    return m_store->texts.decodeCompact(bytes);
}

void StringGrid::setCells(int col, int row, const QString& text)
{
    ++m_store->changes;
    if (col < 0 || row < 0 || row >= rowCount())
        return;
    m_store->texts.setText(col, row, text);
    if (col < colCount())
        invalidateCell(col, row);
}

QString StringGrid::accessibleText(int col, int row) const
{
    return col < colCount() ? cells(col, row) : QString();
}

QStringList StringGrid::rowTexts(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return m_store->texts.rowTexts(row, colCount());
}

void StringGrid::setRowTexts(int row, const QStringList& texts)
{
    ++m_store->changes;
    const std::vector<QStringView> views(texts.cbegin(), texts.cend());
    setRowTexts(row, std::span<const QStringView>(views));
}

void StringGrid::setRowTexts(int row, std::span<const QStringView> texts)
{
    ++m_store->changes;
    if (row < 0 || row >= rowCount())
        return;
    m_store->texts.setRow(row, texts);
    invalidateRow(row);
    announceReset();
}

void StringGrid::setRowBytes(int row, std::span<const QByteArrayView> texts)
{
    ++m_store->changes;
    if (row < 0 || row >= rowCount())
        return;
    m_store->texts.setRowEncoded(row, texts);
    invalidateRow(row);
    announceReset();
}

void StringGrid::fillRowBytes(int row, std::span<const QByteArrayView> texts, int firstRoom)
{
    ++m_store->changes;
    if (row < 0 || row >= rowCount())
        return;
    m_store->texts.setRowEncoded(row, texts, firstRoom);
    announceReset();
}

void StringGrid::fillFirstCellBytes(int row, QByteArrayView bytes)
{
    ++m_store->changes;
    if (row < 0 || row >= rowCount())
        return;
    if (!m_store->texts.setFirstTextInRoom(row, bytes))
        m_store->texts.setText(0, row, m_store->texts.decodeCompact(bytes));
}

void StringGrid::permuteRows(int first, std::span<const int> sources)
{
    ++m_store->changes;
    if (first < 0 || first + qsizetype(sources.size()) > rowCount())
        return;
    if (!m_store->texts.permuteRows(first, sources))
        return;
    rowsPermuted(first, sources);
    viewport()->update();
    announceReset();
}

QStringList StringGrid::colTexts(int col) const
{
    QStringList out;
    out.reserve(rowCount());
    for (int r = 0; r < rowCount(); ++r)
        out.append(m_store->texts.text(col, r));
    return out;
}

void StringGrid::setColTexts(int col, const QStringList& texts)
{
    ++m_store->changes;
    if (col < 0)
        return;
    for (int r = 0; r < rowCount(); ++r)
        m_store->texts.setText(col, r, r < texts.size() ? QStringView(texts.at(r)) : QStringView());
    invalidateCol(col);
}

void StringGrid::rowsPermuted(int, std::span<const int>) { }

void StringGrid::clearRow(int row)
{
    ++m_store->changes;
    if (row < 0 || row >= rowCount())
        return;
    m_store->texts.clearRow(row);
    invalidateRow(row);
    announceReset();
}

void StringGrid::setCompactCodec(std::function<QByteArray(QStringView)> encode,
    std::function<QString(QByteArrayView)> decode, std::function<bool(QStringView)> canEncode)
{
    ++m_store->changes;
    m_store->texts.setCodec({ std::move(encode), std::move(decode), std::move(canEncode) });
}

std::uint64_t StringGrid::textChanges() const
{
    return m_store->changes;
}

std::size_t StringGrid::storedTextBytes() const
{
    return m_store->texts.heapBytes();
}

void StringGrid::drawCell(int col, int row, const QRect& rect, GridDrawState state)
{
    GridCanvas& cv = canvas();
    if (defaultDrawing() && cv.painter) {
        cv.painter->fillRect(rect, cv.brush);
        cv.painter->setFont(cv.font);
        cv.painter->setPen(cv.fontColor);
        // Clipping to the cell keeps long texts off the neighbours.
        cv.painter->drawText(
            QRect(rect.left() + 2, rect.top() + 2, rect.width() - 2, rect.height() - 2),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shownText(col, row, rect.width()));
    }
    if (onDrawCell)
        onDrawCell(col, row, rect, state);
}

void StringGrid::sizeChanged(int oldColCount, int oldRowCount)
{
    ++m_store->changes;
    m_store->texts.resize(rowCount());
    CustomGrid::sizeChanged(oldColCount, oldRowCount);
}

void StringGrid::rowMoved(int from, int to)
{
    ++m_store->changes;
    m_store->texts.moveRow(from, to);
    CustomGrid::rowMoved(from, to);
}

void StringGrid::columnMoved(int from, int to)
{
    ++m_store->changes;
    m_store->texts.moveColumn(from, to);
    CustomGrid::columnMoved(from, to);
}

void StringGrid::rowDeleted(int row)
{
    ++m_store->changes;
    m_store->texts.removeRow(row);
    CustomGrid::rowDeleted(row);
}

void StringGrid::columnDeleted(int col)
{
    ++m_store->changes;
    m_store->texts.removeColumn(col);
    CustomGrid::columnDeleted(col);
}

QString StringGrid::getEditText(int col, int row)
{
    return cells(col, row);
}

void StringGrid::setEditText(int col, int row, const QString& value)
{
    setCells(col, row, value);
}

} // namespace kolvar::grid
