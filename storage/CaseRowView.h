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

    bool m_hasRow = false;
    std::uint32_t m_cursor = 0;
    std::int64_t m_id = 0;
    QByteArray m_idText;
    std::array<QByteArray, Columns - 1> m_texts;
    std::array<bool, Columns - 1> m_null {};
    mutable TMemoryStream m_stream;
};

} // namespace kolvar::storage
