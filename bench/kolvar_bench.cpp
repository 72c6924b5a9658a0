// kolvar-bench load FILE: the program's start as a user sees it, on a register given by path:
// the windows are created, the main window lists every case and is shown, then the program ends.
// Timed from outside (hyperfine) against the sqlite3 shell's ordered query on the same file.
//
// kolvar-bench dump FILE: the same start, then every text of the list, a row a line and the
// texts separated by tabs, to compare what two builds show, or a list ordered by a sort command
// (KOLVAR_BENCH_RESORT) with one loaded in that order.
//
// kolvar-bench COMMAND FILE: the same start, then one user command timed from the key to the
// repainted list, printed as "seconds S cpu C peak-before B peak-after A rss-after R" (S wall
// and C processor seconds, memory in MB, peaks from VmHWM). COMMAND is sort2, sort3 or sort4
// (Shift+F1/F2/F3), save (a case in the middle of the list shown, its sender changed, Insert), add
// (Ctrl+D with that case in the editor), delete (Ctrl+Delete on it, answered Yes; these three show
// their boxes for real, each answered once painted and, on an X display, read: the reading is
// not in S), search (Ctrl+F
// answered with KOLVAR_BENCH_PHRASE, else a phrase that is nowhere, from its OK to the "not
// found" box or the case found, and the repainted list; "found-row" then tells the row, 0 for
// none), regen (Regeneruj) or edit (F2 from the list, the editor opened on another case before,
// up to the case shown and drawn). KOLVAR_BENCH_CASE=ID makes the case of that ID the one a
// save, add, delete or edit works on, instead of the middle row's.
#include "BenchSupport.h"
#include "CaseEditor.h"
#include "FindDialog.h"
#include "FirstFrame.h"
#include "MainWindow.h"
#include "Program.h"
#include "ScriptedDialogs.h"
#include "ServerKeys.h"
#include "SortableGrid.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>

