// Twips geometry and stored colours of controls.
#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace qv::ui {

namespace {

double TwipsPerPixel(bool horizontal) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi =
        screen ? (horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY())
               : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

int Pixels(double twips, double perPixel) {
    return static_cast<int>(std::lround(twips / perPixel));
}

const char* const kBackColor = "qvBackColor";

}  // namespace

double TwipsPerPixelX() {
    return TwipsPerPixel(true);
}
double TwipsPerPixelY() {
    return TwipsPerPixel(false);
}
int ToPixelsX(double twips) {
    return Pixels(twips, TwipsPerPixelX());
}
int ToPixelsY(double twips) {
    return Pixels(twips, TwipsPerPixelY());
}

double Left(const QWidget* w) {
    return w->x() * TwipsPerPixelX();
}
double Top(const QWidget* w) {
    return w->y() * TwipsPerPixelY();
}
double Width(const QWidget* w) {
    return w->width() * TwipsPerPixelX();
}
double Height(const QWidget* w) {
    return w->height() * TwipsPerPixelY();
}

void Move(QWidget* w, double left, double top, double width, double height) {
    const QRect old = w->geometry();
    const int x = std::isnan(left) ? old.x() : ToPixelsX(left);
    const int y = std::isnan(top) ? old.y() : ToPixelsY(top);
    const int cx = std::isnan(width) ? old.width() : std::max(0, ToPixelsX(width));
    const int cy = std::isnan(height) ? old.height() : std::max(0, ToPixelsY(height));
    w->setGeometry(x, y, cx, cy);
}

double ContentTop(const QWidget* frame, double top) {
    // A frame's contents start below its caption: Qt keeps that as the top contents margin.
    return std::max(top, frame->contentsRect().top() * TwipsPerPixelY());
}

bool IsShown(const QWidget* w) {
    return !w->isHidden();
}

QColor ColorFromLong(int32_t value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int32_t LongFromColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}

void SetBackColor(QWidget* w, int32_t value) {
    QPalette palette = w->palette();
    const QColor color = ColorFromLong(value);
    palette.setColor(QPalette::Button, color);
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Base, color);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
    w->setProperty(kBackColor, value);
}

int32_t BackColor(const QWidget* w) {
    const QVariant stored = w->property(kBackColor);
    if (stored.isValid()) return stored.toInt();
    return LongFromColor(w->palette().color(QPalette::Button));
}

}  // namespace qv::ui
