#pragma once

#include <QString>

namespace kolvar::grid {

enum TPrinterOrientation { poPortrait, poLandscape };
enum TBorderStyle { bsNone, bsSingle };

// The settings of a grid's printout, edited in place by the print preview and kept by the grid
// for the life of the program. Lengths are screen pixels, sizes points.
struct TPrintOptions
{
    TPrinterOrientation Orientation = poPortrait;
    QString JobTitle;
    QString PageTitle;
    QString Logo; // picture file drawn at the left of the title line
    int PageTitleMargin = 0;
    // Split at "|" into the left, middle and right part; "date", "time" and "page" are filled in.
    QString PageFooter = QStringLiteral("date|time|page");
    int HeaderSize = 0;
    int FooterSize = 0;
    QString DateFormat = QStringLiteral("d-mmm-yyyy");
    QString TimeFormat = QStringLiteral("h:nn");
    int Copies = 1;
    int FromRow = 0; // kept for the form; the layout does not read it
    int ToRow = 0; // set to the last row when a page is printed; the layout does not read it
    int PreviewPage = 1; // the page the preview draws, 1-based
    TBorderStyle BorderStyle = bsNone; // bsSingle frames every printed cell
    int Leftpadding = 2;
    int MarginBottom = 0;
    int MarginLeft = 0;
    int MarginTop = 0;
    int MarginRight = 0;
};

} // namespace kolvar::grid
