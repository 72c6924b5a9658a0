// A list grid of a few thousand cases to try by hand: click a title to sort (right button sorts
// descending), Ctrl/Shift-click and drag to mark rows, Ctrl+Insert and Ctrl+Delete to add and
// remove rows, F2 to edit a cell (an empty date is refused), drag the title lines to size and
// move columns. The last two rows are footer rows.
#include "SortableGrid.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRandomGenerator>
#include <QWidget>

using namespace kolvar::grid;

namespace {

const QStringList senders { "Łukasz Żółtowski", "Urząd Skarbowy w Śremie", "Anna Nowak",
    "Sąd Rejonowy w Żninie", "Ścibor Ćwikliński", "Zakład Ubezpieczeń Społecznych",
    "Grażyna Wiśniewska", "Starostwo Powiatowe w Kórniku", "jan kowalski", "Źdźisław Śliwa" };
const QStringList subjects { "Wezwanie do zapłaty", "Zawiadomienie o wszczęciu postępowania",
    "Decyzja w sprawie podatku", "Prośba o informację", "Skarga na bezczynność", "Odwołanie" };

void fill(SortableGrid& grid, int rows)
{
    QRandomGenerator random(7);
    grid.setColCount(6);
    grid.setRowCount(rows + 3);
    grid.setFixedRows(1);
    grid.setFixedCols(1);
    grid.setRowTexts(0, { "Lp.", "Termin", "Nadawca", "Dotyczy", "Kwota", "Godzina" });
    for (int r = 1; r <= rows; ++r) {
        const auto pick = [&random](const QStringList& list) {
            return list[int(random.bounded(quint32(list.size())))];
        };
        grid.setRowTexts(r,
            QStringList { QString::number(r),
                QStringLiteral("%1.%2.%3")
                    .arg(2018 + random.bounded(7))
                    .arg(1 + random.bounded(12), 2, 10, QLatin1Char('0'))
                    .arg(1 + random.bounded(28), 2, 10, QLatin1Char('0')),
                pick(senders), pick(subjects),
                QLocale().toString(random.bounded(100000) / 100.0, 'f', 2),
                QStringLiteral("%1:%2")
                    .arg(random.bounded(24))
                    .arg(random.bounded(60), 2, 10, QLatin1Char('0')) });
    }
    grid.setRowTexts(rows + 1, { "", "", "Razem", "", "", "" });
    grid.setRowTexts(rows + 2, { "", "", "Stopka", "", "", "" });
    grid.setFooterRows(2);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("SortableGrid — próba ręczna"));
    auto* layout = new QVBoxLayout(&window);
    auto* bar = new QHBoxLayout;
    layout->addLayout(bar);

    auto* grid = new SortableGrid(&window);
    grid->setObjectName(QStringLiteral("caseGrid"));
    layout->addWidget(grid, 1);
    auto* status = new QLabel(&window);
    layout->addWidget(status);

    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(13);
    grid->setFont(font);
    grid->setDefaultRowHeight(28);
    grid->setFixedColor(QColor(192, 192, 192));
    grid->setGridLineWidth(2);
    grid->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect
        | goRowSizing | goColSizing | goColMoving | goEditing);
    fill(*grid, 3000);
    grid->setColWidth(0, 60);
    grid->fitAllColumns(false, 16);
    grid->setAlignmentHorz(taCenter);
    grid->setAlignmentVert(taMiddle);
    grid->setSortSymbol(sgGlyph);
    grid->setSortColumn(2);
    grid->setBevelStyle(cbRaised);
    grid->setFooterColor(kolvar::colors::Maroon);
    grid->setFooterFontColor(kolvar::colors::White);
    grid->setExtendedKeys(true);

    grid->onCellValidate = [](int col, int, QString& value, bool& valid) {
        if (col == 1 && value.trimmed().isEmpty())
            valid = false;
    };
    grid->onEndSort = [grid, status](int col) {
        status->setText(QStringLiteral("Posortowano kolumnę %1 %2")
                            .arg(col)
                            .arg(grid->sortDirection() == sdAscending ? "rosnąco" : "malejąco"));
    };
    grid->onClick = [grid, status] {
        status->setText(QStringLiteral("Wiersz %1, zaznaczonych %2")
                            .arg(grid->row())
                            .arg(grid->markedRowCount()));
    };

    auto* symbol = new QComboBox(&window);
    symbol->addItems({ "sgNone", "sgArrow", "sgGlyph" });
    symbol->setCurrentIndex(2);
    QObject::connect(symbol, &QComboBox::currentIndexChanged, grid,
        [grid](int i) { grid->setSortSymbol(SortSymbol(i)); });
    bar->addWidget(new QLabel(QStringLiteral("Znak sortowania:"), &window));
    bar->addWidget(symbol);
    auto* bevel = new QComboBox(&window);
    bevel->addItems({ "cbNone", "cbRaised", "cbLowered" });
    bevel->setCurrentIndex(1);
    QObject::connect(bevel, &QComboBox::currentIndexChanged, grid,
        [grid](int i) { grid->setBevelStyle(CellBevelStyle(i)); });
    bar->addWidget(new QLabel(QStringLiteral("Obramowanie:"), &window));
    bar->addWidget(bevel);
    auto* footer = new QCheckBox(QStringLiteral("Sortuj stopkę"), &window);
    QObject::connect(
        footer, &QCheckBox::toggled, grid, [grid](bool on) { grid->setSortFooter(on); });
    bar->addWidget(footer);
    bar->addStretch();

    window.resize(1000, 700);
    window.show();
    grid->setFocus();
    return app.exec();
}
