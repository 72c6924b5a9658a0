#include "RtfReader.h"

#include "CodePage.h"

#include <QColor>
#include <QFont>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kolvar::hints {

namespace {

// Deeper groups than this share their parent's state: a file of nothing but opening braces must
// not cost a state per byte. Word processors nest a few dozen deep at most.
constexpr int MaxDepth = 256;
constexpr int MaxFonts = 4096;
constexpr int MaxColors = 4096;
constexpr int MaxFontNameBytes = 256;
// Longer control words are not words of the format; the rest of the letters is still skipped.
constexpr std::size_t MaxWordLength = 32;

constexpr int DefaultHalfPoints = 24;
// Word processors allow fonts of up to 1638 points.
constexpr int MaxHalfPoints = 3276;
// 22 inches: wider than any page a word processor lays out.
constexpr int MaxTwips = 31680;
// Twips are 1/1440 inch; the document lays out in pixels of 1/96 inch.
constexpr double TwipsPerPixel = 15.0;
// Half an inch, as word processors space tab stops when the document does not say.
constexpr int DefaultTabTwips = 720;
constexpr std::size_t MaxTabStops = 64;

enum class Destination { Text, FontTable, ColorTable, Skip };

struct CharState
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int font = -1; // -1: the document's default font
    int halfPoints = DefaultHalfPoints;
    int foreground = 0; // colour table indexes; an empty entry is the automatic colour
    int background = 0;
    QTextCharFormat::VerticalAlignment vertical = QTextCharFormat::AlignNormal;

    bool operator==(const CharState&) const = default;
};

struct ParagraphState
{
    Qt::Alignment alignment = Qt::AlignLeft;
    int firstIndent = 0; // twips, relative to the left indent
    int leftIndent = 0;
    int rightIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    std::vector<QTextOption::Tab> tabStops; // positions in twips
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
};

struct GroupState
{
    Destination destination = Destination::Text;
    CharState chars;
    ParagraphState paragraph;
    int unicodeSkip = 1;
};

struct FontEntry
{
    QByteArray name;
    bool nameComplete = false;
    int charset = -1;
    QFont::StyleHint hint = QFont::AnyStyle;
};

enum class Word {
    AnsiCodePage,
    DefaultFont,
    FontTable,
    ColorTable,
    SkipDestination,
    Font,
    FontCharset,
    FontRoman,
    FontSwiss,
    FontModern,
    FontScript,
    FontDecor,
    Red,
    Green,
    Blue,
    Paragraph,
    Line,
    Tab,
    Character,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    Superscript,
    Subscript,
    NoSuperSub,
    FontSize,
    Foreground,
    Background,
    Plain,
    ParagraphDefaults,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    FirstIndent,
    LeftIndent,
    RightIndent,
    SpaceBefore,
    SpaceAfter,
    TabStop,
    TabRight,
    TabCenter,
    DefaultTab,
    Unicode,
    UnicodeSkip,
    Binary,
};

struct WordAction
{
    Word word;
    char16_t character = 0; // for Word::Character
};

