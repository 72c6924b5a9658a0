#pragma once

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <QWidget>

namespace kolvar::bench {

// Runs the events, asleep between them, until done() holds or ms have passed. A loop of
// processEvents with a time limit never sleeps: it would take a processor from the X server and
// the program's own threads while the window waits for them.
template <typename Done> inline void runEventsUntil(Done done, int ms)
{
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(ms);
    while (!done() && timeout.isActive())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
}

// Returns once what the events so far asked to draw is on the screen. On a real display a window
// uncovered by a closed box or editor repaints only when the server tells it to, a round trip
// later, and the server draws a frame after the program has sent it: a user waits for both.
inline void finishDrawing()
{
    QApplication::processEvents();
    QGuiApplication::sync(); // the exposures, delivered and painted
    QGuiApplication::sync(); // the frames sent, drawn by the server
}

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
    runEventsUntil([&paints] { return paints.seen; }, 10000);
    QCoreApplication::instance()->removeEventFilter(&paints);
    finishDrawing();
}

} // namespace kolvar::bench
