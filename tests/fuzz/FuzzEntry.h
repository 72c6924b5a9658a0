#pragma once

#include <QByteArrayView>

namespace kolvar::fuzz {

// The entry points shared by the libFuzzer targets and the corpus regression test: each takes
// any bytes as the file the program would read and must neither crash, hang nor trip a sanitizer.

// A hints file (Ruvarez.rtf) as the hints window reads it.
void readHints(QByteArrayView bytes);

// kolvar.ini as the main window reads it; what it keeps is written back and read again, and must
// be within what each value can mean (aborts otherwise, so the fuzzer reports it).
void readSettings(QByteArrayView bytes);

// The rich-text reader measures fonts, which needs a GUI application; made once, offscreen.
void makeApplication();

} // namespace kolvar::fuzz
