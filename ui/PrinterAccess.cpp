#include "PrinterAccess.h"

#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>

namespace kolvar {

namespace {

constexpr int FallbackDpi = 600;

QString stoppedMessage(const QString& name)
{
    return QStringLiteral("Drukarka \"%1\" jest zatrzymana. Nic nie zostało wydrukowane.")
        .arg(name);
}

QString rejectingMessage(const QString& name)
{
    return QStringLiteral("Drukarka \"%1\" nie przyjmuje zadań. Nic nie zostało wydrukowane.")
        .arg(name);
}

QString unknownQueueMessage(const QString& name)
{
    return QStringLiteral("Drukarka \"%1\" nie istnieje w systemie wydruku. Nic nie zostało "
                          "wydrukowane ani zapisane do pliku.")
        .arg(name);
}

// Qt cannot tell whether a CUPS queue accepts jobs; lpstat can. Where there is no lpstat, or it
// does not answer, the queue is taken at its word.
bool queueAcceptsJobs(const QString& name)
{
    const QString lpstat = QStandardPaths::findExecutable(QStringLiteral("lpstat"));
    if (lpstat.isEmpty())
        return true;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.start(lpstat, { QStringLiteral("-a"), name });
    if (!process.waitForFinished(3000) || process.exitCode() != 0) {
        process.kill();
        return true;
    }
    return !QString::fromLocal8Bit(process.readAllStandardOutput())
                .contains(QLatin1String(" not accepting"));
}

class SystemPrinters final : public PrinterAccess
{
public:
    std::unique_ptr<QPrinter> printerNamed(const QString& wanted, QString& error) override
    {
        const QString pdf = qEnvironmentVariable("KOLVAR_PRINT_PDF");
        if (!pdf.isEmpty()) {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setPageSize(QPageSize(QPageSize::A4));
            printer->setOutputFileName(pdf);
            return printer;
        }
        const QPrinterInfo info
            = wanted.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(wanted);
        if (info.isNull()) {
            // A queue chosen in the set-up and removed since is not swapped for another.
            error = wanted.isEmpty() ? noPrinterMessage() : unknownQueueMessage(wanted);
            return nullptr;
        }
        const QString name = info.printerName();
        if (info.state() == QPrinter::Error || info.state() == QPrinter::Aborted) {
            error = stoppedMessage(name);
            return nullptr;
        }
        if (!queueAcceptsJobs(name)) {
            error = rejectingMessage(name);
            return nullptr;
        }
        auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        // A queue Qt cannot reach makes it print into a PDF file nobody asked for.
        if (printer->outputFormat() != QPrinter::NativeFormat || printer->printerName() != name) {
            error = unknownQueueMessage(name);
            return nullptr;
        }
        return printer;
    }
};

PrinterAccess& systemPrinters()
{
    static SystemPrinters system;
    return system;
}

PrinterAccess*& currentAccess()
{
    static PrinterAccess* current = &systemPrinters();
    return current;
}

} // namespace

std::unique_ptr<QPrinter> PrinterAccess::defaultPrinter(QString& error)
{
    return printerNamed({}, error);
}

PrinterAccess& printerAccess()
{
    return *currentAccess();
}

PrinterAccess* setPrinterAccess(PrinterAccess* access)
{
    PrinterAccess* previous = currentAccess();
    currentAccess() = access ? access : &systemPrinters();
    return previous;
}

QString noPrinterMessage()
{
    return QStringLiteral("Drukarka nie jest podłączona!");
}

void applySetup(QPrinter& printer, const PrinterSetup& setup)
{
    if (setup.paper.isValid())
        printer.setPageSize(setup.paper);
    printer.setPageOrientation(setup.orientation);
}

PageGeometry pageGeometry(const QPrinter* printer, bool landscape, const QPageSize& paper)
{
    if (printer)
        return { QSize(printer->width(), printer->height()), printer->logicalDpiX(),
            printer->logicalDpiY() };
    QSize sheet = (paper.isValid() ? paper : QPageSize(QPageSize::A4)).sizePixels(FallbackDpi);
    if (landscape)
        sheet.transpose();
    return { sheet, FallbackDpi, FallbackDpi };
}

PrintJob::PrintJob(QPrinter& printer)
    : m_printer(printer)
{ }

PrintJob::~PrintJob()
{
    if (m_painter.isActive())
        m_painter.end();
}

QString PrintJob::begin()
{
    if (!m_painter.begin(&m_printer))
        return QStringLiteral("Nie można rozpocząć wydruku na drukarce \"%1\".")
            .arg(m_printer.printerName());
    return {};
}

bool PrintJob::newPage()
{
    return m_printer.newPage();
}

QString PrintJob::finish()
{
    const bool ended = m_painter.end();
    const QPrinter::PrinterState state = m_printer.printerState();
    if (!ended || state == QPrinter::Error || state == QPrinter::Aborted)
        return QStringLiteral("Wydruk na drukarce \"%1\" nie powiódł się.")
            .arg(m_printer.outputFormat() == QPrinter::PdfFormat ? m_printer.outputFileName()
                                                                 : m_printer.printerName());
    return {};
}

} // namespace kolvar
