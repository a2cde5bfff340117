// The recording twips surface.
#include "RecordingTarget.h"

#include "Twips.h"

#include <QFontMetricsF>

namespace qv::ui {

RecordingTarget::RecordingTarget(double scaleWidth, double scaleHeight, bool printer)
    : scaleWidth_(scaleWidth), scaleHeight_(scaleHeight), printer_(printer) {}

RecordingTarget::RecordingTarget(DrawTarget& inner) : inner_(&inner) {
    SetFont(inner.Font());
    SetBackColor(inner.BackColor());
}

double RecordingTarget::ScaleWidth() const {
    return inner_ ? inner_->ScaleWidth() : scaleWidth_;
}
double RecordingTarget::ScaleHeight() const {
    return inner_ ? inner_->ScaleHeight() : scaleHeight_;
}
double RecordingTarget::Width() const {
    return inner_ ? inner_->Width() : scaleWidth_;
}
double RecordingTarget::Height() const {
    return inner_ ? inner_->Height() : scaleHeight_;
}
bool RecordingTarget::IsPrinter() const {
    return inner_ ? inner_->IsPrinter() : printer_;
}

std::vector<DrawCall> RecordingTarget::Calls(DrawCall::Kind kind) const {
    std::vector<DrawCall> out;
    for (const DrawCall& call : calls_)
        if (call.kind == kind) out.push_back(call);
    return out;
}

std::vector<DrawCall> RecordingTarget::Texts(const QString& text) const {
    std::vector<DrawCall> out;
    for (const DrawCall& call : calls_)
        if (call.kind == DrawCall::Kind::Text && call.text == text) out.push_back(call);
    return out;
}

void RecordingTarget::PaintLine(QPointF a, QPointF b, const Stroke& stroke) {
    calls_.push_back({DrawCall::Kind::Line, a, b, {}, {}, stroke, {}, {}});
    if (inner_) inner_->PaintLine(a, b, stroke);
}

void RecordingTarget::PaintBox(const QRectF& box, const Stroke& stroke, const Fill& fill) {
    calls_.push_back(
        {DrawCall::Kind::Box, box.topLeft(), box.bottomRight(), {}, {}, stroke, fill, {}});
    if (inner_) inner_->PaintBox(box, stroke, fill);
}

void RecordingTarget::PaintPolygon(const QPolygonF& points, const Stroke& stroke,
                                   const Fill& fill) {
    calls_.push_back({DrawCall::Kind::Polygon, {}, {}, points, {}, stroke, fill, {}});
    if (inner_) inner_->PaintPolygon(points, stroke, fill);
}

void RecordingTarget::PaintText(QPointF topLeft, const QString& line, const QFont& font,
                                int32_t color) {
    calls_.push_back(
        {DrawCall::Kind::Text, topLeft, {}, {}, line, Stroke{color, 1, DrawSolid}, {}, font});
    if (inner_) inner_->PaintText(topLeft, line, font, color);
}

double RecordingTarget::LineWidth(const QString& line, const QFont& font) {
    if (inner_) return inner_->LineWidth(line, font);
    return QFontMetricsF(font).horizontalAdvance(line) * TwipsPerPixelX();
}

double RecordingTarget::LineHeight(const QFont& font) {
    if (inner_) return inner_->LineHeight(font);
    return QFontMetricsF(font).height() * TwipsPerPixelY();
}

void RecordingTarget::PaintClear(int32_t backColor) {
    calls_.push_back(
        {DrawCall::Kind::Clear, {}, {}, {}, {}, Stroke{backColor, 1, DrawSolid}, {}, {}});
    if (inner_) inner_->PaintClear(backColor);
}

void RecordingTarget::PaintNewPage() {
    calls_.push_back({DrawCall::Kind::NewPage, {}, {}, {}, {}, {}, {}, {}});
    if (inner_) inner_->PaintNewPage();
}

void RecordingTarget::PaintEnd() {
    calls_.push_back({DrawCall::Kind::EndDoc, {}, {}, {}, {}, {}, {}, {}});
    if (inner_) inner_->PaintEnd();
}

}  // namespace qv::ui
