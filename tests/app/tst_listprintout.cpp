#include "AppFixture.h"
#include "MainWindow.h"
#include "RecordingPrinter.h"
#include "SortableGrid.h"

#include <QAction>
#include <QTest>

using namespace kolvar;
using namespace kolvar::test;

namespace {

// Stands in for the preview window: keeps what the grid drew before the window would show.
class PreviewProbe final : public grid::PreviewWindow
{
public:
    explicit PreviewProbe(QStringList& texts)
        : m_texts(texts)
    { }
    void setGrid(grid::SortableGrid* grid) override { m_grid = grid; }
    QImage& printImage() override { return m_image; }
    void showPrintImage() override { }
    void showModal() override
    {
        for (const grid::PageItem& item : m_grid->renderedPage().items)
            if (item.kind == grid::PageItem::Text)
                m_texts << item.text;
        m_texts << QStringLiteral("%1x%2").arg(m_image.width()).arg(m_image.height());
    }

private:
    QStringList& m_texts;
    grid::SortableGrid* m_grid = nullptr;
    QImage m_image;
};

} // namespace

class TestListPrintout : public QObject
{
    Q_OBJECT

private slots:
    void drukowaniePreviewsTheListWithoutAPrinter()
    {
        AppFixture f;
        storage::CaseRecord c = listCase("2024.02.02", "Jan", "Wniosek");
        c.szczegoly = "szczegóły sprawy";
        c.adnotacje = "tajna adnotacja";
        f.makeRegister("rejestr.db", { c, listCase("2024.02.03", "Ola", "Skarga") });
        f.rememberRegister("rejestr.db");
        f.start();
        ScriptedPrinters noPrinter;
        QStringList shown;
        const grid::PreviewWindowFactory previous = grid::setPreviewWindowFactory(
            [&shown](QWidget*) { return std::make_unique<PreviewProbe>(shown); });
        f.mainWindow().findChild<QAction*>(QStringLiteral("printList"))->trigger();
        grid::setPreviewWindowFactory(previous);

        // An A4 page at 600 dpi, in pixels of the 96 dpi screen.
        QCOMPARE(shown.last(), QStringLiteral("826x1169"));
        for (const char* text : { "Jan", "Wniosek", "Ola", "Strona 1" })
            QVERIFY2(shown.contains(QLatin1String(text)), qPrintable(shown.join(u'|')));
        QVERIFY(!shown.contains(QStringLiteral("szczegóły sprawy")));
        QVERIFY(!shown.contains(QStringLiteral("tajna adnotacja")));
        const grid::PrintOptions& options = f.mainWindow().caseGrid()->printOptions();
        QCOMPARE(options.headerSize, 10);
        QCOMPARE(options.footerSize, 7);
        QCOMPARE(options.pageFooter, QStringLiteral("date|time|page"));
    }
};

QTEST_MAIN(TestListPrintout)
#include "tst_listprintout.moc"
