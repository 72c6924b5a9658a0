#include "GridTextStore.h"

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// Pieces of a chunk are fenced off from each other as heap blocks are, so that the sanitizer
// still sees a read past the end of a row.
#define KOLVAR_FENCE(at, bytes) ASAN_POISON_MEMORY_REGION(at, bytes)
#define KOLVAR_OPEN(at, bytes) ASAN_UNPOISON_MEMORY_REGION(at, bytes)
#else
// Without the sanitizer the arguments are not even read: a row's size is in the row's memory.
#define KOLVAR_FENCE(at, bytes) ((void)0)
#define KOLVAR_OPEN(at, bytes) ((void)0)
#endif

namespace kolvar::grid {

namespace {

// Block layout: u32 text count, u8 kind, u8 offset width (2 or 4), two spare bytes, then
// count + 1 offsets into the text bytes, then the text bytes. Two-byte offsets keep the table
// small for ordinary rows; a row of more than 64 KiB of text switches to four.
constexpr std::size_t headerSize = 8;

struct BlockView
{
    const std::byte* block = nullptr;

    [[nodiscard]] std::uint32_t count() const
    {
        std::uint32_t n = 0;
        std::memcpy(&n, block, sizeof n);
        return n;
    }
    [[nodiscard]] unsigned char kind() const { return static_cast<unsigned char>(block[4]); }
    [[nodiscard]] unsigned width() const { return static_cast<unsigned>(block[5]); }
    [[nodiscard]] std::size_t offset(std::uint32_t i) const
    {
        const std::byte* at = block + headerSize + i * width();
        if (width() == 2) {
            std::uint16_t v = 0;
            std::memcpy(&v, at, sizeof v);
            return v;
        }
        std::uint32_t v = 0;
        std::memcpy(&v, at, sizeof v);
        return v;
    }
    [[nodiscard]] const char* data() const
    {
        return reinterpret_cast<const char*>(block + headerSize + (count() + 1) * width());
    }
    [[nodiscard]] QByteArrayView piece(std::uint32_t i) const
    {
        if (i >= count())
            return {};
        const std::size_t from = offset(i);
        return { data() + from, qsizetype(offset(i + 1) - from) };
    }
    [[nodiscard]] std::size_t bytes() const
    {
        return headerSize + (count() + 1) * width() + offset(count());
    }
};

bool isLatin1(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 256; });
}

QByteArrayView utf16Bytes(QStringView text)
{
    return { reinterpret_cast<const char*>(text.utf16()),
        text.size() * qsizetype(sizeof(char16_t)) };
}

// The chunks rows are cut from, one pool a thread. A chunk takes rows until full, then the next
// one is opened; a chunk no longer open is freed when its last row is dropped.
class ChunkPool
{
public:
    // A chunk is one huge page of the processor where the system offers them: a pass over a
    // million rows scattered over 700 MB then finds each row's page in the processor's table
    // rather than walking the page tables for nearly every row.
    static constexpr std::size_t ChunkBytes = std::size_t(2) << 20;
    // A huge page is resident whole once touched, so the first chunks stay in small pages, of
    // which only those written count: the half-filled last chunk of a small list would otherwise
    // weigh as much as a sixth of a register of ten thousand cases.
    static constexpr std::size_t SmallPagedChunks = 8;
    // A longer row gets a heap block of its own rather than leave much of a chunk unused.
    static constexpr std::size_t LargestPiece = std::size_t(64) << 10;

    static ChunkPool& ofThisThread()
    {
        // Never destroyed: a grid of a static object may drop its rows after thread-local
        // objects are gone.
        thread_local ChunkPool* pool = new ChunkPool;
        return *pool;
    }

    std::byte* allocate(std::size_t bytes)
    {
        const std::size_t taken = (bytes + 7) & ~std::size_t(7); // the low bit stays free
        if (!m_open.base || m_open.used + taken > ChunkBytes)
            openChunk();
        std::byte* piece = m_open.base + m_open.used;
        m_open.used += taken;
        ++m_open.live;
        KOLVAR_OPEN(piece, bytes);
        return piece;
    }

