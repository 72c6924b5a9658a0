#include "Announcer.h"

#include <QAccessibleWidget>
#include <QHideEvent>

namespace kolvar {

namespace {

class AnnouncerAccessible : public QAccessibleWidget
{
public:
    explicit AnnouncerAccessible(Announcer* announcer)
        : QAccessibleWidget(announcer, QAccessible::Notification)
    { }

    [[nodiscard]] QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const Announcer*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* makeAnnouncerAccessible(const QString&, QObject* object)
{
    if (auto* announcer = qobject_cast<Announcer*>(object))
        return new AnnouncerAccessible(announcer);
    return nullptr;
}

} // namespace

Announcer::Announcer(QWidget* parent)
    : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(makeAnnouncerAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
    hide();
}

void Announcer::say(const QString& text)
{
    m_text = text;
    // Appearing is what a reader speaks; the same line twice must be heard twice.
    hide();
    show();
}

void Announcer::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Hidden with its window, a shown notification would appear again with it, and a reader
    // would speak its old line as news (a case long left behind). Said once, it is gone.
    if (!isHidden())
        clear();
}

void Announcer::clear()
{
    hide();
    m_text.clear();
}

} // namespace kolvar
