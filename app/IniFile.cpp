#include "IniFile.h"

#include "Cp1250.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <bit>
#include <limits>

namespace kolvar {

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

[[nodiscard]] bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

[[nodiscard]] bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The section name of a header line, or nothing when the line is no header.
[[nodiscard]] std::optional<QString> headerName(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    qsizetype end = t.indexOf(QLatin1Char(']'));
    if (end < 0)
        end = t.size();
    return t.mid(1, end - 1).trimmed();
}

struct KeyLine
{
    QString key;
    QString value;
};

[[nodiscard]] std::optional<KeyLine> parseKeyLine(const QString& line)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
        return std::nullopt;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return std::nullopt;
    QString value = t.mid(eq + 1).trimmed();
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return KeyLine { t.left(eq).trimmed(), value };
}

// The text to put after '=' so that reading gives the value back: line breaks would split the
// entry, and blanks at the ends or enclosing quotes would be taken away on reading.
[[nodiscard]] QString valueText(QString value)
{
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const bool blanksAtEnds = value != value.trimmed();
    const bool looksQuoted
        = value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
    if (blanksAtEnds || looksQuoted)
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

// The value of an ASCII digit in the base, or -1.
[[nodiscard]] int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int digit = -1;
    if (u >= u'0' && u <= u'9')
        digit = u - u'0';
    else if (u >= u'a' && u <= u'f')
        digit = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        digit = u - u'A' + 10;
    return digit < base ? digit : -1;
}

} // namespace

IniFileError::IniFileError(const QString& message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{ }

IniFile IniFile::fromText(const QString& text)
{
    IniFile ini;
    if (!text.contains(QLatin1String("\r\n")) && text.contains(QLatin1Char('\n')))
        ini.m_newline = QStringLiteral("\n");

    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the break after the last line ends it, it opens no new one

    ini.m_sections.push_back(Section {});
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (const auto name = headerName(line)) {
            ini.m_sections.push_back(Section { *name, line, {} });
            continue;
        }
        ini.m_sections.back().lines.push_back(line);
    }
    return ini;
}

QString IniFile::toText() const
{
    QString out;
    for (const Section& s : m_sections) {
        if (!s.header.isEmpty())
            out += s.header + m_newline;
        for (const QString& line : s.lines)
            out += line + m_newline;
    }
    return out;
}

std::optional<IniFile> IniFile::load(const QString& path)
{
    const auto refuse = [&](const QString& why) {
        return IniFileError(
            QStringLiteral("Nie mogę odczytać pliku ustawień %1: %2.").arg(path, why));
    };
    // Looked at before opening: a FIFO would block the start in open() or read() with no window
    // shown yet, and a link to /dev/zero would be read until memory runs out.
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    if (!info.isFile())
        throw refuse(QString::fromUtf8(NotASettingsFile));
    if (info.size() > MaxBytes)
        throw refuse(tooLargeReason());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw refuse(file.errorString());
    // The file may have grown or been swapped since it was looked at.
    const QByteArray bytes = file.read(MaxBytes + 1);
    if (bytes.size() > MaxBytes)
        throw refuse(tooLargeReason());
    return fromBytes(bytes);
}

QString IniFile::tooLargeReason()
{
    return QStringLiteral("ma ponad %1 MB, a plik ustawień programu Kolvar mieści się w kilku "
                          "kilobajtach")
        .arg(MaxBytes / (1024 * 1024));
}

IniFile IniFile::fromBytes(const QByteArray& bytes)
{
    if (bytes.startsWith(Utf8Bom))
        return fromText(QString::fromUtf8(bytes.mid(Utf8Bom.size())));
    return fromText(storage::fromCp1250(bytes));
}

void IniFile::save(const QString& path) const
{
    const QString text = toText();
    const QByteArray bytes
        = storage::canEncodeCp1250(text) ? storage::toCp1250(text) : Utf8Bom + text.toUtf8();
    QSaveFile file(path);
    // On a full disk the last write may fail inside the buffer while commit() still reports
    // success and puts the empty temporary file in place of the settings: every step is checked,
    // and the old file stays unless all of the new one reached the disk.
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
        && file.flush() && file.error() == QFileDevice::NoError;
    if (!written || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw IniFileError(QStringLiteral("Ustawienia nie zostały zapisane.\n"
                                          "Nie mogę zapisać pliku ustawień %1: %2")
                               .arg(path, reason));
    }
}

const IniFile::Section* IniFile::findSection(const QString& name) const
{
    const QString wanted = name.trimmed();
    for (const Section& s : m_sections) {
        if (!s.header.isEmpty() && sameName(s.name, wanted))
            return &s;
    }
    return nullptr;
}

IniFile::Section* IniFile::findSection(const QString& name)
{
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

bool IniFile::hasSection(const QString& section) const
{
    return findSection(section) != nullptr;
}

bool IniFile::hasKey(const QString& section, const QString& key) const
{
    const Section* s = findSection(section);
    if (!s)
        return false;
    for (const QString& line : s->lines) {
        const auto kv = parseKeyLine(line);
        if (kv && sameName(kv->key, key.trimmed()))
            return true;
    }
    return false;
}

QString IniFile::readString(
    const QString& section, const QString& key, const QString& defaultValue) const
{
    const Section* s = findSection(section);
    if (!s)
        return defaultValue;
    for (const QString& line : s->lines) {
        const auto kv = parseKeyLine(line);
        if (kv && sameName(kv->key, key.trimmed()))
            return kv->value;
    }
    return defaultValue;
}

std::optional<int> IniFile::parseInteger(const QString& value)
{
    const QString t = value.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) {
        negative = t.at(i) == QLatin1Char('-');
        ++i;
    }
    // Colours are sometimes written by hand in hexadecimal, the way Windows programs accept them;
    // such a value is the 32 bits as written, so "$80000005" is the system window colour.
    int base = 10;
    if (t.mid(i, 1) == QLatin1String("$")) {
        base = 16;
        i += 1;
    } else if (t.mid(i, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0) {
        base = 16;
        i += 2;
    }
    const QStringView digits = QStringView(t).mid(i);
    if (digits.isEmpty())
        return std::nullopt;
    quint64 magnitude = 0;
    const quint64 limit = base == 16
        ? quint64(std::numeric_limits<quint32>::max())
        : quint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    for (const QChar c : digits) {
        const int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt; // "12px" is no number: the key's default applies
        magnitude = magnitude * quint64(base) + quint64(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    // Two's complement in unsigned arithmetic: no step can overflow a signed type.
    quint32 bits = quint32(magnitude);
    if (negative)
        bits = ~bits + 1u;
    return std::bit_cast<qint32>(bits);
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    if (!hasKey(section, key))
        return defaultValue;
    return parseInteger(readString(section, key, QString())).value_or(defaultValue);
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    const QString line = key + QLatin1Char('=') + valueText(value);
    Section* s = findSection(section);
    if (!s) {
        m_sections.push_back(
            Section { section, QLatin1Char('[') + section + QLatin1Char(']'), { line } });
        return;
    }
    std::size_t insertAt = 0; // right after the header when the section holds no key yet
    for (std::size_t i = 0; i < s->lines.size(); ++i) {
        const auto kv = parseKeyLine(s->lines[i]);
        if (!kv)
            continue;
        if (sameName(kv->key, key.trimmed())) {
            s->lines[i] = line;
            return;
        }
        insertAt = i + 1;
    }
    s->lines.insert(s->lines.begin() + std::ptrdiff_t(insertAt), line);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

} // namespace kolvar
