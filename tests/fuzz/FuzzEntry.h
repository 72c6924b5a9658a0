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

// A line of a server's COPY ... TO STDOUT as the list's row reader takes it; a row it accepts is
// read column by column, and its texts may never hold more bytes than the line.
void readCopyLine(QByteArrayView bytes);

// The bytes as up to seven texts in the code page (split at byte 1; missing ones are NULL),
// escaped as COPY writes them and read back: each must come back as the server's own conversion
// gives it, NULL as NULL (aborts otherwise).
void roundTripCopyLine(QByteArrayView bytes);

// The rich-text reader measures fonts, which needs a GUI application; made once, offscreen.
void makeApplication();

} // namespace kolvar::fuzz
