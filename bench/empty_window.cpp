// kolvar-emptywindow: the floor of a start-up, an empty Qt Widgets main window with a menu,
// shown, its first frame painted, then the end; timed beside "kolvar-bench load" on the example
// register.
#include "FirstFrame.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&Baza"))->addAction(QStringLiteral("Nowa Baza"));
    kolvar::bench::showAndWaitForFirstFrame(window);
    // KOLVAR_BENCH_LINGER=MS keeps it up that long after, for kolvar-window to see it rest and
    // time the same start from outside.
    if (const int linger = qEnvironmentVariableIntValue("KOLVAR_BENCH_LINGER"); linger > 0) {
        QTimer::singleShot(linger, &app, &QApplication::quit);
        return app.exec();
    }
    return 0;
}
