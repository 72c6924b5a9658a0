#include "CalBrows.h"

#include "Announcer.h"
#include "Calendar.h"
#include "MonthLayout.h"
#include "StepGlyph.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLocale>
#include <QPushButton>
#include <QScreen>

using kolvar::calendar::TCalendar;

namespace {

constexpr QSize ClientSize { 610, 266 };
constexpr QRect CalendarGeometry { 0, 0, 610, 206 };
constexpr QSize ButtonSize { 120, 32 };
constexpr int ButtonTop = 218;

QFont windowFont()
{
    // The font the window was designed with; where it is missing, any plain sans face of the
    // same size keeps the day numbers fitting their cells.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(16);
    font.setBold(true);
    return font;
}

} // namespace

TCalendarBrowser::TCalendarBrowser(QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
            | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("CalendarBrowser"));
    setWindowTitle(QStringLiteral("Kalendarz"));
    // A calendar closed last must not end the program; only the main window does.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(ClientSize);
    setFont(windowFont());
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, Qt::blue);
    setPalette(windowPalette);
    setAutoFillBackground(true);

    m_Calendar1 = new TCalendar(this);
    m_Calendar1->setObjectName(QStringLiteral("Calendar1"));
    m_Calendar1->setAccessibleName(QStringLiteral("Kalendarz"));
    m_Calendar1->setColor(Qt::yellow);
    m_Calendar1->setFontColor(Qt::black);
    m_Calendar1->setGridLineWidth(2);
    m_Calendar1->SetUseCurrentDate(false);
    m_Calendar1->SetStartOfWeek(0);
    m_Calendar1->setGeometry(CalendarGeometry);
    m_Calendar1->OnChange = [this] { Calendar1Change(); };

    m_BitBtn1 = makeButton("BitBtn1", QStringLiteral("Rok"), 24, false);
    m_BitBtn2 = makeButton("BitBtn2", QStringLiteral("Miesiąc"), 160, false);
    m_BitBtn3 = makeButton("BitBtn3", QStringLiteral("Miesiąc"), 321, true);
    m_BitBtn4 = makeButton("BitBtn4", QStringLiteral("Rok"), 466, true);
    m_announcer = new kolvar::Announcer(this);

    connect(m_BitBtn1, &QPushButton::clicked, this, &TCalendarBrowser::BitBtn1Click);
    connect(m_BitBtn2, &QPushButton::clicked, this, &TCalendarBrowser::BitBtn2Click);
    connect(m_BitBtn3, &QPushButton::clicked, this, &TCalendarBrowser::BitBtn3Click);
    connect(m_BitBtn4, &QPushButton::clicked, this, &TCalendarBrowser::BitBtn4Click);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(ClientSize.width() / 2, ClientSize.height() / 2));
    }

    FormCreate();
}

TCalendarBrowser::~TCalendarBrowser() = default;

QPushButton* TCalendarBrowser::makeButton(
    const char* name, const QString& caption, int x, bool pointsRight)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setIcon(QIcon(kolvar::calendar::stepGlyph(pointsRight)));
    button->setIconSize({ kolvar::calendar::StepGlyphSize, kolvar::calendar::StepGlyphSize });
    // A push button puts its icon before the text in reading order; reversing the order is what
    // puts the right-pointing arrow after the caption.
    if (pointsRight)
        button->setLayoutDirection(Qt::RightToLeft);
    // Two buttons share each caption; a reader cannot see which way the arrow points.
    button->setAccessibleName(
        caption + (pointsRight ? QStringLiteral(" naprzód") : QStringLiteral(" wstecz")));
    button->setGeometry({ QPoint(x, ButtonTop), ButtonSize });
    button->setAutoDefault(false);
    return button;
}

void TCalendarBrowser::FormCreate()
{
    Calendar1Change();
}

void TCalendarBrowser::Calendar1Change()
{
    setWindowTitle(kolvar::calendar::dateCaption(m_Calendar1->ShownDate(), QLocale()));
}

void TCalendarBrowser::BitBtn1Click()
{
    m_Calendar1->YearBack();
    sayShownDate();
}

void TCalendarBrowser::BitBtn2Click()
{
    m_Calendar1->MonthBack();
    sayShownDate();
}

void TCalendarBrowser::BitBtn3Click()
{
    m_Calendar1->MonthForward();
    sayShownDate();
}

void TCalendarBrowser::BitBtn4Click()
{
    m_Calendar1->YearForward();
    sayShownDate();
}

void TCalendarBrowser::sayShownDate()
{
    m_announcer->say(
        QLocale().toString(m_Calendar1->ShownDate(), QStringLiteral("dddd, d MMMM yyyy")));
}
