#include "SortKeys.h"

#include "AlphabetCollation.h"

#include <QCollator>
#include <QDate>
#include <QHash>

#include <algorithm>
#include <charconv>
#include <numeric>
#include <string>
#include <string_view>

namespace kolvar::grid {

namespace {

QChar firstSeparator(const QString& format, QChar fallback)
{
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return fallback;
}

KeyFormat::DateOrder orderOf(const QString& format)
{
    const qsizetype d = format.indexOf(u'd');
    const qsizetype m = format.indexOf(u'M');
    const qsizetype y = format.indexOf(u'y');
    if (d < 0 || m < 0 || y < 0)
        return KeyFormat::DateOrder::DMY;
    if (y < m && y < d)
        return KeyFormat::DateOrder::YMD;
    return m < d ? KeyFormat::DateOrder::MDY : KeyFormat::DateOrder::DMY;
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

void skipBlanks(QStringView text, qsizetype& pos)
{
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
}

// Reads a run of digits; false when there is none. Runs too long for an int are refused.
bool scanDigits(QStringView text, qsizetype& pos, int& value, int& length)
{
    value = 0;
    length = 0;
    while (pos < text.size() && isAsciiDigit(text[pos])) {
        if (length >= 9)
            return false;
        value = value * 10 + (text[pos].unicode() - u'0');
        ++length;
        ++pos;
    }
    return length > 0;
}

bool scanChar(QStringView text, qsizetype& pos, QChar c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

bool scanWord(QStringView text, qsizetype& pos, const QString& word)
{
    if (word.isEmpty() || !text.mid(pos).startsWith(word, Qt::CaseInsensitive))
        return false;
    pos += word.size();
    return true;
}

int sign(long double v)
{
    return (v > 0) - (v < 0);
}

template <typename Convert>
int compareConverted(const QString& first, const QString& second, Convert convert)
{
    const KeyFormat format;
    long double a = 0;
    long double b = 0;
    if (!convert(format, first, a) || !convert(format, second, b))
        return 0;
    return sign(a - b);
}

// Ranks of distinct keys: equal keys share a rank, a smaller rank sorts first.
template <typename Less> std::vector<int> ranksOf(qsizetype count, Less less)
{
    std::vector<int> byOrder(static_cast<std::size_t>(count));
    std::iota(byOrder.begin(), byOrder.end(), 0);
    std::stable_sort(byOrder.begin(), byOrder.end(), less);
    std::vector<int> rank(byOrder.size());
    int current = 0;
    for (std::size_t i = 0; i < byOrder.size(); ++i) {
        if (i > 0 && less(byOrder[i - 1], byOrder[i]))
            ++current;
        rank[static_cast<std::size_t>(byOrder[i])] = current;
    }
    return rank;
}

std::vector<int> textRanks(const std::vector<QString>& texts)
{
    QCollator collator { QLocale() };
    collator.setCaseSensitivity(Qt::CaseSensitive);
    const AlphabetCollation& table = AlphabetCollation::forDefaultLocale();

    // Texts in the common alphabet get table keys in one buffer, headed by their first sixteen
    // bytes for a quick comparison; any other text asks the collator. The items are sorted
    // themselves rather than indices to them, which keeps the heads in the cache.
    struct Item
    {
        std::uint64_t head[2] = {};
        std::size_t offset = 0;
        std::size_t length = 0;
        int index = 0;
        int collatorKey = -1;
    };
    std::string bytes;
    std::vector<Item> items(texts.size());
    std::vector<QCollatorSortKey> collatorKeys;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        Item& item = items[i];
        item.index = int(i);
        item.offset = bytes.size();
        if (table.appendKey(texts[i], bytes)) {
            item.length = bytes.size() - item.offset;
            for (std::size_t b = 0; b < 16; ++b) {
                const auto byte = b < item.length ? std::uint8_t(bytes[item.offset + b]) : 0;
                item.head[b / 8] = (item.head[b / 8] << 8) | byte;
            }
        } else {
            item.collatorKey = int(collatorKeys.size());
            collatorKeys.push_back(collator.sortKey(texts[i]));
        }
    }
    const std::string_view all(bytes);
    const auto compare = [&](const Item& x, const Item& y) {
        if (x.collatorKey >= 0 && y.collatorKey >= 0)
            return collatorKeys[std::size_t(x.collatorKey)].compare(
                collatorKeys[std::size_t(y.collatorKey)]);
        if (x.collatorKey >= 0 || y.collatorKey >= 0)
            return collator.compare(texts[std::size_t(x.index)], texts[std::size_t(y.index)]);
        for (int h = 0; h < 2; ++h) {
            if (x.head[h] != y.head[h])
                return x.head[h] < y.head[h] ? -1 : 1;
        }
        if (x.length <= 16 && y.length <= 16)
            return 0;
        return all.substr(x.offset, x.length).compare(all.substr(y.offset, y.length));
    };
    std::stable_sort(items.begin(), items.end(),
        [&compare](const Item& x, const Item& y) { return compare(x, y) < 0; });
    std::vector<int> rank(items.size());
    int current = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0 && compare(items[i - 1], items[i]) < 0)
            ++current;
        rank[std::size_t(items[i].index)] = current;
    }
    return rank;
}

// A key that does not convert sorts before every key that does, so that an explicit key kind
// meeting a stray text still gives one consistent order.
template <typename Convert>
std::vector<int> convertedRanks(const std::vector<QString>& texts, Convert convert)
{
    struct Converted
    {
        bool ok;
        long double value;
    };
    std::vector<Converted> values(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        values[i].ok = convert(texts[i], values[i].value);
    return ranksOf(qsizetype(texts.size()), [&values](int a, int b) {
        const Converted& x = values[std::size_t(a)];
        const Converted& y = values[std::size_t(b)];
        if (x.ok != y.ok)
            return !x.ok;
        return x.ok && x.value < y.value;
    });
}

} // namespace

KeyFormat::KeyFormat(const QLocale& locale)
    : m_decimalPoint(locale.decimalPoint().isEmpty() ? QChar(u'.') : locale.decimalPoint().front())
    , m_dateSeparator(firstSeparator(locale.dateFormat(QLocale::ShortFormat), u'.'))
    , m_timeSeparator(firstSeparator(locale.timeFormat(QLocale::ShortFormat), u':'))
    , m_dateOrder(orderOf(locale.dateFormat(QLocale::ShortFormat)))
    , m_amText(locale.amText())
    , m_pmText(locale.pmText())
    , m_centuryPivot(QDate::currentDate().year() - 50)
{ }

bool KeyFormat::tryNumber(QStringView text, long double& value) const
{
    const QStringView s = text.trimmed();
    std::string plain;
    plain.reserve(std::size_t(s.size()));
    qsizetype pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-'))
        negative = s[pos++] == u'-';
    int mantissaDigits = 0;
    while (pos < s.size() && isAsciiDigit(s[pos])) {
        plain += char(s[pos++].unicode());
        ++mantissaDigits;
    }
    if (pos < s.size() && s[pos] == m_decimalPoint) {
        plain += '.';
        ++pos;
        while (pos < s.size() && isAsciiDigit(s[pos])) {
            plain += char(s[pos++].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (pos < s.size() && (s[pos] == u'e' || s[pos] == u'E')) {
        plain += 'e';
        ++pos;
        if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-'))
            plain += char(s[pos++].unicode());
        int exponentDigits = 0;
        while (pos < s.size() && isAsciiDigit(s[pos])) {
            plain += char(s[pos++].unicode());
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return false;
    }
    if (pos != s.size())
        return false;
    long double parsed = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), parsed);
    if (error != std::errc() || end != plain.data() + plain.size())
        return false;
    value = negative ? -parsed : parsed;
    return true;
}

bool KeyFormat::scanDate(QStringView text, qsizetype& pos, long double& value) const
{
    int n[3] = {};
    int length[3] = {};
    qsizetype p = pos;
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && !scanChar(text, p, m_dateSeparator))
            return false;
        if (!scanDigits(text, p, n[i], length[i]))
            return false;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    int yearLength = 0;
    if (length[0] > 2 || m_dateOrder == DateOrder::YMD) {
        year = n[0], month = n[1], day = n[2], yearLength = length[0];
    } else if (m_dateOrder == DateOrder::MDY) {
        month = n[0], day = n[1], year = n[2], yearLength = length[2];
    } else {
        day = n[0], month = n[1], year = n[2], yearLength = length[2];
    }
    if (yearLength <= 2) {
        year += m_centuryPivot / 100 * 100;
        if (year < m_centuryPivot)
            year += 100;
    }
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1)
        return false;
    value = static_cast<long double>(date.toJulianDay());
    pos = p;
    return true;
}

bool KeyFormat::scanTime(QStringView text, qsizetype& pos, long double& value) const
{
    qsizetype p = pos;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int length = 0;
    if (!scanDigits(text, p, hour, length) || !scanChar(text, p, m_timeSeparator)
        || !scanDigits(text, p, minute, length))
        return false;
    if (scanChar(text, p, m_timeSeparator)) {
        if (!scanDigits(text, p, second, length))
            return false;
        if (scanChar(text, p, u'.') || scanChar(text, p, m_decimalPoint)) {
            if (!scanDigits(text, p, millisecond, length) || length > 3)
                return false;
            for (; length < 3; ++length)
                millisecond *= 10;
        }
    }
    qsizetype afterTime = p;
    skipBlanks(text, p);
    int halfDay = -1;
    if (scanWord(text, p, m_amText) || scanWord(text, p, QStringLiteral("AM")))
        halfDay = 0;
    else if (scanWord(text, p, m_pmText) || scanWord(text, p, QStringLiteral("PM")))
        halfDay = 1;
    else
        p = afterTime;
    if (halfDay >= 0) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + 12 * halfDay;
    }
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    value = static_cast<long double>(((hour * 60 + minute) * 60 + second) * 1000 + millisecond)
        / 86400000.0L;
    pos = p;
    return true;
}

