#include "head/acquisition_thread.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <system_error>

#include "head/expected_reply.h"
#include "head/orientation_module.h"
#include "head/switch_command.h"
#include "platform/delay.h"
#include "platform/port_access.h"
#include "platform/thread_name.h"

namespace tarvisk {

namespace {
// Passes that cannot wait on the port (Hold, playback, a vanished port) sleep this long: an
// operator does not notice 10 ms, and the idle loop wakes a hundred times a second, not a
// thousand.
constexpr int IdlePassMilliseconds = 10;
// A pass waits for the reply at most this long: the loop's other duties (requests, the clock
// second) still come round ten times a second, a stop ends the wait at once, and a shot costs
// two or three passes, each a wake-up of the thread, instead of twenty.
constexpr int LongestReplyWaitMilliseconds = 100;
// The longest a scan's start waits for the reply to the command before it; the loop itself
// gives up on a silent head after two seconds.
constexpr int64_t ReplyOnItsWayLimitMicroseconds = 1'000'000;
// The longest a new second waits for the reply arriving meanwhile to be read.
constexpr int64_t ClockSecondHoldMicroseconds = 200'000;

// How long the rest of a reply takes on the line (10 bits a byte), within one pass's wait.
int ReplyWaitMilliseconds(int32_t missingBytes, int32_t baudRate) {
    if (baudRate <= 0)
        return 1;
    const int64_t ms = (int64_t{missingBytes} * 10 * 1000 + baudRate - 1) / baudRate;
    return static_cast<int>(std::clamp<int64_t>(ms, 1, LongestReplyWaitMilliseconds));
}
}  // namespace

int32_t BaudRateForIndex(int32_t baudIndex) {
    switch (baudIndex) {
        case 0:
            return 9600;
        case 2:
            return 19200;
        case 3:
            return 38400;
        case 4:
            return 57600;
        case 5:
            return 115200;
        default:
            return 0;
    }
}

AcquisitionThread::AcquisitionThread(HeadLink& link, ShotHandler& shots, LinkStatusView& view,
                                     AcquisitionSeams& seams)
    : link_(link),
      settings_(link.Settings),
      shots_(shots),
      view_(view),
      seams_(seams),
      sender_(port_, link.Settings) {
    link_.StampRefresher = this;
}

AcquisitionThread::~AcquisitionThread() {
    StopAcquisition();
    port_.Close();
    if (link_.StampRefresher == this)
        link_.StampRefresher = nullptr;
}

void AcquisitionThread::RefreshDateTimeStamp() {
    // A reply's check runs within its shot: a second held back for the reply is told here.
    if (tarvisk::RefreshDateTimeStamp(stamp_, settings_, clock_) || clockSecondMicroseconds_ >= 0)
        TellClockSecond();
}

void AcquisitionThread::TellClockSecond() {
    clockSecondMicroseconds_ = -1;
    seams_.OnClockSecond();
}

bool AcquisitionThread::OpenHeadPort(int32_t portIndex, const std::string& devicePath) {
    StopAcquisition();
    portIndex_ = portIndex;
    devicePath_ = devicePath;
    // Opened at its present rate; StartAcquisition sets the rate of the baud index.
    if (devicePath.empty() || !port_.Open(devicePath, 0)) {
        NotePortProblem(devicePath.empty() ? PortProblem::NotFound : port_.LastOpenProblem());
        return false;
    }
    link_.PortProblemText.Set("");
    port_.Purge();
    return true;
}

void AcquisitionThread::NotePortProblem(PortProblem problem) {
    link_.PortProblemText.Set(PortProblemText(portIndex_, devicePath_, problem));
}

bool AcquisitionThread::StartAcquisition(int32_t baudIndex) {
    if (running_.load())
        return true;
    SetExpectedReply(link_);
    baudRate_ = BaudRateForIndex(baudIndex);
    if (port_.IsOpen()) {
        if (!port_.Configure(baudRate_))
            return false;
        counters_.PortVanished = 0;
        // The modem lines are set before the thread owns the port.
        port_.SetDtr(true);
        port_.SetRts(false);
    } else {
        // Missing, busy or not allowed yet: an adapter plugged in later is found.
        counters_.PortVanished = 1;
        lastReopenSecond_ = -1;
    }
    stopWake_.Clear();
    running_.store(true);
    try {
        thread_ = std::thread(&AcquisitionThread::Loop, this);
    } catch (const std::system_error&) {
        running_.store(false);
        port_.SetDtr(false);
        view_.ShowWarning("Failed to create thread!", "CreateThread Error!");
        return false;
    }
    return true;
}

void AcquisitionThread::StopAcquisition() {
    if (!thread_.joinable()) {
        running_.store(false);
        if (port_.IsOpen())
            port_.Close();
        return;
    }
    running_.store(false);
    stopWake_.Signal();
    thread_.join();
    stopWake_.Clear();
    if (port_.IsOpen()) {
        port_.SetDtr(false);
        port_.Purge();
        port_.Close();
    }
}

void AcquisitionThread::ResetNoDataCounters() {
    counters_.NoDataSeconds = 0;
    counters_.MessageSeconds = 0;
}

void AcquisitionThread::Send() {
    if (port_.IsOpen()) {
        SendSwitchCommand(link_, sender_);
        lastSendMicroseconds_ = MonotonicMicroseconds();
        awaitingReply_ = true;
        counters_.CommandsSent.fetch_add(1, std::memory_order_relaxed);
        if (port_.Vanished())
            PortGone();
    } else {
        settings_.ParametersChanged = 0;  // nothing to send on; the reopen sends afresh
    }
}

void AcquisitionThread::SendScanStep(uint8_t trainCode) {
    if (!port_.IsOpen())
        return;
    // The head answers one command at a time: a step sent while it still answers the last
    // command is lost to it, and that command's reply would be taken for the step's.
    LetReplyOnItsWayIn();
    if (!port_.IsOpen())
        return;
    SendScanStepCommand(link_, sender_, trainCode);
    lastSendMicroseconds_ = MonotonicMicroseconds();
    awaitingReply_ = true;
    counters_.CommandsSent.fetch_add(1, std::memory_order_relaxed);
}

int32_t AcquisitionThread::ExpectedReplyBytes() const {
    return std::clamp<int32_t>(link_.Expected.ExpectedReplyLength, 1,
                               static_cast<int32_t>(ReplyBufferSize));
}

void AcquisitionThread::LetReplyOnItsWayIn() {
    if (!awaitingReply_)
        return;
    const int32_t expected = ExpectedReplyBytes();
    const int64_t deadline =
        lastSendMicroseconds_ + (link_.Expected.ReplyType == ReplyTypeOrientation
                                     ? OrientationReplyTimeoutMicroseconds
                                     : ReplyOnItsWayLimitMicroseconds);
    while (running_.load(std::memory_order_relaxed) && port_.IsOpen()) {
        SerialLineStatus status;
        if (!port_.ReadStatus(status)) {
            PortGone();
            break;
        }
        const int64_t left = deadline - MonotonicMicroseconds();
        if (status.queued >= expected || left <= 0)
            break;
        const int waitMs = status.queued == 0
                               ? LongestReplyWaitMilliseconds
                               : ReplyWaitMilliseconds(expected - status.queued, baudRate_);
        Wait(static_cast<int>(std::min<int64_t>(waitMs, left / 1000 + 1)), status.queued == 0);
    }
    // Not drawn: the send that follows purges it with whatever else came.
    awaitingReply_ = false;
}

void AcquisitionThread::ShowStatus(bool visible) {
    if (visible) {
        view_.ShowLinkStatus(LinkStatusShownText, LinkStatusShownFill, LinkStatusShownFrame,
                             NoDataAtComPortSelector);
    } else {
        view_.ShowLinkStatus(LinkStatusErased, LinkStatusErased, LinkStatusErased,
                             NoDataAtComPortSelector);
    }
}

void AcquisitionThread::PortGone() {
    // From here the line behaves like a silent head; the port is retried once a second.
    if (port_.IsOpen())
        port_.Close();
    if (counters_.PortVanished == 0) {
        counters_.PortVanished = 1;
        lastReopenSecond_ = settings_.ClockSecond;
    }
}

void AcquisitionThread::TryReopen() {
    if (settings_.ClockSecond == lastReopenSecond_)
        return;
    lastReopenSecond_ = settings_.ClockSecond;
    // A pseudo-terminal given back leaves a link to its number; whoever gets the number next
    // is not the head.
    if (IsReusedTerminal(port_.OpenedIdentity(), IdentifyPath(devicePath_))) {
        NotePortProblem(PortProblem::Reused);
        return;
    }
    if (!port_.Open(devicePath_, baudRate_)) {
        NotePortProblem(port_.LastOpenProblem());
        return;
    }
    link_.PortProblemText.Set("");
    counters_.PortVanished = 0;
    counters_.Reopens = counters_.Reopens + 1;
    port_.SetDtr(true);
    port_.SetRts(false);
    // A fresh command at once: whatever was in flight went with the old device.
    settings_.ParametersChanged = 1;
    Send();
}

void AcquisitionThread::Wait(int timeoutMs, bool forInput) {
    if (!port_.IsOpen()) {
        stopWake_.WaitMilliseconds(timeoutMs);
        return;
    }
    // With part of a reply queued the port stays readable, so wait for hang-ups only.
    pollfd p[2] = {{port_.Fd(), static_cast<short>(forInput ? POLLIN : 0), 0},
                   {stopWake_.Fd(), POLLIN, 0}};
    int r = ::poll(p, stopWake_.Fd() >= 0 ? 2 : 1, timeoutMs);
    if (r > 0 && (p[0].revents & (POLLHUP | POLLERR | POLLNVAL)))
        PortGone();
}

void AcquisitionThread::Loop() {
    NameThisThread("tarvisk-acq");
    tarvisk::RefreshDateTimeStamp(stamp_, settings_, clock_);
    lastPollSecond_ = settings_.ClockSecond;
    if (!port_.IsOpen())
        ShowStatus(true);  // say at once why there is no head
    if (settings_.RunMode == 0) {
        settings_.ParametersChanged = 1;
        Send();
    }
    while (running_.load(std::memory_order_relaxed)) {
        if (settings_.RunMode != 0) {
            stopWake_.WaitMilliseconds(IdlePassMilliseconds);
            continue;
        }
        if (tarvisk::RefreshDateTimeStamp(stamp_, settings_, clock_)) {
            clockSecondMicroseconds_ = MonotonicMicroseconds();
            // A link moved to another device, or taken away, is followed to where it leads.
            if (port_.IsOpen() && !port_.PathStillLeadsHere())
                PortGone();
        }
        // A new second met in the middle of a reply is told with that reply's shot, so the
        // window wakes once for both; a reply that stalls holds it back only briefly.
        if (clockSecondMicroseconds_ >= 0 &&
            (!replyArriving_ ||
             MonotonicMicroseconds() - clockSecondMicroseconds_ > ClockSecondHoldMicroseconds))
            TellClockSecond();

        if (settings_.Hold == 0) {
            PollForReply();
        } else {
            stopWake_.WaitMilliseconds(IdlePassMilliseconds);
        }

        if (link_.ReplyReceived != 0 && seams_.AutomatedScanRunning()) {
            seams_.AutoAzimuthScanStep();
        }
        link_.ReplyReceived = 0;

        if (int32_t kind = requests_.AutoProfileScanRequest.Take(); kind != 0) {
            seams_.RunAutoProfileScan(kind);
        }
        if (settings_.ProfileRequest != settings_.Profile) {
            settings_.Profile = settings_.ProfileRequest.Get();
        }
        if (link_.HeadScanActive != 0)
            seams_.HeadScanStep();
        if (settings_.AzimuthDriveEnable == 1) {
            if (requests_.AzimuthDetectionRequest.Take() != 0) {
                link_.AzimuthExchangePending = 1;
                link_.AzimuthCommandCount = 0;
                if (link_.ReportedAzimuthPosition != settings_.AzimuthAngle) {
                    ResetNoDataCounters();
                    ShowStatus(true);
                }
            }
            if (requests_.AutoAzimuthDialogRequest.Take() != 0)
                seams_.RunAutoAzimuthDialog();
        }
    }
}

void AcquisitionThread::CountNoDataSecond() {
    if (settings_.ClockSecond == lastPollSecond_)
        return;
    lastPollSecond_ = settings_.ClockSecond;
    counters_.NoDataSeconds = counters_.NoDataSeconds + 1;
    counters_.MessageSeconds = counters_.MessageSeconds + 1;
    if (settings_.Hold == 0 && counters_.NoDataSeconds > 2) {
        int32_t phase = counters_.BlinkPhase + 1;
        if (phase >= 2) {
            phase = 0;
            if (counters_.MessageSeconds >= 5) {
                ShowStatus(true);
                counters_.MessageSeconds = 5;
            }
        } else {
            ShowStatus(false);
        }
        counters_.BlinkPhase = phase;
        if (settings_.DiagnosticsShown != 0)
            view_.RefreshDiagnostics();
        if (port_.IsOpen())
            port_.Purge();
        view_.ClearReplyActivityMark();
        settings_.ParametersChanged = 1;
        Send();
    }
    if (link_.AzimuthExchangePending != 0) {
        link_.AzimuthPollCount = link_.AzimuthPollCount + 1;
        if (settings_.SimulateAzimuthDrive != 0) {
            seams_.SimulateAzimuthReply();
            // The simulated answer ends the exchange here; the head's shots go on at once
            // instead of waiting for the no-data re-send.
            if (link_.AzimuthExchangePending == 0) {
                settings_.ParametersChanged = 1;
                Send();
            }
        } else if (link_.AzimuthPollCount > 40) {
            link_.AzimuthPollCount = 0;
            link_.AzimuthExchangePending = 0;
            link_.AzimuthCommandCount = 0;
            link_.AzimuthDetected = 0;
            seams_.OnAzimuthDriveNotFound();
        }
    }
}

void AcquisitionThread::PollForReply() {
    if (!port_.IsOpen()) {
        // A vanished port counts as silence and is retried once a second.
        CountNoDataSecond();
        if (counters_.PortVanished != 0)
            TryReopen();
        if (!port_.IsOpen()) {
            stopWake_.WaitMilliseconds(IdlePassMilliseconds);
        }
        return;
    }
    SerialLineStatus status;
    if (!port_.ReadStatus(status)) {
        PortGone();
        return;
    }
    counters_.ErrorWord = status.errors;
    counters_.QueuedBytes = status.queued;
    if (status.errors != 0) {
        counters_.LastErrors = status.errors;
        if (status.queued == 1)
            port_.PurgeInput();
    }
    const int32_t expected = ExpectedReplyBytes();
    if (status.queued == expected)
        counters_.LastErrors = 0;
    replyArriving_ = status.queued > 0 && status.queued < expected;

    if (status.queued < expected) {
        if (link_.Expected.ReplyType == ReplyTypeOrientation && status.queued == 0 &&
            MonotonicMicroseconds() - lastSendMicroseconds_ > OrientationReplyTimeoutMicroseconds) {
            // No module answered: the head's next shot goes out now, not after the re-send.
            counters_.OrientationTimeouts = counters_.OrientationTimeouts + 1;
            port_.PurgeInput();
            settings_.ParametersChanged = 1;
            Send();
            return;
        }
        CountNoDataSecond();
        // The first byte wakes the wait at once; the rest is waited for as the line brings it.
        if (port_.IsOpen()) {
            int waitMs = status.queued == 0
                             ? LongestReplyWaitMilliseconds
                             : ReplyWaitMilliseconds(expected - status.queued, baudRate_);
            // An orientation module that does not answer is given up on time.
            if (link_.Expected.ReplyType == ReplyTypeOrientation && status.queued == 0) {
                const int64_t left = lastSendMicroseconds_ + OrientationReplyTimeoutMicroseconds -
                                     MonotonicMicroseconds();
                waitMs = static_cast<int>(
                    std::clamp<int64_t>(left / 1000 + 1, 1, LongestReplyWaitMilliseconds));
            }
            Wait(waitMs, status.queued == 0);
        }
        return;
    }

    if (counters_.NoDataSeconds > 2)
        ShowStatus(false);
    ResetNoDataCounters();
    // The whole reply is queued already (the status above said so): no second look.
    const int32_t wanted = expected;
    int32_t got = 0;
    while (got < wanted) {
        int64_t n = port_.Read(link_.Reply.bytes.data() + got, static_cast<size_t>(wanted - got));
        if (n <= 0)
            break;
        got += static_cast<int32_t>(n);
    }
    awaitingReply_ = false;
    if (port_.Vanished()) {
        PortGone();
        return;
    }
    // Whatever came after the reply is thrown away. Where a command follows, its own purge
    // (after the frame is out, the output drained) does that a few milliseconds later, so the
    // line is purged once a shot, not twice.
    if (got < wanted) {
        port_.Purge();
        return;  // a failed read ends the poll without a shot
    }
    counters_.ShotsRead.fetch_add(1, std::memory_order_relaxed);

    if (link_.AzimuthExchangePending != 0) {
        if (settings_.SimulateAzimuthDrive != 0) {
            port_.Purge();
            return;
        }
        shots_.ProcessShot();
        settings_.ParametersChanged = 1;
        Send();
    } else if (settings_.EnableOrientationModule == 0) {
        // The next exchange starts before this shot is drawn. The reply must still be checked
        // against the command it answers, not the one just sent.
        const ExpectedReply answered = link_.Expected;
        settings_.ParametersChanged = 1;
        Send();
        const ExpectedReply next = link_.Expected;
        link_.Expected = answered;
        shots_.ProcessShot();
        link_.Expected = next;
    } else {
        shots_.ProcessShot();
        settings_.ParametersChanged = 1;
        Send();
    }
}

}  // namespace tarvisk
