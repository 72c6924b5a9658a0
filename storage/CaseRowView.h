#pragma once

#include "SqliteInterfaces.h"

#include <QByteArray>
#include <QStringList>

#include <array>
#include <cstdint>

namespace kolvar::storage {

// One case row that did not come from SQLite (a server's row), seen as the one-row result the
// list and the editor read: the eight columns as Windows-1250 bytes, NULL kept apart from an
// empty text, ID an integer.
class CaseRowView final : public ISQLiteTable
{
public:
    static constexpr int Columns = 8;

    // Empty: no row, AtEnd from the start.
    CaseRowView() = default;
    CaseRowView(const CaseRowView&) = delete;
    CaseRowView& operator=(const CaseRowView&) = delete;

    void setRow(std::int64_t id, const std::array<const QByteArray*, Columns - 1>& texts);
    // A line of COPY ... TO STDOUT's text output of the eight columns, the server's UTF-8 turned
    // into the code page's bytes as the texts are split and unescaped: one pass, written into the
    // buffer this row keeps from line to line. False, and no row, when the line is not such a row.
    [[nodiscard]] bool setCopyLine(QByteArrayView line);
    void clear() { m_hasRow = false; }

    [[nodiscard]] QString CellText(int col) const override;
    [[nodiscard]] bool AtEnd() const override { return !m_hasRow || m_cursor > 0; }
    [[nodiscard]] bool AtStart() const override { return m_cursor == 0; }
    [[nodiscard]] QString ColumnName(int col) const override;
    [[nodiscard]] QString CellTextNamed(const QString& name) const override;
    [[nodiscard]] int ColumnNumber(const QString& name) const override;
    [[nodiscard]] std::uint32_t RecordTotal() const override { return m_hasRow ? 1 : 0; }
    [[nodiscard]] std::int32_t CountAnswer() const override;
    [[nodiscard]] std::uint32_t ColumnTotal() const override { return Columns; }
    [[nodiscard]] std::uint32_t CurrentRow() const override { return m_cursor; }
    [[nodiscard]] std::uint32_t RowTotal() const override { return RecordTotal(); }
    [[nodiscard]] std::int64_t CellInt64(int col) const override;
    [[nodiscard]] TMemoryStream* CellStream(int col) const override;
    [[nodiscard]] QString CellBlobText(int col) const override;
    [[nodiscard]] bool CellIsNull(int col) const override;
    [[nodiscard]] QString CellTextOrEmpty(int col) const override;
    [[nodiscard]] double CellDouble(int col) const override;
    [[nodiscard]] QByteArrayView CellBytes(int col) const override;
    [[nodiscard]] StoredType CellStoredType(int col) const override;
    bool StepForward() override;
    bool StepBack() override;
    bool GoFirst() override;
    bool GoLast() override;

private:
    void check(int col) const;
    // Room for a row of at most size bytes; the columns are then written in place, each closed
    // by endColumn, and finishRow reads the ID from the first.
    [[nodiscard]] char* startRow(qsizetype size);
    void endColumn(int col, const char* end, bool null);
    [[nodiscard]] bool finishRow();
    [[nodiscard]] QByteArrayView column(int col) const
    {
        return QByteArrayView(m_bytes.constData() + m_starts[std::size_t(col)],
            m_starts[std::size_t(col) + 1] - m_starts[std::size_t(col)]);
    }

    bool m_hasRow = false;
    std::uint32_t m_cursor = 0;
    std::int64_t m_id = 0;
    // The eight columns one after another, ID first, as the code page's bytes. It only grows, so
    // a streamed list allocates once, not once a row.
    QByteArray m_bytes;
    std::array<qsizetype, Columns + 1> m_starts {};
    std::array<bool, Columns> m_null {};
    mutable TMemoryStream m_stream;
};

} // namespace kolvar::storage
