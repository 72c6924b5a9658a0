#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringView>

#include <functional>

class QPainter;

namespace kolvar {

// One piece of text as it lands on a printed page: the top-left corner of its box in device
// units of the printable area, and the font it is drawn in.
struct PlacedText
{
    int page = 0;
    QPointF pos;
    QString text;
    QFont font;
};

// A line printer on a page canvas: writes are laid out line by line in the font in force, with
// "\n" ending a line, "\r" ignored, tab stops every eight average character widths and form feed
// starting a page. Text too long for the rest of a line breaks between characters. Nothing is
// painted here, so where each piece lands can be checked without a printer.
class PrinterTextStream
{
public:
    // pageSize is the printable area in device units of a device with dpi dots per inch.
    PrinterTextStream(QSizeF pageSize, int dpi);

    void setFont(const QFont& font) { m_font = font; }
    [[nodiscard]] const QFont& font() const { return m_font; }

    void write(QStringView text);

    [[nodiscard]] const QList<PlacedText>& placed() const { return m_placed; }
    // Pages holding text, and pages a form feed asked for; a page the line rule started but
    // nothing was written on is not counted.
    [[nodiscard]] int pageCount() const { return m_pageCount; }
    [[nodiscard]] QSizeF pageSize() const { return m_pageSize; }
    // Metrics of a font at the stream's resolution.
    [[nodiscard]] QFontMetricsF metrics(const QFont& font) const;

private:
    void drawText(QStringView text);
    void place(QStringView text, qreal width);
    void tab();
    void newLine();
    void newPage();

    QSizeF m_pageSize;
    // Only carries the resolution the fonts are measured at.
    QImage m_metricsDevice;
    QFont m_font;
    QPointF m_pos;
    // Height of the tallest text drawn on the current line; 0 while the line has none.
    qreal m_lineTextHeight = 0;
    int m_page = 0;
    int m_pageCount = 1;
    QList<PlacedText> m_placed;
};

// Paints the laid-out pages; newPage is called before every page but the first and stops the
// painting when it fails.
void paintPages(
    QPainter& painter, const PrinterTextStream& stream, const std::function<bool()>& newPage);

} // namespace kolvar
