// One page of the main window: a frame that owns its controls, sets their captions, lays them
// out within its own size and names the control the keyboard works in when it is shown.
#pragma once

#include <QGroupBox>
#include <functional>

namespace qv::ui {

class PageFrame : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;
    // Captions from the message catalogue; a failure passes to the caller.
    virtual void SetCaptions() = 0;
    // Places the page's controls for the frame's current size (twips rules).
    virtual void LayoutPage() = 0;
    // The control a user works in first, which takes the keyboard focus when the page is shown.
    virtual QWidget* MainControl() const = 0;
    // Gives the keyboard focus to the main control, or, where that cannot take it now (hidden
    // or disabled), to the page's first control that can. Called once the page is shown and
    // laid out.
    void TakeFocus();
    // Runs `fill` with the page hidden, so that nothing half filled is painted, and shows the
    // page again as it was however `fill` ends. Hiding moves the keyboard focus off the page:
    // where the page held it, it comes back to the same control, or to the main control when
    // that one is gone.
    void FillHidden(const std::function<void()>& fill);
    // The main window's layout pass, for procedures that change what the page shows.
    std::function<void()> Form_Resize = [] {};
};

// True when the control can take the keyboard focus within `page` as it is laid out now.
bool CanTakeFocus(const QWidget& page, const QWidget* control);

}  // namespace qv::ui
