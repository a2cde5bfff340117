// The twips surface on a printer.
#include "PrinterTarget.h"

#include "AppError.h"
#include "PlatformText.h"

#include <QPrinter>

namespace qv::ui {

namespace {

// The sheet (full) or its printable area in twips.
QSizeF SizeInTwips(const QPrinter& printer, bool full) {
    const int resolution = printer.resolution();
    if (resolution <= 0) return {};
    const QPageLayout layout = printer.pageLayout();
    const QRect r = full ? layout.fullRectPixels(resolution) : layout.paintRectPixels(resolution);
    return QSizeF(r.width() * 1440.0 / resolution, r.height() * 1440.0 / resolution);
}

}  // namespace

PrinterTarget::PrinterTarget(QPrinter& printer) : printer_(printer) {}

PrinterTarget::~PrinterTarget() {
    Flush();
}

double PrinterTarget::ScaleWidth() const {
    return SizeInTwips(printer_, false).width();
}

double PrinterTarget::ScaleHeight() const {
    return SizeInTwips(printer_, false).height();
}

double PrinterTarget::Width() const {
    return SizeInTwips(printer_, true).width();
}

double PrinterTarget::Height() const {
    return SizeInTwips(printer_, true).height();
}

QPaintDevice* PrinterTarget::Device() {
    return &printer_;
}

double PrinterTarget::DeviceUnitsPerTwipX() const {
    return printer_.resolution() / 1440.0;
}

double PrinterTarget::DeviceUnitsPerTwipY() const {
    return printer_.resolution() / 1440.0;
}

double PrinterTarget::DeviceUnitsPerPixel() const {
    return std::max(1.0, printer_.resolution() / kDotsPerInchOfDrawWidth);
}

void PrinterTarget::OpenFailed() {
    throw AppError(ErrPrinter,
                   PlatformText(TextPrinterCannotStart,
                                {printer_.printerName().isEmpty() ? printer_.outputFileName()
                                                                  : printer_.printerName()},
                                QStringLiteral("The printer \"%1\" cannot start the document.")));
}

void PrinterTarget::PaintNewPage() {
    Painter();
    if (!printer_.newPage())
        throw AppError(ErrPrinter,
                       PlatformText(TextPrinterNoNewSheet, {},
                                    QStringLiteral("The printer cannot start a new sheet.")));
}

void PrinterTarget::PaintEnd() {
    if (!IsOpen()) return;
    if (!Close() || printer_.printerState() == QPrinter::Error ||
        printer_.printerState() == QPrinter::Aborted)
        throw AppError(ErrPrinter,
                       PlatformText(TextPrinterNotFinished, {},
                                    QStringLiteral("The printer did not finish the document.")));
}

}  // namespace qv::ui
