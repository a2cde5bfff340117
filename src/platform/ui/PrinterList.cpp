// The printer list and the current printer.
#include "PrinterList.h"

#include "PlatformText.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace qv::ui {

namespace {

PrinterList* installed = nullptr;
QString current;

}  // namespace

QStringList QtPrinterList::Names() const {
    return QPrinterInfo::availablePrinterNames();
}

QString QtPrinterList::DefaultName() const {
    return QPrinterInfo::defaultPrinterName();
}

FixedPrinterList::FixedPrinterList(QStringList names, QString defaultName)
    : names_(std::move(names)), default_(std::move(defaultName)), previous_(installed) {
    installed = this;
    current.clear();
}

FixedPrinterList::~FixedPrinterList() {
    installed = previous_;
    current.clear();
}

PrinterList& Printers() {
    static QtPrinterList qtPrinters;
    return installed ? *installed : qtPrinters;
}

QString PdfEntryName() {
    // A print queue's name holds no blank, so no system printer can take this one (the text
    // has a blank in every language).
    return PlatformText(TextPrintToPdf, {}, QStringLiteral("Print to PDF file"));
}

QStringList PrinterChoices() {
    return Printers().Names() << PdfEntryName();
}

QString CurrentPrinter() {
    if (!current.isEmpty()) return current;
    const QString system = Printers().DefaultName();
    return system.isEmpty() ? PdfEntryName() : system;
}

void SetCurrentPrinter(const QString& name) {
    current = name;
}

void SelectPrinter(QPrinter& printer, const QString& entry, const QString& pdfFile) {
    if (entry == PdfEntryName()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFile);
    } else {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(entry);
    }
}

}  // namespace qv::ui
