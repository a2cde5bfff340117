// Key codes, shift states and mouse buttons as the form run-time's key and mouse events carry
// them, from Qt's events.
#pragma once

#include <Qt>

class QKeyEvent;

namespace qv::ui {

enum KeyCode : int {
    vbKeyBack = 8,
    vbKeyTab = 9,
    vbKeyReturn = 13,
    vbKeyShift = 16,
    vbKeyControl = 17,
    vbKeyMenu = 18,
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyPageUp = 33,
    vbKeyPageDown = 34,
    vbKeyEnd = 35,
    vbKeyHome = 36,
    vbKeyLeft = 37,
    vbKeyUp = 38,
    vbKeyRight = 39,
    vbKeyDown = 40,
    vbKeyInsert = 45,
    vbKeyDelete = 46,
    vbKeyF1 = 112,
};

// Shift argument bits.
enum ShiftMask : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };
// Button argument bits.
enum ButtonMask : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };

// The key code of a Qt key: letters and digits their upper-case character, the keys above by
// their codes; 0 for a key without one.
int KeyCodeOf(int qtKey);
// The character a key press types, for a key filter: one printable character typed without Ctrl
// or Meta. 0 for every other key: the editing keys (Qt hands Delete over as "\x7f"), the Ctrl
// shortcuts of the clipboard and the focus moves work as they always do.
int TypedCharacter(const QKeyEvent& event);
int ShiftOf(Qt::KeyboardModifiers modifiers);
int ButtonsOf(Qt::MouseButtons buttons);

}  // namespace qv::ui
