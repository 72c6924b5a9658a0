#pragma once

#include <QByteArrayView>

class QTextDocument;

namespace kolvar::hints {

// Whether the bytes are rich text: they open with "{\rtf", as every word processor writes it.
[[nodiscard]] bool isRichText(QByteArrayView bytes);

// Replaces the document's content with the rich text in the bytes: what a word processor's simple
// document holds, that is text in paragraphs and lines with their alignment, indents and spacing,
// bold, italic, underlined and struck-out text, font faces and sizes, and text and highlight
// colours. Pictures, objects, headers, footers, notes, styles and document information are left
// out. Single-byte text is read in the code page of its font's character set, else in the
// document's (\ansicpg, 1250 when the document names none or one the desktop does not know).
//
// Any bytes are accepted: a damaged or cut-off file shows what can be read of it, and nothing in
// the input (unbalanced or endlessly nested groups, huge numbers, stray bytes) can make reading
// fail, loop or use memory out of proportion to the file.
void readRtf(QByteArrayView rtf, QTextDocument& document);

// Rich text when the bytes are rich text, otherwise plain text (see decodePlainText) in the
// document's default font.
void readRichOrPlainText(QByteArrayView bytes, QTextDocument& document);

} // namespace kolvar::hints
