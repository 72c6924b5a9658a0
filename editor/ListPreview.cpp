#include "ListPreview.h"

#include "Announcer.h"

#include "ColorValue.h"
#include "SortableGrid.h"
#include "UpDown.h"
#include "UserDialogs.h"

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

using kolvar::grid::PrintOptions;

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
int PrintOptions::*const MarginFields[]
    = { &PrintOptions::marginTop, &PrintOptions::pageTitleMargin, &PrintOptions::marginLeft,
          &PrintOptions::marginRight, &PrintOptions::marginBottom, &PrintOptions::leftPadding,
          &PrintOptions::headerSize, &PrintOptions::footerSize };

// The Headers entries in list order.
QString PrintOptions::*const HeaderFields[] = { &PrintOptions::pageTitle, &PrintOptions::pageFooter,
    &PrintOptions::dateFormat, &PrintOptions::timeFormat, &PrintOptions::logo };

constexpr int LogoEntry = 4;
constexpr int PanelWidth = 162;

} // namespace

ListPreview::ListPreview(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("listPreview"));
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
    m_controlPanel = panel;
    panel->setObjectName(QStringLiteral("controlPanel"));
    panel->setGeometry(0, 0, PanelWidth, height());
    setColour(panel, QPalette::Window, shadow);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setObjectName(QStringLiteral("scrollArea"));
    m_scrollArea->setGeometry(PanelWidth, 0, width() - PanelWidth, height());
    setColour(m_scrollArea, QPalette::Window, shadow);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_pageView = new QLabel;
    m_pageView->setObjectName(QStringLiteral("pageView"));
    m_pageView->installEventFilter(this);
    m_scrollArea->setWidget(m_pageView);

    m_headerEdit = edit(panel, "headerEdit", { 7, 18, 114, 24 }, QStringLiteral("Szanowny"), true);
    m_logoButton = speedButton(panel, "logoButton", { 130, 18, 25, 25 },
        QStringLiteral("Załadowuje obraz jako Logo"), QStyle::SP_DirOpenIcon, true);
    m_logoButton->setEnabled(false);
    m_headerList = list(panel, "headerList", { 7, 63, 146, 90 }, QColor(206, 250, 253),
        { QStringLiteral("Tekst nagłówka"), QStringLiteral("Tekst stopki"),
            QStringLiteral("Format daty"), QStringLiteral("Format czasu"),
            QStringLiteral("Logo (obraz)") });

    m_marginEdit = edit(panel, "marginEdit", { 8, 164, 38, 24 }, QStringLiteral("0"), false);
    m_marginEdit->setToolTip(QStringLiteral("Aktualna wartosc wybranej niżej pozycji"));
    m_marginUpDown = new kolvar::UpDown(
        *m_marginEdit, 0, 1000, QStringLiteral("wartość wybranej pozycji"), panel);
    m_marginUpDown->setObjectName(QStringLiteral("marginUpDown"));
    m_marginUpDown->move(46, 164);
    m_bordersCheck = checkBox(panel, "bordersCheck", { 74, 174, 79, 14 }, QStringLiteral("Ramki"),
        QStringLiteral("Ramki widoczne / niewidoczne"));
    m_marginList = list(panel, "marginList", { 7, 205, 148, 140 }, QColor(255, 255, 200),
        { QStringLiteral("Margines Górny"), QStringLiteral("Margines Nagłówka"),
            QStringLiteral("Margines Lewy"), QStringLiteral("Margines Prawy"),
            QStringLiteral("Margines Dolny"), QStringLiteral("Znaki w ramkach"),
            QStringLiteral("Rozmiar Nagłówka"), QStringLiteral("Rozmiar Stopki") });
    m_liveCheck = checkBox(panel, "liveCheck", { 7, 362, 138, 14 },
        QStringLiteral("Aktualizuj stronę"), QStringLiteral("zawsze aktualny wygląd strony"));

    m_pageEdit = edit(panel, "pageEdit", { 8, 388, 38, 24 }, QStringLiteral("1"), false);
    m_pageEdit->setToolTip(QStringLiteral("Aktualnie widoczna strona bazy"));
    m_pageUpDown = new kolvar::UpDown(*m_pageEdit, 1, 1000, QStringLiteral("numer strony"), panel);
    m_pageUpDown->setObjectName(QStringLiteral("pageUpDown"));
    m_pageUpDown->move(46, 388);
    m_pageCountLabel = new QLabel(QStringLiteral("strona"), panel);
    m_pageCountLabel->setObjectName(QStringLiteral("pageCountLabel"));
    m_pageCountLabel->setGeometry(70, 392, 90, 16);

    m_showButton = speedButton(panel, "showButton", { 12, 429, 25, 25 },
        QStringLiteral("Pokaż w naturalnym rozmiarze"), QStyle::SP_FileDialogContentsView, false);
    m_fullWidthButton = speedButton(panel, "fullWidthButton", { 45, 429, 25, 25 },
        QStringLiteral("Podgląd całej strony"), QStyle::SP_TitleBarMaxButton, true);
    m_printerButton = speedButton(panel, "printerButton", { 79, 429, 25, 25 },
        QStringLiteral("Ustawienie drukarki"), QStyle::SP_FileDialogDetailedView, true);
    m_printButton = speedButton(panel, "printButton", { 114, 429, 25, 25 }, QStringLiteral("Druk"),
        QStyle::SP_DialogSaveButton, true);
    m_closeButton = new QToolButton(panel);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setText(QStringLiteral("&Zamknij"));
    m_closeButton->setToolTip(QStringLiteral("Zamyka to okno"));
    m_closeButton->setGeometry(32, 480, 97, 28);
    // Why a page lacks its logo; the page is drawn all the same.
    m_noteLabel = new QLabel(panel);
    m_noteLabel->setObjectName(QStringLiteral("noteLabel"));
    m_noteLabel->setGeometry(4, 510, 156, 48);
    m_noteLabel->setWordWrap(true);
    QFont noteFont = font;
    noteFont.setPixelSize(10);
    noteFont.setBold(false);
    m_noteLabel->setFont(noteFont);
    setColour(m_noteLabel, QPalette::WindowText, Qt::darkRed);
    m_noteLabel->setAutoFillBackground(false);

    // A screen reader names each input by its hint where it has one, else by what it holds.
    m_headerEdit->setAccessibleName(QStringLiteral("Tekst wybranej pozycji"));
    m_headerList->setAccessibleName(QStringLiteral("Teksty strony"));
    m_marginEdit->setAccessibleName(m_marginEdit->toolTip());
    m_marginList->setAccessibleName(QStringLiteral("Marginesy i rozmiary"));
    m_pageEdit->setAccessibleName(m_pageEdit->toolTip());
    m_pageView->setAccessibleName(QStringLiteral("Podgląd strony"));
    // The page's scroll area is where the window's focus starts.
    m_scrollArea->setAccessibleName(QStringLiteral("Podgląd strony"));
    m_announcer = new kolvar::Announcer(panel);
    m_announcer->setObjectName(QStringLiteral("Announcer"));

    connect(m_headerList, &QListWidget::currentRowChanged, this, &ListPreview::headerChosen);
    connect(m_headerEdit, &QLineEdit::textChanged, this, &ListPreview::headerEdited);
    connect(m_marginList, &QListWidget::currentRowChanged, this, &ListPreview::marginChosen);
    connect(m_marginEdit, &QLineEdit::textChanged, this, &ListPreview::marginEdited);
    connect(m_bordersCheck, &QCheckBox::toggled, this, &ListPreview::bordersToggled);
    connect(m_pageEdit, &QLineEdit::textChanged, this, &ListPreview::pageEdited);
    connect(m_liveCheck, &QCheckBox::toggled, this, &ListPreview::liveToggled);
    connect(m_showButton, &QToolButton::clicked, this, &ListPreview::showPage);
    connect(m_fullWidthButton, &QToolButton::clicked, this, &ListPreview::showFullWidth);
    connect(m_logoButton, &QToolButton::clicked, this, &ListPreview::chooseLogo);
    connect(m_printerButton, &QToolButton::clicked, this, &ListPreview::choosePrinter);
    connect(m_printButton, &QToolButton::clicked, this, &ListPreview::printPages);
    connect(m_closeButton, &QToolButton::clicked, this, &ListPreview::closeWindow);
}

