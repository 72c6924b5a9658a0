#include "InputLengthLimit.h"

#include <QLineEdit>

namespace kolvar {

InputLengthLimit::InputLengthLimit(int maxLength, QLineEdit* edit)
    : QValidator(edit)
    , m_maxLength(maxLength)
    , m_edit(edit)
{ }

QValidator::State InputLengthLimit::validate(QString& input, int&) const
{
    // The edit still holds the text before the change while it asks.
    if (input.size() <= m_maxLength || input.size() <= m_edit->text().size())
        return Acceptable;
    return Invalid;
}

InputLengthLimit* InputLengthLimit::install(QLineEdit* edit, int maxLength)
{
    auto* limit = new InputLengthLimit(maxLength, edit);
    edit->setValidator(limit);
    return limit;
}

} // namespace kolvar
