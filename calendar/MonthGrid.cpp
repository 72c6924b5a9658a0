#include "MonthGrid.h"

#include "MonthLayout.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace kolvar::calendar {

namespace {

constexpr int YearPart = 1;
constexpr int MonthPart = 2;
constexpr int DayPart = 3;

// Clears a flag however the scope is left.
class FlagGuard
{
public:
    explicit FlagGuard(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~FlagGuard() { m_flag = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
};

} // namespace

MonthGrid::MonthGrid(QWidget* parent)
    : grid::CustomGrid(parent)
{
    setFixedCols(0);
    setFixedRows(1);
    setColCount(DaysInWeek);
    setRowCount(WeekRows + 1);
    setScrollBars(grid::ScrollStyle::ssNone);
    setOptions(grid::goFixedVertLine | grid::goFixedHorzLine | grid::goVertLine | grid::goHorzLine
        | grid::goDrawFocusSelected);
    m_shownDate = today();
    rebuildMonth();
}

MonthGrid::~MonthGrid() = default;

void MonthGrid::setShownDate(const QDate& date)
{
    m_shownDate = date;
    rebuildMonth();
    notifyChange();
}

int MonthGrid::datePart(int index) const
{
    switch (index) {
    case YearPart:
        return m_shownDate.year();
    case MonthPart:
        return m_shownDate.month();
    case DayPart:
        return m_shownDate.day();
    default:
        return -1;
    }
}

void MonthGrid::setDatePart(int index, int value)
{
    if (value < 1)
        return;
    int year = m_shownDate.year();
    int month = m_shownDate.month();
    int day = m_shownDate.day();
    switch (index) {
    case YearPart:
        if (value == year)
            return;
        year = value;
        break;
    case MonthPart:
        if (value > 12 || value == month)
            return;
        month = value;
        break;
    case DayPart:
        if (value > daysInShownMonth() || value == day)
            return;
        day = value;
        break;
    default:
        return;
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return;
    m_shownDate = date;
    // Stored directly: switching it off must not re-read today's date.
    m_useCurrentDate = false;
    rebuildMonth();
    notifyChange();
}

void MonthGrid::setStartOfWeek(int value)
{
    if (value < 0 || value >= DaysInWeek || value == m_startOfWeek)
        return;
    m_startOfWeek = value;
    rebuildMonth();
}

void MonthGrid::setUseCurrentDate(bool value)
{
    if (value == m_useCurrentDate)
        return;
    m_useCurrentDate = value;
    if (value) {
        m_shownDate = today();
        rebuildMonth();
    }
}

void MonthGrid::stepMonth(int step)
{
    setShownDate(steppedMonth(m_shownDate, step));
}

void MonthGrid::yearForward()
{
    if (isLeapYear(year()) && month() == 2 && day() == 29)
        setDay(28);
    setYear(year() + 1);
}

void MonthGrid::yearBack()
{
    if (isLeapYear(year()) && month() == 2 && day() == 29)
        setDay(28);
    setYear(year() - 1);
}

int MonthGrid::daysInMonth(int year, int month) const
{
    return monthLength(year, month);
}

int MonthGrid::daysInShownMonth() const
{
    return daysInMonth(year(), month());
}

bool MonthGrid::isLeapYear(int year) const
{
    return yearIsLeap(year);
}

void MonthGrid::rebuildMonth()
{
    // While set, selectCell lets the current cell move even with readOnly.
    const FlagGuard rebuilding(m_rebuilding);
    m_dayShift = dayShiftFor(m_shownDate.year(), m_shownDate.month(), m_startOfWeek);
    const QPoint cell = cellOfDay(m_shownDate.day(), m_dayShift);
    // setSelection keeps the whole selection on the one cell and raises no click, so laying out
    // a month never reads back as the user picking a day. The view must not scroll either.
    const int top = topRow();
    const int left = leftCol();
    setSelection({ cell.x(), cell.y(), cell.x(), cell.y() });
    setTopRow(top);
    setLeftCol(left);
    invalidateGrid();
    // Another day of the same month leaves every cell's text as it was: dropping the cells would
    // leave a screen reader with the day it was just told about already gone, and it says
    // nothing. Only a new month (or week start) gives the cells new texts.
    const MonthShown shown { m_shownDate.year(), m_shownDate.month(), m_startOfWeek };
    if (shown != m_monthShown) {
        m_monthShown = shown;
        announceReset();
    }
}

QString MonthGrid::accessibleText(int col, int row) const
{
    // A reader hears the whole date and the weekday in full, not a bare "8" under "wt.".
    const QLocale locale;
    if (row == 0) {
        const int weekday = weekdayOfColumn(col, m_startOfWeek);
        return locale.standaloneDayName(weekday == 0 ? 7 : weekday);
    }
    const int day = dayAtCell(col, row, m_dayShift);
    if (day < 1 || day > daysInShownMonth())
        return {};
    const QDate date(m_shownDate.year(), m_shownDate.month(), day);
    return locale.toString(date, QStringLiteral("dddd, d MMMM yyyy"));
}

QString MonthGrid::cellCaption(int col, int row) const
{
    if (row == 0)
        return shortDayName(weekdayOfColumn(col, m_startOfWeek), QLocale());
    const int day = dayAtCell(col, row, m_dayShift);
    if (day < 1 || day > daysInShownMonth())
        return {};
    return QString::number(day);
}

void MonthGrid::notifyChange()
{
    if (onChange)
        onChange();
}

void MonthGrid::drawCell(int col, int row, const QRect& rect, grid::GridDrawState state)
{
    grid::CustomGrid::drawCell(col, row, rect, state);
    QPainter* painter = canvas().painter;
    const QString text = cellCaption(col, row);
    if (!painter || text.isEmpty())
        return;
    const QFontMetrics metrics(canvas().font);
    const int x = rect.left() + (rect.width() - metrics.horizontalAdvance(text)) / 2;
    const int y = rect.top() + (rect.height() - metrics.height()) / 2;
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->setFont(canvas().font);
    painter->setPen(canvas().fontColor);
    painter->drawText(QPoint(x, y + metrics.ascent()), text);
    painter->restore();
}

bool MonthGrid::selectCell(int col, int row)
{
    if (m_readOnly && !m_rebuilding)
        return false;
    if (cellCaption(col, row).isEmpty())
        return false;
    return grid::CustomGrid::selectCell(col, row);
}

void MonthGrid::click()
{
    grid::CustomGrid::click();
    const QString caption = cellCaption(col(), row());
    if (!caption.isEmpty())
        setDay(caption.toInt());
}

void MonthGrid::aboutToAnnounceCurrent()
{
    if (const auto say = std::exchange(m_sayFirst, {}))
        say(accessibleText(col(), row()));
}

void MonthGrid::resizeEvent(QResizeEvent* event)
{
    grid::CustomGrid::resizeEvent(event);
    // Every column and row takes an equal share of the client area, day names included.
    const QSize client = viewport()->size();
    const int lines = (DaysInWeek - 1) * gridLineWidth();
    setDefaultColWidth(std::max(0, (client.width() - lines) / DaysInWeek));
    setDefaultRowHeight(std::max(0, (client.height() - lines) / (WeekRows + 1)));
}

} // namespace kolvar::calendar
