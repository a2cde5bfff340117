// A self-pipe (a socket pair): the handler only writes one byte, which is all a signal handler
// may safely do; the event loop reads it and makes the call.
#include "ShutdownSignals.h"

#include "UserAction.h"

#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <csignal>

namespace qv {

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
// [0] written by the handler, [1] read on the event loop.
int pipeEnds[2] = {-1, -1};

void OnSignal(int number) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    // A full pipe already holds a wake-up: dropping this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

ShutdownSignals::ShutdownSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    if (pipeEnds[0] >= 0) return;  // another instance owns the handlers
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0) {
        pipeEnds[0] = pipeEnds[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, ui::AsUserAction([this] { Drain(); }));
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

ShutdownSignals::~ShutdownSignals() {
    if (!notifier_) return;
    for (int number : kSignals)
        ::signal(number, SIG_DFL);
    delete notifier_;
    notifier_ = nullptr;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void ShutdownSignals::Drain() {
    char bytes[16];
    bool received = false;
    while (::read(pipeEnds[1], bytes, sizeof bytes) > 0)
        received = true;
    if (received && onSignal_) onSignal_();
}

}  // namespace qv
