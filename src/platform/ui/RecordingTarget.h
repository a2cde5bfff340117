// A twips surface that keeps every drawing call with its position in twips and the pen, fill,
// font and colour it was made with: the oracle of drawing tests. On its own it measures text as
// the screen does; wrapped around another surface it passes every call on and measures there.
#pragma once

#include "DrawTarget.h"

#include <vector>

namespace qv::ui {

struct DrawCall {
    enum class Kind { Line, Box, Polygon, Text, Clear, NewPage, EndDoc };
    Kind kind = Kind::Line;
    QPointF a;  // line start, box corner, text top-left
    QPointF b;  // line end, opposite box corner
    QPolygonF points;
    QString text;
    Stroke stroke;  // text: Color only
    Fill fill;
    QFont font;
};

class RecordingTarget : public DrawTarget {
  public:
    RecordingTarget(double scaleWidth, double scaleHeight, bool printer = false);
    explicit RecordingTarget(DrawTarget& inner);

    double ScaleWidth() const override;
    double ScaleHeight() const override;
    double Width() const override;
    double Height() const override;
    bool IsPrinter() const override;

    const std::vector<DrawCall>& Calls() const { return calls_; }
    std::vector<DrawCall> Calls(DrawCall::Kind kind) const;
    // The text calls whose text is exactly `text`.
    std::vector<DrawCall> Texts(const QString& text) const;
    void Forget() { calls_.clear(); }

  protected:
    void PaintLine(QPointF a, QPointF b, const Stroke& stroke) override;
    void PaintBox(const QRectF& box, const Stroke& stroke, const Fill& fill) override;
    void PaintPolygon(const QPolygonF& points, const Stroke& stroke, const Fill& fill) override;
    void PaintText(QPointF topLeft, const QString& line, const QFont& font, int32_t color) override;
    double LineWidth(const QString& line, const QFont& font) override;
    double LineHeight(const QFont& font) override;
    void PaintClear(int32_t backColor) override;
    void PaintNewPage() override;
    void PaintEnd() override;

  private:
    DrawTarget* inner_ = nullptr;
    double scaleWidth_ = 0;
    double scaleHeight_ = 0;
    bool printer_ = false;
    std::vector<DrawCall> calls_;
};

}  // namespace qv::ui
