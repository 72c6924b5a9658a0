#include "MaskedDateEdit.h"

#include <QLineEdit>
#include <QLocale>
#include <QTest>

using kolvar::MaskedDateEdit;

namespace {

const QString Empty = QStringLiteral("    .  .  ");

// QTest::keyClicks takes Latin-1 only; Polish letters go in as the text of a key event.
void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace

class TestMaskedDateEdit : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland)); }

    void typing_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("shown");
        QTest::newRow("nothing") << "" << Empty << "xxxx.xx.xx";
        QTest::newRow("whole date") << "20240501"
                                    << "2024.05.01"
                                    << "2024.05.01";
        QTest::newRow("separators typed along") << "2024.05.01"
                                                << "2024.05.01"
                                                << "2024.05.01";
        QTest::newRow("year only, the rest blank") << "2024"
                                                   << "2024.  .  "
                                                   << "2024.xx.xx";
        QTest::newRow("letters and signs refused") << "2a0b-2c4 ż"
                                                   << "2024.  .  "
                                                   << "2024.xx.xx";
        QTest::newRow("no more than ten characters") << "202405011999123"
                                                     << "2024.05.01"
                                                     << "2024.05.01";
    }

    void typing()
    {
        QFETCH(QString, typed);
        QFETCH(QString, read);
        QFETCH(QString, shown);
        MaskedDateEdit edit;
        // The length the window sets has no say over the mask's ten positions.
        edit.setMaxLength(15);
        edit.setCursorPosition(0);
        typeText(&edit, typed);
        QCOMPARE(edit.maskedText(), read);
        QCOMPARE(edit.displayText(), shown);
    }

    void deletingLeavesABlankInPlace_data()
    {
        QTest::addColumn<int>("cursor");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("read");
        QTest::newRow("backspace at the end") << 10 << int(Qt::Key_Backspace) << "2024.05.0 ";
        QTest::newRow("delete the first digit") << 0 << int(Qt::Key_Delete) << " 024.05.01";
        QTest::newRow("delete in the month") << 5 << int(Qt::Key_Delete) << "2024. 5.01";
    }

    void deletingLeavesABlankInPlace()
    {
        QFETCH(int, cursor);
        QFETCH(int, key);
        QFETCH(QString, read);
        MaskedDateEdit edit;
        edit.setMaskedText(QStringLiteral("2024.05.01"));
        edit.setCursorPosition(cursor);
        QTest::keyClick(&edit, Qt::Key(key));
        QCOMPARE(edit.maskedText(), read);
        QCOMPARE(edit.maskedText().size(), 10);
    }

    void settingTheText_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("read");
        QTest::newRow("stored date") << "2024.05.01"
                                     << "2024.05.01";
        QTest::newRow("stored empty date") << Empty << Empty;
        QTest::newRow("empty text") << "" << Empty;
        QTest::newRow("other separators") << "2024-05-01"
                                          << "2024.05.01";
        QTest::newRow("no separators") << "20240501"
                                       << "2024.05.01";
        QTest::newRow("blanks keep their place") << "2024.  .01"
                                                 << "2024.  .01";
        QTest::newRow("x keeps its place") << "20x4.05.xx"
                                           << "20 4.05.  ";
        QTest::newRow("short text") << "2024.5"
                                    << "2024.5 .  ";
        QTest::newRow("too long") << "2024.05.0123"
                                  << "2024.05.01";
        QTest::newRow("letters dropped") << "ab2024.05.01"
                                         << "2024.05.01";
    }

    void settingTheText()
    {
        QFETCH(QString, given);
        QFETCH(QString, read);
        MaskedDateEdit edit;
        edit.setMaskedText(QStringLiteral("1999.12.31"));
        edit.setMaskedText(given);
        QCOMPARE(edit.maskedText(), read);
    }

    void clearingGivesTheEmptyMask()
    {
        MaskedDateEdit edit;
        edit.setMaskedText(QStringLiteral("2024.05.01"));
        edit.clear();
        QCOMPARE(edit.maskedText(), Empty);
        QCOMPARE(edit.displayText(), QStringLiteral("xxxx.xx.xx"));
    }

    void separatorFollowsTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("empty");
        QTest::newRow("Polish") << QLocale(QLocale::Polish, QLocale::Poland) << "    .  .  ";
        QTest::newRow("American") << QLocale(QLocale::English, QLocale::UnitedStates)
                                  << "    /  /  ";
        QTest::newRow("Swedish") << QLocale(QLocale::Swedish, QLocale::Sweden) << "    -  -  ";
        QTest::newRow("Hungarian, blanks after the dots")
            << QLocale(QLocale::Hungarian, QLocale::Hungary) << "    .  .  ";
        QTest::newRow("month spelled out: the mask's slash") << QLocale::c() << "    /  /  ";
    }

    void separatorFollowsTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, empty);
        QLocale::setDefault(locale);
        MaskedDateEdit edit;
        QCOMPARE(edit.maskedText(), empty);
        edit.setMaskedText(QStringLiteral("2024.05.01"));
        QString full = QStringLiteral("2024.05.01");
        full[4] = full[7] = empty.at(4);
        QCOMPARE(edit.maskedText(), full);
        QTest::keyClicks(&edit, QStringLiteral("x"));
        QCOMPARE(edit.maskedText(), full);
    }

    // Reached with Tab or Shift+Tab, the date is told as focused before its cursor moves, else
    // a screen reader takes the focus as told already and is silent; the whole date goes in the
    // description, and typing starts at the first position as before.
    void reachedByKeyTheFocusIsToldFirst_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("cursorMovedByUser");
        QTest::addColumn<bool>("backwards");
        QTest::newRow("a full date") << "2024.01.29" << false << false;
        QTest::newRow("a full date, the cursor left inside") << "2024.01.29" << true << false;
        QTest::newRow("a half-typed date, from behind") << "2024.01.  " << true << true;
    }

    void reachedByKeyTheFocusIsToldFirst()
    {
        QFETCH(QString, stored);
        QFETCH(bool, cursorMovedByUser);
        QFETCH(bool, backwards);
        QWidget window;
        auto* before = new QLineEdit(&window);
        auto* edit = new MaskedDateEdit(&window);
        auto* after = new QLineEdit(&window);
        edit->setStoredText(stored);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        if (cursorMovedByUser) {
            edit->setFocus();
            edit->setCursorPosition(6);
        }
        QWidget* start = backwards ? after : before;
        start->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(start->hasFocus());

        // The toolkit tells assistive tools about the focus once the focus change is done; a
        // cursor move inside it comes first and silences a reader.
        bool focusTold = false;
        QList<bool> movesAfterTheFocusWasTold;
        connect(edit, &QLineEdit::cursorPositionChanged,
            [&] { movesAfterTheFocusWasTold << focusTold; });
        QTest::keyClick(start, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        focusTold = true;
        QCoreApplication::processEvents();

        QVERIFY(!movesAfterTheFocusWasTold.contains(false));
        QVERIFY(edit->hasFocus());
        QCOMPARE(edit->cursorPosition(), 0);
        QCOMPARE(edit->accessibleDescription(), QString(stored).replace(u' ', u'x'));
        QTest::keyClicks(edit, QStringLiteral("1"));
        QCOMPARE(edit->maskedText().left(4), QStringLiteral("1024"));
    }
};

QTEST_MAIN(TestMaskedDateEdit)
#include "tst_maskeddateedit.moc"
