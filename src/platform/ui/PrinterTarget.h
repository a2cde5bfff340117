// Twips surfaces on paged output: a printer, or a PDF file. Their origin is the top-left corner
// of the printable area, which is their ScaleWidth by ScaleHeight; Width and Height are the
// sheet's. The document starts with the first drawing call and ends with EndDoc; NewPage starts
// a sheet.
#pragma once

#include "AtomicFile.h"
#include "PainterTarget.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPdfWriter>

class QPagedPaintDevice;
class QPrinter;

namespace qv::ui {

// The run-time's error number for a printer that refuses a job.
inline constexpr int ErrPrinter = 482;

class PageTarget : public PainterTarget {
  public:
    double ScaleWidth() const override;
    double ScaleHeight() const override;
    double Width() const override;
    double Height() const override;
    bool IsPrinter() const override { return true; }

    // A line of DrawWidth n is n dots of a 300-dpi page printer (n / 300 inch), whatever the
    // printer's own resolution: a one-dot line at 1200 dpi would be 0.02 mm and a data line of
    // width 4 a thin 0.08 mm, while the widths in the settings were chosen for 300-dpi dots.
    static constexpr double kDotsPerInchOfDrawWidth = 300.0;

  protected:
    PageTarget() = default;
    virtual QPagedPaintDevice& Paged() const = 0;
    // Dots per inch of the output.
    virtual int Resolution() const = 0;

    QPaintDevice* Device() override;
    double DeviceUnitsPerTwipX() const override;
    double DeviceUnitsPerTwipY() const override;
    double DeviceUnitsPerPixel() const override;
    void PaintClear(int32_t) override {}
    void PaintNewPage() override;

  private:
    // The sheet (full) or its printable area in twips.
    QSizeF SizeInTwips(bool full) const;
};

class PrinterTarget : public PageTarget {
  public:
    explicit PrinterTarget(QPrinter& printer);
    // Ends a document still open; a failure there is not reported (call EndDoc to learn it).
    ~PrinterTarget() override;

  protected:
    QPagedPaintDevice& Paged() const override;
    int Resolution() const override;
    [[noreturn]] void OpenFailed() override;
    void PaintEnd() override;

  private:
    QPrinter& printer_;
};

// A PDF file of the sheet and resolution given. The document is written into a temporary file
// beside `path`, which takes the place of any file of that name only when EndDoc finds it
// written whole; a document never ended, or one that failed, leaves that file as it was.
// Constructing raises when the temporary file cannot be made. The document is kept in memory
// until EndDoc, which names its kanji as ideographs in the text layer before writing it
// (NameIdeographsInToUnicodeMaps).
class PdfFileTarget : public PageTarget {
  public:
    PdfFileTarget(const QString& path, const QPageLayout& layout, int resolution);
    ~PdfFileTarget() override;

  protected:
    QPagedPaintDevice& Paged() const override;
    int Resolution() const override;
    void PaintEnd() override;

  private:
    AtomicFileWriter file_;
    QBuffer document_;
    mutable QPdfWriter writer_;
};

}  // namespace qv::ui
