#include "CaseEditor.h"

#include "Announcer.h"
#include "ColorValue.h"
#include "EditorGlyphs.h"
#include "EditorHost.h"
#include "InputLengthLimit.h"
#include "MaskedDateEdit.h"
#include "Panel.h"
#include "PlacedLabel.h"
#include "RecordPrintout.h"
#include "UserDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

using kolvar::Align;
using kolvar::Bevel;
using kolvar::EditorField;
using kolvar::makeLabel;
using kolvar::Panel;

namespace kolvar {

QString editorFieldName(EditorField field)
{
    switch (field) {
    case EditorField::Termin:
        return QStringLiteral("Wpłynęło");
    case EditorField::Nadawca:
        return QStringLiteral("Nadawca");
    case EditorField::Dotyczy:
        return QStringLiteral("Dotyczy");
    case EditorField::Tryb:
        return QStringLiteral("Tryb załatwienia");
    case EditorField::Odpowiedz:
        return QStringLiteral("Tryb udzielenia odpowiedzi");
    case EditorField::Szczegoly:
        return QStringLiteral("Dane szczegółowe");
    case EditorField::Adnotacje:
        return QStringLiteral("Adnotacje urzędowe");
    }
    return {};
}

} // namespace kolvar

namespace {

const QString ChangedQuestion
    = QStringLiteral("W rekordzie dokonano zmian. Czy chcesz je zapisać? ");

constexpr int EditHeight = 22;
constexpr int TopPanelHeight = 112;
constexpr int ButtonPanelHeight = 44;

QFont arialBold(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void setPointSize(QWidget* widget, int points)
{
    QFont font = widget->font();
    font.setPointSize(points);
    widget->setFont(font);
}

int pointSizeOf(const QFont& font)
{
    return font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
}

QLineEdit* makeEdit(const QString& name, QWidget* parent, const QRect& geometry)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    return edit;
}

QPlainTextEdit* makeMemo(const QString& name, QWidget* parent)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab leaves the memo for the next control, as it does everywhere else in the window.
    memo->setTabChangesFocus(true);
    return memo;
}

QString memoText(const QPlainTextEdit* memo)
{
    // toPlainText() would turn a stored no-break space into a blank; only the breaks between
    // lines and paragraphs are the document's own.
    QString text = memo->document()->toRawText();
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    }
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

// Qt's line breaking looks for a word's end anew for every line a word longer than the line fills,
// so a run of letters without a blank takes time by the square of its length: a pasted code of a
// megabyte kept the editor busy for minutes. Such a run is broken anywhere, as Qt breaks it anyway
// once no word boundary is found; a text of ordinary words keeps its breaks between words.
[[nodiscard]] bool hasUnbrokenRun(QStringView text)
{
    constexpr qsizetype LongestWord = 1000;
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > LongestWord)
            return true;
    }
    return false;
}

void setMemoText(QPlainTextEdit* memo, QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    memo->setWordWrapMode(hasUnbrokenRun(text) ? QTextOption::WrapAnywhere
                                               : QTextOption::WrapAtWordBoundaryOrAnywhere);
    memo->setPlainText(text);
}

} // namespace

CaseEditor::CaseEditor(kolvar::EditorHost& host, QWidget* parent)
    : QMainWindow(parent, Qt::Tool)
    , m_host(host)
{
    setObjectName(QStringLiteral("caseEditor"));
    setWindowTitle(QStringLiteral("Edycja i druk"));
    setFont(arialBold(13));
    setColour(this, QPalette::Window, kolvar::toQColor(kolvar::colors::Silver));

    createControls();
    createMenu();
    setTabOrderChain();
    initialize();
}

CaseEditor::~CaseEditor() = default;

