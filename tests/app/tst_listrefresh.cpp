#include "AppFixture.h"

#include "CaseEditor.h"
#include "MainWindow.h"
#include "SortableGrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace kolvar;
using namespace kolvar::test;
using storage::CaseRecord;

namespace {

// Senders the code page's byte order and the Polish alphabet sort differently, and two pairs of
// equal senders whose order only the case IDs decide.
QList<CaseRecord> register8()
{
    QList<CaseRecord> cases {
        listCase("2024.03.01", "Łukasz Żak", "wniosek"),
        listCase("2023.01.05", "Adam Nowak", "skarga"),
        listCase("2024.02.10", "Żaneta Ćwik", "odwołanie"),
        listCase("2022.12.24", "Ćwikła Sp. z o.o.", "zapytanie"),
        listCase("2024.02.10", "Adam Nowak", "ponaglenie"),
        listCase("2021.07.07", "Mazur Ewa", "prośba"),
        listCase("2024.05.05", "Łukasz Żak", "decyzja"),
        listCase("2020.01.01", "Urząd Skarbowy w Śremie", "zaświadczenie"),
    };
    for (CaseRecord& c : cases) {
        c.szczegoly = QStringLiteral("Pierwszy wiersz\r\ndrugi wiersz");
        c.adnotacje = QStringLiteral("Adnotacja");
    }
    return cases;
}

// Everything the list shows and holds: every text (the titles, the hidden columns and the one
// beyond them included), the widths, the count and the current row.
QStringList listState(const MainWindow& mainWindow)
{
    const grid::SortableGrid& g = *mainWindow.caseGrid();
    QStringList state;
    for (int r = 0; r < g.rowCount(); ++r) {
        QStringList texts;
        for (int c = 0; c <= g.colCount(); ++c)
            texts.append(g.cells(c, r));
        state.append(texts.join(u'|'));
    }
    QStringList widths;
    for (int c = 0; c < g.colCount(); ++c)
        widths.append(QString::number(g.colWidth(c)));
    state.append(QStringLiteral("widths ") + widths.join(u' '));
    state.append(QStringLiteral("count %1, current row %2, rowLabel %3, idEdit %4")
                     .arg(mainWindow.countLabel()->text())
                     .arg(g.row())
                     .arg(mainWindow.rowLabel()->text(), mainWindow.idEdit()->text()));
    return state;
}

} // namespace

class TestListRefresh : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    void startWith(int sortMode)
    {
        f = std::make_unique<AppFixture>();
        f->makeRegister("rejestr.db", register8());
        f->rememberRegister("rejestr.db", sortMode);
        f->start();
    }

    // The list as a full load of the register shows it now, from a second program.
    QStringList reloadedState(int sortMode, int currentRow)
    {
        AppFixture other;
        QFile::copy(f->path("rejestr.db"), other.path("rejestr.db"));
        other.rememberRegister("rejestr.db", sortMode);
        other.start();
        other.clickRow(currentRow);
        return listState(other.mainWindow());
    }

    void saveRowWith(int row, EditorField field, const QString& text)
    {
        f->clickRow(row);
        f->mainWindow().editCurrentCase();
        f->caseEditor().setFieldText(field, text);
        f->dialogs.clear();
        f->mainWindow().saveChanges();
        QCOMPARE(f->dialogs.texts().size(), 1);
        QVERIFY(f->dialogs.texts().first().endsWith(QStringLiteral(" zostały zapisane.")));
    }

private slots:
    void cleanup() { f.reset(); }

    void savedListIsWhatAFullLoadShows_data()
    {
        QTest::addColumn<int>("sortMode");
        QTest::addColumn<int>("row");
        QTest::addColumn<EditorField>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("annotation, by sender") << 3 << 4 << EditorField::Adnotacje << "Nowa";
        QTest::newRow("details over lines") << 3 << 1 << EditorField::Szczegoly << "a\r\nb\r\nc";
        QTest::newRow("subject, by sender") << 3 << 8 << EditorField::Dotyczy << "Ślub";
        QTest::newRow("sender moves the row up") << 3 << 8 << EditorField::Nadawca << "Ala";
        QTest::newRow("sender moves the row down") << 3 << 1 << EditorField::Nadawca << "Źdźbło";
        QTest::newRow("sender joins equal senders")
            << 3 << 6 << EditorField::Nadawca << "Adam Nowak";
        QTest::newRow("sender, letter case only") << 3 << 2 << EditorField::Nadawca << "adam nowak";
        QTest::newRow("sender, by date: stays") << 2 << 3 << EditorField::Nadawca << "Ala";
        QTest::newRow("date, by date: moves") << 2 << 3 << EditorField::Termin << "2019.09.09";
        QTest::newRow("subject, by subject: moves") << 4 << 5 << EditorField::Dotyczy << "Ąbc";
    }

    void savedListIsWhatAFullLoadShows()
    {
        QFETCH(int, sortMode);
        QFETCH(int, row);
        QFETCH(EditorField, field);
        QFETCH(QString, text);
        startWith(sortMode);
        saveRowWith(row, field, text);
        QCOMPARE(listState(f->mainWindow()), reloadedState(sortMode, row));
    }

    void rowsMovedByTheUserAreOrderedAgain()
    {
        startWith(3);
        f->mainWindow().caseGrid()->moveRow(2, 6);
        saveRowWith(4, EditorField::Adnotacje, "Nowa");
        QCOMPARE(listState(f->mainWindow()), reloadedState(3, 4));
    }

    void columnWidenedWithoutTheMouseIsLaidOutAgain()
    {
        startWith(3);
        f->mainWindow().caseGrid()->setColWidth(4, 77);
        saveRowWith(2, EditorField::Adnotacje, "Nowa");
        QCOMPARE(listState(f->mainWindow()), reloadedState(3, 2));
    }

    void caseAddedByAnotherProgramShowsAfterTheSave()
    {
        startWith(3);
        {
            (void)RegisterFile(f->path("rejestr.db"))
                .store()
                ->addCase(listCase("2024.06.06", "Beata", "inny"));
        }
        saveRowWith(2, EditorField::Adnotacje, "Nowa");
        QCOMPARE(f->mainWindow().countLabel()->text(), QStringLiteral("9"));
        QCOMPARE(listState(f->mainWindow()), reloadedState(3, 2));
    }
};

QTEST_MAIN(TestListRefresh)
#include "tst_listrefresh.moc"