ListPreview::~ListPreview() = default;

PrintOptions& ListPreview::options() const
{
    return m_grid->printOptions();
}

void ListPreview::showPrintImage()
{
    showPicture(m_printImage);
}

void ListPreview::showModal()
{
    exec();
}

void ListPreview::showPicture(const QImage& picture)
{
    m_shown = picture;
    m_pageView->setPixmap(QPixmap::fromImage(picture));
    m_pageView->resize(picture.size());
    m_noteLabel->setText(m_grid ? m_grid->renderedPage().notes.join(u'\n') : QString());
}

void ListPreview::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The panel keeps its width down the left edge; the page takes all the rest of the window.
    m_controlPanel->setGeometry(0, 0, PanelWidth, height());
    m_scrollArea->setGeometry(PanelWidth, 0, std::max(0, width() - PanelWidth), height());
}

void ListPreview::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        loadOptions();
}

bool ListPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pageView && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        zoomPage();
    return QDialog::eventFilter(watched, event);
}

void ListPreview::loadOptions()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    move(screen ? screen->availableGeometry().topLeft() : QPoint(0, 0));
    if (!m_grid)
        return;
    m_headerEdit->setText(options().pageTitle);
    {
        const QSignalBlocker quiet(m_headerList);
        m_headerList->setCurrentRow(0);
    }
    m_marginEdit->setText(QString::number(options().marginTop));
    {
        const QSignalBlocker quiet(m_marginList);
        m_marginList->setCurrentRow(0);
    }
    countPages();
    options().previewPage = 1;
    m_pageEdit->setText(QStringLiteral("1"));
    sayPage();
    m_bordersCheck->setChecked(options().borderStyle == kolvar::grid::bsSingle);
}

