// The keys of a command button: a focused button takes Enter as it takes Space, in every window,
// as buttons do in dialogs.
#pragma once

namespace qv::ui {

// Makes Enter (either Enter key) click the focused push button anywhere in the application.
// Buttons that take Enter by their own rule (a dialog's default buttons) keep it; a held key
// clicks once. Installed once per application; later calls do nothing.
void EnterClicksButtons();

}  // namespace qv::ui
