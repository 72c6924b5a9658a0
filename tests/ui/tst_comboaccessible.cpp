#include "ComboAccessible.h"

#include <QAccessible>
#include <QComboBox>
#include <QTest>

// A choice box reads its chosen item as text, which is where a screen reader looks for a box's
// value; its list stays its child.
class TestComboAccessible : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { kolvar::installComboAccessible(); }

    void aChoiceBoxReadsItsChosenItem_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("heard");
        QTest::newRow("the first item") << 0 << "A4";
        QTest::newRow("another item chosen") << 1 << "A5";
    }

    void aChoiceBoxReadsItsChosenItem()
    {
        QFETCH(int, chosen);
        QFETCH(QString, heard);
        QComboBox box;
        box.addItems({ QStringLiteral("A4"), QStringLiteral("A5"), QStringLiteral("Letter") });
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&box);
        box.setCurrentIndex(chosen);
        QCOMPARE(iface->role(), QAccessible::ComboBox);
        QAccessibleTextInterface* text = iface->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()), heard);
        QCOMPARE(iface->text(QAccessible::Value), heard);
        QCOMPARE(iface->childCount(), 1);
        QCOMPARE(iface->child(0)->childCount() > 0, true);
    }
};

QTEST_MAIN(TestComboAccessible)
#include "tst_comboaccessible.moc"
