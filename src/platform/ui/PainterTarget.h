// The drawing surfaces that paint through a QPainter on a device (an image, a control's picture,
// a printer): twips mapped to device units, text placed by its top-left corner on the device's
// own font metrics.
#pragma once

#include "DrawTarget.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QSet>
#include <QStaticText>
#include <optional>
#include <vector>

class QPaintDevice;

namespace qv::ui {

class PainterTarget : public DrawTarget {
  public:
    ~PainterTarget() override;
    // Puts everything drawn so far on the device and closes the painter; the next drawing call
    // opens it again. On a printer, closing the painter ends the document.
    void Flush();

  protected:
    PainterTarget() = default;

    virtual QPaintDevice* Device() = 0;
    // Device units per twip, and device units per unit of DrawWidth.
    virtual double DeviceUnitsPerTwipX() const = 0;
    virtual double DeviceUnitsPerTwipY() const = 0;
    virtual double DeviceUnitsPerPixel() const { return 1.0; }
    // Called before the painter opens; a back-end that cannot open raises from OpenFailed.
    virtual void BeforeOpen() {}
    [[noreturn]] virtual void OpenFailed();
    bool IsOpen() const { return painter_.isActive(); }
    QPainter& Painter();
    // Closes the painter; false when the device reports a failure.
    bool Close();

    void PaintLine(QPointF a, QPointF b, const Stroke& stroke) override;
    void PaintPolyline(const QPolygonF& points, const Stroke& stroke) override;
    void PaintBox(const QRectF& box, const Stroke& stroke, const Fill& fill) override;
    void PaintPolygon(const QPolygonF& points, const Stroke& stroke, const Fill& fill) override;
    void PaintText(QPointF topLeft, const QString& line, const QFont& font, int32_t color) override;
    double LineWidth(const QString& line, const QFont& font) override;
    double LineHeight(const QFont& font) override;

  private:
    QPointF ToDevice(QPointF twips) const { return {twips.x() * unitsX_, twips.y() * unitsY_}; }
    // The points in device units, in a buffer kept for the next call.
    const QPolygonF& ToDevice(const QPolygonF& points);
    QPen PenFor(const Stroke& stroke) const;
    void UsePen(const Stroke& stroke);
    void UseBrush(const Fill& fill);
    // Metrics, line height, widths and laid-out texts of the fonts in use: event words and axis
    // labels repeat on every drawing, in two or three fonts. An entry holds for the device's
    // resolution it was made at.
    struct FontCache {
        QFont font;
        QFontMetricsF metrics;
        double lineHeight = 0;          // twips
        QHash<QString, double> widths;  // twips
        QHash<QString, QStaticText> layouts;
        // Texts drawn once so far: laying out a text pays only when it comes again (row dates
        // of a printed table never do).
        QSet<QString> seenOnce;
    };
    FontCache& Cache(const QFont& font);

    QPainter painter_;
    double unitsX_ = 1;
    double unitsY_ = 1;
    double unitsPerPixel_ = 1;
    QPolygonF devicePoints_;
    std::optional<Stroke> painterStroke_;
    std::optional<Fill> painterFill_;
    std::optional<QFont> painterFont_;
    std::vector<FontCache> fonts_;  // the most recently added last
    QSize cachedDpi_;
};

}  // namespace qv::ui
