#include "asfind.h"

Tfinddlg::Tfinddlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("finddlg"));
    setWindowTitle(QStringLiteral("Szukaj"));
}