    void release(std::byte* piece) noexcept
    {
        KOLVAR_FENCE(piece, BlockView { piece }.bytes());
        if (m_open.holds(piece)) {
            --m_open.live;
            return;
        }
        // The closed chunk with the highest start not above the piece.
        auto it = std::upper_bound(m_closed.begin(), m_closed.end(), piece,
            [](const std::byte* p, const Chunk& c) { return std::less<>()(p, c.base); });
        Q_ASSERT(it != m_closed.begin() && std::prev(it)->holds(piece));
        --it;
        if (--it->live == 0) {
            KOLVAR_OPEN(it->base, ChunkBytes);
            freeChunk(it->base);
            m_closed.erase(it);
        }
    }

private:
    struct Chunk
    {
        std::byte* base = nullptr;
        std::size_t used = 0;
        std::size_t live = 0;

        [[nodiscard]] bool holds(const std::byte* p) const
        {
            return base && !std::less<>()(p, base) && std::less<>()(p, base + ChunkBytes);
        }
    };

    void openChunk()
    {
        if (m_open.base && m_open.live == 0) {
            // Nothing of it is in use: it is taken again from its start.
            m_open.used = 0;
            KOLVAR_FENCE(m_open.base, ChunkBytes);
            return;
        }
        auto closed = m_closed.end();
        if (m_open.base) {
            const auto at = std::upper_bound(m_closed.begin(), m_closed.end(), m_open.base,
                [](const std::byte* p, const Chunk& c) { return std::less<>()(p, c.base); });
            closed = m_closed.insert(at, m_open);
        }
        auto* base = allocateChunk(m_closed.size() >= SmallPagedChunks);
        if (!base) {
            if (closed != m_closed.end())
                m_closed.erase(closed);
            throw std::bad_alloc();
        }
        KOLVAR_FENCE(base, ChunkBytes);
        m_open = Chunk { base, 0, 0 };
    }

    static std::byte* allocateChunk(bool hugePage)
    {
#if defined(__linux__)
        // Twice the size is mapped, and what lies outside the aligned middle given back.
        void* mapped = mmap(
            nullptr, 2 * ChunkBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            return nullptr;
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + ChunkBytes - 1) & ~std::uintptr_t(ChunkBytes - 1);
        if (aligned > start)
            munmap(mapped, aligned - start);
        if (aligned + ChunkBytes < start + 2 * ChunkBytes)
            munmap(reinterpret_cast<void*>(aligned + ChunkBytes),
                start + 2 * ChunkBytes - aligned - ChunkBytes);
        if (hugePage)
            madvise(reinterpret_cast<void*>(aligned), ChunkBytes, MADV_HUGEPAGE);
        return reinterpret_cast<std::byte*>(aligned);
#else
        (void)hugePage;
        return static_cast<std::byte*>(std::malloc(ChunkBytes));
#endif
    }

    static void freeChunk(std::byte* base) noexcept
    {
#if defined(__linux__)
        munmap(base, ChunkBytes);
#else
        std::free(base);
#endif
    }

    Chunk m_open;
    // Chunks full of rows, some of them still in use, in the order of their starts.
    std::vector<Chunk> m_closed;
};

} // namespace

GridTextStore::RowBlock GridTextStore::RowBlock::allocate(std::size_t bytes)
{
    RowBlock block;
    if (bytes > ChunkPool::LargestPiece) {
        block.m_bits = reinterpret_cast<std::uintptr_t>(new std::byte[bytes]);
    } else {
        block.m_bits = reinterpret_cast<std::uintptr_t>(ChunkPool::ofThisThread().allocate(bytes))
            | std::uintptr_t(1);
    }
    return block;
}

void GridTextStore::RowBlock::reset() noexcept
{
    if (m_bits & 1)
        ChunkPool::ofThisThread().release(get());
    else
        delete[] get();
    m_bits = 0;
}

GridTextStore::GridTextStore() = default;
GridTextStore::~GridTextStore() = default;

void GridTextStore::resize(int rows)
{
    m_rows.resize(size_t(std::max(rows, 0)));
}

void GridTextStore::ensureRow(int row)
{
    if (row >= rowCount())
        m_rows.resize(size_t(row) + 1);
}

