#include "RecordingPrinter.h"

#include <climits>

namespace kolvar::test {

RecordingPaintEngine::RecordingPaintEngine(Recording& out)
    : QPaintEngine(QPaintEngine::AllFeatures)
    , m_out(out)
{ }

bool RecordingPaintEngine::begin(QPaintDevice*)
{
    m_out.begun = !m_out.refuseJob;
    return m_out.begun;
}

bool RecordingPaintEngine::end()
{
    m_out.ended = true;
    return !m_out.failJob;
}

void RecordingPaintEngine::updateState(const QPaintEngineState& changed)
{
    if (changed.state() & QPaintEngine::DirtyPen)
        m_pen = changed.pen().color();
}

void RecordingPaintEngine::drawPixmap(const QRectF&, const QPixmap&, const QRectF&)
{
    ++m_out.images;
}

void RecordingPaintEngine::drawImage(
    const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags)
{
    ++m_out.images;
}

void RecordingPaintEngine::drawTextItem(const QPointF& p, const QTextItem& item)
{
    m_out.drawn.append({ m_out.page, p, item.text(), item.font(), m_pen });
}

RecordingPrintEngine::RecordingPrintEngine(Recording& out, QSizeF page, int dpi)
    : m_out(out)
    , m_page(page)
    , m_dpi(dpi)
{ }

void RecordingPrintEngine::setProperty(PrintEnginePropertyKey key, const QVariant& value)
{
    switch (key) {
    case PPK_QPageSize:
        m_paper = value.value<QPageSize>();
        break;
    case PPK_Orientation:
        m_orientation = QPageLayout::Orientation(value.toInt());
        break;
    case PPK_QPageLayout: {
        const QPageLayout layout = value.value<QPageLayout>();
        m_paper = layout.pageSize();
        m_orientation = layout.orientation();
        break;
    }
    default:
        m_properties.insert(key, value);
        return;
    }
    m_out.layout = pageLayout();
}

QVariant RecordingPrintEngine::property(PrintEnginePropertyKey key) const
{
    switch (key) {
    case PPK_QPageSize:
        return QVariant::fromValue(pageLayout().pageSize());
    case PPK_Orientation:
        return int(m_orientation);
    case PPK_QPageLayout:
        return QVariant::fromValue(pageLayout());
    default:
        break;
    }
    return m_properties.value(key);
}

QSize RecordingPrintEngine::sheet() const
{
    QSize size = m_paper.isValid() ? m_paper.sizePixels(m_dpi) : m_page.toSize();
    if (m_orientation == QPageLayout::Landscape)
        size.transpose();
    return size;
}

QPageLayout RecordingPrintEngine::pageLayout() const
{
    const QPageSize paper = m_paper.isValid()
        ? m_paper
        : QPageSize(m_page * 72.0 / m_dpi, QPageSize::Point, QString(), QPageSize::ExactMatch);
    return QPageLayout(paper, m_orientation, QMarginsF());
}

bool RecordingPrintEngine::newPage()
{
    ++m_out.page;
    return true;
}

int RecordingPrintEngine::metric(QPaintDevice::PaintDeviceMetric m) const
{
    switch (m) {
    case QPaintDevice::PdmWidth:
        return sheet().width();
    case QPaintDevice::PdmHeight:
        return sheet().height();
    case QPaintDevice::PdmWidthMM:
        return int(sheet().width() * 25.4 / m_dpi);
    case QPaintDevice::PdmHeightMM:
        return int(sheet().height() * 25.4 / m_dpi);
    case QPaintDevice::PdmDpiX:
    case QPaintDevice::PdmDpiY:
    case QPaintDevice::PdmPhysicalDpiX:
    case QPaintDevice::PdmPhysicalDpiY:
        return m_dpi;
    case QPaintDevice::PdmDepth:
        return 32;
    case QPaintDevice::PdmNumColors:
        return INT_MAX;
    case QPaintDevice::PdmDevicePixelRatio:
        return 1;
    case QPaintDevice::PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
    }
    return 0;
}

QPrinter::PrinterState RecordingPrintEngine::printerState() const
{
    if (m_out.failJob && m_out.ended)
        return QPrinter::Error;
    return m_out.begun && !m_out.ended ? QPrinter::Active : QPrinter::Idle;
}

RecordingPrinter::RecordingPrinter(Recording& out, QSizeF page, int dpi)
    : RecordingEngines(out, page, dpi)
    , QPrinter(QPrinter::HighResolution)
{
    setEngines(&m_printEngine, &m_paintEngine);
}

ScriptedPrinters::ScriptedPrinters()
    : m_previous(setPrinterAccess(this))
{ }

ScriptedPrinters::~ScriptedPrinters()
{
    setPrinterAccess(m_previous);
}

std::unique_ptr<QPrinter> ScriptedPrinters::printerNamed(const QString& name, QString& message)
{
    ++asked;
    names << name;
    std::unique_ptr<QPrinter> made = printer ? printer() : nullptr;
    if (!made)
        message = error.isEmpty() ? noPrinterMessage() : error;
    return made;
}

} // namespace kolvar::test
