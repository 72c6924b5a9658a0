// SortableGrid's printout: the grid gives its cells to the page layout and sends the page drawn for
// the preview to the printer.
#include "SortableGrid.h"

#include "PrinterAccess.h"
#include "UserDialogs.h"

#include <QApplication>
#include <QPageRanges>
#include <QPainter>
#include <QPrinter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace kolvar::grid {

namespace {

PreviewWindowFactory& previewFactory()
{
    static PreviewWindowFactory factory;
    return factory;
}

QWidget* dialogParent(QWidget* fallback)
{
    QWidget* modal = QApplication::activeModalWidget();
    return modal ? modal : fallback->window();
}

} // namespace

PreviewWindowFactory setPreviewWindowFactory(PreviewWindowFactory factory)
{
    PreviewWindowFactory previous = std::move(previewFactory());
    previewFactory() = std::move(factory);
    return previous;
}

// The grid's cells as the printout asks for them: the canvas reset to what it was at
// construction, the cell's format prepared as for painting, data cells on the grid's colour and
// fixed ones on the fixed colour, then the owner's onGetCellFormat.
class GridPrintSource final : public PrintSource
{
public:
    explicit GridPrintSource(SortableGrid& grid)
        : m_grid(grid)
    { }

    int colCount() const override { return m_grid.colCount(); }
    int colWidth(int col) const override { return m_grid.colWidth(col); }
    int rowHeight(int row) const override { return m_grid.rowHeight(row); }
    int fixedCols() const override { return m_grid.fixedCols(); }
    int fixedRows() const override { return m_grid.fixedRows(); }
    bool wordWrap() const override { return m_grid.wordWrap(); }
    QFont font() const override { return m_grid.font(); }
    QColor color() const override { return m_grid.color(); }

    PrintedCell cell(int col, int row) override
    {
        GridCanvas& canvas = m_grid.m_measureCanvas;
        canvas.font = m_grid.m_defaultCanvasFont;
        canvas.brush = m_grid.m_defaultCanvasBrush;
        canvas.fontColor = Qt::black;
        CellFormat format;
        m_grid.prepareCellFormat(canvas, col, row, format);
        const bool footer = m_grid.isFooterRow(row);
        if (row >= m_grid.fixedRows() && !footer)
            canvas.brush.setColor(m_grid.color());
        if (row < m_grid.fixedRows() || (col < m_grid.fixedCols() && !footer))
            canvas.brush.setColor(m_grid.fixedColor());
        if (m_grid.onGetCellFormat)
            m_grid.onGetCellFormat(col, row, m_grid.cellDrawState(col, row), format);
        // A page shows no more of a cell than the screen does, at a font down to a quarter.
        return { format.suppressText ? QString()
                                     : m_grid.shownText(col, row, 4 * m_grid.colWidth(col)),
            *format.cellFont, *format.cellFontColor, format.cellBrush->color(), format.horzAlign,
            format.vertAlign };
    }

private:
    SortableGrid& m_grid;
};

void SortableGrid::previewPrintout()
{
    m_pagesLaidOut = 0;
    // A printer connected or changed since the last preview is taken now.
    m_layoutPrinter.reset();
    if (!previewFactory())
        return;
    const std::unique_ptr<PreviewWindow> preview = previewFactory()(window());
    preview->setGrid(this);
    renderPreviewPage(preview->printImage());
    preview->showPrintImage();
    preview->showModal();
}

void SortableGrid::renderPreviewPage(QImage& canvas)
{
    m_renderedPage = layOutPages(true, 1, rowCount() - 1);
    canvas = QImage(m_renderedPage.size, QImage::Format_RGB32);
    QPainter painter(&canvas);
    paintPage(painter, m_renderedPage, QRectF(QPointF(0, 0), m_renderedPage.size));
}

int SortableGrid::countPrintPages()
{
    layOutPages(false, 1, rowCount() - 1);
    return m_pagesLaidOut;
}

