#include "DocumentProbe.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace kolvar::test {

QString textOf(const QTextDocument& document)
{
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

QVariant propertyAt(const QTextDocument& document, const QString& word, TextProperty property)
{
    const QTextCursor found = document.find(word, 0, QTextDocument::FindCaseSensitively);
    if (found.isNull())
        return QStringLiteral("<%1 not found>").arg(word);
    // A cursor's format is that of the character before it.
    QTextCursor at(found.block());
    at.setPosition(found.selectionStart() + 1);
    const QTextCharFormat chars = at.charFormat();
    const QTextBlockFormat block = found.block().blockFormat();
    switch (property) {
    case TextProperty::Bold:
        return chars.fontWeight() == QFont::Bold;
    case TextProperty::Italic:
        return chars.fontItalic();
    case TextProperty::Underline:
        return chars.fontUnderline();
    case TextProperty::Strike:
        return chars.fontStrikeOut();
    case TextProperty::PointSize:
        return chars.fontPointSize();
    case TextProperty::Family:
        return chars.fontFamilies().toStringList().value(0);
    case TextProperty::Foreground:
        return chars.hasProperty(QTextFormat::ForegroundBrush) ? chars.foreground().color()
                                                               : QColor();
    case TextProperty::Background:
        return chars.hasProperty(QTextFormat::BackgroundBrush) ? chars.background().color()
                                                               : QColor();
    case TextProperty::Superscript:
        return chars.verticalAlignment() == QTextCharFormat::AlignSuperScript;
    case TextProperty::Alignment:
        return int(block.alignment() & Qt::AlignHorizontal_Mask);
    case TextProperty::LeftMargin:
        return block.leftMargin();
    case TextProperty::FirstLineIndent:
        return block.textIndent();
    case TextProperty::RightMargin:
        return block.rightMargin();
    case TextProperty::SpaceBefore:
        return block.topMargin();
    case TextProperty::SpaceAfter:
        return block.bottomMargin();
    }
    return {};
}

} // namespace kolvar::test
