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
    // subject names what the buttons change ("numer strony"): a screen reader hears
    // "Zwiększ numer strony", so that two pairs in one window can be told apart.
    UpDown(QLineEdit& buddy, int minimum, int maximum, const QString& subject, QWidget* parent);

    void step(int by);

private:
    QLineEdit& m_buddy;
    int m_minimum;
    int m_maximum;
    int m_position;
};

} // namespace kolvar
