#pragma once
// The send on the head line: RTS raised ahead of the frame and held over all of it, then the
// line turned round and both queues purged before the reply is awaited.

#include <cstdint>
#include <thread>

#include "head/command_line.h"
#include "platform/delay.h"
#include "platform/serial_port.h"
#include "platform/thread_priority.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

// The fixed RTS lead and hold of the sequence; the defaults are the head's. Stress tests and
// benchmarks of the simulated line may shorten them.
struct SendTiming {
    int64_t rtsLeadMicroseconds = 200;
    int64_t rtsHoldMicroseconds = 1500;
    bool raisePriority = true;  // benchmarks compare the send without it
};

// How long the last send's steps took, for the diagnostics and the benchmarks.
struct SendTimes {
    int64_t rtsHoldMicroseconds = 0;       // the frame's end to RTS dropped (the hold asked
                                           // for on a line without RTS)
    int64_t writeToFlushMicroseconds = 0;  // the frame written to the input purged
};

class TimedSend : public CommandLine {
  public:
    TimedSend(SerialPort& port, const SonarSettings& settings) : port_(port), settings_(settings) {}

    // SendDelay ms, then (the sending thread raised where allowed, once) RTS up, 200 us, the 27
    // bytes written and drained (write only queues on Linux), 1500 us, RTS down, TxDelay x 100 +
    // 500 us, purge (input; the output is drained). A line without RTS skips the lead and
    // sleeps hold and turn-round as one. A port that fails here is left marked vanished for
    // the caller.
    void TransmitCommand(const SwitchCommand& frame) override;

    void SetTiming(const SendTiming& timing) { timing_ = timing; }
    uint64_t CommandsSent() const { return sent_; }
    const SendTimes& LastTimes() const { return last_; }
    // The longest of each since the sender was made.
    const SendTimes& WorstTimes() const { return worst_; }
    bool LastSendFailed() const { return lastFailed_; }

  private:
    void ReportPriority(RaisedPriority raised);

    SerialPort& port_;
    const SonarSettings& settings_;
    SendTiming timing_{};
    SendTimes last_{};
    SendTimes worst_{};
    SendPriority priority_;
    std::thread::id raisedThread_{};
    PunctualWait wait_;
    uint64_t sent_ = 0;
    bool lastFailed_ = false;
};

}  // namespace tarvisk
