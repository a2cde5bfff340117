// The graph view of interval and alarm trends, drawn on a recording surface: series of the
// readings themselves, status codes as levels (as the printed graph plots them), a mark for
// every event, the "Alarm" mark, gas 1 in its second unit, and a trend with nothing to draw.
#include "DataViewRig.h"
#include "Dates.h"
#include "frmPrint.h"
#include "modGasCommon.h"

namespace qv::test {
namespace {

using DataGraph = DataViewRig;

TEST_F(DataGraph, IntervalTrendSeriesTitlesAndEventMarks) {
    Open(1, logs().intervalA0514);
    uclVtmGraph& g = graph();
    ASSERT_EQ(g.SampleDataCount(), 4);
    EXPECT_EQ(g.ValueName(3), "CO ");
    EXPECT_EQ(g.FormatY(1), "##0.0");
    EXPECT_EQ(g.SampleCount(), 100);
    EXPECT_FLOAT_EQ(g.ValueY(2, 5), 2.5f);
    EXPECT_EQ((std::array{g.EventCount(0), g.EventCount(1), g.EventCount(2), g.EventCount(3)}),
              (std::array{3, 0, 0, 1}));
    EXPECT_EQ(g.EventFlag(0, 1), "ALARM");
    EXPECT_EQ(g.EventFlag(3, 0), "OVER");
    EXPECT_EQ(rec.Texts("Data Browse (Tank 'A' run) - Interval Trend").size(), 1u);
    EXPECT_EQ(rec.Texts("Sampling Date/Time: 14-May-24 10:00:00 to 14-May-24 11:39:00").size(), 1u);
    EXPECT_EQ(rec.Texts("WARNING").size(), 2u);
    EXPECT_EQ(rec.Texts("OVER").size(), 1u);
    EXPECT_EQ(rec.Calls(ui::DrawCall::Kind::Polygon).size(), 4u);  // a marker per event
}

TEST_F(DataGraph, ReadingsArePlottedAsTheyAreAndEveryEventIsMarked) {
    const QDateTime t = rt::MakeDate(2024, 5, 14, 10, 0, 0);
    CurInterval = std::make_shared<clsInterval>();
    clsInterval& r = *CurInterval;
    const float values[] = {12345.6f, GasNoData, GasOver, 5, 0.04f, 7, 8};
    for (int i = 0; i < 7; ++i)
        for (int gas = 0; gas < 5; ++gas)
            r.AddValue(gas, t.addSecs(60LL * i), values[i]);
    for (int k = 0; k < 150; ++k)
        r.AddEvents(0, t.addSecs(10LL * k + 5), GasWarning);
    for (int gas = 0; gas < 5; ++gas) {
        r.GasInfo().SetGasEnable(gas, true);
        r.GasInfo().SetGasPoint(gas, gas == 4 ? 2 : 1);
    }
    CurDataType = 1;
    page.ShowTrendGraph();
    EXPECT_FLOAT_EQ(graph().ValueY(1, 0), 12345.6f);  // its text would read "345.6"
    EXPECT_FLOAT_EQ(graph().ValueY(1, 1), 0);
    EXPECT_FLOAT_EQ(graph().ValueY(1, 2), 0);
    EXPECT_FLOAT_EQ(graph().ValueY(1, 4), 0.04f);
    EXPECT_EQ(graph().EventCount(0), 150);
    EXPECT_EQ(graph().EventX(0, 149), t.addSecs(10LL * 149 + 5));
    EXPECT_EQ(graph().EventFlag(0, 149), "WARNING");
    EXPECT_EQ(graph().EventCount(1), 0);

    ConvEnable = true;
    page.ShowTrendGraph();
    EXPECT_FLOAT_EQ(graph().ValueY(0, 3), 0.25f);
    EXPECT_FLOAT_EQ(graph().ValueY(1, 3), 5);
    EXPECT_EQ(graph().FormatY(0), "##0.00");
}

TEST_F(DataGraph, AlarmTrendStatusCodesPlotTheirLevelsAndTheMomentIsMarked) {
    Open(2, logs().alarmA);
    EXPECT_FLOAT_EQ(graph().ValueY(0, 360), 12.5f);
    EXPECT_FLOAT_EQ(graph().ValueY(1, 360), 23.5f);  // ALARM: the gas's alarm level
    EXPECT_FLOAT_EQ(graph().ValueY(3, 360), 0);      // no data
    EXPECT_EQ(graph().EventFlag(1000, 360), "Alarm");
    EXPECT_EQ(rec.Texts("Alarm").size(), 1u);
    page.chkBrowse[4]->click();  // the "Event" box hides the mark
    EXPECT_FALSE(graph().EventVisible(1000));

    CurAlarm = std::make_shared<clsAlarm>();
    clsAlarm& a = *CurAlarm;
    clsHeader& h = a.GasInfo();
    for (int gas = 0; gas < 4; ++gas) {
        h.SetGasFull(gas, 100);
        h.SetWarning(gas, gas == 2 ? -1 : 10);  // gas 3's warning is off
        h.SetStel(gas, -1);
    }
    // clang-format off
    const struct {
        int gas;
        float value, plotted;
        const char* word;
    } samples[] = {
        {1, GasNormal, 0, "Norm"},     {1, 12.5f, 12.5f, ""},      {1, GasNormal, 12.5f, "Norm"},
        {1, GasNormal, 12.5f, "Norm"}, {2, GasWarning, 0, "Warn"}, {1, GasWarning, 10, "Warn"},
        {1, GasOver, 100, "Over"},     {1, GasCalib, 100, "Cal."}, {3, GasStel, 0, "Stel"},
        {0, GasWarning, 0.5f, "Warn"}, {0, 12.5f, 0.625f, ""},
        // Every failure is no reading: none plots below 0.
        {1, GasFailFlow, 0, "Fail"},   {2, GasFailCal, 0, "Fail"}, {3, GasFailBattery, 0, "Fail"},
        {0, GasFailCircuit, 0, "Fail"}, {1, GasFailSensor, 0, "Fail"}};
    // clang-format on
    const int n = static_cast<int>(std::size(samples));
    a.SetDataCount(n);
    for (int i = 0; i < n; ++i) {
        a.SetDateTimes(i, rt::MakeDate(2024, 5, 14, 10, 0, i));
        for (int gas = 0; gas < 4; ++gas)
            a.SetValue(gas, i, samples[i].gas == gas ? samples[i].value : 1.0f);
    }
    ConvEnable = true;  // series 0 in gas 1's second unit, readings and levels alike
    CurDataType = 2;
    page.ShowTrendGraph();
    for (int i = 0; i < n; ++i) {
        const auto& s = samples[i];
        EXPECT_FLOAT_EQ(graph().ValueY(s.gas, i), s.plotted) << i;
        EXPECT_EQ(graph().EventFlag(s.gas, i), s.word) << i;
    }
    EXPECT_EQ(graph().EventFlag(1000, 360), "");  // too few samples for an alarm moment
    for (int gas = 0; gas < 4; ++gas)
        EXPECT_EQ(graph().MinY(gas), 0) << gas;

    // 361 samples: the moment is the last, and unmarked; 362: marked.
    for (const int count : {361, 362}) {
        a.SetDataCount(count);
        page.ShowTrendGraph();
        EXPECT_EQ(graph().EventFlag(1000, 360), count == 362 ? "Alarm" : "") << count;
    }
}

TEST_F(DataGraph, EveryStatusCodePlotsAlikeOnScreenAndOnPaper) {
    clsAlarm& a = *CurAlarm;
    clsHeader& h = a.GasInfo();
    // Levels whose display texts would misplace them: gas 1 in %LEL without decimals shown in
    // vol% with two, and gas 3 with levels too long for five characters ("2000.5" shows
    // "000.5"). Gas 2's STEL is off.
    const struct {
        int16_t points;
        float full, warning, alarm, stel, twa, max, min;
    } levels[] = {{0, 100, 10, 25, 30, 5, 47, 3},
                  {1, 25, 19.5f, 23.5f, -1, 20.9f, 20.9f, 18.2f},
                  {1, 2000.5f, 1000.5f, 1500.5f, 1200.5f, 1100.5f, 1999.5f, 1000.2f},
                  {0, 500, 25, 50, 200, 25, 480, 12}};
    for (int gas = 0; gas < 4; ++gas) {
        const auto& l = levels[gas];
        h.SetGasEnable(gas, true);
        h.SetGasPoint(gas, l.points);
        h.SetGasFull(gas, l.full);
        h.SetWarning(gas, l.warning);
        h.SetAlarm(gas, l.alarm);
        h.SetStel(gas, l.stel);
        h.SetTwa(gas, l.twa);
        h.SetGasMax(gas, l.max);
        h.SetGasMin(gas, l.min);
    }
    h.SetGasEnable(4, true);
    h.SetGasPoint(4, 2);
    // A NORMAL first, then every code from GasNoData to GasMin on every gas, each after a
    // reading, so that NORMAL has a level to hold.
    std::vector<float> values{GasNormal};
    for (int code = GasNoData; code >= GasMin; --code) {
        values.push_back(7.5f - static_cast<float>(code));
        values.push_back(static_cast<float>(code));
    }
    const int n = static_cast<int>(values.size());
    a.SetDataCount(n);
    for (int i = 0; i < n; ++i) {
        a.SetDateTimes(i, rt::MakeDate(2024, 5, 14, 10, 0, i));
        for (int gas = 0; gas < 4; ++gas)
            a.SetValue(gas, i, values[static_cast<size_t>(i)]);
    }
    CurDataType = TypeAlarmTrend;
    for (const bool secondUnit : {false, true}) {
        SCOPED_TRACE(secondUnit ? "gas 1 in its second unit" : "gas 1 in its own unit");
        ConvEnable = secondUnit;
        page.ShowTrendGraph();
        frmPrint form;
        form.SetDataType(TypeAlarmTrend);
        form.SetPrintType(true);
        form.SetAlarmData(CurAlarm);
        form.SetupTrendGraph();
        const uclVtmGraph& paper = *form.vtmPrint;
        for (int gas = 0; gas < 4; ++gas) {
            for (int i = 0; i < n; ++i) {
                const float value = values[static_cast<size_t>(i)];
                const std::string at = QStringLiteral("gas %1, sample %2 (%3)")
                                           .arg(gas + 1)
                                           .arg(i)
                                           .arg(value)
                                           .toStdString();
                EXPECT_FLOAT_EQ(graph().ValueY(gas, i), paper.ValueY(gas, i)) << at;
                EXPECT_EQ(graph().EventFlag(gas, i), paper.EventFlag(gas, i)) << at;
                if (!IsStatusCode(value)) continue;
                // No code is a reading: none pulls a scale below 0, and each but "no data"
                // says what it was.
                EXPECT_GE(graph().ValueY(gas, i), 0) << at;
                EXPECT_EQ(graph().EventFlag(gas, i).isEmpty(),
                          value == static_cast<float>(GasNoData))
                    << at;
            }
        }
        // Gas 1's warning level in vol%, not rounded to the whole units of %LEL.
        EXPECT_FLOAT_EQ(paper.ValueY(0, 6), secondUnit ? 0.5f : 10) << "WARNING";
        EXPECT_FLOAT_EQ(paper.ValueY(2, 14), 2000.5f) << "OVER";
    }
}

TEST_F(DataGraph, ATrendWithNothingToDrawOpensAnEmptyGraph) {
    Open(1, logs().intervalA0514);
    page.optBrowse[1]->click();
    ASSERT_TRUE(page.optBrowse[1]->isChecked());
    rec.Forget();
    Open(1, 999999);  // no samples, no gas enabled: the graph is offered and stays empty
    EXPECT_TRUE(page.optBrowse[1]->isEnabled());
    EXPECT_EQ(graph().SampleCount(), 0);
    EXPECT_TRUE(rec.Calls(ui::DrawCall::Kind::Line).empty());
    EXPECT_TRUE(dialogs.messages().isEmpty());
    EXPECT_EQ(table().Rows(), 1);
}

}  // namespace
}  // namespace qv::test
