// What the stored-data page uses of the window that holds it: the current record, the instrument
// object of a stored log, the tree's change flag, the password dialog and the entries of the
// other pages. The window keeps every referenced
// object alive as long as the page.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace qv {

class clsInstrument;

struct BrowserHost {
    // The stored log on show: its kind (0 none) and its header key.
    int32_t& CurDataType;
    int32_t& CurSeqNo;
    // The stored data or the grouping changed: the tree is rebuilt at its next showing.
    bool& LogTreeChanged;
    // The instrument settings stored with a trend, and the flag that tells the instrument page
    // to show them rather than the connected instrument's.
    std::shared_ptr<clsInstrument>& LogInstrument;
    bool& ShowLogInstrument;
    // Shows the password dialog modally; it sets PasswordOK when the password was accepted.
    std::function<void()> ShowPassword;
    // Loads the current record into its object, builds its data view and shows that page.
    std::function<void()> OpenDataView;
    // Builds the data view of the current record again, where it is on show.
    std::function<void()> ShowDataView;
    // Fills the instrument information page.
    std::function<void()> ShowInstrumentInfo;
    // Shows one page of the window (0 download ... 5 set) and lays the window out.
    std::function<void(int Index)> ShowPage;
    // A setting the user changed (the unit of gas 1, the tree's grouping): kept in the settings
    // file at once.
    std::function<void()> SettingsChanged;
};

}  // namespace qv
