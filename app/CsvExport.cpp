#include "CsvExport.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace kolvar {

CsvExportError::CsvExportError(const QString& message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{ }

namespace CsvExport {

namespace {

bool startsFormula(const QString& text)
{
    if (text.isEmpty())
        return false;
    switch (text.front().unicode()) {
    case u'=':
    case u'+':
    case u'-':
    case u'@':
    case u'\t':
    case u'\r':
        return true;
    default:
        return false;
    }
}

void appendField(QByteArray& line, const QString& text, char separator)
{
    QByteArray bytes = text.toUtf8();
    if (startsFormula(text))
        bytes.prepend('\'');
    if (!bytes.contains(separator) && !bytes.contains('"') && !bytes.contains('\n')
        && !bytes.contains('\r')) {
        line += bytes;
        return;
    }
    line += '"';
    for (const char c : bytes) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

[[noreturn]] void fail(const QString& path, const QSaveFile& file)
{
    const QString why
        = file.error() == QFileDevice::OpenError || file.error() == QFileDevice::PermissionsError
        ? QStringLiteral("brak uprawnień do zapisu")
        : QStringLiteral("brak miejsca na dysku lub błąd zapisu");
    throw CsvExportError(QStringLiteral("Nie udało się zapisać pliku %1: %2.")
                             .arg(QDir::toNativeSeparators(path), why));
}

} // namespace

void save(const QString& path, int columns, int rows, const CellText& cell, char separator)
{
    const QFileInfo target(path);
    if (!target.dir().exists())
        throw CsvExportError(
            QStringLiteral("Nie udało się zapisać pliku %1: folder %2 nie istnieje.")
                .arg(QDir::toNativeSeparators(path),
                    QDir::toNativeSeparators(target.absolutePath())));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(path, file);
    static constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";
    if (file.write(ByteOrderMark, 3) != 3)
        fail(path, file);
    QByteArray line;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < columns; ++col) {
            if (col > 0)
                line += separator;
            appendField(line, cell(col, row), separator);
        }
        line += "\r\n";
        // Written a line at a time: a register's worth of text is not held twice.
        if (file.write(line) != line.size())
            fail(path, file);
        line.clear();
    }
    if (!file.commit())
        fail(path, file);
}

} // namespace CsvExport

} // namespace kolvar
