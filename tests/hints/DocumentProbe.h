#pragma once

#include <QString>
#include <QVariant>

class QTextDocument;

namespace kolvar::test {

// What the document holds, with its paragraphs on lines of their own and every other character
// as it is (line breaks inside a paragraph stay U+2028, no-break spaces stay themselves).
[[nodiscard]] QString textOf(const QTextDocument& document);

enum class TextProperty {
    Bold,
    Italic,
    Underline,
    Strike,
    PointSize,
    Family,
    Foreground, // an invalid colour when the text has the automatic colour
    Background,
    Superscript,
    Alignment, // the horizontal part, as an int
    LeftMargin,
    FirstLineIndent,
    RightMargin,
    SpaceBefore,
    SpaceAfter,
};

// The property of the first character of the first occurrence of word, or of its paragraph; a
// text saying so when the word is not there.
[[nodiscard]] QVariant propertyAt(
    const QTextDocument& document, const QString& word, TextProperty property);

} // namespace kolvar::test
