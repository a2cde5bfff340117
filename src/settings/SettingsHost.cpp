// The settings pages' shared judgement of the connected instrument and their error boundary.
#include "SettingsHost.h"

#include "UserDialogs.h"
#include "clsInstrument.h"
#include "modLinkText.h"
#include "uclQvif.h"

namespace qv {

bool SettingsPresent(const SettingsHost& host) {
    return host.CurInstrument && host.CurInstrument->CommFlags() &&
           host.link.Status() != StatusInitial;
}

void RunGuarded(const std::function<void()>& work) {
    if (const auto failure = FailureOf(work)) Dialogs().MsgBox(*failure, vbCritical);
}

}  // namespace qv
