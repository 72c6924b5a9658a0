#pragma once

#include <QValidator>

class QLineEdit;

namespace kolvar {

// A maximum length that binds the user's typing only. QLineEdit::setMaxLength also cuts texts
// the program puts into the edit, and a stored case longer than the limit (an older register,
// or a text whose quotes were doubled before saving) would then lose its end on the next save.
// Here a text over the limit stays whole: typing that lengthens it is refused, shortening it is
// allowed.
class InputLengthLimit : public QValidator
{
    Q_OBJECT
public:
    InputLengthLimit(int maxLength, QLineEdit* edit);

    [[nodiscard]] int maxLength() const { return m_maxLength; }

    State validate(QString& input, int& pos) const override;

    // Puts a limit on an edit and returns it (owned by the edit).
    static InputLengthLimit* install(QLineEdit* edit, int maxLength);
    // Puts a text into an edit whole, whatever its limit. The edit's own setText also keeps the
    // text, but leaves an over-long one unguarded until the user shortens it.
    static void setText(QLineEdit* edit, const QString& text);

private:
    int m_maxLength;
    // The edit holds the changed text already while it asks, so the length before the change
    // is kept here.
    qsizetype m_lastLength;
};

} // namespace kolvar
