#include "UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

namespace kolvar {

UpDown::UpDown(QLineEdit& buddy, int minimum, int maximum, const QString& subject, QWidget* parent)
    : QWidget(parent)
    , m_buddy(buddy)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_position(minimum)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto& [arrow, by, name] : { std::tuple { Qt::UpArrow, 1, "Zwiększ" },
             std::tuple { Qt::DownArrow, -1, "Zmniejsz" } }) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAccessibleName(QString::fromUtf8(name) + QLatin1Char(' ') + subject);
        button->setAutoRepeat(true);
        button->setFixedSize(17, 12);
        connect(button, &QToolButton::clicked, this, [this, step = by] { this->step(step); });
        layout->addWidget(button);
    }
    setFixedSize(17, 24);
}

void UpDown::step(int by)
{
    bool ok = false;
    const int typed = m_buddy.text().toInt(&ok);
    if (ok)
        m_position = std::clamp(typed, m_minimum, m_maximum);
    m_position = std::clamp(m_position + by, m_minimum, m_maximum);
    m_buddy.setText(QString::number(m_position));
}

} // namespace kolvar
