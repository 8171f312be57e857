// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktopprinter.h"

#include "common/fileio.h"
#include "platform/desktop/modules.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace numbelle::platform {

namespace {

// Texts are measured at a printer's resolution, in millimetres: the mapped
// units of a page whose printable area is the whole sheet.
constexpr int kMeasureDpi = 1200;
constexpr double kMillimetresPerInch = 25.4;

const QImage &measuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMetre = int(kMeasureDpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    return device;
}

// The font the program prints in: its own (Chinese) font at the given size.
QFont printFont(double pointSize)
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(pointSize);
    return font;
}

QFontMetricsF measuringMetrics(double pointSize) { return QFontMetricsF(printFont(pointSize), &measuringDevice()); }

double millimetres(double pixels) { return pixels * kMillimetresPerInch / kMeasureDpi; }

} // namespace

double DesktopPrinter::textWidth(const QString &text, double pointSize)
{
    if (text.isEmpty())
        return 0;
    return millimetres(measuringMetrics(pointSize).horizontalAdvance(text));
}

double DesktopPrinter::lineHeight(double pointSize)
{
    const double height = millimetres(measuringMetrics(pointSize).height());
    return height > 0 ? height : pointSize * kMillimetresPerInch / 72;
}

Printer::Result DesktopPrinter::print(const PrintJob &job)
{
    const auto throughDialog = reinterpret_cast<PrintThroughDialog>(moduleFunction(kPrintModule, kPrintThroughDialog));
    switch (throughDialog ? throughDialog(job, &paintPrintJob) : DialogPrint::NoPrinter) {
    case DialogPrint::Printed:
        return Result::Printed;
    case DialogPrint::Cancelled:
        return Result::Cancelled;
    case DialogPrint::Failed:
        return Result::Failed;
    case DialogPrint::NoPrinter:
        break;
    }
    const std::optional<QString> path =
        m_dialogs.saveFile(QStringLiteral("没有安装打印机，可将还款表保存为PDF文件"), QStringLiteral("PDF文件 (*.pdf)"),
                           job.name + QStringLiteral(".pdf"));
    if (!path)
        return Result::Cancelled;
    return writePrintJobPdf(job, *path) ? Result::Printed : Result::Failed;
}

bool paintPrintJob(const PrintJob &job, QPagedPaintDevice &device, const QRectF &area)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Device pixels per mapped unit, across and down.
    const double sx = area.width() / PrintJob::kWidth;
    const double sy = area.height() / PrintJob::kHeight;
    auto at = [&](double x, double y) {
        return QPointF(area.left() + (x - PrintJob::kLeft) * sx, area.top() + (y - PrintJob::kTop) * sy);
    };
    // Fonts scale with the units: a unit is sy pixels down, a millimetre
    // logicalDpiY / 25.4 pixels.
    const double fontScale = sy * kMillimetresPerInch / device.logicalDpiY();
    QPen pen(Qt::black);
    pen.setWidthF(0.2 * sy);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);

    bool ok = true;
    bool firstPage = true;
    for (const PrintItem &item : job.items) {
        switch (item.kind) {
        case PrintItem::Kind::Page:
            if (!firstPage && !device.newPage())
                ok = false;
            firstPage = false;
            break;
        case PrintItem::Kind::Text: {
            const QFont font = printFont(item.size * fontScale);
            painter.setFont(font);
            const QFontMetricsF metrics(font, &device);
            painter.drawText(at(item.x1, item.y1) + QPointF(0, metrics.ascent()), item.text);
            break;
        }
        case PrintItem::Kind::Line:
            painter.drawLine(at(item.x1, item.y1), at(item.x2, item.y2));
            break;
        }
        if (!ok)
            break;
    }
    return painter.end() && ok;
}

bool writePrintJobPdf(const PrintJob &job, const QString &path)
{
    // The pages are made in memory and the file is written complete or not at
    // all: a full disk, a link or a device in its place leaves a file that
    // was there as it was, and the user is told.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    bool ok = false;
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(job.name);
        pdf.setCreator(QStringLiteral("Numbelle"));
        pdf.setResolution(kMeasureDpi);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        const QRectF sheet = pdf.pageLayout().paintRectPixels(pdf.resolution());
        ok = paintPrintJob(job, pdf, QRectF(QPointF(0, 0), sheet.size()));
    }
    return ok && !buffer.data().isEmpty() && fileio::replaceFile(path, buffer.data());
}

} // namespace numbelle::platform
