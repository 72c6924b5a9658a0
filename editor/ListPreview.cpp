#include "UnitPokazuj.h"

#include "ColorValue.h"
#include "UpDown.h"
#include "UserDialogs.h"
#include "Zarur.h"

#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>

#include <cmath>

using kolvar::grid::TPrintOptions;

namespace {

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// Rounding of the zoom steps: to the nearest whole number, halves to the even one.
int roundEven(double v)
{
    return int(std::nearbyint(v));
}

QToolButton* speedButton(QWidget* parent, const char* name, QRect place, const QString& hint,
    QStyle::StandardPixmap icon, bool flat)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setAutoRaise(flat);
    return button;
}

QLineEdit* edit(QWidget* parent, const char* name, QRect place, const QString& text, bool border)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(place);
    e->setFrame(border);
    return e;
}

QListWidget* list(QWidget* parent, const char* name, QRect place, const QColor& colour,
    const QStringList& entries)
{
    auto* l = new QListWidget(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(place);
    l->setFrameShape(QFrame::NoFrame);
    l->addItems(entries);
    setColour(l, QPalette::Base, colour);
    return l;
}

QCheckBox* checkBox(
    QWidget* parent, const char* name, QRect place, const QString& caption, const QString& hint)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QLatin1String(name));
    c->setGeometry(place.adjusted(0, -3, 0, 3));
    c->setToolTip(hint);
    c->setChecked(true);
    return c;
}

// The Margins entries in list order.
int TPrintOptions::*const MarginFields[]
    = { &TPrintOptions::MarginTop, &TPrintOptions::PageTitleMargin, &TPrintOptions::MarginLeft,
          &TPrintOptions::MarginRight, &TPrintOptions::MarginBottom, &TPrintOptions::Leftpadding,
          &TPrintOptions::HeaderSize, &TPrintOptions::FooterSize };

// The Headers entries in list order.
QString TPrintOptions::*const HeaderFields[]
    = { &TPrintOptions::PageTitle, &TPrintOptions::PageFooter, &TPrintOptions::DateFormat,
          &TPrintOptions::TimeFormat, &TPrintOptions::Logo };

constexpr int LogoEntry = 4;
constexpr int PanelWidth = 162;

} // namespace

