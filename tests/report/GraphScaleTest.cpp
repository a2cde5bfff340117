// The trend graph's tables, which grow with the log, its layout, value scales, time axis and
// grid, as drawn on the recording surface.
#include "GraphRig.h"

#include "AppError.h"

#include <cmath>

namespace qv::test {
namespace {

using Graph = GraphRig;

TEST_F(Graph, SeriesTakeSlotsInOrderEvenWithABlankName) {
    EXPECT_EQ(graph.SampleDataCount(), 1);
    // A gas without a name must not give its slot to the next series.
    EXPECT_EQ(graph.AddSample(QString(), ui::RGB(1, 2, 3)), 0);
    EXPECT_EQ(graph.SampleDataCount(), 1);
    EXPECT_EQ(graph.AddSample(QStringLiteral("CO"), ui::RGB(4, 5, 6), QStringLiteral("##0")), 1);
    EXPECT_EQ(graph.SampleDataCount(), 2);
    EXPECT_EQ(graph.ValueColor(0), ui::RGB(1, 2, 3));
    EXPECT_EQ(graph.ValueName(1), "CO");
    EXPECT_EQ(graph.FormatY(1), "##0");
    EXPECT_EQ(graph.ValueName(2), "");
    EXPECT_EQ(graph.ValueColor(2), 0);
    graph.SetValueName(2, QStringLiteral("spare"));
    EXPECT_EQ(graph.ValueName(2), "");
    graph.Clear();
    EXPECT_EQ(graph.SampleDataCount(), 1);
    EXPECT_EQ(graph.AddSample(QStringLiteral("CH4")), 0);
}

TEST_F(Graph, TablesGrowWithTheLogAndOnlyNegativeIndexesLieOutside) {
    graph.AddSample(QStringLiteral("CH4"));
    // Without a first sample date an event counts no seconds and leaves the count alone.
    graph.SetEventX(0, 3, Sample(3));
    EXPECT_EQ(graph.EventCount(0), 0);

    // A log longer than 4,097 samples with 3,000 event marks, the last on its last sample.
    constexpr int n = 6000, events = 3000;
    for (int i = 0; i < n; ++i) {
        graph.SetValueX(i, Sample(i));
        graph.SetValueY(0, i, float(i % 100));
    }
    graph.SetSampleCount(n + 5);  // held within the samples written
    EXPECT_EQ(graph.SampleCount(), n);
    for (int k = 0; k < events; ++k) {
        graph.SetEventX(0, k, Sample(2 * k + 1));
        graph.SetEventFlag(0, k, k == events - 1 ? QStringLiteral("LAST") : QStringLiteral("F"));
    }
    EXPECT_EQ(graph.EventCount(0), events - 1);  // an event's index raises the count to it
    graph.SetEventCount(0, -1);
    EXPECT_EQ(graph.EventCount(0), 0);
    graph.SetEventCount(0, events + 10);  // drawn: the events written
    graph.SetEventVisible(0, true);
    graph.SetEventFlag(1000, n - 1, QStringLiteral("end"));
    graph.SetEventVisible(1000, true);
    EXPECT_EQ(graph.EventX(0, events - 1), Sample(n - 1));
    EXPECT_EQ(graph.EventFlag(1000, n - 1), "end");
    EXPECT_FLOAT_EQ(graph.ValueY(0, n - 1), float((n - 1) % 100));

    // What was never written reads empty; a negative index is outside every table.
    EXPECT_EQ(graph.ValueY(0, n), 0);
    EXPECT_EQ(graph.ValueX(n), rt::ZeroDate());
    EXPECT_FALSE(graph.EventX(0, events).isValid());
    EXPECT_EQ(graph.EventFlag(0, events), "");
    EXPECT_EQ(graph.EventFlag(1000, n), "");
    graph.SetValueY(0, -1, 1);
    graph.SetEventX(0, -1, Sample(1));
    graph.SetEventFlag(0, -1, QStringLiteral("lost"));
    graph.SetEventFlag(1000, -1, QStringLiteral("lost"));
    for (const auto& read : std::vector<std::function<void()>>{
             [&] { graph.ValueY(0, -1); }, [&] { graph.EventX(0, -1); },
             [&] { graph.EventFlag(0, -1); }, [&] { graph.EventFlag(1000, -1); },
             [&] { graph.MinY(5); }, [&] { graph.ValueX(-1); }}) {
        try {
            read();
            ADD_FAILURE() << "a read outside the tables must raise";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), ErrSubscript);
        }
    }

