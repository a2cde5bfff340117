// Mouse buttons and shift keys as the controls' mouse events report them (ButtonsOf and ShiftOf
// give the codes), and the point of a mouse event in twips from a scrolling control's top-left
// corner.
#pragma once

#include "KeyCodes.h"
#include "Twips.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QPointF>

namespace qv::ui {

// The button codes under the names the mouse handlers compare with.
enum MouseButtonCode : int {
    LeftButton = vbLeftButton,
    RightButton = vbRightButton,
    MiddleButton = vbMiddleButton,
};

// A point of the viewport in twips from the control's own corner.
inline QPointF TwipsAt(const QAbstractScrollArea& control, const QPointF& inViewport) {
    const QPointF at = inViewport + control.viewport()->geometry().topLeft();
    return {at.x() * TwipsPerPixelX(), at.y() * TwipsPerPixelY()};
}

// The event's point (given in the viewport) in twips from the control's own corner.
inline QPointF TwipsAt(const QAbstractScrollArea& control, const QMouseEvent& event) {
    return TwipsAt(control, event.position());
}

}  // namespace qv::ui
