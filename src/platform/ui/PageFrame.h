// One page of the main window: a frame that owns its controls, sets their captions and lays
// them out within its own size.
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
    // The main window's layout pass, for procedures that change what the page shows.
    std::function<void()> Form_Resize = [] {};
};

}  // namespace qv::ui
