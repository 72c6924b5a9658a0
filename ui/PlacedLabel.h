#pragma once

#include <QLabel>
#include <QString>

namespace kolvar {

// A caption at a fixed place on a panel, as wide as its text, found by tests under its name.
inline QLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace kolvar
