#pragma once

#include <QWidget>

class QPushButton;

namespace kolvar {
class Announcer;
}
namespace kolvar::calendar {
class MonthGrid;
}

// The calendar window: one month calendar, four buttons stepping a year or a month back and
// forth, and the selected date in the title bar. Fixed size, only minimise and close; closing
// hides it and keeps the date for the next showing.
class CalendarWindow : public QWidget
{
    Q_OBJECT
public:
    // Hidden until shown, centred on the screen, showing today.
    explicit CalendarWindow(QWidget* parent = nullptr);
    ~CalendarWindow() override;
    CalendarWindow(const CalendarWindow&) = delete;
    CalendarWindow& operator=(const CalendarWindow&) = delete;

    [[nodiscard]] kolvar::calendar::MonthGrid* monthGrid() const { return m_monthGrid; }
    [[nodiscard]] QPushButton* yearBackButton() const { return m_yearBackButton; }
    [[nodiscard]] QPushButton* monthBackButton() const { return m_monthBackButton; }
    [[nodiscard]] QPushButton* monthForwardButton() const { return m_monthForwardButton; }
    [[nodiscard]] QPushButton* yearForwardButton() const { return m_yearForwardButton; }

public slots:
    void showDateInTitle();
    void stepYearBack();
    void stepMonthBack();
    void stepMonthForward();
    void stepYearForward();

protected:
    // Page Up and Page Down step a month; Up and Down have the day reached said first.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void initialize();
    QPushButton* makeButton(const char* name, const QString& caption, int x, bool pointsRight);
    // The focus stays on the button pressed, so a screen reader hears the date it reached this
    // way; the title bar's short caption alone is not read out.
    void sayShownDate();

    kolvar::calendar::MonthGrid* m_monthGrid = nullptr;
    QPushButton* m_yearBackButton = nullptr;
    QPushButton* m_monthBackButton = nullptr;
    QPushButton* m_monthForwardButton = nullptr;
    QPushButton* m_yearForwardButton = nullptr;
    kolvar::Announcer* m_announcer = nullptr;
};
