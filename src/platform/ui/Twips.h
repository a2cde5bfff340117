// Control geometry in twips (1440 per inch), the unit the pages are laid out in and the settings
// file keeps sizes in, whatever the screen's resolution; and colours in the stored form
// 0x00BBGGRR.
#pragma once

#include <QColor>
#include <cstdint>
#include <limits>

class QWidget;

namespace qv::ui {

// Twips per pixel of the primary screen: 1440 / logical dpi (15 at 96 dpi).
double TwipsPerPixelX();
double TwipsPerPixelY();
int ToPixelsX(double twips);
int ToPixelsY(double twips);

// A control's position and size relative to its parent, in twips.
double Left(const QWidget* w);
double Top(const QWidget* w);
double Width(const QWidget* w);
double Height(const QWidget* w);

// Passed for a value that is to stay as it is.
inline constexpr double Keep = std::numeric_limits<double>::quiet_NaN();

// Places a control; a size below zero becomes zero, so that a layout on a very small window
// never hands the window system a negative size.
void Move(QWidget* w, double left, double top = Keep, double width = Keep, double height = Keep);

// Where a frame's first row of controls goes: `top` twips below the frame's top edge as its
// layout gives it, or lower where the frame's caption and line, in the frame's own font, end
// lower (240 twips hold a caption in the program's usual 9-point font, not a larger font's).
double ContentTop(const QWidget* frame, double top = 240);

// True unless the control itself was hidden. A control inside a hidden frame still counts as
// visible: a page is laid out and filled before its frame is shown.
bool IsShown(const QWidget* w);

// RGB(r, g, b) as the stored Long 0x00BBGGRR.
constexpr int32_t RGB(int r, int g, int b) {
    return static_cast<int32_t>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
QColor ColorFromLong(int32_t value);
int32_t LongFromColor(const QColor& color);

// The back colour of a control (a button's face, a label's or frame's background).
void SetBackColor(QWidget* w, int32_t value);
int32_t BackColor(const QWidget* w);

}  // namespace qv::ui
