#include "ComboAccessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace kolvar {

namespace {

class ComboAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit ComboAccessible(QComboBox* box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    { }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    [[nodiscard]] QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value
            || (t == QAccessible::Name && box()->accessibleName().isEmpty()))
            return box()->currentText();
        return QAccessibleWidget::text(t);
    }

    // The list the box opens, as the toolkit's own box has it.
    [[nodiscard]] int childCount() const override { return list() ? 1 : 0; }
    [[nodiscard]] QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? list() : nullptr;
    }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child == list() ? 0 : -1;
    }

    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = box()->view() && box()->view()->isVisible();
        s.collapsed = !s.expanded;
        return s;
    }

    // The chosen item, read as a line of text that cannot be edited.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    [[nodiscard]] int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    [[nodiscard]] int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    [[nodiscard]] QString text(int start, int end) const override
    {
        return box()->currentText().mid(start, end - start);
    }
    [[nodiscard]] int characterCount() const override { return int(box()->currentText().size()); }
    [[nodiscard]] QRect characterRect(int) const override { return {}; }
    [[nodiscard]] int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    [[nodiscard]] QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    [[nodiscard]] QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
    [[nodiscard]] QAccessibleInterface* list() const
    {
        return box()->view() ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
};

QAccessibleInterface* makeComboAccessible(const QString&, QObject* object)
{
    auto* box = qobject_cast<QComboBox*>(object);
    if (box && !box->isEditable())
        return new ComboAccessible(box);
    return nullptr;
}

} // namespace

void installComboAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(makeComboAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace kolvar
