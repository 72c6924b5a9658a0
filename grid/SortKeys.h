#pragma once

#include <QChar>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace kolvar::grid {

// How the texts of a column are compared when the grid sorts by it.
enum SortKeyKind : std::uint8_t {
    skDetect = 0,
    skText = 1,
    skNumber = 2,
    skDateTime = 3,
    skTime = 4,
    skUserCompare = 5,
};

enum SortDirection { sdAscending, sdDescending };

using CompareFunction = std::function<int(const QString& first, const QString& second)>;

struct SortOptions
{
    SortKeyKind keyKind = skDetect;
    SortDirection direction = sdAscending;
    bool matchCase = false;
    CompareFunction compare;
};

// The locale's way of writing numbers, dates and times, read once per sort rather than once per
// key. One conversion serves both detecting a column's key kind and comparing its keys, so a
// column detected as numbers can never meet a key that fails to convert.
class KeyFormat
{
public:
    explicit KeyFormat(const QLocale& locale = QLocale());

    // A number with the locale's decimal separator: blanks around, sign, digits, fraction,
    // exponent. No group separators.
    [[nodiscard]] bool tryNumber(QStringView text, long double& value) const;
    // A date in the locale's short-date order (a first field of more than two digits is a year,
    // so year-first dates read everywhere), optionally followed by a time; or a time alone.
    // The value is the Julian day plus the fraction of the day.
    [[nodiscard]] bool tryDateTime(QStringView text, long double& value) const;
    // Hours and minutes, optional seconds and milliseconds, optional AM/PM; the fraction of a day.
    [[nodiscard]] bool tryTime(QStringView text, long double& value) const;

    enum class DateOrder { DMY, MDY, YMD };
    [[nodiscard]] DateOrder dateOrder() const { return m_dateOrder; }
    [[nodiscard]] QChar dateSeparator() const { return m_dateSeparator; }

private:
    [[nodiscard]] bool scanDate(QStringView text, qsizetype& pos, long double& value) const;
    [[nodiscard]] bool scanTime(QStringView text, qsizetype& pos, long double& value) const;

    QChar m_decimalPoint;
    QChar m_dateSeparator;
    QChar m_timeSeparator;
    DateOrder m_dateOrder = DateOrder::DMY;
    QString m_amText;
    QString m_pmText;
    int m_centuryPivot = 0; // first year a two-digit year can stand for
};

// Each returns -1, 0 or 1. A key that does not convert makes the pair equal.
[[nodiscard]] int compareAsText(const QString& first, const QString& second);
[[nodiscard]] int compareAsNumber(const QString& first, const QString& second);
[[nodiscard]] int compareAsDateTime(const QString& first, const QString& second);
[[nodiscard]] int compareAsTime(const QString& first, const QString& second);

// The key kind every one of count texts converts to: numbers before date-times before times,
// text when neither; numbers when there are no texts at all.
[[nodiscard]] SortKeyKind guessKeyKind(
    qsizetype count, const std::function<QString(qsizetype)>& textAt, const KeyFormat& format);

// Sorts keys (upper-cased in place first when the options do not match case) and returns the
// indices of the keys in their sorted order. Equal keys keep their index order in both
// directions. Text keys are compared through collation keys computed once per distinct text,
// so a sort costs one collation key per distinct text plus integer comparisons.
// skDetect sorts as text; skUserCompare needs a compare.
[[nodiscard]] std::vector<int> sortedKeyOrder(
    std::vector<QString>& keys, const SortOptions& options, const KeyFormat& format);

} // namespace kolvar::grid