void CaseEditor::createControls()
{
    auto* client = new Panel(QStringLiteral("ClientArea"), this);
    client->setAutoFillBackground(false);
    m_client = client;
    setCentralWidget(client);
    client->installEventFilter(this);

    // Top panel: the title, the date, the sender and the subject.
    m_topPanel = new Panel(QStringLiteral("topPanel"), client);
    m_topPanel->setBevels(Bevel::Lowered, Bevel::Lowered);
    m_topPanel->resize(width(), TopPanelHeight);

    m_titleLabel = new QLabel(QStringLiteral("Dane Szczegółowe Kolvar"), m_topPanel);
    m_titleLabel->setObjectName(QStringLiteral("titleLabel"));
    m_titleLabel->setFont(arialBold(21));
    m_titleLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_titleLabel->resize(m_titleLabel->width(), QFontMetrics(m_titleLabel->font()).height());
    m_topPanel->dock(m_titleLabel, Align::Top);

    m_dateLabel
        = makeLabel(QStringLiteral("dateLabel"), QStringLiteral("Wpłynęło:"), m_topPanel, 80, 43);
    m_dateLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_dateEdit = new kolvar::MaskedDateEdit(m_topPanel);
    m_dateEdit->setObjectName(QStringLiteral("dateEdit"));
    m_dateEdit->setGeometry(160, 40, 84, EditHeight);
    m_senderLabel
        = makeLabel(QStringLiteral("senderLabel"), QStringLiteral("Nadawca:"), m_topPanel, 264, 43);
    m_senderEdit = makeEdit(QStringLiteral("senderEdit"), m_topPanel, { 336, 40, 209, EditHeight });
    m_subjectLabel
        = makeLabel(QStringLiteral("subjectLabel"), QStringLiteral("Dotyczy:"), m_topPanel, 16, 79);
    m_subjectEdit
        = makeEdit(QStringLiteral("subjectEdit"), m_topPanel, { 80, 76, 465, EditHeight });

    // Upper half: the mode of settling and the details.
    m_upperPanel = new Panel(QStringLiteral("upperPanel"), client);
    m_upperPanel->setBevels(Bevel::Lowered, Bevel::Lowered);
    m_upperPanel->resize(width(), 220);

    m_settlementPanel = new Panel(QStringLiteral("settlementPanel"), m_upperPanel);
    m_settlementPanel->setBevels(Bevel::Raised, Bevel::None);
    m_settlementPanel->resize(width(), 41);
    m_settlementLabel = makeLabel(QStringLiteral("settlementLabel"),
        QStringLiteral("Tryb załatwienia kolvar:"), m_settlementPanel, 20, 11);
    m_settlementCombo = new QComboBox(m_settlementPanel);
    m_settlementCombo->setObjectName(QStringLiteral("settlementCombo"));
    m_settlementCombo->setEditable(true);
    // Whatever is typed stays a free text; the list keeps its four fixed items.
    m_settlementCombo->setInsertPolicy(QComboBox::NoInsert);
    m_settlementCombo->addItems({
        QString(),
        QStringLiteral("Sprawa nieskomplikowana i będzie załatwiona bezzwłocznie"),
        QStringLiteral("Załatwić w trybie administracyjnym w okresie jednego miesiąca"),
        QStringLiteral("Termin dwóch miesięcy z powodu skomplikowania kolvar"),
    });
    m_settlementCombo->setGeometry(200, 8, 345, EditHeight);
    m_upperPanel->dock(m_settlementPanel, Align::Top);

    m_detailsPanel = new Panel(QStringLiteral("detailsPanel"), m_upperPanel);
    m_detailsPanel->setBevels(Bevel::Raised, Bevel::None);
    m_detailsPanel->resize(width(), 29);
    m_detailsLabel = makeLabel(QStringLiteral("detailsLabel"),
        QStringLiteral("Dane szczegółowe kolvar"), m_detailsPanel, 20, 7);
    m_upperPanel->dock(m_detailsPanel, Align::Top);

    m_detailsMemo = makeMemo(QStringLiteral("detailsMemo"), m_upperPanel);
    m_detailsMemo->setFont(arialBold(13));
    m_upperPanel->dock(m_detailsMemo, Align::Client);

    // Lower half: the official annotations and the mode of reply.
    m_lowerPanel = new Panel(QStringLiteral("lowerPanel"), client);
    m_lowerPanel->setBevels(Bevel::Raised, Bevel::None);

    m_annotationsPanel = new Panel(QStringLiteral("annotationsPanel"), m_lowerPanel);
    m_annotationsPanel->setBevels(Bevel::None, Bevel::Lowered);
    // Not one of the panels the colour commands paint: it keeps the window's own colour.
    setColour(m_annotationsPanel, QPalette::Window, kolvar::toQColor(kolvar::colors::Silver));
    m_annotationsPanel->resize(width(), 29);
    m_annotationsLabel = makeLabel(QStringLiteral("annotationsLabel"),
        QStringLiteral("Adnotacje urzędowe."), m_annotationsPanel, 20, 7);
    m_lowerPanel->dock(m_annotationsPanel, Align::Top);

    m_replyModePanel = new Panel(QStringLiteral("replyModePanel"), m_lowerPanel);
    m_replyModePanel->setBevels(Bevel::Raised, Bevel::None);
    m_replyModePanel->resize(width(), 42);
    m_replyModeLabel = makeLabel(QStringLiteral("replyModeLabel"),
        QStringLiteral("Tryb udzielenia odpowiedzi:"), m_replyModePanel, 20, 11);
    m_replyModeEdit
        = makeEdit(QStringLiteral("replyModeEdit"), m_replyModePanel, { 216, 8, 337, EditHeight });
    m_lowerPanel->dock(m_replyModePanel, Align::Bottom);

    m_annotationsMemo = makeMemo(QStringLiteral("annotationsMemo"), m_lowerPanel);
    m_lowerPanel->dock(m_annotationsMemo, Align::Client);

    // Bottom panel: the buttons.
    m_buttonPanel = new Panel(QStringLiteral("buttonPanel"), client);
    m_buttonPanel->setBevels(Bevel::Lowered, Bevel::Lowered, 2);
    m_buttonPanel->resize(width(), ButtonPanelHeight);

    m_clearButton = new QPushButton(QStringLiteral("Czyść"), m_buttonPanel);
    m_clearButton->setObjectName(QStringLiteral("clearButton"));
    m_clearButton->setGeometry(24, 10, 89, 25);
    m_clearButton->setToolTip(QStringLiteral("Czyści z tekstu wszystkie pola edycyjne"));
    connect(m_clearButton, &QPushButton::clicked, this, &CaseEditor::clearFields);

    struct SpeedButton
    {
        const char* name;
        const char* hint;
        kolvar::Glyph glyph;
        void (CaseEditor::*handler)();
    };
    const std::array<SpeedButton, 7> speedButtons { {
        { "firstButton", "Na Pierwszy rekord", kolvar::Glyph::First, &CaseEditor::firstCase },
        { "previousButton", "Poprzedni rekord", kolvar::Glyph::Prior, &CaseEditor::previousCase },
        { "nextButton", "Następny rekord", kolvar::Glyph::Next, &CaseEditor::nextCase },
        { "lastButton", "Na ostatni rekord", kolvar::Glyph::Last, &CaseEditor::lastCase },
        { "addButton", "Dodaje rekord", kolvar::Glyph::Plus, &CaseEditor::addNewCase },
        { "deleteButton", "Usuwa zaznaczony rekord", kolvar::Glyph::Minus,
            &CaseEditor::deleteCurrentCase },
        { "saveButton", "Zatwierdza zmiany w tekście rekordu", kolvar::Glyph::Tick,
            &CaseEditor::saveChanges },
    } };
    for (std::size_t i = 0; i < speedButtons.size(); ++i) {
        const SpeedButton& b = speedButtons[i];
        auto* button = new QToolButton(m_buttonPanel);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setToolTip(QString::fromUtf8(b.hint));
        button->setIcon(kolvar::glyphIcon(b.glyph));
        button->setIconSize(QSize(16, 16));
        button->setGeometry(158 + 27 * int(i), 10, 25, 25);
        // Reached by Tab like every other command of the window, yet a click leaves the focus
        // in the field being edited.
        button->setFocusPolicy(Qt::TabFocus);
        // A screen reader has no picture to describe: the hint is what the button does.
        button->setAccessibleName(button->toolTip());
        connect(button, &QToolButton::clicked, this, b.handler);
        m_speedButtons[i] = button;
    }

    m_positionCaptionLabel = makeLabel(
        QStringLiteral("positionCaptionLabel"), QStringLiteral("Rekord:"), m_buttonPanel, 363, 13);
    // Created before btnClose, so that a long position text runs under the button rather than
    // over it.
    m_positionLabel
        = makeLabel(QStringLiteral("positionLabel"), QStringLiteral("00"), m_buttonPanel, 433, 13);
    m_positionLabel->resize(120, m_positionLabel->height());

    m_announcer = new kolvar::Announcer(m_buttonPanel);
    m_announcer->setObjectName(QStringLiteral("Announcer"));

    m_closeButton = new QPushButton(QStringLiteral("&Zamknij"), m_buttonPanel);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setGeometry(480, 10, 89, 25);
    connect(m_closeButton, &QPushButton::clicked, this, &CaseEditor::closeWindow);

    // Docking order decides the stacking from the top: the title panel, then the details half;
    // the buttons at the bottom; the annotations half takes what is left.
    client->dock(m_topPanel, Align::Top);
    client->dock(m_upperPanel, Align::Top);
    client->dock(m_buttonPanel, Align::Bottom);
    client->dock(m_lowerPanel, Align::Client);

    // Each field is known by its caption, also where the caption sits on a panel of its own.
    const std::array<std::pair<QLabel*, QWidget*>, 7> captions { { { m_dateLabel, m_dateEdit },
        { m_senderLabel, m_senderEdit }, { m_subjectLabel, m_subjectEdit },
        { m_settlementLabel, m_settlementCombo }, { m_detailsLabel, m_detailsMemo },
        { m_annotationsLabel, m_annotationsMemo }, { m_replyModeLabel, m_replyModeEdit } } };
    for (const auto& [label, field] : captions) {
        label->setBuddy(field);
        field->setAccessibleName(label->text());
    }
}

