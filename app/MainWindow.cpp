#include "MainWindow.h"

#include "MainWindowShared.h"

#include "CalendarWindow.h"
#include "CaseEditor.h"
#include "CaseList.h"
#include "ColorValue.h"
#include "Cp1250.h"
#include "CsvExport.h"
#include "HintsWindow.h"
#include "IniFile.h"
#include "ListPreview.h"
#include "MaskedDateEdit.h"
#include "Panel.h"
#include "PlacedLabel.h"
#include "Program.h"
#include "RegisterBackup.h"
#include "ServerStore.h"
#include "SortableGrid.h"
#include "StorageFailure.h"
#include "UserDialogs.h"

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
using kolvar::makeLabel;
using kolvar::MessageIcon;
using kolvar::userDialogs;
using kolvar::grid::SortableGrid;
namespace colors = kolvar::colors;
namespace storage = kolvar::storage;
using namespace kolvar::mainwindow;

namespace {

const QString ReadError = QStringLiteral("Błąd podczas odczytu bazy danych!");

// The fifteen subjects the office files its letters under; kept with the window, never read.
const QString SubjectList = QStringLiteral(
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
        (void)storage::OpenFileStore(path);
    } catch (const storage::StoreError& e) {
        const QString cause = kolvar::storageFailureCause(e);
        return cause.isEmpty() ? e.detail() : cause;
    }
    return QString();
}

} // namespace

MainWindow::MainWindow(const QString& programFolder, const QString& startRegister,
    const QString& presetFolder, QWidget* parent)
    : QMainWindow(parent)
    , m_programFolder(programFolder)
    , m_presetFolder(presetFolder)
{
    setObjectName(QStringLiteral("mainWindow"));
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
    m_caseList = std::make_unique<kolvar::CaseList>(*m_caseGrid);
    installPrintPreview();
    initialize(startRegister);
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(client);

    m_topPanel = new kolvar::Panel(QStringLiteral("topPanel"), client);
    m_topPanel->setBevels(Bevel::Lowered, Bevel::Lowered);
    m_topPanel->setFixedHeight(32);
    layout->addWidget(m_topPanel);

    m_fileCaptionLabel = makeLabel(
        QStringLiteral("fileCaptionLabel"), QStringLiteral("Otwarty plik:"), m_topPanel, 7, 7);
    m_fileLabel = makeLabel(QStringLiteral("fileLabel"), QStringLiteral("brak"), m_topPanel, 93, 7);
    m_fileLabel->setFont(arial(13, true));
    setTextColour(m_fileLabel, colors::Maroon);
    m_rowLabel = makeLabel(QStringLiteral("rowLabel"), QStringLiteral("0"), m_topPanel, 153, 7);
    m_rowLabel->setFont(arial(11, false));
    setTextColour(m_rowLabel, colors::Blue);
    m_rowLabel->hide();
    m_idEdit = new QLineEdit(QStringLiteral("11"), m_topPanel);
    m_idEdit->setObjectName(QStringLiteral("idEdit"));
    m_idEdit->setGeometry(168, 0, 33, m_idEdit->sizeHint().height());
    m_idEdit->setReadOnly(true);
    m_idEdit->hide();
    connect(m_idEdit, &QLineEdit::textChanged, this, &MainWindow::idEditChanged);
    m_countCaptionLabel = makeLabel(
        QStringLiteral("countCaptionLabel"), QStringLiteral("Rekordów:"), m_topPanel, 237, 7);
    m_countLabel
        = makeLabel(QStringLiteral("countLabel"), QStringLiteral("00"), m_topPanel, 316, 7);
    m_countLabel->setFont(arial(13, true));
    setTextColour(m_countLabel, colors::Maroon);
    m_editorLeftLabel
        = makeLabel(QStringLiteral("editorLeftLabel"), QStringLiteral("10"), m_topPanel, 408, 8);
    m_editorTopLabel
        = makeLabel(QStringLiteral("editorTopLabel"), QStringLiteral("10"), m_topPanel, 464, 8);
    m_editorWidthLabel
        = makeLabel(QStringLiteral("editorWidthLabel"), QStringLiteral("602"), m_topPanel, 520, 8);
    m_editorHeightLabel
        = makeLabel(QStringLiteral("editorHeightLabel"), QStringLiteral("673"), m_topPanel, 568, 8);
    m_subjectsLabel = makeLabel(QStringLiteral("subjectsLabel"), SubjectList, m_topPanel, 624, 8);
    m_subjectsLabel->hide();
    m_readOnlyLabel = makeLabel(
        QStringLiteral("readOnlyLabel"), QStringLiteral("tylko do odczytu"), m_topPanel, 360, 7);
    m_readOnlyLabel->setFont(arial(13, true));
    setTextColour(m_readOnlyLabel, colors::Maroon);
    m_readOnlyLabel->hide();

    m_gridPanel = new kolvar::Panel(QStringLiteral("gridPanel"), client);
    m_gridPanel->setBevels(Bevel::Lowered, Bevel::Lowered);
    layout->addWidget(m_gridPanel, 1);

    m_caseGrid = new SortableGrid(m_gridPanel);
    m_caseGrid->setObjectName(QStringLiteral("caseGrid"));
    m_caseGrid->setAccessibleName(QStringLiteral("Lista spraw"));
    m_gridPanel->dock(m_caseGrid, Align::Client);
}

