#include "MonthLayout.h"

#include <QLocale>

#include <algorithm>
#include <array>

namespace kolvar::calendar {

namespace {

constexpr std::array<int, 12> CommonMonthLengths { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };

TodaySource& todaySource()
{
    static TodaySource source;
    return source;
}

// Modulo that never goes negative, for weekday arithmetic on any int.
int wrapWeekday(int value)
{
    const int r = value % DaysInWeek;
    return r < 0 ? r + DaysInWeek : r;
}

} // namespace

int monthLength(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    return CommonMonthLengths[size_t(month - 1)] + (month == 2 && yearIsLeap(year) ? 1 : 0);
}

int weekdayOf(const QDate& date)
{
    return date.dayOfWeek() % DaysInWeek;
}

int dayShiftFor(int year, int month, int startOfWeek)
{
    // k counts from the first weekday shown to the weekday *after* the first of the month, so
    // k = 0 is the month starting on the last column; plain subtraction would put its first
    // week into the day-name row.
    const int firstWeekday = weekdayOf(QDate(year, month, 1)) + 1;
    const int k = wrapWeekday(firstWeekday - startOfWeek);
    return k == 0 ? -5 : 2 - k;
}

QPoint cellOfDay(int day, int dayShift)
{
    const int position = day - dayShift;
    return { position % DaysInWeek, position / DaysInWeek + 1 };
}

int dayAtCell(int col, int row, int dayShift)
{
    return dayShift + col + (row - 1) * DaysInWeek;
}

int weekdayOfColumn(int col, int startOfWeek)
{
    return wrapWeekday(col + startOfWeek);
}

QString shortDayName(int weekday, const QLocale& locale)
{
    // Qt counts 1 = Monday .. 7 = Sunday.
    const int qtDay = weekday == 0 ? 7 : weekday;
    return locale.standaloneDayName(qtDay, QLocale::ShortFormat);
}

QDate steppedMonth(const QDate& date, int step)
{
    const int year = date.year();
    const int month = date.month();
    // Step off the month's edge rather than from the day itself: from the 31st one month on
    // would otherwise skip a short month altogether.
    const int edge = step > 0 ? monthLength(year, month) : 1;
    const QDate neighbour = QDate(year, month, edge).addDays(step);
    const int length = monthLength(neighbour.year(), neighbour.month());
    return { neighbour.year(), neighbour.month(), std::min(date.day(), length) };
}

QString dateCaption(const QDate& date, const QLocale& locale)
{
    return QStringLiteral("%1 %2, %3")
        .arg(locale.standaloneMonthName(date.month(), QLocale::LongFormat))
        .arg(date.day())
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

void setTodaySource(TodaySource source)
{
    todaySource() = std::move(source);
}

QDate today()
{
    const TodaySource& source = todaySource();
    return source ? source() : QDate::currentDate();
}

} // namespace kolvar::calendar
