#include "RecordPrintout.h"

#include "PrinterTextStream.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace kolvar {

namespace {

const QString NoPrinterMessage
    = QStringLiteral("Brak drukarki domyślnej. Rekord nie został wydrukowany.");

QString jobFailedMessage(const QPrinter& printer)
{
    return QStringLiteral("Nie można rozpocząć wydruku na drukarce \"%1\". Rekord nie został "
                          "wydrukowany.")
        .arg(printer.printerName());
}

std::unique_ptr<QPrinter> defaultPrinter(QString& error)
{
    const QString pdf = qEnvironmentVariable("KOLVAR_PRINT_PDF");
    if (!pdf.isEmpty()) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setOutputFileName(pdf);
        return printer;
    }
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        error = NoPrinterMessage;
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid()) {
        error = jobFailedMessage(*printer);
        return nullptr;
    }
    return printer;
}

RecordPrinterSource& printerSource()
{
    static RecordPrinterSource source = defaultPrinter;
    return source;
}

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

RecordPrinterSource setRecordPrinterSource(RecordPrinterSource source)
{
    RecordPrinterSource previous = std::move(printerSource());
    printerSource() = source ? std::move(source) : RecordPrinterSource(defaultPrinter);
    return previous;
}

QString printRecord(const std::function<QString(EditorField)>& text)
{
    QString error;
    const std::unique_ptr<QPrinter> printer = printerSource()(error);
    if (!printer)
        return error.isEmpty() ? NoPrinterMessage : error;

    PrinterTextStream stream(QSizeF(printer->width(), printer->height()), printer->logicalDpiY());
    writeRecordPrintout(stream, text);

    QPainter painter;
    if (!painter.begin(printer.get()))
        return jobFailedMessage(*printer);
    paintPages(painter, stream, [&printer] { return printer->newPage(); });
    painter.end();
    return {};
}

} // namespace kolvar
