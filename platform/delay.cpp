#include "platform/delay.h"

#include <sys/prctl.h>
#include <time.h>

#include <algorithm>
#include <cerrno>

namespace tarvisk {

namespace {
// The scheduler wakes an idle machine's sleeper up to a few tens of microseconds late.
constexpr int64_t SpinMarginMicroseconds = 200;

void SleepUntil(int64_t monotonicMicroseconds) {
    timespec until{};
    until.tv_sec = static_cast<time_t>(monotonicMicroseconds / 1000000);
    until.tv_nsec = static_cast<long>(monotonicMicroseconds % 1000000) * 1000;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

void SpinUntil(int64_t monotonicMicroseconds) {
    while (MonotonicMicroseconds() < monotonicMicroseconds) {
    }
}
}  // namespace

int64_t MonotonicMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000 + now.tv_nsec / 1000;
}

void DelayMicroseconds(int64_t microseconds) {
    const int64_t end = MonotonicMicroseconds() + microseconds;
    SpinUntil(end);
}

void SleepMicroseconds(int64_t microseconds) {
    SleepUntil(MonotonicMicroseconds() + microseconds);
}

void PauseMicroseconds(int64_t microseconds) {
    const int64_t end = MonotonicMicroseconds() + microseconds;
    if (microseconds > 2 * SpinMarginMicroseconds)
        SleepUntil(end - SpinMarginMicroseconds);
    SpinUntil(end);
}

void PunctualWait::TightenTimerSlack() {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

void PunctualWait::Wait(int64_t microseconds) {
    const int64_t start = MonotonicMicroseconds();
    const int64_t end = start + microseconds;
    const int64_t wakeAt = end - margin_;
    if (wakeAt > start) {
        SleepUntil(wakeAt);
        const int64_t late = MonotonicMicroseconds() - wakeAt;
        // Up at once after a sleep that came back late; down slowly, so one punctual wake-up
        // among late ones does not leave the next wait unguarded.
        const int64_t wanted = std::clamp(late + late / 2 + MinMarginMicroseconds,
                                          MinMarginMicroseconds, MaxMarginMicroseconds);
        margin_ = wanted > margin_ ? wanted : margin_ - (margin_ - wanted) / 8;
    }
    SpinUntil(end);
}

}  // namespace tarvisk
