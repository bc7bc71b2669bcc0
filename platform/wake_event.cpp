#include "platform/wake_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <thread>

namespace tarvisk {

WakeEvent::WakeEvent() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeEvent::~WakeEvent() {
    if (fd_ >= 0)
        ::close(fd_);
}

void WakeEvent::Signal() {
    const uint64_t one = 1;
    while (fd_ >= 0 && ::write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void WakeEvent::Clear() {
    uint64_t count = 0;
    while (fd_ >= 0 && ::read(fd_, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

bool WakeEvent::WaitMilliseconds(int timeoutMs) const {
    if (fd_ < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return false;
    }
    pollfd p{fd_, POLLIN, 0};
    int r = 0;
    while ((r = ::poll(&p, 1, timeoutMs)) < 0 && errno == EINTR) {
    }
    return r > 0;
}

}  // namespace tarvisk
