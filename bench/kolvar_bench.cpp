// kolvar-bench load FILE: the program's start as a user sees it, on a register given by path:
// the windows are created, the main window lists every case and is shown, then the program ends.
// Timed from outside (hyperfine) against the sqlite3 shell's ordered query on the same file.
//
// kolvar-bench dump FILE: the same start, then every text of the list, a row a line and the
// texts separated by tabs, to compare what two builds show.
#include "BenchSupport.h"
#include "Program.h"
#include "ScriptedDialogs.h"
#include "Unit1.h"
#include "Zarur.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>

#include <cstdio>
#include <optional>

namespace {

void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[])
{
    const bool dump = argc == 3 && qstrcmp(argv[1], "dump") == 0;
    if (argc != 3 || (!dump && qstrcmp(argv[1], "load") != 0)) {
        std::fprintf(stderr, "usage: kolvar-bench load|dump FILE\n");
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
    const kolvar::bench::ProgramFolder folder(registerPath, sortMode);
    kolvar::test::ScriptedDialogs dialogs;
    int cases = 0;
    {
        QApplication::setApplicationName(QStringLiteral("Kolvar"));
        kolvar::Program program(folder.path());
        program.form1().show();
        QApplication::processEvents(); // the first frame of the list
        cases = program.form1().LabelCount()->text().toInt();
        if (dump) {
            const kolvar::grid::TZarur& g1 = *program.form1().G1();
            for (int r = 0; r < g1.rowCount(); ++r) {
                QStringList texts;
                for (int c = 0; c <= g1.colCount(); ++c)
                    texts.append(g1.cells(c, r).replace(u'\n', u'|').replace(u'\r', u'|'));
                std::printf("%s\n", texts.join(u'\t').toUtf8().constData());
            }
            std::printf("count %s current row %d\n",
                qPrintable(program.form1().LabelCount()->text()), g1.row());
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
