#include "AlphabetCollation.h"

#include <QCollator>

#include <algorithm>
#include <vector>

namespace kolvar::grid {

namespace {

constexpr std::uint8_t levelEnd = 1;
constexpr int firstWeight = 2;

int sign(int v)
{
    return (v > 0) - (v < 0);
}

int compareKeys(const std::string& a, const std::string& b)
{
    return sign(a.compare(b));
}

// Splits the sorted run [begin, end) into classes of mutually equal elements and gives each
// element its class number, starting at firstWeight.
template <typename Less, typename Assign>
bool rankRun(
    std::vector<QChar>::iterator begin, std::vector<QChar>::iterator end, Less less, Assign assign)
{
    std::stable_sort(begin, end, less);
    int rank = firstWeight;
    for (auto it = begin; it != end; ++it) {
        if (it != begin && less(*(it - 1), *it))
            ++rank;
        if (rank > 255)
            return false;
        assign(*it, std::uint8_t(rank));
    }
    return true;
}

} // namespace

QString AlphabetCollation::alphabet()
{
    QString chars;
    for (char16_t c = 0x20; c < 0x7F; ++c)
        chars += QChar(c);
    chars += QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ„”“‘’–—«»§°");
    return chars;
}

AlphabetCollation::AlphabetCollation(const QLocale& locale)
{
    QCollator withCase(locale);
    withCase.setCaseSensitivity(Qt::CaseSensitive);
    QCollator withoutCase(locale);
    withoutCase.setCaseSensitivity(Qt::CaseInsensitive);

    const QString chars = alphabet();
    std::vector<QChar> sorted(chars.begin(), chars.end());
    // x and y weigh the same at the first level exactly when a first-level difference after
    // them decides, whichever way it points.
    const QString low = QStringLiteral("a");
    const QString high = QStringLiteral("b");
    const auto primaryLess = [&](QChar x, QChar y) {
        return withCase.compare(QString(x) + high, QString(y) + low) < 0
            && withCase.compare(QString(x) + low, QString(y) + high) < 0;
    };
    // Second- and third-level order matters only between characters equal at the levels above.
    const auto secondaryLess
        = [&](QChar x, QChar y) { return withoutCase.compare(QString(x), QString(y)) < 0; };
    const auto tertiaryLess
        = [&](QChar x, QChar y) { return withCase.compare(QString(x), QString(y)) < 0; };

    bool ok = rankRun(sorted.begin(), sorted.end(), primaryLess,
        [this](QChar c, std::uint8_t w) { m_weights[c.unicode()].primary = w; });
    const auto sameRun = [](auto first, auto last, auto key) {
        auto end = first;
        while (end != last && key(*end) == key(*first))
            ++end;
        return end;
    };
    for (auto first = sorted.begin(); ok && first != sorted.end();) {
        const auto last = sameRun(
            first, sorted.end(), [this](QChar c) { return m_weights[c.unicode()].primary; });
        ok = rankRun(first, last, secondaryLess,
            [this](QChar c, std::uint8_t w) { m_weights[c.unicode()].secondary = w; });
        for (auto sub = first; ok && sub != last;) {
            const auto subLast
                = sameRun(sub, last, [this](QChar c) { return m_weights[c.unicode()].secondary; });
            ok = rankRun(sub, subLast, tertiaryLess,
                [this](QChar c, std::uint8_t w) { m_weights[c.unicode()].tertiary = w; });
            sub = subLast;
        }
        first = last;
    }
    m_usable = ok && agreesWithCollator(chars, locale);
    if (!m_usable) {
        m_weights.fill({});
        return;
    }
    for (const QChar c : chars) {
        const QString upper = locale.toUpper(QString(c));
        if (upper.size() == 1)
            m_weights[c.unicode()].upper = upper.front().unicode();
    }
}

bool AlphabetCollation::toUpper(QStringView text, QString& out) const
{
    out.resize(text.size());
    QChar* to = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t upper = m_weights[text[i].unicode()].upper;
        if (upper == 0)
            return false;
        to[i] = QChar(upper);
    }
    return true;
}

bool AlphabetCollation::agreesWithCollator(const QString& chars, const QLocale& locale) const
{
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<std::string> single(std::size_t(chars.size()));
    for (qsizetype i = 0; i < chars.size(); ++i) {
        if (!appendKeyUnchecked(QStringView(chars).mid(i, 1), single[std::size_t(i)]))
            return false;
    }
    for (qsizetype i = 0; i < chars.size(); ++i) {
        for (qsizetype j = 0; j < chars.size(); ++j) {
            const QString x(chars[i]);
            const QString y(chars[j]);
            if (compareKeys(single[std::size_t(i)], single[std::size_t(j)])
                != sign(collator.compare(x, y)))
                return false;
            std::string xy;
            std::string yx;
            appendKeyUnchecked(QString(x + y), xy);
            appendKeyUnchecked(QString(y + x), yx);
            if (compareKeys(xy, yx) != sign(collator.compare(x + y, y + x)))
                return false;
        }
    }
    return true;
}

bool AlphabetCollation::appendKey(QStringView text, std::string& out) const
{
    return m_usable && appendKeyUnchecked(text, out);
}

bool AlphabetCollation::appendKeyUnchecked(QStringView text, std::string& out) const
{
    const std::size_t start = out.size();
    const std::size_t n = std::size_t(text.size());
    out.resize(start + 3 * n + 2);
    char* primary = out.data() + start;
    char* secondary = primary + n + 1;
    char* tertiary = secondary + n + 1;
    for (std::size_t i = 0; i < n; ++i) {
        const Weights& w = m_weights[text[qsizetype(i)].unicode()];
        if (w.primary == 0) {
            out.resize(start);
            return false;
        }
        primary[i] = char(w.primary);
        secondary[i] = char(w.secondary);
        tertiary[i] = char(w.tertiary);
    }
    primary[n] = char(levelEnd);
    secondary[n] = char(levelEnd);
    return true;
}

const AlphabetCollation& AlphabetCollation::forDefaultLocale()
{
    static QString name;
    static std::unique_ptr<AlphabetCollation> table;
    const QLocale locale;
    if (!table || name != locale.bcp47Name()) {
        table = std::make_unique<AlphabetCollation>(locale);
        name = locale.bcp47Name();
    }
    return *table;
}

} // namespace kolvar::grid
