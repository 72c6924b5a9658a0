#pragma once

#include <QDate>
#include <QPoint>
#include <QString>

#include <functional>

class QLocale;

// How a month is laid out on the calendar's 7×7 grid: row 0 holds the day names, rows 1 to 6 the
// weeks. Everything here is arithmetic on dates and cells, so it is tested without a window.
//
// Weekdays count 0 = Sunday to 6 = Saturday, as the calendar's startOfWeek does (QDate's own
// dayOfWeek counts 1 = Monday to 7 = Sunday).
namespace kolvar::calendar {

inline constexpr int DaysInWeek = 7;
inline constexpr int WeekRows = 6;

// Divisible by 4 and either not by 100 or by 400. The remainders keep their sign, so years before
// the common era follow the same rule (QDate, which has no year 0, would shift them by one).
[[nodiscard]] constexpr bool yearIsLeap(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Days in a month of a year; 0 for a month outside 1..12.
[[nodiscard]] int monthLength(int year, int month);

// The weekday of a date, 0 = Sunday .. 6 = Saturday.
[[nodiscard]] int weekdayOf(const QDate& date);

// The day number column 0 of week row 1 stands for, -5..1: the first of the month lands in week
// row 1, never in the day-name row, even when it falls on the last column.
[[nodiscard]] int dayShiftFor(int year, int month, int startOfWeek);

// The cell (x = column, y = row) where a day of the month sits.
[[nodiscard]] QPoint cellOfDay(int day, int dayShift);

// The day number a week-row cell stands for. It may lie outside the month (below 1 or past its
// length): such cells stay blank.
[[nodiscard]] int dayAtCell(int col, int row, int dayShift);

// The weekday (0 = Sunday) a column shows in the day-name row.
[[nodiscard]] int weekdayOfColumn(int col, int startOfWeek);

// The abbreviated name of a weekday (0 = Sunday) in a locale: "niedz.", "pon." in Polish.
[[nodiscard]] QString shortDayName(int weekday, const QLocale& locale);

// The same day in the neighbouring month (step > 0: the next, else the previous), or that
// month's last day when it is shorter: 31 January gives 28 or 29 February.
[[nodiscard]] QDate steppedMonth(const QDate& date, int step);

// A date as the window's caption shows it: month name, day without a leading zero, a comma and
// a blank, four-digit year ("December 6, 2026", "grudzień 6, 2026"). The month name is the
// nominative one the locale lists months by; the genitive ("grudnia") belongs after a day
// number and reads wrong in front of it.
[[nodiscard]] QString dateCaption(const QDate& date, const QLocale& locale);

// Where "today" comes from. Tests pin it to a fixed day; an empty function restores the clock.
using TodaySource = std::function<QDate()>;
void setTodaySource(TodaySource source);
[[nodiscard]] QDate today();

} // namespace kolvar::calendar
