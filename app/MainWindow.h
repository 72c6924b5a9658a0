#pragma once

#include "CaseStore.h"
#include "CustomGrid.h"
#include "EditorHost.h"
#include "SettingsFile.h"
#include "SortKeys.h"

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSocketNotifier;
class CaseEditor;
class CalendarWindow;
class FindDialog;

namespace kolvar {
class CaseList;
class Panel;
struct FileDialogRequest;
struct ChosenFile;
namespace grid {
class SortableGrid;
}
} // namespace kolvar

// The main window: the list of every case of the open register, the menus, the database and
// record commands, and the settings file. It alone talks to the database; the record editor
// (CaseEditor) calls its record commands through EditorHost.
//
// Every command catches its own failures and shows them; none reaches Qt's event loop.
class MainWindow : public QMainWindow, public kolvar::EditorHost
{
    Q_OBJECT
public:
    // programFolder holds kolvar.ini, is where the file dialogs start and what a bare register
    // name is taken relative to; presetFolder, when given, is where kolvar.ini is read from as long
    // as programFolder has none. The window reads the settings and lists the remembered register
    // at once, before the editor exists: startRegister when it is given and is a register (kept
    // as the last register then), else the remembered one.
    explicit MainWindow(const QString& programFolder, const QString& startRegister = {},
        const QString& presetFolder = {}, QWidget* parent = nullptr);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The record editor and the calendar are made the first time they are needed, by these
    // makers: a start that only lists the register pays for no window the user has not opened.
    // An empty maker detaches the window.
    void attachEditor(std::function<CaseEditor*()> make);
    void attachCalendar(std::function<CalendarWindow*()> make);
    // The editor, made now when it was not yet; null without a maker.
    [[nodiscard]] CaseEditor* editor();
    [[nodiscard]] CalendarWindow* calendar();

    [[nodiscard]] kolvar::grid::SortableGrid* caseGrid() const { return m_caseGrid; }
    [[nodiscard]] QLabel* rowLabel() const { return m_rowLabel; }
    [[nodiscard]] QLabel* fileLabel() const { return m_fileLabel; }
    [[nodiscard]] QLabel* countLabel() const { return m_countLabel; }
    [[nodiscard]] QLineEdit* idEdit() const { return m_idEdit; }
    [[nodiscard]] QAction* regenerateAction() const { return m_regenerateAction; }
    [[nodiscard]] QAction* findNextAction() const;

    [[nodiscard]] QString programFolder() const { return m_programFolder; }
    [[nodiscard]] QString databasePath() const { return m_databasePath; }
    [[nodiscard]] int sortMode() const { return m_sortMode; }
    [[nodiscard]] std::int64_t currentId() const { return m_currentId; }
    [[nodiscard]] int currentListRow() const { return m_currentListRow; }
    [[nodiscard]] int rowHeight() const { return m_rowHeight; }
    [[nodiscard]] bool searchByRows() const { return m_searchByRows; }

    // The list's look as the settings file keeps it: colours as their 32-bit values, which a
    // QColor cannot carry for the desktop's system colours.
    [[nodiscard]] kolvar::ColorValue listFixedColor() const { return m_listFixedColor; }
    void setListFixedColor(kolvar::ColorValue color);
    [[nodiscard]] kolvar::ColorValue listFontColor() const { return m_listFontColor; }
    void setListFont(const QFont& font, kolvar::ColorValue color);