void MainWindow::createMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    const auto item = [this](QMenu* menu, const char* name, const QString& caption,
                          const QKeySequence& shortcut, void (MainWindow::*handler)()) {
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
        = [this, bar](const char* name, const QString& caption, void (MainWindow::*handler)()) {
              QAction* action = bar->addAction(caption);
              action->setObjectName(QString::fromLatin1(name));
              connect(action, &QAction::triggered, this, handler);
          };
    const auto separator = [](QMenu* m, const char* name) {
        m->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    QMenu* file = menu("registerMenu", QStringLiteral("&Baza"));
    m_newRegisterAction = item(file, "newRegister", QStringLiteral("Nowa Baza"),
        Qt::CTRL | Qt::Key_N, &MainWindow::newRegister);
    m_openRegisterAction = item(file, "openRegister", QStringLiteral("Otwórz bazę"),
        Qt::CTRL | Qt::Key_O, &MainWindow::openRegister);
    item(file, "openServerRegister", QStringLiteral("Otwórz rejestr na serwerze…"), {},
        &MainWindow::openServerRegister);
    item(file, "newServerRegister", QStringLiteral("Nowy rejestr na serwerze…"), {},
        &MainWindow::newServerRegister);
    separator(file, "registerSeparator1");
    m_regenerateAction
        = item(file, "regenerateRegister", QStringLiteral("Regeneruj (odśwież) bazę"),
            Qt::CTRL | Qt::Key_R, &MainWindow::regenerateRegister);
    m_regenerateAction->setEnabled(false);
    separator(file, "registerSeparator2");
    item(file, "exportToCsv", QStringLiteral("Eksport do CSV…"), Qt::CTRL | Qt::Key_E,
        &MainWindow::exportToCsv);
    item(file, "backUpRegister", QStringLiteral("Kopia zapasowa…"), Qt::CTRL | Qt::Key_K,
        &MainWindow::backUpRegister);
    m_moveToServerAction = item(
        file, "moveToServer", QStringLiteral("Przenieś na serwer…"), {}, &MainWindow::moveToServer);
    m_moveToServerAction->setEnabled(false);

    QMenu* edit = menu("editMenu", QStringLiteral("&Edycja"));
    item(edit, "editCurrentCase", QStringLiteral("&Edycja aktualnego rekordu"), Qt::Key_F2,
        &MainWindow::editCurrentCase);
    separator(edit, "editSeparator1");
    item(edit, "firstCase", QStringLiteral("&Pierwszy rekord"), Qt::CTRL | Qt::Key_P,
        &MainWindow::firstCase);
    item(edit, "previousCase", QStringLiteral("P&oprzedni rekord"), {}, &MainWindow::previousCase);
    item(edit, "nextCase", QStringLiteral("&Następny rekord"), {}, &MainWindow::nextCase);
    item(edit, "lastCase", QStringLiteral("O&statni rekord"), {}, &MainWindow::lastCase);
    separator(edit, "editSeparator2");
    item(edit, "addNewCase", QStringLiteral("&Dodaj nowy rekord"), Qt::CTRL | Qt::Key_D,
        &MainWindow::addNewCase);
    item(edit, "saveChanges", QStringLiteral("&Zapisz zmiany w rekordzie"), Qt::Key_Insert,
        &MainWindow::saveChanges);
    separator(edit, "editSeparator3");
    item(edit, "deleteCurrentCase", QStringLiteral("Zniszcz wybrany re&kord"),
        Qt::CTRL | Qt::Key_Delete, &MainWindow::deleteCurrentCase);

    QMenu* search = menu("searchMenu", QStringLiteral("&Szukaj"));
    item(search, "findPhrase", QStringLiteral("Znajdź &frazę"), Qt::CTRL | Qt::Key_F,
        &MainWindow::findPhrase);
    separator(search, "searchSeparator");
    item(search, "findNextPhrase", QStringLiteral("Znajdź następną"), Qt::Key_F3,
        &MainWindow::findNextPhrase);

    command("printList", QStringLiteral("&Drukowanie"), &MainWindow::printList);

    QMenu* settings = menu("settingsMenu", QStringLiteral("&Ustawienia"));
    item(settings, "sortByDate", QStringLiteral("Sortuj według terminu"), Qt::SHIFT | Qt::Key_F1,
        &MainWindow::sortByDate);
    item(settings, "sortBySender", QStringLiteral("Sortuj według Nadawcy"), Qt::SHIFT | Qt::Key_F2,
        &MainWindow::sortBySender);
    item(settings, "sortBySubject", QStringLiteral("Sortuj według czego dotyczy"),
        Qt::SHIFT | Qt::Key_F3, &MainWindow::sortBySubject);
    separator(settings, "settingsSeparator");
    item(settings, "chooseTitleColor", QStringLiteral("Kolor tytułów kolumn bazy"),
        Qt::CTRL | Qt::Key_T, &MainWindow::chooseTitleColor);
    item(settings, "chooseListFont", QStringLiteral("Fonty pola bazy"), Qt::CTRL | Qt::Key_B,
        &MainWindow::chooseListFont);

    command("showCalendar", QStringLiteral("K&alendarz"), &MainWindow::showCalendar);

    QMenu* help = menu("helpMenu", QStringLiteral("Po&moc"));
    item(help, "showHints", QStringLiteral("Wskazówki merytoryczne"), Qt::Key_F1,
        &MainWindow::showHints);
    separator(help, "helpSeparator");
    item(help, "showAuthor", QStringLiteral("Autor"), {}, &MainWindow::showAuthor);

    command("quitProgram", QStringLiteral("&Koniec"), &MainWindow::quitProgram);
}

void MainWindow::designGrid()
{
    using namespace kolvar::grid;
    SortableGrid& g = *m_caseGrid;
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
    g.setKeyType(soString);
    g.setKeyPos(1);
    g.setKeyLen(2147483647);
    g.setUseFixed(hfNot);
    g.setSearchSubstring(true);
    g.setSavedFixedRows(1);
    g.setSavedFixedCols(1);
    g.setCaseSensitive(false);
    g.setAlignmentHorz(taCenter);
    g.setAlignmentVert(taMiddle);
    g.setProportionalScrollBars(true);
    g.setExtendedKeys(false);
    g.setSortSymbol(sgGlyph);
    g.setSortColumn(2);
    g.setSortOnClick(true);
    g.setFooterColor(colors::Maroon);
    g.setWordWrap(false);
    QFont footer(QStringLiteral("MS Sans Serif"));
    footer.setPixelSize(11);
    g.setFooterFont(footer);
    // The printout as the form gives it; the other print options start as the grid's defaults.
    g.printOptions().headerSize = 10;
    g.printOptions().footerSize = 7;

    // A million cases stay in memory as one byte per character of the register's code page.
    // The running numbers are the rows' own: a case moved by a save renumbers nothing.
    g.setNumberColumn(0);
    g.setCompactCodec([](QStringView text) { return storage::toCp1250(text); },
        [](QByteArrayView bytes) { return storage::fromCp1250(bytes); },
        [](QStringView text) { return storage::canEncodeCp1250(text); });

    g.onClick = [this] { caseGridClicked(); };
    g.onDblClick = [this] { caseGridDoubleClicked(); };
    g.onMouseUp
        = [this](Qt::MouseButton, Qt::KeyboardModifiers, const QPoint&) { rememberColumnWidths(); };
    g.onDrawCell = [this](int col, int row, const QRect& rect, kolvar::grid::GridDrawState state) {
        drawCaseGridCell(col, row, rect, state);
    };
}

// ---------------------------------------------------------------------------------------------
// Start-up and the list

void MainWindow::initialize(const QString& startRegister)
{
    m_caseGrid->setFixedCols(2);
    m_terminWidth = 86;
    m_nadawcaWidth = 166;
    m_dotyczyWidth = 520;
    m_rowHeight = 22;
    for (QLabel* label :
        { m_editorLeftLabel, m_editorTopLabel, m_editorWidthLabel, m_editorHeightLabel })
        label->hide();
    m_editFontColor = colors::Black;
    m_labelFontColor = colors::Black;
    m_panelColor = colors::Silver;
    m_editBoxColor = colors::Window;
    m_editFontSize = 10;
    m_sortMode = 3;
    m_caseGrid->setSortColumn(m_sortMode);
    loadSettings();
    if (!startRegister.isEmpty())
        takeStartRegister(startRegister);
    m_caseGrid->setUseFixed(kolvar::grid::hfNot);
    m_searchByRows = true;
    m_store.reset();
    m_databasePath = storage::isServerUri(m_databaseName)
        ? m_databaseName
        : QDir(m_programFolder).filePath(m_databaseName);
    layOutEmptyGrid();
    m_caseGrid->setSortColumn(m_sortMode);
    m_caseGrid->invalidateGrid();
    // A remembered register that is gone is no error at start: the list just stays empty, and
    // says so as it does for an empty register, under the missing file's name ("brak" is the
    // name of none, which a first run keeps).
    if (isFile(m_databasePath) || isServerRegister()) {
        loadList();
    } else if (!m_databaseName.isEmpty() && m_databaseName != QLatin1String("brak")) {
        showCaptioned(m_fileLabel, m_fileCaptionLabel, QFileInfo(m_databasePath).fileName());
        m_fileLabel->adjustSize();
        showCaptioned(m_countLabel, m_countCaptionLabel, QStringLiteral("0"));
        m_countLabel->adjustSize();
    }
}

void MainWindow::takeStartRegister(const QString& path)
{
    // A server register is checked when it is opened: reaching the server twice gains nothing.
    if (storage::isServerUri(path)) {
        m_databaseName = path;
        m_fileLabel->setText(storage::ServerAddress::fromUri(path)
                                 .value_or(storage::ServerAddress {})
                                 .displayName());
        m_fileLabel->adjustSize();
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
    m_databaseName = rememberedName(path, m_programFolder);
    showCaptioned(m_fileLabel, m_fileCaptionLabel, QFileInfo(path).fileName());
    m_fileLabel->adjustSize();
    m_lastOpenedFile = path;
}

void MainWindow::prepareShowing()
{
    applyRowHeight();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        prepareShowing();
    if (!m_firstUsePrepared) {
        m_firstUsePrepared = true;
        QTimer::singleShot(200, this, &MainWindow::prepareFirstUse);
    }
}

// What the first sort, search or box would read from the desktop's themes while the user waits
// for it, the busy cursor and the buttons' icons, is read once the list is up and nothing is
// asked of the program.
void MainWindow::prepareFirstUse()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QGuiApplication::restoreOverrideCursor();
    (void)style()->standardIcon(QStyle::SP_DialogOkButton).pixmap(16, 16);
}

void MainWindow::applyRowHeight()
{
    m_caseGrid->setDefaultRowHeight(m_rowHeight);
}

void MainWindow::layOutEmptyGrid()
{
    SortableGrid& g = *m_caseGrid;
    g.clearAllRows();
    g.setFixedRows(1);
    g.setColCount(ListColumns);
    g.setCells(0, 0, QStringLiteral("Nr"));
    g.setColWidth(0, 38);
    g.setCells(1, 0, QStringLiteral("ID"));
    g.setColWidth(1, 0);
    g.setCells(2, 0, QStringLiteral(" Termin "));
    g.setColWidth(2, m_terminWidth);
    g.setCells(3, 0, QStringLiteral("  Nadawca   "));
    g.setColWidth(3, m_nadawcaWidth);
    g.setCells(4, 0, QStringLiteral("   Dotyczy    "));
    g.setColWidth(4, m_dotyczyWidth);
    g.setCells(5, 0, QStringLiteral("Tryb"));
    g.setCells(6, 0, QStringLiteral("Odpowiedz"));
    g.setCells(7, 0, QStringLiteral("Szczegoly"));
    g.setCells(8, 0, QStringLiteral("Adnotacje"));
    g.setColWidth(5, 80);
    g.hideColumns(5, g.colCount() - 1);
}

void MainWindow::loadList()
{
    try {
        layOutEmptyGrid();
        m_shownCase.reset();
        // Whatever becomes of the store, the list reads from it again only once loaded anew.
        m_caseList->forgetStore();
        if (m_store && m_store->keepsConnection() && m_storeAddress == m_databasePath)
            recheckStore();
        else
            openStore();
        loadSortedList();
        tellAboutTableShape();
    } catch (const storage::StoreError& e) {
        // A server is named, with the sentence for what happened and the server's own words.
        if (isServerRegister())
            showReadWarning(QStringLiteral("Rejestr na serwerze %1.\n").arg(m_fileLabel->text())
                + kolvar::storageFailureCause(e) + QStringLiteral("\n\n") + e.detail());
        else
            showReadWarning(kolvar::storageFailureCause(e));
    } catch (const CommandError& e) {
        showReadWarning(e.message());
    } catch (...) {
        showReadWarning(QString());
    }
    watchChanges();
    showWriteRights();
    updateRegenerateEnabled();
}

void MainWindow::recheckStore()
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

void MainWindow::openStore()
{
    // The old connection goes first: a million cases must not be held twice.
    m_changeNotifier.reset();
    m_store.reset();
    m_storeAddress.clear();
    if (isServerRegister()) {
        m_store = openServerStore(m_databasePath);
        m_storeAddress = m_databasePath;
        return;
    }
    // Opening would create a missing file; only "Nowa Baza" makes registers.
    if (!isFile(m_databasePath))
        throw CommandError(QStringLiteral("Pliku %1 nie ma: został usunięty albo przeniesiony.")
                               .arg(QDir::toNativeSeparators(m_databasePath)));
    m_store = storage::OpenFileStore(m_databasePath);
}

void MainWindow::showReadWarning(const QString& cause)
{
    userDialogs().message(
        this, cause.isEmpty() ? ReadError : ReadError + u'\n' + cause, MessageIcon::Warning);
    m_caseGrid->hideColumns(5, m_caseGrid->colCount() - 1);
}

void MainWindow::loadSortedList()
{
    if (!storage::isListOrder(m_sortMode)) {
        m_caseGrid->setSortColumn(m_sortMode);
        throw CommandError(QStringLiteral("Nieznany porządek listy: %1").arg(m_sortMode));
    }
    const int total = m_caseList->load(store(), m_sortMode);
    showCaptioned(m_countLabel, m_countCaptionLabel, QString::number(total));
    m_countLabel->adjustSize();
    m_loadRow = total + 1;
    m_caseGrid->setSortOnClick(false);
    // The rows are put in order as they are filled in; the grid only marks the column.
    m_caseGrid->setSortColumn(m_sortMode);
    m_caseGrid->invalidateGrid();
}

bool MainWindow::columnsAsLaidOut() const
{
    const SortableGrid& g = *m_caseGrid;
    if (g.colCount() != ListColumns || g.fixedRows() != 1
        || g.sortDirection() != kolvar::grid::sdAscending || g.sortColumn() != m_sortMode
        || g.sortOnClick())
        return false;
    static const std::array<QString, ListColumns + 1> titles { QStringLiteral("Nr"),
        QStringLiteral("ID"), QStringLiteral(" Termin "), QStringLiteral("  Nadawca   "),
        QStringLiteral("   Dotyczy    "), QStringLiteral("Tryb"), QStringLiteral("Odpowiedz"),
        QStringLiteral("Szczegoly"), QStringLiteral("Adnotacje") };
    const std::array<int, ListColumns> widths { 38, 0, m_terminWidth, m_nadawcaWidth,
        m_dotyczyWidth, 0, 0, 0 };
    for (int c = 0; c <= ListColumns; ++c) {
        if (g.cells(c, 0) != titles[std::size_t(c)])
            return false;
        if (c < ListColumns && g.colWidth(c) != widths[std::size_t(c)])
            return false;
    }
    return true;
}

void MainWindow::tellAboutTableShape()
{
    if (m_shapeToldFor == m_databasePath)
        return;
    m_shapeToldFor = m_databasePath;
    QStringList told;
    const storage::WriteRefusal refusal
        = m_store ? m_store->writeRefusal() : storage::WriteRefusal::None;
    if (refusal == storage::WriteRefusal::IdNotKey
        || refusal == storage::WriteRefusal::FileNotWritable)
        told << readOnlyFileSentence(refusal);
    if (m_store && m_store->hasForeignTriggers())
        told << QStringLiteral("Ten rejestr ma wyzwalacze (triggery), których Kolvar nie tworzy, "
                               "zapisane w nim przez inny program. Kolvar ich nie uruchamia: "
                               "zapis zmienia tylko to, co widać w oknie Edycja i druk.");
    if (!told.isEmpty())
        userDialogs().message(this, told.join(QStringLiteral("\n\n")), MessageIcon::Information);
}

void MainWindow::reloadList()
{
    loadList();
    caseGridClicked();
}

void MainWindow::updateRegenerateEnabled()
{
    // A register file the list could not read may still be compacted.
    m_regenerateAction->setEnabled(
        m_store ? m_store->canCompact() && m_store->mayWrite() : isFile(m_databasePath));
}

void MainWindow::enableRegenerate()
{
    // The editor closing lifts only its own bar: a register that may not be written stays so.
    updateRegenerateEnabled();
}

void MainWindow::rememberColumnWidths()
{
    m_terminWidth = m_caseGrid->colWidth(2);
    m_nadawcaWidth = m_caseGrid->colWidth(3);
    m_dotyczyWidth = m_caseGrid->colWidth(4);
}

kolvar::storage::ICaseStore& MainWindow::store() const
{
    if (!m_store)
        throw CommandError(QStringLiteral("Nie otwarto żadnej bazy danych."));
    return *m_store;
}

// ---------------------------------------------------------------------------------------------
// Printing, calendar and hints; the phrase search and the list's look are in PhraseSearch.cpp and
// ListAppearance.cpp

void MainWindow::printList()
{
    guarded([this] { catchUp(); });
    m_caseGrid->previewPrintout();
}

void MainWindow::showCalendar()
{
    if (!calendar())
        return;
    m_calendar->show();
    m_calendar->raise();
    m_calendar->activateWindow();
}

void MainWindow::showHints()
{
    // A fresh window each time: the hints file may have changed since the last look.
    HintsWindow help(kolvar::hintsFolder(m_programFolder), this);
    help.exec();
}
