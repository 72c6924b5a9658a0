#pragma once

#include "CaseRow.h"

#include <QByteArray>
#include <QStringList>

#include <array>
#include <cstdint>

namespace kolvar::storage {

// A server's case row as the list reads it: the eight fields as Windows-1250 bytes, NULL kept
// apart from an empty text, ID an integer.
class CaseRowView final : public CaseRow
{
public:
    static constexpr int Columns = Fields;

    // Empty: no row.
    CaseRowView() = default;
    CaseRowView(const CaseRowView&) = delete;
    CaseRowView& operator=(const CaseRowView&) = delete;

    void setRow(std::int64_t id, const std::array<const QByteArray*, Columns - 1>& texts);
    // A line of COPY ... TO STDOUT's text output of the eight columns, the server's UTF-8 turned
    // into the code page's bytes as the texts are split and unescaped: one pass, written into the
    // buffer this row keeps from line to line. False, and no row, when the line is not such a row.
    [[nodiscard]] bool setCopyLine(QByteArrayView line);
    void clear() { m_hasRow = false; }

    [[nodiscard]] bool hasRow() const { return m_hasRow; }
    [[nodiscard]] std::int64_t id() const { return m_id; }

    [[nodiscard]] QByteArrayView text(int field) const override;
    [[nodiscard]] bool isNull(int field) const override;
    [[nodiscard]] StoredType storedType(int field) const override;
    [[nodiscard]] bool holdsBytes(int) const override { return true; }

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
    std::int64_t m_id = 0;
    // The eight columns one after another, ID first, as the code page's bytes. It only grows, so
    // a streamed list allocates once, not once a row.
    QByteArray m_bytes;
    std::array<qsizetype, Columns + 1> m_starts {};
    std::array<bool, Columns> m_null {};
};

} // namespace kolvar::storage