namespace {

// What a row of these pieces takes; count: the pieces up to the last that is not empty.
struct PackedSize
{
    std::size_t count = 0;
    unsigned width = 2;
    std::size_t bytes = 0;
};

PackedSize packedSize(std::span<const QByteArrayView> pieces)
{
    PackedSize size;
    size.count = pieces.size();
    while (size.count > 0 && pieces[size.count - 1].isEmpty())
        --size.count;
    std::size_t total = 0;
    for (std::size_t i = 0; i < size.count; ++i)
        total += size_t(pieces[i].size());
    size.width = total <= 0xFFFF ? 2 : 4;
    size.bytes = headerSize + (size.count + 1) * size.width + total;
    return size;
}

void packInto(std::byte* block, unsigned char kind, const PackedSize& size,
    std::span<const QByteArrayView> pieces)
{
    const auto n = std::uint32_t(size.count);
    std::memcpy(block, &n, sizeof n);
    block[4] = std::byte(kind);
    block[5] = std::byte(size.width);
    block[6] = block[7] = std::byte(0);
    std::byte* table = block + headerSize;
    std::byte* data = table + (size.count + 1) * size.width;
    std::size_t offset = 0;
    auto writeOffset = [&](std::size_t i) {
        if (size.width == 2) {
            const auto v = std::uint16_t(offset);
            std::memcpy(table + i * size.width, &v, sizeof v);
        } else {
            const auto v = std::uint32_t(offset);
            std::memcpy(table + i * size.width, &v, sizeof v);
        }
    };
    for (std::size_t i = 0; i < size.count; ++i) {
        writeOffset(i);
        if (!pieces[i].isEmpty())
            std::memcpy(data + offset, pieces[i].data(), size_t(pieces[i].size()));
        offset += size_t(pieces[i].size());
    }
    writeOffset(size.count);
}

} // namespace

GridTextStore::RowBlock GridTextStore::pack(Kind kind, std::span<const QByteArrayView> pieces)
{
    const PackedSize size = packedSize(pieces);
    if (size.count == 0)
        return nullptr;
    RowBlock block = RowBlock::allocate(size.bytes);
    packInto(block.get(), static_cast<unsigned char>(kind), size, pieces);
    return block;
}

void GridTextStore::repack(RowBlock& block, Kind kind, std::span<const QByteArrayView> pieces)
{
    const PackedSize size = packedSize(pieces);
    if (!block || size.count == 0 || size.bytes > BlockView { block.get() }.bytes()) {
        block = pack(kind, pieces);
        return;
    }
    // The pieces lie in the block itself: packed aside first.
    thread_local std::vector<std::byte> aside;
    aside.resize(size.bytes);
    packInto(aside.data(), static_cast<unsigned char>(kind), size, pieces);
    std::memcpy(block.get(), aside.data(), size.bytes);
}

bool GridTextStore::encodeAs(Kind kind, QStringView text, QByteArray& out) const
{
    switch (kind) {
    case Kind::Latin1:
        if (!isLatin1(text))
            return false;
        out = text.toLatin1();
        return true;
    case Kind::Codec:
        if (!m_codec.encode || !m_codec.canEncode(text))
            return false;
        out = m_codec.encode(text);
        return true;
    case Kind::Utf16:
        out = utf16Bytes(text).toByteArray();
        return true;
    }
    return false;
}

GridTextStore::RowBlock GridTextStore::packTexts(std::span<const QStringView> texts) const
{
    Kind kind = Kind::Utf16;
    if (m_codec.encode) {
        if (std::all_of(texts.begin(), texts.end(), m_codec.canEncode))
            kind = Kind::Codec;
    } else if (std::all_of(texts.begin(), texts.end(), isLatin1)) {
        kind = Kind::Latin1;
    }
    std::vector<QByteArrayView> pieces;
    pieces.reserve(texts.size());
    if (kind == Kind::Utf16) {
        for (QStringView t : texts)
            pieces.push_back(utf16Bytes(t));
        return pack(kind, pieces);
    }
    std::vector<QByteArray> encoded;
    encoded.reserve(texts.size());
    for (QStringView t : texts) {
        encoded.push_back(kind == Kind::Codec ? m_codec.encode(t) : t.toLatin1());
        pieces.push_back(encoded.back());
    }
    return pack(kind, pieces);
}

