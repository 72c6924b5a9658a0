#include "FocusTelling.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPointer>

namespace kolvar {

namespace {

[[nodiscard]] bool byKey(Qt::FocusReason reason)
{
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
        || reason == Qt::ShortcutFocusReason;
}

void tellCurrentItem(QAbstractItemView* view)
{
    const QModelIndex current = view->currentIndex();
    if (!view->hasFocus() || !current.isValid() || !QAccessible::isActive())
        return;
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    QAccessibleTableInterface* table = list ? list->tableInterface() : nullptr;
    QAccessibleInterface* item = table ? table->cellAt(current.row(), current.column()) : nullptr;
    const int child = item ? list->indexOfChild(item) : -1;
    if (child < 0)
        return;
    QAccessibleEvent focus(view, QAccessible::Focus);
    focus.setChild(child);
    QAccessible::updateAccessibility(&focus);
}

class FocusFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::FocusIn)
            return false;
        if (auto* view = qobject_cast<QAbstractItemView*>(watched)) {
            QMetaObject::invokeMethod(
                view,
                [view = QPointer<QAbstractItemView>(view)] {
                    if (view)
                        tellCurrentItem(view);
                },
                Qt::QueuedConnection);
            return false;
        }
        auto* field = qobject_cast<QLineEdit*>(watched);
        if (!field || !byKey(static_cast<QFocusEvent*>(event)->reason()))
            return false;
        // The quiet event passes this filter again, as a click's would.
        QFocusEvent quiet(QEvent::FocusIn, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(field, &quiet);
        const bool masked = !field->inputMask().isEmpty();
        if (masked ? field->cursorPosition() != 0 || field->hasSelectedText()
                   : !field->text().isEmpty() && !field->hasSelectedText()) {
            QMetaObject::invokeMethod(
                field,
                [field = QPointer<QLineEdit>(field), masked] {
                    if (!field || !field->hasFocus() || masked != !field->inputMask().isEmpty())
                        return;
                    if (masked)
                        field->setCursorPosition(0);
                    else
                        field->selectAll();
                },
                Qt::QueuedConnection);
        }
        return true;
    }
};

QObject* filter()
{
    static QPointer<FocusFilter> shared;
    if (!shared)
        shared = new FocusFilter(QCoreApplication::instance());
    return shared;
}

} // namespace

void tellFocusPlainly()
{
    QCoreApplication::instance()->installEventFilter(filter());
}

void tellLineFocusFirst(QLineEdit* field)
{
    field->installEventFilter(filter());
}

} // namespace kolvar
