#pragma once
// The thread that owns the head port: one switch command out, the reply polled for and read,
// the shot handed to the pipeline, the next command out, shot after shot. It also keeps the
// date/time stamp, notices a silent line ("No Data at COM%d"), survives the port vanishing and
// services the requests that must run in step with the exchange.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "head/date_time_stamp.h"
#include "head/head_link.h"
#include "head/link_status.h"
#include "head/shot_handler.h"
#include "head/timed_send.h"
#include "platform/serial_port.h"
#include "platform/wake_event.h"
#include "settings/shared_value.h"

namespace tarvisk {

// Where the head scan, the azimuth drive and the automated scans plug into the loop. Each
// call runs on the acquisition thread; every one has a do-nothing default.
class AcquisitionSeams {
  public:
    virtual ~AcquisitionSeams() = default;
    // The clock second changed: redraw the panel clock, age the GPS position.
    virtual void OnClockSecond() {}
    // An automated scan is running (its step runs after each received reply).
    virtual bool AutomatedScanRunning() { return false; }
    virtual void AutoAzimuthScanStep() {}
    // The requested auto-profile dialog: 1 vertical ("SNAPSHOT"), 2 horizontal ("SNAPSHOT2").
    virtual void RunAutoProfileScan(int32_t kind) { (void)kind; }
    // Once per pass while HeadScanActive is set.
    virtual void HeadScanStep() {}
    // The "AUTOAZIMUTH" dialog, then the azimuth window redraw when it is shown.
    virtual void RunAutoAzimuthDialog() {}
    // Each counted no-data second of an exchange with the simulated drive.
    virtual void SimulateAzimuthReply() {}
    // The drive did not answer for more than 40 counted seconds.
    virtual void OnAzimuthDriveNotFound() {}
    // Link status facts the loop cannot know (automated scan positioning, and so on).
    virtual void FillLinkStatusFacts(LinkStatusFacts& facts) { (void)facts; }
};

// One-shot requests from the user interface, taken by the acquisition thread.
struct AcquisitionRequests {
    SharedInt AzimuthDetectionRequest{0};
    SharedInt AutoAzimuthDialogRequest{0};
    SharedInt AutoProfileScanRequest{0};  // 0 none, 1 vertical, 2 horizontal
};

// What the loop shows the diagnostics windows.
struct LinkCounters {
    SharedInt ErrorWord{0};    // "ComStatus"
    SharedInt QueuedBytes{0};  // "Serial Rxd"
    SharedInt LastErrors{0};
    SharedInt NoDataSeconds{0};
    SharedInt MessageSeconds{0};
    SharedInt BlinkPhase{0};
    SharedInt PortVanished{0};  // the device went away; reopened once a second
    SharedInt Reopens{0};
    SharedInt OrientationTimeouts{0};  // requests no module answered in time
    std::atomic<uint64_t> ShotsRead{0};
    std::atomic<uint64_t> CommandsSent{0};
};

class AcquisitionThread final : public DateTimeRefresher {
  public:
    AcquisitionThread(HeadLink& link, ShotHandler& shots, LinkStatusView& view,
                      AcquisitionSeams& seams);
    ~AcquisitionThread() override;
    AcquisitionThread(const AcquisitionThread&) = delete;
    AcquisitionThread& operator=(const AcquisitionThread&) = delete;

    // Opens the device mapped to COM(portIndex + 1). On failure the reason is kept in the
    // link's PortProblemText.
    bool OpenHeadPort(int32_t portIndex, const std::string& devicePath);
    // Configures the open port for the baud index (1 keeps the port's rate) and starts the
    // thread. A port that could not be opened (or has no device mapped) is tried again once a
    // second by the running thread, which keeps the clock and says what is wrong meanwhile.
    // Returns whether it runs.
    bool StartAcquisition(int32_t baudIndex);
    // Stops the thread, drops DTR, purges and closes the port. Safe to call at any time.
    void StopAcquisition();

    bool Running() const { return running_.load(); }
    bool PortOpen() const { return port_.IsOpen(); }
    // Why the last open of the head port failed.
    PortProblem LastOpenProblem() const { return port_.LastOpenProblem(); }
    const DateTimeStamp& Stamp() const { return stamp_; }
    DateTimeStamp& Stamp() { return stamp_; }
    const LinkCounters& Counters() const { return counters_; }
    AcquisitionRequests& Requests() { return requests_; }
    // Before StartAcquisition: a clock other than the system's, a shortened RTS timing.
    void SetClock(LocalClock* clock) { clock_ = clock; }
    void SetSendTiming(const SendTiming& timing) { sender_.SetTiming(timing); }
    // The longest send steps so far (read once the thread has stopped).
    SendTimes WorstSendTimes() const { return sender_.WorstTimes(); }
    // Resets the no-data counters (an azimuth exchange starts, for example).
    void ResetNoDataCounters();
    // Acquisition thread only (the automated scans): the last command with this train code,
    // sector 0 and step 1, which parks the head at the start of the sector. A reply still on
    // its way is let in first and dropped.
    void SendScanStep(uint8_t trainCode);
    // Acquisition thread: a valid reply arrived (the reply check calls this in live mode).
    void RefreshDateTimeStamp() override;

  private:
    void Loop();
    void PollForReply();
    void CountNoDataSecond();
    void ShowStatus(bool visible);
    void Send();
    void LetReplyOnItsWayIn();
    void TellClockSecond();              // the window and the peripherals follow the new second
    int32_t ExpectedReplyBytes() const;  // the reply awaited, within the buffer
    void PortGone();
    void TryReopen();
    void NotePortProblem(PortProblem problem);
    void Wait(int timeoutMs, bool forInput);

    HeadLink& link_;
    SonarSettings& settings_;
    ShotHandler& shots_;
    LinkStatusView& view_;
    AcquisitionSeams& seams_;
    SerialPort port_;
    TimedSend sender_;
    DateTimeStamp stamp_;
    LinkCounters counters_;
    AcquisitionRequests requests_;

    LocalClock* clock_ = nullptr;
    std::string devicePath_;
    int32_t portIndex_ = 0;
    int32_t baudRate_ = 115200;
    int32_t lastPollSecond_ = -1;
    int32_t lastReopenSecond_ = -1;
    int64_t lastSendMicroseconds_ = 0;
    bool awaitingReply_ = false;  // a command went out and its reply has not been read
    bool replyArriving_ = false;  // part of the awaited reply is queued, the rest on its way
    int64_t clockSecondMicroseconds_ = -1;  // when a new second was met and not yet told
    std::atomic<bool> running_{false};
    WakeEvent stopWake_;  // raised by a stop, so no wait runs on after it
    std::thread thread_;
};

// 9600, 19200, 38400, 57600 or 115200 for the baud index; 0 for index 1 (keep the rate).
int32_t BaudRateForIndex(int32_t baudIndex);

}  // namespace tarvisk
