#include "head/timed_send.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "platform/delay.h"

namespace tarvisk {

namespace {
// Said once for the whole program, not once per shot or per port.
std::atomic<bool> priorityNoticeGiven{false};
}  // namespace

void TimedSend::TransmitCommand(const SwitchCommand& frame) {
    lastFailed_ = true;
    if (!port_.IsOpen() || port_.Vanished())
        return;
    // The pause ahead of the sequence may come out late without harm, so it sleeps.
    const int32_t sendDelay = settings_.SendDelay;
    if (sendDelay > 0)
        PauseMicroseconds(int64_t{sendDelay} * 1000);
    // From here every wait ends on time: a late flush throws away the start of the head's
    // answer and the link stalls. The waits sleep their bulk and spin a margin that follows
    // how late this thread's sleeps come back (a whole spun sequence cost 3 ms of a core a shot
    // and, without real-time priority, kept no better time under load than sleeping).
    // The sending thread is raised once and stays raised: switching scheduling classes on
    // every shot would cost it its place among the ordinary threads each time.
    if (raisedThread_ != std::this_thread::get_id()) {
        raisedThread_ = std::this_thread::get_id();
        PunctualWait::TightenTimerSlack();
        if (timing_.raisePriority)
            ReportPriority(priority_.Raise());
    }
    bool ok = port_.SetRts(true);
    // A line without RTS (a pseudo-terminal) has no edge to time: its waits are kept only
    // where the far end sees them, the write-to-purge span, and slept in one piece, since
    // every extra wake-up costs a shot more CPU than the wait itself.
    const bool rtsLine = port_.HasModemLines();
    if (rtsLine)
        wait_.Wait(timing_.rtsLeadMicroseconds);
    const int64_t written = MonotonicMicroseconds();
    ok = port_.Write(frame.data(), frame.size()) == static_cast<int64_t>(frame.size()) && ok;
    ok = port_.DrainFrame(frame.size()) && ok;
    const int64_t drained = MonotonicMicroseconds();
    const int64_t turnRound = int64_t{settings_.TxDelay} * 100 + 500;
    if (rtsLine) {
        wait_.Wait(timing_.rtsHoldMicroseconds);
        ok = port_.SetRts(false) && ok;
        last_.rtsHoldMicroseconds = MonotonicMicroseconds() - drained;
        wait_.Wait(turnRound);
    } else {
        wait_.Wait(timing_.rtsHoldMicroseconds + turnRound);
        last_.rtsHoldMicroseconds = timing_.rtsHoldMicroseconds;
    }
    // The frame is drained, so only input is left to discard. An output flush would do nothing
    // on a real port but, on a pseudo-terminal, drop a frame the far end has not read yet.
    ok = port_.PurgeInput() && ok;
    last_.writeToFlushMicroseconds = MonotonicMicroseconds() - written;
    worst_.rtsHoldMicroseconds = std::max(worst_.rtsHoldMicroseconds, last_.rtsHoldMicroseconds);
    worst_.writeToFlushMicroseconds =
        std::max(worst_.writeToFlushMicroseconds, last_.writeToFlushMicroseconds);
    ++sent_;
    lastFailed_ = !ok;
}

void TimedSend::ReportPriority(RaisedPriority raised) {
    if (raised != RaisedPriority::None || priorityNoticeGiven.exchange(true))
        return;
    std::fprintf(stderr,
                 "tarvisk: the head line's send runs at normal priority (%s); under heavy "
                 "load its timing may stretch. Allow real-time scheduling (CAP_SYS_NICE or "
                 "an rtprio limit) to keep it.\n",
                 priority_.Refusal().c_str());
}

}  // namespace tarvisk
