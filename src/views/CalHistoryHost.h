// What the calibration history page uses of the window that holds it: the first-activation
// flag, the selection guard, the password dialog and the printing of one instrument's latest
// calibrations. The layout pass is the page frame's own Form_Resize.
#pragma once

#include "TextTable.h"

#include <cstdint>
#include <functional>

namespace qv {

struct CalHistoryHost {
    // True until the window's first activation set-up has run: the layout buttons do nothing.
    const bool& FirstActivate;
    // Set while the selection handler changes the selection itself.
    bool& InHistorySelChange;
    // Shows the password dialog modally; it sets PasswordOK when the password was accepted.
    std::function<void()> ShowPassword;
    // Prints the latest-calibration list, the texts of the page's grid, for the
    // calibration-history log `SeqNo` (0 when the instrument has none) without a preview.
    // Empty while printing is not available: the pop-up menu then offers no Print item.
    std::function<void(int32_t SeqNo, const ui::TextTable& list)> PrintLastCalibration;
};

}  // namespace qv
