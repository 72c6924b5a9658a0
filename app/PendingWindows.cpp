#include "PendingWindows.h"

TFhelp::TFhelp(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fhelp"));
    setWindowTitle(QStringLiteral("Wskazówki merytoryczne"));
}