const std::unordered_map<std::string_view, WordAction>& controlWords()
{
    static const std::unordered_map<std::string_view, WordAction> words = [] {
        std::unordered_map<std::string_view, WordAction> w {
            { "ansicpg", { Word::AnsiCodePage } },
            { "deff", { Word::DefaultFont } },
            { "fonttbl", { Word::FontTable } },
            { "colortbl", { Word::ColorTable } },
            { "f", { Word::Font } },
            { "fcharset", { Word::FontCharset } },
            { "froman", { Word::FontRoman } },
            { "fswiss", { Word::FontSwiss } },
            { "fmodern", { Word::FontModern } },
            { "fscript", { Word::FontScript } },
            { "fdecor", { Word::FontDecor } },
            { "red", { Word::Red } },
            { "green", { Word::Green } },
            { "blue", { Word::Blue } },
            { "par", { Word::Paragraph } },
            { "sect", { Word::Paragraph } },
            { "page", { Word::Paragraph } },
            { "row", { Word::Paragraph } },
            { "line", { Word::Line } },
            { "tab", { Word::Tab } },
            { "cell", { Word::Tab } },
            { "nestcell", { Word::Tab } },
            { "emdash", { Word::Character, 0x2014 } },
            { "endash", { Word::Character, 0x2013 } },
            { "emspace", { Word::Character, 0x2003 } },
            { "enspace", { Word::Character, 0x2002 } },
            { "qmspace", { Word::Character, 0x2005 } },
            { "bullet", { Word::Character, 0x2022 } },
            { "lquote", { Word::Character, 0x2018 } },
            { "rquote", { Word::Character, 0x2019 } },
            { "ldblquote", { Word::Character, 0x201C } },
            { "rdblquote", { Word::Character, 0x201D } },
            { "zwj", { Word::Character, 0x200D } },
            { "zwnj", { Word::Character, 0x200C } },
            { "b", { Word::Bold } },
            { "i", { Word::Italic } },
            { "ulnone", { Word::UnderlineNone } },
            { "strike", { Word::Strike } },
            { "striked", { Word::Strike } },
            { "v", { Word::Hidden } },
            { "super", { Word::Superscript } },
            { "sub", { Word::Subscript } },
            { "nosupersub", { Word::NoSuperSub } },
            { "fs", { Word::FontSize } },
            { "cf", { Word::Foreground } },
            { "cb", { Word::Background } },
            { "highlight", { Word::Background } },
            { "chcbpat", { Word::Background } },
            { "plain", { Word::Plain } },
            { "pard", { Word::ParagraphDefaults } },
            { "ql", { Word::AlignLeft } },
            { "qc", { Word::AlignCenter } },
            { "qr", { Word::AlignRight } },
            { "qj", { Word::AlignJustify } },
            { "fi", { Word::FirstIndent } },
            { "li", { Word::LeftIndent } },
            { "lin", { Word::LeftIndent } },
            { "ri", { Word::RightIndent } },
            { "rin", { Word::RightIndent } },
            { "sb", { Word::SpaceBefore } },
            { "sa", { Word::SpaceAfter } },
            { "tx", { Word::TabStop } },
            { "tqr", { Word::TabRight } },
            { "tqc", { Word::TabCenter } },
            { "deftab", { Word::DefaultTab } },
            { "u", { Word::Unicode } },
            { "uc", { Word::UnicodeSkip } },
            { "bin", { Word::Binary } },
        };
        // Every kind of underline shows as one.
        for (const std::string_view ul : { "ul", "uld", "uldash", "uldashd", "uldashdd", "uldb",
                 "ulhwave", "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                 "ulthldash", "ululdbwave", "ulw", "ulwave" })
            w.emplace(ul, WordAction { Word::Underline });
        // Groups whose text is not part of the document's body. A field's instruction is
        // skipped while its result, what a word processor shows, is read.
        for (const std::string_view skip : { "info", "stylesheet", "pict", "object", "objdata",
                 "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
                 "footerf", "footnote", "annotation", "atnid", "atnauthor", "fldinst", "xe", "tc",
                 "txe", "rxe", "themedata", "colorschememapping", "latentstyles", "datastore",
                 "listtable", "listoverridetable", "rsidtbl", "generator", "revtbl", "filetbl",
                 "pgdsctbl", "bkmkstart", "bkmkend", "shpinst", "shprslt", "nonshppict",
                 "userprops", "docvar", "xmlnstbl", "template", "fchars", "lchars", "pn" })
            w.emplace(skip, WordAction { Word::SkipDestination });
        return w;
    }();
    return words;
}

[[nodiscard]] bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

[[nodiscard]] bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

[[nodiscard]] int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Characters the document would take for structure rather than text: line and paragraph breaks
// other than the ones the reader makes, frame markers and object placeholders. Surrogates
// without their other half become replacement characters.
void sanitize(QString& text)
{
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t') || u == 0x7F || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1
            || u == 0xFFFC)
            continue;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            clean.append(c);
            clean.append(text.at(++i));
            continue;
        }
        clean.append(c.isSurrogate() ? QChar(QChar::ReplacementCharacter) : c);
    }
    text = clean;
}

