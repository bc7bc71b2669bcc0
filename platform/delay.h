#pragma once
// Microsecond waits for the RTS send sequence and the pauses around it. Built on the monotonic
// clock, so no calibration loop is needed at start-up.

#include <cstdint>

namespace tarvisk {

// Busy-waits at least `microseconds` (at least one clock read for values of 0 or less).
void DelayMicroseconds(int64_t microseconds);

// Sleeps at least `microseconds`; ends when the scheduler wakes the thread.
void SleepMicroseconds(int64_t microseconds);

// Waits at least `microseconds`, sleeping for most of a long wait and spinning only the last
// stretch: for pauses whose end may come late without harm.
void PauseMicroseconds(int64_t microseconds);

// Waits that must end on time, for a thread that waits many times: it sleeps up to a margin
// before the end and spins the rest. The margin follows how late this thread's sleeps have
// come back, up to a limit: a wait may end up to that much beyond a sleep's lateness, which
// the head line's waits (milliseconds, before an answer that comes milliseconds later) take
// without harm, and spinning longer would not keep the time under load anyway, since another
// process's time slice lands in the spin as well. One per thread; not shared.
class PunctualWait {
  public:
    static constexpr int64_t MinMarginMicroseconds = 2;
    static constexpr int64_t MaxMarginMicroseconds = 20;

    // Lets this thread's sleeps end when asked rather than up to 50 us later (the kernel's
    // default slack for ordinary threads). Call on the waiting thread.
    static void TightenTimerSlack();

    void Wait(int64_t microseconds);
    int64_t MarginMicroseconds() const { return margin_; }

  private:
    int64_t margin_ = MaxMarginMicroseconds;
};

// Monotonic time in microseconds since an arbitrary origin.
int64_t MonotonicMicroseconds();

}  // namespace tarvisk
