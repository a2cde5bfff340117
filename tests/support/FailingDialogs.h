// The scripted dialogs service with one message box that fails to open: a step of a handler
// that fails where the handler shows or asks something, to see what its boundary makes of it.
#pragma once

#include "AppError.h"
#include "ScriptedDialogs.h"

#include <functional>
#include <utility>

namespace qv::test {

class FailingDialogs : public ScriptedDialogs {
  public:
    // What the failing box raises.
    static QString Failure() { return QStringLiteral("The box could not be shown"); }

    // The first box whose prompt and style `fails` accepts raises Failure(); every other box is
    // answered and recorded as scripted.
    explicit FailingDialogs(std::function<bool(const QString& prompt, int style)> fails)
        : fails_(std::move(fails)) {}
    // The first box with this prompt fails.
    explicit FailingDialogs(const QString& prompt)
        : FailingDialogs([prompt](const QString& asked, int) { return asked == prompt; }) {}

    int MsgBox(const QString& prompt, int style, const QString& title) override {
        if (!failed_ && fails_(prompt, style)) {
            failed_ = true;
            throw AppError(ErrInvalidCall, Failure());
        }
        return ScriptedDialogs::MsgBox(prompt, style, title);
    }
    bool Failed() const { return failed_; }

  private:
    std::function<bool(const QString&, int)> fails_;
    bool failed_ = false;
};

}  // namespace qv::test
