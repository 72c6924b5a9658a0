#include "BevelPanel.h"

#include <QHBoxLayout>
#include <QPainter>

namespace kolvar::hints {

BevelPanel::BevelPanel(const QString& name, int bevelWidth, QWidget* parent)
    : QWidget(parent)
    , m_bevelWidth(bevelWidth)
{
    setObjectName(name);
    setAutoFillBackground(true);
    const int margin = 2 * bevelWidth;
    setContentsMargins(margin, margin, margin, margin);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void BevelPanel::setClient(QWidget* client)
{
    layout()->addWidget(client);
}

void BevelPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    // Both bevels are lowered: shadow above and to the left, light below and to the right, the
    // inner one drawn inside the outer.
    QRect r = rect();
    for (int i = 0; i < 2 * m_bevelWidth; ++i) {
        p.setPen(shadow);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(light);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    }
}

} // namespace kolvar::hints
