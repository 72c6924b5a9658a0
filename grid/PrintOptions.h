#pragma once

#include <QString>

namespace kolvar::grid {

enum PrinterOrientation { poPortrait, poLandscape };
enum BorderStyle { bsNone, bsSingle };

// The settings of a grid's printout, edited in place by the print preview and kept by the grid
// for the life of the program. Lengths are screen pixels, sizes points.
struct PrintOptions
{
    PrinterOrientation orientation = poPortrait;
    QString jobTitle;
    QString pageTitle;
    QString logo; // picture file drawn at the left of the title line
    int pageTitleMargin = 0;
    // Split at "|" into the left, middle and right part; "date", "time" and "page" are filled in.
    QString pageFooter = QStringLiteral("date|time|page");
    int headerSize = 0;
    int footerSize = 0;
    QString dateFormat = QStringLiteral("d-mmm-yyyy");
    QString timeFormat = QStringLiteral("h:nn");
    int copies = 1;
    int fromRow = 0; // kept for the form; the layout does not read it
    int toRow = 0; // set to the last row when a page is printed; the layout does not read it
    int previewPage = 1; // the page the preview draws, 1-based
    BorderStyle borderStyle = bsNone; // bsSingle frames every printed cell
    int leftPadding = 2;
    int marginBottom = 0;
    int marginLeft = 0;
    int marginTop = 0;
    int marginRight = 0;
};

} // namespace kolvar::grid
