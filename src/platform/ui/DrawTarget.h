// A drawing surface measured in twips (1440 per inch) with the picture-box and printer rules
// that the graph and the printed reports are written in: a current position that Print and Line
// move, text placed by its top-left corner, and line widths counted in device pixels.
#pragma once

#include <QFont>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <optional>

namespace qv::ui {

// DrawStyle codes.
enum DrawStyleCode : int {
    DrawSolid = 0,
    DrawDash = 1,
    DrawDot = 2,
    DrawDashDot = 3,
    DrawDashDotDot = 4,
    DrawInvisible = 5,
    DrawInsideSolid = 6,
};

// FillStyle codes: 0 solid, 1 transparent, 2 to 7 hatches.
enum FillStyleCode : int {
    FillSolid = 0,
    FillTransparent = 1,
    FillHorizontal = 2,
    FillVertical = 3,
    FillUpwardDiagonal = 4,
    FillDownwardDiagonal = 5,
    FillCross = 6,
    FillDiagonalCross = 7,
};

// Line: a line; Box: the outline of the rectangle of the two corners, filled by FillStyle and
// FillColor; FilledBox: the rectangle filled with the line's own colour.
enum class LineShape { Line, Box, FilledBox };

// Where Print leaves the position: at the start of the next line, or after the text on the same
// line (a Print ending in ";").
enum class PrintEnd { NewLine, SameLine };

// The pen and brush of one drawing call, as the state gave them when it was made.
struct Stroke {
    int32_t Color = 0;  // 0x00BBGGRR
    int Width = 1;      // DrawWidth
    int Style = DrawSolid;
    bool operator==(const Stroke&) const = default;
};
struct Fill {
    int32_t Color = 0;
    int Style = FillTransparent;
    bool operator==(const Fill&) const = default;
};

class DrawTarget {
  public:
    virtual ~DrawTarget() = default;
    DrawTarget(const DrawTarget&) = delete;
    DrawTarget& operator=(const DrawTarget&) = delete;

    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void SetCurrentX(double twips) { currentX_ = twips; }
    void SetCurrentY(double twips) { currentY_ = twips; }

    int32_t ForeColor() const { return foreColor_; }
    void SetForeColor(int32_t color) { foreColor_ = color; }
    int32_t BackColor() const { return backColor_; }
    void SetBackColor(int32_t color) { backColor_ = color; }
    int32_t FillColor() const { return fillColor_; }
    void SetFillColor(int32_t color) { fillColor_ = color; }
    int FillStyle() const { return fillStyle_; }
    void SetFillStyle(int style) { fillStyle_ = style; }
    // Pen width in pixels of the device (at least 1); a printer counts them as described by
    // its back-end so that printed lines keep a visible width.
    int DrawWidth() const { return drawWidth_; }
    void SetDrawWidth(int pixels) { drawWidth_ = pixels < 1 ? 1 : pixels; }
    int DrawStyle() const { return drawStyle_; }
    void SetDrawStyle(int style) { drawStyle_ = style; }
    const QFont& Font() const { return font_; }
    void SetFont(const QFont& font) { font_ = font; }

    // The drawable area (a printer's printable area) and the whole surface (a printer's
    // sheet), in twips.
    virtual double ScaleWidth() const = 0;
    virtual double ScaleHeight() const = 0;
    virtual double Width() const { return ScaleWidth(); }
    virtual double Height() const { return ScaleHeight(); }
    virtual bool IsPrinter() const { return false; }

    // Draws from (x1, y1) to (x2, y2) in `color` (the fore colour when none is given) and
    // leaves the current position at (x2, y2). LineTo starts at the current position.
    void Line(double x1, double y1, double x2, double y2, std::optional<int32_t> color = {},
              LineShape shape = LineShape::Line);
    void LineTo(double x2, double y2, std::optional<int32_t> color = {},
                LineShape shape = LineShape::Line);
    // The lines from each point to the next, as Line draws them one by one (a surface may draw
    // them in one stroke); the position is left at the last point.
    void Polyline(const QPolygonF& points, std::optional<int32_t> color = {});
    // Draws text with its top-left corner at the current position in the fore colour. A line
    // break in the text starts the next line at the left edge. Afterwards the position is at
    // the left edge of the next line, or after the text for PrintEnd::SameLine.
    void Print(const QString& text, PrintEnd end = PrintEnd::NewLine);
    // Size of a text in the current font on this surface's own device; several lines count
    // their widest line and every line's height. An empty text is one line high.
    double TextWidth(const QString& text);
    double TextHeight(const QString& text);
    // A closed figure: outlined with the pen, filled by FillStyle and FillColor.
    void Polygon(const QPolygonF& points);
    // Clears the surface to the back colour and puts the position at 0, 0.
    void Cls();
    // A printer starts a new sheet; other surfaces ignore it. The position goes to 0, 0.
    void NewPage();
    // A printer ends its document (a failure raises); other surfaces show what was drawn.
    void EndDoc();

  protected:
    DrawTarget() = default;

    // What a back-end provides; every length is in twips.
    virtual void PaintLine(QPointF a, QPointF b, const Stroke& stroke) = 0;
    virtual void PaintPolyline(const QPolygonF& points, const Stroke& stroke);
    virtual void PaintBox(const QRectF& box, const Stroke& stroke, const Fill& fill) = 0;
    virtual void PaintPolygon(const QPolygonF& points, const Stroke& stroke, const Fill& fill) = 0;
    virtual void PaintText(QPointF topLeft, const QString& line, const QFont& font,
                           int32_t color) = 0;
    virtual double LineWidth(const QString& line, const QFont& font) = 0;
    virtual double LineHeight(const QFont& font) = 0;
    virtual void PaintClear(int32_t backColor) = 0;
    virtual void PaintNewPage() {}
    virtual void PaintEnd() {}

  private:
    friend class RecordingTarget;
    Stroke CurrentStroke(int32_t color) const { return {color, drawWidth_, drawStyle_}; }

    double currentX_ = 0;
    double currentY_ = 0;
    int32_t foreColor_ = 0;
    int32_t backColor_ = 0xFFFFFF;
    int32_t fillColor_ = 0;
    int fillStyle_ = FillTransparent;
    int drawWidth_ = 1;
    int drawStyle_ = DrawSolid;
    QFont font_;
};

}  // namespace qv::ui
