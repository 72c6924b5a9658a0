// Times the main window on registers of 10,000 to 1,000,000 generated cases: the ordered query
// alone, the list load as the window does it, a grid sort by sender, saving one case with the list
// brought up to date, one paint of the list, and the peak memory after the load.
//
// bench_load [N ...]   runs each size in a process of its own, so that each peak is its own.
// bench_load --size N  one size, in this process.
#include "BenchSupport.h"
#include "CaseEditor.h"
#include "CaseTable.h"
#include "MainWindow.h"
#include "Program.h"
#include "ScriptedDialogs.h"
#include "SortableGrid.h"
#include "SqliteInterfaces.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProcess>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace kolvar;
using kolvar::bench::Samples;

namespace {

int repeatsFor(int cases)
{
    return cases >= 1000000 ? 3 : cases >= 100000 ? 5 : 10;
}

double seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

void report(
    int cases, const char* what, const Samples& samples, double scale = 1.0, const char* unit = "s")
{
    // Padded by characters, not bytes: some labels are Polish.
    const QByteArray label = QString::fromUtf8(what).leftJustified(50).toUtf8();
    std::printf("%9d  %s %9.4f %-2s (median %.4f of %d)\n", cases, label.constData(),
        samples.min() * scale, unit, samples.median() * scale, samples.count());
    std::fflush(stdout);
}

// The offscreen platform complains about every window it cannot raise; only real trouble shows.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

// Runs body repeats times, with prepare (untimed) before each run.
Samples timed(int repeats, const std::function<void()>& prepare, const std::function<void()>& body)
{
    Samples samples;
    for (int i = 0; i < repeats; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        body();
        samples.add(seconds(timer));
    }
    return samples;
}

[[noreturn]] void fail(const QString& why)
{
    std::fprintf(stderr, "bench_load: %s\n", qPrintable(why));
    std::exit(1);
}

void expectNoMessage(const test::ScriptedDialogs& dialogs, const char* during)
{
    if (!dialogs.texts().isEmpty())
        fail(
            QStringLiteral("%1 showed: %2").arg(QLatin1String(during), dialogs.texts().join(u'|')));
}

// One hash per list row over every text it holds, then the current row: enough to tell whether two
// lists show the same, without holding a million rows' texts twice.
std::vector<std::size_t> listFingerprint(const grid::SortableGrid& caseGrid)
{
    std::vector<std::size_t> hashes;
    hashes.reserve(std::size_t(caseGrid.rowCount()) + 1);
    for (int r = 0; r < caseGrid.rowCount(); ++r) {
        std::size_t h = 0;
        for (int c = 0; c <= caseGrid.colCount(); ++c)
            h = qHashMulti(h, caseGrid.cells(c, r));
        hashes.push_back(h);
    }
    hashes.push_back(std::size_t(caseGrid.row()));
    return hashes;
}

int runOneSize(int cases)
{
    const QString path = bench::ensureRegister(bench::dataFolder(), cases);
    const qint64 fileBytes = QFileInfo(path).size();
    const int repeats = repeatsFor(cases);
    // Questions get No (go on without the typing), every other dialog is cancelled.
    test::ScriptedDialogs dialogs;
    bench::ProgramFolder folder(path);

    // First, while nothing else has raised the peak: the program's start with the list.
    QElapsedTimer startTimer;
    startTimer.start();
    auto program = std::make_unique<Program>(folder.path());
    const double startSeconds = seconds(startTimer);
    const qint64 peak = bench::peakResidentBytes();
    MainWindow& mainWindow = program->mainWindow();
    expectNoMessage(dialogs, "start-up");
    if (mainWindow.countLabel()->text().toInt() != cases)
        fail(QStringLiteral("the list shows %1 cases, not %2")
                 .arg(mainWindow.countLabel()->text())
                 .arg(cases));
    Samples start;
    start.add(startSeconds);
    report(cases, "start-up: windows and list load", start);
    std::printf("%9d  %-50s %9.1f MB (file %.1f MB, %.2f x file)\n", cases,
        "peak resident memory after the load", double(peak) / 1e6, double(fileBytes) / 1e6,
        double(peak) / double(fileBytes));

    {
        const QString sql = storage::CaseTable::ListQuery(3);
        const storage::ISQLiteDatabasePtr db
            = storage::OpenDatabase(path, storage::OpenMode::Create);
        storage::ISQLiteTablePtr result;
        report(cases, "ordered list query (RunQuery)",
            timed(
                repeats, [&result] { result.reset(); }, [&] { result = db->RunQuery(sql); }));
    }

    // "Otwórz bazę" on the same register: the list load alone, as the window does it.
    const auto loadList = [&mainWindow, &dialogs, &path] {
        dialogs.files.push_back(path);
        mainWindow.openRegister();
    };
    report(cases, "list load (Otwórz bazę: query, fill, count)", timed(repeats, {}, loadList));
    expectNoMessage(dialogs, "the list load");

    grid::SortableGrid& caseGrid = *mainWindow.caseGrid();
    const grid::SortOptions noOptions; // the main window never fills its sort settings
    report(cases, "grid sort by Nadawca (from Termin order)",
        timed(
            repeats, [&] { caseGrid.orderByColumn(2, noOptions); },
            [&] { caseGrid.orderByColumn(3, noOptions); }));
    loadList();

    // A case in the middle of the list, opened in the editor and saved as the user would.
    CaseEditor& caseEditor = program->caseEditor();
    int round = 0;
    const auto openMiddleCase = [&] {
        caseGrid.setRow(cases / 2);
        mainWindow.editCurrentCase();
        expectNoMessage(dialogs, "showing a case");
    };
    const auto save = [&] {
        mainWindow.saveChanges();
        const QStringList shown = dialogs.texts();
        if (shown.size() != 1 || !shown.first().endsWith(QStringLiteral(" zostały zapisane.")))
            fail(QStringLiteral("saving showed: %1").arg(shown.join(u'|')));
        dialogs.clear();
    };
    report(cases, "save one case, annotation changed, list refreshed",
        timed(
            repeats,
            [&] {
                openMiddleCase();
                caseEditor.setFieldText(
                    EditorField::Adnotacje, QStringLiteral("Poprawka %1").arg(++round));
            },
            save));
    report(cases, "save one case, sender changed, list refreshed",
        timed(
            repeats,
            [&] {
                openMiddleCase();
                caseEditor.setFieldText(EditorField::Nadawca,
                    ++round % 2 ? QStringLiteral("Ćwik Łucja") : QStringLiteral("Adamczyk Żaneta"));
            },
            save));

    // The saves above refreshed the list without reading the register again: it must show what a
    // full load shows.
    const std::vector<std::size_t> refreshed = listFingerprint(caseGrid);
    loadList();
    if (listFingerprint(caseGrid) != refreshed)
        fail(QStringLiteral("after a save the list differs from a full load"));

    mainWindow.resize(1200, 800);
    caseGrid.setTopRow(cases / 2);
    QImage frame(caseGrid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    caseGrid.viewport()->render(&frame); // fonts and glyphs cached before the clock starts
    const int frames = 20;
    Samples perFrame;
    for (int r = 0; r < repeats; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < frames; ++i)
            caseGrid.viewport()->render(&frame);
        perFrame.add(seconds(timer) / frames);
    }
    report(cases, "one paint of the visible list", perFrame, 1000.0, "ms");

    program.reset();
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--size") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietMessages);
        QApplication app(argc, argv);
        QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
        return runOneSize(QString::fromLocal8Bit(argv[2]).toInt());
    }

    QCoreApplication app(argc, argv);
    QStringList sizes = app.arguments().mid(1);
    if (sizes.isEmpty())
        sizes = { QStringLiteral("10000"), QStringLiteral("100000"), QStringLiteral("1000000") };
    int status = 0;
    for (const QString& size : sizes) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--size"), size });
        child.waitForFinished(-1);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            status = 1;
    }
    return status;
}
