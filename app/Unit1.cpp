#include "Unit1.h"

#include "Unit2.h"

#include <QApplication>
#include <QMainWindow>

namespace kolvar {

int runProgram(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("Kolvar"));
    QMainWindow form1;
    form1.setWindowTitle(QStringLiteral("Kolvar wer.1.3"));
    form1.setGeometry(429, 551, 688, 309);
    TForm2 form2;
    form1.show();
    return app.exec();
}

} // namespace kolvar
