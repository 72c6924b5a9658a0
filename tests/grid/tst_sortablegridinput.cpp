// The list grid under the mouse and the keyboard: click sorting, row marking, the extended keys,
// in-place edit validation, focus and the notifications.
#include "CellLayout.h"
#include "SortGlyph.h"
#include "SortableGrid.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

using namespace kolvar::grid;

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)
Q_DECLARE_METATYPE(Qt::MouseButton)

namespace {

class Probe : public SortableGrid
{
public:
    using SortableGrid::cellsModified;
    using SortableGrid::click;
    using SortableGrid::focusHeld;
    using SortableGrid::inplaceEditor;
    using SortableGrid::sortGlyph;
};

// A window holding the grid and a line edit the focus can move to.
struct Window
{
    QWidget window;
    Probe* grid = new Probe;
    QLineEdit* elsewhere = new QLineEdit;

    explicit Window(int rows = 8)
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(grid);
        layout->addWidget(elsewhere);
        window.resize(600, 400);
        grid->setColCount(4);
        grid->setRowCount(rows);
        grid->setRowTexts(0, { "Lp.", "Nadawca", "Kwota", "Uwagi" });
        const QStringList senders { "Ewa", "adam", "Łucja", "Bogdan", "celina", "Żaneta", "Adam" };
        for (int r = 1; r < rows; ++r)
            grid->setRowTexts(r,
                { QString::number(r), senders[(r - 1) % senders.size()], QString::number(100 - r),
                    QString() });
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        grid->setFocus();
        QVERIFY(grid->hasFocus());
    }

    [[nodiscard]] QPoint centre(int col, int row) const
    {
        return grid->cellRect(col, row).center();
    }
    void click(
        int col, int row, Qt::KeyboardModifiers mods = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(grid->viewport(), button, mods, centre(col, row));
    }
    [[nodiscard]] QStringList column(int col) const
    {
        QStringList texts;
        for (int r = 1; r < grid->rowCount(); ++r)
            texts.append(grid->cells(col, r));
        return texts;
    }
    [[nodiscard]] QList<int> marks() const
    {
        QList<int> rows;
        for (int r = 0; r < grid->rowCount(); ++r) {
            if (grid->rowMarked(r))
                rows.append(r);
        }
        return rows;
    }
};

} // namespace

