#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace kolvar::storage {

// Windows-1250, the code page of every register written so far. Registers hold raw bytes, so
// the codec is lossless for all 256 byte values: the five bytes the code page leaves undefined
// (0x81, 0x83, 0x88, 0x90, 0x98) become the C1 controls U+0081 ... U+0098 and back again.

[[nodiscard]] QString fromCp1250(QByteArrayView bytes);

// Characters outside the code page become '?'; canEncodeCp1250 tells beforehand whether any
// would, and where the first one is.
[[nodiscard]] QByteArray toCp1250(QStringView text);
[[nodiscard]] bool canEncodeCp1250(QStringView text, qsizetype* firstBad = nullptr);
// The code page's byte for one character, or -1 when it has none.
[[nodiscard]] int cp1250ByteOf(char32_t character);

} // namespace kolvar::storage
