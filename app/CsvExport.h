#pragma once

#include <QString>

#include <functional>
#include <stdexcept>

namespace kolvar {

// A file that could not be written, with the reason in the user's words.
class CsvExportError : public std::runtime_error
{
public:
    explicit CsvExportError(const QString& message);
    [[nodiscard]] QString message() const { return m_message; }

private:
    QString m_message;
};

namespace CsvExport {

// The text of one cell: column col (0 .. columns-1) of line row (0 .. rows-1).
using CellText = std::function<QString(int col, int row)>;

// What a Polish spreadsheet opening a .csv by double click takes to part the cells: the comma is
// its decimal sign.
inline constexpr char DefaultSeparator = ';';

// Writes rows lines of columns cells separated by separator the way RFC 4180 has them: a field
// with the separator, a quote or a line break is quoted, its quotes doubled, and line breaks in
// it kept; lines end with CR LF. UTF-8 with a byte order mark, which spreadsheet programs need to
// read Polish letters right. A text a spreadsheet would take for a formula (one beginning with
// =, +, -, @, a tab or a carriage return) is written after an apostrophe, as their makers advise,
// so that opening the file runs nothing a case's sender typed. The file appears under its name
// only once it is complete. Throws CsvExportError.
void save(const QString& path, int columns, int rows, const CellText& cell,
    char separator = DefaultSeparator);

} // namespace CsvExport

} // namespace kolvar
