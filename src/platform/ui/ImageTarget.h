// A twips surface on an image in memory, at the screen's twips per pixel: the graph's picture
// for the clipboard and bitmap files, and the retained picture of a canvas control.
#pragma once

#include "PainterTarget.h"

#include <QImage>

namespace qv::ui {

class ImageTarget : public PainterTarget {
  public:
    // An image of `pixels` (logical pixels; `pixelRatio` device pixels each), filled with the
    // back colour.
    explicit ImageTarget(QSize pixels = QSize(1, 1), qreal pixelRatio = 1.0);
    ~ImageTarget() override;

    // A new size clears the picture.
    void Resize(QSize pixels, qreal pixelRatio = 1.0);
    QSize PixelSize() const { return pixels_; }
    // The picture with everything drawn so far.
    const QImage& Image();

    double ScaleWidth() const override;
    double ScaleHeight() const override;

  protected:
    QPaintDevice* Device() override { return &image_; }
    double DeviceUnitsPerTwipX() const override;
    double DeviceUnitsPerTwipY() const override;
    void PaintClear(int32_t backColor) override;

  private:
    QSize pixels_;
    QImage image_;
};

}  // namespace qv::ui