QString GridTextStore::decode(Kind kind, QByteArrayView bytes) const
{
    if (bytes.isEmpty())
        return {};
    switch (kind) {
    case Kind::Latin1:
        return QString::fromLatin1(bytes);
    case Kind::Codec:
        return m_codec.decode(bytes);
    case Kind::Utf16: {
        QString s(bytes.size() / qsizetype(sizeof(char16_t)), Qt::Uninitialized);
        std::memcpy(s.data(), bytes.data(), size_t(bytes.size()));
        return s;
    }
    }
    return {};
}

QString GridTextStore::text(int col, int row) const
{
    if (col < 0 || row < 0 || row >= rowCount() || !m_rows[size_t(row)])
        return {};
    const BlockView v { m_rows[size_t(row)].get() };
    return decode(Kind(v.kind()), v.piece(std::uint32_t(col)));
}

QString GridTextStore::textPrefix(int col, int row, qsizetype maxChars) const
{
    if (col < 0 || row < 0 || row >= rowCount() || !m_rows[size_t(row)] || maxChars <= 0)
        return {};
    const BlockView v { m_rows[size_t(row)].get() };
    const Kind kind = Kind(v.kind());
    const QByteArrayView bytes = v.piece(std::uint32_t(col));
    if (kind != Kind::Utf16)
        return decode(kind, bytes.first(std::min(bytes.size(), maxChars)));
    const qsizetype units = bytes.size() / qsizetype(sizeof(char16_t));
    if (units <= maxChars)
        return decode(kind, bytes);
    char16_t last = 0;
    std::memcpy(&last, bytes.data() + (maxChars - 1) * qsizetype(sizeof(char16_t)), sizeof last);
    const qsizetype kept = QChar::isHighSurrogate(last) ? maxChars - 1 : maxChars;
    return decode(kind, bytes.first(kept * qsizetype(sizeof(char16_t))));
}

std::optional<QByteArrayView> GridTextStore::compactText(int col, int row) const
{
    if (col < 0 || row < 0 || row >= rowCount())
        return std::nullopt;
    if (!m_rows[size_t(row)])
        return QByteArrayView();
    const BlockView v { m_rows[size_t(row)].get() };
    if (Kind(v.kind()) == Kind::Utf16)
        return std::nullopt;
    return v.piece(std::uint32_t(col));
}

void GridTextStore::prefetchRow(int row) const
{
    if (row < 0 || row >= rowCount())
        return;
    if (const std::byte* block = m_rows[size_t(row)].get()) {
        // The header, the offsets and the first texts of an ordinary row.
        __builtin_prefetch(block);
        __builtin_prefetch(block + 64);
    }
}

void GridTextStore::prefetchText(int col, int row) const
{
    if (col < 0 || row < 0 || row >= rowCount() || !m_rows[size_t(row)])
        return;
    const BlockView v { m_rows[size_t(row)].get() };
    if (std::uint32_t(col) >= v.count())
        return;
    const char* at = v.data() + v.offset(std::uint32_t(col));
    const std::size_t length = v.offset(std::uint32_t(col) + 1) - v.offset(std::uint32_t(col));
    // A sort reads a few hundred bytes of a text at most before it knows its place.
    constexpr std::size_t Reach = 256;
    for (std::size_t o = 0; o < std::min(length, Reach); o += 64)
        __builtin_prefetch(at + o);
}

int GridTextStore::textCount(int row) const
{
    if (row < 0 || row >= rowCount() || !m_rows[size_t(row)])
        return 0;
    return int(BlockView { m_rows[size_t(row)].get() }.count());
}

QStringList GridTextStore::decodeAll(int row) const
{
    QStringList out;
    const int n = textCount(row);
    out.reserve(n);
    for (int c = 0; c < n; ++c)
        out.append(text(c, row));
    return out;
}

QStringList GridTextStore::rowTexts(int row, int minCount) const
{
    QStringList out = decodeAll(row);
    while (out.size() < minCount)
        out.append(QString());
    return out;
}

