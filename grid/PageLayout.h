#pragma once

#include "CellLayout.h"
#include "PrintOptions.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <climits>
#include <functional>

class QPainter;

namespace kolvar::grid {

// One thing drawn on a printed page, in page units.
struct PageItem
{
    enum Kind { Fill, Frame, Text, Image };
    Kind kind = Fill;
    QRect rect; // what is filled or framed, where the text is laid out, where the image goes
    QColor color; // of the fill, the frame or the text
    QString text;
    QFont font; // sized in pixels of the page units
    int flags = 0; // Qt::AlignmentFlag and Qt::TextFlag of the text
    QImage image;
};

// A page as data: what is drawn where. The same page paints the preview picture, a printer page
// and a PDF.
struct PageLayout
{
    QSize size;
    QColor background;
    QList<PageItem> items;
    QStringList notes; // what the user should know about the page (a logo left out)
};

// The cell as it is printed.
struct PrintedCell
{
    QString text;
    QFont font;
    QColor fontColor;
    QColor brush;
    HorzAlignment horzAlign = taLeftJustify;
    VertAlignment vertAlign = taTopJustify;
};

// What the layout reads from a grid. Cells are asked for only on the page that is drawn.
class PrintSource
{
public:
    virtual ~PrintSource() = default;
    [[nodiscard]] virtual int colCount() const = 0;
    [[nodiscard]] virtual int colWidth(int col) const = 0;
    [[nodiscard]] virtual int rowHeight(int row) const = 0;
    [[nodiscard]] virtual int fixedCols() const = 0;
    [[nodiscard]] virtual int fixedRows() const = 0;
    [[nodiscard]] virtual bool wordWrap() const = 0;
    [[nodiscard]] virtual QFont font() const = 0;
    [[nodiscard]] virtual QColor color() const = 0;
    [[nodiscard]] virtual PrintedCell cell(int col, int row) = 0;
};

// The printer page the layout is for: its printable size in printer pixels and its resolution,
// with the screen's resolution that the grid's lengths are measured in.
struct PrintPage
{
    QSize size;
    int dpiX = 600;
    int dpiY = 600;
    int screenDpiX = 96;
    int screenDpiY = 96;
};

// Lays a grid out as printed pages: a title line with the logo, row 0, the data rows and the
// three-part footer, the columns cut into slices that fit the page width. Rendering draws one
// page in screen pixels (PW and PH divided by the whole ratio of the resolutions); counting walks
// every page in printer pixels and draws nothing. A run stops as soon as the page to draw is
// complete, so the pages before it are only walked through.
class PageLayouter
{
public:
    PageLayouter(PrintSource& source, const PrintOptions& options, const PrintPage& page,
        const QDateTime& now);

    // Draws page number (1-based); a page beyond the last leaves the layout empty but sized.
    [[nodiscard]] PageLayout render(int number, int firstRow, int lastRow);
    // Draws the pages numbered in ascending order in one walk, handing each to onPage as soon as
    // it is complete; stops after the last of them, or when onPage returns false. Numbers beyond
    // the last page get nothing. A printout of thousands of pages thus costs one walk, and only
    // one page is held at a time.
    using PageSink = std::function<bool(int number, const PageLayout& page)>;
    void renderPages(const QList<int>& numbers, int firstRow, int lastRow, const PageSink& onPage);
    // Walks all pages without drawing and gives their number.
    [[nodiscard]] int count(int firstRow, int lastRow);
    // The number of pages as rendering breaks them, which is what the preview pages through and
    // what printing prints; counting in printer pixels may round a break differently.
    [[nodiscard]] int countAsRendered(int firstRow, int lastRow);

    [[nodiscard]] int pagesLaidOut() const { return m_pagesLaidOut; }

private:
    void layOutPages(int firstRow, int lastRow);
    void beginPage();
    // Ends the current page; true when the run is over.
    [[nodiscard]] bool endPage();
    void putPageFrame();
    void putRow(int row);
    void loadLogo();
    [[nodiscard]] int scaleX(int v) const;
    [[nodiscard]] int scaleY(int v) const;
    [[nodiscard]] QFont sizedFont(int points) const;
    [[nodiscard]] QFont inPixels(QFont font) const;
    [[nodiscard]] QString pageLabel() const;

    PrintSource& m_source;
    const PrintOptions& m_options;
    PrintPage m_page;
    QDateTime m_now;
    bool m_render = false;
    QList<int> m_wanted; // the pages to draw, ascending
    qsizetype m_nextWanted = 0;
    const PageSink* m_onPage = nullptr;
    PageLayout m_layout;
    QStringList m_notes;
    int m_pagesLaidOut = 0;
    bool m_drawing = false; // D: the current page is the one drawn
    int m_pw = 0;
    int m_ph = 0;
    int m_y = 0;
    int m_footerHeight = 0;
    int m_sliceFirst = 0;
    int m_sliceLast = 0;
    int m_slice = 0;
    bool m_sliced = false;
    int m_pageInSlice = 0;
    int m_clipBottom = INT_MAX; // where the row being put is cut off
    // The logo as read; drawn at its own size, which rendering keeps in screen pixels.
    QImage m_logo;
};

// Paints a laid-out page over target on any painter: the preview picture, a printer page, a PDF.
// The page is stretched to target, so a printer gets it again at its own resolution.
void paintPage(QPainter& painter, const PageLayout& page, const QRectF& target);

} // namespace kolvar::grid
