#pragma once

#include <QWidget>

class QLineEdit;

namespace kolvar {

// Up and down arrow buttons bound to an edit: a press reads the number in the edit, steps it by
// one within the range, without wrapping, and writes it back as plain digits.
class UpDown : public QWidget
{
    Q_OBJECT
public:
    UpDown(QLineEdit& buddy, int minimum, int maximum, QWidget* parent);

    void step(int by);

private:
    QLineEdit& m_buddy;
    int m_minimum;
    int m_maximum;
    int m_position;
};

} // namespace kolvar
