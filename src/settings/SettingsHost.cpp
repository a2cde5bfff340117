// The settings pages' shared judgement of the connected instrument.
#include "SettingsHost.h"

#include "clsInstrument.h"
#include "uclQvif.h"

namespace qv {

bool SettingsPresent(const SettingsHost& host) {
    return host.CurInstrument && host.CurInstrument->CommFlags() &&
           host.link.Status() != StatusInitial;
}

}  // namespace qv
