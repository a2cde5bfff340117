// A user action run behind its error boundary.
#include "UserAction.h"

#include "AppError.h"
#include "UserDialogs.h"

namespace qv::ui {

void RunUserAction(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& e) {
        Dialogs().MsgBox(e.text(), vbCritical);
    } catch (const std::exception& e) {
        Dialogs().MsgBox(QString::fromLocal8Bit(e.what()), vbCritical);
    }
}

}  // namespace qv::ui
