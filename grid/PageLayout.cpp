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

int horzFlag(TAlignment align)
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

int vertFlag(TVertAlignment align)
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
    PrintSource& source, const TPrintOptions& options, const PrintPage& page, const QDateTime& now)
    : m_source(source)
    , m_options(options)
    , m_page(page)
    , m_now(now)
{ }

PageLayout PageLayouter::Render(int number, int FirstRow, int LastRow)
{
    PageLayout drawn;
    bool found = false;
    RenderPages({ number }, FirstRow, LastRow, [&drawn, &found](int, const PageLayout& page) {
        drawn = page;
        found = true;
        return true;
    });
    if (!found)
        drawn = { QSize(m_pw, m_ph), m_source.color(), {}, m_notes };
    return drawn;
}

void PageLayouter::RenderPages(
    const QList<int>& numbers, int FirstRow, int LastRow, const PageSink& onPage)
{
    m_render = true;
    m_wanted = numbers;
    m_nextWanted = 0;
    m_onPage = &onPage;
    LayOutPages(FirstRow, LastRow);
    m_onPage = nullptr;
}

int PageLayouter::CountAsRendered(int FirstRow, int LastRow)
{
    RenderPages({ INT_MAX }, FirstRow, LastRow, {});
    return m_pagesLaidOut;
}

int PageLayouter::Count(int FirstRow, int LastRow)
{
    m_render = false;
    m_wanted.clear();
    m_nextWanted = 0;
    LayOutPages(FirstRow, LastRow);
    return m_pagesLaidOut;
}

int PageLayouter::ScaleX(int v) const
{
    if (m_render)
        return v;
    return int(std::nearbyint(double(v) * m_page.dpiX / m_page.screenDpiX));
}

int PageLayouter::ScaleY(int v) const
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
    const QString& file = m_options.Logo;
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

void PageLayouter::LayOutPages(int FirstRow, int LastRow)
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
    const int right = m_pw - m_options.MarginRight;
    m_slice = 0;
    for (int s = 0; s < cols;) {
        int e = s;
        int width = m_options.MarginLeft + ScaleX(m_source.colWidth(s) + 1);
        while (e + 1 < cols && width + ScaleX(m_source.colWidth(e + 1) + 1) <= right) {
            ++e;
            width += ScaleX(m_source.colWidth(e) + 1);
        }
        m_sliceFirst = s;
        m_sliceLast = e;
        ++m_slice;
        m_sliced = e < cols - 1 || m_slice > 1;

        m_pageInSlice = 1;
        beginPage();
        int limit = m_ph - ScaleY(m_options.MarginBottom + FooterGap + m_footerHeight);
        bool rowOnPage = false;
        for (int r = FirstRow; r <= LastRow;) {
            const int height = m_source.rowHeight(r);
            if (height == 0) {
                ++r;
                continue;
            }
            if (m_y + ScaleY(height) <= limit || !rowOnPage) {
                // A row taller than a whole page gets a page of its own and is cut at its foot.
                m_clipBottom = rowOnPage ? INT_MAX : limit;
                PutRow(r);
                m_clipBottom = INT_MAX;
                rowOnPage = true;
                ++r;
                continue;
            }
            if (endPage())
                return;
            ++m_pageInSlice;
            beginPage();
            limit = m_ph - ScaleY(m_options.MarginBottom + FooterGap + m_footerHeight);
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
    PutPageFrame();
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

void PageLayouter::PutPageFrame()
{
    m_y = ScaleY(m_options.MarginTop);

    const QFont header = sizedFont(m_options.HeaderSize);
    const QFontMetrics headerMetrics(header);
    int titleHeight = m_options.PageTitle.isEmpty() ? 0 : headerMetrics.height();
    if (!m_logo.isNull())
        titleHeight = std::max(titleHeight, m_logo.height());
    if (m_drawing) {
        if (!m_logo.isNull())
            m_layout.items.append(
                { PageItem::Image, QRect(QPoint(ScaleX(m_options.MarginLeft), m_y), m_logo.size()),
                    {}, {}, {}, 0, m_logo });
        if (!m_options.PageTitle.isEmpty()) {
            const int width = headerMetrics.horizontalAdvance(m_options.PageTitle);
            const int x = m_pw / 2 - ScaleX(width / 2);
            m_layout.items.append(
                { PageItem::Text, QRect(x, m_y, ScaleX(width), ScaleY(headerMetrics.height())),
                    Qt::black, m_options.PageTitle, header,
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, {} });
        }
    }
    m_y += ScaleY(titleHeight);

    const QFont footer = sizedFont(m_options.FooterSize);
    const QFontMetrics footerMetrics(footer);
    m_footerHeight = m_options.PageFooter.isEmpty() ? 0 : footerMetrics.height();
    if (!m_options.PageFooter.isEmpty() && m_drawing) {
        QStringList parts = m_options.PageFooter.split(QLatin1Char('|'));
        while (parts.size() < 3)
            parts << QString();
        const QString date = formatDateTimePattern(m_options.DateFormat, m_now);
        const QString time = formatDateTimePattern(m_options.TimeFormat, m_now);
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
            const int y = m_ph - ScaleY(height + m_options.MarginBottom);
            const int x = i == 0 ? ScaleX(m_options.MarginLeft)
                : i == 1         ? m_pw / 2 - ScaleX(width) / 2
                                 : m_pw - ScaleX(width + m_options.MarginRight + 10);
            m_layout.items.append(
                { PageItem::Text, QRect(x, y, ScaleX(width), ScaleY(height)), Qt::black, t, footer,
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, {} });
        }
    }
    m_y += ScaleY(m_options.PageTitleMargin);
    PutRow(0);
}

void PageLayouter::PutRow(int Row)
{
    const int height = ScaleY(m_source.rowHeight(Row));
    if (m_drawing) {
        int x = ScaleX(m_options.MarginLeft);
        for (int c = m_sliceFirst; c <= m_sliceLast; ++c) {
            const int width = m_source.colWidth(c);
            if (width != 0) {
                const PrintedCell cell = m_source.cell(c, Row);
                const int right = x + ScaleX(width);
                const int bottom = std::min(m_y + height, m_clipBottom);
                const QRect area(
                    QPoint(x, m_y), QPoint(right + ScaleX(2) - 1, bottom + ScaleY(1) - 1));
                m_layout.items.append({ PageItem::Fill, area, cell.brush, {}, {}, 0, {} });
                if (m_options.BorderStyle == bsSingle)
                    m_layout.items.append({ PageItem::Frame, area, Qt::black, {}, {}, 0, {} });
                const bool corner
                    = m_source.wordWrap() && c < m_source.fixedCols() && Row < m_source.fixedRows();
                const int flags = corner
                    ? horzFlag(cell.horzAlign) | vertFlag(cell.vertAlign) | Qt::TextSingleLine
                    : horzFlag(cell.horzAlign) | Qt::AlignTop | Qt::TextWordWrap;
                const QRect textRect(
                    QPoint(x + ScaleX(m_options.Leftpadding), m_y), QPoint(right - 1, bottom - 1));
                if (!cell.text.isEmpty() && textRect.isValid())
                    m_layout.items.append({ PageItem::Text, textRect, cell.fontColor, cell.text,
                        inPixels(cell.font), flags, {} });
            }
            x += ScaleX(width + 1);
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
