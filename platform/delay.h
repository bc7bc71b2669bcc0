#pragma once
// Microsecond waits for the RTS send sequence, the back-off after a bad reply and the playback
// pause. Built on the monotonic clock, so no calibration loop is needed at start-up.

#include <cstdint>

namespace tarvisk {

// Waits at least `microseconds` (at least one clock read for values of 0 or less). Long waits
// sleep for most of the time and spin only for the last stretch, so the wait keeps its
// microsecond value without burning a core.
void DelayMicroseconds(int64_t microseconds);

// Monotonic time in microseconds since an arbitrary origin.
int64_t MonotonicMicroseconds();

}  // namespace tarvisk
