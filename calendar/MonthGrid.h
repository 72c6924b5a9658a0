#pragma once

#include "CustomGrid.h"

#include <QDate>
#include <QString>

#include <functional>

namespace kolvar::calendar {

// A month on a 7×7 grid: the day names in row 0, the weeks in rows 1 to 6, one selected date.
// The user moves the selection with the mouse or the arrow keys, but only onto the days of the
// shown month; the date operations below step by day, month and year.
//
// Writing Month or Year so that the selected day does not exist in the target month (Month := 4
// on the 31st) changes nothing and raises nothing: the date, UseCurrentDate and the grid stay as
// they were and OnChange is not called. This happens inside event handlers, where an exception
// has nowhere useful to go; StepMonth and YearForward/YearBack never get there, as they clamp
// the day first.
class TCalendar : public grid::CustomGrid
{
    Q_OBJECT
public:
    // Shows the month of today with today selected; raises no OnChange.
    explicit TCalendar(QWidget* parent = nullptr);
    ~TCalendar() override;

    [[nodiscard]] QDate ShownDate() const { return m_shownDate; }
    void SetShownDate(const QDate& date);

    // The parts of ShownDate: index 1 the year, 2 the month, 3 the day; -1 for any other index.
    [[nodiscard]] int GetDatePart(int index) const;
    // Values below 1, a month above 12, a day past the month's end and the value already held are
    // ignored. Any other write turns UseCurrentDate off and raises OnChange.
    void SetDatePart(int index, int value);
    [[nodiscard]] int Day() const { return GetDatePart(3); }
    void SetDay(int value) { SetDatePart(3, value); }
    [[nodiscard]] int Month() const { return GetDatePart(2); }
    void SetMonth(int value) { SetDatePart(2, value); }
    [[nodiscard]] int Year() const { return GetDatePart(1); }
    void SetYear(int value) { SetDatePart(1, value); }

    // The weekday of the first column, 0 = Sunday .. 6 = Saturday; other values are ignored.
    [[nodiscard]] int StartOfWeek() const { return m_startOfWeek; }
    void SetStartOfWeek(int value);
    // Switching it on takes today's date (without OnChange); every write of Day, Month or Year
    // switches it off.
    [[nodiscard]] bool UseCurrentDate() const { return m_useCurrentDate; }
    void SetUseCurrentDate(bool value);
    // The user cannot move the selection; the date operations still can.
    [[nodiscard]] bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value) { m_readOnly = value; }

    // Called after every change of ShownDate made through the date operations or a click; the
    // calendar is the sender, so the handler does not get it.
    std::function<void()> OnChange;

    // One month on (step > 0) or back, keeping the day unless the target month is shorter.
    void StepMonth(int step);
    void MonthForward() { StepMonth(1); }
    void MonthBack() { StepMonth(-1); }
    // 29 February first becomes 28 February (with its own OnChange), so the year always exists.
    void YearForward();
    void YearBack();

    [[nodiscard]] virtual int MonthLength(int year, int month) const;
    [[nodiscard]] virtual int CurrentMonthLength() const;
    [[nodiscard]] virtual bool YearIsLeap(int year) const;
    // Lays out the month of ShownDate and puts the current cell on its day.
    virtual void RebuildMonth();

    // A day name in row 0, a day number in the week rows, empty for cells outside the month.
    [[nodiscard]] QString CellCaption(int col, int row) const;
    // The full weekday name in row 0 and the full date ("wtorek, 8 grudnia 2026") in the weeks.
    [[nodiscard]] QString accessibleText(int col, int row) const override;

    // The day number column 0 of week row 1 stands for (-5..1).
    [[nodiscard]] int DayShift() const { return m_dayShift; }

protected:
    virtual void NotifyChange();

    void drawCell(int col, int row, const QRect& rect, grid::GridDrawState state) override;
    bool selectCell(int col, int row) override;
    void click() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct MonthShown
    {
        int year = 0;
        int month = 0;
        int startOfWeek = -1;
        bool operator==(const MonthShown&) const = default;
    };

    QDate m_shownDate;
    MonthShown m_monthShown;
    int m_dayShift = 0;
    int m_startOfWeek = 0;
    bool m_readOnly = false;
    bool m_rebuilding = false;
    bool m_useCurrentDate = true;
};

} // namespace kolvar::calendar
