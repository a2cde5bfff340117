// Mouse buttons and shift keys as the controls' mouse events report them, and the point of a
// mouse event in twips from a scrolling control's top-left corner.
#pragma once

#include "Twips.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QPointF>

namespace qv::ui {

enum MouseButtonCode : int { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
enum ShiftCode : int { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

inline int ButtonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return LeftButton;
        case Qt::RightButton:
            return RightButton;
        case Qt::MiddleButton:
            return MiddleButton;
        default:
            return 0;
    }
}

inline int ShiftCodeOf(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? ShiftMask : 0) |
           (modifiers & Qt::ControlModifier ? CtrlMask : 0) |
           (modifiers & Qt::AltModifier ? AltMask : 0);
}

// The event's point (given in the viewport) in twips from the control's own corner.
inline QPointF TwipsAt(const QAbstractScrollArea& control, const QMouseEvent& event) {
    const QPointF at = event.position() + control.viewport()->geometry().topLeft();
    return {at.x() * TwipsPerPixelX(), at.y() * TwipsPerPixelY()};
}

}  // namespace qv::ui