void ListPreview::countPages()
{
    m_pageCount = m_grid->countPrintPages();
    m_pageCountLabel->setText(QStringLiteral("strona z %1").arg(m_pageCount));
}

QString ListPreview::pageAnnouncement() const
{
    return QStringLiteral("Strona %1 z %2").arg(m_pageEdit->text().trimmed()).arg(m_pageCount);
}

void ListPreview::sayPage()
{
    // The caption beside the page number reads without it, "strona z 3"; a reader that reads
    // the window's captions hears the whole place.
    m_pageCountLabel->setAccessibleName(pageAnnouncement());
    if (!isActiveWindow()) {
        m_pageToSay = true;
        return;
    }
    m_pageToSay = false;
    m_announcer->say(pageAnnouncement());
}

bool ListPreview::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && m_pageToSay)
        QMetaObject::invokeMethod(this, &ListPreview::sayPage, Qt::QueuedConnection);
    return handled;
}

void ListPreview::liveRefresh()
{
    if (m_liveCheck->isChecked())
        showPage();
}

std::optional<int> ListPreview::typedNumber(QLineEdit* edit)
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

void ListPreview::headerChosen()
{
    const int entry = m_headerList->currentRow();
    if (entry < 0 || !m_grid)
        return;
    m_logoButton->setEnabled(false);
    if (entry == LogoEntry)
        m_logoButton->setEnabled(true);
    m_headerEdit->setText(options().*HeaderFields[entry]);
}

void ListPreview::headerEdited()
{
    const int entry = m_headerList->currentRow();
    if (entry < 0 || !m_grid)
        return;
    options().*HeaderFields[entry] = m_headerEdit->text();
    liveRefresh();
}

void ListPreview::marginChosen()
{
    const int entry = m_marginList->currentRow();
    if (entry < 0 || !m_grid)
        return;
    m_marginEdit->setText(QString::number(options().*MarginFields[entry]));
}

void ListPreview::marginEdited()
{
    const std::optional<int> value = typedNumber(m_marginEdit);
    const int entry = m_marginList->currentRow();
    if (!value || entry < 0 || !m_grid)
        return;
    options().*MarginFields[entry] = *value;
    liveRefresh();
}

void ListPreview::bordersToggled()
{
    if (!m_grid)
        return;
    options().borderStyle
        = m_bordersCheck->isChecked() ? kolvar::grid::bsSingle : kolvar::grid::bsNone;
    liveRefresh();
}

void ListPreview::pageEdited()
{
    const std::optional<int> value = typedNumber(m_pageEdit);
    if (!value || !m_grid)
        return;
    options().previewPage = *value;
    liveRefresh();
    sayPage();
}

void ListPreview::liveToggled()
{
    if (m_liveCheck->isChecked())
        showPage();
}

void ListPreview::showPage()
{
    if (!m_grid)
        return;
    m_grid->renderPreviewPage(m_printImage);
    showPicture(m_printImage);
}

void ListPreview::showFullWidth()
{
    fitPageToWidth();
}

void ListPreview::fitPageToWidth()
{
    showScaledTo(m_scrollArea->viewport()->width());
}

void ListPreview::showScaled(double factor)
{
    showScaledTo(roundEven(m_printImage.width() * factor));
}

void ListPreview::showScaledTo(int width)
{
    const int w = m_printImage.width();
    const int h = m_printImage.height();
    if (w <= 0 || h <= 0 || width <= 0)
        return;
    QImage scaled(width, roundEven(width * (double(h) / w)), QImage::Format_RGB888);
    kolvar::grid::SortableGrid::resampleBitmap(m_printImage, scaled);
    showPicture(scaled);
}

void ListPreview::zoomPage()
{
    const int s = m_shown.width();
    const int f = m_printImage.width();
    if (f <= 0)
        return;
    if (s > roundEven(f * 0.8))
        showPicture(m_printImage);
    else
        showScaled((double(s) / f) / 0.8);
}

void ListPreview::chooseLogo()
{
    kolvar::FileDialogRequest request;
    request.caption = QStringLiteral("Otwarcie obrazu dla Logo");
    // Bitmaps first; PNG and JPEG pictures are read as well.
    request.filter = QStringLiteral(
        "Pliki - Bitmapy (*.BMP)|*.bmp|Obrazy PNG i JPEG (*.png *.jpg *.jpeg)|*.png;*.jpg;*.jpeg");
    const std::optional<QString> chosen = kolvar::userDialogs().openFile(this, request);
    if (!chosen || m_headerList->currentRow() != LogoEntry || !m_grid)
        return;
    m_headerEdit->setText(*chosen);
    options().logo = *chosen;
}

void ListPreview::choosePrinter()
{
    if (!m_grid)
        return;
    if (!m_grid->setUpPrinter(this))
        return;
    countPages();
    liveRefresh();
}

void ListPreview::printPages()
{
    if (m_grid)
        m_grid->printPreviewPage();
}

void ListPreview::closeWindow()
{
    close();
}

void installPrintPreview()
{
    kolvar::grid::setPreviewWindowFactory(
        [](QWidget* owner) { return std::make_unique<ListPreview>(owner); });
}
