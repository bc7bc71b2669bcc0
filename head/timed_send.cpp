#include "head/timed_send.h"

#include "platform/delay.h"

namespace tarvisk {

void TimedSend::TransmitCommand(const SwitchCommand& frame) {
    lastFailed_ = true;
    if (!port_.IsOpen() || port_.Vanished())
        return;
    // Thread priorities are best effort on Linux and need privileges; the waits below keep
    // their microsecond values on the monotonic clock without them.
    const int32_t sendDelay = settings_.SendDelay;
    if (sendDelay > 0)
        DelayMicroseconds(int64_t{sendDelay} * 1000);
    bool ok = port_.SetRts(true);
    DelayMicroseconds(timing_.rtsLeadMicroseconds);
    ok = port_.Write(frame.data(), frame.size()) == static_cast<int64_t>(frame.size()) && ok;
    ok = port_.Drain() && ok;
    DelayMicroseconds(timing_.rtsHoldMicroseconds);
    ok = port_.SetRts(false) && ok;
    DelayMicroseconds(int64_t{settings_.TxDelay} * 100 + 500);
    // The frame is drained, so only input is left to discard. An output flush would do nothing
    // on a real port but, on a pseudo-terminal, drop a frame the far end has not read yet.
    ok = port_.PurgeInput() && ok;
    ++sent_;
    lastFailed_ = !ok;
}

}  // namespace tarvisk
