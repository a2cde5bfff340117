// A user action run behind its error boundary.
#include "UserAction.h"

#include "AppError.h"
#include "UserDialogs.h"

#include <QScopeGuard>

namespace qv::ui {

void RunUserAction(const std::function<void()>& action) {
    if (const auto failure = FailureOf(action)) Dialogs().MsgBox(*failure, vbCritical);
}

void RepeatedAction::Run(const std::function<void()>& action) {
    const auto failure = FailureOf(action);
    if (!failure) {
        // A success while the box is still open belongs to the run the box reports.
        if (!showing_) reported_ = false;
        return;
    }
    if (reported_) return;
    reported_ = true;
    showing_ = true;
    const auto closed = qScopeGuard([this] { showing_ = false; });
    Dialogs().MsgBox(*failure, vbCritical);
}

}  // namespace qv::ui
