#include "Announcer.h"
#include "CalendarWindow.h"
#include "MonthGrid.h"
#include "MonthLayout.h"
#include "StepGlyph.h"

#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace kolvar::calendar;

namespace {

// The column inside a button's frame with the most dark pixels: the triangle's base, which
// stands taller than any stroke of the caption.
int tallestDarkColumn(const QImage& image)
{
    constexpr int frame = 3;
    int best = -1;
    int bestCount = 0;
    for (int x = frame; x < image.width() - frame; ++x) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            count += qGray(image.pixel(x, y)) < 64 && qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        if (count > bestCount) {
            best = x;
            bestCount = count;
        }
    }
    return best;
}

} // namespace

class tst_CalendarWindow : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<CalendarWindow> m_window;

    [[nodiscard]] QPushButton* button(const char* name) const
    {
        return m_window->findChild<QPushButton*>(QLatin1String(name));
    }

private slots:
    void init()
    {
        setTodaySource([] { return QDate(2026, 12, 6); });
        m_window = std::make_unique<CalendarWindow>();
    }
    void cleanup()
    {
        m_window.reset();
        setTodaySource({});
    }

    void isLaidOutAsDesigned()
    {
        QCOMPARE(m_window->minimumSize(), QSize(610, 266));
        QCOMPARE(m_window->maximumSize(), QSize(610, 266));
        QVERIFY(m_window->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!m_window->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(m_window->palette().color(QPalette::Window), QColor(Qt::blue));
        QCOMPARE(m_window->font().pixelSize(), 16);
        QVERIFY(m_window->font().bold());

        auto* calendar = m_window->findChild<MonthGrid*>(QStringLiteral("monthGrid"));
        QVERIFY(calendar);
        QCOMPARE(calendar->geometry(), QRect(0, 0, 610, 206));
        QCOMPARE(calendar->color(), QColor(Qt::yellow));
        QCOMPARE(calendar->gridLineWidth(), 2);
        QCOMPARE(calendar->startOfWeek(), 0);
        QVERIFY(!calendar->useCurrentDate());
        QCOMPARE(calendar->shownDate(), QDate(2026, 12, 6));

        const struct
        {
            const char* name;
            int x;
            const char* caption;
            Qt::LayoutDirection direction;
        } buttons[] = { { "yearBackButton", 24, "Rok", Qt::LeftToRight },
            { "monthBackButton", 160, "Miesiąc", Qt::LeftToRight },
            { "monthForwardButton", 321, "Miesiąc", Qt::RightToLeft },
            { "yearForwardButton", 466, "Rok", Qt::RightToLeft } };
        for (const auto& expected : buttons) {
            QPushButton* b = button(expected.name);
            QVERIFY2(b, expected.name);
            QCOMPARE(b->geometry(), QRect(expected.x, 218, 120, 32));
            QCOMPARE(b->text(), QString::fromUtf8(expected.caption));
            QCOMPARE(b->layoutDirection(), expected.direction);
            QCOMPARE(b->iconSize(), QSize(20, 20));
        }
    }

    void titleShowsTheDateFromTheStart()
    {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("grudzień 6, 2026"));
    }

    // The button keeps the focus, so the date reached is also said to a screen reader in full.
    void buttonsStepTheDate_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("heard");
        QTest::newRow("year back from 29 February") << QDate(2024, 2, 29) << "yearBackButton"
                                                    << "luty 28, 2023"
                                                    << "wtorek, 28 lutego 2023";
        QTest::newRow("month back from 31 March") << QDate(2026, 3, 31) << "monthBackButton"
                                                  << "luty 28, 2026"
                                                  << "sobota, 28 lutego 2026";
        QTest::newRow("month forward from 31 January, leap")
            << QDate(2024, 1, 31) << "monthForwardButton"
            << "luty 29, 2024"
            << "czwartek, 29 lutego 2024";
        QTest::newRow("year forward") << QDate(2026, 12, 6) << "yearForwardButton"
                                      << "grudzień 6, 2027"
                                      << "poniedziałek, 6 grudnia 2027";
    }
    void buttonsStepTheDate()
    {
        QFETCH(QDate, start);
        QFETCH(QString, button);
        QFETCH(QString, title);
        QFETCH(QString, heard);
        m_window->monthGrid()->setShownDate(start);
        QTest::mouseClick(this->button(button.toLatin1().constData()), Qt::LeftButton);
        QCOMPARE(m_window->windowTitle(), title);
        const auto* announcer = m_window->findChild<kolvar::Announcer*>();
        QVERIFY(announcer);
        QCOMPARE(announcer->text(), heard);
    }

    // From the days themselves: Page Up and Page Down step a month, said in full as the buttons
    // do; Escape closes the calendar as it closes a dialog, keeping the date.
    void keysOfTheDaysStepAndClose_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("heard");
        QTest::addColumn<bool>("open");
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << "styczeń 6, 2027"
                                   << "środa, 6 stycznia 2027" << true;
        QTest::newRow("Page Up") << int(Qt::Key_PageUp) << "listopad 6, 2026"
                                 << "piątek, 6 listopada 2026" << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << "grudzień 6, 2026" << "" << false;
    }
    void keysOfTheDaysStepAndClose()
    {
        QFETCH(int, key);
        QFETCH(QString, title);
        QFETCH(QString, heard);
        QFETCH(bool, open);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_window->monthGrid()->setFocus();
        QTest::keyClick(m_window->monthGrid(), Qt::Key(key));
        QCOMPARE(m_window->windowTitle(), title);
        QCOMPARE(m_window->findChild<kolvar::Announcer*>()->text(), heard);
        QCOMPARE(m_window->isVisible(), open);
        QVERIFY(m_window->monthGrid()->hasFocus() || !open);
    }

    void clickedDayReachesTheTitle()
    {
        m_window->show();
        MonthGrid* calendar = m_window->monthGrid();
        // December 2026 starts on a Tuesday: column 2 of week row 1 is the 1st.
        QTest::mouseClick(
            calendar->viewport(), Qt::LeftButton, {}, calendar->cellRect(2, 1).center());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("grudzień 1, 2026"));
    }

    void closingHidesAndKeepsTheDate()
    {
        m_window->show();
        m_window->stepMonthForward();
        QVERIFY(m_window->close());
        QVERIFY(m_window->isHidden());
        m_window->show();
        QCOMPARE(m_window->monthGrid()->shownDate(), QDate(2027, 1, 6));
    }

    void arrowsPointAwayFromTheCaption()
    {
        QCOMPARE(stepGlyph(true).toImage(), stepGlyph(false).toImage().mirrored(true, false));
        m_window->show();
        for (const char* name : { "yearBackButton", "monthBackButton" })
            QVERIFY2(tallestDarkColumn(button(name)->grab().toImage()) < 60, name);
        for (const char* name : { "monthForwardButton", "yearForwardButton" })
            QVERIFY2(tallestDarkColumn(button(name)->grab().toImage()) > 60, name);
    }
};

QTEST_MAIN(tst_CalendarWindow)
#include "tst_calendarwindow.moc"