bool KeyFormat::tryTime(QStringView text, long double& value) const
{
    const QStringView s = text.trimmed();
    qsizetype pos = 0;
    long double time = 0;
    if (!scanTime(s, pos, time) || pos != s.size())
        return false;
    value = time;
    return true;
}

bool KeyFormat::tryDateTime(QStringView text, long double& value) const
{
    const QStringView s = text.trimmed();
    qsizetype pos = 0;
    long double date = 0;
    if (!scanDate(s, pos, date))
        return tryTime(s, value);
    if (pos == s.size()) {
        value = date;
        return true;
    }
    if (!s[pos].isSpace())
        return false;
    skipBlanks(s, pos);
    long double time = 0;
    if (!scanTime(s, pos, time) || pos != s.size())
        return false;
    value = date + time;
    return true;
}

int compareAsText(const QString& first, const QString& second)
{
    QCollator collator { QLocale() };
    collator.setCaseSensitivity(Qt::CaseSensitive);
    const int r = collator.compare(first, second);
    return (r > 0) - (r < 0);
}

int compareAsNumber(const QString& first, const QString& second)
{
    return compareConverted(first, second,
        [](const KeyFormat& f, const QString& t, long double& v) { return f.tryNumber(t, v); });
}

int compareAsDateTime(const QString& first, const QString& second)
{
    return compareConverted(first, second,
        [](const KeyFormat& f, const QString& t, long double& v) { return f.tryDateTime(t, v); });
}

