// The error boundary of a user action: what a control's event runs, so that a failure reaches
// the user as a message box and never leaves a Qt slot as an exception.
#pragma once

#include <functional>

namespace qv::ui {

void RunUserAction(const std::function<void()>& action);

}  // namespace qv::ui
