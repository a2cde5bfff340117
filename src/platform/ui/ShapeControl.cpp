// Painting of the shape control.
#include "ShapeControl.h"

#include "Twips.h"

#include <QPainter>

namespace qv::ui {

ShapeControl::ShapeControl(QWidget* parent, Shape shape) : QWidget(parent), shape_(shape) {}

void ShapeControl::SetBackColor(int32_t value) {
    backColor_ = value;
    update();
}

void ShapeControl::SetBorderColor(int32_t value) {
    borderColor_ = value;
    update();
}

void ShapeControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ColorFromLong(borderColor_), 1.5));
    painter.setBrush(ColorFromLong(backColor_));
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    if (shape_ == Shape::Circle) {
        const qreal side = std::min(box.width(), box.height());
        painter.drawEllipse(QRectF(box.left(), box.top(), side, side));
    } else {
        painter.drawRect(box);
    }
}

}  // namespace qv::ui
