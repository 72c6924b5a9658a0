#pragma once

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace kolvar::grid {

// Collation keys from a table, for texts written only in the common alphabet of the register
// (printable ASCII, the Polish letters, typographic quotes and dashes). Asking the locale's
// collator for a key costs about a microsecond per text, too much for a hundred thousand
// senders; a table lookup per character costs almost nothing.
//
// The table is not typed in: it is derived from the collator's own answers on pairs of short
// texts (which characters differ at the first, second and third level), so the keys order texts
// exactly as the collator does. A key holds the characters' first-level weights, then their
// second-level weights, then their third-level weights, each run ended by a byte below every
// weight; comparing keys byte by byte compares the texts level by level. If the derived table
// ever disagrees with the collator on the alphabet, the table is not used.
class AlphabetCollation
{
public:
    explicit AlphabetCollation(const QLocale& locale);

    // The table of the default locale, derived on first use.
    [[nodiscard]] static const AlphabetCollation& forDefaultLocale();
    [[nodiscard]] static QString alphabet();

    [[nodiscard]] bool usable() const { return m_usable; }
    // Appends the key of text to out. False, with out as it was, when a character of the text
    // is outside the alphabet or the table is not usable.
    bool appendKey(QStringView text, std::string& out) const;
    // The locale's upper case of a text in the alphabet, character by character; false when a
    // character is outside it.
    bool toUpper(QStringView text, QString& out) const;

    struct Weights
    {
        std::uint8_t primary = 0; // 0: not in the alphabet
        std::uint8_t secondary = 0;
        std::uint8_t tertiary = 0;
        char16_t upper = 0; // 0: not in the alphabet
    };
    // A character's weights at the three levels, each at least 2 (1 ends a level in a key); all
    // zero outside the alphabet or when the table is not usable.
    [[nodiscard]] const Weights& weightsOf(QChar c) const { return m_weights[c.unicode()]; }

private:
    bool appendKeyUnchecked(QStringView text, std::string& out) const;
    [[nodiscard]] bool agreesWithCollator(const QString& chars, const QLocale& locale) const;

    std::array<Weights, 0x10000> m_weights {};
    bool m_usable = false;
};

} // namespace kolvar::grid
