#pragma once

#include <QLineEdit>
#include <QString>

namespace kolvar {

// The date entry of the record editor: year, month and day as eight digit positions, with a date
// separator (the locale's unless told otherwise) fixed at positions 5 and 8 and "x" shown in every
// empty position. Only digits go into the digit positions; whatever is typed, the text never has
// more than 10 characters.
//
// A stored text the mask cannot show as it is (another separator, words, a time) is shown as free
// text instead, so that nothing of it is hidden or changed. Once the user empties it or types
// digits alone over it, the mask is back for the date.
class MaskedDateEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit MaskedDateEdit(QWidget* parent = nullptr);

    // The ten positions as they are stored: digits, a blank in each empty digit position, the
    // separators in place. An untouched entry reads "    .  .  " (Polish separator), the same
    // text an entry cleared with the keyboard gives. Free text reads as it stands.
    [[nodiscard]] QString maskedText() const;
    // Shows a stored text: in the mask when the mask shows it exactly (empty, or digits and
    // blanks with this entry's separator in place), as free text otherwise.
    void setStoredText(const QString& text);
    [[nodiscard]] bool showsFreeText() const { return inputMask().isEmpty(); }
    // Fills the positions in order: a digit takes a digit position, a blank or "x" leaves one
    // empty, any other character where a separator belongs stands for it, anything else is
    // dropped. An empty text empties the entry.
    void setMaskedText(const QString& text);

    [[nodiscard]] QChar separator() const { return m_separator; }
    // A date in the mask takes the new separator along.
    void setSeparator(QChar separator);

    // The separator the locale writes between year, month and day.
    [[nodiscard]] static QChar localeDateSeparator();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void applyMask();
    void describe();
    [[nodiscard]] bool fitsMask(const QString& text) const;
    void takeTypedDate(const QString& typed);

    QChar m_separator;
};

} // namespace kolvar
