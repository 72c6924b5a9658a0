#pragma once

#include "CaseStore.h"
#include "CaseTable.h"
#include "CustomGrid.h"
#include "EditorHost.h"
#include "SettingsFile.h"
#include "SortKeys.h"
#include "SqliteInterfaces.h"

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
class TForm2;
class TCalendarBrowser;
class Tfinddlg;

namespace kolvar {
class CaseList;
class Panel;
struct FileDialogRequest;
struct ChosenFile;
namespace grid {
class TZarur;
}
} // namespace kolvar

// The main window: the list of every case of the open register, the menus, the database and
// record commands, and the settings file. It alone talks to the database; the record editor
// (TForm2) calls its record commands through EditorHost.
//
// Every command catches its own failures and shows them; none reaches Qt's event loop.
class TForm1 : public QMainWindow, public kolvar::EditorHost
{
    Q_OBJECT
public:
    // programFolder holds kolvar.ini, is where the file dialogs start and what a bare register
    // name is taken relative to; presetFolder, when given, is where kolvar.ini is read from as long
    // as programFolder has none. The window reads the settings and lists the remembered register
    // at once, before the editor exists: startRegister when it is given and is a register (kept
    // as the last register then), else the remembered one.
    explicit TForm1(const QString& programFolder, const QString& startRegister = {},
        const QString& presetFolder = {}, QWidget* parent = nullptr);
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // The record editor and the calendar are made the first time they are needed, by these
    // makers: a start that only lists the register pays for no window the user has not opened.
    // An empty maker detaches the window.
    void attachEditor(std::function<TForm2*()> make);
    void attachCalendar(std::function<TCalendarBrowser*()> make);
    // The editor, made now when it was not yet; null without a maker.
    [[nodiscard]] TForm2* editor();
    [[nodiscard]] TCalendarBrowser* calendar();

    [[nodiscard]] kolvar::grid::TZarur* G1() const { return m_G1; }
    [[nodiscard]] QLabel* Label1() const { return m_Label1; }
    [[nodiscard]] QLabel* Label2() const { return m_Label2; }
    [[nodiscard]] QLabel* LabelCount() const { return m_LabelCount; }
    [[nodiscard]] QLineEdit* IDEdit() const { return m_IDEdit; }
    [[nodiscard]] QAction* Regeneruj1() const { return m_Regeneruj1; }
    [[nodiscard]] QAction* FindujNast() const;

    [[nodiscard]] QString ProgramFolder() const { return m_ProgramFolder; }
    [[nodiscard]] QString DatabasePath() const { return m_DatabasePath; }
    [[nodiscard]] int SortMode() const { return m_SortMode; }
    [[nodiscard]] std::int64_t CurrentId() const { return m_CurrentId; }
    [[nodiscard]] int CurrentListRow() const { return m_CurrentListRow; }
    [[nodiscard]] int RowHeight() const { return m_RowHeight; }
    [[nodiscard]] bool SearchByRows() const { return m_SearchByRows; }

    // The list's look as the settings file keeps it: colours as their 32-bit values, which a
    // QColor cannot carry for the desktop's system colours.
    [[nodiscard]] kolvar::ColorValue ListFixedColor() const { return m_listFixedColor; }
    void setListFixedColor(kolvar::ColorValue color);
    [[nodiscard]] kolvar::ColorValue ListFontColor() const { return m_listFontColor; }
    void setListFont(const QFont& font, kolvar::ColorValue color);

    // EditorHost.
    [[nodiscard]] QString lblLewaCaption() const override;
    void setLblLewaCaption(const QString& caption) override;
    [[nodiscard]] QString lblTopCaption() const override;
    void setLblTopCaption(const QString& caption) override;
    [[nodiscard]] QString lblSzerCaption() const override;
    void setLblSzerCaption(const QString& caption) override;
    [[nodiscard]] QString lblWysCaption() const override;
    void setLblWysCaption(const QString& caption) override;
    [[nodiscard]] kolvar::ColorValue PanelColor() const override { return m_PanelColor; }
    void setPanelColor(kolvar::ColorValue color) override { m_PanelColor = color; }
    [[nodiscard]] kolvar::ColorValue EditBoxColor() const override { return m_EditBoxColor; }
    void setEditBoxColor(kolvar::ColorValue color) override { m_EditBoxColor = color; }
    [[nodiscard]] kolvar::ColorValue LabelFontColor() const override { return m_LabelFontColor; }
    void setLabelFontColor(kolvar::ColorValue color) override { m_LabelFontColor = color; }
    [[nodiscard]] kolvar::ColorValue EditFontColor() const override { return m_EditFontColor; }
    void setEditFontColor(kolvar::ColorValue color) override { m_EditFontColor = color; }
    [[nodiscard]] int EditFontSize() const override { return m_EditFontSize; }
    void setEditFontSize(int points) override { m_EditFontSize = points; }
    void EnableRegeneruj() override;
    void SaveSettings() override;

signals:
    // The window has closed for good and written its settings: the program ends.
    void formClosed();

public slots:
    // Database file commands.
    void Nowa1Click();
    void OtwieramDB1Click();
    void Regeneruj1Click();
    void mnuSortuj2Click();
    void mnuSortuj3Click();
    void mnuSortuj4Click();
    void EksportCsv1Click();
    void KopiaZapasowa1Click();
    // The register on a database server.
    void OtworzSerwer1Click();
    void NowySerwer1Click();
    void PrzeniesNaSerwer1Click();

