#include "PrinterTextStream.h"

#include <QPainter>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace kolvar {

namespace {

constexpr qreal LineGap = 2;
constexpr int TabWidthInChars = 8;

// Dots per metre that read back as exactly dpi through QImage's rounding.
int dotsPerMeter(int dpi)
{
    return int(std::lround(dpi / 0.0254));
}

} // namespace

PrinterTextStream::PrinterTextStream(QSizeF pageSize, int dpi)
    : m_pageSize(pageSize)
    , m_metricsDevice(1, 1, QImage::Format_RGB32)
{
    m_metricsDevice.setDotsPerMeterX(dotsPerMeter(dpi));
    m_metricsDevice.setDotsPerMeterY(dotsPerMeter(dpi));
}

QFontMetricsF PrinterTextStream::metrics(const QFont& font) const
{
    return QFontMetricsF(font, &m_metricsDevice);
}

void PrinterTextStream::write(QStringView text)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r' && c != u'\t' && c != u'\f')
            continue;
        drawText(text.mid(start, i - start));
        start = i + 1;
        if (c == u'\n')
            newLine();
        else if (c == u'\t')
            tab();
        else if (c == u'\f') {
            newPage();
            // A page asked for is printed, even blank.
            m_pageCount = std::max(m_pageCount, m_page + 1);
        }
    }
    drawText(text.mid(start));
}

void PrinterTextStream::drawText(QStringView text)
{
    if (text.isEmpty())
        return;
    const QFontMetricsF fm = metrics(m_font);
    // A character is never split, and a surrogate pair or an accent stays with its letter: lines
    // break only at these ends, found once for the whole text.
    QList<qsizetype> ends;
    const QString str = text.toString();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, str);
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary())
        ends.append(end);

    qsizetype start = 0;
    qsizetype first = 0; // the first end after start
    while (first < ends.size()) {
        const qreal room = m_pageSize.width() - m_pos.x();
        const auto widthTo
            = [&](qsizetype i) { return fm.horizontalAdvance(str.mid(start, ends[i] - start)); };
        // The longest run that fits, found by doubling the run tried and then halving the gap, so
        // that a line costs about its own length and a long unbroken text stays linear.
        qsizetype fit = first - 1;
        qsizetype tooWide = ends.size();
        for (qsizetype step = 32; fit + 1 < tooWide; step *= 2) {
            const qsizetype probe = std::min(fit + step, tooWide - 1);
            if (widthTo(probe) > room) {
                tooWide = probe;
                break;
            }
            fit = probe;
        }
        while (tooWide - fit > 1) {
            const qsizetype mid = fit + (tooWide - fit) / 2;
            (widthTo(mid) <= room ? fit : tooWide) = mid;
        }
        if (tooWide == ends.size()) {
            place(QStringView(str).mid(start), widthTo(fit));
            return;
        }
        if (fit < first) {
            if (m_pos.x() > 0) {
                newLine();
                continue;
            }
            // Wider than the page on its own: it goes out clipped rather than never.
            fit = first;
        }
        place(QStringView(str).mid(start, ends[fit] - start), widthTo(fit));
        newLine();
        start = ends[fit];
        first = fit + 1;
    }
}

void PrinterTextStream::place(QStringView text, qreal width)
{
    m_placed.append({ m_page, m_pos, text.toString(), m_font });
    m_pageCount = std::max(m_pageCount, m_page + 1);
    m_lineTextHeight = std::max(m_lineTextHeight, metrics(m_font).height());
    m_pos.rx() += width;
}

void PrinterTextStream::tab()
{
    const qreal stop = TabWidthInChars * metrics(m_font).averageCharWidth();
    const qreal next = (std::floor(m_pos.x() / stop) + 1) * stop;
    if (next >= m_pageSize.width())
        newLine();
    else
        m_pos.setX(next);
}

void PrinterTextStream::newLine()
{
    m_pos.setX(0);
    if (m_lineTextHeight > 0) {
        m_pos.ry() += m_lineTextHeight + LineGap;
        // A line with text needs room for itself and one more of its kind below it.
        if (m_pos.y() > m_pageSize.height() - 2 * m_lineTextHeight)
            newPage();
    } else {
        m_pos.ry() += metrics(m_font).height();
        if (m_pos.y() > m_pageSize.height())
            newPage();
    }
    m_lineTextHeight = 0;
}

void PrinterTextStream::newPage()
{
    ++m_page;
    m_pos = QPointF();
    m_lineTextHeight = 0;
}

void paintPages(
    QPainter& painter, const PrinterTextStream& stream, const std::function<bool()>& newPage)
{
    const QList<PlacedText>& placed = stream.placed();
    auto next = placed.cbegin();
    for (int page = 0; page < stream.pageCount(); ++page) {
        if (page > 0 && !newPage())
            return;
        for (; next != placed.cend() && next->page == page; ++next) {
            painter.setFont(next->font);
            // The stream places boxes by their top; QPainter draws on the baseline.
            const qreal ascent = QFontMetricsF(next->font, painter.device()).ascent();
            painter.drawText(QPointF(next->pos.x(), next->pos.y() + ascent), next->text);
        }
    }
}

} // namespace kolvar
