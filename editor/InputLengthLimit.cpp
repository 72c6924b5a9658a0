#include "InputLengthLimit.h"

#include <QLineEdit>

namespace kolvar {

InputLengthLimit::InputLengthLimit(int maxLength, QLineEdit* edit)
    : QValidator(edit)
    , m_maxLength(maxLength)
    , m_lastLength(edit->text().size())
{
    connect(edit, &QLineEdit::textChanged, this,
        [this](const QString& text) { m_lastLength = text.size(); });
}

QValidator::State InputLengthLimit::validate(QString& input, int&) const
{
    if (input.size() <= m_maxLength || input.size() <= m_lastLength)
        return Acceptable;
    return Invalid;
}

InputLengthLimit* InputLengthLimit::install(QLineEdit* edit, int maxLength)
{
    auto* limit = new InputLengthLimit(maxLength, edit);
    edit->setValidator(limit);
    return limit;
}

void InputLengthLimit::setText(QLineEdit* edit, const QString& text)
{
    if (auto* limit = edit->findChild<InputLengthLimit*>(QString(), Qt::FindDirectChildrenOnly))
        limit->m_lastLength = text.size();
    edit->setText(text);
    // A shown case reads from its first letter, also when the text is wider than the field.
    edit->setCursorPosition(0);
}

} // namespace kolvar
