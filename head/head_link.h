#pragma once
// The per-program state of the head line: the command buffer, the reply expected and
// received, the decoded shot, and the counters and request flags that the user interface,
// the acquisition thread and the peripherals share. One exists for the whole run.

#include <array>
#include <cstdint>

#include "head/shot_record.h"
#include "head/switch_command.h"
#include "settings/shared_value.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

// What the reply decode asks of layers above it. Every call has a do-nothing default, so a
// test or tool needs none of them. Called on the thread that decodes (acquisition or
// playback).
class LinkHooks {
  public:
    virtual ~LinkHooks() = default;
    // After an "A" reply was stored in link.Azimuth (detected, pending cleared).
    virtual void OnAzimuthReply() {}
    // After an "O" reply was stored in link.Orientation.
    virtual void OnOrientationReply() {}
    // Each orientation request from the fifth unanswered one on.
    virtual void OnOrientationUnanswered() {}
    // A head-ID change went out with the last head-scan command.
    virtual void OnHeadIdChanged() {}
    // Milliseconds on a monotonic clock, for the shot period.
    virtual int64_t MonotonicMilliseconds();
};

// Keeps the date/time stamp: each valid reply in live mode refreshes it, so a recorded shot
// carries the time it arrived. The acquisition thread installs itself while it exists.
class DateTimeRefresher {
  public:
    virtual ~DateTimeRefresher() = default;
    virtual void RefreshDateTimeStamp() = 0;
};

// Fields of the last azimuth drive reply, kept for the azimuth and diagnostics windows.
struct AzimuthReplyFields {
    std::array<uint8_t, ReplyHeaderSize> Header{};
    int32_t Byte3 = 0;
    int32_t Byte4 = 0;
    int32_t Value1011 = 0;  // 14-bit value of bytes 10, 11
    int32_t TerminationByte = 0;
    bool FirstReply = false;  // this reply detected the drive (clear "Azimuth Drive Not Found")
};

// Raw values of the last orientation module reply (14-bit, 0.1 degree); the offsets and the
// filter are applied by the orientation module's own code.
struct OrientationReplyFields {
    std::array<uint8_t, 29> Bytes{};
    int32_t RawPitch = 0;    // bytes 18, 19
    int32_t RawRoll = 0;     // bytes 20, 21
    int32_t RawHeading = 0;  // bytes 22, 23
};

struct HeadLink {
    explicit HeadLink(SonarSettings& settings) : Settings(settings) {}
    HeadLink(const HeadLink&) = delete;
    HeadLink& operator=(const HeadLink&) = delete;

    SonarSettings& Settings;
    LinkHooks* Hooks = &DefaultHooks;
    DateTimeRefresher* StampRefresher = nullptr;

    // The one command buffer; builders overwrite it in place.
    SwitchCommand Command{};
    ExpectedReply Expected;
    ReplyBuffer Reply;
    ShotRecord Shot;

    // Byte 21 of the last command; a baud index without its own code keeps it.
    int32_t BaudCode = 6;
    // Bit 0 of byte 5. Hold as it stood at the last send in live mode: a Hold switched in
    // playback reaches the head with the first live command.
    SharedInt HoldBit{0};

    // Sender state.
    SharedInt HeadCommandCount{0};
    SharedInt AzimuthCommandCount{0};
    SharedInt OrientationRequestsUnanswered{5};
    int32_t LastOrientationSecond = -1;
    int32_t LastTargetId = 16;

    // Requests and modes set by other parts.
    SharedInt AzimuthExchangePending{0};
    SharedInt HeadScanActive{0};
    SharedInt AutoScanActive{0};      // an automated scan runs: the sector gets its pad
    SharedInt AutoScanOwnsBuffer{0};  // the next send uses the buffer as it stands

    // Head scan and head programming.
    SharedInt ScanId{16};
    SharedInt HeadScanCommandCount{0};
    SharedInt HeadFound{0};
    SharedInt HeadIdChangeRequest{0};
    SharedInt NewHeadId{16};
    SharedInt PreviousHeadId{16};
    SharedInt NvRamWriteRequest{0};
    SharedInt NvRamSerialNumber{0};  // 0..9999
    SharedInt NvRamDepthRating{0};   // 0 1000 m, 1 3000 m
    SharedInt LastReportedHeadId{16};

    // Why the head port cannot be used ("COM1 (/dev/ttyUSB7) not found"), empty while it
    // is open; the link status line says it instead of the no-data text.
    SharedText<96> PortProblemText{""};

    // Set by every valid reply; the auto-azimuth scan waits for it and clears it.
    SharedInt ReplyReceived{0};

    // Azimuth drive.
    SharedInt AzimuthDetected{0};
    SharedInt AzimuthPollCount{0};
    SharedInt ReportedAzimuthPosition{0};
    AzimuthReplyFields Azimuth;

    // Orientation module.
    OrientationReplyFields Orientation;

    // Shot period: mean of the last ten sonar-head shots, as "<n> ms".
    uint32_t ShotPeriodSum = 0;
    int32_t ShotPeriodShots = 0;
    int64_t LastShotMilliseconds = -1;
    SharedText<16> ShotPeriodText{""};

  private:
    static LinkHooks DefaultHooks;
};

}  // namespace tarvisk
