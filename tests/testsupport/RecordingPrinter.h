#pragma once

#include "PrinterAccess.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPrintEngine>
#include <QPrinter>
#include <QSizeF>

#include <functional>

namespace kolvar::test {

// What a printer was asked to paint, kept by the test after the printer has gone.
struct Recording
{
    struct Drawn
    {
        int page;
        QPointF baseline;
        QString text;
        QFont font;
        QColor pen;
    };

    bool refuseJob = false; // the job does not start
    bool failJob = false; // the job starts and the print system fails it at the end
    bool begun = false;
    bool ended = false;
    int jobs = 0;
    int page = 0;
    int images = 0;
    QList<Drawn> drawn;
    QPageLayout layout; // the paper and orientation the printer was given last
};

class RecordingPaintEngine final : public QPaintEngine
{
public:
    explicit RecordingPaintEngine(Recording& out);
    bool begin(QPaintDevice*) override;
    bool end() override;
    void updateState(const QPaintEngineState& changed) override;
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override;
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override;
    void drawTextItem(const QPointF& p, const QTextItem& item) override;
    void drawPath(const QPainterPath&) override { }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override { }
    Type type() const override { return QPaintEngine::User; }

private:
    Recording& m_out;
    QColor m_pen;
};

class RecordingPrintEngine final : public QPrintEngine
{
public:
    RecordingPrintEngine(Recording& out, QSizeF page, int dpi);
    void setProperty(PrintEnginePropertyKey key, const QVariant& value) override;
    QVariant property(PrintEnginePropertyKey key) const override;
    bool newPage() override;
    bool abort() override { return false; }
    int metric(QPaintDevice::PaintDeviceMetric m) const override;
    QPrinter::PrinterState printerState() const override;

private:
    // The sheet in pixels: the page given at construction until a paper is set, turned for
    // landscape, so that a layout sees what a real printer would give it.
    [[nodiscard]] QSize sheet() const;
    [[nodiscard]] QPageLayout pageLayout() const;

    Recording& m_out;
    QSizeF m_page;
    int m_dpi;
    QPageSize m_paper;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    QHash<PrintEnginePropertyKey, QVariant> m_properties;
};

// The engines are a base so that they outlive the QPrinter part, whose destructor may still
// reach them.
struct RecordingEngines
{
    RecordingEngines(Recording& out, QSizeF page, int dpi)
        : m_paintEngine(out)
        , m_printEngine(out, page, dpi)
    { }
    RecordingPaintEngine m_paintEngine;
    RecordingPrintEngine m_printEngine;
};

// A printer that records what is painted on it instead of printing.
class RecordingPrinter final : private RecordingEngines, public QPrinter
{
public:
    RecordingPrinter(Recording& out, QSizeF page, int dpi);
};

// Stands in for the system's printers while it lives: each job gets the printer printer() makes,
// or, when it makes none, the message in error (the no-printer message when that is empty).
class ScriptedPrinters final : public PrinterAccess
{
public:
    ScriptedPrinters();
    ~ScriptedPrinters() override;
    ScriptedPrinters(const ScriptedPrinters&) = delete;
    ScriptedPrinters& operator=(const ScriptedPrinters&) = delete;

    std::function<std::unique_ptr<QPrinter>()> printer;
    QString error;
    int asked = 0;
    QStringList names; // the queue asked for each time, empty for the default one

    std::unique_ptr<QPrinter> printerNamed(const QString& name, QString& message) override;

private:
    PrinterAccess* m_previous;
};

} // namespace kolvar::test