void GridTextStore::setText(int col, int row, QStringView text)
{
    if (col < 0 || row < 0)
        return;
    ensureRow(row);
    RowBlock& block = m_rows[size_t(row)];
    if (!block) {
        if (text.isEmpty())
            return;
        std::vector<QStringView> texts(size_t(col) + 1);
        texts.back() = text;
        block = packTexts(texts);
        return;
    }
    const BlockView v { block.get() };
    const Kind kind = Kind(v.kind());
    QByteArray encoded;
    if (encodeAs(kind, text, encoded)) {
        // The row keeps its encoding: splice the bytes without decoding the other texts.
        const std::uint32_t count = std::max(v.count(), std::uint32_t(col) + 1);
        std::vector<QByteArrayView> pieces(count);
        for (std::uint32_t i = 0; i < count; ++i)
            pieces[i] = i == std::uint32_t(col) ? QByteArrayView(encoded) : v.piece(i);
        block = pack(kind, pieces);
        return;
    }
    QStringList texts = decodeAll(row);
    while (texts.size() <= col)
        texts.append(QString());
    texts[col] = text.toString();
    std::vector<QStringView> views(texts.cbegin(), texts.cend());
    block = packTexts(views);
}

void GridTextStore::setRow(int row, std::span<const QStringView> texts)
{
    if (row < 0)
        return;
    ensureRow(row);
    m_rows[size_t(row)] = packTexts(texts);
}

void GridTextStore::setRowEncoded(int row, std::span<const QByteArrayView> texts)
{
    if (row < 0)
        return;
    ensureRow(row);
    m_rows[size_t(row)] = pack(m_codec.encode ? Kind::Codec : Kind::Latin1, texts);
}

void GridTextStore::setRowEncoded(int row, std::span<const QByteArrayView> texts, int firstRoom)
{
    if (row < 0)
        return;
    if (texts.empty() || firstRoom <= 0 || texts[0].size() > firstRoom) {
        setRowEncoded(row, texts);
        return;
    }
    ensureRow(row);
    // The room is packed as the first text, then the first text's start is moved to its end, so
    // that the text sits at the end of the room.
    std::array<char, 32> blanks {};
    std::vector<char> wide;
    char* room = blanks.data();
    if (size_t(firstRoom) > blanks.size()) {
        wide.resize(size_t(firstRoom));
        room = wide.data();
    }
    const qsizetype first = texts[0].size();
    if (first > 0)
        std::memcpy(room + firstRoom - first, texts[0].data(), size_t(first));
    // A list row has a handful of texts: no allocation for the pieces.
    std::array<QByteArrayView, 16> few;
    std::vector<QByteArrayView> many;
    std::span<QByteArrayView> pieces(few.data(), texts.size());
    if (texts.size() > few.size()) {
        many.resize(texts.size());
        pieces = many;
    }
    std::copy(texts.begin(), texts.end(), pieces.begin());
    pieces[0] = QByteArrayView(room, firstRoom);
    m_rows[size_t(row)] = pack(m_codec.encode ? Kind::Codec : Kind::Latin1, pieces);
    if (m_rows[size_t(row)])
        writeFirstOffset(m_rows[size_t(row)].get(), std::size_t(firstRoom - first));
}

bool GridTextStore::setFirstTextInRoom(int row, QByteArrayView bytes)
{
    if (row < 0 || row >= rowCount() || !m_rows[size_t(row)])
        return false;
    std::byte* block = m_rows[size_t(row)].get();
    const BlockView v { block };
    const Kind compact = m_codec.encode ? Kind::Codec : Kind::Latin1;
    if (Kind(v.kind()) != compact || v.count() == 0)
        return false;
    const std::size_t roomEnd = v.offset(1);
    if (std::size_t(bytes.size()) > roomEnd)
        return false;
    const std::size_t start = roomEnd - std::size_t(bytes.size());
    if (!bytes.isEmpty())
        std::memcpy(const_cast<char*>(v.data()) + start, bytes.data(), size_t(bytes.size()));
    writeFirstOffset(block, start);
    return true;
}

void GridTextStore::writeFirstOffset(std::byte* block, std::size_t offset)
{
    std::byte* at = block + headerSize;
    if (BlockView { block }.width() == 2) {
        const auto v = std::uint16_t(offset);
        std::memcpy(at, &v, sizeof v);
    } else {
        const auto v = std::uint32_t(offset);
        std::memcpy(at, &v, sizeof v);
    }
}

void GridTextStore::clearRow(int row)
{
    if (row >= 0 && row < rowCount())
        m_rows[size_t(row)].reset();
}

