#include "StringGrid.h"

#include <QPainter>

namespace kolvar::grid {

struct StringGrid::Store
{
    std::vector<QStringList> rows;
};

StringGrid::StringGrid(QWidget* parent)
    : CustomGrid(parent)
    , m_store(std::make_unique<Store>())
{ }

StringGrid::~StringGrid() = default;

QString StringGrid::cells(int col, int row) const
{
    if (row < 0 || size_t(row) >= m_store->rows.size())
        return {};
    return m_store->rows[size_t(row)].value(col);
}

void StringGrid::setCells(int col, int row, const QString& text)
{
    if (row < 0 || col < 0)
        return;
    if (size_t(row) >= m_store->rows.size())
        m_store->rows.resize(size_t(row) + 1);
    auto& r = m_store->rows[size_t(row)];
    while (r.size() <= col)
        r.append(QString());
    r[col] = text;
}

QStringList StringGrid::rowTexts(int row) const
{
    QStringList out;
    for (int c = 0; c < colCount(); ++c)
        out << cells(c, row);
    return out;
}

void StringGrid::setRowTexts(int row, const QStringList& texts)
{
    for (int c = 0; c < texts.size(); ++c)
        setCells(c, row, texts[c]);
}

QStringList StringGrid::colTexts(int col) const
{
    QStringList out;
    for (int r = 0; r < rowCount(); ++r)
        out << cells(col, r);
    return out;
}

void StringGrid::setColTexts(int col, const QStringList& texts)
{
    for (int r = 0; r < texts.size(); ++r)
        setCells(col, r, texts[r]);
}

void StringGrid::clearRow(int row)
{
    if (row >= 0 && size_t(row) < m_store->rows.size())
        m_store->rows[size_t(row)].clear();
}

void StringGrid::drawCell(int col, int row, const QRect& rect, GridDrawState state)
{
    CustomGrid::drawCell(col, row, rect, state);
}

void StringGrid::setRowTexts(int row, std::span<const QStringView> texts)
{
    for (size_t c = 0; c < texts.size(); ++c)
        setCells(int(c), row, texts[c].toString());
}
void StringGrid::setRowBytes(int row, std::span<const QByteArrayView> texts)
{
    for (size_t c = 0; c < texts.size(); ++c)
        setCells(int(c), row, QString::fromLatin1(texts[c]));
}
void StringGrid::setCompactCodec(std::function<QByteArray(QStringView)>,
    std::function<QString(QByteArrayView)>, std::function<bool(QStringView)>)
{ }
std::size_t StringGrid::storedTextBytes() const
{
    return 0;
}
void StringGrid::sizeChanged(int oldColCount, int oldRowCount)
{
    CustomGrid::sizeChanged(oldColCount, oldRowCount);
}
void StringGrid::rowMoved(int, int) { }
void StringGrid::columnMoved(int, int) { }
void StringGrid::rowDeleted(int) { }
void StringGrid::columnDeleted(int) { }
QString StringGrid::getEditText(int col, int row)
{
    return cells(col, row);
}
void StringGrid::setEditText(int col, int row, const QString& value)
{
    setCells(col, row, value);
}

} // namespace kolvar::grid
