#include "Unit1.h"

#include "MainWindowShared.h"

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
#include "ServerStore.h"
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
#include <QSocketNotifier>
#include <QStyle>
#include <QTimer>
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
using kolvar::MessageIcon;
using kolvar::userDialogs;
using kolvar::grid::TZarur;
namespace colors = kolvar::colors;
namespace storage = kolvar::storage;
namespace CaseTable = kolvar::storage::CaseTable;
using namespace kolvar::form1;

namespace {

const QString ReadError = QStringLiteral("Błąd podczas odczytu bazy danych!");

constexpr qint64 CheckAheadFromBytes = 8 << 20;

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

// An existing file, not a folder: an empty or odd remembered name must not pass for a register.
bool isFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

// Why the file is no register the list could show, as the list load would say it; empty for a
// register. A file manager may hand the program anything.
QString whyNoRegister(const QString& path)
{
    const QFileInfo file(path);
    if (file.isDir())
        return QStringLiteral("To jest folder, a nie plik rejestru.");
    if (!file.exists())
        return QStringLiteral("Nie ma takiego pliku.");
    try {
        (void)CaseTable::VerifyTable(*storage::OpenDatabase(path));
    } catch (const storage::ESQLiteException& e) {
        const QString cause = kolvar::storageFailureCause(e.resultCode());
        return cause.isEmpty() ? e.message() : cause;
    }
    return QString();
}

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
    m_lblTylkoOdczyt = makeLabel(
        QStringLiteral("lblTylkoOdczyt"), QStringLiteral("tylko do odczytu"), m_PanelTop, 360, 7);
    m_lblTylkoOdczyt->setFont(arial(13, true));
    setTextColour(m_lblTylkoOdczyt, colors::Maroon);
    m_lblTylkoOdczyt->hide();

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
    item(file, "OtworzSerwer1", QStringLiteral("Otwórz rejestr na serwerze…"), {},
        &TForm1::OtworzSerwer1Click);
    item(file, "NowySerwer1", QStringLiteral("Nowy rejestr na serwerze…"), {},
        &TForm1::NowySerwer1Click);
    separator(file, "N1");
    m_Regeneruj1 = item(file, "Regeneruj1", QStringLiteral("Regeneruj (odśwież) bazę"),
        Qt::CTRL | Qt::Key_R, &TForm1::Regeneruj1Click);
    m_Regeneruj1->setEnabled(false);
    separator(file, "N8");
    item(file, "EksportCsv1", QStringLiteral("Eksport do CSV…"), Qt::CTRL | Qt::Key_E,
        &TForm1::EksportCsv1Click);
    item(file, "KopiaZapasowa1", QStringLiteral("Kopia zapasowa…"), Qt::CTRL | Qt::Key_K,
        &TForm1::KopiaZapasowa1Click);
    m_PrzeniesNaSerwer1 = item(file, "PrzeniesNaSerwer1", QStringLiteral("Przenieś na serwer…"), {},
        &TForm1::PrzeniesNaSerwer1Click);
    m_PrzeniesNaSerwer1->setEnabled(false);

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
    m_store.reset();
    m_DatabasePath = storage::isServerUri(m_databaseName)
        ? m_databaseName
        : QDir(m_ProgramFolder).filePath(m_databaseName);
    layOutEmptyGrid();
    m_G1->SetSortColumn(m_SortMode);
    m_G1->invalidateGrid();
    // A remembered register that is gone is no error at start: the list just stays empty, and
    // says so as it does for an empty register, under the missing file's name ("brak" is the
    // name of none, which a first run keeps).
    if (isFile(m_DatabasePath) || isServerRegister()) {
        LoadList();
    } else if (!m_databaseName.isEmpty() && m_databaseName != QLatin1String("brak")) {
        showCaptioned(m_Label2, m_StaticText1, QFileInfo(m_DatabasePath).fileName());
        m_Label2->adjustSize();
        showCaptioned(m_LabelCount, m_StaticText2, QStringLiteral("0"));
        m_LabelCount->adjustSize();
    }
}

void TForm1::takeStartRegister(const QString& path)
{
    // A server register is checked when it is opened: reaching the server twice gains nothing.
    if (storage::isServerUri(path)) {
        m_databaseName = path;
        m_Label2->setText(storage::ServerAddress::fromUri(path)
                              .value_or(storage::ServerAddress {})
                              .displayName());
        m_Label2->adjustSize();
        return;
    }
    // The list goes on showing the remembered register, so the message names the file refused.
    if (const QString cause = whyNoRegister(path); !cause.isEmpty()) {
        userDialogs().message(this,
            ReadError + u'\n' + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) + u'\n'
                + cause,
            MessageIcon::Warning);
        return;
    }
    m_databaseName = rememberedName(path, m_ProgramFolder);
    showCaptioned(m_Label2, m_StaticText1, QFileInfo(path).fileName());
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
    if (!m_firstUsePrepared) {
        m_firstUsePrepared = true;
        QTimer::singleShot(200, this, &TForm1::prepareFirstUse);
    }
}

