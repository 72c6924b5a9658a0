#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QObject>
#include <QWidget>

namespace kolvar::bench {

// Shows window and returns once it has painted its first frame. On a real display the server maps
// and exposes a window some time after show(), so a single round of events can end before
// anything was drawn: a start-up timed that way, or the empty window it is compared with, would
// not include the paint. Header-only, so that the empty window links nothing of the program.
inline void showAndWaitForFirstFrame(QWidget& window)
{
    class PaintSeen final : public QObject
    {
    public:
        bool seen = false;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint && watched->isWidgetType())
                seen = true;
            return false;
        }
    } paints;
    QCoreApplication::instance()->installEventFilter(&paints);
    window.show();
    const QDeadlineTimer deadline(10000);
    while (!paints.seen && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    QApplication::processEvents(); // what the paint scheduled, the flush to the screen included
    QCoreApplication::instance()->removeEventFilter(&paints);
}

} // namespace kolvar::bench
