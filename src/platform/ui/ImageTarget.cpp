// The twips surface on an image in memory.
#include "ImageTarget.h"

#include "Twips.h"

#include <cmath>

namespace qv::ui {

ImageTarget::ImageTarget(QSize pixels, qreal pixelRatio) {
    Resize(pixels, pixelRatio);
}

ImageTarget::~ImageTarget() {
    Flush();
}

void ImageTarget::Resize(QSize pixels, qreal pixelRatio) {
    Flush();
    pixels_ = pixels.expandedTo(QSize(1, 1));
    image_ = QImage(pixels_ * pixelRatio, QImage::Format_RGB32);
    image_.setDevicePixelRatio(pixelRatio);
    // Text is measured and drawn at the screen's resolution, so the picture matches the control.
    image_.setDotsPerMeterX(static_cast<int>(std::lround(1440.0 / TwipsPerPixelX() / 0.0254)));
    image_.setDotsPerMeterY(static_cast<int>(std::lround(1440.0 / TwipsPerPixelY() / 0.0254)));
    image_.fill(ColorFromLong(BackColor()));
}

const QImage& ImageTarget::Image() {
    Flush();
    return image_;
}

double ImageTarget::ScaleWidth() const {
    return pixels_.width() * TwipsPerPixelX();
}

double ImageTarget::ScaleHeight() const {
    return pixels_.height() * TwipsPerPixelY();
}

double ImageTarget::DeviceUnitsPerTwipX() const {
    return 1.0 / TwipsPerPixelX();
}

double ImageTarget::DeviceUnitsPerTwipY() const {
    return 1.0 / TwipsPerPixelY();
}

void ImageTarget::PaintClear(int32_t backColor) {
    Flush();
    image_.fill(ColorFromLong(backColor));
}

}  // namespace qv::ui