class TestSortableGridInput : public QObject
{
    Q_OBJECT
private slots:
    void headerClickSortsByTheButton_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QStringList>("senders");
        QTest::addColumn<int>("direction");
        QTest::newRow("left button ascending")
            << Qt::LeftButton
            << QStringList { "adam", "Adam", "Bogdan", "celina", "Ewa", "Łucja", "Żaneta" }
            << int(sdAscending);
        QTest::newRow("right button descending")
            << Qt::RightButton
            << QStringList { "Żaneta", "Łucja", "Ewa", "celina", "Bogdan", "adam", "Adam" }
            << int(sdDescending);
    }
    void headerClickSortsByTheButton()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QStringList, senders);
        QFETCH(int, direction);
        Window w;
        w.grid->setSortSymbol(sgGlyph);
        w.grid->setCaseSensitive(false);
        QList<int> seen;
        w.grid->onClickSort = [&](int col, int row, SortOptions& o) {
            seen << col << row << int(o.direction) << int(o.keyKind) << int(o.matchCase);
        };
        w.click(1, 0, {}, button);
        QCOMPARE(seen, (QList<int> { 1, 0, direction, int(skDetect), 0 }));
        QCOMPARE(w.column(1), senders);
        QCOMPARE(w.grid->sortDirection(), SortDirection(direction));
        QCOMPARE(w.grid->sortColumn(), 1);
        QCOMPARE(w.grid->sortGlyph().isNull(), false);
    }

    void rightClickShowsTheDescendingGlyph()
    {
        Window w;
        w.grid->setSortSymbol(sgGlyph);
        w.click(1, 0, {}, Qt::RightButton);
        QCOMPARE(w.grid->sortDirection(), sdDescending);
        QCOMPARE(w.grid->sortGlyph(), loadSortGlyphResource("SORTZA"));
        w.click(1, 0);
        QCOMPARE(w.grid->sortGlyph(), loadSortGlyphResource("SORTAZ"));
    }

    void clickSortsOnlyPlainHeaderClicks_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<uint>("extraOptions");
        QTest::addColumn<bool>("sortOnClick");
        QTest::newRow("with Ctrl") << 0 << Qt::KeyboardModifiers(Qt::ControlModifier) << 0u << true;
        QTest::newRow("with Shift") << 0 << Qt::KeyboardModifiers(Qt::ShiftModifier) << 0u << true;
        QTest::newRow("with Alt") << 0 << Qt::KeyboardModifiers(Qt::AltModifier) << 0u << true;
        QTest::newRow("on a data row") << 3 << Qt::KeyboardModifiers() << 0u << true;
        QTest::newRow("start of a column move")
            << 0 << Qt::KeyboardModifiers() << uint(goColMoving) << true;
        QTest::newRow("click sorting off") << 0 << Qt::KeyboardModifiers() << 0u << false;
    }
    void clickSortsOnlyPlainHeaderClicks()
    {
        QFETCH(int, row);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(uint, extraOptions);
        QFETCH(bool, sortOnClick);
        Window w;
        w.grid->setOptions(w.grid->options() | extraOptions);
        w.grid->setSortOnClick(sortOnClick);
        int clickSorts = 0;
        w.grid->onClickSort = [&](int, int, SortOptions&) { ++clickSorts; };
        const QStringList before = w.column(1);
        w.click(1, row, mods);
        QCOMPARE(clickSorts, 0);
        QCOMPARE(w.column(1), before);
    }

    void headerClickWithTheEditorOpenAsksButDoesNotSort()
    {
        Window w;
        w.grid->setOptions(w.grid->options() | goEditing | goAlwaysShowEditor);
        w.grid->setCurrentCell(3, 2);
        QVERIFY(w.grid->inplaceEditor()->isVisible());
        int clickSorts = 0;
        w.grid->onClickSort = [&](int, int, SortOptions&) { ++clickSorts; };
        const QStringList before = w.column(1);
        w.click(1, 0);
        QCOMPARE(clickSorts, 1);
        QCOMPARE(w.column(1), before);
    }

    void clickSortHandlerMayChangeTheOptions()
    {
        Window w;
        w.grid->onClickSort = [](int, int, SortOptions& o) {
            o.keyKind = skText;
            o.direction = sdDescending;
        };
        w.click(2, 0);
        // Amounts 99 .. 93 as text, descending.
        QCOMPARE(w.column(2), (QStringList { "99", "98", "97", "96", "95", "94", "93" }));
        QCOMPARE(w.grid->sortDirection(), sdDescending);
    }

    void marksRowsWithTheMouse_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QList<int>>("modifiers"); // 0 plain, 1 Ctrl, 2 Shift
        QTest::addColumn<QList<int>>("marked");
        QTest::newRow("plain click marks one row")
            << QList<int> { 3, 5 } << QList<int> { 0, 0 } << QList<int> { 5 };
        QTest::newRow("Ctrl adds and removes")
            << QList<int> { 2, 4, 6, 4 } << QList<int> { 0, 1, 1, 1 } << QList<int> { 2, 6 };
        QTest::newRow("Shift marks from the anchor")
            << QList<int> { 3, 6 } << QList<int> { 0, 2 } << QList<int> { 3, 4, 5, 6 };
        QTest::newRow("Shift upwards replaces the set")
            << QList<int> { 5, 7, 2 } << QList<int> { 0, 1, 2 } << QList<int> { 2, 3, 4, 5, 6, 7 };
        QTest::newRow("Ctrl moves the anchor")
            << QList<int> { 2, 6, 4 } << QList<int> { 0, 1, 2 } << QList<int> { 4, 5, 6 };
        QTest::newRow("title row does nothing")
            << QList<int> { 3, 0 } << QList<int> { 0, 0 } << QList<int> { 3 };
    }
    void marksRowsWithTheMouse()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QList<int>, modifiers);
        QFETCH(QList<int>, marked);
        Window w(9);
        w.grid->setSortOnClick(false);
        const Qt::KeyboardModifiers mods[] = { {}, Qt::ControlModifier, Qt::ShiftModifier };
        for (int i = 0; i < rows.size(); ++i)
            w.click(2, rows[i], mods[modifiers[i]]);
        QCOMPARE(w.marks(), marked);
        QCOMPARE(w.grid->markedRowCount(), marked.size());
    }

    void marksAreInactiveWithoutRangeSelection()
    {
        Window w;
        w.grid->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine);
        w.click(2, 4);
        w.click(2, 6, Qt::ControlModifier);
        QCOMPARE(w.marks(), QList<int> { 1 });
    }

    void dragMarksTheStretchUnderThePointer_data()
    {
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QList<int>>("marked");
        QTest::newRow("down") << QList<int> { 3, 4, 6 } << QList<int> { 3, 4, 5, 6 };
        QTest::newRow("down and back") << QList<int> { 3, 6, 4 } << QList<int> { 3, 4 };
        QTest::newRow("across the anchor") << QList<int> { 4, 6, 2 } << QList<int> { 2, 3, 4 };
        QTest::newRow("back onto the anchor") << QList<int> { 4, 7, 4 } << QList<int> { 4 };
    }
    void dragMarksTheStretchUnderThePointer()
    {
        QFETCH(QList<int>, path);
        QFETCH(QList<int>, marked);
        Window w(9);
        QWidget* view = w.grid->viewport();
        QTest::mousePress(view, Qt::LeftButton, {}, w.centre(2, path.first()));
        for (int i = 1; i < path.size(); ++i)
            QTest::mouseMove(view, w.centre(2, path[i]));
        QTest::mouseRelease(view, Qt::LeftButton, {}, w.centre(2, path.last()));
        QCOMPARE(w.marks(), marked);
        // Moving after the release marks nothing more.
        QTest::mouseMove(view, w.centre(2, 8));
        QCOMPARE(w.marks(), marked);
    }

    void scrollingWhileDraggingMarksTheLastRowInView()
    {
        Window w(200);
        QWidget* view = w.grid->viewport();
        QTest::mousePress(view, Qt::LeftButton, {}, w.centre(2, 2));
        w.grid->setTopRow(w.grid->topRow() + 5);
        const int last = w.grid->topRow() + w.grid->visibleRowCount() - 1;
        QVERIFY(w.grid->rowMarked(last));
        QVERIFY(!w.grid->rowMarked(last + 1));
        QTest::mouseRelease(view, Qt::LeftButton, {}, w.centre(2, last));
        w.grid->setTopRow(w.grid->topRow() + 5);
        QVERIFY(!w.grid->rowMarked(w.grid->topRow() + w.grid->visibleRowCount() - 1));
    }

    void extendedKeysInsertAndDelete_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<int>("colCount");
        const auto ctrl = Qt::KeyboardModifiers(Qt::ControlModifier);
        const auto ctrlShift = Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("Ctrl+Insert adds a row") << 4 << int(Qt::Key_Insert) << ctrl << 5 << 4;
        QTest::newRow("Ctrl+Delete removes a row") << 4 << int(Qt::Key_Delete) << ctrl << 3 << 4;
        QTest::newRow("Ctrl+Delete keeps the last data row")
            << 2 << int(Qt::Key_Delete) << ctrl << 2 << 4;
        QTest::newRow("Ctrl+Shift+Insert adds a column")
            << 4 << int(Qt::Key_Insert) << ctrlShift << 4 << 5;
        QTest::newRow("Ctrl+Shift+Delete removes a column")
            << 4 << int(Qt::Key_Delete) << ctrlShift << 4 << 3;
        QTest::newRow("Ctrl+Alt+Delete is not ours")
            << 4 << int(Qt::Key_Delete)
            << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier) << 4 << 4;
        QTest::newRow("plain Delete is not ours")
            << 4 << int(Qt::Key_Delete) << Qt::KeyboardModifiers() << 4 << 4;
    }
    void extendedKeysInsertAndDelete()
    {
        QFETCH(int, rows);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(int, rowCount);
        QFETCH(int, colCount);
        Window w(rows);
        w.grid->setExtendedKeys(true);
        w.grid->setCurrentCell(2, 1);
        QTest::keyClick(w.grid, Qt::Key(key), mods);
        QCOMPARE(w.grid->rowCount(), rowCount);
        QCOMPARE(w.grid->colCount(), colCount);
    }

    void ctrlInsertAddsAnEmptyRowAtTheCurrentRow()
    {
        Window w(2);
        w.grid->setExtendedKeys(true);
        QTest::keyClick(w.grid, Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(w.column(1), (QStringList { "", "Ewa" }));
        QCOMPARE(w.grid->row(), 1);
    }

    void keysAreOrdinaryWithoutExtendedKeys()
    {
        Window w(4);
        QTest::keyClick(w.grid, Qt::Key_Insert, Qt::ControlModifier);
        QTest::keyClick(w.grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(w.grid->rowCount(), 4);
    }

    void enterConfirmsAnEditThroughTheValidator_data()
    {
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<bool>("modified");
        QTest::newRow("refused, old text back") << false << QString() << "Bogdan" << false;
        QTest::newRow("refused with a correction") << false << "Poprawiony"
                                                   << "Poprawiony" << false;
        QTest::newRow("accepted") << true << QString() << "Nowy" << true;
        QTest::newRow("accepted with a correction") << true << "NOWY"
                                                    << "NOWY" << true;
    }
    void enterConfirmsAnEditThroughTheValidator()
    {
        QFETCH(bool, valid);
        QFETCH(QString, replacement);
        QFETCH(QString, cell);
        QFETCH(bool, modified);
        Window w;
        w.grid->setOptions(w.grid->options() | goEditing);
        w.grid->setCurrentCell(1, 4);
        w.grid->rememberEditCell();
        QList<QString> validated;
        w.grid->onCellValidate = [&](int col, int row, QString& value, bool& ok) {
            validated << QStringLiteral("%1,%2:%3").arg(col).arg(row).arg(value);
            ok = valid;
            if (!replacement.isNull())
                value = replacement;
        };
        QTest::keyClick(w.grid, Qt::Key_F2);
        QLineEdit* editor = w.grid->inplaceEditor();
        QVERIFY(editor->isVisible());
        editor->selectAll();
        QTest::keyClicks(editor, "Nowy");
        QVERIFY(w.grid->cellsModified());
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(validated, QList<QString> { "1,4:Nowy" });
        QCOMPARE(w.grid->cells(1, 4), cell);
        QCOMPARE(w.grid->cellsModified(), modified);
        // The confirmed text is the new starting point: confirming again asks nothing.
        w.grid->confirmEditCell();
        QCOMPARE(validated.size(), 1);
    }

    void leavingTheGridClicksItOnceAndConfirmsTheEdit()
    {
        Window w;
        int clicks = 0;
        w.grid->onClick = [&] { ++clicks; };
        int validations = 0;
        w.grid->onCellValidate = [&](int, int, QString&, bool&) { ++validations; };
        QVERIFY(w.grid->focusHeld());
        w.grid->setCells(w.grid->col(), w.grid->row(), "zmieniony");
        w.elsewhere->setFocus();
        QVERIFY(w.elsewhere->hasFocus());
        QCOMPARE(clicks, 1);
        QCOMPARE(validations, 1);
        QVERIFY(!w.grid->focusHeld());
    }

    void aFailingClickHandlerStillConfirmsTheEdit()
    {
        Window w;
        w.grid->onClick = [] { throw std::runtime_error("handler"); };
        int validations = 0;
        w.grid->onCellValidate = [&](int, int, QString&, bool& ok) {
            ++validations;
            ok = false;
        };
        const QString before = w.grid->cells(w.grid->col(), w.grid->row());
        w.grid->setCells(w.grid->col(), w.grid->row(), "zmieniony");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, w.grid->click());
        QCOMPARE(validations, 1);
        QCOMPARE(w.grid->cells(w.grid->col(), w.grid->row()), before);
    }

    void reportsSizeChangesAndThePointer()
    {
        Window w;
        QList<QString> events;
        w.grid->onColumnWidthsChanged = [&] { events << "widths"; };
        w.grid->onRowHeightsChanged = [&] { events << "heights"; };
        w.grid->onSizeChanged = [&](int cols, int rows) {
            events << QStringLiteral("size %1 %2").arg(cols).arg(rows);
        };
        w.grid->onMouseEnter = [&] { events << "enter"; };
        w.grid->onMouseLeave = [&] { events << "leave"; };
        w.grid->setColWidth(1, 90);
        w.grid->setRowHeight(2, 30);
        w.grid->setRowCount(12);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(w.grid, &enter);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(w.grid, &leave);
        QCOMPARE(events, (QList<QString> { "widths", "heights", "size 4 8", "enter", "leave" }));
    }

    void scrollThumbsShowTheShareInView()
    {
        Window w(1000);
        QScrollBar* bar = w.grid->verticalScrollBar();
        const auto expected = [&] {
            return proportionalPageStep(w.grid->visibleRowCount(), w.grid->fixedRows(),
                w.grid->rowCount(), bar->minimum(), bar->maximum());
        };
        QCOMPARE(bar->pageStep(), expected());
        w.window.resize(600, 700);
        QTRY_COMPARE(bar->pageStep(), expected());
        w.grid->setRowCount(3000);
        QCOMPARE(bar->pageStep(), expected());
        w.grid->setTopRow(500);
        QCOMPARE(bar->pageStep(), expected());
        w.grid->setProportionalScrollBars(false);
        w.grid->setColWidth(1, 80);
        QCOMPARE(bar->pageStep(), 0);
    }
};

QTEST_MAIN(TestSortableGridInput)
#include "tst_sortablegridinput.moc"
