#pragma once
// What the port reports about its line: the queued byte count and the error word, plus the
// driver's cumulative error counters where it keeps them.

#include <cstdint>

namespace tarvisk {

// Bits of the error word, in the order the diagnostics window lists them.
inline constexpr int32_t LineErrorFrame = 0x0008;
inline constexpr int32_t LineErrorOverrun = 0x0002;
inline constexpr int32_t LineErrorParity = 0x0004;
inline constexpr int32_t LineErrorBreak = 0x0010;
inline constexpr int32_t LineErrorBufferOverrun = 0x0001;

struct SerialLineCounters {
    int64_t frame = 0;
    int64_t overrun = 0;
    int64_t parity = 0;
    int64_t brk = 0;
    int64_t bufferOverrun = 0;
};

struct SerialLineStatus {
    int32_t queued = 0;  // bytes waiting in the input queue
    int32_t errors = 0;  // error bits new since the previous status read
};

}  // namespace tarvisk
