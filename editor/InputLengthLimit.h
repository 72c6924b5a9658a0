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

private:
    int m_maxLength;
    const QLineEdit* m_edit;
};

} // namespace kolvar
