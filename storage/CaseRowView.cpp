#include "CaseRowView.h"

#include "CaseTable.h"
#include "Cp1250.h"
#include "ServerStore.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace kolvar::storage {

void CaseRowView::setRow(std::int64_t id, const std::array<const QByteArray*, Columns - 1>& texts)
{
    const QByteArray idText = QByteArray::number(id);
    qsizetype size = idText.size();
    for (const QByteArray* text : texts)
        size += text ? text->size() : 0;
    char* out = startRow(size);
    out = std::copy(idText.begin(), idText.end(), out);
    endColumn(0, out, false);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i])
            out = std::copy(texts[i]->begin(), texts[i]->end(), out);
        endColumn(int(i) + 1, out, texts[i] == nullptr);
    }
    (void)finishRow();
}

char* CaseRowView::startRow(qsizetype size)
{
    m_hasRow = false;
    if (m_bytes.size() < size)
        m_bytes.resize(std::max(size, 2 * m_bytes.size()));
    m_starts[0] = 0;
    return m_bytes.data();
}

void CaseRowView::endColumn(int col, const char* end, bool null)
{
    m_starts[std::size_t(col) + 1] = end - m_bytes.constData();
    m_null[std::size_t(col)] = null;
}

bool CaseRowView::finishRow()
{
    const QByteArrayView id = column(0);
    const auto parsed = std::from_chars(id.data(), id.data() + id.size(), m_id);
    m_hasRow = !m_null[0] && parsed.ec == std::errc() && parsed.ptr == id.data() + id.size();
    return m_hasRow;
}

namespace {

constexpr std::uint64_t LowBits = 0x0101010101010101ULL;
constexpr std::uint64_t HighBits = 0x8080808080808080ULL;

// Non-zero when one of the eight bytes of word is byte (its high bit clear).
constexpr std::uint64_t holdsByte(std::uint64_t word, unsigned char byte)
{
    const std::uint64_t zeroWhereEqual = word ^ (LowBits * byte);
    return (zeroWhereEqual - LowBits) & ~zeroWhereEqual & HighBits;
}

// The escapes COPY's text output writes for control characters; any other escaped byte stands
// for itself.
constexpr char unescaped(char c)
{
    switch (c) {
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'v':
        return '\v';
    default:
        return c;
    }
}

// The code page's byte for a character the server sent, as the editor's conversion makes it:
// '?' where there is none, twice for a character beyond UTF-16's basic plane (two units there),
// and NUL for the character a NUL travels as.
char* putCharacter(char32_t c, char* out)
{
    if (c == ServerNul) {
        *out++ = '\0';
    } else if (c > 0xFFFF) {
        *out++ = '?';
        *out++ = '?';
    } else {
        const int byte = cp1250ByteOf(c);
        *out++ = static_cast<char>(byte < 0 ? '?' : byte);
    }
    return out;
}

} // namespace

bool CaseRowView::setCopyLine(QByteArrayView line)
{
    qsizetype size = line.size();
    if (size > 0 && line[size - 1] == '\n')
        --size;
    const auto* in = reinterpret_cast<const unsigned char*>(line.data());
    const unsigned char* const end = in + size;
    // Unescaping and the code page only ever shorten a text: the line's size is room enough.
    char* out = startRow(size);
    for (int col = 0; col < Columns; ++col) {
        if (col > 0) {
            if (in == end || *in != '\t')
                return false;
            ++in;
        }
        if (end - in >= 2 && in[0] == '\\' && in[1] == 'N' && (end - in == 2 || in[2] == '\t')) {
            in += 2;
            endColumn(col, out, true);
            continue;
        }
        while (in != end) {
            // Most of a register's text is plain ASCII: eight bytes at a time while no byte is a
            // tab, a backslash or part of a longer character. Writing never overtakes reading,
            // so the eight bytes fit.
            while (end - in >= 8) {
                std::uint64_t word;
                std::memcpy(&word, in, sizeof word);
                if ((word & HighBits) | holdsByte(word, '\t') | holdsByte(word, '\\'))
                    break;
                std::memcpy(out, &word, sizeof word);
                in += 8;
                out += 8;
            }
            // The rest of the run, up to the byte that stopped it.
            while (in != end && *in < 0x80 && *in != '\t' && *in != '\\')
                *out++ = char(*in++);
            if (in == end)
                break;
            const unsigned char c = *in;
            if (c < 0x80) {
                if (c == '\t')
                    break;
                if (c == '\\' && end - in >= 2) {
                    ++in;
                    // A backslash ending a field stays; a character's first byte after one is
                    // read as that character below.
                    if (*in == '\t')
                        *out++ = '\\';
                    else if (*in < 0x80)
                        *out++ = unescaped(char(*in++));
                    continue;
                }
                *out++ = char(c);
                ++in;
                continue;
            }
            // The server sends valid UTF-8; a broken sequence still yields one '?' a byte.
            const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
            char32_t code = length == 4 ? c & 0x07 : length == 3 ? c & 0x0F : c & 0x1F;
            bool whole = length > 0 && end - in >= length;
            for (int i = 1; whole && i < length; ++i) {
                whole = (in[i] & 0xC0) == 0x80;
                code = (code << 6) | (in[i] & 0x3F);
            }
            if (!whole) {
                *out++ = '?';
                ++in;
                continue;
            }
            out = putCharacter(code, out);
            in += length;
        }
        endColumn(col, out, false);
    }
    return in == end && finishRow();
}

void CaseRowView::check(int field) const
{
    if (!m_hasRow)
        throw StoreError(StoreFailure::Other, QStringLiteral("No row to read"));
    if (field < 0 || field >= Columns)
        throw StoreError(StoreFailure::Other, QStringLiteral("Column index out of bounds"));
}

QByteArrayView CaseRowView::text(int field) const
{
    check(field);
    return column(field);
}

bool CaseRowView::isNull(int field) const
{
    check(field);
    return m_null[std::size_t(field)];
}

StoredType CaseRowView::storedType(int field) const
{
    if (isNull(field))
        return StoredType::Null;
    return field == 0 ? StoredType::Integer : StoredType::Text;
}

} // namespace kolvar::storage