TPokazuj::TPokazuj(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("Pokazuj"));
    setWindowTitle(QStringLiteral("Podgląd i druk"));
    setGeometry(230, 92, 780, 560);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    const QColor shadow = palette().color(QPalette::Dark);
    setColour(this, QPalette::Window, shadow);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    setFont(font);

    auto* panel = new QWidget(this);
    m_Panel1 = panel;
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(0, 0, PanelWidth, height());
    setColour(panel, QPalette::Window, shadow);

    m_ScrollBox1 = new QScrollArea(this);
    m_ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    m_ScrollBox1->setGeometry(PanelWidth, 0, width() - PanelWidth, height());
    setColour(m_ScrollBox1, QPalette::Window, shadow);
    m_ScrollBox1->setFrameShape(QFrame::NoFrame);
    m_PreviewImage = new QLabel;
    m_PreviewImage->setObjectName(QStringLiteral("PreviewImage"));
    m_PreviewImage->installEventFilter(this);
    m_ScrollBox1->setWidget(m_PreviewImage);

    m_Header = edit(panel, "Header", { 7, 18, 114, 24 }, QStringLiteral("Szanowny"), true);
    m_btnpic = speedButton(panel, "btnpic", { 130, 18, 25, 25 },
        QStringLiteral("Załadowuje obraz jako Logo"), QStyle::SP_DirOpenIcon, true);
    m_btnpic->setEnabled(false);
    m_Headers = list(panel, "Headers", { 7, 63, 146, 90 }, QColor(206, 250, 253),
        { QStringLiteral("Tekst nagłówka"), QStringLiteral("Tekst stopki"),
            QStringLiteral("Format daty"), QStringLiteral("Format czasu"),
            QStringLiteral("Logo (obraz)") });

    m_Margin = edit(panel, "Margin", { 8, 164, 38, 24 }, QStringLiteral("0"), false);
    m_Margin->setToolTip(QStringLiteral("Aktualna wartosc wybranej niżej pozycji"));
    m_UpDown1
        = new kolvar::UpDown(*m_Margin, 0, 1000, QStringLiteral("wartość wybranej pozycji"), panel);
    m_UpDown1->setObjectName(QStringLiteral("UpDown1"));
    m_UpDown1->move(46, 164);
    m_ckborders = checkBox(panel, "ckborders", { 74, 174, 79, 14 }, QStringLiteral("Ramki"),
        QStringLiteral("Ramki widoczne / niewidoczne"));
    m_Margins = list(panel, "Margins", { 7, 205, 148, 140 }, QColor(255, 255, 200),
        { QStringLiteral("Margines Górny"), QStringLiteral("Margines Nagłówka"),
            QStringLiteral("Margines Lewy"), QStringLiteral("Margines Prawy"),
            QStringLiteral("Margines Dolny"), QStringLiteral("Znaki w ramkach"),
            QStringLiteral("Rozmiar Nagłówka"), QStringLiteral("Rozmiar Stopki") });
    m_cklive = checkBox(panel, "cklive", { 7, 362, 138, 14 }, QStringLiteral("Aktualizuj stronę"),
        QStringLiteral("zawsze aktualny wygląd strony"));

    m_EditPage = edit(panel, "EditPage", { 8, 388, 38, 24 }, QStringLiteral("1"), false);
    m_EditPage->setToolTip(QStringLiteral("Aktualnie widoczna strona bazy"));
    m_UpDown2 = new kolvar::UpDown(*m_EditPage, 1, 1000, QStringLiteral("numer strony"), panel);
    m_UpDown2->setObjectName(QStringLiteral("UpDown2"));
    m_UpDown2->move(46, 388);
    m_lblpages = new QLabel(QStringLiteral("strona"), panel);
    m_lblpages->setObjectName(QStringLiteral("lblpages"));
    m_lblpages->setGeometry(70, 392, 90, 16);

    m_btnShow = speedButton(panel, "btnShow", { 12, 429, 25, 25 },
        QStringLiteral("Pokaż w naturalnym rozmiarze"), QStyle::SP_FileDialogContentsView, false);
    m_btnfull = speedButton(panel, "btnfull", { 45, 429, 25, 25 },
        QStringLiteral("Podgląd całej strony"), QStyle::SP_TitleBarMaxButton, true);
    m_btnsetup = speedButton(panel, "btnsetup", { 79, 429, 25, 25 },
        QStringLiteral("Ustawienie drukarki"), QStyle::SP_FileDialogDetailedView, true);
    m_btnprint = speedButton(panel, "btnprint", { 114, 429, 25, 25 }, QStringLiteral("Druk"),
        QStyle::SP_DialogSaveButton, true);
    m_btnClose = new QToolButton(panel);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    m_btnClose->setText(QStringLiteral("&Zamknij"));
    m_btnClose->setToolTip(QStringLiteral("Zamyka to okno"));
    m_btnClose->setGeometry(32, 480, 97, 28);
    // Why a page lacks its logo; the page is drawn all the same.
    m_lblnote = new QLabel(panel);
    m_lblnote->setObjectName(QStringLiteral("lblnote"));
    m_lblnote->setGeometry(4, 510, 156, 48);
    m_lblnote->setWordWrap(true);
    QFont noteFont = font;
    noteFont.setPixelSize(10);
    noteFont.setBold(false);
    m_lblnote->setFont(noteFont);
    setColour(m_lblnote, QPalette::WindowText, Qt::darkRed);
    m_lblnote->setAutoFillBackground(false);

    // A screen reader names each input by its hint where it has one, else by what it holds.
    m_Header->setAccessibleName(QStringLiteral("Tekst wybranej pozycji"));
    m_Headers->setAccessibleName(QStringLiteral("Teksty strony"));
    m_Margin->setAccessibleName(m_Margin->toolTip());
    m_Margins->setAccessibleName(QStringLiteral("Marginesy i rozmiary"));
    m_EditPage->setAccessibleName(m_EditPage->toolTip());
    m_PreviewImage->setAccessibleName(QStringLiteral("Podgląd strony"));
    // The page's scroll area is where the window's focus starts.
    m_ScrollBox1->setAccessibleName(QStringLiteral("Podgląd strony"));

    connect(m_Headers, &QListWidget::currentRowChanged, this, &TPokazuj::HeadersClick);
    connect(m_Header, &QLineEdit::textChanged, this, &TPokazuj::HeaderChange);
    connect(m_Margins, &QListWidget::currentRowChanged, this, &TPokazuj::MarginsClick);
    connect(m_Margin, &QLineEdit::textChanged, this, &TPokazuj::SpinMarginChange);
    connect(m_ckborders, &QCheckBox::toggled, this, &TPokazuj::ckbordersClick);
    connect(m_EditPage, &QLineEdit::textChanged, this, &TPokazuj::SpinPageChange);
    connect(m_cklive, &QCheckBox::toggled, this, &TPokazuj::ckliveClick);
    connect(m_btnShow, &QToolButton::clicked, this, &TPokazuj::btnshowClick);
    connect(m_btnfull, &QToolButton::clicked, this, &TPokazuj::btnfullClick);
    connect(m_btnpic, &QToolButton::clicked, this, &TPokazuj::btnpicClick);
    connect(m_btnsetup, &QToolButton::clicked, this, &TPokazuj::btnsetupClick);
    connect(m_btnprint, &QToolButton::clicked, this, &TPokazuj::btnprintClick);
    connect(m_btnClose, &QToolButton::clicked, this, &TPokazuj::btnCloseClick);
}

