// Times the list grid where a big register hurts: sorting 100,000 cases by sender, painting one
// frame of a grid of a million rows against one of ten thousand, and searching 100,000 cases for a
// phrase none of them holds; counting the printed pages of a million cases, drawing the last page
// of 100,000, and laying out a record printout whose memo is one 100 KB line.
#include "PrinterAccess.h"
#include "PrinterTextStream.h"
#include "RecordPrintout.h"
#include "SortableGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPrinter>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <algorithm>
#include <cstdio>
#include <vector>

using kolvar::grid::SearchKeyType;
using kolvar::grid::SortableGrid;
using kolvar::grid::SortOptions;
using kolvar::grid::soString;
using kolvar::grid::soStringCaseSensitive;

namespace {

const QStringList firstNames { "Łukasz", "Żaneta", "Ścibor", "Agnieszka", "Bartłomiej", "Celina",
    "Dariusz", "Edyta", "Feliks", "Grażyna", "Henryk", "Irena", "Jerzy", "Katarzyna", "Leszek",
    "Małgorzata", "Norbert", "Olga", "Paweł", "Róża", "Stanisław", "Teresa", "Urszula", "Wojciech",
    "Zbigniew", "Źdźisław", "Ćwikła", "Anna", "Jan", "Piotr", "Krzysztof", "Andrzej", "Tomasz",
    "Michał", "Marcin", "Elżbieta", "Barbara", "Joanna", "Magdalena", "Monika" };
const QStringList surnames { "Żółtowski", "Nowak", "Kowalski", "Wiśniewski", "Wójcik", "Kowalczyk",
    "Kamiński", "Lewandowski", "Zieliński", "Szymański", "Woźniak", "Dąbrowski", "Kozłowski",
    "Jankowski", "Mazur", "Kwiatkowski", "Krawczyk", "Piotrowski", "Grabowski", "Nowakowski",
    "Pawłowski", "Michalski", "Król", "Wieczorek", "Jabłoński", "Wróbel", "Majewski", "Olszewski",
    "Stępień", "Malinowski", "Jaworski", "Adamczyk", "Dudek", "Nowicki", "Pawlak", "Górski",
    "Witkowski", "Walczak", "Sikora", "Baran", "Rutkowski", "Michalak", "Szewczyk", "Ostrowski",
    "Tomaszewski", "Pietrzak", "Duda", "Zalewski", "Wróblewski", "Jasiński", "Ślęzak", "Łęcki",
    "Źrebiec", "Ćmielewski", "Śliwa" };
const QStringList offices { "Urząd Skarbowy w %1", "Starostwo Powiatowe w %1", "Sąd Rejonowy w %1",
    "Urząd Miasta i Gminy %1", "Komenda Powiatowa Policji w %1",
    "Zakład Ubezpieczeń Społecznych, Oddział w %1", "Powiatowy Urząd Pracy w %1",
    "Spółdzielnia Mieszkaniowa „Przyszłość” w %1" };
const QStringList towns { "Śremie", "Łodzi", "Żninie", "Poznaniu", "Gnieźnie", "Kórniku", "Środzie",
    "Wrześni", "Kościanie", "Lesznie", "Ostrowie", "Kaliszu", "Pile", "Chodzieży", "Złotowie",
    "Obornikach", "Szamotułach", "Międzychodzie", "Gostyniu", "Jarocinie" };
const QStringList subjects { "Wezwanie do zapłaty", "Zawiadomienie o wszczęciu postępowania",
    "Decyzja w sprawie podatku od nieruchomości", "Prośba o informację", "Skarga na bezczynność",
    "Wniosek o udostępnienie informacji publicznej", "Zaświadczenie o niezaleganiu",
    "Odwołanie od decyzji", "Ponaglenie", "Zapytanie ofertowe" };

QString pick(QRandomGenerator& random, const QStringList& list)
{
    return list[int(random.bounded(quint32(list.size())))];
}

QString sender(QRandomGenerator& random, bool unique, int row)
{
    QString s = random.bounded(3) == 0 ? pick(random, offices).arg(pick(random, towns))
                                       : pick(random, firstNames) + u' ' + pick(random, surnames);
    if (unique)
        s += QStringLiteral(" (%1)").arg(row);
    return s;
}

QString details(QRandomGenerator& random, int minLength)
{
    QString text;
    while (text.size() < minLength)
        text += pick(random, subjects) + QStringLiteral(", sprawa nr ")
            + QString::number(random.bounded(100000)) + QStringLiteral("; ");
    return text;
}

void fill(SortableGrid& grid, int rows, bool uniqueSenders, int detailLength)
{
    QRandomGenerator random(1234);
    grid.setColCount(8);
    grid.setRowCount(rows + 1);
    grid.setFixedRows(1);
    const QStringList titles { "Lp.", "Termin", "Nadawca", "Dotyczy", "Tryb", "ID", "Szczegóły",
        "Adnotacje" };
    grid.setRowTexts(0, titles);
    for (int r = 1; r <= rows; ++r) {
        const QString termin = QStringLiteral("%1.%2.%3")
                                   .arg(2015 + random.bounded(10))
                                   .arg(1 + random.bounded(12), 2, 10, QLatin1Char('0'))
                                   .arg(1 + random.bounded(28), 2, 10, QLatin1Char('0'));
        grid.setRowTexts(r,
            QStringList { QString::number(r), termin, sender(random, uniqueSenders, r),
                pick(random, subjects), QStringLiteral("zwykły"), QString::number(r),
                details(random, detailLength), details(random, detailLength / 2),
                QString::number(r) });
    }
}

// The median of several sorts of the same shuffled rows; each run starts from the loaded order.
double sortSeconds(bool uniqueSenders, int column = 2)
{
    SortableGrid grid;
    grid.resize(1200, 800);
    fill(grid, 100000, uniqueSenders, 300);
    const SortOptions options; // detected key kind, ascending, case-insensitive
    std::vector<double> runs;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        grid.orderByColumn(column, options);
        runs.push_back(double(timer.nsecsElapsed()) / 1e9);
        grid.restorePreSortOrder();
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

double clearMilliseconds(int rows)
{
    SortableGrid grid;
    grid.resize(1200, 800);
    fill(grid, rows, false, 40);
    QElapsedTimer timer;
    timer.start();
    grid.clearAllRows();
    return double(timer.nsecsElapsed()) / 1e6;
}

double paintMilliseconds(int rows)
{
    SortableGrid grid;
    grid.resize(1200, 800);
    fill(grid, rows, false, 40);
    grid.setTopRow(rows / 2);
    QImage frame(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    grid.viewport()->render(&frame); // warm the font caches
    const int frames = 20;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < frames; ++i)
        grid.viewport()->render(&frame);
    return double(timer.nsecsElapsed()) / 1e6 / frames;
}

// The pages are laid out for an A4 page at 600 dpi whatever printers the machine has.
class NoPrinters final : public kolvar::PrinterAccess
{
public:
    std::unique_ptr<QPrinter> printerNamed(const QString&, QString& error) override
    {
        error = kolvar::noPrinterMessage();
        return nullptr;
    }
};

double countPagesMilliseconds(int rows)
{
    SortableGrid grid;
    fill(grid, rows, false, 40);
    QElapsedTimer timer;
    timer.start();
    const int pages = grid.countPrintPages();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("count the printed pages of %d rows (%d pages): %.1f ms\n", rows, pages, ms);
    return ms;
}

double lastPageMilliseconds(int rows)
{
    SortableGrid grid;
    fill(grid, rows, false, 40);
    grid.printOptions().previewPage = grid.countPrintPages();
    QImage page;
    QElapsedTimer timer;
    timer.start();
    grid.renderPreviewPage(page);
    return double(timer.nsecsElapsed()) / 1e6;
}

double longMemoMilliseconds()
{
    const QString memo(100 * 1024, QLatin1Char('x'));
    QElapsedTimer timer;
    timer.start();
    kolvar::PrinterTextStream stream(QSizeF(4720, 6780), 600);
    kolvar::writeRecordPrintout(stream, [&memo](kolvar::EditorField field) {
        return field == kolvar::EditorField::Szczegoly ? memo : QString();
    });
    return double(timer.nsecsElapsed()) / 1e6;
}

// The main window keeps its rows in Windows-1250, one byte a character; the search reads them
// back through the codec. A table codec as fast as the program's own, made from ICU's once.
void installCp1250(SortableGrid& grid)
{
    static const QString table = [] {
        QByteArray bytes(256, '\0');
        for (int b = 0; b < 256; ++b)
            bytes[b] = char(b);
        QStringDecoder decoder("windows-1250");
        return QString(decoder(bytes));
    }();
    grid.setCompactCodec(
        [](QStringView text) {
            QByteArray out(text.size(), Qt::Uninitialized);
            for (qsizetype i = 0; i < text.size(); ++i)
                out[i] = char(table.indexOf(text[i]));
            return out;
        },
        [](QByteArrayView bytes) {
            QString out(bytes.size(), Qt::Uninitialized);
            for (qsizetype i = 0; i < bytes.size(); ++i)
                out[i] = table[uchar(bytes[i])];
            return out;
        },
        [](QStringView text) {
            return std::all_of(text.begin(), text.end(), [](QChar c) { return table.contains(c); });
        });
}

// A phrase search as the main window runs one, for a phrase no case holds, so every cell of the
// grid is read: the median of several.
double searchSeconds(SortableGrid& grid, SearchKeyType keyType, bool byRows)
{
    grid.setKeyType(keyType);
    grid.setSearchSubstring(true);
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        int col = 0;
        int row = 0;
        QElapsedTimer timer;
        timer.start();
        const bool found = grid.findFirst(QStringLiteral("Łowicz"), byRows, col, row);
        runs.push_back(double(timer.nsecsElapsed()) / 1e9);
        if (found)
            std::printf("unexpected hit at %d, %d\n", col, row);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
        qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));

