#include "MaskedDateEdit.h"

#include "InputLengthLimit.h"
#include "FocusTelling.h"

#include <QFocusEvent>
#include <QLocale>

#include <algorithm>

namespace kolvar {

namespace {

constexpr QChar EmptyShown = u'x';
constexpr qsizetype PositionCount = 10;

[[nodiscard]] bool isSeparatorPosition(qsizetype i)
{
    return i == 4 || i == 7;
}

// Characters with a meaning of their own in an input mask must be escaped to stand for
// themselves.
[[nodiscard]] QString maskLiteral(QChar c)
{
    static const QString special = QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{};");
    if (special.contains(c))
        return QStringLiteral("\\") + c;
    return QString(c);
}

} // namespace

MaskedDateEdit::MaskedDateEdit(QWidget* parent)
    : QLineEdit(parent)
    , m_separator(localeDateSeparator())
{
    applyMask();
    connect(this, &QLineEdit::textEdited, this, &MaskedDateEdit::takeTypedDate);
    // The program tells every line field's focus first; the date needs it also in a window of
    // its own (see focusOutEvent).
    tellLineFocusFirst(this);
}

void MaskedDateEdit::applyMask()
{
    const QString sep = maskLiteral(m_separator);
    // "0" is an optional digit: a half-typed date is kept as it is, as the register always did.
    setInputMask(QStringLiteral("0000") + sep + QStringLiteral("00") + sep + QStringLiteral("00;")
        + EmptyShown);
}

bool MaskedDateEdit::fitsMask(const QString& text) const
{
    if (text.size() != PositionCount)
        return false;
    for (qsizetype i = 0; i < PositionCount; ++i) {
        const QChar c = text.at(i);
        if (isSeparatorPosition(i) ? c != m_separator : !(c == u' ' || (c >= u'0' && c <= u'9')))
            return false;
    }
    return true;
}

void MaskedDateEdit::setStoredText(const QString& text)
{
    if (text.isEmpty() || fitsMask(text)) {
        if (showsFreeText()) {
            InputLengthLimit::setText(this, QString()); // lets go of a text too long to show
            applyMask();
        }
        setMaskedText(text);
        if (!hasFocus())
            setCursorPosition(0);
        describe();
        return;
    }
    setInputMask(QString());
    InputLengthLimit::setText(this, text);
    describe();
}

void MaskedDateEdit::describe()
{
    // The whole date, as a screen reader may read the line short by its last character. Never
    // changed while the field has the focus: a reader takes no text from a changed description
    // and would only stumble over it.
    if (!hasFocus())
        setAccessibleDescription(displayText());
}

void MaskedDateEdit::setSeparator(QChar separator)
{
    if (separator == m_separator)
        return;
    m_separator = separator;
    if (showsFreeText())
        return;
    const QString shown = maskedText();
    applyMask();
    setMaskedText(shown);
}

void MaskedDateEdit::takeTypedDate(const QString& typed)
{
    if (!showsFreeText() || typed.size() > 8
        || !std::all_of(typed.begin(), typed.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return;
    applyMask();
    setMaskedText(typed);
    const qsizetype digits = typed.size();
    setCursorPosition(int(digits + (digits > 4 ? 1 : 0) + (digits > 6 ? 1 : 0)));
}

namespace {

[[nodiscard]] bool byKey(Qt::FocusReason reason)
{
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
        || reason == Qt::ShortcutFocusReason;
}

} // namespace

void MaskedDateEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    describe();
    // Left with a key, the next visit by key starts at the first position anyway; going there
    // now leaves nothing to move while a reader listens to that visit.
    if (byKey(event->reason()) && !showsFreeText())
        setCursorPosition(0);
}

QString MaskedDateEdit::maskedText() const
{
    if (showsFreeText())
        return InputLengthLimit::text(this);
    // displayText() holds every position, text() would squeeze the empty ones out.
    QString out = displayText().left(PositionCount);
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (!isSeparatorPosition(i) && !out.at(i).isDigit())
            out[i] = u' ';
    }
    return out;
}

void MaskedDateEdit::setMaskedText(const QString& text)
{
    QString positions;
    positions.reserve(PositionCount);
    for (QChar c : text) {
        if (positions.size() == PositionCount)
            break;
        const bool digit = c >= u'0' && c <= u'9';
        if (isSeparatorPosition(positions.size())) {
            positions += m_separator;
            // Any separator stands for ours (a date typed under another locale); a digit right
            // after the day or month belongs to the next group.
            if (!digit)
                continue;
        }
        if (digit)
            positions += c;
        else if (c == u' ' || c == EmptyShown)
            positions += EmptyShown;
    }
    setText(positions);
}

QChar MaskedDateEdit::localeDateSeparator()
{
    // The first character of the locale's short date format ("d.MM.yyyy", "M/d/yy") that is
    // neither a field letter, a blank nor a quote. Formats that spell the month out ("d MMM
    // yyyy") have none; the mask's own "/" stands in.
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    for (QChar c : format) {
        if (!c.isLetter() && !c.isSpace() && c != u'\'')
            return c;
    }
    return u'/';
}

} // namespace kolvar
