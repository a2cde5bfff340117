// The picture-box control and its retained picture.
#include "CanvasWidget.h"

#include "Twips.h"

#include <QPaintEvent>
#include <QPainter>

namespace qv::ui {

CanvasWidget::CanvasWidget(QWidget* parent) : QWidget(parent), target_(*this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    target_.Follow();
}

QImage CanvasWidget::Picture() {
    return target_.Image();
}

void CanvasWidget::SetBackColor(int32_t color) {
    target_.SetBackColor(color);
    update();
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
    const QImage& picture = target_.Image();
    QPainter painter(this);
    // A control grown since its last drawing shows its back colour beyond the picture.
    painter.fillRect(event->rect(), ColorFromLong(target_.BackColor()));
    painter.drawImage(QPointF(0, 0), picture);
}

double CanvasWidget::Surface::ScaleWidth() const {
    return owner_.width() * TwipsPerPixelX();
}

double CanvasWidget::Surface::ScaleHeight() const {
    return owner_.height() * TwipsPerPixelY();
}

void CanvasWidget::Surface::Follow() {
    const qreal ratio = owner_.devicePixelRatioF();
    if (PixelSize() != owner_.size().expandedTo(QSize(1, 1)) || Image().devicePixelRatio() != ratio)
        Resize(owner_.size(), ratio);
}

void CanvasWidget::Surface::BeforeOpen() {
    Follow();
    owner_.update();
}

void CanvasWidget::Surface::PaintClear(int32_t backColor) {
    Follow();
    ImageTarget::PaintClear(backColor);
    owner_.update();
}

}  // namespace qv::ui
