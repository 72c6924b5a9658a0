#include "PrinterSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kolvar {

namespace {

// Offered when the print system names no paper: no printer, or a queue without a description.
QList<QPageSize> commonPapers()
{
    return { QPageSize(QPageSize::A4), QPageSize(QPageSize::A5), QPageSize(QPageSize::A3),
        QPageSize(QPageSize::B5), QPageSize(QPageSize::Letter), QPageSize(QPageSize::Legal) };
}

} // namespace

PrinterSetupDialog::PrinterSetupDialog(const PrinterSetup& setup, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PrinterSetupDialog"));
    setWindowTitle(QStringLiteral("Ustawienie drukarki"));

    m_printer = new QComboBox(this);
    m_printer->setObjectName(QStringLiteral("printer"));
    const QString defaultName = QPrinterInfo::defaultPrinterName();
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        m_printer->addItem(name == defaultName ? name + QStringLiteral(" (domyślna)") : name, name);
    if (m_printer->count() == 0) {
        m_printer->addItem(QStringLiteral("(brak drukarki w systemie)"), QString());
        m_printer->setEnabled(false);
    }
    const QString current = setup.printer.isEmpty() ? defaultName : setup.printer;
    m_printer->setCurrentIndex(std::max(0, m_printer->findData(current)));

    m_paper = new QComboBox(this);
    m_paper->setObjectName(QStringLiteral("paper"));
    m_portrait = new QRadioButton(QStringLiteral("&Pionowa"), this);
    m_portrait->setObjectName(QStringLiteral("portrait"));
    m_landscape = new QRadioButton(QStringLiteral("Po&zioma"), this);
    m_landscape->setObjectName(QStringLiteral("landscape"));
    (setup.orientation == QPageLayout::Landscape ? m_landscape : m_portrait)->setChecked(true);
    fillPapers(setup.paper);
    connect(
        m_printer, &QComboBox::currentIndexChanged, this, [this] { fillPapers(chosen().paper); });

    auto* printerBox = new QGroupBox(QStringLiteral("Drukarka"), this);
    auto* printerForm = new QFormLayout(printerBox);
    printerForm->addRow(QStringLiteral("&Nazwa:"), m_printer);
    auto* paperBox = new QGroupBox(QStringLiteral("Papier"), this);
    auto* paperForm = new QFormLayout(paperBox);
    paperForm->addRow(QStringLiteral("&Rozmiar:"), m_paper);
    auto* orientationBox = new QGroupBox(QStringLiteral("Orientacja"), this);
    auto* orientationRow = new QHBoxLayout(orientationBox);
    orientationRow->addWidget(m_portrait);
    orientationRow->addWidget(m_landscape);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    if (!m_printer->isEnabled()) {
        // The disabled printer box is passed over by Tab; a caption of the window is read out
        // with it when it opens.
        auto* none = new QLabel(
            QStringLiteral("W systemie nie ma drukarki: wydruk nie jest możliwy."), this);
        none->setObjectName(QStringLiteral("noPrinterLabel"));
        none->setWordWrap(true);
        layout->addWidget(none);
    }
    layout->addWidget(printerBox);
    auto* paperRow = new QHBoxLayout;
    paperRow->addWidget(paperBox);
    paperRow->addWidget(orientationBox);
    layout->addLayout(paperRow);
    layout->addWidget(buttons);
}

void PrinterSetupDialog::fillPapers(const QPageSize& keep)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(m_printer->currentData().toString());
    m_papers = info.isNull() ? QList<QPageSize>() : info.supportedPageSizes();
    if (m_papers.isEmpty())
        m_papers = commonPapers();
    QPageSize wanted = keep;
    if (!wanted.isValid())
        wanted = info.isNull() ? QPageSize(QPageSize::A4) : info.defaultPageSize();
    m_paper->clear();
    int index = -1;
    for (qsizetype i = 0; i < m_papers.size(); ++i) {
        m_paper->addItem(m_papers.at(i).name());
        if (index < 0 && m_papers.at(i).isEquivalentTo(wanted))
            index = int(i);
    }
    // A paper this printer does not take gives way to its own, or to the first it names.
    if (index < 0 && !info.isNull()) {
        const QPageSize own = info.defaultPageSize();
        for (qsizetype i = 0; i < m_papers.size() && index < 0; ++i)
            if (m_papers.at(i).isEquivalentTo(own))
                index = int(i);
    }
    m_paper->setCurrentIndex(std::max(0, index));
}

PrinterSetup PrinterSetupDialog::chosen() const
{
    PrinterSetup setup;
    setup.printer = m_printer->currentData().toString();
    const int paper = m_paper->currentIndex();
    if (paper >= 0 && paper < m_papers.size())
        setup.paper = m_papers.at(paper);
    setup.orientation = m_landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
    return setup;
}

} // namespace kolvar
