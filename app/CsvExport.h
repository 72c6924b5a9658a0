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

// Writes rows lines of columns cells as comma-separated values the way RFC 4180 has them: a
// field with a comma, a quote or a line break is quoted, its quotes doubled, and line breaks in
// it kept; lines end with CR LF. UTF-8 with a byte order mark, which spreadsheet programs need to
// read Polish letters right. The file appears under its name only once it is complete. Throws
// CsvExportError.
void save(const QString& path, int columns, int rows, const CellText& cell);

} // namespace CsvExport

} // namespace kolvar
