#include "CalendarWindow.h"

#include "Announcer.h"
#include "MonthGrid.h"
#include "MonthLayout.h"
#include "StepGlyph.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

using kolvar::calendar::MonthGrid;

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

CalendarWindow::CalendarWindow(QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
            | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("calendarWindow"));
    setWindowTitle(QStringLiteral("Kalendarz"));
    // A calendar closed last must not end the program; only the main window does.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(ClientSize);
    setFont(windowFont());
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, Qt::blue);
    setPalette(windowPalette);
    setAutoFillBackground(true);

    m_monthGrid = new MonthGrid(this);
    m_monthGrid->setObjectName(QStringLiteral("monthGrid"));
    m_monthGrid->setAccessibleName(QStringLiteral("Kalendarz"));
    m_monthGrid->setColor(Qt::yellow);
    m_monthGrid->setFontColor(Qt::black);
    m_monthGrid->setGridLineWidth(2);
    m_monthGrid->setUseCurrentDate(false);
    m_monthGrid->setStartOfWeek(0);
    m_monthGrid->setGeometry(CalendarGeometry);
    m_monthGrid->onChange = [this] { showDateInTitle(); };

    m_yearBackButton = makeButton("yearBackButton", QStringLiteral("Rok"), 24, false);
    m_monthBackButton = makeButton("monthBackButton", QStringLiteral("Miesiąc"), 160, false);
    m_monthForwardButton = makeButton("monthForwardButton", QStringLiteral("Miesiąc"), 321, true);
    m_yearForwardButton = makeButton("yearForwardButton", QStringLiteral("Rok"), 466, true);
    m_announcer = new kolvar::Announcer(this);
    m_monthGrid->installEventFilter(this);
    // Closed as a dialog is, wherever the focus is in it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    connect(m_yearBackButton, &QPushButton::clicked, this, &CalendarWindow::stepYearBack);
    connect(m_monthBackButton, &QPushButton::clicked, this, &CalendarWindow::stepMonthBack);
    connect(m_monthForwardButton, &QPushButton::clicked, this, &CalendarWindow::stepMonthForward);
    connect(m_yearForwardButton, &QPushButton::clicked, this, &CalendarWindow::stepYearForward);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(ClientSize.width() / 2, ClientSize.height() / 2));
    }

    initialize();
}

CalendarWindow::~CalendarWindow() = default;

QPushButton* CalendarWindow::makeButton(
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

void CalendarWindow::initialize()
{
    showDateInTitle();
}

void CalendarWindow::showDateInTitle()
{
    setWindowTitle(kolvar::calendar::dateCaption(m_monthGrid->shownDate(), QLocale()));
}

void CalendarWindow::stepYearBack()
{
    m_monthGrid->yearBack();
    sayShownDate();
}

void CalendarWindow::stepMonthBack()
{
    m_monthGrid->monthBack();
    sayShownDate();
}

void CalendarWindow::stepMonthForward()
{
    m_monthGrid->monthForward();
    sayShownDate();
}

void CalendarWindow::stepYearForward()
{
    m_monthGrid->yearForward();
    sayShownDate();
}

bool CalendarWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_monthGrid || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_PageUp:
        stepMonthBack();
        return true;
    case Qt::Key_PageDown:
        stepMonthForward();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // Another week: the day reached is said before the week a reader reads with it.
        m_monthGrid->sayFirstWhenReached([this](const QString& day) { m_announcer->say(day); });
        QMetaObject::invokeMethod(
            this, [this] { m_monthGrid->sayFirstWhenReached({}); }, Qt::QueuedConnection);
        return false;
    default:
        return false;
    }
}

void CalendarWindow::sayShownDate()
{
    m_announcer->say(
        QLocale().toString(m_monthGrid->shownDate(), QStringLiteral("dddd, d MMMM yyyy")));
}
