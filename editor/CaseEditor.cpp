#include "Unit2.h"

#include "Announcer.h"
#include "ColorValue.h"
#include "EditorGlyphs.h"
#include "EditorHost.h"
#include "InputLengthLimit.h"
#include "MaskedDateEdit.h"
#include "Panel.h"
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
constexpr int GornyHeight = 112;
constexpr int KlawiszyHeight = 44;

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

QLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
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

void setMemoText(QPlainTextEdit* memo, QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    memo->setPlainText(text);
}

} // namespace

TForm2::TForm2(kolvar::EditorHost& host, QWidget* parent)
    : QMainWindow(parent, Qt::Tool)
    , m_host(host)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Edycja i druk"));
    setFont(arialBold(13));
    setColour(this, QPalette::Window, kolvar::toQColor(kolvar::colors::Silver));

    createControls();
    createMenu();
    setTabOrderChain();
    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::createControls()
{
    auto* client = new Panel(QStringLiteral("ClientArea"), this);
    client->setAutoFillBackground(false);
    m_client = client;
    setCentralWidget(client);
    client->installEventFilter(this);

    // Top panel: the title, the date, the sender and the subject.
    m_pnlGorny = new Panel(QStringLiteral("pnlGorny"), client);
    m_pnlGorny->setBevels(Bevel::Lowered, Bevel::Lowered);
    m_pnlGorny->resize(width(), GornyHeight);

    m_lbl11 = new QLabel(QStringLiteral("Dane Szczegółowe Kolvar"), m_pnlGorny);
    m_lbl11->setObjectName(QStringLiteral("lbl11"));
    m_lbl11->setFont(arialBold(21));
    m_lbl11->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_lbl11->resize(m_lbl11->width(), QFontMetrics(m_lbl11->font()).height());
    m_pnlGorny->dock(m_lbl11, Align::Top);

    m_lbl12 = makeLabel(QStringLiteral("lbl12"), QStringLiteral("Wpłynęło:"), m_pnlGorny, 80, 43);
    m_lbl12->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_Edit4 = new kolvar::MaskedDateEdit(m_pnlGorny);
    m_Edit4->setObjectName(QStringLiteral("Edit4"));
    m_Edit4->setGeometry(160, 40, 84, EditHeight);
    m_lblklient
        = makeLabel(QStringLiteral("lblklient"), QStringLiteral("Nadawca:"), m_pnlGorny, 264, 43);
    m_edKlient = makeEdit(QStringLiteral("edKlient"), m_pnlGorny, { 336, 40, 209, EditHeight });
    m_lblSprawa
        = makeLabel(QStringLiteral("lblSprawa"), QStringLiteral("Dotyczy:"), m_pnlGorny, 16, 79);
    m_Edit5 = makeEdit(QStringLiteral("Edit5"), m_pnlGorny, { 80, 76, 465, EditHeight });

    // Upper half: the mode of settling and the details.
    m_pnl1 = new Panel(QStringLiteral("pnl1"), client);
    m_pnl1->setBevels(Bevel::Lowered, Bevel::Lowered);
    m_pnl1->resize(width(), 220);

    m_pnlTryb = new Panel(QStringLiteral("pnlTryb"), m_pnl1);
    m_pnlTryb->setBevels(Bevel::Raised, Bevel::None);
    m_pnlTryb->resize(width(), 41);
    m_lblTryb = makeLabel(
        QStringLiteral("lblTryb"), QStringLiteral("Tryb załatwienia kolvar:"), m_pnlTryb, 20, 11);
    m_edKrypto1 = new QComboBox(m_pnlTryb);
    m_edKrypto1->setObjectName(QStringLiteral("edKrypto1"));
    m_edKrypto1->setEditable(true);
    // Whatever is typed stays a free text; the list keeps its four fixed items.
    m_edKrypto1->setInsertPolicy(QComboBox::NoInsert);
    m_edKrypto1->addItems({
        QString(),
        QStringLiteral("Sprawa nieskomplikowana i będzie załatwiona bezzwłocznie"),
        QStringLiteral("Załatwić w trybie administracyjnym w okresie jednego miesiąca"),
        QStringLiteral("Termin dwóch miesięcy z powodu skomplikowania kolvar"),
    });
    m_edKrypto1->setGeometry(200, 8, 345, EditHeight);
    m_pnl1->dock(m_pnlTryb, Align::Top);

    m_pnlDane = new Panel(QStringLiteral("pnlDane"), m_pnl1);
    m_pnlDane->setBevels(Bevel::Raised, Bevel::None);
    m_pnlDane->resize(width(), 29);
    m_lblDane = makeLabel(
        QStringLiteral("lblDane"), QStringLiteral("Dane szczegółowe kolvar"), m_pnlDane, 20, 7);
    m_pnl1->dock(m_pnlDane, Align::Top);

    m_Memo2 = makeMemo(QStringLiteral("Memo2"), m_pnl1);
    m_Memo2->setFont(arialBold(13));
    m_pnl1->dock(m_Memo2, Align::Client);

    // Lower half: the official annotations and the mode of reply.
    m_pnl2 = new Panel(QStringLiteral("pnl2"), client);
    m_pnl2->setBevels(Bevel::Raised, Bevel::None);

    m_pnl22 = new Panel(QStringLiteral("pnl22"), m_pnl2);
    m_pnl22->setBevels(Bevel::None, Bevel::Lowered);
    // Not one of the panels the colour commands paint: it keeps the window's own colour.
    setColour(m_pnl22, QPalette::Window, kolvar::toQColor(kolvar::colors::Silver));
    m_pnl22->resize(width(), 29);
    m_lbl113 = makeLabel(
        QStringLiteral("lbl113"), QStringLiteral("Adnotacje urzędowe."), m_pnl22, 20, 7);
    m_pnl2->dock(m_pnl22, Align::Top);

    m_pnlUrzedowy = new Panel(QStringLiteral("pnlUrzedowy"), m_pnl2);
    m_pnlUrzedowy->setBevels(Bevel::Raised, Bevel::None);
    m_pnlUrzedowy->resize(width(), 42);
    m_lblOdpowiada = makeLabel(QStringLiteral("lblOdpowiada"),
        QStringLiteral("Tryb udzielenia odpowiedzi:"), m_pnlUrzedowy, 20, 11);
    m_edKrypto2 = makeEdit(QStringLiteral("edKrypto2"), m_pnlUrzedowy, { 216, 8, 337, EditHeight });
    m_pnl2->dock(m_pnlUrzedowy, Align::Bottom);

    m_Memo3 = makeMemo(QStringLiteral("Memo3"), m_pnl2);
    m_pnl2->dock(m_Memo3, Align::Client);

    // Bottom panel: the buttons.
    m_pnlKlawiszy = new Panel(QStringLiteral("pnlKlawiszy"), client);
    m_pnlKlawiszy->setBevels(Bevel::Lowered, Bevel::Lowered, 2);
    m_pnlKlawiszy->resize(width(), KlawiszyHeight);

    m_btnWymazuj = new QPushButton(QStringLiteral("Czyść"), m_pnlKlawiszy);
    m_btnWymazuj->setObjectName(QStringLiteral("btnWymazuj"));
    m_btnWymazuj->setGeometry(24, 10, 89, 25);
    m_btnWymazuj->setToolTip(QStringLiteral("Czyści z tekstu wszystkie pola edycyjne"));
    connect(m_btnWymazuj, &QPushButton::clicked, this, &TForm2::btnWymazujClick);

    struct SpeedButton
    {
        const char* name;
        const char* hint;
        kolvar::Glyph glyph;
        void (TForm2::*handler)();
    };
    const std::array<SpeedButton, 7> speedButtons { {
        { "btnPierwszy", "Na Pierwszy rekord", kolvar::Glyph::First, &TForm2::btnPierwszyClick },
        { "btnPoprzedni", "Poprzedni rekord", kolvar::Glyph::Prior, &TForm2::btnPoprzedniClick },
        { "btnNastepny", "Następny rekord", kolvar::Glyph::Next, &TForm2::btnNastepnyClick },
        { "btnOstatni", "Na ostatni rekord", kolvar::Glyph::Last, &TForm2::btnOstatniClick },
        { "btnDodaj", "Dodaje rekord", kolvar::Glyph::Plus, &TForm2::btnDodajClick },
        { "btnZniszcz", "Usuwa zaznaczony rekord", kolvar::Glyph::Minus, &TForm2::btnZniszczClick },
        { "btnZmiana", "Zatwierdza zmiany w tekście rekordu", kolvar::Glyph::Tick,
            &TForm2::btnZmianaClick },
    } };
    for (std::size_t i = 0; i < speedButtons.size(); ++i) {
        const SpeedButton& b = speedButtons[i];
        auto* button = new QToolButton(m_pnlKlawiszy);
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

    m_StaticText6 = makeLabel(
        QStringLiteral("StaticText6"), QStringLiteral("Rekord:"), m_pnlKlawiszy, 363, 13);
    // Created before btnClose, so that a long position text runs under the button rather than
    // over it.
    m_Label1 = makeLabel(QStringLiteral("Label1"), QStringLiteral("00"), m_pnlKlawiszy, 433, 13);
    m_Label1->resize(120, m_Label1->height());

    m_announcer = new kolvar::Announcer(m_pnlKlawiszy);
    m_announcer->setObjectName(QStringLiteral("Announcer"));

    m_btnClose = new QPushButton(QStringLiteral("&Zamknij"), m_pnlKlawiszy);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    m_btnClose->setGeometry(480, 10, 89, 25);
    connect(m_btnClose, &QPushButton::clicked, this, &TForm2::btnCloseClick);

    // Docking order decides the stacking from the top: the title panel, then the details half;
    // the buttons at the bottom; the annotations half takes what is left.
    client->dock(m_pnlGorny, Align::Top);
    client->dock(m_pnl1, Align::Top);
    client->dock(m_pnlKlawiszy, Align::Bottom);
    client->dock(m_pnl2, Align::Client);

    // Each field is known by its caption, also where the caption sits on a panel of its own.
    const std::array<std::pair<QLabel*, QWidget*>, 7> captions { { { m_lbl12, m_Edit4 },
        { m_lblklient, m_edKlient }, { m_lblSprawa, m_Edit5 }, { m_lblTryb, m_edKrypto1 },
        { m_lblDane, m_Memo2 }, { m_lbl113, m_Memo3 }, { m_lblOdpowiada, m_edKrypto2 } } };
    for (const auto& [label, field] : captions) {
        label->setBuddy(field);
        field->setAccessibleName(label->text());
    }
}

void TForm2::createMenu()
{
    m_MainMenu1 = new QMenuBar(this);
    m_MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(m_MainMenu1);

    m_mnuDruk22 = m_MainMenu1->addAction(QStringLiteral("&Drukowanie"));
    m_mnuDruk22->setObjectName(QStringLiteral("mnuDruk22"));
    connect(m_mnuDruk22, &QAction::triggered, this, &TForm2::mnuDruk22Click);

    m_mnuUstaw = m_MainMenu1->addMenu(QStringLiteral("&Ustawienia"));
    m_mnuUstaw->setObjectName(QStringLiteral("mnuUstaw"));
    m_mnuKolorFormy = m_mnuUstaw->addAction(QStringLiteral("Kolor Formatki (planszy)"));
    m_mnuKolorFormy->setObjectName(QStringLiteral("mnuKolorFormy"));
    connect(m_mnuKolorFormy, &QAction::triggered, this, &TForm2::mnuKolorFormyClick);
    m_mnuKolorOkien = m_mnuUstaw->addAction(QStringLiteral("Kolor okien edycji"));
    m_mnuKolorOkien->setObjectName(QStringLiteral("mnuKolorOkien"));
    connect(m_mnuKolorOkien, &QAction::triggered, this, &TForm2::mnuKolorOkienClick);
    m_mnuUstaw->addSeparator();
    m_mnuFontyOpisu = m_mnuUstaw->addAction(QStringLiteral("Kolor fontów opisów"));
    m_mnuFontyOpisu->setObjectName(QStringLiteral("mnuFontyOpisu"));
    connect(m_mnuFontyOpisu, &QAction::triggered, this, &TForm2::mnuFontyOpisuClick);
    m_mnuFontyEdycji = m_mnuUstaw->addAction(QStringLiteral("Kolor i rozmiar fontów pól edycji"));
    m_mnuFontyEdycji->setObjectName(QStringLiteral("mnuFontyEdycji"));
    connect(m_mnuFontyEdycji, &QAction::triggered, this, &TForm2::mnuFontyEdycjiClick);
}

void TForm2::setTabOrderChain()
{
    // As the window reads: top to bottom, left to right.
    const std::array<QWidget*, 16> order { m_Edit4, m_edKlient, m_Edit5, m_edKrypto1, m_Memo2,
        m_Memo3, m_edKrypto2, m_btnWymazuj, m_speedButtons[0], m_speedButtons[1], m_speedButtons[2],
        m_speedButtons[3], m_speedButtons[4], m_speedButtons[5], m_speedButtons[6], m_btnClose };
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void TForm2::FormCreate()
{
    // A limit that cuts no stored text: a Termin the mask cannot show is free text.
    kolvar::InputLengthLimit::install(m_Edit4, 15);
    kolvar::InputLengthLimit::install(m_edKlient, 40);
    kolvar::InputLengthLimit::install(m_Edit5, 120);
    kolvar::InputLengthLimit::install(m_edKrypto1->lineEdit(), 120);
    kolvar::InputLengthLimit::install(m_edKrypto2, 120);

    move(m_host.lblLewaCaption().toInt(), m_host.lblTopCaption().toInt());
    resize(m_host.lblSzerCaption().toInt(), m_host.lblWysCaption().toInt());

    for (QLabel* label :
        { m_lbl12, m_lblklient, m_lblSprawa, m_lblTryb, m_lblDane, m_lbl113, m_lblOdpowiada })
        label->resize(captionWidth(label), label->height());

    // The top panel spans the whole window; it is not laid out before the window is shown.
    const int w = width();
    m_pnlGorny->resize(w, GornyHeight);
    m_Edit4->move(w / 2, m_Edit4->y());
    m_lbl12->move(w / 2 - m_lbl12->width() - 10, m_lbl12->y());
    m_Edit5->move(m_lblSprawa->width() + 10, m_Edit5->y());
    m_Edit5->resize(w - m_lblSprawa->width() - 25, m_Edit5->height());

    ApplyAppearance();
    markShown();
    update();
}

void TForm2::ApplyAppearance()
{
    const QColor panel = kolvar::toQColor(m_host.PanelColor());
    for (QWidget* w :
        { m_pnlGorny, m_pnlKlawiszy, m_pnl1, m_pnl2, m_pnlTryb, m_pnlDane, m_pnlUrzedowy })
        setColour(w, QPalette::Window, panel);

    const std::array<QWidget*, 7> edits { m_Memo3, m_Memo2, m_Edit4, m_Edit5, m_edKlient,
        m_edKrypto1, m_edKrypto2 };
    const QColor box = kolvar::toQColor(m_host.EditBoxColor());
    for (QWidget* w : edits)
        setColour(w, QPalette::Base, box);

    const QColor labels = kolvar::toQColor(m_host.LabelFontColor());
    for (QWidget* w : { static_cast<QWidget*>(m_pnl1), static_cast<QWidget*>(m_pnl2),
             static_cast<QWidget*>(m_pnlGorny), static_cast<QWidget*>(m_pnlKlawiszy),
             static_cast<QWidget*>(m_lbl11) })
        setColour(w, QPalette::WindowText, labels);

    const QColor text = kolvar::toQColor(m_host.EditFontColor());
    for (QWidget* w : edits)
        setColour(w, QPalette::Text, text);

    const int size = m_host.EditFontSize();
    for (QWidget* w : edits)
        setPointSize(w, size);
}

int TForm2::captionWidth(const QLabel* label) const
{
    return QFontMetrics(font()).horizontalAdvance(label->text());
}

void TForm2::FormResize()
{
    m_pnl22->resize(m_pnl22->width(), 29);
    m_pnl2->realign();

    const int clientHeight = m_client->height();
    m_pnl1->resize(
        m_pnl1->width(), (clientHeight - m_pnlGorny->height() - m_pnlKlawiszy->height()) / 2);
    m_client->realign();

    const int gornyWidth = m_pnlGorny->width();
    m_lbl12->move(m_pnlGorny->x() + 20, m_lbl12->y());
    m_Edit4->move(m_lbl12->x() + captionWidth(m_lbl12) + 10, m_Edit4->y());

    m_lblSprawa->move(m_pnlGorny->x() + 20, m_lblSprawa->y());
    m_Edit5->move(m_lblSprawa->x() + captionWidth(m_lblSprawa) + 10, m_Edit5->y());
    m_Edit5->resize(gornyWidth - m_Edit5->x() - 25, m_Edit5->height());

    m_lblklient->move(m_Edit4->x() + m_Edit4->width() + 20, m_lblklient->y());
    m_edKlient->move(m_lblklient->x() + captionWidth(m_lblklient) + 10, m_edKlient->y());
    m_edKlient->resize(gornyWidth - m_edKlient->x() - 25, m_edKlient->height());

    m_lblTryb->move(m_pnlTryb->x() + 20, m_lblTryb->y());
    m_edKrypto1->move(m_lblTryb->x() + captionWidth(m_lblTryb) + 10, m_edKrypto1->y());
    m_edKrypto1->resize(m_pnlTryb->width() - captionWidth(m_lblTryb) - 55, m_edKrypto1->height());

    m_lblOdpowiada->move(m_pnlUrzedowy->x() + 20, m_lblOdpowiada->y());
    m_edKrypto2->move(m_lblOdpowiada->x() + captionWidth(m_lblOdpowiada) + 10, m_edKrypto2->y());
    m_edKrypto2->resize(
        m_pnlUrzedowy->width() - captionWidth(m_lblOdpowiada) - 55, m_edKrypto2->height());
}

QString TForm2::fieldText(EditorField field) const
{
    switch (field) {
    case EditorField::Termin:
        return m_Edit4->maskedText();
    case EditorField::Nadawca:
        return m_edKlient->text();
    case EditorField::Dotyczy:
        return m_Edit5->text();
    case EditorField::Tryb:
        return m_edKrypto1->currentText();
    case EditorField::Odpowiedz:
        return m_edKrypto2->text();
    case EditorField::Szczegoly:
        return memoText(m_Memo2);
    case EditorField::Adnotacje:
        return memoText(m_Memo3);
    }
    return {};
}

void TForm2::setFieldText(EditorField field, const QString& text)
{
    switch (field) {
    case EditorField::Termin:
        m_Edit4->setStoredText(text);
        break;
    case EditorField::Nadawca:
        kolvar::InputLengthLimit::setText(m_edKlient, text);
        break;
    case EditorField::Dotyczy:
        kolvar::InputLengthLimit::setText(m_Edit5, text);
        break;
    case EditorField::Tryb:
        kolvar::InputLengthLimit::setText(m_edKrypto1->lineEdit(), text);
        break;
    case EditorField::Odpowiedz:
        kolvar::InputLengthLimit::setText(m_edKrypto2, text);
        break;
    case EditorField::Szczegoly:
        setMemoText(m_Memo2, text);
        break;
    case EditorField::Adnotacje:
        setMemoText(m_Memo3, text);
        break;
    }
    m_settledTexts[std::size_t(field)] = fieldText(field);
}

void TForm2::markShown()
{
    for (const EditorField field : kolvar::AllEditorFields)
        m_shownTexts[std::size_t(field)] = fieldText(field);
    m_settledTexts = m_shownTexts;
    m_markedChanged = false;
    ++m_shownCount;
}

bool TForm2::RecordChanged() const
{
    if (m_markedChanged)
        return true;
    for (const EditorField field : kolvar::AllEditorFields) {
        if (fieldText(field) != m_settledTexts[std::size_t(field)])
            return true;
    }
    return false;
}

void TForm2::setRecordChanged(bool changed)
{
    m_markedChanged = changed;
    if (!changed) {
        for (const EditorField field : kolvar::AllEditorFields)
            m_settledTexts[std::size_t(field)] = fieldText(field);
    }
}

bool TForm2::fieldChanged(EditorField field) const
{
    return fieldText(field) != m_shownTexts[std::size_t(field)];
}

QString TForm2::firstUnencodableField(const std::function<bool(QStringView)>& canEncode) const
{
    for (EditorField field : kolvar::AllEditorFields) {
        if (!canEncode(fieldText(field)))
            return kolvar::editorFieldName(field);
    }
    return {};
}

bool TForm2::close()
{
    if (isVisible())
        return QMainWindow::close();
    if (!FormCloseQuery())
        return false;
    FormClose();
    return true;
}

void TForm2::btnPierwszyClick()
{
    step(&kolvar::EditorHost::Pierwszy1Click);
}

void TForm2::btnPoprzedniClick()
{
    step(&kolvar::EditorHost::Poprzedni1Click);
}

void TForm2::btnNastepnyClick()
{
    step(&kolvar::EditorHost::Nastepny1Click);
}

void TForm2::btnOstatniClick()
{
    step(&kolvar::EditorHost::Ostatni1Click);
}

void TForm2::step(void (kolvar::EditorHost::*command)())
{
    const int shownBefore = m_shownCount;
    (m_host.*command)();
    if (!isVisible())
        return;
    if (m_shownCount != shownBefore) {
        announceCase();
    } else if (!isActiveWindow()) {
        // The unsaved-changes question or a message took the focus to the main window; the
        // user was working here and goes on here.
        raise();
        activateWindow();
    }
}

void TForm2::present()
{
    show();
    raise();
    activateWindow();
    m_Edit4->setFocus(Qt::OtherFocusReason);
}

QString TForm2::caseAnnouncement() const
{
    const QString stored = m_Edit4->maskedText();
    const bool empty = m_Edit4->showsFreeText()
        ? stored.trimmed().isEmpty()
        : std::none_of(stored.begin(), stored.end(), [](QChar c) { return c.isDigit(); });
    const QString date = empty ? QStringLiteral("pusto") : m_Edit4->displayText();
    return QStringLiteral("%1 %2. Rekord %3").arg(m_lbl12->text(), date, m_Label1->text());
}

void TForm2::announceCase()
{
    m_pendingAnnouncement = caseAnnouncement();
    if (isActiveWindow()) {
        speakAnnouncement();
        return;
    }
    raise();
    activateWindow();
}

void TForm2::speakAnnouncement()
{
    const QString text = std::exchange(m_pendingAnnouncement, QString());
    if (!text.isEmpty())
        m_announcer->say(text);
}

void TForm2::btnDodajClick()
{
    m_host.Dodaj1Click();
}

void TForm2::btnZniszczClick()
{
    m_host.Zniszcz1Click();
}

void TForm2::btnZmianaClick()
{
    m_host.Zmiana1Click();
}

void TForm2::btnCloseClick()
{
    close();
}

void TForm2::btnWymazujClick()
{
    m_Edit4->setStoredText(QString());
    m_edKlient->clear();
    m_Edit5->clear();
    m_edKrypto1->clearEditText();
    m_edKrypto2->clear();
    m_Memo2->clear();
    m_Memo3->clear();
}

void TForm2::mnuDruk22Click()
{
    // The texts as they stand in the controls, so unsaved typing is printed too.
    const QString error
        = kolvar::printRecord([this](EditorField field) { return fieldText(field); });
    if (!error.isEmpty())
        kolvar::userDialogs().message(this, error, kolvar::MessageIcon::Error);
}

void TForm2::mnuKolorFormyClick()
{
    const std::optional<QColor> chosen
        = kolvar::userDialogs().chooseColor(this, m_pnlGorny->palette().color(QPalette::Window));
    if (!chosen)
        return;
    for (QWidget* w :
        { m_pnl1, m_pnl2, m_pnlGorny, m_pnlTryb, m_pnlUrzedowy, m_pnlDane, m_pnlKlawiszy })
        setColour(w, QPalette::Window, *chosen);
    m_host.setPanelColor(kolvar::fromQColor(*chosen));
}

void TForm2::mnuKolorOkienClick()
{
    const std::optional<QColor> chosen
        = kolvar::userDialogs().chooseColor(this, m_Memo2->palette().color(QPalette::Base));
    if (!chosen)
        return;
    for (QWidget* w : { static_cast<QWidget*>(m_Memo2), static_cast<QWidget*>(m_Edit4),
             static_cast<QWidget*>(m_Edit5), static_cast<QWidget*>(m_edKlient) })
        setColour(w, QPalette::Base, *chosen);
    m_host.setEditBoxColor(kolvar::fromQColor(*chosen));
    for (QWidget* w : { static_cast<QWidget*>(m_edKrypto1), static_cast<QWidget*>(m_edKrypto2),
             static_cast<QWidget*>(m_Memo3) })
        setColour(w, QPalette::Base, *chosen);
}

void TForm2::mnuFontyOpisuClick()
{
    // The label shows the panel's colour behind its text.
    const std::optional<QColor> chosen
        = kolvar::userDialogs().chooseColor(this, m_lbl11->palette().color(QPalette::Window));
    if (!chosen)
        return;
    m_host.setLabelFontColor(kolvar::fromQColor(*chosen));
    for (QWidget* w : { static_cast<QWidget*>(m_pnlGorny), static_cast<QWidget*>(m_pnlKlawiszy),
             static_cast<QWidget*>(m_pnl22), static_cast<QWidget*>(m_lbl11),
             static_cast<QWidget*>(m_lblTryb), static_cast<QWidget*>(m_lblDane),
             static_cast<QWidget*>(m_lblOdpowiada) })
        setColour(w, QPalette::WindowText, *chosen);
}

void TForm2::mnuFontyEdycjiClick()
{
    QFont preset(m_fontDialogFamily.isEmpty() ? font().family() : m_fontDialogFamily);
    preset.setPointSize(pointSizeOf(m_Memo2->font()));
    const std::optional<kolvar::FontChoice> chosen = kolvar::userDialogs().chooseFont(
        this, { preset, m_Memo2->palette().color(QPalette::Text) });
    if (!chosen)
        return;
    m_fontDialogFamily = chosen->font.family();

    // Only the colour and the size count: the edits stay in the window's typeface and weight.
    const std::array<QWidget*, 7> edits { m_Memo2, m_Memo3, m_Edit4, m_Edit5, m_edKlient,
        m_edKrypto1, m_edKrypto2 };
    for (QWidget* w : edits)
        setColour(w, QPalette::Text, chosen->color);
    m_host.setEditFontColor(kolvar::fromQColor(chosen->color));

    const int size = pointSizeOf(chosen->font);
    for (QWidget* w : { static_cast<QWidget*>(m_Memo2), static_cast<QWidget*>(m_Memo3),
             static_cast<QWidget*>(m_edKrypto1), static_cast<QWidget*>(m_edKrypto2),
             static_cast<QWidget*>(m_Edit4), static_cast<QWidget*>(m_Edit5),
             static_cast<QWidget*>(m_edKlient) })
        setPointSize(w, size);
    m_host.setEditFontSize(size);
}

bool TForm2::FormCloseQuery()
{
    if (!RecordChanged())
        return true;
    const kolvar::DialogButton answer = kolvar::userDialogs().ask(
        this, ChangedQuestion, { kolvar::DialogButton::Yes, kolvar::DialogButton::No });
    if (answer == kolvar::DialogButton::Yes)
        return false; // the user saves with the tick button; nothing is saved here
    setRecordChanged(false);
    return true;
}

void TForm2::FormClose()
{
    m_host.setLblLewaCaption(QString::number(x()));
    m_host.setLblTopCaption(QString::number(y()));
    m_host.setLblSzerCaption(QString::number(width()));
    m_host.setLblWysCaption(QString::number(height()));
    FormResize();
    m_host.EnableRegeneruj();
    setRecordChanged(false);
    m_host.SaveSettings();
}

void TForm2::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm2::showEvent(QShowEvent* event)
{
    FormResize();
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
            m_Edit4->setFocus(Qt::OtherFocusReason);
    }
}

bool TForm2::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    // The focus arrives with the activation; what was to be said follows it.
    if (event->type() == QEvent::WindowActivate && !m_pendingAnnouncement.isEmpty())
        QMetaObject::invokeMethod(this, &TForm2::speakAnnouncement, Qt::QueuedConnection);
    return handled;
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        FormResize();
    return QMainWindow::eventFilter(watched, event);
}