void CaseEditor::createMenu()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));
    setMenuBar(m_menuBar);

    m_printAction = m_menuBar->addAction(QStringLiteral("&Drukowanie"));
    m_printAction->setObjectName(QStringLiteral("printCase"));
    connect(m_printAction, &QAction::triggered, this, &CaseEditor::printCase);

    m_settingsMenu = m_menuBar->addMenu(QStringLiteral("&Ustawienia"));
    m_settingsMenu->setObjectName(QStringLiteral("settingsMenu"));
    m_windowColorAction = m_settingsMenu->addAction(QStringLiteral("Kolor Formatki (planszy)"));
    m_windowColorAction->setObjectName(QStringLiteral("chooseWindowColor"));
    connect(m_windowColorAction, &QAction::triggered, this, &CaseEditor::chooseWindowColor);
    m_fieldColorAction = m_settingsMenu->addAction(QStringLiteral("Kolor okien edycji"));
    m_fieldColorAction->setObjectName(QStringLiteral("chooseFieldColor"));
    connect(m_fieldColorAction, &QAction::triggered, this, &CaseEditor::chooseFieldColor);
    m_settingsMenu->addSeparator();
    m_captionColorAction = m_settingsMenu->addAction(QStringLiteral("Kolor fontów opisów"));
    m_captionColorAction->setObjectName(QStringLiteral("chooseCaptionColor"));
    connect(m_captionColorAction, &QAction::triggered, this, &CaseEditor::chooseCaptionColor);
    m_fieldFontAction
        = m_settingsMenu->addAction(QStringLiteral("Kolor i rozmiar fontów pól edycji"));
    m_fieldFontAction->setObjectName(QStringLiteral("chooseFieldFont"));
    connect(m_fieldFontAction, &QAction::triggered, this, &CaseEditor::chooseFieldFont);
}

