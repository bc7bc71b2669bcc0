#include "platform/delay.h"

#include <chrono>
#include <thread>

namespace tarvisk {

namespace {
// The scheduler wakes an idle machine's sleeper up to a few tens of microseconds late.
constexpr int64_t SpinMarginMicroseconds = 200;
}  // namespace

int64_t MonotonicMicroseconds() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void DelayMicroseconds(int64_t microseconds) {
    using clock = std::chrono::steady_clock;
    const auto end = clock::now() + std::chrono::microseconds(microseconds);
    while (clock::now() < end) {
    }
}

void PauseMicroseconds(int64_t microseconds) {
    using clock = std::chrono::steady_clock;
    const auto end = clock::now() + std::chrono::microseconds(microseconds);
    if (microseconds > 2 * SpinMarginMicroseconds)
        std::this_thread::sleep_until(end - std::chrono::microseconds(SpinMarginMicroseconds));
    while (clock::now() < end) {
    }
}

}  // namespace tarvisk
