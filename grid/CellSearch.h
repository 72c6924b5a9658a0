#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace kolvar::grid {

// Upper-cases every letter, not only ASCII ones: a user typing "łódź" must find "ŁÓDŹ". Both the
// phrase and the cells go through this one function, so whatever it does to a character (ß
// becomes SS) it does on both sides.
[[nodiscard]] QString foldCase(QString text);
// The same fold into a buffer the caller keeps, for scans over many cells: no allocation once the
// buffer has grown, and a table look-up a character instead of Unicode's case rules. The text
// must not view the buffer.
[[nodiscard]] QStringView foldCase(QStringView text, QString& buffer);

// The part of a cell a whole-cell search compares: keyLen characters from the 1-based keyPos,
// cut at the end of the text. A keyPos below 1 counts as 1; a negative keyLen gives nothing.
[[nodiscard]] QStringView comparedPart(QStringView cell, int keyPos, int keyLen);

struct CellMatchRule
{
    bool caseSensitive = false;
    bool substring = false; // the phrase occurs in the cell, else the compared part equals it
    int keyPos = 1;
    int keyLen = 2147483647;
};

// Tests cell texts against one phrase. Without case sensitivity both sides are compared in their
// foldCase forms, so "ą" equals "Ą" and still differs from "a". Built once per scan: the phrase
// is folded once, and the cells are folded into a buffer the matcher reuses, so a scan over a
// million cells allocates nothing per cell.
class CellMatcher
{
public:
    CellMatcher(QStringView phrase, const CellMatchRule& rule);

    [[nodiscard]] bool matches(QStringView cell);

    // For cells kept in a single-byte code page: decode gives the text of bytes. A substring
    // search then tests the bytes in place, a table look-up a byte, without decoding a cell.
    void useCompactCode(const std::function<QString(QByteArrayView)>& decode);
    // The same answer as matches() on the decoded cell; nothing where the bytes hold a character
    // whose fold is not one unit (the caller decodes the cell then).
    [[nodiscard]] std::optional<bool> matchesCompact(QByteArrayView cell) const;

private:
    // The first byte at or after from that may start the phrase or needs the decoded text.
    [[nodiscard]] qsizetype nextStop(
        const std::uint8_t* bytes, qsizetype from, qsizetype size) const;

    CellMatchRule m_rule;
    QString m_phrase;
    QString m_buffer;
    // Each byte's (folded) unit, and what a scan does on meeting it: 0 go on, 1 the phrase may
    // start here, 2 only the decoded text can tell.
    std::array<char16_t, 256> m_byteUnit {};
    std::array<std::uint8_t, 256> m_byteKind {};
    // The bytes of kind 1 or 2, when they are few enough to be looked for sixteen at a time:
    // a scan for an absent phrase then reads most of a cell without looking at single bytes.
    // -1: more than four, looked for byte by byte.
    std::array<std::uint8_t, 4> m_stops {};
    int m_stopCount = 0;
    bool m_compact = false;
};

// A rectangle of cells visited along rows (left to right, then the next row) or down columns.
struct CellRange
{
    int firstCol = 0;
    int firstRow = 0;
    int lastCol = -1;
    int lastRow = -1;
    bool rowWise = true;

    [[nodiscard]] bool contains(int col, int row) const
    {
        return col >= firstCol && col <= lastCol && row >= firstRow && row <= lastRow;
    }
    // Moves to the cell after (col, row). Past the last cell the position stays outside the
    // range for good, so an exhausted scan stays exhausted.
    void step(int& col, int& row) const;
};

} // namespace kolvar::grid
