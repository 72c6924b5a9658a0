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
// on the 31st) changes nothing and raises nothing: the date, useCurrentDate and the grid stay as
// they were and onChange is not called. This happens inside event handlers, where an exception
// has nowhere useful to go; stepMonth and yearForward/yearBack never get there, as they clamp
// the day first.
class MonthGrid : public grid::CustomGrid
{
    Q_OBJECT
public:
    // Shows the month of today with today selected; raises no onChange.
    explicit MonthGrid(QWidget* parent = nullptr);
    ~MonthGrid() override;

    [[nodiscard]] QDate shownDate() const { return m_shownDate; }
    void setShownDate(const QDate& date);

    // The parts of shownDate: index 1 the year, 2 the month, 3 the day; -1 for any other index.
    [[nodiscard]] int datePart(int index) const;
    // Values below 1, a month above 12, a day past the month's end and the value already held are
    // ignored. Any other write turns useCurrentDate off and raises onChange.
    void setDatePart(int index, int value);
    [[nodiscard]] int day() const { return datePart(3); }
    void setDay(int value) { setDatePart(3, value); }
    [[nodiscard]] int month() const { return datePart(2); }
    void setMonth(int value) { setDatePart(2, value); }
    [[nodiscard]] int year() const { return datePart(1); }
    void setYear(int value) { setDatePart(1, value); }

    // The weekday of the first column, 0 = Sunday .. 6 = Saturday; other values are ignored.
    [[nodiscard]] int startOfWeek() const { return m_startOfWeek; }
    void setStartOfWeek(int value);
    // Switching it on takes today's date (without onChange); every write of Day, Month or Year
    // switches it off.
    [[nodiscard]] bool useCurrentDate() const { return m_useCurrentDate; }
    void setUseCurrentDate(bool value);
    // The user cannot move the selection; the date operations still can.
    [[nodiscard]] bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool value) { m_readOnly = value; }

    // Called after every change of shownDate made through the date operations or a click; the
    // calendar is the sender, so the handler does not get it.
    std::function<void()> onChange;

    // One month on (step > 0) or back, keeping the day unless the target month is shorter.
    void stepMonth(int step);
    void monthForward() { stepMonth(1); }
    void monthBack() { stepMonth(-1); }
    // 29 February first becomes 28 February (with its own onChange), so the year always exists.
    void yearForward();
    void yearBack();

    [[nodiscard]] virtual int daysInMonth(int year, int month) const;
    [[nodiscard]] virtual int daysInShownMonth() const;
    [[nodiscard]] virtual bool isLeapYear(int year) const;
    // Lays out the month of shownDate and puts the current cell on its day.
    virtual void rebuildMonth();

    // A day name in row 0, a day number in the week rows, empty for cells outside the month.
    [[nodiscard]] QString cellCaption(int col, int row) const;
    // The full weekday name in row 0 and the full date ("wtorek, 8 grudnia 2026") in the weeks.
    [[nodiscard]] QString accessibleText(int col, int row) const override;

    // Has say called with the full date of the next day reached (see accessibleText) before that
    // day is told to assistive tools, once; an empty say drops it. A screen reader reads a whole
    // week when a key moves to another week, and the day reached would be lost in it.
    void sayFirstWhenReached(std::function<void(const QString& day)> say)
    {
        m_sayFirst = std::move(say);
    }

    // The day number column 0 of week row 1 stands for (-5..1).
    [[nodiscard]] int dayShift() const { return m_dayShift; }

protected:
    virtual void notifyChange();

    void drawCell(int col, int row, const QRect& rect, grid::GridDrawState state) override;
    bool selectCell(int col, int row) override;
    void click() override;
    void resizeEvent(QResizeEvent* event) override;
    void aboutToAnnounceCurrent() override;

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
    std::function<void(const QString& day)> m_sayFirst;
    int m_dayShift = 0;
    int m_startOfWeek = 0;
    bool m_readOnly = false;
    bool m_rebuilding = false;
    bool m_useCurrentDate = true;
};

} // namespace kolvar::calendar
