#include "InputLengthLimit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QToolTip>

namespace kolvar {

namespace {

[[nodiscard]] InputLengthLimit* limitOf(const QLineEdit* edit)
{
    return edit->findChild<InputLengthLimit*>(QString(), Qt::FindDirectChildrenOnly);
}

// A key that would put a character into the text, as opposed to moving or copying.
[[nodiscard]] bool typesText(const QKeyEvent& key)
{
    if (key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Delete
        || key.matches(QKeySequence::Paste) || key.matches(QKeySequence::Cut))
        return true;
    return !key.text().isEmpty() && key.text().at(0).isPrint()
        && !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

InputLengthLimit::InputLengthLimit(int maxLength, QLineEdit* edit)
    : QValidator(edit)
    , m_edit(edit)
    , m_maxLength(maxLength)
    , m_lastLength(edit->text().size())
{
    connect(edit, &QLineEdit::textChanged, this,
        [this](const QString& text) { m_lastLength = text.size(); });
    edit->installEventFilter(this);
}

QValidator::State InputLengthLimit::validate(QString& input, int&) const
{
    if (input.size() <= m_maxLength || input.size() <= m_lastLength)
        return Acceptable;
    tell(refusedNote(m_maxLength));
    return Invalid;
}

bool InputLengthLimit::eventFilter(QObject* watched, QEvent* event)
{
    // A read-only edit swallows typing without a sound; the user is told why nothing happens.
    if (watched == m_edit && event->type() == QEvent::KeyPress && !m_wholeText.isNull()
        && m_edit->text() == m_shownPart && typesText(*static_cast<QKeyEvent*>(event)))
        tell(tooLongNote(m_wholeText.size(), m_edit->maxLength()));
    return false;
}

void InputLengthLimit::tell(const QString& note) const
{
    QToolTip::showText(m_edit->mapToGlobal(QPoint(0, m_edit->height())), note, m_edit);
}

InputLengthLimit* InputLengthLimit::install(QLineEdit* edit, int maxLength)
{
    auto* limit = new InputLengthLimit(maxLength, edit);
    edit->setValidator(limit);
    return limit;
}

void InputLengthLimit::setText(QLineEdit* edit, const QString& text)
{
    InputLengthLimit* limit = limitOf(edit);
    const bool tooLong = text.size() > edit->maxLength();
    if (limit) {
        limit->m_lastLength = std::min<qsizetype>(text.size(), edit->maxLength());
        if (tooLong) {
            limit->m_wholeText = text;
            limit->m_shownPart = text.left(edit->maxLength());
        } else {
            limit->m_wholeText = QString();
            limit->m_shownPart = QString();
        }
        if (tooLong != limit->m_madeReadOnly) {
            edit->setReadOnly(tooLong);
            edit->setToolTip(tooLong ? tooLongNote(text.size(), edit->maxLength()) : QString());
            limit->m_madeReadOnly = tooLong;
        } else if (tooLong) {
            edit->setToolTip(tooLongNote(text.size(), edit->maxLength()));
        }
    }
    edit->setText(tooLong ? text.left(edit->maxLength()) : text);
    // A shown case reads from its first letter, also when the text is wider than the field.
    edit->setCursorPosition(0);
}

QString InputLengthLimit::text(const QLineEdit* edit)
{
    const InputLengthLimit* limit = limitOf(edit);
    // The combo box of the settlement modes may put a whole other text in; then that one counts.
    if (limit && !limit->m_wholeText.isNull() && edit->text() == limit->m_shownPart)
        return limit->m_wholeText;
    return edit->text();
}

QString InputLengthLimit::tooLongNote(qsizetype length, int capacity)
{
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    return QStringLiteral("Tekst jest dłuższy, niż to pole może pokazać; zmień go w programie, "
                          "który go zapisał. Pole pokazuje %1 z %2 znaków i zapis sprawy "
                          "pozostawi ten tekst w całości.")
        .arg(polish.toString(capacity), polish.toString(length));
}

QString InputLengthLimit::refusedNote(int maxLength)
{
    return QStringLiteral("To pole mieści najwyżej %1 znaków.")
        .arg(QLocale(QLocale::Polish, QLocale::Poland).toString(maxLength));
}

} // namespace kolvar
