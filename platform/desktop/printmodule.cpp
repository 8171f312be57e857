// SPDX-License-Identifier: GPL-3.0-or-later
// The print module: the print dialog and the printers (Qt Print Support),
// loaded at the first print only. The pages are painted by the program's own
// paintPrintJob, handed in.

#include "platform/desktop/desktopprinter.h"

#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

using numbelle::PrintJob;
using numbelle::platform::DialogPrint;

extern "C" Q_DECL_EXPORT DialogPrint numbelle_print_through_dialog(const PrintJob &job,
                                                                   numbelle::platform::PaintPrintJob paint)
{
    if (QPrinterInfo::availablePrinters().isEmpty())
        return DialogPrint::NoPrinter;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(job.name);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return DialogPrint::Cancelled;
    // The table is laid out for A4, whatever paper the dialog offered.
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    const QRectF printable = printer.pageLayout().paintRectPixels(printer.resolution());
    if (!paint(job, printer, QRectF(QPointF(0, 0), printable.size())))
        return DialogPrint::Failed;
    return printer.printerState() == QPrinter::Error ? DialogPrint::Failed : DialogPrint::Printed;
}
