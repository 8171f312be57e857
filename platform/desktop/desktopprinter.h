// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop printer: a print job goes through the print dialog to a real
// printer; with no printer installed (or no print module) the user may save
// the same pages as a PDF file instead. The job's 210 x 297 mapped units cover the printable area of
// the A4 page, and texts and lines scale with them, so every text takes the
// room the page model measured for it on any printer. On a PDF page the
// printable area is the whole sheet: units are millimetres and font sizes
// exact points.

#include "platform/platform.h"

#include <QRectF>
#include <QString>

class QPagedPaintDevice;

namespace numbelle::platform {

class DesktopPrinter final : public Printer {
public:
    // The save dialog of the PDF file comes from dialogs.
    explicit DesktopPrinter(FileDialogs &dialogs) : m_dialogs(dialogs) {}

    double textWidth(const QString &text, double pointSize) override;
    double lineHeight(double pointSize) override;
    Result print(const PrintJob &job) override;

private:
    FileDialogs &m_dialogs;
};

// Paints the job's pages onto a paged device, the mapped area covering area
// (device pixels from the painter's origin). False when the device refuses to
// start, to turn a page or to finish.
bool paintPrintJob(const PrintJob &job, QPagedPaintDevice &device, const QRectF &area);

// Writes the job as a PDF file of A4 pages. False when the file cannot be
// written; nothing is left behind then.
bool writePrintJobPdf(const PrintJob &job, const QString &path);

// The print dialog and the printers live in the print module
// (numbelle-print), so Qt Print Support is loaded at the first print only.
// Its entry point shows the dialog and prints the job with paint; it answers
// one of these. Without the module the job can still be saved as a PDF file.
enum class DialogPrint : int { Printed, Cancelled, Failed, NoPrinter };
using PaintPrintJob = bool (*)(const PrintJob &job, QPagedPaintDevice &device, const QRectF &area);
using PrintThroughDialog = DialogPrint (*)(const PrintJob &job, PaintPrintJob paint);
inline constexpr char kPrintModule[] = "numbelle-print";
inline constexpr char kPrintThroughDialog[] = "numbelle_print_through_dialog";

} // namespace numbelle::platform
