#pragma once
// Microsecond waits for the RTS send sequence and the pauses around it. Built on the monotonic
// clock, so no calibration loop is needed at start-up.

#include <cstdint>

namespace tarvisk {

// Busy-waits at least `microseconds` (at least one clock read for values of 0 or less). It
// never sleeps: a sleeper is woken when the scheduler gets round to it, which under load is
// tens of milliseconds late, and the send sequence's waits must keep their values.
void DelayMicroseconds(int64_t microseconds);

// Waits at least `microseconds`, sleeping for most of a long wait and spinning only the last
// stretch: for pauses whose end may come late without harm.
void PauseMicroseconds(int64_t microseconds);

// Monotonic time in microseconds since an arbitrary origin.
int64_t MonotonicMicroseconds();

}  // namespace tarvisk