TPokazuj::~TPokazuj() = default;

TPrintOptions& TPokazuj::options() const
{
    return m_Grid->PrintOptions();
}

void TPokazuj::ShowPrintImage()
{
    showPicture(m_PrintImage);
}

void TPokazuj::ShowModal()
{
    exec();
}

void TPokazuj::showPicture(const QImage& picture)
{
    m_shown = picture;
    m_PreviewImage->setPixmap(QPixmap::fromImage(picture));
    m_PreviewImage->resize(picture.size());
    m_lblnote->setText(m_Grid ? m_Grid->RenderedPage().notes.join(u'\n') : QString());
}

void TPokazuj::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The panel keeps its width down the left edge; the page takes all the rest of the window.
    m_Panel1->setGeometry(0, 0, PanelWidth, height());
    m_ScrollBox1->setGeometry(PanelWidth, 0, std::max(0, width() - PanelWidth), height());
}

void TPokazuj::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool TPokazuj::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_PreviewImage && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        PreviewImageClick();
    return QDialog::eventFilter(watched, event);
}

void TPokazuj::FormShow()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    move(screen ? screen->availableGeometry().topLeft() : QPoint(0, 0));
    if (!m_Grid)
        return;
    m_Header->setText(options().PageTitle);
    {
        const QSignalBlocker quiet(m_Headers);
        m_Headers->setCurrentRow(0);
    }
    m_Margin->setText(QString::number(options().MarginTop));
    {
        const QSignalBlocker quiet(m_Margins);
        m_Margins->setCurrentRow(0);
    }
    countPages();
    options().PreviewPage = 1;
    m_EditPage->setText(QStringLiteral("1"));
    m_ckborders->setChecked(options().BorderStyle == kolvar::grid::bsSingle);
}

void TPokazuj::countPages()
{
    m_lblpages->setText(QStringLiteral("strona z %1").arg(m_Grid->CountPrintPages()));
}

void TPokazuj::liveRefresh()
{
    if (m_cklive->isChecked())
        btnshowClick();
}

std::optional<int> TPokazuj::typedNumber(QLineEdit* edit)
{
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (ok)
        return value;
    kolvar::userDialogs().message(this,
        QStringLiteral("\"%1\" nie jest poprawną liczbą całkowitą.").arg(edit->text()),
        kolvar::MessageIcon::Error);
    return std::nullopt;
}

