// The drawing rules shared by every surface: current position, text lines and fill state.
#include "DrawTarget.h"

#include <QRegularExpression>
#include <algorithm>

namespace qv::ui {

namespace {

bool HasLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

QStringList TextLines(const QString& text) {
    if (!HasLineBreak(text)) return {text};
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    return text.split(breaks);
}

}  // namespace

void DrawTarget::Line(double x1, double y1, double x2, double y2, std::optional<int32_t> color,
                      LineShape shape) {
    const Stroke stroke = CurrentStroke(color.value_or(foreColor_));
    if (shape == LineShape::Line) {
        PaintLine({x1, y1}, {x2, y2}, stroke);
    } else {
        const Fill fill = shape == LineShape::FilledBox ? Fill{stroke.Color, FillSolid}
                                                        : Fill{fillColor_, fillStyle_};
        PaintBox(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized(), stroke, fill);
    }
    currentX_ = x2;
    currentY_ = y2;
}

void DrawTarget::LineTo(double x2, double y2, std::optional<int32_t> color, LineShape shape) {
    Line(currentX_, currentY_, x2, y2, color, shape);
}

void DrawTarget::Polyline(const QPolygonF& points, std::optional<int32_t> color) {
    if (points.size() < 2) return;
    PaintPolyline(points, CurrentStroke(color.value_or(foreColor_)));
    currentX_ = points.back().x();
    currentY_ = points.back().y();
}

void DrawTarget::PaintPolyline(const QPolygonF& points, const Stroke& stroke) {
    for (qsizetype i = 1; i < points.size(); ++i)
        PaintLine(points[i - 1], points[i], stroke);
}

void DrawTarget::Print(const QString& text, PrintEnd end) {
    // A text of one line (most are, such as a printed table's cells, ended on the same line)
    // is not split, and needs the line height only to go on to the next line.
    double x = currentX_;
    QStringList lines;  // only for a text of several lines
    if (HasLineBreak(text)) {
        lines = TextLines(text);
        const double height = LineHeight(font_);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                x = 0;
                currentY_ += height;
            }
            if (!lines[i].isEmpty()) PaintText({x, currentY_}, lines[i], font_, foreColor_);
        }
    } else if (!text.isEmpty()) {
        PaintText({x, currentY_}, text, font_, foreColor_);
    }
    if (end == PrintEnd::SameLine) {
        currentX_ = x + LineWidth(lines.isEmpty() ? text : lines.back(), font_);
    } else {
        currentX_ = 0;
        currentY_ += LineHeight(font_);
    }
}

double DrawTarget::TextWidth(const QString& text) {
    double widest = 0;
    for (const QString& line : TextLines(text))
        widest = std::max(widest, LineWidth(line, font_));
    return widest;
}

double DrawTarget::TextHeight(const QString& text) {
    return static_cast<double>(TextLines(text).size()) * LineHeight(font_);
}

void DrawTarget::Polygon(const QPolygonF& points) {
    PaintPolygon(points, CurrentStroke(foreColor_), {fillColor_, fillStyle_});
}

void DrawTarget::Cls() {
    PaintClear(backColor_);
    currentX_ = 0;
    currentY_ = 0;
}

void DrawTarget::NewPage() {
    PaintNewPage();
    currentX_ = 0;
    currentY_ = 0;
}

void DrawTarget::EndDoc() {
    PaintEnd();
}

}  // namespace qv::ui
