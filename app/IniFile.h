#pragma once

#include <QString>

#include <optional>
#include <stdexcept>
#include <vector>

namespace kolvar {

// A failed read or write of a settings file; the message is meant for the user.
class IniFileError : public std::runtime_error
{
public:
    explicit IniFileError(const QString& message);
    [[nodiscard]] QString message() const { return m_message; }

private:
    QString m_message;
};

// A private-profile (INI) file as the Windows programs that share kolvar.ini read and write it.
//
// - Section and key names compare case-insensitively, ignoring blanks around them; the first of
//   several equal sections or keys is the one read and written.
// - A value is the text after the first '=', without blanks around it; a value enclosed in a
//   pair of matching quotes (" or ') loses them.
// - An integer is an optional sign and decimal digits, or hexadecimal ones after "0x" or "$"
//   (taken as the 32 bits written). Anything else ("12px", "", "- 5"), or a number outside 32
//   bits, reads as the default.
// - Every line the program does not write (other sections and keys, comments, blank lines) is
//   kept as it was when the file is rewritten. A key written anew goes after the last key of its
//   section, a section written anew at the end of the file, so a new file lists its sections in
//   the order they were first written.
// - The file is Windows-1250 text. A text that code page cannot hold (a file name in another
//   script) makes the whole file UTF-8 with a byte-order mark, which is how such a file is
//   recognised on reading. Line ends are kept as found; a new file gets CR LF.
class IniFile
{
public:
    IniFile() = default;

    [[nodiscard]] static IniFile fromText(const QString& text);
    // The file's bytes, decoded as load decodes them.
    [[nodiscard]] static IniFile fromBytes(const QByteArray& bytes);
    [[nodiscard]] QString toText() const;

    // A settings file holds a few hundred bytes; anything this large is something else.
    static constexpr qint64 MaxBytes = 4 * 1024 * 1024;
    // Why a path that is no regular file is neither read nor written as settings.
    static constexpr const char* NotASettingsFile
        = "nie jest plikiem ustawień, lecz folderem lub urządzeniem";
    [[nodiscard]] static QString tooLargeReason();

    // Nothing when no file exists at the path; throws IniFileError when it cannot be read, or
    // is no regular file, or is larger than MaxBytes.
    [[nodiscard]] static std::optional<IniFile> load(const QString& path);
    // Replaces the file in one step, so that a crash leaves either the old or the new file.
    void save(const QString& path) const;

    [[nodiscard]] bool hasSection(const QString& section) const;
    [[nodiscard]] bool hasKey(const QString& section, const QString& key) const;
    [[nodiscard]] QString readString(
        const QString& section, const QString& key, const QString& defaultValue) const;
    [[nodiscard]] int readInteger(
        const QString& section, const QString& key, int defaultValue) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);

    // The integer reading of a value text, as readInteger applies it.
    [[nodiscard]] static std::optional<int> parseInteger(const QString& value);

private:
    struct Section
    {
        QString name;
        QString header; // the header line as found; empty for the lines before it
        std::vector<QString> lines; // the lines after the header, as found
    };

    [[nodiscard]] const Section* findSection(const QString& name) const;
    [[nodiscard]] Section* findSection(const QString& name);
    [[nodiscard]] const QString* findValueLine(const Section& section, const QString& key) const;

    std::vector<Section> m_sections;
    QString m_newline = QStringLiteral("\r\n");
};

} // namespace kolvar
