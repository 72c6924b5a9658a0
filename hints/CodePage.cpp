#include "CodePage.h"

#include "Cp1250.h"

#include <QStringDecoder>

#include <array>

namespace kolvar::hints {

namespace {

// Bytes 0x80..0x9F of Windows-1252; from 0xA0 on it is Latin-1.
constexpr std::array<char16_t, 32> Cp1252Low = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

QString decodeCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = QChar(byte >= 0x80 && byte < 0xA0 ? Cp1252Low[byte - 0x80] : char16_t(byte));
    }
    return text;
}

// The toolkit's decoder for a code page number, tried under the names the code pages go by.
QStringDecoder toolkitDecoder(int codePage)
{
    for (const char* prefix : { "windows-", "cp" }) {
        QStringDecoder decoder((QByteArray(prefix) + QByteArray::number(codePage)).constData());
        if (decoder.isValid())
            return decoder;
    }
    return {};
}

} // namespace

bool isKnownCodePage(int codePage)
{
    return codePage == 1250 || codePage == 1252
        || (codePage > 0 && toolkitDecoder(codePage).isValid());
}

QString decodeCodePage(QByteArrayView bytes, int codePage)
{
    if (codePage == 1252)
        return decodeCp1252(bytes);
    if (codePage != 1250 && codePage > 0) {
        QStringDecoder decoder = toolkitDecoder(codePage);
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    return storage::fromCp1250(bytes);
}

int codePageOfCharset(int charset)
{
    switch (charset) {
    case 0:
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 255:
        return 437;
    default:
        return 0;
    }
}

QString decodePlainText(QByteArrayView bytes)
{
    QString text;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        // The decoder reads the mark itself and drops it.
        text = QStringDecoder(QStringConverter::Utf16).decode(bytes);
    } else {
        QStringDecoder utf8(QStringConverter::Utf8);
        text = utf8.decode(bytes);
        // The decoder drops a leading byte order mark by itself.
        if (utf8.hasError())
            text = storage::fromCp1250(bytes);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace kolvar::hints
