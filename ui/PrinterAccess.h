#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QSize>
#include <QString>

#include <memory>

class QPrinter;

namespace kolvar {

// What a printout is laid out on: the printable area in device pixels and the resolution.
struct PageGeometry
{
    QSize size;
    int dpiX = 0;
    int dpiY = 0;
};

// What the printer set-up chose for a printout: the queue, the paper and the orientation.
struct PrinterSetup
{
    QString printer; // empty: the system's default queue
    QPageSize paper; // invalid: the queue's own paper
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

// Gives printer the paper and orientation of setup.
void applySetup(QPrinter& printer, const PrinterSetup& setup);

// The one way the program reaches a printer, for the list and for the record printout alike.
// The real one takes the system's default queue, or a PDF file named by KOLVAR_PRINT_PDF (the
// explicit way to print without a printer); tests install their own.
class PrinterAccess
{
public:
    virtual ~PrinterAccess() = default;
    // The printer named (the default one for an empty name) ready for a job, or nullptr and the
    // Polish reason why nothing can be printed: no printer, a queue that is stopped or refuses
    // jobs, or a name the print system does not know (Qt would quietly write a PDF file instead).
    [[nodiscard]] virtual std::unique_ptr<QPrinter> printerNamed(
        const QString& name, QString& error)
        = 0;
    [[nodiscard]] std::unique_ptr<QPrinter> defaultPrinter(QString& error);
};

// The access in use. Starts as the system's; setPrinterAccess installs another (not owned) and
// returns the previous one, nullptr gives back the system's.
PrinterAccess& printerAccess();
PrinterAccess* setPrinterAccess(PrinterAccess* access);

// Told when there is no printer at all.
[[nodiscard]] QString noPrinterMessage();

// The printable area and resolution of printer; without one, the paper (A4 when it is invalid) at
// 600 dpi in the given orientation, so a layout can still be looked at.
[[nodiscard]] PageGeometry pageGeometry(
    const QPrinter* printer, bool landscape = false, const QPageSize& paper = {});

// One print job on a printer: the painter paints its pages between begin and finish. Both give
// an empty text when all went well and the Polish message otherwise; a job the print system
// failed after it started is reported by finish, never passed off as printed.
class PrintJob
{
public:
    explicit PrintJob(QPrinter& printer);
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    [[nodiscard]] QString begin();
    [[nodiscard]] QPainter& painter() { return m_painter; }
    [[nodiscard]] bool newPage();
    [[nodiscard]] QString finish();

private:
    QPrinter& m_printer;
    QPainter m_painter;
};

} // namespace kolvar
