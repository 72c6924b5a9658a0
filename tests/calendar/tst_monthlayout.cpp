#include "MonthLayout.h"

#include <QLocale>
#include <QtTest>

using namespace kolvar::calendar;

class tst_MonthLayout : public QObject
{
    Q_OBJECT
private slots:
    void leapYearsFollowTheCenturyRule_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<bool>("leap");
        QTest::addColumn<int>("february");
        QTest::newRow("1900 is not leap") << 1900 << false << 28;
        QTest::newRow("2000 is leap") << 2000 << true << 29;
        QTest::newRow("2024 is leap") << 2024 << true << 29;
        QTest::newRow("2026 is not leap") << 2026 << false << 28;
        QTest::newRow("-4 is leap, as QDate's -5 would be") << -4 << true << 29;
        QTest::newRow("-100 is not leap") << -100 << false << 28;
    }
    void leapYearsFollowTheCenturyRule()
    {
        QFETCH(int, year);
        QFETCH(bool, leap);
        QFETCH(int, february);
        QCOMPARE(yearIsLeap(year), leap);
        QCOMPARE(monthLength(year, 2), february);
        QCOMPARE(monthLength(year, 4), 30);
        QCOMPARE(monthLength(year, 12), 31);
    }

    void firstDayNeverLandsInTheDayNameRow_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("startOfWeek");
        QTest::addColumn<int>("dayShift");
        QTest::newRow("1 March 2026 is a Sunday, week from Sunday") << 2026 << 3 << 0 << 1;
        QTest::newRow("1 June 2026 is a Monday, week from Monday") << 2026 << 6 << 1 << 1;
        QTest::newRow("1 August 2026 is a Saturday, week from Sunday") << 2026 << 8 << 0 << -5;
        QTest::newRow("1 March 2026 is a Sunday, week from Monday") << 2026 << 3 << 1 << -5;
        QTest::newRow("1 May 2026 is a Friday, week from Sunday") << 2026 << 5 << 0 << -4;
    }
    void firstDayNeverLandsInTheDayNameRow()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, startOfWeek);
        QFETCH(int, dayShift);
        QCOMPARE(dayShiftFor(year, month, startOfWeek), dayShift);
    }

    void daysSitUnderTheirWeekdays_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QPoint>("cell");
        QTest::newRow("1 March 2026") << 3 << 1 << QPoint(0, 1);
        QTest::newRow("31 March 2026") << 3 << 31 << QPoint(2, 5);
        QTest::newRow("1 May 2026") << 5 << 1 << QPoint(5, 1);
        QTest::newRow("31 May 2026") << 5 << 31 << QPoint(0, 6);
    }
    void daysSitUnderTheirWeekdays()
    {
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QPoint, cell);
        const int shift = dayShiftFor(2026, month, 0);
        QCOMPARE(cellOfDay(day, shift), cell);
        QCOMPARE(dayAtCell(cell.x(), cell.y(), shift), day);
    }

    // Every day of two years, from every first weekday: the cell shows the day, lies in the week
    // rows and sits under the day name of its own weekday.
    void everyDayMapsToItsOwnCell()
    {
        for (int start = 0; start < DaysInWeek; ++start) {
            for (QDate date(2023, 1, 1); date.year() < 2025; date = date.addDays(1)) {
                const int shift = dayShiftFor(date.year(), date.month(), start);
                const QPoint cell = cellOfDay(date.day(), shift);
                QVERIFY(cell.y() >= 1 && cell.y() <= WeekRows);
                QCOMPARE(dayAtCell(cell.x(), cell.y(), shift), date.day());
                QCOMPARE(weekdayOfColumn(cell.x(), start), weekdayOf(date));
            }
        }
    }

    void stepKeepsTheDayOrClampsIt_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<int>("step");
        QTest::addColumn<QDate>("to");
        QTest::newRow("31 January, forward") << QDate(2026, 1, 31) << 1 << QDate(2026, 2, 28);
        QTest::newRow("31 January, forward, leap") << QDate(2024, 1, 31) << 1 << QDate(2024, 2, 29);
        QTest::newRow("31 March, back") << QDate(2026, 3, 31) << -1 << QDate(2026, 2, 28);
        QTest::newRow("31 March, back, leap") << QDate(2024, 3, 31) << -1 << QDate(2024, 2, 29);
        QTest::newRow("30 April, forward") << QDate(2026, 4, 30) << 1 << QDate(2026, 5, 30);
        QTest::newRow("31 December, forward") << QDate(2026, 12, 31) << 1 << QDate(2027, 1, 31);
        QTest::newRow("1 January, back") << QDate(2026, 1, 1) << -1 << QDate(2025, 12, 1);
    }
    void stepKeepsTheDayOrClampsIt()
    {
        QFETCH(QDate, from);
        QFETCH(int, step);
        QFETCH(QDate, to);
        QCOMPARE(steppedMonth(from, step), to);
    }

    void captionsReadInTheLocale()
    {
        QCOMPARE(dateCaption(QDate(2026, 12, 6), QLocale()), QStringLiteral("grudzień 6, 2026"));
        QCOMPARE(dateCaption(QDate(999, 3, 5), QLocale()), QStringLiteral("marzec 5, 0999"));
        QCOMPARE(dateCaption(QDate(2026, 12, 6), QLocale(QLocale::English)),
            QStringLiteral("December 6, 2026"));
        QCOMPARE(shortDayName(0, QLocale()), QStringLiteral("niedz."));
        QCOMPARE(shortDayName(1, QLocale()), QStringLiteral("pon."));
        QCOMPARE(shortDayName(6, QLocale()), QStringLiteral("sob."));
    }
};

QTEST_APPLESS_MAIN(tst_MonthLayout)
#include "tst_monthlayout.moc"