    std::printf("sort 100000 rows by sender (repeating senders), median of 7: %.3f s\n",
        sortSeconds(false));
    std::printf("sort 100000 rows by sender (every sender distinct), median of 7: %.3f s\n",
        sortSeconds(true));
    std::printf("sort 100000 rows by date (detected as dates), median of 7: %.3f s\n",
        sortSeconds(false, 1));
    {
        SortableGrid grid;
        installCp1250(grid);
        fill(grid, 100000, false, 400);
        std::printf("search 100000 rows for an absent phrase, ignoring case, along rows: %.3f s\n",
            searchSeconds(grid, soString, true));
        std::printf(
            "search 100000 rows for an absent phrase, ignoring case, down columns: %.3f s\n",
            searchSeconds(grid, soString, false));
        std::printf("search 100000 rows for an absent phrase, with case, along rows: %.3f s\n",
            searchSeconds(grid, soStringCaseSensitive, true));
    }
    std::printf("clear all texts of 1000000 rows: %.1f ms\n", clearMilliseconds(1000000));
    const double small = paintMilliseconds(10000);
    const double big = paintMilliseconds(1000000);
    std::printf("paint one frame, 10000 rows: %.2f ms\n", small);
    std::printf("paint one frame, 1000000 rows: %.2f ms\n", big);

    NoPrinters noPrinters;
    kolvar::setPrinterAccess(&noPrinters);
    countPagesMilliseconds(1000000);
    std::printf(
        "draw the last printed page of 100000 rows: %.1f ms\n", lastPageMilliseconds(100000));
    std::printf("lay out a record printout with a one-line memo of 100 KB: %.1f ms\n",
        longMemoMilliseconds());
    kolvar::setPrinterAccess(nullptr);
    return 0;
}
