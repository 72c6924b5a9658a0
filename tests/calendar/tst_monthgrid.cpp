#include "MonthGrid.h"
#include "MonthLayout.h"

#include <QAccessible>
#include <QtTest>

#include <memory>

using namespace kolvar::calendar;

using DateList = QList<QDate>;
using KeyList = QList<int>;

class tst_MonthGrid : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<MonthGrid> m_calendar;
    DateList m_changes; // shownDate at every onChange

    // A calendar on screen at the window's size, showing `date`, with onChange recorded from
    // then on.
    MonthGrid& shown(const QDate& date)
    {
        m_calendar = std::make_unique<MonthGrid>();
        m_calendar->setGridLineWidth(2);
        m_calendar->resize(610, 206);
        m_calendar->show();
        m_calendar->setShownDate(date);
        m_calendar->onChange = [this] { m_changes << m_calendar->shownDate(); };
        return *m_calendar;
    }
    [[nodiscard]] QPoint currentCell() const { return { m_calendar->col(), m_calendar->row() }; }
    void clickCell(const QPoint& cell)
    {
        QTest::mouseClick(m_calendar->viewport(), Qt::LeftButton, {},
            m_calendar->cellRect(cell.x(), cell.y()).center());
    }

private slots:
    void init()
    {
        setTodaySource([] { return QDate(2026, 5, 13); });
        m_changes.clear();
    }
    void cleanup()
    {
        m_calendar.reset();
        setTodaySource({});
    }

    void startsOnTodayInItsMonth()
    {
        const MonthGrid calendar;
        QCOMPARE(calendar.shownDate(), QDate(2026, 5, 13));
        QVERIFY(calendar.useCurrentDate());
        QCOMPARE(QPoint(calendar.col(), calendar.row()), QPoint(3, 3));
        QCOMPARE(calendar.cellCaption(0, 0), QStringLiteral("niedz."));
        QCOMPARE(calendar.cellCaption(4, 1), QString());
        QCOMPARE(calendar.cellCaption(5, 1), QStringLiteral("1"));
        QCOMPARE(calendar.cellCaption(0, 6), QStringLiteral("31"));
        QCOMPARE(calendar.cellCaption(1, 6), QString());
    }

    void readerHearsFullDatesAndWeekdays_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("probe");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("expected");
        const QDate december8(2026, 12, 8);
        QTest::newRow("a day cell") << december8 << "cell" << 1 << 2 << "wtorek, 8 grudnia 2026";
        QTest::newRow("a blank cell") << december8 << "cell" << 0 << 0 << "";
        QTest::newRow("the weekday header") << december8 << "header" << 0 << 0 << "niedziela";
        QTest::newRow("the selected day")
            << december8 << "selected" << 0 << 0 << "wtorek, 8 grudnia 2026";
        QTest::newRow("a month on")
            << QDate(2026, 12, 31) << "month on" << 0 << 0 << "niedziela, 31 stycznia 2027";
    }
    void readerHearsFullDatesAndWeekdays()
    {
        QFETCH(QDate, date);
        QFETCH(QString, probe);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, expected);
        MonthGrid& calendar = shown(date);
        if (probe == "month on")
            calendar.monthForward();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&calendar);
        QAccessibleTableInterface* table = iface->tableInterface();
        QCOMPARE(table->rowCount(), 6);
        QCOMPARE(table->columnCount(), 7);
        QAccessibleInterface* cell = probe == "header" || probe == "cell"
            ? table->cellAt(row, column)
            : table->selectedCells().value(0);
        QVERIFY(cell);
        if (probe == "header")
            cell = cell->tableCellInterface()->columnHeaderCells().value(0);
        QCOMPARE(cell->text(QAccessible::Name), expected);
    }

    void datePartWrites_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("day changes") << QDate(2026, 1, 31) << 3 << 5 << QDate(2026, 1, 5);
        QTest::newRow("month changes") << QDate(2026, 1, 15) << 2 << 3 << QDate(2026, 3, 15);
        QTest::newRow("year changes") << QDate(2026, 1, 15) << 1 << 1900 << QDate(1900, 1, 15);
        QTest::newRow("31st into April fails") << QDate(2026, 1, 31) << 2 << 4 << QDate();
        QTest::newRow("29 February into 2025 fails") << QDate(2024, 2, 29) << 1 << 2025 << QDate();
        QTest::newRow("zero ignored") << QDate(2026, 1, 31) << 3 << 0 << QDate();
        QTest::newRow("month 13 ignored") << QDate(2026, 1, 31) << 2 << 13 << QDate();
        QTest::newRow("day past month end ignored") << QDate(2026, 2, 1) << 3 << 29 << QDate();
        QTest::newRow("same day ignored") << QDate(2026, 1, 31) << 3 << 31 << QDate();
        QTest::newRow("other index ignored") << QDate(2026, 1, 31) << 4 << 2 << QDate();
    }
    // A write that takes changes the date, switches useCurrentDate off and raises one onChange;
    // any other leaves all three alone (an invalid `expected` means "unchanged").
    void datePartWrites()
    {
        QFETCH(QDate, start);
        QFETCH(int, index);
        QFETCH(int, value);
        QFETCH(QDate, expected);
        MonthGrid& calendar = shown(start);
        calendar.setDatePart(index, value);
        const bool takes = expected.isValid();
        QCOMPARE(calendar.shownDate(), takes ? expected : start);
        QCOMPARE(m_changes, takes ? DateList { expected } : DateList {});
        QCOMPARE(calendar.useCurrentDate(), !takes);
        QCOMPARE(currentCell(),
            cellOfDay(calendar.day(), dayShiftFor(calendar.year(), calendar.month(), 0)));
    }

    void yearStepsAvoidTheMissing29February_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<DateList>("changes");
        QTest::newRow("29 February 2024, forward")
            << QDate(2024, 2, 29) << true << DateList { { 2024, 2, 28 }, { 2025, 2, 28 } };
        QTest::newRow("29 February 2024, back")
            << QDate(2024, 2, 29) << false << DateList { { 2024, 2, 28 }, { 2023, 2, 28 } };
        QTest::newRow("28 February 2024, forward")
            << QDate(2024, 2, 28) << true << DateList { { 2025, 2, 28 } };
        QTest::newRow("15 June, back")
            << QDate(2026, 6, 15) << false << DateList { { 2025, 6, 15 } };
    }
    void yearStepsAvoidTheMissing29February()
    {
        QFETCH(QDate, start);
        QFETCH(bool, forward);
        QFETCH(DateList, changes);
        MonthGrid& calendar = shown(start);
        forward ? calendar.yearForward() : calendar.yearBack();
        QCOMPARE(m_changes, changes);
        QCOMPARE(calendar.shownDate(), changes.last());
    }

    void monthStepMovesTheSelectionOnce()
    {
        MonthGrid& calendar = shown({ 2026, 1, 31 });
        calendar.monthForward();
        QCOMPARE(m_changes, DateList { QDate(2026, 2, 28) });
        QCOMPARE(currentCell(), QPoint(6, 4));
        calendar.monthBack();
        QCOMPARE(calendar.shownDate(), QDate(2026, 1, 28));
    }

    void switchingUseCurrentDateOnRereadsTodayQuietly()
    {
        MonthGrid& calendar = shown({ 2026, 5, 13 });
        calendar.setDay(20);
        QVERIFY(!calendar.useCurrentDate());
        setTodaySource([] { return QDate(2027, 1, 1); });
        calendar.setUseCurrentDate(true);
        QCOMPARE(calendar.shownDate(), QDate(2027, 1, 1));
        QCOMPARE(currentCell(), cellOfDay(1, dayShiftFor(2027, 1, 0)));
        QCOMPARE(m_changes.size(), 1);
    }

    void startOfWeekReflowsTheMonthQuietly()
    {
        MonthGrid& calendar = shown({ 2026, 3, 15 });
        calendar.setStartOfWeek(1);
        QCOMPARE(calendar.cellCaption(0, 0), QStringLiteral("pon."));
        QCOMPARE(calendar.cellCaption(6, 1), QStringLiteral("1"));
        QCOMPARE(currentCell(), QPoint(6, 3));
        QVERIFY(m_changes.isEmpty());
    }

    void mouseClicks_data()
    {
        QTest::addColumn<QPoint>("cell");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("another day is selected") << QPoint(1, 4) << QDate(2026, 5, 18);
        QTest::newRow("blank cell changes nothing") << QPoint(0, 1) << QDate();
        QTest::newRow("day name changes nothing") << QPoint(2, 0) << QDate();
        QTest::newRow("selected day raises nothing") << QPoint(3, 3) << QDate();
    }
    void mouseClicks()
    {
        QFETCH(QPoint, cell);
        QFETCH(QDate, expected);
        MonthGrid& calendar = shown({ 2026, 5, 13 });
        clickCell(cell);
        const bool takes = expected.isValid();
        QCOMPARE(calendar.shownDate(), takes ? expected : QDate(2026, 5, 13));
        QCOMPARE(m_changes, takes ? DateList { expected } : DateList {});
        QCOMPARE(currentCell(), takes ? cell : QPoint(3, 3));
    }

    void arrowKeys_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<KeyList>("keys");
        QTest::addColumn<DateList>("changes");
        QTest::newRow("each move is a change")
            << QDate(2026, 5, 13) << KeyList { Qt::Key_Right, Qt::Key_Right, Qt::Key_Down }
            << DateList { { 2026, 5, 14 }, { 2026, 5, 15 }, { 2026, 5, 22 } };
        QTest::newRow("up a week")
            << QDate(2026, 5, 8) << KeyList { Qt::Key_Up } << DateList { { 2026, 5, 1 } };
        QTest::newRow("left of the 1st is blank")
            << QDate(2026, 5, 1) << KeyList { Qt::Key_Left } << DateList {};
        QTest::newRow("right of the 31st is blank")
            << QDate(2026, 5, 31) << KeyList { Qt::Key_Right } << DateList {};
        QTest::newRow("below the 25th is blank")
            << QDate(2026, 5, 25) << KeyList { Qt::Key_Down } << DateList {};
        QTest::newRow("day names are not days")
            << QDate(2026, 5, 2) << KeyList { Qt::Key_Up } << DateList {};
    }
    void arrowKeys()
    {
        QFETCH(QDate, start);
        QFETCH(KeyList, keys);
        QFETCH(DateList, changes);
        MonthGrid& calendar = shown(start);
        for (int key : keys)
            QTest::keyClick(&calendar, Qt::Key(key));
        QCOMPARE(m_changes, changes);
        const QDate now = changes.isEmpty() ? start : changes.last();
        QCOMPARE(calendar.shownDate(), now);
        QCOMPARE(currentCell(), cellOfDay(now.day(), dayShiftFor(now.year(), now.month(), 0)));
    }

    void readOnlyStopsTheUserButNotTheOperations()
    {
        MonthGrid& calendar = shown({ 2026, 5, 13 });
        calendar.setReadOnly(true);
        clickCell({ 1, 4 });
        QTest::keyClick(&calendar, Qt::Key_Right);
        QVERIFY(m_changes.isEmpty());
        calendar.setDay(20);
        QCOMPARE(currentCell(), QPoint(3, 4));
    }

    void cellsShareTheClientArea_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("lineWidth");
        QTest::newRow("window size, lines of 2") << QSize(610, 206) << 2;
        QTest::newRow("larger, lines of 1") << QSize(803, 451) << 1;
        QTest::newRow("larger, lines of 5") << QSize(803, 451) << 5;
    }
    void cellsShareTheClientArea()
    {
        QFETCH(QSize, size);
        QFETCH(int, lineWidth);
        MonthGrid& calendar = shown({ 2026, 5, 13 });
        calendar.setGridLineWidth(lineWidth);
        calendar.resize(size);
        QTRY_COMPARE(calendar.size(), size);
        const QSize client = calendar.viewport()->size();
        for (int i = 0; i < DaysInWeek; ++i) {
            QCOMPARE(calendar.colWidth(i), (client.width() - 6 * lineWidth) / 7);
            QCOMPARE(calendar.rowHeight(i), (client.height() - 6 * lineWidth) / 7);
        }
    }

    void dayNumbersAreCentredInTheirCells()
    {
        MonthGrid& calendar = shown({ 2026, 3, 1 });
        const QImage image = calendar.viewport()->grab().toImage();
        auto inkOf = [&](int col, int row) {
            QRect ink;
            const QRect cell = calendar.cellRect(col, row);
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                for (int x = cell.left(); x <= cell.right(); ++x)
                    if (qGray(image.pixel(x, y)) < 128)
                        ink |= QRect(x, y, 1, 1);
            return std::pair { ink, cell };
        };
        const auto [ink, cell] = inkOf(2, 5); // "31"
        QVERIFY(!ink.isEmpty());
        QVERIFY(qAbs(ink.center().x() - cell.center().x()) <= 2);
        QVERIFY(qAbs(ink.center().y() - cell.center().y()) <= 3);
        QVERIFY(inkOf(3, 5).first.isEmpty());
    }
};

QTEST_MAIN(tst_MonthGrid)
#include "tst_monthgrid.moc"
