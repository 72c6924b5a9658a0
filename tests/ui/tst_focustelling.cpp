#include "FocusTelling.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

// Tab, Shift+Tab or a caption's shortcut reaching a line field: the focus is told to assistive
// tools before the field moves its cursor or selects its text, or a screen reader says nothing.
class TestFocusTelling : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { kolvar::tellFocusPlainly(); }

    void theFocusIsToldBeforeTheCursorMoves_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("cursor");
        QTest::newRow("an empty field, Tab") << ""
                                             << "" << false << "" << 0;
        QTest::newRow("a filled field, Tab") << "Urząd Gminy"
                                             << "" << false << "Urząd Gminy" << 11;
        QTest::newRow("a filled field, Shift+Tab") << "Urząd Gminy"
                                                   << "" << true << "Urząd Gminy" << 11;
        QTest::newRow("a masked field, the cursor left inside")
            << "2024.01.29"
            << "0000.00.00;_" << false << "" << 0;
    }

    void theFocusIsToldBeforeTheCursorMoves()
    {
        QFETCH(QString, text);
        QFETCH(QString, mask);
        QFETCH(bool, backwards);
        QFETCH(QString, selected);
        QFETCH(int, cursor);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* before = new QLineEdit(&window);
        auto* field = new QLineEdit(&window);
        auto* after = new QLineEdit(&window);
        for (QWidget* w : { before, field, after })
            layout->addWidget(w);
        field->setInputMask(mask);
        field->setText(text);
        field->setCursorPosition(5);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget* start = backwards ? after : before;
        start->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(start->hasFocus());

        bool focusTold = false;
        QList<bool> movesAfterTheFocusWasTold;
        const auto moved = [&] { movesAfterTheFocusWasTold << focusTold; };
        connect(field, &QLineEdit::cursorPositionChanged, moved);
        connect(field, &QLineEdit::selectionChanged, moved);
        QTest::keyClick(start, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        focusTold = true;
        QCoreApplication::processEvents();

        QVERIFY(field->hasFocus());
        QVERIFY(!movesAfterTheFocusWasTold.contains(false));
        QCOMPARE(field->selectedText(), selected);
        QCOMPARE(field->cursorPosition(), cursor);
    }
};

QTEST_MAIN(TestFocusTelling)
#include "tst_focustelling.moc"