namespace {

void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

double monotonicSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Runs the command behind the action named name by its keys, pressed through the X server as a
// keyboard presses them where the program draws on one: the figure then holds the key's way to
// the shortcut, as the window's does. Elsewhere the command is called. False when the keys
// brought nothing within half a minute.
bool byKeys(MainWindow& mainWindow, const char* name, std::initializer_list<const char*> keys,
    void (MainWindow::*command)())
{
    auto* action = mainWindow.findChild<QAction*>(QString::fromLatin1(name));
    if (!action || !kolvar::bench::serverKeysUsable()) {
        (mainWindow.*command)();
        return true;
    }
    bool done = false;
    // Connected after the window's own handler, so it runs once the command has returned.
    const QMetaObject::Connection seen
        = QObject::connect(action, &QAction::triggered, [&done] { done = true; });
    kolvar::bench::pressServerKeys(keys);
    kolvar::bench::runEventsUntil([&done] { return done; }, 30000);
    QObject::disconnect(seen);
    return done;
}

// A user's key comes to a program that has waited for it, its processor asleep or at other work
// and its caches cold; a command run the moment the previous step ends is a millisecond or two
// quicker than any the window meets.
// KOLVAR_BENCH_REST_MS lengthens it where a test must tell a rest from a loaded machine's delays.
void restLikeAUser()
{
    static const int rest = qEnvironmentVariableIntValue("KOLVAR_BENCH_REST_MS") > 0
        ? qEnvironmentVariableIntValue("KOLVAR_BENCH_REST_MS")
        : 300;
    kolvar::bench::runEventsUntil([] { return false; }, rest);
}

// The processor time this process has had: on a machine shared with other work, the part of a
// command's wall time that is its own.
double processorSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

const QStringList Commands { QStringLiteral("sort2"), QStringLiteral("sort3"),
    QStringLiteral("sort4"), QStringLiteral("save"), QStringLiteral("add"),
    QStringLiteral("delete"), QStringLiteral("search"), QStringLiteral("regen"),
    QStringLiteral("edit") };

// The row a save, add, delete or edit works on: the case KOLVAR_BENCH_CASE names, else the middle
// row. 0 when no row holds that case.
int workedRow(const kolvar::grid::SortableGrid& caseGrid, int cases)
{
    if (!qEnvironmentVariableIsSet("KOLVAR_BENCH_CASE"))
        return cases / 2;
    const QString id = qEnvironmentVariable("KOLVAR_BENCH_CASE");
    for (int r = 1; r < caseGrid.rowCount(); ++r) {
        if (caseGrid.cells(1, r) == id)
            return r;
    }
    return 0;
}

// The phrase search as the window runs it: Ctrl+F's dialog answered with the phrase (the clock
// starts at its OK), the search, the case found made current or the "not found" box, the extra
// columns hidden again and the list repainted. The phrase is KOLVAR_BENCH_PHRASE, else one that
// is nowhere in a generated register. The row found (0 for none) goes to foundRow; false when
// the dialog never came or the window showed any other box.
bool search(MainWindow& mainWindow, kolvar::test::ScriptedDialogs& dialogs, QElapsedTimer& timer,
    int& foundRow)
{
    const QString phrase = qEnvironmentVariableIsSet("KOLVAR_BENCH_PHRASE")
        ? qEnvironmentVariable("KOLVAR_BENCH_PHRASE")
        : QStringLiteral("żółw xyzzy");
    bool answered = false;
    QTimer::singleShot(0, &mainWindow, [&] {
        auto* dialog = qobject_cast<FindDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->phraseEdit()->setText(phrase);
        answered = true;
        timer.start();
        dialog->accept();
    });
    dialogs.clear();
    mainWindow.findPhrase();
    kolvar::bench::finishDrawing(); // the repainted list
    const QString notFound
        = QStringLiteral("Frazy   \"") + phrase + QStringLiteral("\"   nie znalazłem");
    const QStringList shown = dialogs.texts();
    dialogs.clear();
    foundRow = shown.isEmpty() ? mainWindow.caseGrid()->row() : 0;
    return answered && (shown.isEmpty() || shown == QStringList { notFound });
}

QMessageBox::StandardButton standardButton(kolvar::DialogButton button)
{
    switch (button) {
    case kolvar::DialogButton::Yes:
        return QMessageBox::Yes;
    case kolvar::DialogButton::No:
        return QMessageBox::No;
    case kolvar::DialogButton::Cancel:
        return QMessageBox::Cancel;
    case kolvar::DialogButton::BackToEditing:
        return QMessageBox::NoButton; // no standard button: answered as the box's Escape
    case kolvar::DialogButton::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// The box a save, add or delete shows, as the user meets it: shown for real through the
// program's own dialogs and answered (as the script answers it) once it has painted, so that
// the time a box takes to appear, and the list repainted after it, are in the figure. Where the
// keys go through the X server, the user then reads it: the program finishes drawing behind it
// meanwhile, and Enter comes a rest later. The reading is added to reading, to be taken off the
// command's time: it is the user's, not the program's.
void showPainted(kolvar::UserDialogs& real, const kolvar::test::ScriptedDialogs::Shown& shown,
    kolvar::DialogButton answer, const QElapsedTimer& clock, qint64& reading)
{
    class AnswerOnPaint final : public QObject
    {
    public:
        AnswerOnPaint(
            QMessageBox::StandardButton button, const QElapsedTimer& clock, qint64& reading)
            : m_button(button)
            , m_clock(clock)
            , m_reading(reading)
        { }
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            auto* widget = qobject_cast<QWidget*>(watched);
            auto* box = widget ? qobject_cast<QMessageBox*>(widget->window()) : nullptr;
            if (event->type() == QEvent::Paint && box && !m_answered) {
                m_answered = true;
                // After the paint, the flush to the screen included. Enter answers with the
                // default button, the one each of these boxes is answered with, as the user's
                // Enter does; a box that has not got the keys is answered by a click a second
                // later.
                QTimer::singleShot(0, box, [this, box, button = m_button] {
                    if (kolvar::bench::serverKeysUsable()) {
                        const qint64 shownAt = m_clock.nsecsElapsed();
                        restLikeAUser();
                        m_reading += m_clock.nsecsElapsed() - shownAt;
                        kolvar::bench::pressServerKeys({ "Return" });
                        QTimer::singleShot(1000, box, [box, button] { answer(*box, button); });
                    } else {
                        answer(*box, button);
                    }
                });
            }
            return false;
        }

    private:
        static void answer(QMessageBox& box, QMessageBox::StandardButton button)
        {
            if (QAbstractButton* pressed = box.button(button))
                pressed->click();
            else
                box.reject();
        }
        QMessageBox::StandardButton m_button;
        const QElapsedTimer& m_clock;
        qint64& m_reading;
        bool m_answered = false;
    } answerer(standardButton(answer), clock, reading);
    QCoreApplication::instance()->installEventFilter(&answerer);
    QWidget* parent = QApplication::activeWindow();
    if (shown.kind == kolvar::test::ScriptedDialogs::Shown::Question)
        (void)real.ask(parent, shown.text, shown.buttons, shown.icon, shown.enterButton);
    else
        real.message(parent, shown.text, shown.icon);
    QCoreApplication::instance()->removeEventFilter(&answerer);
}

// Runs command on the started program; false when it is not one. The clock runs from timer's
// start, which the command may set later, where the user's wait begins.
bool runCommand(const QString& command, MainWindow& mainWindow,
    kolvar::test::ScriptedDialogs& dialogs, QElapsedTimer& timer, int& foundRow)
{
    bool ran = true;
    if (command.startsWith(QLatin1String("sort"))) {
        const int mode = command.back().digitValue();
        if (mode == 2)
            ran = byKeys(mainWindow, "sortByDate", { "Shift_L", "F1" }, &MainWindow::sortByDate);
        else if (mode == 3)
            ran = byKeys(
                mainWindow, "sortBySender", { "Shift_L", "F2" }, &MainWindow::sortBySender);
        else
            ran = byKeys(
                mainWindow, "sortBySubject", { "Shift_L", "F3" }, &MainWindow::sortBySubject);
    } else if (command == QLatin1String("save")) {
        ran = byKeys(mainWindow, "saveChanges", { "Insert" }, &MainWindow::saveChanges);
    } else if (command == QLatin1String("add")) {
        ran = byKeys(mainWindow, "addNewCase", { "Control_L", "d" }, &MainWindow::addNewCase);
    } else if (command == QLatin1String("delete")) {
        dialogs.answers.push_back(kolvar::DialogButton::Yes);
        ran = byKeys(mainWindow, "deleteCurrentCase", { "Control_L", "Delete" },
            &MainWindow::deleteCurrentCase);
    } else if (command == QLatin1String("search")) {
        return search(mainWindow, dialogs, timer, foundRow);
    } else if (command == QLatin1String("edit")) {
        ran = byKeys(mainWindow, "editCurrentCase", { "F2" }, &MainWindow::editCurrentCase);
    } else if (command == QLatin1String("regen")) {
        mainWindow.regenerateRegister();
    } else {
        return false;
    }
    kolvar::bench::finishDrawing(); // the repainted list
    return ran;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool dump = argc == 3 && qstrcmp(argv[1], "dump") == 0;
    const QString command = argc == 3 ? QString::fromLatin1(argv[1]) : QString();
    if (argc != 3 || (!dump && command != QLatin1String("load") && !Commands.contains(command))) {
        std::fprintf(
            stderr, "usage: kolvar-bench load|dump|%s FILE\n", qPrintable(Commands.join(u'|')));
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    QApplication app(argc, argv);
    const QString registerPath = QString::fromLocal8Bit(argv[2]);
    if (!QFileInfo(registerPath).isFile()) {
        std::fprintf(stderr, "kolvar-bench: no file %s\n", argv[2]);
        return 2;
    }
    // KOLVAR_BENCH_SORT=2 or 4 lists by date or subject instead of sender.
    const int sortMode = qEnvironmentVariableIsSet("KOLVAR_BENCH_SORT")
        ? qEnvironmentVariableIntValue("KOLVAR_BENCH_SORT")
        : 3;
    // KOLVAR_BENCH_FOLDER keeps the program folder from one run to the next.
    const kolvar::bench::ProgramFolder folder(
        registerPath, sortMode, qEnvironmentVariable("KOLVAR_BENCH_FOLDER"));
    kolvar::UserDialogs& realDialogs = kolvar::userDialogs();
    kolvar::test::ScriptedDialogs dialogs;
    int cases = 0;
    {
        kolvar::prepareApplication(app);
        kolvar::Program program(folder.path());
        kolvar::bench::showAndWaitForFirstFrame(program.mainWindow()); // the list as first painted
        cases = program.mainWindow().countLabel()->text().toInt();
        // Given the monotonic clock's reading when this process was started, a load tells how
        // long the user waited for the list, without the ending that nobody waits for.
        if (command == QLatin1String("load") && qEnvironmentVariableIsSet("KOLVAR_BENCH_EXEC")) {
            std::printf("seconds %.4f\n",
                monotonicSeconds() - qEnvironmentVariable("KOLVAR_BENCH_EXEC").toDouble());
            std::fflush(stdout);
            // KOLVAR_BENCH_LINGER=MS keeps the window up that long after, for kolvar-window to
            // see the program rest and time the same start from outside.
            if (qEnvironmentVariableIsSet("KOLVAR_BENCH_LINGER"))
                kolvar::bench::runEventsUntil(
                    [] { return false; }, qEnvironmentVariableIntValue("KOLVAR_BENCH_LINGER"));
        }
        if (dump) {
            // KOLVAR_BENCH_RESORT=2, 3 or 4 orders the loaded list by that command first: its
            // dump must equal the dump of a list loaded in that order.
            const int resort = qEnvironmentVariableIntValue("KOLVAR_BENCH_RESORT");
            if (resort >= 2 && resort <= 4) {
                int ignored = 0;
                QElapsedTimer unused;
                (void)runCommand(QStringLiteral("sort%1").arg(resort), program.mainWindow(),
                    dialogs, unused, ignored);
            }
            const kolvar::grid::SortableGrid& caseGrid = *program.mainWindow().caseGrid();
            for (int r = 0; r < caseGrid.rowCount(); ++r) {
                QStringList texts;
                for (int c = 0; c <= caseGrid.colCount(); ++c)
                    texts.append(caseGrid.cells(c, r).replace(u'\n', u'|').replace(u'\r', u'|'));
                std::printf("%s\n", texts.join(u'\t').toUtf8().constData());
            }
            std::printf("count %s current row %d\n",
                qPrintable(program.mainWindow().countLabel()->text()), caseGrid.row());
        }
        if (Commands.contains(command)) {
            MainWindow& mainWindow = program.mainWindow();
            // A desktop gives the new window the keyboard, as a click does: the boxes of the
            // commands then take the focus from it, and the list repaints as inactive behind
            // them.
            mainWindow.activateWindow();
            kolvar::bench::runEventsUntil(
                [&mainWindow] { return mainWindow.isActiveWindow(); }, 5000);
            kolvar::bench::finishDrawing();
            const bool edits = command == QLatin1String("edit");
            if (command == QLatin1String("save") || command == QLatin1String("add")
                || command == QLatin1String("delete") || edits) {
                const int row = workedRow(*mainWindow.caseGrid(), cases);
                if (row == 0) {
                    std::fprintf(stderr, "kolvar-bench: no case %s\n",
                        qPrintable(qEnvironmentVariable("KOLVAR_BENCH_CASE")));
                    return 1;
                }
                // F2 is timed on an editor that exists already, showing another case, as when
                // the user goes from case to case: its making is not the case's own cost.
                mainWindow.caseGrid()->setRow(edits ? (row == 1 ? 2 : 1) : row);
                // Opened by F2 through the server, as the user opens it: an editor opened by a
                // call made the add that followed 1 to 2 ms slower than the window's.
                (void)byKeys(mainWindow, "editCurrentCase", { "F2" }, &MainWindow::editCurrentCase);
                // Typed into the editor before the key that saves it, as the user types it. The
                // editor is made only here: a list the user never opened a case of has none,
                // and making it inside a sort command's time added 3-5 ms to it.
                if (command == QLatin1String("save"))
                    program.caseEditor().setFieldText(
                        kolvar::EditorField::Nadawca, QStringLiteral("Ćwik Łucja"));
                kolvar::bench::finishDrawing();
                // The user clicks the main window again, whose keys the commands are.
                mainWindow.activateWindow();
                kolvar::bench::runEventsUntil(
                    [&mainWindow] { return mainWindow.isActiveWindow(); }, 5000);
                kolvar::bench::finishDrawing();
                if (edits)
                    mainWindow.caseGrid()->setRow(row);
            }
            QElapsedTimer timer;
            qint64 reading = 0;
            if (command == QLatin1String("save") || command == QLatin1String("add")
                || command == QLatin1String("delete") || command == QLatin1String("search")) {
                dialogs.onShow = [&](const kolvar::test::ScriptedDialogs::Shown& shown) {
                    showPainted(realDialogs, shown,
                        dialogs.answers.empty() ? kolvar::DialogButton::Ok
                                                : dialogs.answers.front(),
                        timer, reading);
                };
            }
            (void)kolvar::bench::serverKeysUsable();
            restLikeAUser();
            const double before = double(kolvar::bench::peakResidentBytes()) / 1e6;
            const double cpuBefore = processorSeconds();
            timer.start();
            int foundRow = 0;
            if (!runCommand(command, mainWindow, dialogs, timer, foundRow)) {
                std::fprintf(stderr, "kolvar-bench: %s failed\n", argv[1]);
                return 1;
            }
            const double seconds = double(timer.nsecsElapsed() - reading) / 1e9;
            std::printf("seconds %.4f cpu %.4f peak-before %.1f peak-after %.1f rss-after %.1f",
                seconds, processorSeconds() - cpuBefore, before,
                double(kolvar::bench::peakResidentBytes()) / 1e6,
                double(kolvar::bench::residentBytes()) / 1e6);
            if (command == QLatin1String("search"))
                std::printf(" found-row %d", foundRow);
            std::printf("\n");
            // The confirmations the commands show are expected; anything else is not.
            const QStringList expected { QStringLiteral(" zostały zapisane."),
                QStringLiteral("Rekord dodany do bazy. "), QStringLiteral("jesteś tego pewny ?"),
                QStringLiteral("został zregenerowany.") };
            QStringList unexpected;
            for (const QString& text : dialogs.texts()) {
                if (std::none_of(expected.begin(), expected.end(),
                        [&text](const QString& end) { return text.endsWith(end); }))
                    unexpected.append(text);
            }
            dialogs.clear();
            for (const QString& text : unexpected)
                dialogs.message(nullptr, text, kolvar::MessageIcon::None);
        }
    }
    if (!dialogs.texts().isEmpty()) {
        std::fprintf(stderr, "kolvar-bench: %s\n", qPrintable(dialogs.texts().join(u'|')));
        return 1;
    }
    if (qEnvironmentVariableIsSet("KOLVAR_BENCH_VERBOSE"))
        std::fprintf(stderr, "%d cases, peak %.1f MB\n", cases,
            double(kolvar::bench::peakResidentBytes()) / 1e6);
    return cases > 0 ? 0 : 1;
}
