// A calibration history whose fourth sensor was swapped (CO, whole numbers, then H2S with one
// decimal place) printed over many sheets: every value stands under its own gas's caption, with
// that gas's decimal places, and a sheet never opens with the captions of the gas before.
#include "PrintRig.h"

#include <map>

namespace qv::test {
namespace {

using SwappedSensorReport = PrintRig;

// The texts of each printed line of the recording, left to right, by sheet and height.
std::map<std::pair<int, double>, QStringList> Lines(const ui::RecordingTarget& rec) {
    std::map<std::pair<int, double>, std::map<double, QString>> cells;
    int sheet = 0;
    for (const ui::DrawCall& c : rec.Calls()) {
        if (c.kind == Kind::NewPage) ++sheet;
        if (c.kind == Kind::Text && !c.text.isEmpty()) cells[{sheet, c.a.y()}][c.a.x()] = c.text;
    }
    std::map<std::pair<int, double>, QStringList> lines;
    for (const auto& [at, line] : cells)
        for (const auto& [x, text] : line)
            lines[at] << text;
    return lines;
}

TEST_F(SwappedSensorReport, EveryCalibrationStandsUnderItsOwnGasOnEverySheet) {
    QList<QDateTime> dates;
    for (int d = 0; d < 200; ++d)
        dates << rt::MakeDate(2016, 1, 1).addDays(7 * d);
    const int32_t history = FixtureBuilder(fixture.path()).AddHistory({"SN9", "S", "U"}, dates);
    // The calibrations stored after the swap (the newest, printed first) fill the first sheet:
    // the second opens with the first calibration of the gas before.
    PrintRecorded(*Form(TypeCalHistory, history));
    ASSERT_TRUE(rec);
    int swapped = 0;
    for (const auto& [at, texts] : Lines(*rec))
        if (at.first == 1 && texts.value(2) == "Before") {
            swapped = texts.value(0).toInt() - 1;
            break;
        }
    ASSERT_GT(swapped, 0);
    Database(DatabasePath)
        .execute(
            "Update cHistory Set Gas4Name = 'H2S', Gas4Unit = 'ppm', Gas4Point = 1 "
            "Where RelNo = ? And Dates >= ?",
            {history, dates[200 - swapped]});
    PrintRecorded(*Form(TypeCalHistory, history));

    QString caption;  // the fourth gas's caption over the rows that follow
    int lastSheet = -1, values = 0;
    QStringList captions;
    for (const auto& [at, texts] : Lines(*rec)) {
        if (texts.value(0) == "No") {
            // A sheet's first header, or one where the gas changes: never two in a row.
            EXPECT_TRUE(at.first != lastSheet || texts.value(5) != caption) << at.first;
            caption = texts.value(5);
            captions << caption;
            lastSheet = at.first;
        } else if (texts.value(0) == "After") {  // after each calibration the gas read 50
            EXPECT_EQ(texts.value(4), caption == "H2S(ppm)" ? " 50.0" : "   50")
                << caption.toStdString();
            ++values;
        }
    }
    EXPECT_EQ(values, 200);
    // One header a sheet: the second's names the gas it goes on with.
    EXPECT_EQ(captions.mid(0, 2), (QStringList{"H2S(ppm)", "CO (ppm)"}));
    EXPECT_EQ(captions.size(), rec->Calls(Kind::NewPage).size() + 1);
}

}  // namespace
}  // namespace qv::test
