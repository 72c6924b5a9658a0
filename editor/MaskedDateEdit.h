#pragma once

#include <QLineEdit>
#include <QString>

namespace kolvar {

// The date entry of the record editor: year, month and day as eight digit positions, with the
// locale's date separator fixed at positions 5 and 8 and "x" shown in every empty position.
// Only digits go into the digit positions; whatever is typed, the text never has more than 10
// characters.
class MaskedDateEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit MaskedDateEdit(QWidget* parent = nullptr);

    // The ten positions as they are stored: digits, a blank in each empty digit position, the
    // separators in place. An untouched entry reads "    .  .  " (Polish separator), the same
    // text an entry cleared with the keyboard gives.
    [[nodiscard]] QString maskedText() const;
    // Fills the positions in order: a digit takes a digit position, a blank or "x" leaves one
    // empty, any other character where a separator belongs stands for it, anything else is
    // dropped. An empty text empties the entry.
    void setMaskedText(const QString& text);

    // The separator the locale writes between year, month and day.
    [[nodiscard]] static QChar localeDateSeparator();

private:
    QChar m_separator;
};

} // namespace kolvar
