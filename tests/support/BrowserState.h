// The main window's state that the stored-data page reaches, held on its own, so that the tests
// and the benchmark of that page run it without the window.
#pragma once

#include "BrowserHost.h"
#include "clsInstrument.h"

#include <functional>

namespace qv::test {

struct BrowserState {
    int32_t CurDataType = 0;
    int32_t CurSeqNo = 0;
    bool LogTreeChanged = true;
    std::shared_ptr<clsInstrument> LogInstrument;
    bool ShowLogInstrument = false;
    // Times the page asked for its changed settings to be kept.
    int SettingsChanged = 0;

    // A host on these fields; the window's entries run the actions given, or nothing.
    BrowserHost Host(
        std::function<void()> showPassword = [] {}, std::function<void()> openDataView = [] {},
        std::function<void()> showDataView = [] {},
        std::function<void()> showInstrumentInfo = [] {},
        std::function<void(int)> showPage = [](int) {}) {
        return BrowserHost{CurDataType,
                           CurSeqNo,
                           LogTreeChanged,
                           LogInstrument,
                           ShowLogInstrument,
                           std::move(showPassword),
                           std::move(openDataView),
                           std::move(showDataView),
                           std::move(showInstrumentInfo),
                           std::move(showPage),
                           [this] { ++SettingsChanged; }};
    }
};

}  // namespace qv::test
