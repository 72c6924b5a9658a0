#include "RecordPrintout.h"

#include "PrinterAccess.h"
#include "PrinterTextStream.h"

#include <QPrinter>

namespace kolvar {

namespace {

const QString NotPrinted = QStringLiteral(" Rekord nie został wydrukowany.");

} // namespace

void writeRecordPrintout(PrinterTextStream& out, const std::function<QString(EditorField)>& text)
{
    // Every write is a line of its own, as a line printer's writeln sends it.
    const auto writeln = [&out](const QString& line) {
        out.write(line);
        out.write(u"\r\n");
    };
    const QString indent = QStringLiteral("      ");

    QFont font(QStringLiteral("Arial"), 16, QFont::Bold);
    out.setFont(font);
    writeln(QStringLiteral(" \r\n"));
    writeln(QStringLiteral("             Dane szczegółowe kolvar: \r\n"));

    font.setPointSize(12);
    out.setFont(font);
    writeln(QStringLiteral("      Pismo wpłynęło:       ") + text(EditorField::Termin)
        + QStringLiteral("    Nadawca:       ") + text(EditorField::Nadawca)
        + QStringLiteral("\r\n"));
    writeln(QStringLiteral("      Dotyczy:      \r\n") + indent + text(EditorField::Dotyczy)
        + QStringLiteral("\r\n"));
    writeln(QStringLiteral("       Tryb załatwienia kolvar:   \r\n") + indent
        + text(EditorField::Tryb) + QStringLiteral("\r\n"));
    writeln(QStringLiteral("        Dane szczegółowe kolvar: \r\n"));
    writeln(indent + text(EditorField::Szczegoly) + QStringLiteral("\r\n"));
    writeln(QStringLiteral("      Adnotacje urzędowe   : \r\n"));
    writeln(indent + text(EditorField::Adnotacje) + QStringLiteral("\r\n"));
    writeln(QStringLiteral("       Tryb udzielenia odpowiedzi:       \r\n") + indent
        + text(EditorField::Odpowiedz) + QStringLiteral("\r\n"));
}

QString printRecord(const std::function<QString(EditorField)>& text)
{
    QString error;
    const std::unique_ptr<QPrinter> printer = printerAccess().defaultPrinter(error);
    if (!printer)
        return error.isEmpty() ? noPrinterMessage() : error;

    PrinterTextStream stream(QSizeF(printer->width(), printer->height()), printer->logicalDpiY());
    writeRecordPrintout(stream, text);

    PrintJob job(*printer);
    if (const QString failed = job.begin(); !failed.isEmpty())
        return failed + NotPrinted;
    paintPages(job.painter(), stream, [&job] { return job.newPage(); });
    if (const QString failed = job.finish(); !failed.isEmpty())
        return failed + NotPrinted;
    return {};
}

} // namespace kolvar