    // Record commands; the editor's seven buttons call the first seven.
    void Pierwszy1Click() override;
    void Poprzedni1Click() override;
    void Nastepny1Click() override;
    void Ostatni1Click() override;
    void Dodaj1Click() override;
    void Zniszcz1Click() override;
    void Zmiana1Click() override;
    void PokazRekordu1Click();
    void Koniec1Click();

    // Search, printing (not here yet), appearance, calendar and help.
    void Finduj1Click();
    void FindujNastClick();
    void Drukowanie1Click();
    void mnuFixedClick();
    void mnuFontyClick();
    void nmuKalendarzClick();
    void mnuFAQClick();
    void mnuAuthorClick();

    // The list's events.
    void G1Click();
    void G1DblClick();
    void IDEditChange();
    void G1DrawCell(int ACol, int ARow, const QRect& Rect, kolvar::grid::GridDrawState State);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class Step { First, Previous, Next, Last };

    void createControls();
    void createMenu();
    void designGrid();

    void FormCreate(const QString& startRegister);
    // A register named at start replaces the remembered one; anything else is reported as the
    // list load would report it and leaves the remembered one in place.
    void takeStartRegister(const QString& path);
    void FormShow();
    void prepareFirstUse();
    [[nodiscard]] bool FormCloseQuery();
    void FormClose();

    void LoadSettings();
    void applySettings(const kolvar::AppSettings& settings);
    [[nodiscard]] kolvar::AppSettings currentSettings() const;

    void LoadList();
    void ReloadList();
    void layOutEmptyGrid();
    void OpenSortedQuery();
    // The list's titles and widths are what a load lays out.
    [[nodiscard]] bool columnsAsLaidOut() const;
    // Brings the list up to date after a change of one case: change (on the case list) does it in
    // place, or answers false and the list is loaded anew.
    template <typename Change> void refreshList(Change&& change);
    // The list's warning, with the cause's sentence under it when there is one.
    void showReadWarning(const QString& cause);
    // LoadList's two ways to a store: the one open, checked anew, or the register opened.
    void recheckServerStore();
    void openStore();
    void ApplyRowHeights();
    void G1MouseUp();

    // The phrase search.
    void findFirstPhrase(const Tfinddlg& dialog);
    void showFoundCell(int col, int row);
    // Tryb, Odpowiedz and Szczegoly stay out of sight even when a search made one current.
    void hideExtraFields();
    void showCommandFailure(const std::exception& failure);

    void SelectCurrentRow();
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
    void updateRegenerujEnabled();
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
    // Runs write with the case as the editor showed it; when another program changed it
    // meanwhile, shows what it stored and asks: write over it (write runs again) or keep it
    // (the editor shows it). False when nothing was written.
    [[nodiscard]] bool writeAsking(
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
    QString m_ProgramFolder;
    QString m_presetFolder;
    QString m_DatabasePath;
    // What kolvar.ini remembers of the register: bare in the program folder, a path elsewhere.
    QString m_databaseName;
    int m_RowHeight = 22;
    std::int64_t m_CurrentId = 0;
    int m_shownCaseRow = 0; // where m_CurrentId was last found in the list
    std::optional<QChar> m_dateSeparator;
    kolvar::storage::CaseStorePtr m_store;
    // The server register m_store is connected to; empty for a file.
    QString m_storeAddress;
    // What the open register file's table is like beside the ones the program makes.
    kolvar::storage::CaseTable::TableShape m_tableShape;
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
    int m_EditFontSize = 10;
    kolvar::ColorValue m_EditFontColor = kolvar::colors::Black;
    kolvar::ColorValue m_LabelFontColor = kolvar::colors::Black;
    kolvar::ColorValue m_PanelColor = kolvar::colors::Silver;
    kolvar::ColorValue m_EditBoxColor = kolvar::colors::Window;
    kolvar::ColorValue m_listFixedColor = kolvar::colors::Silver;
    kolvar::ColorValue m_listFontColor = kolvar::colors::WindowText;
    kolvar::grid::TSortOptions m_SortSettings;
    int m_TerminWidth = 86;
    int m_NadawcaWidth = 166;
    int m_DotyczyWidth = 520;
    int m_CurrentListRow = 0;
    int m_LoadRow = 0;
    int m_SortMode = 3;
    bool m_SearchByRows = true;
    // The open dialog offers the file chosen last.
    QString m_lastOpenedFile;

    // The editor once made; null before the first need of it.
    TForm2* m_form2 = nullptr;
    std::function<TForm2*()> m_makeEditor;
    TCalendarBrowser* m_calendar = nullptr;
    std::function<TCalendarBrowser*()> m_makeCalendar;

    // Controls.
    kolvar::Panel* m_PanelTop = nullptr;
    kolvar::Panel* m_Panel1 = nullptr;
    QLabel* m_StaticText1 = nullptr;
    QLabel* m_Label2 = nullptr;
    QLabel* m_Label1 = nullptr;
    QLineEdit* m_IDEdit = nullptr;
    QLabel* m_StaticText2 = nullptr;
    QLabel* m_LabelCount = nullptr;
    QLabel* m_lblLewa = nullptr;
    QLabel* m_lblTop = nullptr;
    QLabel* m_lblSzer = nullptr;
    QLabel* m_lblWys = nullptr;
    QLabel* m_lblTagi = nullptr;
    QLabel* m_lblTylkoOdczyt = nullptr;
    kolvar::grid::TZarur* m_G1 = nullptr;
    std::unique_ptr<kolvar::CaseList> m_caseList;

    QAction* m_Nowa1 = nullptr;
    QAction* m_OpenDB1 = nullptr;
    QAction* m_Regeneruj1 = nullptr;
    QAction* m_PrzeniesNaSerwer1 = nullptr;
};
