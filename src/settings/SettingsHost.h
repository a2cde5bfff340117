// What the instrument information page and the option page use of the window that holds them:
// the link control and its guard, the instrument objects, the shared flags and readings of the
// calibration panel, the status log, the progress dialog and the page buttons. The window keeps
// every referenced object alive as long as the pages.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace qv {

class clsInstrument;
class frmUpload;
class uclQvif;

struct SettingsHost {
    // The link control; its guard is held while a calibration (or another operation) runs.
    uclQvif& link;
    // The connected instrument's settings, and those stored with a trend log.
    std::shared_ptr<clsInstrument>& CurInstrument;
    std::shared_ptr<clsInstrument>& LogInstrument;
    // True only while the stored-data page asks for the stored log's instrument.
    const bool& ShowLogInstrument;
    // True while code changes the settings or calibration grid: their edit events do nothing.
    bool& FillingGrid;
    // The calibration panel was opened: every live reading refreshes it.
    bool& CalibMode;
    // The last live readings of channels 0 to 4, -1 for a disabled channel.
    const std::array<float, 6>& NowReadings;
    // The channels of the span calibration that runs (read by the information page).
    std::array<bool, 6>& SpanSelected;
    // A coloured line of the status log (colour 0x00BBGGRR).
    std::function<void(const QString& text, int32_t color)> AddLogLine;
    // The progress dialog: loaded when there is none, not shown; and unloaded.
    std::function<frmUpload*()> Upload;
    std::function<void()> UnloadUpload;
    // Enables or disables every page button of the window.
    std::function<void(bool enabled)> EnablePageButtons;
    // Gives the trend graph's series (gas series + 1) a colour at once; the graph ignores a
    // series it does not hold.
    std::function<void(int series, int32_t color)> SetGraphColor;
    // A setting the user changed (font, graph colour, factory span value): kept in the settings
    // file at once.
    std::function<void()> SettingsChanged;
};

// The connected instrument's settings are on hand: they were read, and the link has not been
// reset since (its status 0 is its state at start-up and after a power-off).
bool SettingsPresent(const SettingsHost& host);

}  // namespace qv
