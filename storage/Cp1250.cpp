#include "Cp1250.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace kolvar::storage {

namespace {

// Bytes 0x80..0xFF; bytes below are ASCII.
constexpr std::array<char16_t, 128> HighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, //
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, //
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, //
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, //
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, //
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, //
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, //
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, //
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, //
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, //
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, //
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, //
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, //
};

constexpr std::array<char16_t, 256> makeDecodeTable()
{
    std::array<char16_t, 256> table {};
    for (unsigned byte = 0; byte < 0x80; ++byte)
        table[byte] = static_cast<char16_t>(byte);
    for (unsigned i = 0; i < HighHalf.size(); ++i)
        table[0x80 + i] = HighHalf[i];
    return table;
}

constexpr std::array<char16_t, 256> DecodeTable = makeDecodeTable();

struct Reverse
{
    char16_t unicode;
    unsigned char byte;
};

// The high half sorted by code point, for a binary search; encoding is far rarer than decoding.
constexpr std::array<Reverse, 128> makeEncodeTable()
{
    std::array<Reverse, 128> table {};
    for (unsigned i = 0; i < HighHalf.size(); ++i)
        table[i] = { HighHalf[i], static_cast<unsigned char>(0x80 + i) };
    std::sort(table.begin(), table.end(),
        [](const Reverse& a, const Reverse& b) { return a.unicode < b.unicode; });
    return table;
}

constexpr std::array<Reverse, 128> EncodeTable = makeEncodeTable();

// Latin-1 and Latin Extended-A, where every Polish letter is, looked up directly: a list from
// the server converts each of its letters on the way in. 0 marks a character with no byte.
constexpr char32_t DirectBelow = 0x180;
constexpr std::array<unsigned char, DirectBelow> makeDirectTable()
{
    std::array<unsigned char, DirectBelow> table {};
    for (unsigned i = 0; i < HighHalf.size(); ++i) {
        if (HighHalf[i] < DirectBelow)
            table[HighHalf[i]] = static_cast<unsigned char>(0x80 + i);
    }
    return table;
}

constexpr std::array<unsigned char, DirectBelow> DirectTable = makeDirectTable();

// The byte for a UTF-16 unit, or -1 when the code page has none.
int encodeUnit(char16_t unit)
{
    if (unit < 0x80)
        return unit;
    if (unit < DirectBelow)
        return DirectTable[unit] ? DirectTable[unit] : -1;
    const auto it = std::lower_bound(EncodeTable.begin(), EncodeTable.end(), unit,
        [](const Reverse& r, char16_t u) { return r.unicode < u; });
    if (it == EncodeTable.end() || it->unicode != unit)
        return -1;
    return it->byte;
}

// Index of the first byte >= 0x80, or size when there is none; eight bytes a step.
qsizetype asciiPrefixLength(const unsigned char* data, qsizetype size)
{
    constexpr std::uint64_t HighBits = 0x8080808080808080ULL;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        if (word & HighBits)
            break;
    }
    while (i < size && data[i] < 0x80)
        ++i;
    return i;
}

} // namespace

QString fromCp1250(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    const qsizetype ascii = asciiPrefixLength(data, size);
    if (ascii == size)
        return QString::fromLatin1(bytes); // vectorised by Qt, and the common case
    QString text(size, Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < ascii; ++i)
        out[i] = data[i];
    for (qsizetype i = ascii; i < size; ++i)
        out[i] = DecodeTable[data[i]];
    return text;
}

QByteArray toCp1250(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = encodeUnit(text[i].unicode());
        out[i] = static_cast<char>(byte < 0 ? '?' : byte);
    }
    return bytes;
}

int cp1250ByteOf(char32_t character)
{
    return character > 0xFFFF ? -1 : encodeUnit(static_cast<char16_t>(character));
}

bool canEncodeCp1250(QStringView text, qsizetype* firstBad)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (encodeUnit(text[i].unicode()) < 0) {
            if (firstBad)
                *firstBad = i;
            return false;
        }
    }
    if (firstBad)
        *firstBad = -1;
    return true;
}

} // namespace kolvar::storage
