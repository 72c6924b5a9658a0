#include "CommandLine.h"
#include "Program.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // The help and the version are answered before the toolkit starts, which would want a
    // display first.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const auto answer = kolvar::answerInfoOption(arguments))
        return kolvar::deliver(*answer);
    QApplication app(argc, argv);
    return kolvar::runProgram(app);
}