    // The plot reaches the last sample, and every mark is drawn, the last at the right edge.
    Draw();
    EXPECT_EQ(graph.MaxX(), (n - 1) * 60);
    EXPECT_EQ(rec.Texts(QStringLiteral("F")).size(), static_cast<size_t>(events - 1));
    EXPECT_EQ(rec.Texts(QStringLiteral("LAST")).size(), 1u);
    EXPECT_EQ(rec.Texts(QStringLiteral("end")).size(), 1u);
    double rightmost = 0;
    for (const auto& mark : rec.Calls(Kind::Polygon))
        rightmost = std::max(rightmost, mark.points.front().x());
    EXPECT_NEAR(rightmost, Frame().right(), 0.01);
}

TEST_F(Graph, ValueScalesFollowTheData) {
    struct Case {
        float low, high;  // data range; host bounds 0 unless given
        float setMin, setMax;
        float minY, maxY, step;
    };
    const Case cases[] = {
        {-7, 41.7f, 0, 0, -8, 60, 6.8f}, {0, 0, 0, 0, 0, 10, 1},
        {0, 50, 0, 0, 0, 70, 7},         {0, 3.2f, 0, 0, 0, 10, 1},
        {-10, -5, 0, 0, -12, 10, 2.2f},  {-100, -100, 0, 0, -120, -110, 1},
        {0, 500, 0, 100, 0, 100, 10},    {0, 500, -50, 50, -50, 50, 10},
        {0, 3.2f, 10, 10, 10, 10, 0},  // equal bounds: no step, no labels
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high);
        graph.Clear();
        Load(1, 11, [&](int, int i) { return i == 0 ? c.low : (i == 10 ? c.high : c.low); });
        graph.SetMinY(c.setMin);
        graph.SetMaxY(c.setMax);
        Draw();
        EXPECT_FLOAT_EQ(graph.MinY(), c.minY);
        EXPECT_FLOAT_EQ(graph.MaxY(), c.maxY);
        EXPECT_NEAR(graph.PosYStp(), c.step, 1e-5);
        const QString low = rt::Format(c.minY, QStringLiteral("##0.0"));
        const auto labels = rec.Texts(low);
        if (c.step == 0) {
            EXPECT_TRUE(labels.empty());
            continue;
        }
        ASSERT_EQ(labels.size(), 1u);
        const double half = rec.TextHeight(QStringLiteral("00000")) / 2;
        EXPECT_NEAR(labels[0].a.y(), Frame().bottom() - half, 0.01);
        const auto top = rec.Texts(rt::Format(c.maxY, QStringLiteral("##0.0")));
        ASSERT_EQ(top.size(), 1u);
        EXPECT_NEAR(top[0].a.y(), Frame().top() - half, 0.01);
    }
}

TEST_F(Graph, ScaleColumnsSitLeftForTheFirstHalfOfTheSeries) {
    const std::vector<std::vector<bool>> sides = {{false}, {true, false}, {true, true, false}};
    for (const auto& left : sides) {
        graph.Clear();
        Load(static_cast<int>(left.size()), 20, [](int s, int i) { return float(s + i); });
        Draw();
        for (size_t s = 0; s < left.size(); ++s) {
            const auto name = rec.Texts(QStringLiteral("G%1").arg(s + 1));
            ASSERT_EQ(name.size(), 1u);
            EXPECT_EQ(name[0].a.x() < Frame().left(), left[s]) << left.size() << " series";
            EXPECT_EQ(name[0].stroke.Color, graph.ValueColor(static_cast<int>(s)));
        }
    }
    graph.SetSampleVisible(2, false);
    Draw();
    EXPECT_TRUE(rec.Texts(QStringLiteral("G3")).empty());
}

TEST_F(Graph, PlotLeavesRoomForTitlesAndCentresThemOnTheSurface) {
    Load(2, 30, [](int, int i) { return float(i); });
    Draw();
    const double line = rec.TextHeight(QString());
    EXPECT_DOUBLE_EQ(Frame().top(), 120);
    EXPECT_NEAR(Frame().height(), kHeight - rec.TextHeight(QStringLiteral("8")) - line - 120, 0.01);

    graph.SetTitleTop(QStringLiteral("Data Browse (Log) - Interval Trend"));
    graph.SetTitleBottom(QStringLiteral("Sampling Date/Time"));
    Draw();
    EXPECT_NEAR(Frame().top(), line + 120, 0.01);
    EXPECT_NEAR(Frame().height(), kHeight - rec.TextHeight(QStringLiteral("8")) - 3 * line - 120,
                0.01);
    const auto title = rec.Texts(graph.TitleTop());
    ASSERT_EQ(title.size(), 1u);
    EXPECT_NEAR(title[0].a.x() + rec.TextWidth(graph.TitleTop()) / 2, kWidth / 2, 0.01);
    EXPECT_NEAR(title[0].a.y(), Frame().top() - 1.5 * rec.TextHeight(QStringLiteral("8888")), 0.01);
}

