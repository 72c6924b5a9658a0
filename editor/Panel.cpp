#include "Panel.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

namespace kolvar {

namespace {

void drawBevel(QPainter& p, QRect r, Bevel bevel, int width, const QPalette& pal)
{
    if (bevel == Bevel::None)
        return;
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    const QColor topLeft = bevel == Bevel::Lowered ? dark : light;
    const QColor bottomRight = bevel == Bevel::Lowered ? light : dark;
    for (int i = 0; i < width; ++i) {
        p.setPen(topLeft);
        p.drawLine(r.left(), r.top(), r.right(), r.top());
        p.drawLine(r.left(), r.top(), r.left(), r.bottom());
        p.setPen(bottomRight);
        p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        r.adjust(1, 1, -1, -1);
    }
}

} // namespace

Panel::Panel(const QString& name, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(name);
    setAutoFillBackground(true);
}

void Panel::setBevels(Bevel outer, Bevel inner, int width)
{
    m_outer = outer;
    m_inner = inner;
    m_bevelWidth = width;
    const int margin = (outer != Bevel::None ? width : 0) + (inner != Bevel::None ? width : 0);
    setContentsMargins(margin, margin, margin, margin);
    realign();
    update();
}

void Panel::dock(QWidget* child, Align align)
{
    m_docked.push_back({ child, align });
    realign();
}

void Panel::realign()
{
    QRect free = contentsRect();
    for (const Docked& d : m_docked) {
        const int h = d.widget->height();
        switch (d.align) {
        case Align::Top:
            d.widget->setGeometry(free.left(), free.top(), free.width(), h);
            free.setTop(free.top() + h);
            break;
        case Align::Bottom:
            d.widget->setGeometry(free.left(), free.bottom() + 1 - h, free.width(), h);
            free.setBottom(free.bottom() - h);
            break;
        case Align::Client:
        case Align::None:
            break;
        }
    }
    // The client child takes what the top and bottom children leave, whenever it was docked.
    for (const Docked& d : m_docked) {
        if (d.align == Align::Client)
            d.widget->setGeometry(
                free.left(), free.top(), free.width(), std::max(0, free.height()));
    }
}

void Panel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    realign();
}

void Panel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect r = rect();
    drawBevel(p, r, m_outer, m_bevelWidth, palette());
    if (m_outer != Bevel::None)
        r.adjust(m_bevelWidth, m_bevelWidth, -m_bevelWidth, -m_bevelWidth);
    drawBevel(p, r, m_inner, m_bevelWidth, palette());
}

} // namespace kolvar
