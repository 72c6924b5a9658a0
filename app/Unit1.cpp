#include "Unit1.h"

#include "CalBrows.h"
#include "CaseList.h"
#include "CaseTable.h"
#include "ColorValue.h"
#include "Cp1250.h"
#include "CsvExport.h"
#include "IniFile.h"
#include "MaskedDateEdit.h"
#include "Panel.h"
#include "Program.h"
#include "RegisterBackup.h"
#include "StorageFailure.h"
#include "Unit2.h"
#include "UnitPokazuj.h"
#include "UserDialogs.h"
#include "Zarur.h"
#include "help.h"

#include <QAction>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using kolvar::Align;
using kolvar::Bevel;
using kolvar::DialogButton;
using kolvar::EditorField;
using kolvar::MessageIcon;
using kolvar::userDialogs;
using kolvar::grid::TZarur;
namespace colors = kolvar::colors;
namespace storage = kolvar::storage;
namespace CaseTable = kolvar::storage::CaseTable;

namespace {

const QString DatabaseFilter = QStringLiteral("Pliki bazowe (*.db)|*.db|Dowolne pliki (*.*)|*.*");
const QString ReadError = QStringLiteral("Błąd podczas odczytu bazy danych!");
const QString ChangedQuestion
    = QStringLiteral("W rekordzie dokonano zmian. Czy chcesz je zapisać? ");

constexpr qint64 CheckAheadFromBytes = 8 << 20;
constexpr int ListColumns = 8; // 0 .. 7 shown or hidden; the ninth text is kept beyond them

// The fifteen subjects the office files its letters under; kept with the window, never read.
const QString Tagi = QStringLiteral(
    "skarga,wniosek,petycja,odwołanie,zażalenie,informacja,zaproszenie,oferta,zawiadomienie,"
    "podziękowanie,zapytanie,interwencja,zgłoszenie,rezygnacja,uzgodnienie");

QFont arial(int pixels, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void setTextColour(QWidget* widget, kolvar::ColorValue colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, kolvar::toQColor(colour));
    widget->setPalette(palette);
}

QLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

// A value shown after its caption is named by both, so a screen reader says "Rekordów: 150"
// rather than a bare number.
void showCaptioned(QLabel* value, const QLabel* caption, const QString& text)
{
    value->setText(text);
    value->setAccessibleName(caption->text() + QLatin1Char(' ') + text);
}

// A register in the program folder is remembered by its bare name, as the settings files of
// earlier versions hold it; one elsewhere by its full path.
QString rememberedName(const QString& path, const QString& programFolder)
{
    const QFileInfo file(path);
    if (QDir(file.absolutePath()) == QDir(programFolder))
        return file.fileName();
    return file.absoluteFilePath();
}

// An existing file, not a folder: an empty or odd remembered name must not pass for a register.
bool isFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

// "yyyy?mm?dd": eight digits and the same separator twice.
bool isDate(QByteArrayView text)
{
    if (text.size() != 10 || text[4] != text[7])
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (digit != (i != 4 && i != 7))
            return false;
    }
    return true;
}

// Whether the file holds the case table: a file manager may hand the program anything.
bool isCaseRegister(const QString& path)
{
    if (!isFile(path))
        return false;
    try {
        return storage::OpenDatabase(path)->HasTable(QStringLiteral("kolvar"));
    } catch (const storage::ESQLiteException&) {
        return false;
    }
}

// Font sizes travel in points; the design font is given in pixels (13 pixels are 10 points on
// the screens the settings were made on).
int pointSizeOf(const QFont& font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    return qRound(font.pixelSize() * 72.0 / 96.0);
}

int styleBits(const QFont& font)
{
    return (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0)
        | (font.strikeOut() ? 8 : 0);
}

QFont fontFrom(const QString& name, int points, int style)
{
    QFont font(name);
    if (points > 0)
        font.setPointSize(points);
    font.setBold(style & 1);
    font.setItalic(style & 2);
    font.setUnderline(style & 4);
    font.setStrikeOut(style & 8);
    return font;
}

// A failure of this window's own making, with a message for the user.
class CommandError : public std::runtime_error
{
public:
    explicit CommandError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    { }
    [[nodiscard]] const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace

TForm1::TForm1(const QString& programFolder, const QString& startRegister,
    const QString& presetFolder, QWidget* parent)
    : QMainWindow(parent)
    , m_ProgramFolder(programFolder)
    , m_presetFolder(presetFolder)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kolvar wer.1.3"));
    setFont(arial(13, true));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kolvar::toQColor(colors::Silver));
    // The panels inherit the silver; the window itself is covered by its menu bar and panels,
    // so filling it too would only paint every pixel twice at each repaint.
    setPalette(palette);
    move(429, 551);
    resize(688, 309);

    createControls();
    createMenu();
    designGrid();
    m_caseList = std::make_unique<kolvar::CaseList>(*m_G1);
    installPrintPreview();
    FormCreate(startRegister);
}

TForm1::~TForm1() = default;

void TForm1::createControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(client);

    m_PanelTop = new kolvar::Panel(QStringLiteral("PanelTop"), client);
    m_PanelTop->setBevels(Bevel::Lowered, Bevel::Lowered);
    m_PanelTop->setFixedHeight(32);
    layout->addWidget(m_PanelTop);

    m_StaticText1 = makeLabel(
        QStringLiteral("StaticText1"), QStringLiteral("Otwarty plik:"), m_PanelTop, 7, 7);
    m_Label2 = makeLabel(QStringLiteral("Label2"), QStringLiteral("brak"), m_PanelTop, 93, 7);
    m_Label2->setFont(arial(13, true));
    setTextColour(m_Label2, colors::Maroon);
    m_Label1 = makeLabel(QStringLiteral("Label1"), QStringLiteral("0"), m_PanelTop, 153, 7);
    m_Label1->setFont(arial(11, false));
    setTextColour(m_Label1, colors::Blue);
    m_Label1->hide();
    m_IDEdit = new QLineEdit(QStringLiteral("11"), m_PanelTop);
    m_IDEdit->setObjectName(QStringLiteral("IDEdit"));
    m_IDEdit->setGeometry(168, 0, 33, m_IDEdit->sizeHint().height());
    m_IDEdit->setReadOnly(true);
    m_IDEdit->hide();
    connect(m_IDEdit, &QLineEdit::textChanged, this, &TForm1::IDEditChange);
    m_StaticText2
        = makeLabel(QStringLiteral("StaticText2"), QStringLiteral("Rekordów:"), m_PanelTop, 237, 7);
    m_LabelCount
        = makeLabel(QStringLiteral("LabelCount"), QStringLiteral("00"), m_PanelTop, 316, 7);
    m_LabelCount->setFont(arial(13, true));
    setTextColour(m_LabelCount, colors::Maroon);
    m_lblLewa = makeLabel(QStringLiteral("lblLewa"), QStringLiteral("10"), m_PanelTop, 408, 8);
    m_lblTop = makeLabel(QStringLiteral("lblTop"), QStringLiteral("10"), m_PanelTop, 464, 8);
    m_lblSzer = makeLabel(QStringLiteral("lblSzer"), QStringLiteral("602"), m_PanelTop, 520, 8);
    m_lblWys = makeLabel(QStringLiteral("lblWys"), QStringLiteral("673"), m_PanelTop, 568, 8);
    m_lblTagi = makeLabel(QStringLiteral("lblTagi"), Tagi, m_PanelTop, 624, 8);
    m_lblTagi->hide();

    m_Panel1 = new kolvar::Panel(QStringLiteral("Panel1"), client);
    m_Panel1->setBevels(Bevel::Lowered, Bevel::Lowered);
    layout->addWidget(m_Panel1, 1);

    m_G1 = new TZarur(m_Panel1);
    m_G1->setObjectName(QStringLiteral("G1"));
    m_G1->setAccessibleName(QStringLiteral("Lista spraw"));
    m_Panel1->dock(m_G1, Align::Client);
}

