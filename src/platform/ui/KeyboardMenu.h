// Pop-up menus from the keyboard. The Menu key reaches the focused control as a keyboard
// context-menu event from the window system; Shift+F10 is turned into the same event. A control
// with pop-up menus answers it as a right press on its current item, and the menu opens at that
// item rather than at the mouse.
#pragma once

#include <QPoint>
#include <Qt>
#include <optional>

class QAction;
class QKeyEvent;
class QMenu;
class QWidget;

namespace qv::ui {

// True for Shift+F10, which asks for the focused control's pop-up menu as the Menu key does.
bool AsksForMenu(const QKeyEvent& event);
// Sends the widget the keyboard context-menu event the Menu key gives, with the keys held
// besides the one that asked (the Shift of Shift+F10 is part of that key).
void SendMenuRequest(QWidget& widget, const QKeyEvent& asking);

// Where a pop-up menu opens (global): at the mouse, or, while a control answers a keyboard
// request, at the item the request is for.
QPoint MenuPlace();
// Shows a pop-up menu through the dialogs service at MenuPlace(); the entry chosen or nullptr.
QAction* PopupMenu(QMenu& menu);

// While it lives, pop-up menus open at `place`: a control answering a keyboard request holds
// one around the mouse event it raises for it.
class MenuPlaceScope {
  public:
    explicit MenuPlaceScope(const QPoint& place);
    ~MenuPlaceScope();
    MenuPlaceScope(const MenuPlaceScope&) = delete;
    MenuPlaceScope& operator=(const MenuPlaceScope&) = delete;

  private:
    std::optional<QPoint> previous_;
};

}  // namespace qv::ui
