#pragma once

// Small guards that more than one of SortableGrid's files (SortableGrid.cpp,
// SortableGridSorting.cpp, SortableGridSearch.cpp, SortableGridPaint.cpp, SortableGridInput.cpp)
// use.

#include <QGuiApplication>

#include <utility>

namespace kolvar::grid::detail {

// Runs an action when the scope ends, also through an exception.
template <typename Action> class AtScopeEnd
{
public:
    explicit AtScopeEnd(Action action)
        : m_action(std::move(action))
    { }
    ~AtScopeEnd() { m_action(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

private:
    Action m_action;
};

// A sort of a million rows takes a moment; the cursor says so and comes back whatever happens.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace kolvar::grid::detail
