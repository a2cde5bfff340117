// The signals by which a session, a service manager or `kill` end a program (SIGTERM, SIGINT,
// SIGHUP), turned into a call on the event loop, so that the program can end as if its window
// had been closed.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace qv {

class ShutdownSignals : public QObject {
  public:
    // Installs the handlers; `onSignal` runs on the event loop after a signal arrived (once for
    // signals that arrive together). One instance at a time.
    explicit ShutdownSignals(std::function<void()> onSignal);
    // Gives the signals back their default action.
    ~ShutdownSignals() override;
    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

    // False when the handlers could not be installed.
    bool Installed() const { return notifier_ != nullptr; }

  private:
    void Drain();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace qv