int compareAsTime(const QString& first, const QString& second)
{
    return compareConverted(first, second,
        [](const KeyFormat& f, const QString& t, long double& v) { return f.tryTime(t, v); });
}

SortKeyKind guessKeyKind(
    qsizetype count, const std::function<QString(qsizetype)>& textAt, const KeyFormat& format)
{
    bool allNumbers = true;
    bool allDateTimes = true;
    bool allTimes = true;
    long double ignored = 0;
    for (qsizetype i = 0; i < count && (allNumbers || allDateTimes || allTimes); ++i) {
        const QString text = textAt(i);
        if (allNumbers && !format.tryNumber(text, ignored))
            allNumbers = false;
        if (allTimes && !format.tryTime(text, ignored))
            allTimes = false;
        if (allDateTimes && !format.tryDateTime(text, ignored))
            allDateTimes = false;
    }
    if (allNumbers)
        return skNumber;
    if (allDateTimes)
        return skDateTime;
    if (allTimes)
        return skTime;
    return skText;
}

std::vector<int> sortedKeyOrder(
    std::vector<QString>& keys, const SortOptions& options, const KeyFormat& format)
{
    // Registers repeat senders and subjects a lot: convert every distinct text once.
    QHash<QString, int> distinctIndex;
    distinctIndex.reserve(qsizetype(keys.size()));
    std::vector<QString> distinct;
    std::vector<int> keyToDistinct(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        auto it = distinctIndex.constFind(keys[i]);
        if (it == distinctIndex.cend()) {
            it = distinctIndex.insert(keys[i], int(distinct.size()));
            distinct.push_back(keys[i]);
        }
        keyToDistinct[i] = it.value();
    }
    if (!options.matchCase) {
        const QLocale locale;
        const AlphabetCollation& table = AlphabetCollation::forDefaultLocale();
        QString upper;
        for (QString& text : distinct) {
            if (table.toUpper(text, upper))
                text = upper;
            else
                text = locale.toUpper(text);
        }
        for (std::size_t i = 0; i < keys.size(); ++i)
            keys[i] = distinct[std::size_t(keyToDistinct[i])];
    }

    const bool descending = options.direction == sdDescending;
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);

    if (options.keyKind == skUserCompare && options.compare) {
        // A caller's comparison may not be a consistent order; a merge sort stays within bounds
        // whatever it answers.
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const int r = options.compare(keys[std::size_t(a)], keys[std::size_t(b)]);
            if (r == 0)
                return a < b;
            return descending ? r > 0 : r < 0;
        });
        return order;
    }

    std::vector<int> distinctRank;
    switch (options.keyKind) {
    case skNumber:
        distinctRank = convertedRanks(distinct,
            [&format](const QString& t, long double& v) { return format.tryNumber(t, v); });
        break;
    case skDateTime:
        distinctRank = convertedRanks(distinct,
            [&format](const QString& t, long double& v) { return format.tryDateTime(t, v); });
        break;
    case skTime:
        distinctRank = convertedRanks(
            distinct, [&format](const QString& t, long double& v) { return format.tryTime(t, v); });
        break;
    default:
        distinctRank = textRanks(distinct);
        break;
    }
    // Ranks are small integers: a counting sort places the keys, and keeps equal ones in their
    // previous order in both directions.
    const int rankCount = distinctRank.empty()
        ? 0
        : *std::max_element(distinctRank.begin(), distinctRank.end()) + 1;
    std::vector<int> start(std::size_t(rankCount) + 1, 0);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const int r = distinctRank[std::size_t(keyToDistinct[i])];
        ++start[std::size_t(descending ? rankCount - 1 - r : r) + 1];
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const int r = distinctRank[std::size_t(keyToDistinct[i])];
        order[std::size_t(start[std::size_t(descending ? rankCount - 1 - r : r)]++)] = int(i);
    }
    return order;
}

} // namespace kolvar::grid