void CaseEditor::setTabOrderChain()
{
    // As the window reads: top to bottom, left to right.
    const std::array<QWidget*, 16> order { m_dateEdit, m_senderEdit, m_subjectEdit,
        m_settlementCombo, m_detailsMemo, m_annotationsMemo, m_replyModeEdit, m_clearButton,
        m_speedButtons[0], m_speedButtons[1], m_speedButtons[2], m_speedButtons[3],
        m_speedButtons[4], m_speedButtons[5], m_speedButtons[6], m_closeButton };
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void CaseEditor::initialize()
{
    // A limit that cuts no stored text: a Termin the mask cannot show is free text.
    kolvar::InputLengthLimit::install(m_dateEdit, 15);
    kolvar::InputLengthLimit::install(m_senderEdit, 40);
    kolvar::InputLengthLimit::install(m_subjectEdit, 120);
    kolvar::InputLengthLimit::install(m_settlementCombo->lineEdit(), 120);
    kolvar::InputLengthLimit::install(m_replyModeEdit, 120);

    move(m_host.editorLeftCaption().toInt(), m_host.editorTopCaption().toInt());
    resize(m_host.editorWidthCaption().toInt(), m_host.editorHeightCaption().toInt());

    for (QLabel* label : { m_dateLabel, m_senderLabel, m_subjectLabel, m_settlementLabel,
             m_detailsLabel, m_annotationsLabel, m_replyModeLabel })
        label->resize(captionWidth(label), label->height());

    // The top panel spans the whole window; it is not laid out before the window is shown.
    const int w = width();
    m_topPanel->resize(w, TopPanelHeight);
    m_dateEdit->move(w / 2, m_dateEdit->y());
    m_dateLabel->move(w / 2 - m_dateLabel->width() - 10, m_dateLabel->y());
    m_subjectEdit->move(m_subjectLabel->width() + 10, m_subjectEdit->y());
    m_subjectEdit->resize(w - m_subjectLabel->width() - 25, m_subjectEdit->height());

    applyAppearance();
    markShown();
    update();
}

void CaseEditor::applyAppearance()
{
    const QColor panel = kolvar::toQColor(m_host.panelColor());
    for (QWidget* w : { m_topPanel, m_buttonPanel, m_upperPanel, m_lowerPanel, m_settlementPanel,
             m_detailsPanel, m_replyModePanel })
        setColour(w, QPalette::Window, panel);

    const std::array<QWidget*, 7> edits { m_annotationsMemo, m_detailsMemo, m_dateEdit,
        m_subjectEdit, m_senderEdit, m_settlementCombo, m_replyModeEdit };
    const QColor box = kolvar::toQColor(m_host.editBoxColor());
    for (QWidget* w : edits)
        setColour(w, QPalette::Base, box);

    const QColor labels = kolvar::toQColor(m_host.labelFontColor());
    for (QWidget* w : { static_cast<QWidget*>(m_upperPanel), static_cast<QWidget*>(m_lowerPanel),
             static_cast<QWidget*>(m_topPanel), static_cast<QWidget*>(m_buttonPanel),
             static_cast<QWidget*>(m_titleLabel) })
        setColour(w, QPalette::WindowText, labels);

    const QColor text = kolvar::toQColor(m_host.editFontColor());
    for (QWidget* w : edits)
        setColour(w, QPalette::Text, text);

    const int size = m_host.editFontSize();
    for (QWidget* w : edits)
        setPointSize(w, size);
}

int CaseEditor::captionWidth(const QLabel* label) const
{
    return QFontMetrics(font()).horizontalAdvance(label->text());
}

void CaseEditor::layOutPanels()
{
    m_annotationsPanel->resize(m_annotationsPanel->width(), 29);
    m_lowerPanel->realign();

    const int clientHeight = m_client->height();
    m_upperPanel->resize(
        m_upperPanel->width(), (clientHeight - m_topPanel->height() - m_buttonPanel->height()) / 2);
    m_client->realign();

    const int gornyWidth = m_topPanel->width();
    m_dateLabel->move(m_topPanel->x() + 20, m_dateLabel->y());
    m_dateEdit->move(m_dateLabel->x() + captionWidth(m_dateLabel) + 10, m_dateEdit->y());

    m_subjectLabel->move(m_topPanel->x() + 20, m_subjectLabel->y());
    m_subjectEdit->move(
        m_subjectLabel->x() + captionWidth(m_subjectLabel) + 10, m_subjectEdit->y());
    m_subjectEdit->resize(gornyWidth - m_subjectEdit->x() - 25, m_subjectEdit->height());

    m_senderLabel->move(m_dateEdit->x() + m_dateEdit->width() + 20, m_senderLabel->y());
    m_senderEdit->move(m_senderLabel->x() + captionWidth(m_senderLabel) + 10, m_senderEdit->y());
    m_senderEdit->resize(gornyWidth - m_senderEdit->x() - 25, m_senderEdit->height());

    m_settlementLabel->move(m_settlementPanel->x() + 20, m_settlementLabel->y());
    m_settlementCombo->move(
        m_settlementLabel->x() + captionWidth(m_settlementLabel) + 10, m_settlementCombo->y());
    m_settlementCombo->resize(m_settlementPanel->width() - captionWidth(m_settlementLabel) - 55,
        m_settlementCombo->height());

    m_replyModeLabel->move(m_replyModePanel->x() + 20, m_replyModeLabel->y());
    m_replyModeEdit->move(
        m_replyModeLabel->x() + captionWidth(m_replyModeLabel) + 10, m_replyModeEdit->y());
    m_replyModeEdit->resize(
        m_replyModePanel->width() - captionWidth(m_replyModeLabel) - 55, m_replyModeEdit->height());
}

QString CaseEditor::fieldText(EditorField field) const
{
    switch (field) {
    case EditorField::Termin:
        return m_dateEdit->maskedText();
    case EditorField::Nadawca:
        return kolvar::InputLengthLimit::text(m_senderEdit);
    case EditorField::Dotyczy:
        return kolvar::InputLengthLimit::text(m_subjectEdit);
    case EditorField::Tryb:
        return kolvar::InputLengthLimit::text(m_settlementCombo->lineEdit());
    case EditorField::Odpowiedz:
        return kolvar::InputLengthLimit::text(m_replyModeEdit);
    case EditorField::Szczegoly:
        return memoText(m_detailsMemo);
    case EditorField::Adnotacje:
        return memoText(m_annotationsMemo);
    }
    return {};
}

void CaseEditor::setFieldText(EditorField field, const QString& text)
{
    switch (field) {
    case EditorField::Termin:
        m_dateEdit->setStoredText(text);
        break;
    case EditorField::Nadawca:
        kolvar::InputLengthLimit::setText(m_senderEdit, text);
        break;
    case EditorField::Dotyczy:
        kolvar::InputLengthLimit::setText(m_subjectEdit, text);
        break;
    case EditorField::Tryb:
        kolvar::InputLengthLimit::setText(m_settlementCombo->lineEdit(), text);
        break;
    case EditorField::Odpowiedz:
        kolvar::InputLengthLimit::setText(m_replyModeEdit, text);
        break;
    case EditorField::Szczegoly:
        setMemoText(m_detailsMemo, text);
        break;
    case EditorField::Adnotacje:
        setMemoText(m_annotationsMemo, text);
        break;
    }
    m_settledTexts[std::size_t(field)] = fieldText(field);
}

void CaseEditor::markShown()
{
    for (const EditorField field : kolvar::AllEditorFields)
        m_shownTexts[std::size_t(field)] = fieldText(field);
    m_settledTexts = m_shownTexts;
    m_markedChanged = false;
    ++m_shownCount;
    // What was said of the case before belongs to it alone.
    m_pendingAnnouncement.clear();
    m_announcer->clear();
}

bool CaseEditor::recordChanged() const
{
    if (m_markedChanged)
        return true;
    for (const EditorField field : kolvar::AllEditorFields) {
        if (fieldText(field) != m_settledTexts[std::size_t(field)])
            return true;
    }
    return false;
}

void CaseEditor::setRecordChanged(bool changed)
{
    m_markedChanged = changed;
    if (!changed) {
        for (const EditorField field : kolvar::AllEditorFields)
            m_settledTexts[std::size_t(field)] = fieldText(field);
    }
}

bool CaseEditor::fieldChanged(EditorField field) const
{
    return fieldText(field) != m_shownTexts[std::size_t(field)];
}

QString CaseEditor::firstUnencodableField(const std::function<bool(QStringView)>& canEncode) const
{
    for (EditorField field : kolvar::AllEditorFields) {
        if (!canEncode(fieldText(field)))
            return kolvar::editorFieldName(field);
    }
    return {};
}

bool CaseEditor::close()
{
    if (isVisible())
        return QMainWindow::close();
    if (!mayClose())
        return false;
    finishClosing();
    return true;
}

void CaseEditor::firstCase()
{
    step(&kolvar::EditorHost::firstCase);
}

void CaseEditor::previousCase()
{
    step(&kolvar::EditorHost::previousCase);
}

void CaseEditor::nextCase()
{
    step(&kolvar::EditorHost::nextCase);
}

void CaseEditor::lastCase()
{
    step(&kolvar::EditorHost::lastCase);
}

namespace {

// Whether the position text ("35 z 35") names the last case, or with first the first one.
[[nodiscard]] bool atEnd(const QString& position, bool first)
{
    const QStringList parts = position.split(QStringLiteral(" z "));
    bool isNumber = false;
    bool isCount = false;
    const int place = parts.value(0).toInt(&isNumber);
    const int count = parts.value(1).toInt(&isCount);
    return parts.size() == 2 && isNumber && isCount && place == (first ? 1 : count);
}

} // namespace

void CaseEditor::step(void (kolvar::EditorHost::*command)())
{
    const int shownBefore = m_shownCount;
    const QString placeBefore = m_positionLabel->text();
    (m_host.*command)();
    if (!isVisible())
        return;
    const bool backward
        = command == &kolvar::EditorHost::firstCase || command == &kolvar::EditorHost::previousCase;
    // At either end the step finds no other case, or shows the same one again: saying it again
    // would sound like news.
    if (m_positionLabel->text() == placeBefore && !recordChanged()
        && atEnd(placeBefore, backward)) {
        announce(backward ? QStringLiteral("To jest pierwszy rekord.")
                          : QStringLiteral("To jest ostatni rekord."));
    } else if (m_shownCount != shownBefore) {
        announceCase();
    } else if (!isActiveWindow()) {
        // The unsaved-changes question or a message took the focus to the main window; the
        // user was working here and goes on here.
        raise();
        activateWindow();
    }
}

void CaseEditor::present()
{
    show();
    raise();
    activateWindow();
    m_dateEdit->setFocus(Qt::OtherFocusReason);
}

QString CaseEditor::caseAnnouncement() const
{
    const QString stored = m_dateEdit->maskedText();
    const bool empty = m_dateEdit->showsFreeText()
        ? stored.trimmed().isEmpty()
        : std::none_of(stored.begin(), stored.end(), [](QChar c) { return c.isDigit(); });
    const auto said = [](const QString& text) {
        return text.trimmed().isEmpty() ? QStringLiteral("pusto") : text.trimmed();
    };
    return QStringLiteral("%1 %2. %3 %4. %5 %6. Rekord %7")
        .arg(m_dateLabel->text(), empty ? QStringLiteral("pusto") : m_dateEdit->displayText(),
            m_senderLabel->text(), said(m_senderEdit->text()), m_subjectLabel->text(),
            said(m_subjectEdit->text()), m_positionLabel->text());
}

void CaseEditor::announceCase()
{
    announce(caseAnnouncement());
}

void CaseEditor::announce(const QString& text)
{
    m_pendingAnnouncement = text;
    if (isActiveWindow()) {
        speakAnnouncement();
        return;
    }
    raise();
    activateWindow();
}

void CaseEditor::speakAnnouncement()
{
    const QString text = std::exchange(m_pendingAnnouncement, QString());
    if (!text.isEmpty())
        m_announcer->say(text);
}

void CaseEditor::addNewCase()
{
    m_host.addNewCase();
}

void CaseEditor::deleteCurrentCase()
{
    m_host.deleteCurrentCase();
}

void CaseEditor::saveChanges()
{
    m_host.saveChanges();
}

void CaseEditor::closeWindow()
{
    close();
}

void CaseEditor::clearFields()
{
    m_dateEdit->setStoredText(QString());
    m_senderEdit->clear();
    m_subjectEdit->clear();
    m_settlementCombo->clearEditText();
    m_replyModeEdit->clear();
    m_detailsMemo->clear();
    m_annotationsMemo->clear();
}

void CaseEditor::printCase()
{
    // The texts as they stand in the controls, so unsaved typing is printed too.
    const QString error
        = kolvar::printRecord([this](EditorField field) { return fieldText(field); });
    if (!error.isEmpty())
        kolvar::userDialogs().message(this, error, kolvar::MessageIcon::Error);
}

void CaseEditor::chooseWindowColor()
{
    const std::optional<QColor> chosen
        = kolvar::userDialogs().chooseColor(this, m_topPanel->palette().color(QPalette::Window));
    if (!chosen)
        return;
    for (QWidget* w : { m_upperPanel, m_lowerPanel, m_topPanel, m_settlementPanel, m_replyModePanel,
             m_detailsPanel, m_buttonPanel })
        setColour(w, QPalette::Window, *chosen);
    m_host.setPanelColor(kolvar::fromQColor(*chosen));
}

void CaseEditor::chooseFieldColor()
{
    const std::optional<QColor> chosen
        = kolvar::userDialogs().chooseColor(this, m_detailsMemo->palette().color(QPalette::Base));
    if (!chosen)
        return;
    for (QWidget* w : { static_cast<QWidget*>(m_detailsMemo), static_cast<QWidget*>(m_dateEdit),
             static_cast<QWidget*>(m_subjectEdit), static_cast<QWidget*>(m_senderEdit) })
        setColour(w, QPalette::Base, *chosen);
    m_host.setEditBoxColor(kolvar::fromQColor(*chosen));
    for (QWidget* w : { static_cast<QWidget*>(m_settlementCombo),
             static_cast<QWidget*>(m_replyModeEdit), static_cast<QWidget*>(m_annotationsMemo) })
        setColour(w, QPalette::Base, *chosen);
}

void CaseEditor::chooseCaptionColor()
{
    // The label shows the panel's colour behind its text.
    const std::optional<QColor> chosen
        = kolvar::userDialogs().chooseColor(this, m_titleLabel->palette().color(QPalette::Window));
    if (!chosen)
        return;
    m_host.setLabelFontColor(kolvar::fromQColor(*chosen));
    for (QWidget* w : { static_cast<QWidget*>(m_topPanel), static_cast<QWidget*>(m_buttonPanel),
             static_cast<QWidget*>(m_annotationsPanel), static_cast<QWidget*>(m_titleLabel),
             static_cast<QWidget*>(m_settlementLabel), static_cast<QWidget*>(m_detailsLabel),
             static_cast<QWidget*>(m_replyModeLabel) })
        setColour(w, QPalette::WindowText, *chosen);
}

void CaseEditor::chooseFieldFont()
{
    QFont preset(m_fontDialogFamily.isEmpty() ? font().family() : m_fontDialogFamily);
    preset.setPointSize(pointSizeOf(m_detailsMemo->font()));
    const std::optional<kolvar::FontChoice> chosen = kolvar::userDialogs().chooseFont(
        this, { preset, m_detailsMemo->palette().color(QPalette::Text) });
    if (!chosen)
        return;
    m_fontDialogFamily = chosen->font.family();

    // Only the colour and the size count: the edits stay in the window's typeface and weight.
    const std::array<QWidget*, 7> edits { m_detailsMemo, m_annotationsMemo, m_dateEdit,
        m_subjectEdit, m_senderEdit, m_settlementCombo, m_replyModeEdit };
    for (QWidget* w : edits)
        setColour(w, QPalette::Text, chosen->color);
    m_host.setEditFontColor(kolvar::fromQColor(chosen->color));

    const int size = pointSizeOf(chosen->font);
    for (QWidget* w : { static_cast<QWidget*>(m_detailsMemo),
             static_cast<QWidget*>(m_annotationsMemo), static_cast<QWidget*>(m_settlementCombo),
             static_cast<QWidget*>(m_replyModeEdit), static_cast<QWidget*>(m_dateEdit),
             static_cast<QWidget*>(m_subjectEdit), static_cast<QWidget*>(m_senderEdit) })
        setPointSize(w, size);
    m_host.setEditFontSize(size);
}

bool CaseEditor::mayClose()
{
    if (!recordChanged())
        return true;
    const kolvar::DialogButton answer = kolvar::userDialogs().ask(
        this, ChangedQuestion, { kolvar::DialogButton::Yes, kolvar::DialogButton::No });
    if (answer == kolvar::DialogButton::Yes)
        return false; // the user saves with the tick button; nothing is saved here
    setRecordChanged(false);
    return true;
}

void CaseEditor::finishClosing()
{
    m_host.setEditorLeftCaption(QString::number(x()));
    m_host.setEditorTopCaption(QString::number(y()));
    m_host.setEditorWidthCaption(QString::number(width()));
    m_host.setEditorHeightCaption(QString::number(height()));
    layOutPanels();
    m_host.enableRegenerate();
    setRecordChanged(false);
    m_host.saveSettings();
}

void CaseEditor::closeEvent(QCloseEvent* event)
{
    if (!mayClose()) {
        event->ignore();
        return;
    }
    finishClosing();
    event->accept();
}

void CaseEditor::showEvent(QShowEvent* event)
{
    layOutPanels();
    QMainWindow::showEvent(event);
    // A tool window is not activated by being shown: the focus would stay in the list and a
    // screen reader would say nothing. Once mapped, the window asks for it.
    if (!event->spontaneous()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isVisible() && !isActiveWindow()) {
                    raise();
                    activateWindow();
                }
            },
            Qt::QueuedConnection);
        if (!m_client->isAncestorOf(QApplication::focusWidget()))
            m_dateEdit->setFocus(Qt::OtherFocusReason);
    }
}

bool CaseEditor::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    // The focus arrives with the activation; what was to be said follows it.
    if (event->type() == QEvent::WindowActivate && !m_pendingAnnouncement.isEmpty())
        QMetaObject::invokeMethod(this, &CaseEditor::speakAnnouncement, Qt::QueuedConnection);
    return handled;
}

bool CaseEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        layOutPanels();
    return QMainWindow::eventFilter(watched, event);
}
