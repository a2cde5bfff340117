// The keyboard's requests for pop-up menus and the place the menus open at.
#include "KeyboardMenu.h"

#include "UserDialogs.h"

#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QWidget>

namespace qv::ui {

namespace {

// Set while a control answers a keyboard request.
std::optional<QPoint> keyboardPlace;

}  // namespace

bool AsksForMenu(const QKeyEvent& event) {
    return event.key() == Qt::Key_F10 &&
           (event.modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
}

void SendMenuRequest(QWidget& widget, const QKeyEvent& asking) {
    const Qt::KeyboardModifiers held = asking.modifiers() & ~Qt::ShiftModifier;
    // The point is the control's to choose: it opens the menu at its current item.
    const QPoint at = widget.rect().center();
    QContextMenuEvent request(QContextMenuEvent::Keyboard, at, widget.mapToGlobal(at), held);
    QCoreApplication::sendEvent(&widget, &request);
}

QPoint MenuPlace() {
    return keyboardPlace.value_or(QCursor::pos());
}

QAction* PopupMenu(QMenu& menu) {
    return Dialogs().PopupMenu(menu, MenuPlace());
}

MenuPlaceScope::MenuPlaceScope(const QPoint& place) : previous_(keyboardPlace) {
    keyboardPlace = place;
}

MenuPlaceScope::~MenuPlaceScope() {
    keyboardPlace = previous_;
}

}  // namespace qv::ui
