// TZarur's printout: the grid gives its cells to the page layout and sends the page drawn for the
// preview to the printer.
#include "Zarur.h"

#include "PrinterAccess.h"
#include "UserDialogs.h"

#include <QApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>

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
// fixed ones on the fixed colour, then the owner's OnGetCellFormat.
class ZarurPrintSource final : public PrintSource
{
public:
    explicit ZarurPrintSource(TZarur& grid)
        : m_grid(grid)
    { }

    int colCount() const override { return m_grid.colCount(); }
    int colWidth(int col) const override { return m_grid.colWidth(col); }
    int rowHeight(int row) const override { return m_grid.rowHeight(row); }
    int fixedCols() const override { return m_grid.fixedCols(); }
    int fixedRows() const override { return m_grid.fixedRows(); }
    bool wordWrap() const override { return m_grid.WordWrap(); }
    QFont font() const override { return m_grid.font(); }
    QColor color() const override { return m_grid.color(); }

    PrintedCell cell(int col, int row) override
    {
        GridCanvas& canvas = m_grid.m_measureCanvas;
        canvas.font = m_grid.m_defaultCanvasFont;
        canvas.brush = m_grid.m_defaultCanvasBrush;
        canvas.fontColor = Qt::black;
        TFormatOptions format;
        m_grid.prepareCellFormat(canvas, col, row, format);
        const bool footer = m_grid.isFooterRow(row);
        if (row >= m_grid.fixedRows() && !footer)
            canvas.brush.setColor(m_grid.color());
        if (row < m_grid.fixedRows() || (col < m_grid.fixedCols() && !footer))
            canvas.brush.setColor(m_grid.fixedColor());
        if (m_grid.OnGetCellFormat)
            m_grid.OnGetCellFormat(col, row, m_grid.CellDrawState(col, row), format);
        // A page shows no more of a cell than the screen does, at a font down to a quarter.
        return { format.SuppressText ? QString()
                                     : m_grid.shownText(col, row, 4 * m_grid.colWidth(col)),
            *format.CellFont, *format.CellFontColor, format.CellBrush->color(), format.HorzAlign,
            format.VertAlign };
    }

private:
    TZarur& m_grid;
};

void TZarur::PreviewPrintout()
{
    m_pagesLaidOut = 0;
    // A printer connected or changed since the last preview is taken now.
    m_layoutPrinter.reset();
    if (!previewFactory())
        return;
    const std::unique_ptr<PreviewWindow> preview = previewFactory()(window());
    preview->SetGrid(this);
    RenderPreviewPage(preview->PrintImage());
    preview->ShowPrintImage();
    preview->ShowModal();
}

void TZarur::RenderPreviewPage(QImage& Canvas)
{
    m_renderedPage = LayOutPages(true, 1, rowCount() - 1);
    Canvas = QImage(m_renderedPage.size, QImage::Format_RGB32);
    QPainter painter(&Canvas);
    paintPage(painter, m_renderedPage, QRectF(QPointF(0, 0), m_renderedPage.size));
}

int TZarur::CountPrintPages()
{
    LayOutPages(false, 1, rowCount() - 1);
    return m_pagesLaidOut;
}

void TZarur::PrintPreviewPage()
{
    FitHiddenRowHeights(0, rowCount() - 1);
    QWidget* parent = dialogParent(this);
    QString error;
    const std::unique_ptr<QPrinter> printer = printerAccess().defaultPrinter(error);
    if (!printer) {
        userDialogs().message(parent, error, MessageIcon::Error);
        return;
    }
    printer->setDocName(m_printOptions.JobTitle);
    printer->setCopyCount(std::max(1, m_printOptions.Copies));
    printer->setPageOrientation(
        m_printOptions.Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    m_printOptions.ToRow = rowCount() - 1;
    // Printing into a file is there in the dialog, as the user's own choice.
    if (!userDialogs().choosePrinter(parent, *printer))
        return;
    if (m_renderedPage.size.isEmpty())
        m_renderedPage = LayOutPages(true, 1, rowCount() - 1);

    PrintJob job(*printer);
    QString failed = job.begin();
    if (failed.isEmpty()) {
        // The page drawn for the preview, laid out again over the printer's page at the
        // printer's resolution rather than the screen picture stretched.
        paintPage(job.painter(), m_renderedPage, QRectF(0, 0, printer->width(), printer->height()));
        failed = job.finish();
    }
    if (!failed.isEmpty())
        userDialogs().message(parent, failed, MessageIcon::Error);
}

QPrinter& TZarur::LayoutPrinter()
{
    if (!m_layoutPrinter) {
        QString error;
        m_layoutPrinter = printerAccess().defaultPrinter(error);
        m_realPrinter = m_layoutPrinter != nullptr;
        if (!m_realPrinter) {
            // Only to carry the page set-up; nothing is ever printed on it.
            m_layoutPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
            m_layoutPrinter->setOutputFormat(QPrinter::PdfFormat);
            m_layoutPrinter->setPageSize(QPageSize(QPageSize::A4));
        }
    }
    return *m_layoutPrinter;
}

PageLayout TZarur::LayOutPages(bool Render, int FirstRow, int LastRow)
{
    QPrinter& printer = LayoutPrinter();
    const bool landscape = m_printOptions.Orientation == poLandscape;
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    const PageGeometry geometry = pageGeometry(m_realPrinter ? &printer : nullptr, landscape);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenDpiX = screen ? int(std::lround(screen->logicalDotsPerInchX())) : 96;
    const int screenDpiY = screen ? int(std::lround(screen->logicalDotsPerInchY())) : 96;

    ZarurPrintSource source(*this);
    PageLayouter layouter(source, m_printOptions,
        { geometry.size, geometry.dpiX, geometry.dpiY, std::max(1, screenDpiX),
            std::max(1, screenDpiY) },
        QDateTime::currentDateTime());
    if (!Render) {
        m_pagesLaidOut = layouter.Count(FirstRow, LastRow);
        return {};
    }
    PageLayout page = layouter.Render(m_printOptions.PreviewPage, FirstRow, LastRow);
    m_pagesLaidOut = layouter.PagesLaidOut();
    return page;
}

void TZarur::ResampleBitmap(QImage& Source, QImage& Target)
{
    grid::ResampleBitmap(Source, Target);
}

} // namespace kolvar::grid
