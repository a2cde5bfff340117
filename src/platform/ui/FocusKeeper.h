// Disabling or hiding a control moves the keyboard focus away from it, to the next control
// that takes it, often a page button of the main window. While a FocusKeeper lives, the
// control that held the window's focus gets it back at the end, when it can take it again, so
// that a page is worked with the keyboard alone.
#pragma once

#include <QPointer>
#include <QWidget>

namespace qv::ui {

class FocusKeeper {
  public:
    explicit FocusKeeper(const QWidget& anyInWindow)
        : window_(anyInWindow.window()), held_(window_->focusWidget()) {}
    ~FocusKeeper() {
        if (window_ && held_ && held_->isEnabled() && held_->isVisibleTo(window_) &&
            window_->focusWidget() != held_)
            held_->setFocus(Qt::OtherFocusReason);
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

  private:
    QPointer<QWidget> window_;
    QPointer<QWidget> held_;
};

}  // namespace qv::ui