    // EditorHost.
    [[nodiscard]] QString editorLeftCaption() const override;
    void setEditorLeftCaption(const QString& caption) override;
    [[nodiscard]] QString editorTopCaption() const override;
    void setEditorTopCaption(const QString& caption) override;
    [[nodiscard]] QString editorWidthCaption() const override;
    void setEditorWidthCaption(const QString& caption) override;
    [[nodiscard]] QString editorHeightCaption() const override;
    void setEditorHeightCaption(const QString& caption) override;
    [[nodiscard]] kolvar::ColorValue panelColor() const override { return m_panelColor; }
    void setPanelColor(kolvar::ColorValue color) override { m_panelColor = color; }
    [[nodiscard]] kolvar::ColorValue editBoxColor() const override { return m_editBoxColor; }
    void setEditBoxColor(kolvar::ColorValue color) override { m_editBoxColor = color; }
    [[nodiscard]] kolvar::ColorValue labelFontColor() const override { return m_labelFontColor; }
    void setLabelFontColor(kolvar::ColorValue color) override { m_labelFontColor = color; }
    [[nodiscard]] kolvar::ColorValue editFontColor() const override { return m_editFontColor; }
    void setEditFontColor(kolvar::ColorValue color) override { m_editFontColor = color; }
    [[nodiscard]] int editFontSize() const override { return m_editFontSize; }
    void setEditFontSize(int points) override { m_editFontSize = points; }
    void enableRegenerate() override;
    void saveSettings() override;

signals:
    // The window has closed for good and written its settings: the program ends.
    void windowClosed();

public slots:
    // Database file commands.
    void newRegister();
    void openRegister();
    void regenerateRegister();
    void sortByDate();
    void sortBySender();
    void sortBySubject();
    void exportToCsv();
    void backUpRegister();
    // The register on a database server.
    void openServerRegister();
    void newServerRegister();
    void moveToServer();

    // Record commands; the editor's seven buttons call the first seven.
    void firstCase() override;
    void previousCase() override;
    void nextCase() override;
    void lastCase() override;
    void addNewCase() override;
    void deleteCurrentCase() override;
    void saveChanges() override;
    void editCurrentCase();
    void quitProgram();

    // Search, printing (not here yet), appearance, calendar and help.
    void findPhrase();
    void findNextPhrase();
    void printList();
    void chooseTitleColor();
    void chooseListFont();
    void showCalendar();
    void showHints();
    void showAuthor();

    // The list's events.
    void caseGridClicked();
    void caseGridDoubleClicked();
    void idEditChanged();
    void drawCaseGridCell(int col, int row, const QRect& rect, kolvar::grid::GridDrawState state);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class Step { First, Previous, Next, Last };

    void createControls();
    void createMenu();
    void designGrid();

    void initialize(const QString& startRegister);
    // A register named at start replaces the remembered one; anything else is reported as the
    // list load would report it and leaves the remembered one in place.
    void takeStartRegister(const QString& path);
    void prepareShowing();
    void prepareFirstUse();
    [[nodiscard]] bool mayClose();
    void finishClosing();

    void loadSettings();
    void applySettings(const kolvar::AppSettings& settings);
    [[nodiscard]] kolvar::AppSettings currentSettings() const;

    void loadList();
    void reloadList();
    void layOutEmptyGrid();
    void loadSortedList();
    // The list's titles and widths are what a load lays out.
    [[nodiscard]] bool columnsAsLaidOut() const;
    // Brings the list up to date after a change of one case: change (on the case list) does it in
    // place, or answers false and the list is loaded anew.
    template <typename Change> void refreshList(Change&& change);
    // The list's warning, with the cause's sentence under it when there is one.
    void showReadWarning(const QString& cause);
    // loadList's two ways to a store: the one open, checked anew, or the register opened.
    void recheckStore();
    void openStore();
    void applyRowHeight();
    void rememberColumnWidths();

    // The phrase search.
    void findFirstPhrase(const FindDialog& dialog);
    void showFoundCell(int col, int row);
    // Tryb, Odpowiedz and Szczegoly stay out of sight even when a search made one current.
    void hideExtraFields();
    void showCommandFailure(const std::exception& failure);

