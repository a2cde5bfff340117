// Translation of Qt's key and mouse values to the form run-time's codes.
#include "KeyCodes.h"

#include <QKeyEvent>
#include <array>
#include <utility>

namespace qv::ui {

int KeyCodeOf(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;  // Qt uses the upper-case character codes as well
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F16) return vbKeyF1 + (qtKey - Qt::Key_F1);
    static constexpr std::array<std::pair<int, int>, 19> kKeys{{
        {Qt::Key_Backspace, vbKeyBack},
        {Qt::Key_Tab, vbKeyTab},
        {Qt::Key_Return, vbKeyReturn},
        {Qt::Key_Enter, vbKeyReturn},
        {Qt::Key_Shift, vbKeyShift},
        {Qt::Key_Control, vbKeyControl},
        {Qt::Key_Alt, vbKeyMenu},
        {Qt::Key_Escape, vbKeyEscape},
        {Qt::Key_Space, vbKeySpace},
        {Qt::Key_PageUp, vbKeyPageUp},
        {Qt::Key_PageDown, vbKeyPageDown},
        {Qt::Key_End, vbKeyEnd},
        {Qt::Key_Home, vbKeyHome},
        {Qt::Key_Left, vbKeyLeft},
        {Qt::Key_Up, vbKeyUp},
        {Qt::Key_Right, vbKeyRight},
        {Qt::Key_Down, vbKeyDown},
        {Qt::Key_Insert, vbKeyInsert},
        {Qt::Key_Delete, vbKeyDelete},
    }};
    for (const auto& [qt, code] : kKeys)
        if (qt == qtKey) return code;
    return 0;
}

int TypedCharacter(const QKeyEvent& event) {
    const QString typed = event.text();
    if (typed.size() != 1 || !typed.front().isPrint() ||
        event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return 0;
    return typed.front().unicode();
}

int ShiftOf(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? vbShiftMask : 0) |
           (modifiers & Qt::ControlModifier ? vbCtrlMask : 0) |
           (modifiers & Qt::AltModifier ? vbAltMask : 0);
}

int ButtonsOf(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? vbLeftButton : 0) |
           (buttons & Qt::RightButton ? vbRightButton : 0) |
           (buttons & Qt::MiddleButton ? vbMiddleButton : 0);
}

}  // namespace qv::ui
