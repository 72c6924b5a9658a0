#pragma once

#include <QByteArrayView>
#include <QString>

namespace kolvar::hints {

// The code page a register's texts and hint files are written in.
inline constexpr int DefaultCodePage = 1250;

// Text in a Windows code page. 1250 and 1252 are built in, so they read the same on every
// desktop; other code pages are looked up in the toolkit by name. Whatever cannot be decoded
// that way reads as 1250, the code page the program's files are written in.
[[nodiscard]] QString decodeCodePage(QByteArrayView bytes, int codePage);
// Whether decodeCodePage reads the code page itself rather than falling back to 1250.
[[nodiscard]] bool isKnownCodePage(int codePage);

// The code page a font's character set implies, or 0 when the set names none (the default and
// the symbol sets), so that the document's own code page applies.
[[nodiscard]] int codePageOfCharset(int charset);

// A text file as a person who saved it meant it: UTF-16 or UTF-8 when it says so by its byte
// order mark, UTF-8 when the bytes are valid UTF-8 (plain ASCII among them), and otherwise
// Windows-1250, as Polish text files from older desktops are. Line ends of every system become
// paragraph breaks.
[[nodiscard]] QString decodePlainText(QByteArrayView bytes);

} // namespace kolvar::hints