TEST_F(Graph, GridBlendsTowardTheBackgroundOrWhiteOnAPrinter) {
    const auto gridColor = [&] {
        for (const auto& call : rec.Calls(Kind::Line))
            if (call.stroke.Style == ui::DrawDashDotDot) return call.stroke.Color;
        return -1;
    };
    Load(1, 30, [](int, int i) { return float(i); });
    Draw();
    EXPECT_EQ(gridColor(), ui::RGB(204, 204, 204));
    rec.SetBackColor(ui::RGB(0, 0, 0));
    Draw();
    EXPECT_EQ(gridColor(), ui::RGB(0, 0, 0));
    ui::RecordingTarget printer(kWidth, kHeight, true);
    printer.SetBackColor(ui::RGB(0, 0, 0));
    DrawOn(printer);
    graph.Refresh();
    int gridLines = 0;
    for (const auto& call : printer.Calls(Kind::Line)) {
        if (call.stroke.Style != ui::DrawDashDotDot) continue;
        ++gridLines;
        EXPECT_EQ(call.stroke.Color, ui::RGB(204, 204, 204));
    }
    EXPECT_GE(gridLines, 9);
}

TEST_F(Graph, TimeAxisLabelsSpreadOutWithoutGridOnTheFrame) {
    Load(1, 101, [](int, int i) { return float(i % 7); });
    Draw();
    const QRectF frame = Frame();
    std::vector<double> labelCentres;
    for (int i = 0; i <= 100; ++i) {
        const QString text = rt::FormatDate(Sample(i), QStringLiteral("hh:nn:ss"));
        for (const auto& call : rec.Texts(text)) {
            EXPECT_DOUBLE_EQ(call.a.y(), frame.bottom() + 80);
            labelCentres.push_back(call.a.x() + rec.TextWidth(text) / 2);
        }
    }
    ASSERT_GE(labelCentres.size(), 2u);
    EXPECT_NEAR(labelCentres.front(), frame.left(), 0.01);  // the first tick carries a label
    const double labelWidth = rec.TextWidth(QStringLiteral("08:00:00"));
    for (size_t k = 1; k < labelCentres.size(); ++k)
        EXPECT_GT(labelCentres[k] - labelCentres[k - 1], labelWidth);
    int vertical = 0, longTicks = 0;
    for (const auto& call : rec.Calls(Kind::Line)) {
        if (call.stroke.Style == ui::DrawDashDotDot && call.a.x() == call.b.x()) {
            ++vertical;
            EXPECT_GT(call.a.x(), frame.left());
            EXPECT_LT(call.a.x(), frame.right());
        }
        if (call.b.y() - call.a.y() == 70) ++longTicks;
    }
    EXPECT_EQ(longTicks, static_cast<int>(labelCentres.size()));
    // The labels at the frame's edges draw no grid line there.
    const bool rightLabelled = std::fabs(labelCentres.back() - frame.right()) < 0.01;
    EXPECT_EQ(vertical, longTicks - 1 - (rightLabelled ? 1 : 0));

    // A plot too narrow to space its ticks gets ticks but no labels, and no division by zero.
    graph.SetDrawWidth(200);
    Draw();
    EXPECT_TRUE(rec.Texts(QStringLiteral("08:00:00")).empty());
    EXPECT_FALSE(rec.Calls(Kind::Line).empty());
}

TEST_F(Graph, EmptyAndSingleSampleGraphsDrawNothingAndDoNotFail) {
    graph.AddSample(QStringLiteral("CH4"));
    Draw();
    EXPECT_TRUE(rec.Calls().empty());
    graph.SetValueX(0, Sample(0));
    graph.SetValueY(0, 0, 5);
    graph.SetSampleCount(1);
    graph.SetZoom(3);
    EXPECT_EQ(graph.Zoom(), 1);
    Draw();
    EXPECT_TRUE(rec.Calls(Kind::Line).empty());
}

}  // namespace
}  // namespace qv::test