void TForm1::createMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    const auto item = [this](QMenu* menu, const char* name, const QString& caption,
                          const QKeySequence& shortcut, void (TForm1::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto menu = [bar](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };
    const auto command
        = [this, bar](const char* name, const QString& caption, void (TForm1::*handler)()) {
              QAction* action = bar->addAction(caption);
              action->setObjectName(QString::fromLatin1(name));
              connect(action, &QAction::triggered, this, handler);
          };
    const auto separator = [](QMenu* m, const char* name) {
        m->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    QMenu* file = menu("File1", QStringLiteral("&Baza"));
    m_Nowa1 = item(
        file, "Nowa1", QStringLiteral("Nowa Baza"), Qt::CTRL | Qt::Key_N, &TForm1::Nowa1Click);
    m_OpenDB1 = item(file, "OpenDB1", QStringLiteral("Otwórz bazę"), Qt::CTRL | Qt::Key_O,
        &TForm1::OtwieramDB1Click);
    separator(file, "N1");
    m_Regeneruj1 = item(file, "Regeneruj1", QStringLiteral("Regeneruj (odśwież) bazę"),
        Qt::CTRL | Qt::Key_R, &TForm1::Regeneruj1Click);
    m_Regeneruj1->setEnabled(false);
    separator(file, "N8");
    item(file, "EksportCsv1", QStringLiteral("Eksport do CSV…"), Qt::CTRL | Qt::Key_E,
        &TForm1::EksportCsv1Click);
    item(file, "KopiaZapasowa1", QStringLiteral("Kopia zapasowa…"), Qt::CTRL | Qt::Key_K,
        &TForm1::KopiaZapasowa1Click);

    QMenu* edit = menu("Edycja1", QStringLiteral("&Edycja"));
    item(edit, "PokazRekordu1", QStringLiteral("&Edycja aktualnego rekordu"), Qt::Key_F2,
        &TForm1::PokazRekordu1Click);
    separator(edit, "N5");
    item(edit, "Pierwszy1", QStringLiteral("&Pierwszy rekord"), Qt::CTRL | Qt::Key_P,
        &TForm1::Pierwszy1Click);
    item(edit, "Poprzedni1", QStringLiteral("P&oprzedni rekord"), {}, &TForm1::Poprzedni1Click);
    item(edit, "Nastepny1", QStringLiteral("&Następny rekord"), {}, &TForm1::Nastepny1Click);
    item(edit, "Ostatni1", QStringLiteral("O&statni rekord"), {}, &TForm1::Ostatni1Click);
    separator(edit, "N3");
    item(edit, "Dodaj1", QStringLiteral("&Dodaj nowy rekord"), Qt::CTRL | Qt::Key_D,
        &TForm1::Dodaj1Click);
    item(edit, "Zmiana1", QStringLiteral("&Zapisz zmiany w rekordzie"), Qt::Key_Insert,
        &TForm1::Zmiana1Click);
    separator(edit, "N4");
    item(edit, "Zniszcz1", QStringLiteral("Zniszcz wybrany re&kord"), Qt::CTRL | Qt::Key_Delete,
        &TForm1::Zniszcz1Click);

    QMenu* search = menu("mnuSzukaj", QStringLiteral("&Szukaj"));
    item(search, "Finduj1", QStringLiteral("Znajdź &frazę"), Qt::CTRL | Qt::Key_F,
        &TForm1::Finduj1Click);
    separator(search, "N6");
    item(search, "FindujNast", QStringLiteral("Znajdź następną"), Qt::Key_F3,
        &TForm1::FindujNastClick);

    command("Drukowanie1", QStringLiteral("&Drukowanie"), &TForm1::Drukowanie1Click);

    QMenu* settings = menu("mnuUstaw", QStringLiteral("&Ustawienia"));
    item(settings, "mnuSortuj2", QStringLiteral("Sortuj według terminu"), Qt::SHIFT | Qt::Key_F1,
        &TForm1::mnuSortuj2Click);
    item(settings, "mnuSortuj3", QStringLiteral("Sortuj według Nadawcy"), Qt::SHIFT | Qt::Key_F2,
        &TForm1::mnuSortuj3Click);
    item(settings, "mnuSortuj4", QStringLiteral("Sortuj według czego dotyczy"),
        Qt::SHIFT | Qt::Key_F3, &TForm1::mnuSortuj4Click);
    separator(settings, "N2");
    item(settings, "mnuFixed", QStringLiteral("Kolor tytułów kolumn bazy"), Qt::CTRL | Qt::Key_T,
        &TForm1::mnuFixedClick);
    item(settings, "mnuFonty", QStringLiteral("Fonty pola bazy"), Qt::CTRL | Qt::Key_B,
        &TForm1::mnuFontyClick);

    command("nmuKalendarz", QStringLiteral("K&alendarz"), &TForm1::nmuKalendarzClick);

    QMenu* help = menu("mnuHelp", QStringLiteral("Po&moc"));
    item(
        help, "mnuFAQ", QStringLiteral("Wskazówki merytoryczne"), Qt::Key_F1, &TForm1::mnuFAQClick);
    separator(help, "N7");
    item(help, "mnuAuthor", QStringLiteral("Autor"), {}, &TForm1::mnuAuthorClick);

    command("Koniec1", QStringLiteral("&Koniec"), &TForm1::Koniec1Click);
}

void TForm1::designGrid()
{
    using namespace kolvar::grid;
    TZarur& g = *m_G1;
    g.setColCount(3);
    g.setRowCount(3);
    g.setFixedRows(1);
    g.setFixedCols(1);
    g.setDefaultRowHeight(28);
    g.setFixedColor(kolvar::toQColor(colors::Silver));
    g.setFont(arial(13, true));
    g.setFontColor(kolvar::toQColor(colors::WindowText));
    g.setGridLineWidth(2);
    g.setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSizing
        | goColSizing | goRowMoving | goColMoving | goRowSelect);
    g.setScrollBars(ScrollStyle::ssVertical);
    g.SetKeyType(soString);
    g.SetKeyPos(1);
    g.SetKeyLen(2147483647);
    g.SetUseFixed(hfNot);
    g.SetSearchSubstring(true);
    g.SetSavedFixedRows(1);
    g.SetSavedFixedCols(1);
    g.SetCaseSensitive(false);
    g.SetAlignmentHorz(taCenter);
    g.SetAlignmentVert(taMiddle);
    g.SetProportionalScrollBars(true);
    g.SetExtendedKeys(false);
    g.SetSortSymbol(sgGlyph);
    g.SetSortColumn(2);
    g.SetSortOnClick(true);
    g.SetFooterColor(colors::Maroon);
    g.SetWordWrap(false);
    QFont footer(QStringLiteral("MS Sans Serif"));
    footer.setPixelSize(11);
    g.SetFooterFont(footer);
    // The printout as the form gives it; the other print options start as the grid's defaults.
    g.PrintOptions().HeaderSize = 10;
    g.PrintOptions().FooterSize = 7;

    // A million cases stay in memory as one byte per character of the register's code page.
    // The running numbers are the rows' own: a case moved by a save renumbers nothing.
    g.setNumberColumn(0);
    g.setCompactCodec([](QStringView text) { return storage::toCp1250(text); },
        [](QByteArrayView bytes) { return storage::fromCp1250(bytes); },
        [](QStringView text) { return storage::canEncodeCp1250(text); });

    g.onClick = [this] { G1Click(); };
    g.onDblClick = [this] { G1DblClick(); };
    g.onMouseUp = [this](Qt::MouseButton, Qt::KeyboardModifiers, const QPoint&) { G1MouseUp(); };
    g.onDrawCell = [this](int col, int row, const QRect& rect, kolvar::grid::GridDrawState state) {
        G1DrawCell(col, row, rect, state);
    };
}

// ---------------------------------------------------------------------------------------------
// Start-up and the list

void TForm1::FormCreate(const QString& startRegister)
{
    m_G1->setFixedCols(2);
    m_TerminWidth = 86;
    m_NadawcaWidth = 166;
    m_DotyczyWidth = 520;
    m_RowHeight = 22;
    for (QLabel* label : { m_lblLewa, m_lblTop, m_lblSzer, m_lblWys })
        label->hide();
    m_EditFontColor = colors::Black;
    m_LabelFontColor = colors::Black;
    m_PanelColor = colors::Silver;
    m_EditBoxColor = colors::Window;
    m_EditFontSize = 10;
    m_SortMode = 3;
    m_G1->SetSortColumn(m_SortMode);
    LoadSettings();
    if (!startRegister.isEmpty())
        takeStartRegister(startRegister);
    m_G1->SetUseFixed(kolvar::grid::hfNot);
    m_SearchByRows = true;
    m_Database.reset();
    m_DatabasePath = QDir(m_ProgramFolder).filePath(m_databaseName);
    layOutEmptyGrid();
    m_G1->SetSortColumn(m_SortMode);
    m_G1->invalidateGrid();
    // A remembered register that is gone is no error at start: the list just stays empty.
    if (isFile(m_DatabasePath))
        LoadList();
}

void TForm1::takeStartRegister(const QString& path)
{
    if (!isCaseRegister(path)) {
        userDialogs().message(this, ReadError, MessageIcon::Warning);
        return;
    }
    m_databaseName = rememberedName(path, m_ProgramFolder);
    m_Label2->setText(QFileInfo(path).fileName());
    m_Label2->adjustSize();
    m_lastOpenedFile = path;
}

void TForm1::FormShow()
{
    ApplyRowHeights();
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm1::ApplyRowHeights()
{
    m_G1->setDefaultRowHeight(m_RowHeight);
}

void TForm1::layOutEmptyGrid()
{
    TZarur& g = *m_G1;
    g.ClearAllRows();
    g.setFixedRows(1);
    g.setColCount(ListColumns);
    g.setCells(0, 0, QStringLiteral("Nr"));
    g.setColWidth(0, 38);
    g.setCells(1, 0, QStringLiteral("ID"));
    g.setColWidth(1, 0);
    g.setCells(2, 0, QStringLiteral(" Termin "));
    g.setColWidth(2, m_TerminWidth);
    g.setCells(3, 0, QStringLiteral("  Nadawca   "));
    g.setColWidth(3, m_NadawcaWidth);
    g.setCells(4, 0, QStringLiteral("   Dotyczy    "));
    g.setColWidth(4, m_DotyczyWidth);
    g.setCells(5, 0, QStringLiteral("Tryb"));
    g.setCells(6, 0, QStringLiteral("Odpowiedz"));
    g.setCells(7, 0, QStringLiteral("Szczegoly"));
    g.setCells(8, 0, QStringLiteral("Adnotacje"));
    g.setColWidth(5, 80);
    g.HideColumns(5, g.colCount() - 1);
}

void TForm1::LoadList()
{
    try {
        layOutEmptyGrid();
        // The old result and connection go first: a million cases must not be held twice.
        m_CurrentResult.reset();
        m_Database.reset();
        // Opening would create a missing file; only "Nowa Baza" makes registers.
        if (!isFile(m_DatabasePath))
            throw CommandError(QStringLiteral("Brak pliku %1").arg(m_DatabasePath));
        m_Database = storage::OpenDatabase(m_DatabasePath);
        // The first write checks the whole file, about a millisecond a megabyte: for a register
        // where that would be felt, the check runs on the other processor while the list loads.
        if (QFileInfo(m_DatabasePath).size() >= CheckAheadFromBytes)
            m_Database->CheckAheadOfWriting();
        CaseTable::VerifyTable(*m_Database);
        OpenSortedQuery();
    } catch (const storage::ESQLiteException& e) {
        showReadWarning(kolvar::storageFailureCause(e.resultCode()));
    } catch (...) {
        showReadWarning(QString());
    }
    updateRegenerujEnabled();
}

void TForm1::showReadWarning(const QString& cause)
{
    userDialogs().message(
        this, cause.isEmpty() ? ReadError : ReadError + u'\n' + cause, MessageIcon::Warning);
    m_G1->HideColumns(5, m_G1->colCount() - 1);
}

void TForm1::OpenSortedQuery()
{
    if (CaseTable::ListQuery(m_SortMode).isEmpty()) {
        m_G1->SetSortColumn(m_SortMode);
        throw CommandError(QStringLiteral("Nieznany porządek listy: %1").arg(m_SortMode));
    }
    const int total = m_caseList->load(database(), m_SortMode);
    showCaptioned(m_LabelCount, m_StaticText2, QString::number(total));
    m_LabelCount->adjustSize();
    m_LoadRow = total + 1;
    m_G1->SetSortOnClick(false);
    // The rows are put in order as they are filled in; the grid only marks the column.
    m_G1->SetSortColumn(m_SortMode);
    m_G1->invalidateGrid();
}

bool TForm1::columnsAsLaidOut() const
{
    const TZarur& g = *m_G1;
    if (g.colCount() != ListColumns || g.fixedRows() != 1
        || g.SortDirection() != kolvar::grid::sdAscending || g.SortColumn() != m_SortMode
        || g.SortOnClick())
        return false;
    static const std::array<QString, ListColumns + 1> titles { QStringLiteral("Nr"),
        QStringLiteral("ID"), QStringLiteral(" Termin "), QStringLiteral("  Nadawca   "),
        QStringLiteral("   Dotyczy    "), QStringLiteral("Tryb"), QStringLiteral("Odpowiedz"),
        QStringLiteral("Szczegoly"), QStringLiteral("Adnotacje") };
    const std::array<int, ListColumns> widths { 38, 0, m_TerminWidth, m_NadawcaWidth,
        m_DotyczyWidth, 0, 0, 0 };
    for (int c = 0; c <= ListColumns; ++c) {
        if (g.cells(c, 0) != titles[std::size_t(c)])
            return false;
        if (c < ListColumns && g.colWidth(c) != widths[std::size_t(c)])
            return false;
    }
    return true;
}

template <typename Change> void TForm1::refreshList(Change&& change)
{
    // Where the list holds the register as a load left it, only the rows that change are
    // touched; anything else (another program's writes, rows the user dragged) takes a load.
    if (m_Database && columnsAsLaidOut() && change(*m_caseList)) {
        showCaptioned(m_LabelCount, m_StaticText2, QString::number(m_caseList->count()));
        m_LabelCount->adjustSize();
        m_LoadRow = m_caseList->count() + 1;
        updateRegenerujEnabled();
        m_G1->invalidateGrid();
        G1Click();
    } else {
        ReloadList();
    }
}

void TForm1::ReloadList()
{
    LoadList();
    G1Click();
}

void TForm1::updateRegenerujEnabled()
{
    m_Regeneruj1->setEnabled(isFile(m_DatabasePath));
}

void TForm1::EnableRegeneruj()
{
    m_Regeneruj1->setEnabled(true);
}

void TForm1::G1MouseUp()
{
    m_TerminWidth = m_G1->colWidth(2);
    m_NadawcaWidth = m_G1->colWidth(3);
    m_DotyczyWidth = m_G1->colWidth(4);
}

kolvar::storage::ISQLiteDatabase& TForm1::database() const
{
    if (!m_Database)
        throw CommandError(QStringLiteral("Nie otwarto żadnej bazy danych."));
    return *m_Database;
}

// ---------------------------------------------------------------------------------------------
// Settings

void TForm1::LoadSettings()
{
    const QString path = kolvar::SettingsFile::readPath({ m_ProgramFolder, m_presetFolder });
    guarded([&] {
        const auto ini = kolvar::IniFile::load(path);
        if (!ini) {
            m_databaseName = m_Label2->text();
            return;
        }
        QList<QRect> screens;
        if (QScreen* primary = QGuiApplication::primaryScreen())
            screens.append(primary->availableGeometry());
        for (QScreen* screen : QGuiApplication::screens()) {
            if (screen != QGuiApplication::primaryScreen())
                screens.append(screen->availableGeometry());
        }
        applySettings(kolvar::SettingsFile::read(*ini, currentSettings(), screens));
    });
}

kolvar::AppSettings TForm1::currentSettings() const
{
    kolvar::AppSettings s;
    s.mainBounds = QRect(x(), y(), width(), height());
    s.editorLeft = m_lblLewa->text();
    s.editorTop = m_lblTop->text();
    s.editorWidth = m_lblSzer->text();
    s.editorHeight = m_lblWys->text();
    s.panelColor = m_PanelColor;
    s.editBoxColor = m_EditBoxColor;
    s.labelFontColor = m_LabelFontColor;
    s.editFontColor = m_EditFontColor;
    s.fixedColor = m_listFixedColor;
    s.editFontSize = m_EditFontSize;
    s.databaseName = m_databaseName;
    s.sortMode = m_SortMode;
    const QFont font = m_G1->font();
    s.listFontName = font.family();
    s.listFontSize = pointSizeOf(font);
    s.listFontColor = m_listFontColor;
    s.listFontStyle = styleBits(font);
    s.terminWidth = m_G1->colWidth(2);
    s.nadawcaWidth = m_G1->colWidth(3);
    s.dotyczyWidth = m_G1->colWidth(4);
    s.rowHeight = m_RowHeight;
    return s;
}

void TForm1::applySettings(const kolvar::AppSettings& s)
{
    move(s.mainBounds.topLeft());
    resize(s.mainBounds.size());
    m_lblLewa->setText(s.editorLeft);
    m_lblTop->setText(s.editorTop);
    m_lblSzer->setText(s.editorWidth);
    m_lblWys->setText(s.editorHeight);
    m_PanelColor = s.panelColor;
    m_EditBoxColor = s.editBoxColor;
    m_LabelFontColor = s.labelFontColor;
    m_EditFontColor = s.editFontColor;
    setListFixedColor(s.fixedColor);
    m_EditFontSize = s.editFontSize;
    m_databaseName = s.databaseName;
    showCaptioned(m_Label2, m_StaticText1, QFileInfo(s.databaseName).fileName());
    m_Label2->adjustSize();
    m_SortMode = s.sortMode;
    setListFont(fontFrom(s.listFontName, s.listFontSize, s.listFontStyle), s.listFontColor);
    m_TerminWidth = s.terminWidth;
    m_NadawcaWidth = s.nadawcaWidth;
    m_DotyczyWidth = s.dotyczyWidth;
    m_RowHeight = s.rowHeight;
}

void TForm1::SaveSettings()
{
    const kolvar::SettingsFile::Folders where { m_ProgramFolder, m_presetFolder };
    guarded([&] {
        // Entries of other programs and versions stay in the file, and a user's first own file
        // keeps what the preset held beside the program.
        kolvar::IniFile ini = kolvar::IniFile::load(kolvar::SettingsFile::readPath(where))
                                  .value_or(kolvar::IniFile {});
        kolvar::SettingsFile::write(ini, currentSettings());
        ini.save(kolvar::SettingsFile::writePath(where));
    });
}

void TForm1::setListFixedColor(kolvar::ColorValue color)
{
    m_listFixedColor = color;
    m_G1->setFixedColor(kolvar::toQColor(color));
}

void TForm1::setListFont(const QFont& font, kolvar::ColorValue color)
{
    m_listFontColor = color;
    m_G1->setFont(font);
    m_G1->setFontColor(kolvar::toQColor(color));
}

QString TForm1::lblLewaCaption() const
{
    return m_lblLewa->text();
}

void TForm1::setLblLewaCaption(const QString& caption)
{
    m_lblLewa->setText(caption);
}

QString TForm1::lblTopCaption() const
{
    return m_lblTop->text();
}

void TForm1::setLblTopCaption(const QString& caption)
{
    m_lblTop->setText(caption);
}

QString TForm1::lblSzerCaption() const
{
    return m_lblSzer->text();
}

void TForm1::setLblSzerCaption(const QString& caption)
{
    m_lblSzer->setText(caption);
}

QString TForm1::lblWysCaption() const
{
    return m_lblWys->text();
}

void TForm1::setLblWysCaption(const QString& caption)
{
    m_lblWys->setText(caption);
}

// ---------------------------------------------------------------------------------------------
// Failures

template <typename Command> void TForm1::guarded(Command&& command)
{
    try {
        command();
    } catch (const storage::ESQLiteException& e) {
        userDialogs().message(this, kolvar::storageFailureMessage(e), MessageIcon::Error);
    } catch (const kolvar::IniFileError& e) {
        userDialogs().message(this, e.message(), MessageIcon::Error);
    } catch (const kolvar::CsvExportError& e) {
        userDialogs().message(this, e.message(), MessageIcon::Error);
    } catch (const CommandError& e) {
        userDialogs().message(this, e.message(), MessageIcon::Error);
    } catch (const std::exception& e) {
        userDialogs().message(this, QString::fromLocal8Bit(e.what()), MessageIcon::Error);
    } catch (...) {
        userDialogs().message(this, QStringLiteral("Nieznany błąd."), MessageIcon::Error);
    }
}

// ---------------------------------------------------------------------------------------------
// Database file commands

void TForm1::attachEditor(std::function<TForm2*()> make)
{
    m_makeEditor = std::move(make);
    if (!m_makeEditor)
        m_form2 = nullptr;
}

void TForm1::attachCalendar(std::function<TCalendarBrowser*()> make)
{
    m_makeCalendar = std::move(make);
    if (!m_makeCalendar)
        m_calendar = nullptr;
}

TForm2* TForm1::editor()
{
    if (!m_form2 && m_makeEditor) {
        m_form2 = m_makeEditor();
        updateEditorPosition();
    }
    return m_form2;
}

TCalendarBrowser* TForm1::calendar()
{
    if (!m_calendar && m_makeCalendar)
        m_calendar = m_makeCalendar();
    return m_calendar;
}

void TForm1::updateEditorPosition()
{
    if (m_form2)
        m_form2->Label1()->setText(m_Label1->text() + QStringLiteral(" z ") + m_LabelCount->text());
}

bool TForm1::editorVisible() const
{
    return m_form2 && m_form2->isVisible();
}

bool TForm1::refusedWithUnsavedChanges(const QString& message)
{
    if (!editorVisible() || !m_form2->RecordChanged())
        return false;
    userDialogs().message(this, message);
    return true;
}

bool TForm1::refusedWhileEditing(const QString& message, bool information)
{
    if (!editorVisible())
        return false;
    userDialogs().message(
        this, message, information ? MessageIcon::Information : MessageIcon::None);
    return true;
}

void TForm1::useDatabaseFile(const QString& path)
{
    m_databaseName = rememberedName(path, m_ProgramFolder);
    showCaptioned(m_Label2, m_StaticText1, QFileInfo(path).fileName());
    m_Label2->adjustSize();
    m_DatabasePath = QFileInfo(path).absoluteFilePath();
    m_dateSeparator.reset();
    clearEditor();
    LoadList();
}

void TForm1::Nowa1Click()
{
    if (refusedWhileEditing(
            QStringLiteral("Tworzę nowe bazy tylko przy zamkniętym oknie Edycja i druk \n\r"
                           "              Proszę uprzednio zamknij to okno. ")))
        return;
    guarded([this] { createDatabase(); });
    updateRegenerujEnabled();
}

void TForm1::createDatabase()
{
    kolvar::FileDialogRequest request;
    request.caption = QStringLiteral("Nowa Baza");
    request.folder = kolvar::registerFolder(m_ProgramFolder);
    request.fileName = QStringLiteral("zerowa.db");
    request.filter = DatabaseFilter;
    request.defaultSuffix = QStringLiteral("db3");
    const auto chosen = userDialogs().saveFile(this, request);
    if (!chosen)
        return;
    const QString path = QFileInfo(*chosen).absoluteFilePath();
    if (QFileInfo::exists(path)) {
        userDialogs().message(this,
            QStringLiteral("Plik taki już istnieje - proszę podaj inną nazwę!"),
            MessageIcon::Information);
    } else {
        const QString termin = m_form2 ? m_form2->fieldText(EditorField::Termin) : QString();
        try {
            const auto db = storage::OpenDatabase(path, storage::OpenMode::Create);
            CaseTable::CreateTable(*db);
            CaseTable::InsertSeedCase(*db, termin);
        } catch (...) {
            // No half-made register is left behind to be opened by mistake later.
            QFile::remove(path);
            throw;
        }
    }
    useDatabaseFile(path);
}

void TForm1::OtwieramDB1Click()
{
    if (refusedWhileEditing(
            QStringLiteral("Otwieram bazy tylko przy zamkniętym oknie Edycja i druk \n\r"
                           "              Proszę uprzednio zamknij to okno. ")))
        return;
    guarded([this] { openDatabase(); });
    updateRegenerujEnabled();
}

void TForm1::openDatabase()
{
    kolvar::FileDialogRequest request;
    request.caption = QStringLiteral("Otwórz bazę");
    request.folder = kolvar::registerFolder(m_ProgramFolder);
    request.fileName = m_lastOpenedFile;
    request.filter = DatabaseFilter;
    const auto chosen = userDialogs().openFile(this, request);
    if (!chosen)
        return;
    m_lastOpenedFile = *chosen;
    useDatabaseFile(*chosen);
}

void TForm1::Regeneruj1Click()
{
    if (refusedWhileEditing(
            QStringLiteral("Bazy regeneruję tylko przy zamkniętym oknie Edycja i druk \n\r"
                           "              Proszę uprzednio zamknij to okno. ")))
        return;
    guarded([this] { regenerate(); });
}

void TForm1::regenerate()
{
    storage::ISQLiteDatabase& db = database();
    CaseTable::Compact(db);
    clearEditor();
    userDialogs().message(this,
        QStringLiteral("Plik bazowy  ") + m_Label2->text()
            + QStringLiteral("  został zregenerowany."));
}

void TForm1::EksportCsv1Click()
{
    if (refusedWithUnsavedChanges(QStringLiteral(
            "Eksportuję bazę tylko bez niezapisanych zmian w oknie Edycja i druk \n\r"
            "              Proszę uprzednio zapisz zmiany lub zamknij to okno. ")))
        return;
    guarded([this] { exportCsv(); });
}

std::optional<QString> TForm1::chooseFileBesideRegister(kolvar::FileDialogRequest request)
{
    (void)database(); // nothing to read without an open register: it says so
    request.folder = QFileInfo(m_DatabasePath).absolutePath();
    return userDialogs().saveFile(this, request);
}

void TForm1::exportCsv()
{
    kolvar::FileDialogRequest request;
    request.caption = QStringLiteral("Eksport do CSV");
    request.fileName = QFileInfo(m_DatabasePath).completeBaseName() + QStringLiteral(".csv");
    request.filter = QStringLiteral("Pliki CSV (*.csv)|*.csv|Dowolne pliki (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("csv");
    const auto chosen = chooseFileBesideRegister(request);
    if (!chosen)
        return;
    // The eight fields in the order the list shows its columns, whatever the user moved; the
    // running number is the list's, not the register's. The last field lies beyond the columns.
    const TZarur& g = *m_G1;
    std::vector<int> columns;
    for (int c = 0; c <= ListColumns; ++c) {
        if (g.cells(c, 0) != QLatin1String("Nr"))
            columns.push_back(c);
    }
    const int cases = std::min(m_caseList->count(), g.rowCount() - 1);
    kolvar::CsvExport::save(*chosen, int(columns.size()), cases + 1, [&](int col, int row) {
        const QString text = g.cells(columns[std::size_t(col)], row);
        return row == 0 ? text.trimmed() : text;
    });
    userDialogs().message(this,
        QStringLiteral("Zapisano plik\n%1\nRekordów: %2")
            .arg(QDir::toNativeSeparators(*chosen))
            .arg(cases));
}

void TForm1::KopiaZapasowa1Click()
{
    if (refusedWithUnsavedChanges(QStringLiteral(
            "Kopię zapasową robię tylko bez niezapisanych zmian w oknie Edycja i druk \n\r"
            "              Proszę uprzednio zapisz zmiany lub zamknij to okno. ")))
        return;
    guarded([this] { backUp(); });
}

void TForm1::backUp()
{
    kolvar::FileDialogRequest request;
    request.caption = QStringLiteral("Kopia zapasowa");
    request.fileName = QStringLiteral("%1-kopia-%2.db")
                           .arg(QFileInfo(m_DatabasePath).completeBaseName(),
                               QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    request.filter = DatabaseFilter;
    request.defaultSuffix = QStringLiteral("db");
    const auto chosen = chooseFileBesideRegister(request);
    if (!chosen)
        return;
    const std::int64_t cases = storage::BackUpRegister(m_DatabasePath, *chosen);
    userDialogs().message(this,
        QStringLiteral("Kopia zapasowa bazy zapisana w pliku\n%1\nRekordów w kopii: %2")
            .arg(QDir::toNativeSeparators(*chosen))
            .arg(cases));
}

void TForm1::mnuSortuj2Click()
{
    sortBy(2);
}

void TForm1::mnuSortuj3Click()
{
    sortBy(3);
}

void TForm1::mnuSortuj4Click()
{
    sortBy(4);
}

void TForm1::sortBy(int mode)
{
    if (refusedWhileEditing(QStringLiteral("Sortuję tylko przy zamkniętym oknie Edycja i druk \n\r"
                                           "           Proszę uprzednio zamknij to okno. "),
            true))
        return;
    guarded([this, mode] {
        // The list already holds every case: ordering it anew needs no reading of the register.
        // The case the user was on stays current, at its new place.
        const QString currentId = m_G1->cells(1, m_G1->row());
        const bool laidOut = m_Database && columnsAsLaidOut();
        m_SortMode = mode;
        if (laidOut && m_caseList->reorder(database(), mode)) {
            m_G1->SetSortColumn(m_SortMode);
            m_G1->invalidateGrid();
            G1Click();
        } else {
            m_G1->SetSortDirection(kolvar::grid::sdAscending);
            LoadList();
            bool isNumber = false;
            const std::int64_t id = currentId.toLongLong(&isNumber);
            const int row = isNumber ? m_caseList->rowOfCase(id) : 0;
            if (row > 0)
                m_G1->setRow(row);
            G1Click();
        }
        ApplyRowHeights();
    });
}

// ---------------------------------------------------------------------------------------------
// Record commands

void TForm1::G1Click()
{
    m_CurrentListRow = m_G1->row();
    m_IDEdit->setText(m_G1->cells(1, m_CurrentListRow));
    m_Label1->setText(QString::number(m_CurrentListRow));
    updateEditorPosition();
}

void TForm1::G1DblClick()
{
    PokazRekordu1Click();
}

void TForm1::IDEditChange()
{
    m_G1->invalidateGrid();
    updateEditorPosition();
}

void TForm1::SelectCurrentRow()
{
    m_Label1->setText(QString::number(m_CurrentListRow));
    m_G1->setSelection({ 2, m_CurrentListRow, 5, m_CurrentListRow });
    G1Click();
}

void TForm1::ShowResultInEditor()
{
    const storage::CaseRecord record = CaseTable::ReadCase(*m_CurrentResult);
    m_CurrentId = record.id;
    m_IDEdit->setText(QString::number(m_CurrentId));
    if (!editor())
        return;
    m_form2->Edit4()->setSeparator(dateSeparator());
    m_form2->setFieldText(EditorField::Termin, record.termin);
    m_form2->setFieldText(EditorField::Nadawca, record.nadawca);
    m_form2->setFieldText(EditorField::Dotyczy, record.dotyczy);
    m_form2->setFieldText(EditorField::Tryb, record.tryb);
    m_form2->setFieldText(EditorField::Odpowiedz, record.odpowiedz);
    m_form2->setFieldText(EditorField::Szczegoly, record.szczegoly);
    m_form2->setFieldText(EditorField::Adnotacje, record.adnotacje);
    m_form2->markShown();
}

QChar TForm1::dateSeparator()
{
    // Read from the list, which holds every date already: asking the engine would read the whole
    // file again, seconds for a large register.
    if (m_dateSeparator)
        return *m_dateSeparator;
    m_dateSeparator = kolvar::MaskedDateEdit::localeDateSeparator();
    std::array<int, 256> counts {};
    int most = 0;
    int mostRow = 0;
    for (int r = 1; r < m_G1->rowCount(); ++r) {
        const std::optional<QByteArrayView> bytes = m_G1->cellBytes(2, r);
        const QByteArray decoded = bytes ? QByteArray() : storage::toCp1250(m_G1->cells(2, r));
        const QByteArrayView termin = bytes ? *bytes : QByteArrayView(decoded);
        if (!isDate(termin))
            continue;
        // Of separators equally common, the first to get there.
        const int count = ++counts[static_cast<unsigned char>(termin[4])];
        if (count > most) {
            most = count;
            mostRow = r;
        }
    }
    if (mostRow > 0)
        m_dateSeparator = m_G1->cells(2, mostRow).at(4);
    return *m_dateSeparator;
}

void TForm1::clearEditor()
{
    m_CurrentId = 0;
    if (!m_form2)
        return;
    for (const EditorField field : kolvar::AllEditorFields)
        m_form2->setFieldText(field, QString());
    m_form2->setRecordChanged(false);
    m_form2->markShown();
}

bool TForm1::typingKept()
{
    if (!m_form2 || !m_form2->RecordChanged())
        return false;
    const DialogButton answer
        = userDialogs().ask(this, ChangedQuestion, { DialogButton::Yes, DialogButton::No });
    if (answer == DialogButton::Yes)
        return true; // the editor keeps the typing so that the user can save it
    m_form2->setRecordChanged(false);
    return false;
}

void TForm1::PokazRekordu1Click()
{
    guarded([this] {
        if (!typingKept())
            showCurrentCase();
    });
}

void TForm1::showCurrentCase()
{
    G1Click();
    bool isNumber = false;
    const std::int64_t id = m_IDEdit->text().toLongLong(&isNumber);
    if (!isNumber && m_Database && m_LabelCount->text() == QStringLiteral("0")) {
        // A register without a case (another program emptied the table): an empty editor, so
        // that the first case can be added.
        if (!editor())
            return;
        m_form2->Edit4()->setSeparator(dateSeparator());
        clearEditor();
        m_form2->show();
        return;
    }
    if (!isNumber)
        throw CommandError(QStringLiteral("W tym wierszu listy nie ma rekordu."));
    m_CurrentId = id;
    m_CurrentResult.reset();
    m_CurrentResult = CaseTable::QueryCase(database(), m_CurrentId);
    if (!m_CurrentResult->GoFirst())
        throw CommandError(
            QStringLiteral("Rekordu nie ma już w bazie: usunął go inny program. Lista zostanie "
                           "odświeżona przy następnym wczytaniu."));
    ShowResultInEditor();
    if (m_form2)
        m_form2->show();

    // The shown case becomes the last visible row when it lies below the first screenful.
    const int visible = m_G1->visibleRowCount();
    if (visible < m_CurrentListRow)
        m_G1->setTopRow(m_CurrentListRow - visible + 1);
    else
        m_G1->setTopRow(1);
}

void TForm1::Pierwszy1Click()
{
    guarded([this] { navigate(Step::First); });
}

void TForm1::Poprzedni1Click()
{
    guarded([this] { navigate(Step::Previous); });
}

void TForm1::Nastepny1Click()
{
    guarded([this] { navigate(Step::Next); });
}

void TForm1::Ostatni1Click()
{
    guarded([this] { navigate(Step::Last); });
}

void TForm1::navigate(Step step)
{
    if (typingKept())
        return;
    const int lastCase = m_G1->rowCount() - 1;
    switch (step) {
    case Step::First:
        m_CurrentListRow = 1;
        break;
    case Step::Previous:
        m_CurrentListRow = m_Label1->text().toInt();
        if (m_CurrentListRow <= 1)
            return;
        --m_CurrentListRow;
        break;
    case Step::Next:
        m_CurrentListRow = m_Label1->text().toInt();
        if (m_CurrentListRow >= lastCase)
            return;
        ++m_CurrentListRow;
        break;
    case Step::Last:
        m_CurrentListRow = lastCase;
        break;
    }
    m_Label1->setText(QString::number(m_CurrentListRow));
    SelectCurrentRow();
    m_IDEdit->setText(m_G1->cells(1, m_CurrentListRow));
    showCurrentCase();
}

kolvar::storage::CaseRecord TForm1::caseFromEditor() const
{
    storage::CaseRecord record;
    if (!m_form2)
        return record;
    record.termin = m_form2->fieldText(EditorField::Termin);
    record.nadawca = m_form2->fieldText(EditorField::Nadawca);
    record.dotyczy = m_form2->fieldText(EditorField::Dotyczy);
    record.tryb = m_form2->fieldText(EditorField::Tryb);
    record.odpowiedz = m_form2->fieldText(EditorField::Odpowiedz);
    record.szczegoly = m_form2->fieldText(EditorField::Szczegoly);
    record.adnotacje = m_form2->fieldText(EditorField::Adnotacje);
    return record;
}

bool TForm1::editorTextsStorable()
{
    if (!m_form2)
        return true;
    for (const EditorField field : kolvar::AllEditorFields) {
        const QString text = m_form2->fieldText(field);
        qsizetype bad = 0;
        if (storage::canEncodeCp1250(text, &bad))
            continue;
        const qsizetype length = text.at(bad).isHighSurrogate() && bad + 1 < text.size() ? 2 : 1;
        userDialogs().message(this,
            QStringLiteral("Pole „%1” zawiera znak „%2”, którego baza nie może przechować.\n"
                           "Usuń go lub zastąp innym i spróbuj ponownie; nic nie zostało zapisane.")
                .arg(kolvar::editorFieldName(field), text.mid(bad, length)),
            MessageIcon::Warning);
        return false;
    }
    return true;
}

void TForm1::closeEditorWithoutQuestion()
{
    if (!m_form2)
        return;
    m_form2->setRecordChanged(false);
    m_form2->close();
}

void TForm1::Dodaj1Click()
{
    guarded([this] { addCase(); });
}

void TForm1::addCase()
{
    if (!editorVisible()) {
        userDialogs().message(this,
            QStringLiteral("Dodaję rekordy tylko przy otwartym oknie Podglądu i edycji "
                           "rekordu\n\r\n\r       Proszę otwórz to okno i powtórz operację "
                           "dodawania"));
        return;
    }
    if (!editorTextsStorable())
        return;
    m_CurrentId = CaseTable::InsertCase(database(), caseFromEditor());
    const std::int64_t added = m_CurrentId;
    refreshList([&](kolvar::CaseList& list) { return list.refreshCase(database(), added); });
    userDialogs().message(this, QStringLiteral("Rekord dodany do bazy. "));
    closeEditorWithoutQuestion();
}

void TForm1::Zmiana1Click()
{
    guarded([this] { saveCase(); });
}

void TForm1::saveCase()
{
    if (m_CurrentId == 0) {
        userDialogs().message(this,
            QStringLiteral("Rekord nie został zapisany: nie wybrano żadnego rekordu."),
            MessageIcon::Warning);
        return;
    }
    // A hidden editor still holds the last case shown, or typing the user declined to save:
    // neither is what the user now means to save.
    if (!editorVisible()) {
        userDialogs().message(this,
            QStringLiteral("Zapisuję zmiany tylko przy otwartym oknie Edycja i druk \n\r"
                           "              Proszę pokaż rekord, popraw go i zapisz ponownie; nic "
                           "nie zostało zapisane."),
            MessageIcon::Warning);
        return;
    }
    if (!editorTextsStorable())
        return;
    storage::CaseFields changed {};
    for (const EditorField field : kolvar::AllEditorFields)
        changed[std::size_t(field)] = m_form2->fieldChanged(field);
    if (CaseTable::UpdateCase(database(), m_CurrentId, caseFromEditor(), changed) == 0) {
        // The typing stays in the editor: it can still be added as a new case.
        userDialogs().message(this,
            QStringLiteral("Rekord nie został zapisany: nie ma go już w bazie."),
            MessageIcon::Warning);
        ReloadList();
        return;
    }
    // The row of the case saved: the user may have clicked another row since it was shown.
    const int savedRow = m_caseList->rowOfCase(m_CurrentId);
    userDialogs().message(this,
        QStringLiteral("Zmiany w rekordzie ")
            + QString::number(savedRow > 0 ? savedRow : m_G1->row())
            + QStringLiteral(" zostały zapisane."));
    const std::int64_t saved = m_CurrentId;
    refreshList([&](kolvar::CaseList& list) { return list.refreshCase(database(), saved); });
    closeEditorWithoutQuestion();
}

void TForm1::Zniszcz1Click()
{
    guarded([this] { deleteCase(); });
}

void TForm1::deleteCase()
{
    if (m_LabelCount->text().toInt() <= 1)
        return; // the last case of a register stays
    if (!editorVisible())
        showCurrentCase();

    // The question names the case the editor shows, which is the one deleted, even when the
    // user has clicked another row of the list meanwhile.
    m_CurrentResult.reset();
    m_CurrentResult = CaseTable::QueryCase(database(), m_CurrentId);
    if (!m_CurrentResult->GoFirst()) {
        userDialogs().message(this,
            QStringLiteral("Rekord nie został usunięty: nie ma go już w bazie."),
            MessageIcon::Warning);
    } else {
        const QString nadawca = CaseTable::ReadCase(*m_CurrentResult).nadawca;
        const DialogButton answer = userDialogs().ask(this,
            QStringLiteral("Zniszczyć rekord ") + nadawca + QStringLiteral("  jesteś tego pewny ?"),
            { DialogButton::Yes, DialogButton::No, DialogButton::Cancel });
        if (answer == DialogButton::Yes) {
            const std::int64_t deleted = m_CurrentId;
            if (CaseTable::DeleteCase(database(), deleted) == 0) {
                userDialogs().message(this,
                    QStringLiteral("Rekord nie został usunięty: nie ma go już w bazie."),
                    MessageIcon::Warning);
            } else {
                refreshList(
                    [&](kolvar::CaseList& list) { return list.removeCase(database(), deleted); });
                closeEditorWithoutQuestion();
                return;
            }
        }
    }
    ReloadList();
    closeEditorWithoutQuestion();
}

void TForm1::Koniec1Click()
{
    close();
}

bool TForm1::FormCloseQuery()
{
    if (!editorVisible())
        return true;
    userDialogs().message(this,
        QStringLiteral("Przed końcem pracy należy uprzednio zamknąć to "
                       "okno \n\r      Okno Edycji i druku."));
    return false;
}

void TForm1::FormClose()
{
    if (editorVisible())
        m_form2->close();
    SaveSettings();
    emit formClosed();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Printing, calendar and hints; the phrase search and the list's look are in PhraseSearch.cpp and
// ListAppearance.cpp

void TForm1::Drukowanie1Click()
{
    m_G1->PreviewPrintout();
}

void TForm1::nmuKalendarzClick()
{
    if (!calendar())
        return;
    m_calendar->show();
    m_calendar->raise();
    m_calendar->activateWindow();
}

void TForm1::mnuFAQClick()
{
    // A fresh window each time: the hints file may have changed since the last look.
    TFhelp help(kolvar::hintsFolder(m_ProgramFolder), this);
    help.exec();
}