    void selectCurrentRow();
    // Empties the editor and forgets its case: what it held belongs to no register any more.
    void clearEditor();
    // The separator a date typed into the editor takes: the one most of the register's dates
    // ("yyyy?mm?dd") have, the locale's for a register without dates. Found once per register.
    [[nodiscard]] QChar dateSeparator();
    // Asks before the editor's unsaved typing is replaced; true when the user keeps it.
    [[nodiscard]] bool typingKept();
    void showCurrentCase();
    void navigate(Step step);
    void addCase();
    void saveCase();
    void deleteCase();
    void sortBy(int mode);
    void createDatabase();
    void openDatabase();
    void regenerate();
    void exportCsv();
    void backUp();
    // A save dialog for a file made from the open register, starting beside it; nothing when
    // the user cancels. Without an open register it says so, as reading one would.
    // A file that exists is replaced only when the user says so, and the register itself never:
    // registerRefusal is the message then.
    [[nodiscard]] std::optional<kolvar::ChosenFile> chooseFileBesideRegister(
        kolvar::FileDialogRequest request, const QString& registerRefusal);

    // True (after telling the user) while the editor is open, which the file and sort commands
    // do not allow.
    [[nodiscard]] bool refusedWhileEditing(const QString& message, bool information = false);
    // True (after telling the user) while the editor holds changes not yet saved: a copy or an
    // export would not have them.
    [[nodiscard]] bool refusedWithUnsavedChanges(const QString& message);
    [[nodiscard]] bool editorVisible() const;
    // The editor's "N z M": the current row of the list and the count.
    void updateEditorPosition();
    [[nodiscard]] int shownCaseRow();
    void closeEditorWithoutQuestion();
    void useDatabaseFile(const QString& path);
    // Makes the register at location (a file path or a server's URI) the open one: remembered
    // in the settings as remembered, named on the window as shownName.
    void useRegister(const QString& remembered, const QString& shownName, const QString& location);
    void updateRegenerateEnabled();
    [[nodiscard]] kolvar::storage::ICaseStore& store() const;
    // The editor's seven texts from the case, which becomes the case the editor shows.
    void showCaseInEditor(const kolvar::storage::CaseRecord& record);

    // A register others use at the same time (SharedRegister.cpp).
    [[nodiscard]] bool isServerRegister() const;
    // Runs connect with the password of this run, asking for one when the server wants it.
    template <typename Connect> auto withPassword(const QString& uri, Connect&& connect);
    [[nodiscard]] kolvar::storage::CaseStorePtr openServerStore(const QString& uri);
    // The server dialog; the register's connection URI, nothing when cancelled.
    [[nodiscard]] std::optional<QString> chooseServer(const QString& caption);
    void useServerRegister(const QString& uri);
    // True (after telling the user) when the register may not be written by this user.
    [[nodiscard]] bool refusedReadOnly();
    void showWriteRights();
    enum class WriteOutcome {
        Written,
        Gone, // the case is no longer stored; the user was told
        Declined, // the user kept the stored case or went back to editing; the editor has the focus
    };
    // Runs write with the case as the editor showed it; when another program changed it
    // meanwhile, names what differs on both sides and asks: write over it (write runs again),
    // keep it (the editor shows it) or go back to editing (nothing changes).
    [[nodiscard]] WriteOutcome writeAsking(
        const std::function<void(const kolvar::storage::CaseRecord& shown)>& write, bool deleting);
    // Follows what the store announces on its socket, made anew after a reconnection.
    void watchChanges();
    void followChanges();
    // Before a command that reads the list: the list takes in what others wrote.
    void catchUp();
    // Makes the row of the case with this ID current, when the list shows it.
    void selectCase(const QString& id);
    void reloadKeepingCurrentCase();
    // After every command: the socket to watch may be new, and announcements may wait.
    void afterCommand();
    [[nodiscard]] kolvar::storage::CaseRecord caseFromEditor() const;
    // False (after telling the user which field and character) when a text cannot be stored.
    [[nodiscard]] bool editorTextsStorable();