class RtfParser
{
public:
    RtfParser(QByteArrayView input, QTextDocument& document)
        : m_in(input)
        , m_document(document)
    { }
    RtfParser(const RtfParser&) = delete;
    RtfParser& operator=(const RtfParser&) = delete;

    void run();

private:
    [[nodiscard]] GroupState& state() { return m_groups.back(); }
    [[nodiscard]] char peek() const { return m_in[m_pos]; }
    [[nodiscard]] bool atEnd() const { return m_pos >= m_in.size(); }

    void openGroup();
    void closeGroup();
    void controlSequence();
    void controlSymbol(char symbol);
    void controlWord(std::string_view word, bool hasParameter, int parameter);
    void applyWord(const WordAction& action, bool hasParameter, int parameter);
    void skipBinary(int count);

    void textByte(char byte);
    void fontTableByte(char byte);
    void endColor();
    void appendText(QString text);
    void appendCodePoint(int value);
    void flushBytes();
    void flushRun();
    void endParagraph();
    void finish();

    [[nodiscard]] int codePageOf(int font) const;
    [[nodiscard]] const FontEntry* fontEntry(int font) const;
    [[nodiscard]] QColor color(int index) const;
    [[nodiscard]] QTextCharFormat charFormat(const CharState& chars) const;
    [[nodiscard]] static QTextBlockFormat blockFormat(const ParagraphState& paragraph);

    QByteArrayView m_in;
    qsizetype m_pos = 0;
    QTextDocument& m_document;
    QTextCursor m_cursor;

    // The bottom entry stands for the outside of every group; the first brace pushes the
    // document's own group.
    std::vector<GroupState> m_groups { GroupState {} };
    int m_overflowDepth = 0;
    bool m_finished = false;

    int m_codePage = DefaultCodePage;
    int m_defaultFont = 0;
    int m_defaultTab = DefaultTabTwips;
    std::map<int, FontEntry> m_fonts;
    int m_fontBeingDefined = -1;
    std::vector<QColor> m_colors;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    bool m_colorGiven = false;

    // Characters still to skip after a \u: the stand-ins for readers without Unicode.
    int m_skipCount = 0;

    // Text bytes waiting to be decoded together, so that a character of two bytes stays whole.
    QByteArray m_bytes;
    int m_bytesCodePage = DefaultCodePage;
    // Decoded text waiting for the document, all of it in m_runChars.
    QString m_run;
    CharState m_runChars;
};

void RtfParser::run()
{
    m_document.clear();
    m_cursor = QTextCursor(&m_document);
    // Outside an edit block every insertion lays out the whole paragraph again to place the
    // cursor, which costs time in the square of a long paragraph's runs.
    m_cursor.beginEditBlock();
    while (!atEnd() && !m_finished) {
        const char c = m_in[m_pos++];
        switch (c) {
        case '{':
            openGroup();
            break;
        case '}':
            closeGroup();
            break;
        case '\\':
            controlSequence();
            break;
        case '\r':
        case '\n':
            // Line ends in the file only keep its lines short.
            break;
        default:
            textByte(c);
            break;
        }
    }
    if (!m_finished)
        finish();
}

void RtfParser::openGroup()
{
    flushBytes();
    m_skipCount = 0;
    if (int(m_groups.size()) > MaxDepth) {
        ++m_overflowDepth;
        return;
    }
    GroupState inherited = state();
    m_groups.push_back(std::move(inherited));
}

