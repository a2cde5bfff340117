// The printers a user can print on: the system's printers behind an interface that tests fill,
// always followed by one entry that prints to a PDF file, so that a machine without a printer
// can still print; and the printer that is current for the program.
#pragma once

#include <QString>
#include <QStringList>

class QPrinter;

namespace qv::ui {

class PrinterList {
  public:
    virtual ~PrinterList() = default;
    // Device names of the system's printers, in the system's order.
    virtual QStringList Names() const = 0;
    // The system's default printer; empty when there is none.
    virtual QString DefaultName() const = 0;
};

// The printers the print system (CUPS) knows, through Qt.
class QtPrinterList : public PrinterList {
  public:
    QStringList Names() const override;
    QString DefaultName() const override;
};

// A fixed list for tests: installs itself as the list in use while it lives and starts with
// no printer made current.
class FixedPrinterList : public PrinterList {
  public:
    explicit FixedPrinterList(QStringList names = {}, QString defaultName = {});
    ~FixedPrinterList() override;
    FixedPrinterList(const FixedPrinterList&) = delete;
    FixedPrinterList& operator=(const FixedPrinterList&) = delete;

    QStringList Names() const override { return names_; }
    QString DefaultName() const override { return default_; }

  private:
    QStringList names_;
    QString default_;
    PrinterList* previous_;
};

// The list in use: the Qt one unless a fixed list is installed.
PrinterList& Printers();

// The name of the entry that prints to a PDF file.
QString PdfEntryName();
// What the user chooses among: the system's printers, then the PDF entry.
QStringList PrinterChoices();

// The printer current for the program: the one last made current, else the system's default,
// else the PDF entry. An empty name goes back to following the default.
QString CurrentPrinter();
void SetCurrentPrinter(const QString& name);

// Sets `printer` up for an entry of PrinterChoices: the PDF entry writes `pdfFile`, any other
// entry is a system printer of that name.
void SelectPrinter(QPrinter& printer, const QString& entry, const QString& pdfFile = {});

}  // namespace qv::ui
