// A twips surface on a printer (or a PDF file): its origin is the top-left corner of the
// printable area, which is its ScaleWidth by ScaleHeight; Width and Height are the sheet's.
// The document starts with the first drawing call and ends with EndDoc; NewPage starts a sheet.
#pragma once

#include "PainterTarget.h"

class QPrinter;

namespace qv::ui {

// The run-time's error number for a printer that refuses a job.
inline constexpr int ErrPrinter = 482;

class PrinterTarget : public PainterTarget {
  public:
    explicit PrinterTarget(QPrinter& printer);
    // Ends a document still open; a failure there is not reported (call EndDoc to learn it).
    ~PrinterTarget() override;

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
    QPaintDevice* Device() override;
    double DeviceUnitsPerTwipX() const override;
    double DeviceUnitsPerTwipY() const override;
    double DeviceUnitsPerPixel() const override;
    [[noreturn]] void OpenFailed() override;
    void PaintClear(int32_t) override {}
    void PaintNewPage() override;
    void PaintEnd() override;

  private:
    QPrinter& printer_;
};

}  // namespace qv::ui
