// Program-wide objects of the data model: the default instrument settings of the settings
// file, the main window's values that the settings file carries, and gas captions.
#pragma once

#include "clsInstrument.h"
#include "clsRecordSet.h"
#include "modGasCommon.h"

#include <array>
#include <memory>
#include <type_traits>

namespace qv {

// The default instrument settings (created on first use).
const std::shared_ptr<clsInstrument>& DefaultInstrument();

// The main window's own values that the settings file reads and writes; the main window
// copies them onto its controls after reading and back before writing.
struct MainFormSettings {
    int16_t WindowState = 0;  // 0 normal, 1 minimised, 2 maximised
    float Width = 0;          // twips
    float Height = 0;
    std::array<int16_t, 3> chkLog{};  // the tree grouping check boxes: 1 ticked, 0 cleared
    int32_t ScaleColor = 0;           // trend graph colours, 0x00BBGGRR
    int32_t BackColor = 0;
    int32_t CursorColor = 0;
};
MainFormSettings& MainForm();

// The caption "name(unit)" of a gas channel of anything that holds gas definitions; any other
// object, or a channel outside 0 to 4, gives "----(---)".
QString GetGasCaption(const clsInstrument* source, int gas);
QString GetGasCaption(const clsHeader* source, int gas);
QString GetGasCaption(const clsRecordSet* source, int gas);
template <class T>
requires(!std::is_base_of_v<clsRecordSet, T> && !std::is_same_v<T, clsInstrument> &&
         !std::is_same_v<T, clsHeader>) QString GetGasCaption(const T*, int) {
    return FormatNameUnit(QString(), QString());
}

}  // namespace qv
