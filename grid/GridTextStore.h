#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace kolvar::grid {

// The texts of a string grid, row by row, kept compact: a list of a million rows of long texts
// must not cost a QString per cell. Each row is one block (a small header, an offsets table and
// the text bytes) or nothing when the row is empty, so moving a row moves one pointer. Blocks
// are cut from large chunks, each freed with the last of its rows, so that filling and dropping
// a million rows costs a few hundred allocations rather than a million; a row too long for a
// chunk has a heap block of its own. Rows are made and dropped on one thread, as widgets are.
// A row whose texts all fit a single-byte code page is stored in one byte per character
// (Latin-1, or the installed codec's page); any other row in UTF-16. Reading a text decodes it.
class GridTextStore
{
public:
    struct Codec
    {
        std::function<QByteArray(QStringView)> encode;
        std::function<QString(QByteArrayView)> decode;
        std::function<bool(QStringView)> canEncode;
    };

    GridTextStore();
    ~GridTextStore();
    GridTextStore(const GridTextStore&) = delete;
    GridTextStore& operator=(const GridTextStore&) = delete;

    [[nodiscard]] int rowCount() const { return int(m_rows.size()); }
    void resize(int rows); // rows beyond are dropped, new rows are empty

    [[nodiscard]] QString text(int col, int row) const;
    // At most the first maxChars characters of the text (one fewer where the last would be the
    // first half of a pair): what a cell can show of a text of many megabytes, decoded alone.
    [[nodiscard]] QString textPrefix(int col, int row, qsizetype maxChars) const;
    void setText(int col, int row, QStringView text);
    // The text as the compact bytes it is kept in, without decoding; nothing when its row is
    // kept in UTF-16. Valid until the row changes.
    [[nodiscard]] std::optional<QByteArrayView> compactText(int col, int row) const;
    // Hints that the row's texts, or one text, will be read soon: a pass over a million rows
    // scattered over the heap otherwise waits on memory at every row. The text's hint reads the
    // row's header, which the row's hint, given some rows earlier, brings in.
    void prefetchRow(int row) const;
    void prefetchText(int col, int row) const;
    // Texts stored in the row: the highest column holding a non-empty text, plus one.
    [[nodiscard]] int textCount(int row) const;
    [[nodiscard]] QStringList rowTexts(int row, int minCount) const;
    void setRow(int row, std::span<const QStringView> texts);
    void setRowEncoded(int row, std::span<const QByteArrayView> texts);
    // The same, leaving room for a first text of up to firstRoom bytes (texts[0] goes into it),
    // so that setFirstTextInRoom can replace that text later without packing the row anew: the
    // list's running numbers are known only once every row is in.
    void setRowEncoded(int row, std::span<const QByteArrayView> texts, int firstRoom);
    // Writes a compact first text into the room the row was packed with; false, with nothing
    // done, when the row has no room that large.
    [[nodiscard]] bool setFirstTextInRoom(int row, QByteArrayView bytes);
    // Compact bytes as text, through the installed codec or Latin-1.
    [[nodiscard]] QString decodeCompact(QByteArrayView bytes) const
    {
        return decode(m_codec.encode ? Kind::Codec : Kind::Latin1, bytes);
    }
    void clearRow(int row);

    void moveRow(int from, int to);
    // Row first + i receives the row that was at sources[i]; sources must be a permutation of
    // first .. first + sources.size() - 1, else nothing happens.
    // False, changing nothing, unless sources is a permutation of first .. first + size - 1.
    bool permuteRows(int first, std::span<const int> sources);
    void removeRow(int row);
    void moveColumn(int from, int to);
    void removeColumn(int col);

    // Rows packed with the previous codec are re-packed with the new one.
    void setCodec(Codec codec);
    [[nodiscard]] bool rowIsCompact(int row) const; // one byte per character
    [[nodiscard]] std::size_t heapBytes() const;

private:
    // A row's block, owned: a piece of a chunk (the pointer's lowest bit set) or a heap block.
    class RowBlock
    {
    public:
        RowBlock() = default;
        RowBlock(std::nullptr_t) { }
        [[nodiscard]] static RowBlock allocate(std::size_t bytes);
        RowBlock(RowBlock&& other) noexcept
            : m_bits(std::exchange(other.m_bits, 0))
        { }
        RowBlock& operator=(RowBlock&& other) noexcept
        {
            if (this != &other) {
                if (m_bits != 0)
                    reset();
                m_bits = std::exchange(other.m_bits, 0);
            }
            return *this;
        }
        RowBlock(const RowBlock&) = delete;
        RowBlock& operator=(const RowBlock&) = delete;
        ~RowBlock()
        {
            // Sorting a million rows moves every block twice: the moved-from ends cost nothing.
            if (m_bits != 0)
                reset();
        }

        [[nodiscard]] std::byte* get() const
        {
            return reinterpret_cast<std::byte*>(m_bits & ~std::uintptr_t(1));
        }
        explicit operator bool() const { return m_bits != 0; }
        void reset() noexcept;

    private:
        std::uintptr_t m_bits = 0;
    };
    enum class Kind : unsigned char { Latin1, Codec, Utf16 };

    [[nodiscard]] static RowBlock pack(Kind kind, std::span<const QByteArrayView> pieces);
    // The same into the block itself when the packed row fits where it stands, so that
    // repacking every row of a list does not hold the list twice.
    static void repack(RowBlock& block, Kind kind, std::span<const QByteArrayView> pieces);
    static void writeFirstOffset(std::byte* block, std::size_t offset);
    [[nodiscard]] RowBlock packTexts(std::span<const QStringView> texts) const;
    [[nodiscard]] QString decode(Kind kind, QByteArrayView bytes) const;
    [[nodiscard]] QStringList decodeAll(int row) const;
    // The text in the row's own encoding, when it can be stored that way.
    [[nodiscard]] bool encodeAs(Kind kind, QStringView text, QByteArray& out) const;
    void ensureRow(int row);

    std::vector<RowBlock> m_rows;
    Codec m_codec;
};

} // namespace kolvar::grid
