#pragma once

class QApplication;

namespace kolvar {

// Sets the title, creates the windows in their order and runs the message loop.
int runProgram(QApplication& app);

} // namespace kolvar
