#include "asfind.h"

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

Tfinddlg::Tfinddlg(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("finddlg"));
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

    m_Bevel1 = named(new QFrame(this), "Bevel1", QRect(12, 8, 349, 236));
    m_Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);

    m_Label1 = namedAt(new QLabel(QStringLiteral("Szukana fraza:"), this), "Label1", 65, 28);
    m_Search = new QLineEdit(this);
    m_Search->setObjectName(QStringLiteral("Search"));
    m_Search->setGeometry(176, 24, 137, m_Search->sizeHint().height());
    m_Label1->setBuddy(m_Search);

    m_chkLitery = namedAt(
        new QCheckBox(QStringLiteral("Uwzględnij wielkość liter"), this), "chkLitery", 56, 60);
    m_chkSlowa = namedAt(
        new QCheckBox(QStringLiteral("Uwzględnij tylko całe wyrazy"), this), "chkSlowa", 56, 86);

    m_RadioGroup1 = named(new QGroupBox(this), "RadioGroup1", QRect(48, 106, 289, 84));
    m_items = new QButtonGroup(this);
    const QStringList items { QStringLiteral("Szukaj kolejno rekordami"),
        QStringLiteral("Szukaj kolejno kolumnami") };
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], m_RadioGroup1);
        item->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        item->setGeometry(8, 12 + i * 32, 273, 28);
        m_items->addButton(item, i);
    }
    setItemIndex(0);

    m_Button1
        = named(new QPushButton(QStringLiteral("OK"), this), "Button1", QRect(72, 208, 110, 28));
    m_Button1->setDefault(true);
    connect(m_Button1, &QPushButton::clicked, this, &QDialog::accept);
    m_Button2 = named(
        new QPushButton(QStringLiteral("Anuluj"), this), "Button2", QRect(208, 208, 110, 28));
    connect(m_Button2, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_Search, m_chkLitery);
    setTabOrder(m_chkLitery, m_chkSlowa);
    setTabOrder(m_chkSlowa, m_items->button(0));
    setTabOrder(m_items->button(0), m_Button1);
    setTabOrder(m_Button1, m_Button2);
    m_Search->setFocus();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

int Tfinddlg::ItemIndex() const
{
    return m_items->checkedId();
}

void Tfinddlg::setItemIndex(int index)
{
    if (QAbstractButton* item = m_items->button(index))
        item->setChecked(true);
}
