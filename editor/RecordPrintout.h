#pragma once

#include "Unit2.h"

#include <QString>

#include <functional>
#include <memory>

class QPrinter;

namespace kolvar {

class PrinterTextStream;

// Writes the printout of one case: the title and the seven fields under their labels, in bold
// Arial, 16 points for the title and 12 after. text gives each field's current text, memo lines
// joined with "\r\n".
void writeRecordPrintout(PrinterTextStream& out, const std::function<QString(EditorField)>& text);

// Gives the printer for one printout job, or nullptr with a message for the user in error.
using RecordPrinterSource = std::function<std::unique_ptr<QPrinter>(QString& error)>;

// The program prints on the default printer, or into a PDF file when the environment variable
// KOLVAR_PRINT_PDF names one (for trying the printout on a machine without a printer). Tests
// install their own source; an empty one restores the program's. Returns the previous source.
RecordPrinterSource setRecordPrinterSource(RecordPrinterSource source);

// Prints the case at once, with no dialog. Returns the message for the user when there is no
// printer or the job cannot start, and an empty text when the pages went out.
[[nodiscard]] QString printRecord(const std::function<QString(EditorField)>& text);

} // namespace kolvar
