// The twips surfaces: current position after Print and Line, text placed by its top-left corner,
// twips mapped to the pixels of an image and the dots of a printer, the printer's document.
#include "ImageTarget.h"
#include "PrinterTarget.h"
#include "RecordingTarget.h"
#include "Twips.h"

#include "AppError.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

namespace qv::ui {
namespace {

using Kind = DrawCall::Kind;

TEST(DrawTarget, PrintAndLineMoveTheCurrentPosition) {
    RecordingTarget t(9000, 6000);
    const double h = t.TextHeight(QStringLiteral("A"));
    ASSERT_GT(h, 0);
    EXPECT_DOUBLE_EQ(t.TextHeight(QString()), h);
    EXPECT_DOUBLE_EQ(t.TextHeight(QStringLiteral("a\r\nb\nc")), 3 * h);

    t.SetCurrentX(300);
    t.SetCurrentY(200);
    t.Print(QStringLiteral("AB"), PrintEnd::SameLine);
    EXPECT_DOUBLE_EQ(t.CurrentX(), 300 + t.TextWidth(QStringLiteral("AB")));
    EXPECT_DOUBLE_EQ(t.CurrentY(), 200);
    t.Print(QStringLiteral("C"));
    EXPECT_DOUBLE_EQ(t.CurrentX(), 0);
    EXPECT_DOUBLE_EQ(t.CurrentY(), 200 + h);
    // A line break starts the next line at the left edge.
    t.SetCurrentX(500);
    t.Print(QStringLiteral("x\r\ny"));
    const auto texts = t.Calls(Kind::Text);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].a, QPointF(300, 200));
    EXPECT_EQ(texts[2].a, QPointF(500, 200 + h));
    EXPECT_EQ(texts[3].a, QPointF(0, 200 + 2 * h));
    EXPECT_DOUBLE_EQ(t.CurrentY(), 200 + 3 * h);
    // Several lines ended on the same line: the position follows the last line's text.
    t.SetCurrentX(500);
    t.Print(QStringLiteral("xx\ny"), PrintEnd::SameLine);
    EXPECT_DOUBLE_EQ(t.CurrentX(), t.TextWidth(QStringLiteral("y")));
    EXPECT_DOUBLE_EQ(t.CurrentY(), 200 + 4 * h);

    t.Line(10, 20, 30, 40, RGB(255, 0, 0));
    EXPECT_EQ(QPointF(t.CurrentX(), t.CurrentY()), QPointF(30, 40));
    t.LineTo(50, 60);
    const auto lines = t.Calls(Kind::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].stroke.Color, RGB(255, 0, 0));
    EXPECT_EQ(lines[1].a, QPointF(30, 40));
    EXPECT_EQ(lines[1].stroke.Color, t.ForeColor());
    t.Line(0, 0, 100, 100, RGB(1, 2, 3), LineShape::FilledBox);
    EXPECT_EQ(t.Calls(Kind::Box).back().fill, (Fill{RGB(1, 2, 3), FillSolid}));
}

// Rows of an image that hold any pixel other than white.
std::pair<int, int> InkRows(const QImage& image) {
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != Qt::white) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return {first, last};
}

TEST(DrawTarget, ImageTakesTwipsAtTheScreenResolutionAndTextFromItsTop) {
    ImageTarget image(QSize(200, 100));
    EXPECT_DOUBLE_EQ(image.ScaleWidth(), 200 * TwipsPerPixelX());
    image.SetCurrentX(0);
    image.SetCurrentY(40 * TwipsPerPixelY());
    image.Print(QStringLiteral("HQ"));
    const auto [first, last] = InkRows(image.Image());
    // The text hangs below the position, within one line height.
    EXPECT_GE(first, 40);
    EXPECT_LE(last, 40 + image.TextHeight(QStringLiteral("HQ")) / TwipsPerPixelY());

    image.Cls();
    image.SetDrawWidth(3);
    image.Line(150 * TwipsPerPixelX(), 0, 150 * TwipsPerPixelX(), 100 * TwipsPerPixelY(),
               RGB(0, 0, 255));
    const QImage& drawn = image.Image();
    EXPECT_EQ(drawn.pixelColor(150, 50), QColor(0, 0, 255));
    EXPECT_EQ(drawn.pixelColor(151, 50), QColor(0, 0, 255));  // three pixels wide
    EXPECT_EQ(drawn.pixelColor(145, 50), QColor(Qt::white));
}

TEST(DrawTarget, PrinterDocumentIsCheckedAndMeasuredInTwips) {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
    {
        PrinterTarget page(printer);
        EXPECT_TRUE(page.IsPrinter());
        // A4 is 210 mm (595 points) wide: 11900 twips; the printable area lies within it.
        EXPECT_NEAR(page.Width(), 595 * 20, 2);
        EXPECT_GT(page.ScaleWidth(), 0);
        EXPECT_LT(page.ScaleWidth(), page.Width());
        EXPECT_NEAR(page.TextHeight(QStringLiteral("8")),
                    RecordingTarget(1, 1).TextHeight(QStringLiteral("8")), 60);
        page.Print(QStringLiteral("first sheet"));
        page.NewPage();
        EXPECT_EQ(page.CurrentY(), 0);
        page.Print(QStringLiteral("second sheet"));
        page.EndDoc();
    }
    QFile pdf(printer.outputFileName());
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdf.readAll().count("/Type /Page\n"), 2);

    printer.setOutputFileName(QStringLiteral("/nonexistent-folder/page.pdf"));
    PrinterTarget refused(printer);
    try {
        refused.Print(QStringLiteral("never"));
        ADD_FAILURE() << "a document that cannot start must raise";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), ErrPrinter);
    }
}

TEST(DrawTarget, RecorderPassesEveryCallOnAndMeasuresOnTheSurfaceItWraps) {
    ImageTarget image(QSize(120, 60));
    RecordingTarget tap(image);
    EXPECT_DOUBLE_EQ(tap.ScaleHeight(), image.ScaleHeight());
    EXPECT_DOUBLE_EQ(tap.TextWidth(QStringLiteral("wide")),
                     image.TextWidth(QStringLiteral("wide")));
    tap.SetFillColor(RGB(0, 128, 0));
    tap.SetFillStyle(FillSolid);
    tap.Polygon(QPolygonF({QPointF(0, 0), QPointF(900, 0), QPointF(900, 450), QPointF(0, 450)}));
    ASSERT_EQ(tap.Calls(Kind::Polygon).size(), 1u);
    EXPECT_EQ(image.Image().pixelColor(30, 15), QColor(0, 128, 0));
}

}  // namespace
}  // namespace qv::ui
