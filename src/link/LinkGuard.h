// One long operation at a time on the link: a download, the automatic mode, a settings upload,
// a calibration or a dump claims the guard for as long as it runs, and every other command that
// finds it claimed starts nothing. The main window owns the one guard and gives it to its pages.
#pragma once

#include <functional>

namespace qv {

class LinkGuard {
  public:
    // Holds the guard while it lives; it holds nothing when the guard was already claimed.
    class Claim {
      public:
        explicit Claim(LinkGuard& guard) : guard_(guard.busy_ ? nullptr : &guard) {
            if (guard_) guard_->busy_ = true;
        }
        ~Claim() {
            if (!guard_) return;
            guard_->busy_ = false;
            if (guard_->Ended) guard_->Ended();
        }
        Claim(const Claim&) = delete;
        Claim& operator=(const Claim&) = delete;
        // True when this claim holds the guard: the operation may run.
        explicit operator bool() const { return guard_ != nullptr; }

      private:
        LinkGuard* guard_;
    };

    // True while an operation holds the guard.
    bool Busy() const { return busy_; }
    // Called each time an operation gives the guard back.
    std::function<void()> Ended;

  private:
    bool busy_ = false;
};

}  // namespace qv
