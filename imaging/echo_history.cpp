#include "imaging/echo_history.h"

#include <algorithm>
#include <cstring>

namespace tarvisk {

void ShiftHistory(EchoHistory& history, const EchoLineArray& echoLine, int32_t sampleCount) {
    const size_t n = size_t(std::clamp<int32_t>(sampleCount, 0, int32_t(EchoLineSize)));
    if (history.HistorySeedPending.Take()) {
        std::memcpy(history.OldestLine.data(), echoLine.data(), n);
        std::memcpy(history.MiddleLine.data(), echoLine.data(), n);
        std::memcpy(history.NewestLine.data(), echoLine.data(), n);
        return;
    }
    std::memcpy(history.OldestLine.data(), history.MiddleLine.data(), n);
    std::memcpy(history.MiddleLine.data(), history.NewestLine.data(), n);
    std::memcpy(history.NewestLine.data(), echoLine.data(), n);
}

}  // namespace tarvisk
