// A trend graph drawing on a recording surface, with samples one minute apart.
#pragma once

#include "RecordingTarget.h"
#include "Twips.h"
#include "uclVtmGraph.h"

#include "Dates.h"
#include "KeyCodes.h"
#include "Runtime.h"

#include <gtest/gtest.h>

#include <functional>

namespace qv::test {

using Kind = ui::DrawCall::Kind;

class GraphRig : public ::testing::Test {
  protected:
    static constexpr double kWidth = 12000;
    static constexpr double kHeight = 6000;

    uclVtmGraph graph;
    ui::RecordingTarget rec{kWidth, kHeight};
    const QDateTime start = rt::MakeDate(2024, 5, 1, 8, 0, 0);

    void SetUp() override { DrawOn(rec); }

    void DrawOn(ui::DrawTarget& target) {
        graph.SetDrawObj(&target);
        graph.SetDrawLeft(0);
        graph.SetDrawTop(0);
        graph.SetDrawWidth(static_cast<float>(kWidth));
        graph.SetDrawHeight(static_cast<float>(kHeight));
    }

    // `series` series of `n` samples; series s at sample i holds value(s, i).
    void Load(int series, int n, const std::function<float(int, int)>& value,
              const QString& format = QStringLiteral("##0.0")) {
        static const int32_t colors[] = {ui::RGB(0, 0, 255), ui::RGB(0, 160, 0),
                                         ui::RGB(128, 64, 64), ui::RGB(128, 0, 255)};
        for (int s = 0; s < series; ++s)
            graph.AddSample(QStringLiteral("G%1").arg(s + 1), colors[s % 4], format);
        for (int i = 0; i < n; ++i) {
            graph.SetValueX(i, Sample(i));
            for (int s = 0; s < series; ++s)
                graph.SetValueY(s, i, value(s, i));
        }
        graph.SetSampleCount(n);
    }

    QDateTime Sample(int i) const { return start.addSecs(60LL * i); }

    void Draw() {
        rec.Forget();
        graph.Refresh();
    }

    // The plot's frame: the first box drawn.
    QRectF Frame() const {
        const auto boxes = rec.Calls(Kind::Box);
        return boxes.empty() ? QRectF() : QRectF(boxes.front().a, boxes.front().b);
    }
};

}  // namespace qv::test
