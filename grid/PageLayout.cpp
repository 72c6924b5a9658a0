#include "PageLayout.h"

#include "DateTimePattern.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>

#include <climits>
#include <cmath>

namespace kolvar::grid {

namespace {

// Gap kept above the footer, in screen pixels.
constexpr int FooterGap = 20;
// A logo this many pixels or more is no logo; its header alone may claim gigabytes.
constexpr qint64 MaxLogoPixels = 20'000'000;

int horzFlag(HorzAlignment align)
{
    switch (align) {
    case taRightJustify:
        return Qt::AlignRight;
    case taCenter:
        return Qt::AlignHCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft;
}

int vertFlag(VertAlignment align)
{
    switch (align) {
    case taBottomJustify:
        return Qt::AlignBottom;
    case taMiddle:
        return Qt::AlignVCenter;
    case taTopJustify:
        break;
    }
    return Qt::AlignTop;
}

QString replacedOnce(QString text, const QString& word, const QString& by)
{
    const qsizetype at = text.indexOf(word);
    if (at >= 0)
        text.replace(at, word.size(), by);
    return text;
}

// A picture with transparency is laid on white paper before it loses its alpha channel.
QImage onPaper(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB888);
    QImage flat(image.size(), QImage::Format_RGB888);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

} // namespace

PageLayouter::PageLayouter(
    PrintSource& source, const PrintOptions& options, const PrintPage& page, const QDateTime& now)
    : m_source(source)
    , m_options(options)
    , m_page(page)
    , m_now(now)
{ }

PageLayout PageLayouter::render(int number, int firstRow, int lastRow)
{
    PageLayout drawn;
    bool found = false;
    renderPages({ number }, firstRow, lastRow, [&drawn, &found](int, const PageLayout& page) {
        drawn = page;
        found = true;
        return true;
    });
    if (!found)
        drawn = { QSize(m_pw, m_ph), m_source.color(), {}, m_notes };
    return drawn;
}

void PageLayouter::renderPages(
    const QList<int>& numbers, int firstRow, int lastRow, const PageSink& onPage)
{
    m_render = true;
    m_wanted = numbers;
    m_nextWanted = 0;
    m_onPage = &onPage;
    layOutPages(firstRow, lastRow);
    m_onPage = nullptr;
}

int PageLayouter::countAsRendered(int firstRow, int lastRow)
{
    renderPages({ INT_MAX }, firstRow, lastRow, {});
    return m_pagesLaidOut;
}

int PageLayouter::count(int firstRow, int lastRow)
{
    m_render = false;
    m_wanted.clear();
    m_nextWanted = 0;
    layOutPages(firstRow, lastRow);
    return m_pagesLaidOut;
}

int PageLayouter::scaleX(int v) const
{
    if (m_render)
        return v;
    return int(std::nearbyint(double(v) * m_page.dpiX / m_page.screenDpiX));
}

int PageLayouter::scaleY(int v) const
{
    if (m_render)
        return v;
    return int(std::nearbyint(double(v) * m_page.dpiY / m_page.screenDpiY));
}

QFont PageLayouter::sizedFont(int points) const
{
    QFont font = m_source.font();
    font.setPixelSize(std::max(1, int(std::lround(points * m_page.screenDpiY / 72.0))));
    return font;
}

QFont PageLayouter::inPixels(QFont font) const
{
    // Sized in page units, a font keeps its size on the page however large the page is painted.
    if (font.pixelSize() <= 0)
        font.setPixelSize(
            std::max(1, int(std::lround(font.pointSizeF() * m_page.screenDpiY / 72))));
    return font;
}

QString PageLayouter::pageLabel() const
{
    QString label = QStringLiteral("Strona %1").arg(m_pageInSlice);
    if (m_sliced)
        label += QStringLiteral("-%1").arg(m_slice);
    return label;
}

void PageLayouter::loadLogo()
{
    m_logo = QImage();
    m_notes.clear();
    const QString& file = m_options.logo;
    if (file.isEmpty())
        return;
    const auto leftOut = [this, &file](const QString& why) {
        if (m_render)
            m_notes << QStringLiteral("Logo \"%1\" pominięte: %2").arg(file, why);
    };
    if (!QFileInfo(file).isFile()) {
        leftOut(QStringLiteral("nie ma takiego pliku."));
        return;
    }
    QImageReader reader(file);
    const QSize claimed = reader.size();
    if (claimed.isValid() && qint64(claimed.width()) * claimed.height() >= MaxLogoPixels) {
        leftOut(QStringLiteral("obraz jest za duży (%1 × %2 punktów).")
                    .arg(claimed.width())
                    .arg(claimed.height()));
        return;
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        leftOut(QStringLiteral("plik nie jest obrazem BMP, PNG ani JPEG albo jest uszkodzony."));
        return;
    }
    m_logo = onPaper(image);
}

void PageLayouter::layOutPages(int firstRow, int lastRow)
{
    m_pagesLaidOut = 0;
    m_pw = m_page.size.width();
    m_ph = m_page.size.height();
    if (m_render) {
        // A printer coarser than the screen is shown at its own pixels.
        const int kx = std::max(1, m_page.dpiX / m_page.screenDpiX);
        const int ky = std::max(1, m_page.dpiY / m_page.screenDpiY);
        m_pw /= kx;
        m_ph /= ky;
    }
    loadLogo();
    if (m_render && m_nextWanted >= m_wanted.size())
        return;

    const int cols = m_source.colCount();
    const int right = m_pw - m_options.marginRight;
    m_slice = 0;
    for (int s = 0; s < cols;) {
        int e = s;
        int width = m_options.marginLeft + scaleX(m_source.colWidth(s) + 1);
        while (e + 1 < cols && width + scaleX(m_source.colWidth(e + 1) + 1) <= right) {
            ++e;
            width += scaleX(m_source.colWidth(e) + 1);
        }
        m_sliceFirst = s;
        m_sliceLast = e;
        ++m_slice;
        m_sliced = e < cols - 1 || m_slice > 1;

        m_pageInSlice = 1;
        beginPage();
        int limit = m_ph - scaleY(m_options.marginBottom + FooterGap + m_footerHeight);
        bool rowOnPage = false;
        for (int r = firstRow; r <= lastRow;) {
            const int height = m_source.rowHeight(r);
            if (height == 0) {
                ++r;
                continue;
            }
            if (m_y + scaleY(height) <= limit || !rowOnPage) {
                // A row taller than a whole page gets a page of its own and is cut at its foot.
                m_clipBottom = rowOnPage ? INT_MAX : limit;
                putRow(r);
                m_clipBottom = INT_MAX;
                rowOnPage = true;
                ++r;
                continue;
            }
            if (endPage())
                return;
            ++m_pageInSlice;
            beginPage();
            limit = m_ph - scaleY(m_options.marginBottom + FooterGap + m_footerHeight);
            rowOnPage = false;
        }
        if (endPage())
            return;
        s = e + 1;
    }
}

void PageLayouter::beginPage()
{
    ++m_pagesLaidOut;
    while (m_nextWanted < m_wanted.size() && m_wanted.at(m_nextWanted) < m_pagesLaidOut)
        ++m_nextWanted;
    m_drawing
        = m_render && m_nextWanted < m_wanted.size() && m_wanted.at(m_nextWanted) == m_pagesLaidOut;
    if (m_drawing)
        m_layout = { QSize(m_pw, m_ph), m_source.color(), {}, m_notes };
    putPageFrame();
}

bool PageLayouter::endPage()
{
    if (!m_drawing)
        return false;
    m_drawing = false;
    // Numbers asked for twice, or out of order, are passed over rather than looked for again.
    while (m_nextWanted < m_wanted.size() && m_wanted.at(m_nextWanted) <= m_pagesLaidOut)
        ++m_nextWanted;
    const PageLayout page = std::move(m_layout);
    m_layout = PageLayout();
    if (m_onPage && *m_onPage && !(*m_onPage)(m_pagesLaidOut, page))
        return true;
    return m_nextWanted >= m_wanted.size();
}

void PageLayouter::putPageFrame()
{
    m_y = scaleY(m_options.marginTop);

    const QFont header = sizedFont(m_options.headerSize);
    const QFontMetrics headerMetrics(header);
    int titleHeight = m_options.pageTitle.isEmpty() ? 0 : headerMetrics.height();
    if (!m_logo.isNull())
        titleHeight = std::max(titleHeight, m_logo.height());
    if (m_drawing) {
        if (!m_logo.isNull())
            m_layout.items.append(
                { PageItem::Image, QRect(QPoint(scaleX(m_options.marginLeft), m_y), m_logo.size()),
                    {}, {}, {}, 0, m_logo });
        if (!m_options.pageTitle.isEmpty()) {
            const int width = headerMetrics.horizontalAdvance(m_options.pageTitle);
            const int x = m_pw / 2 - scaleX(width / 2);
            m_layout.items.append(
                { PageItem::Text, QRect(x, m_y, scaleX(width), scaleY(headerMetrics.height())),
                    Qt::black, m_options.pageTitle, header,
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, {} });
        }
    }
    m_y += scaleY(titleHeight);

    const QFont footer = sizedFont(m_options.footerSize);
    const QFontMetrics footerMetrics(footer);
    m_footerHeight = m_options.pageFooter.isEmpty() ? 0 : footerMetrics.height();
    if (!m_options.pageFooter.isEmpty() && m_drawing) {
        QStringList parts = m_options.pageFooter.split(QLatin1Char('|'));
        while (parts.size() < 3)
            parts << QString();
        const QString date = formatDateTimePattern(m_options.dateFormat, m_now);
        const QString time = formatDateTimePattern(m_options.timeFormat, m_now);
        const QString label = pageLabel();
        for (int i = 0; i < 3; ++i) {
            const QString t
                = replacedOnce(replacedOnce(replacedOnce(parts[i], QStringLiteral("date"), date),
                                   QStringLiteral("time"), time),
                    QStringLiteral("page"), label);
            if (t.isEmpty())
                continue;
            const int width = footerMetrics.horizontalAdvance(t);
            const int height = footerMetrics.height();
            const int y = m_ph - scaleY(height + m_options.marginBottom);
            const int x = i == 0 ? scaleX(m_options.marginLeft)
                : i == 1         ? m_pw / 2 - scaleX(width) / 2
                                 : m_pw - scaleX(width + m_options.marginRight + 10);
            m_layout.items.append(
                { PageItem::Text, QRect(x, y, scaleX(width), scaleY(height)), Qt::black, t, footer,
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, {} });
        }
    }
    m_y += scaleY(m_options.pageTitleMargin);
    putRow(0);
}

void PageLayouter::putRow(int row)
{
    const int height = scaleY(m_source.rowHeight(row));
    if (m_drawing) {
        int x = scaleX(m_options.marginLeft);
        for (int c = m_sliceFirst; c <= m_sliceLast; ++c) {
            const int width = m_source.colWidth(c);
            if (width != 0) {
                const PrintedCell cell = m_source.cell(c, row);
                const int right = x + scaleX(width);
                const int bottom = std::min(m_y + height, m_clipBottom);
                const QRect area(
                    QPoint(x, m_y), QPoint(right + scaleX(2) - 1, bottom + scaleY(1) - 1));
                m_layout.items.append({ PageItem::Fill, area, cell.brush, {}, {}, 0, {} });
                if (m_options.borderStyle == bsSingle)
                    m_layout.items.append({ PageItem::Frame, area, Qt::black, {}, {}, 0, {} });
                const bool corner
                    = m_source.wordWrap() && c < m_source.fixedCols() && row < m_source.fixedRows();
                const int flags = corner
                    ? horzFlag(cell.horzAlign) | vertFlag(cell.vertAlign) | Qt::TextSingleLine
                    : horzFlag(cell.horzAlign) | Qt::AlignTop | Qt::TextWordWrap;
                const QRect textRect(
                    QPoint(x + scaleX(m_options.leftPadding), m_y), QPoint(right - 1, bottom - 1));
                if (!cell.text.isEmpty() && textRect.isValid())
                    m_layout.items.append({ PageItem::Text, textRect, cell.fontColor, cell.text,
                        inPixels(cell.font), flags, {} });
            }
            x += scaleX(width + 1);
        }
    }
    m_y += height;
}

void paintPage(QPainter& painter, const PageLayout& page, const QRectF& target)
{
    if (page.size.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / page.size.width(), target.height() / page.size.height());
    painter.fillRect(QRect(QPoint(0, 0), page.size), page.background);
    for (const PageItem& item : page.items) {
        switch (item.kind) {
        case PageItem::Fill:
            painter.fillRect(item.rect, item.color);
            break;
        case PageItem::Frame:
            painter.setPen(QPen(item.color, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(item.rect).adjusted(0.5, 0.5, -0.5, -0.5));
            break;
        case PageItem::Text:
            painter.setFont(item.font);
            painter.setPen(item.color);
            painter.drawText(item.rect, item.flags, item.text);
            break;
        case PageItem::Image:
            painter.drawImage(item.rect, item.image);
            break;
        }
    }
    painter.restore();
}

} // namespace kolvar::grid
