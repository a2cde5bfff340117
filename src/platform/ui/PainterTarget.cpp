// Painting of the twips surfaces on a QPainter.
#include "PainterTarget.h"

#include "AppError.h"
#include "Twips.h"

namespace qv::ui {

namespace {
constexpr qsizetype kCachedTexts = 512;
}

PainterTarget::~PainterTarget() = default;

void PainterTarget::OpenFailed() {
    throw AppError(ErrInvalidCall, QStringLiteral("The drawing surface cannot be painted on"));
}

QPainter& PainterTarget::Painter() {
    if (!painter_.isActive()) {
        BeforeOpen();
        if (!painter_.begin(Device())) OpenFailed();
        unitsX_ = DeviceUnitsPerTwipX();
        unitsY_ = DeviceUnitsPerTwipY();
        unitsPerPixel_ = DeviceUnitsPerPixel();
        painterStroke_.reset();
        painterFill_.reset();
        painterFont_.reset();
    }
    return painter_;
}

void PainterTarget::Flush() {
    Close();
}

bool PainterTarget::Close() {
    return !painter_.isActive() || painter_.end();
}

QPen PainterTarget::PenFor(const Stroke& stroke) const {
    static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                               Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                               Qt::SolidLine};
    const Qt::PenStyle style = stroke.Style >= 0 && stroke.Style <= DrawInsideSolid
                                   ? kStyles[stroke.Style]
                                   : Qt::SolidLine;
    const double width = std::max(1.0, stroke.Width * unitsPerPixel_);
    // Wide pens end round, as wide lines on the form run-time do; a one-pixel line is drawn
    // as a hairline, which the painter strokes fastest.
    if (width <= 1.0) return QPen(QBrush(ColorFromLong(stroke.Color)), 0, style);
    return QPen(ColorFromLong(stroke.Color), width, style, Qt::RoundCap, Qt::RoundJoin);
}

void PainterTarget::UsePen(const Stroke& stroke) {
    if (painterStroke_ == stroke) return;
    painter_.setPen(PenFor(stroke));
    painterStroke_ = stroke;
}

void PainterTarget::UseBrush(const Fill& fill) {
    if (painterFill_ == fill) return;
    static constexpr Qt::BrushStyle kPatterns[] = {
        Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
        Qt::BDiagPattern, Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    const Qt::BrushStyle pattern =
        fill.Style >= 0 && fill.Style <= FillDiagonalCross ? kPatterns[fill.Style] : Qt::NoBrush;
    painter_.setBrush(QBrush(ColorFromLong(fill.Color), pattern));
    painterFill_ = fill;
}

void PainterTarget::PaintLine(QPointF a, QPointF b, const Stroke& stroke) {
    QPainter& p = Painter();
    UsePen(stroke);
    p.drawLine(ToDevice(a), ToDevice(b));
}

void PainterTarget::PaintPolyline(const QPolygonF& points, const Stroke& stroke) {
    QPainter& p = Painter();
    UsePen(stroke);
    p.drawPolyline(ToDevice(points));
}

const QPolygonF& PainterTarget::ToDevice(const QPolygonF& points) {
    devicePoints_.resize(points.size());
    for (qsizetype i = 0; i < points.size(); ++i)
        devicePoints_[i] = ToDevice(points[i]);
    return devicePoints_;
}

void PainterTarget::PaintBox(const QRectF& box, const Stroke& stroke, const Fill& fill) {
    QPainter& p = Painter();
    UsePen(stroke);
    UseBrush(fill);
    p.drawRect(QRectF(ToDevice(box.topLeft()), ToDevice(box.bottomRight())));
}

void PainterTarget::PaintPolygon(const QPolygonF& points, const Stroke& stroke, const Fill& fill) {
    QPainter& p = Painter();
    UsePen(stroke);
    UseBrush(fill);
    p.drawPolygon(ToDevice(points));
}

void PainterTarget::PaintText(QPointF topLeft, const QString& line, const QFont& font,
                              int32_t color) {
    QPainter& p = Painter();
    if (painterFont_ != font) {
        p.setFont(font);
        painterFont_ = font;
    }
    // Text takes only the pen's colour: a hairline pen of that colour often is the one in use.
    UsePen(Stroke{color, 1, DrawSolid});
    FontCache& cache = Cache(font);
    QHash<QString, QStaticText>& layouts = cache.layouts;
    if (layouts.size() > kCachedTexts) layouts.clear();
    auto text = layouts.find(line);
    if (text == layouts.end()) {
        if (!cache.seenOnce.contains(line)) {
            if (cache.seenOnce.size() > kCachedTexts) cache.seenOnce.clear();
            cache.seenOnce.insert(line);
            // drawText places the baseline: one ascent below the top of the line.
            const QPointF top = ToDevice(topLeft);
            p.drawText(QPointF(top.x(), top.y() + cache.metrics.ascent()), line);
            return;
        }
        cache.seenOnce.remove(line);
        QStaticText layout(line);
        layout.setTextFormat(Qt::PlainText);
        layout.prepare(p.transform(), p.font());
        text = layouts.insert(line, layout);
    }
    // A laid-out text is placed by the top of its line, as the surface's rule wants.
    p.drawStaticText(ToDevice(topLeft), *text);
}

PainterTarget::FontCache& PainterTarget::Cache(const QFont& font) {
    QPaintDevice* device = Device();
    const QSize dpi(device->logicalDpiX(), device->logicalDpiY());
    if (dpi != cachedDpi_) {
        fonts_.clear();
        cachedDpi_ = dpi;
    }
    for (auto it = fonts_.rbegin(); it != fonts_.rend(); ++it)
        if (it->font == font) return *it;
    if (fonts_.size() >= 4) fonts_.erase(fonts_.begin());
    const QFontMetricsF metrics(font, device);
    fonts_.push_back({font, metrics, metrics.height() / DeviceUnitsPerTwipY(), {}, {}, {}});
    return fonts_.back();
}

double PainterTarget::LineWidth(const QString& line, const QFont& font) {
    FontCache& cache = Cache(font);
    if (cache.widths.size() > kCachedTexts) cache.widths.clear();
    auto width = cache.widths.find(line);
    if (width == cache.widths.end())
        width = cache.widths.insert(line,
                                    cache.metrics.horizontalAdvance(line) / DeviceUnitsPerTwipX());
    return *width;
}

double PainterTarget::LineHeight(const QFont& font) {
    return Cache(font).lineHeight;
}

}  // namespace qv::ui