// What the first sort, search or box would read from the desktop's themes while the user waits
// for it, the busy cursor and the buttons' icons, is read once the list is up and nothing is
// asked of the program.
void TForm1::prepareFirstUse()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QGuiApplication::restoreOverrideCursor();
    (void)style()->standardIcon(QStyle::SP_DialogOkButton).pixmap(16, 16);
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
        m_shownCase.reset();
        // Whatever becomes of the store, the list reads from it again only once loaded anew.
        m_caseList->forgetStore();
        m_tableShape = {};
        if (isServerRegister() && m_store && m_storeAddress == m_DatabasePath)
            recheckServerStore();
        else
            openStore();
        OpenSortedQuery();
        tellAboutTableShape();
    } catch (const storage::EServerException& e) {
        // The server named, the sentence for what happened, and the server's own words.
        showReadWarning(QStringLiteral("Rejestr na serwerze %1.\n").arg(m_Label2->text())
            + kolvar::storageFailureCause(e) + QStringLiteral("\n\n") + e.message());
    } catch (const storage::ESQLiteException& e) {
        showReadWarning(kolvar::storageFailureCause(e.resultCode()));
    } catch (const CommandError& e) {
        showReadWarning(e.message());
    } catch (...) {
        showReadWarning(QString());
    }
    watchChanges();
    showWriteRights();
    updateRegenerujEnabled();
}

void TForm1::recheckServerStore()
{
    // The open connection serves the reload: a new one would cost a login (perhaps a password
    // asked again) and a server process, and announcements would go unheard while none listens.
    try {
        m_store->recheck();
        // The load reads what they announced.
        (void)m_store->takeChanges();
    } catch (...) {
        m_changeNotifier.reset();
        m_store.reset();
        m_storeAddress.clear();
        throw;
    }
}

void TForm1::openStore()
{
    // The old connection goes first: a million cases must not be held twice.
    m_changeNotifier.reset();
    m_store.reset();
    m_storeAddress.clear();
    if (isServerRegister()) {
        m_store = openServerStore(m_DatabasePath);
        m_storeAddress = m_DatabasePath;
        return;
    }
    // Opening would create a missing file; only "Nowa Baza" makes registers.
    if (!isFile(m_DatabasePath))
        throw CommandError(QStringLiteral("Pliku %1 nie ma: został usunięty albo przeniesiony.")
                               .arg(QDir::toNativeSeparators(m_DatabasePath)));
    storage::ISQLiteDatabasePtr db = storage::OpenDatabase(m_DatabasePath);
    // The first write checks the whole file, about a millisecond a megabyte: for a register
    // where that would be felt, the check runs on the other processor while the list loads.
    if (QFileInfo(m_DatabasePath).size() >= CheckAheadFromBytes)
        db->CheckAheadOfWriting();
    m_tableShape = CaseTable::VerifyTable(*db);
    m_store = storage::FileStoreOn(std::move(db), m_DatabasePath);
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
    const int total = m_caseList->load(store(), m_SortMode);
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

void TForm1::tellAboutTableShape()
{
    if (m_shapeToldFor == m_DatabasePath)
        return;
    m_shapeToldFor = m_DatabasePath;
    QStringList told;
    if (!m_tableShape.idIsRowKey)
        told << readOnlyFileSentence();
    if (m_tableShape.hasTriggers)
        told << QStringLiteral("Ten rejestr ma wyzwalacze (triggery), których Kolvar nie tworzy, "
                               "zapisane w nim przez inny program. Kolvar ich nie uruchamia: "
                               "zapis zmienia tylko to, co widać w oknie Edycja i druk.");
    if (!told.isEmpty())
        userDialogs().message(this, told.join(QStringLiteral("\n\n")), MessageIcon::Information);
}

void TForm1::ReloadList()
{
    LoadList();
    G1Click();
}

void TForm1::updateRegenerujEnabled()
{
    m_Regeneruj1->setEnabled((isFile(m_DatabasePath) || (isServerRegister() && m_store))
        && !(m_store && m_store->readOnly()));
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

kolvar::storage::ICaseStore& TForm1::store() const
{
    if (!m_store)
        throw CommandError(QStringLiteral("Nie otwarto żadnej bazy danych."));
    return *m_store;
}

// ---------------------------------------------------------------------------------------------
// Printing, calendar and hints; the phrase search and the list's look are in PhraseSearch.cpp and
// ListAppearance.cpp

void TForm1::Drukowanie1Click()
{
    guarded([this] { catchUp(); });
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