void SortableGrid::printPreviewPage()
{
    fitHiddenRowHeights(0, rowCount() - 1);
    QWidget* parent = dialogParent(this);
    QString error;
    const std::unique_ptr<QPrinter> printer
        = printerAccess().printerNamed(m_printerSetup.printer, error);
    if (!printer) {
        userDialogs().message(parent, error, MessageIcon::Error);
        return;
    }
    printer->setDocName(m_printOptions.jobTitle);
    printer->setCopyCount(std::max(1, m_printOptions.copies));
    PrinterSetup setup = m_printerSetup;
    setup.orientation = m_printOptions.orientation == poLandscape ? QPageLayout::Landscape
                                                                  : QPageLayout::Portrait;
    applySetup(*printer, setup);
    m_printOptions.toRow = rowCount() - 1;

    // The dialog offers the pages as the preview counts them and starts at the page shown, so
    // what it says is what a plain "Drukuj" prints.
    GridPrintSource source(*this);
    const int pages
        = std::max(1, layouterFor(source, printer.get()).countAsRendered(1, rowCount() - 1));
    const int current = std::clamp(m_printOptions.previewPage, 1, pages);
    printer->setPrintRange(QPrinter::PageRange);
    printer->setFromTo(current, current);
    // Printing into a file is there in the dialog, as the user's own choice.
    const QString offered = printer->printerName();
    if (!userDialogs().choosePrinter(parent, *printer, pages))
        return;
    // Qt's dialog puts the queue's own paper back; the paper chosen in the set-up stays unless
    // the user took another printer there.
    if (setup.paper.isValid() && printer->printerName() == offered)
        printer->setPageSize(setup.paper);
    const QList<int> chosen = chosenPages(*printer, current, pages);
    if (chosen.isEmpty())
        return;

    PrintJob job(*printer);
    QString failed = job.begin();
    if (failed.isEmpty()) {
        // Laid out again for the job's printer, which is the preview's unless the dialog changed
        // it, and painted at the printer's resolution rather than the screen picture stretched.
        const QRectF sheet(0, 0, printer->width(), printer->height());
        bool first = true;
        bool fed = true;
        layouterFor(source, printer.get())
            .renderPages(chosen, 1, rowCount() - 1, [&](int, const PageLayout& page) {
                if (!first && !job.newPage()) {
                    fed = false;
                    return false;
                }
                first = false;
                paintPage(job.painter(), page, sheet);
                return true;
            });
        failed = job.finish();
        if (failed.isEmpty() && !fed)
            failed = QStringLiteral("Drukarka \"%1\" nie przyjęła kolejnej strony. Wydruk jest "
                                    "niepełny.")
                         .arg(printer->printerName());
    }
    if (!failed.isEmpty())
        userDialogs().message(parent, failed, MessageIcon::Error);
}

QList<int> SortableGrid::chosenPages(const QPrinter& printer, int current, int last) const
{
    QList<int> pages;
    switch (printer.printRange()) {
    case QPrinter::AllPages:
        for (int p = 1; p <= last; ++p)
            pages << p;
        break;
    case QPrinter::PageRange: {
        QList<QPageRanges::Range> ranges = printer.pageRanges().toRangeList();
        if (ranges.isEmpty())
            ranges << QPageRanges::Range { printer.fromPage(), printer.toPage() };
        for (const QPageRanges::Range& range : ranges)
            for (int p = std::max(1, range.from); p <= std::min(range.to, last); ++p)
                pages << p;
        std::sort(pages.begin(), pages.end());
        pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
        break;
    }
    case QPrinter::Selection:
    case QPrinter::CurrentPage:
        pages << current;
        break;
    }
    return pages;
}

bool SortableGrid::setUpPrinter(QWidget* parent)
{
    PrinterSetup setup = m_printerSetup;
    setup.orientation = m_printOptions.orientation == poLandscape ? QPageLayout::Landscape
                                                                  : QPageLayout::Portrait;
    if (!setup.paper.isValid())
        setup.paper = layoutPrinter().pageLayout().pageSize();
    if (!userDialogs().setUpPrinter(parent, setup))
        return false;
    m_printOptions.orientation
        = setup.orientation == QPageLayout::Landscape ? poLandscape : poPortrait;
    setup.orientation = QPageLayout::Portrait;
    m_printerSetup = setup;
    // The next layout takes the chosen queue, with its page and resolution.
    m_layoutPrinter.reset();
    return true;
}

QPrinter& SortableGrid::layoutPrinter()
{
    if (!m_layoutPrinter) {
        QString error;
        m_layoutPrinter = printerAccess().printerNamed(m_printerSetup.printer, error);
        m_realPrinter = m_layoutPrinter != nullptr;
        if (!m_realPrinter) {
            // Only to carry the page set-up; nothing is ever printed on it.
            m_layoutPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
            m_layoutPrinter->setOutputFormat(QPrinter::PdfFormat);
            m_layoutPrinter->setPageSize(QPageSize(QPageSize::A4));
        }
        if (m_printerSetup.paper.isValid())
            m_layoutPrinter->setPageSize(m_printerSetup.paper);
    }
    return *m_layoutPrinter;
}

PageLayouter SortableGrid::layouterFor(PrintSource& source, const QPrinter* printer) const
{
    const bool landscape = m_printOptions.orientation == poLandscape;
    const PageGeometry geometry = pageGeometry(printer, landscape, m_printerSetup.paper);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenDpiX = screen ? int(std::lround(screen->logicalDotsPerInchX())) : 96;
    const int screenDpiY = screen ? int(std::lround(screen->logicalDotsPerInchY())) : 96;
    return PageLayouter(source, m_printOptions,
        { geometry.size, geometry.dpiX, geometry.dpiY, std::max(1, screenDpiX),
            std::max(1, screenDpiY) },
        QDateTime::currentDateTime());
}

PageLayout SortableGrid::layOutPages(bool render, int firstRow, int lastRow)
{
    QPrinter& printer = layoutPrinter();
    printer.setPageOrientation(
        m_printOptions.orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    GridPrintSource source(*this);
    PageLayouter layouter = layouterFor(source, m_realPrinter ? &printer : nullptr);
    if (!render) {
        m_pagesLaidOut = layouter.count(firstRow, lastRow);
        return {};
    }
    PageLayout page = layouter.render(m_printOptions.previewPage, firstRow, lastRow);
    m_pagesLaidOut = layouter.pagesLaidOut();
    return page;
}

void SortableGrid::resampleBitmap(QImage& source, QImage& target)
{
    grid::resampleBitmap(source, target);
}

} // namespace kolvar::grid
