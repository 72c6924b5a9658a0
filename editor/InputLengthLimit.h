#pragma once

#include <QValidator>

class QLineEdit;

namespace kolvar {

// A maximum length that binds the user's typing only. QLineEdit::setMaxLength also cuts texts
// the program puts into the edit, and a stored case longer than the limit (an older register,
// or a text whose quotes were doubled before saving) would then lose its end on the next save.
// Here a text over the limit stays whole: typing that lengthens it is refused, and said so,
// shortening it is allowed.
//
// A line edit itself holds no more than QLineEdit::maxLength() characters (32,767) and cuts the
// rest of any text it is given. A stored text longer than that (written by another program) is
// kept here whole and the edit, showing its beginning, is made read-only with a note: a touched
// field would otherwise write back only the beginning.
class InputLengthLimit : public QValidator
{
    Q_OBJECT
public:
    InputLengthLimit(int maxLength, QLineEdit* edit);

    [[nodiscard]] int maxLength() const { return m_maxLength; }

    State validate(QString& input, int& pos) const override;

    // Puts a limit on an edit and returns it (owned by the edit).
    static InputLengthLimit* install(QLineEdit* edit, int maxLength);
    // Puts a text into an edit whole, whatever its limit. The edit's own setText also keeps a
    // text up to 32,767 characters, but leaves an over-long one unguarded until the user
    // shortens it.
    static void setText(QLineEdit* edit, const QString& text);
    // The edit's text, or the whole text it was given when it could show only its beginning.
    [[nodiscard]] static QString text(const QLineEdit* edit);

    // The note on a field whose stored text the edit cannot hold whole.
    [[nodiscard]] static QString tooLongNote(qsizetype length, int capacity);
    // What the user is told when typing would make a field longer than it may be.
    [[nodiscard]] static QString refusedNote(int maxLength);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tell(const QString& note) const;

    QLineEdit* m_edit;
    int m_maxLength;
    // The edit holds the changed text already while it asks, so the length before the change
    // is kept here.
    qsizetype m_lastLength;
    // Set while the edit shows the beginning of a text it cannot hold.
    QString m_wholeText;
    QString m_shownPart;
    bool m_madeReadOnly = false;
};

} // namespace kolvar
