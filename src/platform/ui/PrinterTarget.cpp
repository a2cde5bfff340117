// The twips surfaces on a printer and on a PDF file.
#include "PrinterTarget.h"

#include "AppError.h"
#include "PdfTextLayer.h"
#include "PlatformText.h"

#include <QPrinter>

namespace qv::ui {

namespace {

[[noreturn]] void NotFinished() {
    throw AppError(ErrPrinter,
                   PlatformText(TextPrinterNotFinished, {},
                                QStringLiteral("The printer did not finish the document.")));
}

}  // namespace

// ---- Paged output -----------------------------------------------------------------------------

QSizeF PageTarget::SizeInTwips(bool full) const {
    const int resolution = Resolution();
    if (resolution <= 0) return {};
    const QPageLayout layout = Paged().pageLayout();
    const QRect r = full ? layout.fullRectPixels(resolution) : layout.paintRectPixels(resolution);
    return QSizeF(r.width() * 1440.0 / resolution, r.height() * 1440.0 / resolution);
}

double PageTarget::ScaleWidth() const {
    return SizeInTwips(false).width();
}

double PageTarget::ScaleHeight() const {
    return SizeInTwips(false).height();
}

double PageTarget::Width() const {
    return SizeInTwips(true).width();
}

double PageTarget::Height() const {
    return SizeInTwips(true).height();
}

QPaintDevice* PageTarget::Device() {
    return &Paged();
}

double PageTarget::DeviceUnitsPerTwipX() const {
    return Resolution() / 1440.0;
}

double PageTarget::DeviceUnitsPerTwipY() const {
    return Resolution() / 1440.0;
}

double PageTarget::DeviceUnitsPerPixel() const {
    return std::max(1.0, Resolution() / kDotsPerInchOfDrawWidth);
}

void PageTarget::PaintNewPage() {
    Painter();
    if (!Paged().newPage())
        throw AppError(ErrPrinter,
                       PlatformText(TextPrinterNoNewSheet, {},
                                    QStringLiteral("The printer cannot start a new sheet.")));
}

// ---- Printer ----------------------------------------------------------------------------------

PrinterTarget::PrinterTarget(QPrinter& printer) : printer_(printer) {}

PrinterTarget::~PrinterTarget() {
    Flush();
}

QPagedPaintDevice& PrinterTarget::Paged() const {
    return printer_;
}

int PrinterTarget::Resolution() const {
    return printer_.resolution();
}

void PrinterTarget::OpenFailed() {
    throw AppError(ErrPrinter,
                   PlatformText(TextPrinterCannotStart,
                                {printer_.printerName().isEmpty() ? printer_.outputFileName()
                                                                  : printer_.printerName()},
                                QStringLiteral("The printer \"%1\" cannot start the document.")));
}

void PrinterTarget::PaintEnd() {
    if (!IsOpen()) return;
    if (!Close() || printer_.printerState() == QPrinter::Error ||
        printer_.printerState() == QPrinter::Aborted)
        NotFinished();
}

// ---- PDF file ---------------------------------------------------------------------------------

PdfFileTarget::PdfFileTarget(const QString& path, const QPageLayout& layout, int resolution)
    : file_(path), writer_(&document_) {
    document_.open(QIODevice::WriteOnly);
    writer_.setResolution(resolution);
    writer_.setPageLayout(layout);
}

PdfFileTarget::~PdfFileTarget() {
    // The painter writes into the temporary file, which goes uncommitted with this surface.
    Flush();
}

QPagedPaintDevice& PdfFileTarget::Paged() const {
    return writer_;
}

int PdfFileTarget::Resolution() const {
    return writer_.resolution();
}

void PdfFileTarget::PaintEnd() {
    // A document is a file with at least one sheet, even if nothing was drawn on it.
    Painter();
    if (!Close()) NotFinished();
    QByteArray pdf = document_.data();
    NameIdeographsInToUnicodeMaps(pdf);
    // Whether every byte reached the disk is known only from the file.
    file_.Write(pdf);
    file_.Commit();
}

}  // namespace qv::ui