void TPokazuj::HeadersClick()
{
    const int entry = m_Headers->currentRow();
    if (entry < 0 || !m_Grid)
        return;
    m_btnpic->setEnabled(false);
    if (entry == LogoEntry)
        m_btnpic->setEnabled(true);
    m_Header->setText(options().*HeaderFields[entry]);
}

void TPokazuj::HeaderChange()
{
    const int entry = m_Headers->currentRow();
    if (entry < 0 || !m_Grid)
        return;
    options().*HeaderFields[entry] = m_Header->text();
    liveRefresh();
}

void TPokazuj::MarginsClick()
{
    const int entry = m_Margins->currentRow();
    if (entry < 0 || !m_Grid)
        return;
    m_Margin->setText(QString::number(options().*MarginFields[entry]));
}

void TPokazuj::SpinMarginChange()
{
    const std::optional<int> value = typedNumber(m_Margin);
    const int entry = m_Margins->currentRow();
    if (!value || entry < 0 || !m_Grid)
        return;
    options().*MarginFields[entry] = *value;
    liveRefresh();
}

void TPokazuj::ckbordersClick()
{
    if (!m_Grid)
        return;
    options().BorderStyle
        = m_ckborders->isChecked() ? kolvar::grid::bsSingle : kolvar::grid::bsNone;
    liveRefresh();
}

void TPokazuj::SpinPageChange()
{
    const std::optional<int> value = typedNumber(m_EditPage);
    if (!value || !m_Grid)
        return;
    options().PreviewPage = *value;
    liveRefresh();
}

void TPokazuj::ckliveClick()
{
    if (m_cklive->isChecked())
        btnshowClick();
}

void TPokazuj::btnshowClick()
{
    if (!m_Grid)
        return;
    m_Grid->RenderPreviewPage(m_PrintImage);
    showPicture(m_PrintImage);
}

void TPokazuj::btnfullClick()
{
    FitPageToWidth();
}

void TPokazuj::FitPageToWidth()
{
    showScaledTo(m_ScrollBox1->viewport()->width());
}

void TPokazuj::ShowScaled(double factor)
{
    showScaledTo(roundEven(m_PrintImage.width() * factor));
}

void TPokazuj::showScaledTo(int width)
{
    const int w = m_PrintImage.width();
    const int h = m_PrintImage.height();
    if (w <= 0 || h <= 0 || width <= 0)
        return;
    QImage scaled(width, roundEven(width * (double(h) / w)), QImage::Format_RGB888);
    kolvar::grid::TZarur::ResampleBitmap(m_PrintImage, scaled);
    showPicture(scaled);
}

void TPokazuj::PreviewImageClick()
{
    const int s = m_shown.width();
    const int f = m_PrintImage.width();
    if (f <= 0)
        return;
    if (s > roundEven(f * 0.8))
        showPicture(m_PrintImage);
    else
        ShowScaled((double(s) / f) / 0.8);
}

void TPokazuj::btnpicClick()
{
    kolvar::FileDialogRequest request;
    request.caption = QStringLiteral("Otwarcie obrazu dla Logo");
    // Bitmaps first; PNG and JPEG pictures are read as well.
    request.filter = QStringLiteral(
        "Pliki - Bitmapy (*.BMP)|*.bmp|Obrazy PNG i JPEG (*.png *.jpg *.jpeg)|*.png;*.jpg;*.jpeg");
    const std::optional<QString> chosen = kolvar::userDialogs().openFile(this, request);
    if (!chosen || m_Headers->currentRow() != LogoEntry || !m_Grid)
        return;
    m_Header->setText(*chosen);
    options().Logo = *chosen;
}

void TPokazuj::btnsetupClick()
{
    if (!m_Grid)
        return;
    if (!m_Grid->SetUpPrinter(this))
        return;
    countPages();
    liveRefresh();
}

void TPokazuj::btnprintClick()
{
    if (m_Grid)
        m_Grid->PrintPreviewPage();
}

void TPokazuj::btnCloseClick()
{
    close();
}

void installPrintPreview()
{
    kolvar::grid::setPreviewWindowFactory(
        [](QWidget* owner) { return std::make_unique<TPokazuj>(owner); });
}