void RtfParser::closeGroup()
{
    flushBytes();
    m_skipCount = 0;
    if (m_overflowDepth > 0) {
        --m_overflowDepth;
        return;
    }
    if (state().destination == Destination::FontTable)
        m_fontBeingDefined = -1;
    if (m_groups.size() == 1)
        return; // a stray brace outside every group
    if (m_groups.size() == 2) {
        // The document's group is closed: whatever follows it is not part of it.
        finish();
        return;
    }
    m_groups.pop_back();
}

void RtfParser::controlSequence()
{
    if (atEnd())
        return;
    if (!isLetter(peek())) {
        controlSymbol(m_in[m_pos++]);
        return;
    }
    const qsizetype start = m_pos;
    while (!atEnd() && isLetter(peek()))
        ++m_pos;
    const std::string_view word(m_in.data() + start, std::size_t(m_pos - start));

    bool hasParameter = false;
    bool negative = false;
    if (!atEnd() && peek() == '-' && m_pos + 1 < m_in.size() && isDigit(m_in[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    std::int64_t value = 0;
    while (!atEnd() && isDigit(peek())) {
        hasParameter = true;
        // Digits past what an int holds are read and dropped: the value stays at the limit.
        value = std::min<std::int64_t>(value * 10 + (peek() - '0'), INT32_MAX);
        ++m_pos;
    }
    if (!atEnd() && peek() == ' ')
        ++m_pos;
    const int parameter = int(negative ? -value : value);
    controlWord(word.size() > MaxWordLength ? std::string_view() : word, hasParameter, parameter);
}

void RtfParser::controlSymbol(char symbol)
{
    switch (symbol) {
    case '\'': {
        const int high = atEnd() ? -1 : hexValue(peek());
        const int low = m_pos + 1 < m_in.size() ? hexValue(m_in[m_pos + 1]) : -1;
        if (high < 0 || low < 0) {
            // A damaged escape is dropped; its stray digits read as the text they are.
            return;
        }
        m_pos += 2;
        textByte(char(high * 16 + low));
        return;
    }
    case '\\':
    case '{':
    case '}':
        textByte(symbol);
        return;
    default:
        break;
    }

    flushBytes();
    if (m_skipCount > 0) {
        --m_skipCount;
        return;
    }
    switch (symbol) {
    case '*':
        // Destinations marked this way may be skipped by readers that do not know them, and this
        // reader needs none of them.
        state().destination = Destination::Skip;
        break;
    case '~':
        appendCodePoint(0x00A0);
        break;
    case '-':
        appendCodePoint(0x00AD);
        break;
    case '_':
        appendCodePoint(0x2011);
        break;
    case '\r':
    case '\n':
        endParagraph();
        break;
    default:
        break;
    }
}

void RtfParser::controlWord(std::string_view word, bool hasParameter, int parameter)
{
    flushBytes();
    const auto& words = controlWords();
    const auto found = words.find(word);
    const bool binary = found != words.end() && found->second.word == Word::Binary;
    if (binary)
        skipBinary(parameter);
    if (m_skipCount > 0) {
        --m_skipCount;
        return;
    }
    if (found != words.end() && !binary)
        applyWord(found->second, hasParameter, parameter);
}

void RtfParser::skipBinary(int count)
{
    if (count > 0)
        m_pos += std::min<qsizetype>(count, m_in.size() - m_pos);
}

void RtfParser::applyWord(const WordAction& action, bool hasParameter, int parameter)
{
    GroupState& s = state();
    const bool on = !hasParameter || parameter != 0;
    const int twips = std::clamp(parameter, -MaxTwips, MaxTwips);
    const int index = std::max(parameter, 0);

    // Words that mean the same wherever they stand.
    switch (action.word) {
    case Word::SkipDestination:
        s.destination = Destination::Skip;
        return;
    case Word::Unicode:
        if (s.destination == Destination::Text && !s.chars.hidden)
            appendCodePoint(parameter < 0 ? parameter + 0x10000 : parameter);
        m_skipCount = s.unicodeSkip;
        return;
    case Word::UnicodeSkip:
        s.unicodeSkip = index;
        return;
    default:
        break;
    }

    if (s.destination == Destination::FontTable) {
        FontEntry* entry = nullptr;
        if (action.word == Word::Font) {
            if (m_fonts.size() < std::size_t(MaxFonts) || m_fonts.count(index) != 0) {
                m_fontBeingDefined = index;
                m_fonts[index] = FontEntry {};
            } else {
                m_fontBeingDefined = -1;
            }
            return;
        }
        if (m_fontBeingDefined >= 0)
            entry = &m_fonts[m_fontBeingDefined];
        if (entry == nullptr)
            return;
        switch (action.word) {
        case Word::FontCharset:
            entry->charset = index;
            break;
        case Word::FontRoman:
            entry->hint = QFont::Serif;
            break;
        case Word::FontSwiss:
            entry->hint = QFont::SansSerif;
            break;
        case Word::FontModern:
            entry->hint = QFont::TypeWriter;
            break;
        case Word::FontScript:
            entry->hint = QFont::Cursive;
            break;
        case Word::FontDecor:
            entry->hint = QFont::Decorative;
            break;
        default:
            break;
        }
        return;
    }

    if (s.destination == Destination::ColorTable) {
        const int component = std::clamp(parameter, 0, 255);
        switch (action.word) {
        case Word::Red:
            m_red = component;
            m_colorGiven = true;
            break;
        case Word::Green:
            m_green = component;
            m_colorGiven = true;
            break;
        case Word::Blue:
            m_blue = component;
            m_colorGiven = true;
            break;
        default:
            break;
        }
        return;
    }

    if (s.destination != Destination::Text)
        return;

    CharState& chars = s.chars;
    ParagraphState& paragraph = s.paragraph;
    switch (action.word) {
    case Word::AnsiCodePage:
        m_codePage = isKnownCodePage(parameter) ? parameter : DefaultCodePage;
        break;
    case Word::DefaultFont:
        m_defaultFont = index;
        break;
    case Word::FontTable:
        s.destination = Destination::FontTable;
        m_fontBeingDefined = -1;
        break;
    case Word::ColorTable:
        s.destination = Destination::ColorTable;
        break;
    case Word::Font:
        chars.font = index;
        break;
    case Word::Paragraph:
        endParagraph();
        break;
    case Word::Line:
        appendCodePoint(QChar::LineSeparator);
        break;
    case Word::Tab:
        appendCodePoint(u'\t');
        break;
    case Word::Character:
        appendCodePoint(action.character);
        break;
    case Word::Bold:
        chars.bold = on;
        break;
    case Word::Italic:
        chars.italic = on;
        break;
    case Word::Underline:
        chars.underline = on;
        break;
    case Word::UnderlineNone:
        chars.underline = false;
        break;
    case Word::Strike:
        chars.strike = on;
        break;
    case Word::Hidden:
        chars.hidden = on;
        break;
    case Word::Superscript:
        chars.vertical = QTextCharFormat::AlignSuperScript;
        break;
    case Word::Subscript:
        chars.vertical = QTextCharFormat::AlignSubScript;
        break;
    case Word::NoSuperSub:
        chars.vertical = QTextCharFormat::AlignNormal;
        break;
    case Word::FontSize:
        chars.halfPoints = hasParameter && parameter > 0 ? std::min(parameter, MaxHalfPoints)
                                                         : DefaultHalfPoints;
        break;
    case Word::Foreground:
        chars.foreground = index;
        break;
    case Word::Background:
        chars.background = index;
        break;
    case Word::Plain:
        chars = CharState {};
        break;
    case Word::ParagraphDefaults:
        paragraph = ParagraphState {};
        break;
    case Word::AlignLeft:
        paragraph.alignment = Qt::AlignLeft;
        break;
    case Word::AlignCenter:
        paragraph.alignment = Qt::AlignHCenter;
        break;
    case Word::AlignRight:
        paragraph.alignment = Qt::AlignRight;
        break;
    case Word::AlignJustify:
        paragraph.alignment = Qt::AlignJustify;
        break;
    case Word::FirstIndent:
        paragraph.firstIndent = twips;
        break;
    case Word::LeftIndent:
        paragraph.leftIndent = twips;
        break;
    case Word::RightIndent:
        paragraph.rightIndent = twips;
        break;
    case Word::SpaceBefore:
        paragraph.spaceBefore = std::max(twips, 0);
        break;
    case Word::SpaceAfter:
        paragraph.spaceAfter = std::max(twips, 0);
        break;
    case Word::TabStop:
        if (paragraph.tabStops.size() < MaxTabStops)
            paragraph.tabStops.emplace_back(std::max(twips, 0), paragraph.nextTabType);
        paragraph.nextTabType = QTextOption::LeftTab;
        break;
    case Word::TabRight:
        paragraph.nextTabType = QTextOption::RightTab;
        break;
    case Word::TabCenter:
        paragraph.nextTabType = QTextOption::CenterTab;
        break;
    case Word::DefaultTab:
        if (parameter > 0)
            m_defaultTab = twips;
        break;
    default:
        break;
    }
}

void RtfParser::textByte(char byte)
{
    if (m_skipCount > 0) {
        --m_skipCount;
        return;
    }
    const GroupState& s = state();
    switch (s.destination) {
    case Destination::Text: {
        if (s.chars.hidden)
            return;
        const int codePage = codePageOf(s.chars.font);
        if (!m_bytes.isEmpty() && codePage != m_bytesCodePage)
            flushBytes();
        m_bytesCodePage = codePage;
        m_bytes.append(byte);
        break;
    }
    case Destination::FontTable:
        fontTableByte(byte);
        break;
    case Destination::ColorTable:
        if (byte == ';')
            endColor();
        break;
    case Destination::Skip:
        break;
    }
}

void RtfParser::fontTableByte(char byte)
{
    if (m_fontBeingDefined < 0)
        return;
    FontEntry& entry = m_fonts[m_fontBeingDefined];
    if (entry.nameComplete)
        return;
    if (byte == ';')
        entry.nameComplete = true;
    else if (entry.name.size() < MaxFontNameBytes)
        entry.name.append(byte);
}

void RtfParser::endColor()
{
    if (m_colors.size() < std::size_t(MaxColors))
        m_colors.push_back(m_colorGiven ? QColor(m_red, m_green, m_blue) : QColor());
    m_red = m_green = m_blue = 0;
    m_colorGiven = false;
}

void RtfParser::appendCodePoint(int value)
{
    if (value < 0 || value > 0x10FFFF)
        return;
    const char32_t codePoint = char32_t(value);
    appendText(QString::fromUcs4(&codePoint, 1));
}

void RtfParser::appendText(QString text)
{
    const GroupState& s = state();
    if (s.destination != Destination::Text || s.chars.hidden)
        return;
    if (!m_run.isEmpty() && !(m_runChars == s.chars))
        flushRun();
    if (m_run.isEmpty())
        m_runChars = s.chars;
    m_run += text;
}

void RtfParser::flushBytes()
{
    if (m_bytes.isEmpty())
        return;
    const QString text = decodeCodePage(m_bytes, m_bytesCodePage);
    m_bytes.clear();
    appendText(text);
}

void RtfParser::flushRun()
{
    if (m_run.isEmpty())
        return;
    sanitize(m_run);
    m_cursor.insertText(m_run, charFormat(m_runChars));
    m_run.clear();
}

void RtfParser::endParagraph()
{
    if (state().destination != Destination::Text)
        return;
    flushRun();
    // A paragraph takes the paragraph properties in force at its end mark; an empty one is as
    // tall as the font its mark is in.
    m_cursor.setBlockFormat(blockFormat(state().paragraph));
    m_cursor.setBlockCharFormat(charFormat(state().chars));
    m_cursor.insertBlock();
}

void RtfParser::finish()
{
    flushBytes();
    flushRun();
    m_cursor.setBlockFormat(blockFormat(state().paragraph));
    m_cursor.setBlockCharFormat(charFormat(state().chars));
    QTextOption option = m_document.defaultTextOption();
    option.setTabStopDistance(m_defaultTab / TwipsPerPixel);
    m_document.setDefaultTextOption(option);
    m_cursor.endEditBlock();
    m_finished = true;
}

const FontEntry* RtfParser::fontEntry(int font) const
{
    const auto it = m_fonts.find(font < 0 ? m_defaultFont : font);
    return it == m_fonts.end() ? nullptr : &it->second;
}

int RtfParser::codePageOf(int font) const
{
    const FontEntry* entry = fontEntry(font);
    const int codePage = entry ? codePageOfCharset(entry->charset) : 0;
    return codePage != 0 ? codePage : m_codePage;
}

QColor RtfParser::color(int index) const
{
    return index < int(m_colors.size()) ? m_colors[std::size_t(index)] : QColor();
}

QTextCharFormat RtfParser::charFormat(const CharState& chars) const
{
    QTextCharFormat format;
    format.setFontWeight(chars.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(chars.italic);
    format.setFontUnderline(chars.underline);
    format.setFontStrikeOut(chars.strike);
    format.setFontPointSize(chars.halfPoints / 2.0);
    format.setVerticalAlignment(chars.vertical);
    if (const FontEntry* entry = fontEntry(chars.font)) {
        const QString family = decodeCodePage(entry->name, codePageOf(chars.font)).trimmed();
        if (!family.isEmpty())
            format.setFontFamilies(QStringList { family });
        format.setFontStyleHint(entry->hint);
    }
    if (const QColor c = color(chars.foreground); c.isValid())
        format.setForeground(c);
    if (const QColor c = color(chars.background); c.isValid())
        format.setBackground(c);
    return format;
}

QTextBlockFormat RtfParser::blockFormat(const ParagraphState& paragraph)
{
    QTextBlockFormat format;
    format.setAlignment(paragraph.alignment);
    format.setLeftMargin(paragraph.leftIndent / TwipsPerPixel);
    format.setRightMargin(paragraph.rightIndent / TwipsPerPixel);
    format.setTextIndent(paragraph.firstIndent / TwipsPerPixel);
    format.setTopMargin(paragraph.spaceBefore / TwipsPerPixel);
    format.setBottomMargin(paragraph.spaceAfter / TwipsPerPixel);

    // Tab stops count from where the left indent is measured. A hanging first line stops at the
    // indent of the lines below it, which is how numbered paragraphs line their text up.
    std::vector<QTextOption::Tab> stops = paragraph.tabStops;
    if (paragraph.firstIndent < 0 && paragraph.leftIndent > 0)
        stops.emplace_back(paragraph.leftIndent, QTextOption::LeftTab);
    if (!stops.empty()) {
        std::sort(
            stops.begin(), stops.end(), [](const QTextOption::Tab& a, const QTextOption::Tab& b) {
                return a.position < b.position;
            });
        QList<QTextOption::Tab> positions;
        for (QTextOption::Tab stop : stops) {
            stop.position /= TwipsPerPixel;
            positions.append(stop);
        }
        format.setTabPositions(positions);
    }
    return format;
}

} // namespace

bool isRichText(QByteArrayView bytes)
{
    return bytes.startsWith("{\\rtf");
}

void readRtf(QByteArrayView rtf, QTextDocument& document)
{
    RtfParser parser(rtf, document);
    parser.run();
}

void readRichOrPlainText(QByteArrayView bytes, QTextDocument& document)
{
    if (isRichText(bytes))
        readRtf(bytes, document);
    else {
        QTextOption option = document.defaultTextOption();
        option.setTabStopDistance(QTextOption().tabStopDistance());
        document.setDefaultTextOption(option);
        document.setPlainText(decodePlainText(bytes));
    }
}

} // namespace kolvar::hints
