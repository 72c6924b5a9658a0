#include "FindDialog.h"

#include "ColorValue.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

constexpr kolvar::ColorValue Olive = 0x008080;

template <typename Widget> Widget* named(Widget* widget, const char* name, const QRect& bounds)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(bounds);
    return widget;
}

// Controls given only a position take the width their caption needs.
template <typename Widget> Widget* namedAt(Widget* widget, const char* name, int x, int y)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->adjustSize();
    widget->move(x, y);
    return widget;
}

} // namespace

FindDialog::FindDialog(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("findDialog"));
    setWindowTitle(QStringLiteral("Szukanie"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    font.setBold(true);
    setFont(font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kolvar::toQColor(Olive));
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedSize(376, 252);

    m_bevel = named(new QFrame(this), "bevel", QRect(12, 8, 349, 236));
    m_bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);

    m_phraseLabel
        = namedAt(new QLabel(QStringLiteral("Szukana fraza:"), this), "phraseLabel", 65, 28);
    m_phraseEdit = new QLineEdit(this);
    m_phraseEdit->setObjectName(QStringLiteral("phraseEdit"));
    m_phraseEdit->setGeometry(176, 24, 137, m_phraseEdit->sizeHint().height());
    m_phraseLabel->setBuddy(m_phraseEdit);

    m_matchCaseCheck = namedAt(
        new QCheckBox(QStringLiteral("Uwzględnij wielkość liter"), this), "matchCaseCheck", 56, 60);
    m_wholeWordsCheck = namedAt(new QCheckBox(QStringLiteral("Uwzględnij tylko całe wyrazy"), this),
        "wholeWordsCheck", 56, 86);

    m_orderGroup = named(new QGroupBox(this), "orderGroup", QRect(48, 106, 289, 84));
    m_items = new QButtonGroup(this);
    const QStringList items { QStringLiteral("Szukaj kolejno rekordami"),
        QStringLiteral("Szukaj kolejno kolumnami") };
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], m_orderGroup);
        item->setObjectName(QStringLiteral("orderItem%1").arg(i));
        item->setGeometry(8, 12 + i * 32, 273, 28);
        m_items->addButton(item, i);
    }
    setOrderIndex(0);

    m_okButton
        = named(new QPushButton(QStringLiteral("OK"), this), "okButton", QRect(72, 208, 110, 28));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    m_cancelButton = named(
        new QPushButton(QStringLiteral("Anuluj"), this), "cancelButton", QRect(208, 208, 110, 28));
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_phraseEdit, m_matchCaseCheck);
    setTabOrder(m_matchCaseCheck, m_wholeWordsCheck);
    setTabOrder(m_wholeWordsCheck, m_items->button(0));
    setTabOrder(m_items->button(0), m_okButton);
    setTabOrder(m_okButton, m_cancelButton);
    m_phraseEdit->setFocus();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

int FindDialog::orderIndex() const
{
    return m_items->checkedId();
}

void FindDialog::setOrderIndex(int index)
{
    if (QAbstractButton* item = m_items->button(index))
        item->setChecked(true);
}
