#pragma once

#include <QString>
#include <QWidget>

namespace kolvar {

// Says a line to a screen reader without moving the focus: a notification that takes no room on
// screen and appears anew with every line, which a reader speaks as it appears. The toolkit has
// no announcement event of its own, and a reader does not take the text of a changed name or
// description from it.
class Announcer : public QWidget
{
    Q_OBJECT
public:
    explicit Announcer(QWidget* parent);

    void say(const QString& text);
    // Takes a line said back: nothing of it appears again.
    void clear();
    [[nodiscard]] QString text() const { return m_text; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QString m_text;
};

} // namespace kolvar
