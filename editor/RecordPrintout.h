#pragma once

#include "CaseEditor.h"

#include <QString>

#include <functional>

namespace kolvar {

class PrinterTextStream;

// Writes the printout of one case: the title and the seven fields under their labels, in bold
// Arial, 16 points for the title and 12 after. text gives each field's current text, memo lines
// joined with "\r\n".
void writeRecordPrintout(PrinterTextStream& out, const std::function<QString(EditorField)>& text);

// Prints the case at once, with no dialog, on the printer printerAccess() gives. Returns the
// message for the user when there is no printer or the job fails, and an empty text when the
// pages went out.
[[nodiscard]] QString printRecord(const std::function<QString(EditorField)>& text);

} // namespace kolvar
