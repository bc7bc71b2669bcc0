#include "app/signal_bridge.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace tarvisk {

namespace {

int signalPipe[2] = {-1, -1};
constexpr int CaughtSignals[] = {SIGTERM, SIGHUP, SIGINT};

void OnSignal(int number) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    (void)!::write(signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

void IgnoreWriteErrorSignals() {
    ::signal(SIGXFSZ, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
}

void CatchCloseSignals() {
    static bool hangupIgnored = false;
    if (signalPipe[0] < 0) {
        if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        struct sigaction previous {};
        ::sigaction(SIGHUP, nullptr, &previous);
        hangupIgnored = previous.sa_handler == SIG_IGN;  // started to outlive its terminal
    }
    sigset_t unblock;
    sigemptyset(&unblock);
    for (int number : CaughtSignals) {
        if (number == SIGHUP && hangupIgnored)
            continue;
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        // The first signal asks for a close; a second one finds the default and ends us.
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        ::sigaction(number, &action, nullptr);
        sigaddset(&unblock, number);
    }
    ::sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
}

SignalBridge::SignalBridge(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    CatchCloseSignals();
    if (signalPipe[0] < 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
}

SignalBridge::~SignalBridge() {
    for (int number : CaughtSignals)
        ::signal(number, SIG_DFL);
    notifier_.reset();
}

void SignalBridge::Drain() {
    unsigned char byte = 0;
    while (::read(signalPipe[0], &byte, 1) == 1) {
        if (onSignal_)
            onSignal_(byte);
    }
}

}  // namespace tarvisk
