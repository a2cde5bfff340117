// The error boundary of a user action: what a control's event runs, so that a failure reaches
// the user as a message box and never leaves a Qt slot as an exception (Qt does not carry an
// exception through its event dispatch: the program would end, and a download's data with it).
#pragma once

#include <concepts>
#include <functional>
#include <memory>
#include <utility>

namespace qv::ui {

void RunUserAction(const std::function<void()>& action);

// A handler that runs behind RunUserAction with the arguments it is called with: what every
// signal is connected to and every event callback of a control is set to (AsUserAction). A
// signal's arguments that the handler does not take are left off, as Qt does for a plain one.
template <class Handler>
class UserActionHandler {
  public:
    explicit UserActionHandler(Handler handler) : handler_(std::move(handler)) {}

    template <class... Args>
    requires std::invocable<const Handler&, Args...>
    void operator()(Args&&... args) const {
        RunUserAction([&] { handler_(std::forward<Args>(args)...); });
    }

  private:
    Handler handler_;
};

template <class Handler>
UserActionHandler<Handler> AsUserAction(Handler handler) {
    return UserActionHandler<Handler>(std::move(handler));
}

// An edit event (Row, Col, Cancel) behind the boundary: a failure refuses the edit as well, so
// that no half-checked value is committed, after `onFailure` has put back what the handler left
// half done.
template <class Handler, class OnFailure>
auto AsEditAction(Handler handler, OnFailure onFailure) {
    return [handler = std::move(handler), onFailure = std::move(onFailure)](int Row, int Col,
                                                                            bool& Cancel) {
        RunUserAction([&] {
            try {
                handler(Row, Col, Cancel);
            } catch (...) {
                Cancel = true;
                onFailure();
                throw;
            }
        });
    };
}

template <class Handler>
auto AsEditAction(Handler handler) {
    return AsEditAction(std::move(handler), [] {});
}

// The boundary of a handler called again and again without the user (a timer, the link's
// events; AsRepeatedAction): a failure is shown once, not at each call while the handler keeps
// failing nor at the calls that go on while its box is open. A call that succeeds after the box
// has closed ends the run, and the next failure is shown again.
class RepeatedAction {
  public:
    void Run(const std::function<void()>& action);

  private:
    bool reported_ = false;
    bool showing_ = false;
};

template <class Handler>
class RepeatedActionHandler {
  public:
    explicit RepeatedActionHandler(Handler handler)
        : handler_(std::move(handler)), state_(std::make_shared<RepeatedAction>()) {}

    template <class... Args>
    requires std::invocable<const Handler&, Args...>
    void operator()(Args&&... args) const {
        // Held by the call as well: the connection may go while the box is open.
        const std::shared_ptr<RepeatedAction> state = state_;
        state->Run([&] { handler_(std::forward<Args>(args)...); });
    }

  private:
    Handler handler_;
    std::shared_ptr<RepeatedAction> state_;
};

template <class Handler>
RepeatedActionHandler<Handler> AsRepeatedAction(Handler handler) {
    return RepeatedActionHandler<Handler>(std::move(handler));
}

}  // namespace qv::ui
