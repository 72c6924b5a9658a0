#pragma once

#include <QWidget>

class QPushButton;

namespace kolvar {
class Announcer;
}
namespace kolvar::calendar {
class TCalendar;
}

// The calendar window: one month calendar, four buttons stepping a year or a month back and
// forth, and the selected date in the title bar. Fixed size, only minimise and close; closing
// hides it and keeps the date for the next showing.
class TCalendarBrowser : public QWidget
{
    Q_OBJECT
public:
    // Hidden until shown, centred on the screen, showing today.
    explicit TCalendarBrowser(QWidget* parent = nullptr);
    ~TCalendarBrowser() override;
    TCalendarBrowser(const TCalendarBrowser&) = delete;
    TCalendarBrowser& operator=(const TCalendarBrowser&) = delete;

    [[nodiscard]] kolvar::calendar::TCalendar* Calendar1() const { return m_Calendar1; }
    [[nodiscard]] QPushButton* BitBtn1() const { return m_BitBtn1; }
    [[nodiscard]] QPushButton* BitBtn2() const { return m_BitBtn2; }
    [[nodiscard]] QPushButton* BitBtn3() const { return m_BitBtn3; }
    [[nodiscard]] QPushButton* BitBtn4() const { return m_BitBtn4; }

public slots:
    void Calendar1Change();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();

private:
    void FormCreate();
    QPushButton* makeButton(const char* name, const QString& caption, int x, bool pointsRight);
    // The focus stays on the button pressed, so a screen reader hears the date it reached this
    // way; the title bar's short caption alone is not read out.
    void sayShownDate();

    kolvar::calendar::TCalendar* m_Calendar1 = nullptr;
    QPushButton* m_BitBtn1 = nullptr;
    QPushButton* m_BitBtn2 = nullptr;
    QPushButton* m_BitBtn3 = nullptr;
    QPushButton* m_BitBtn4 = nullptr;
    kolvar::Announcer* m_announcer = nullptr;
};