    // Runs a command and shows whatever it throws as an error message. refused says what a
    // command that writes did not do, for a failure the table's make is to blame for.
    template <typename Command> void guarded(Command&& command, const QString& refused = {});
    // A command on the register as a whole: refused with refusal while the editor is open, then
    // run guarded, after which "Regeneruj" follows what is open.
    template <typename Command> void commandOnRegister(const QString& refusal, Command&& command);
    // Says once for each register opened what of its table Kolvar does not do as the file asks.
    void tellAboutTableShape();
    // Asks before an existing file is replaced; true when it may be.
    [[nodiscard]] bool replaceConfirmed(const QString& path);
    // The narrowest a list column may be: its title must show.
    [[nodiscard]] int titleWidth(const QString& title) const;

    // State of the window.
    QString m_programFolder;
    QString m_presetFolder;
    QString m_databasePath;
    // What kolvar.ini remembers of the register: bare in the program folder, a path elsewhere.
    QString m_databaseName;
    int m_rowHeight = 22;
    std::int64_t m_currentId = 0;
    int m_shownCaseRow = 0; // where m_currentId was last found in the list
    std::optional<QChar> m_dateSeparator;
    kolvar::storage::CaseStorePtr m_store;
    // The server register m_store is connected to; empty for a file.
    QString m_storeAddress;
    // The register whose table the user was last told about.
    QString m_shapeToldFor;
    // The case as the editor was filled with it: what a save expects still to find stored.
    std::optional<kolvar::storage::CaseRecord> m_shownCase;
    // A server's password for this run only.
    QString m_serverPassword;
    std::unique_ptr<QSocketNotifier> m_changeNotifier;
    // Announcements wait while a command (and any dialog it shows) runs.
    bool m_commandRunning = false;
    bool m_firstUsePrepared = false;
    int m_editFontSize = 10;
    kolvar::ColorValue m_editFontColor = kolvar::colors::Black;
    kolvar::ColorValue m_labelFontColor = kolvar::colors::Black;
    kolvar::ColorValue m_panelColor = kolvar::colors::Silver;
    kolvar::ColorValue m_editBoxColor = kolvar::colors::Window;
    kolvar::ColorValue m_listFixedColor = kolvar::colors::Silver;
    kolvar::ColorValue m_listFontColor = kolvar::colors::WindowText;
    kolvar::grid::SortOptions m_sortSettings;
    int m_terminWidth = 86;
    int m_nadawcaWidth = 166;
    int m_dotyczyWidth = 520;
    int m_currentListRow = 0;
    int m_loadRow = 0;
    int m_sortMode = 3;
    bool m_searchByRows = true;
    // The open dialog offers the file chosen last.
    QString m_lastOpenedFile;

    // The editor once made; null before the first need of it.
    CaseEditor* m_caseEditor = nullptr;
    std::function<CaseEditor*()> m_makeEditor;
    CalendarWindow* m_calendar = nullptr;
    std::function<CalendarWindow*()> m_makeCalendar;

    // Controls.
    kolvar::Panel* m_topPanel = nullptr;
    kolvar::Panel* m_gridPanel = nullptr;
    QLabel* m_fileCaptionLabel = nullptr;
    QLabel* m_fileLabel = nullptr;
    QLabel* m_rowLabel = nullptr;
    QLineEdit* m_idEdit = nullptr;
    QLabel* m_countCaptionLabel = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_editorLeftLabel = nullptr;
    QLabel* m_editorTopLabel = nullptr;
    QLabel* m_editorWidthLabel = nullptr;
    QLabel* m_editorHeightLabel = nullptr;
    QLabel* m_subjectsLabel = nullptr;
    QLabel* m_readOnlyLabel = nullptr;
    kolvar::grid::SortableGrid* m_caseGrid = nullptr;
    std::unique_ptr<kolvar::CaseList> m_caseList;

    QAction* m_newRegisterAction = nullptr;
    QAction* m_openRegisterAction = nullptr;
    QAction* m_regenerateAction = nullptr;
    QAction* m_moveToServerAction = nullptr;
};