void GridTextStore::moveRow(int from, int to)
{
    if (from < 0 || to < 0 || from == to)
        return;
    ensureRow(std::max(from, to));
    auto at = [this](int i) { return m_rows.begin() + i; };
    if (from < to)
        std::rotate(at(from), at(from + 1), at(to + 1));
    else
        std::rotate(at(to), at(from), at(from + 1));
}

bool GridTextStore::permuteRows(int first, std::span<const int> sources)
{
    const int count = int(sources.size());
    if (count == 0 || first < 0)
        return false;
    // A row put in or taken out of an ordered list shifts every row between by one place: a
    // rotation, done in place without a second list of a million rows.
    const int shift = sources[0] - first;
    bool rotation = shift >= 0 && shift < count;
    for (int i = 0; rotation && i < count; ++i)
        rotation = sources[size_t(i)] == first + (i + shift) % count;
    if (rotation) {
        ensureRow(first + count - 1);
        std::rotate(
            m_rows.begin() + first, m_rows.begin() + first + shift, m_rows.begin() + first + count);
        return true;
    }
    std::vector<bool> seen(sources.size(), false);
    for (const int source : sources) {
        const int i = source - first;
        if (i < 0 || i >= count || seen[size_t(i)])
            return false;
        seen[size_t(i)] = true;
    }
    ensureRow(first + count - 1);
    std::vector<RowBlock> moved(sources.size());
    for (size_t i = 0; i < sources.size(); ++i)
        moved[i] = std::move(m_rows[size_t(sources[i])]);
    for (size_t i = 0; i < moved.size(); ++i)
        m_rows[size_t(first) + i] = std::move(moved[i]);
    return true;
}

void GridTextStore::removeRow(int row)
{
    if (row >= 0 && row < rowCount())
        m_rows.erase(m_rows.begin() + row);
}

void GridTextStore::moveColumn(int from, int to)
{
    if (from < 0 || to < 0 || from == to)
        return;
    const auto reach = std::uint32_t(std::max(from, to)) + 1;
    for (RowBlock& block : m_rows) {
        if (!block)
            continue;
        const BlockView v { block.get() };
        if (v.count() <= std::uint32_t(std::min(from, to)))
            continue; // both texts are empty: nothing moves
        std::vector<QByteArrayView> pieces(std::max(v.count(), reach));
        for (std::uint32_t i = 0; i < pieces.size(); ++i)
            pieces[i] = v.piece(i);
        auto at = [&pieces](int i) { return pieces.begin() + i; };
        if (from < to)
            std::rotate(at(from), at(from + 1), at(to + 1));
        else
            std::rotate(at(to), at(from), at(from + 1));
        repack(block, Kind(v.kind()), pieces);
    }
}

void GridTextStore::removeColumn(int col)
{
    if (col < 0)
        return;
    for (RowBlock& block : m_rows) {
        if (!block)
            continue;
        const BlockView v { block.get() };
        if (v.count() <= std::uint32_t(col))
            continue;
        std::vector<QByteArrayView> pieces;
        pieces.reserve(v.count());
        for (std::uint32_t i = 0; i < v.count(); ++i) {
            if (i != std::uint32_t(col))
                pieces.push_back(v.piece(i));
        }
        repack(block, Kind(v.kind()), pieces);
    }
}

void GridTextStore::setCodec(Codec codec)
{
    const Codec old = std::exchange(m_codec, std::move(codec));
    for (RowBlock& block : m_rows) {
        if (!block || Kind(BlockView { block.get() }.kind()) != Kind::Codec)
            continue;
        const BlockView v { block.get() };
        QStringList texts;
        for (std::uint32_t i = 0; i < v.count(); ++i)
            texts.append(old.decode(v.piece(i)));
        std::vector<QStringView> views(texts.cbegin(), texts.cend());
        block = packTexts(views);
    }
}

bool GridTextStore::rowIsCompact(int row) const
{
    if (row < 0 || row >= rowCount() || !m_rows[size_t(row)])
        return true;
    return Kind(BlockView { m_rows[size_t(row)].get() }.kind()) != Kind::Utf16;
}

std::size_t GridTextStore::heapBytes() const
{
    std::size_t sum = m_rows.capacity() * sizeof(RowBlock);
    for (const RowBlock& block : m_rows) {
        if (block)
            sum += BlockView { block.get() }.bytes();
    }
    return sum;
}

} // namespace kolvar::grid
