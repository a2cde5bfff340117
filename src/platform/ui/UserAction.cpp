// A user action run behind its error boundary.
#include "UserAction.h"

#include "AppError.h"
#include "UserDialogs.h"

namespace qv::ui {

void RunUserAction(const std::function<void()>& action) {
    if (const auto failure = FailureOf(action)) Dialogs().MsgBox(*failure, vbCritical);
}

}  // namespace qv::ui
