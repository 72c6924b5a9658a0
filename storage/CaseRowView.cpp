#include "CaseRowView.h"

#include "CaseTable.h"
#include "Cp1250.h"

namespace kolvar::storage {

void CaseRowView::setRow(std::int64_t id, const std::array<const QByteArray*, Columns - 1>& texts)
{
    m_hasRow = true;
    m_cursor = 0;
    m_id = id;
    m_idText = QByteArray::number(id);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        m_null[i] = texts[i] == nullptr;
        if (m_null[i])
            m_texts[i].clear();
        else
            m_texts[i] = *texts[i];
    }
}

void CaseRowView::check(int col) const
{
    if (AtEnd())
        throw ESQLiteException(QStringLiteral("No row to read"));
    if (col < 0 || col >= Columns)
        throw ESQLiteException(QStringLiteral("Column index out of bounds"));
}

QString CaseRowView::CellText(int col) const
{
    check(col);
    return col == 0 ? QString::number(m_id) : fromCp1250(m_texts[std::size_t(col - 1)]);
}

QString CaseRowView::ColumnName(int col) const
{
    if (col < 0 || col >= Columns)
        throw ESQLiteException(QStringLiteral("Column index out of bounds"));
    return QString::fromLatin1(CaseTable::ColumnNames[col]).toUpper();
}

int CaseRowView::ColumnNumber(const QString& name) const
{
    for (int col = 0; col < Columns; ++col) {
        if (name.compare(QLatin1String(CaseTable::ColumnNames[col]), Qt::CaseInsensitive) == 0)
            return col;
    }
    throw ESQLiteException(QStringLiteral("Field not found in dataset: ") + name);
}

QString CaseRowView::CellTextNamed(const QString& name) const
{
    return CellText(ColumnNumber(name));
}

std::int32_t CaseRowView::CountAnswer() const
{
    return std::int32_t(CellInt64(0));
}

std::int64_t CaseRowView::CellInt64(int col) const
{
    check(col);
    return col == 0 ? m_id : m_texts[std::size_t(col - 1)].toLongLong();
}

TMemoryStream* CaseRowView::CellStream(int col) const
{
    if (CellIsNull(col))
        return nullptr;
    m_stream = TMemoryStream(CellBytes(col).toByteArray());
    return &m_stream;
}

QString CaseRowView::CellBlobText(int col) const
{
    return CellTextOrEmpty(col);
}

bool CaseRowView::CellIsNull(int col) const
{
    check(col);
    return col > 0 && m_null[std::size_t(col - 1)];
}

QString CaseRowView::CellTextOrEmpty(int col) const
{
    return CellIsNull(col) ? QString() : CellText(col);
}

double CaseRowView::CellDouble(int col) const
{
    check(col);
    return col == 0 ? double(m_id) : m_texts[std::size_t(col - 1)].toDouble();
}

QByteArrayView CaseRowView::CellBytes(int col) const
{
    check(col);
    return col == 0 ? QByteArrayView(m_idText) : QByteArrayView(m_texts[std::size_t(col - 1)]);
}

StoredType CaseRowView::CellStoredType(int col) const
{
    if (CellIsNull(col))
        return StoredType::Null;
    return col == 0 ? StoredType::Integer : StoredType::Text;
}

bool CaseRowView::StepForward()
{
    if (!AtEnd())
        ++m_cursor;
    return !AtEnd();
}

bool CaseRowView::StepBack()
{
    if (m_cursor > 0)
        --m_cursor;
    return !AtEnd();
}

bool CaseRowView::GoFirst()
{
    m_cursor = 0;
    return !AtEnd();
}

bool CaseRowView::GoLast()
{
    return GoFirst();
}

} // namespace kolvar::storage
