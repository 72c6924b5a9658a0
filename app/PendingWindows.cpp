#include "PendingWindows.h"

TCalendarBrowser::TCalendarBrowser(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("CalendarBrowser"));
    setWindowTitle(QStringLiteral("Kalendarz"));
}

TFhelp::TFhelp(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fhelp"));
    setWindowTitle(QStringLiteral("Wskazówki merytoryczne"));
}
