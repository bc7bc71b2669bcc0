#include "head/switch_command.h"

#include <algorithm>
#include <cstdlib>

#include "head/command_line.h"
#include "head/expected_reply.h"
#include "head/head_link.h"
#include "head/orientation_module.h"

namespace tarvisk {

namespace {

uint8_t Low8(int32_t v) {
    return static_cast<uint8_t>(v & 0xFF);
}

void FillFrame(SwitchCommand& c) {
    c[0] = CommandStart1;
    c[1] = CommandStart2;
    c[26] = CommandEnd;
}

// Byte 19: samples asked for per line; in Profile mode the previous byte stays.
void WriteDataPoints(SwitchCommand& c, const SonarSettings& s) {
    switch (s.GridMode.Get()) {
        case Sector:
            c[19] = 50;
            break;
        case Polar:
            c[19] = 25;
            break;
        case SS:
            c[19] = s.SSChannel == BothChannels ? 25 : 50;
            break;
        default:
            break;
    }
}

int32_t UpdateBaudCode(HeadLink& link) {
    int32_t code = BaudCodeForIndex(link.Settings.BaudIndex);
    if (code >= 0)
        link.BaudCode = code;
    return link.BaudCode;
}

// The bytes the normal and head-scan commands share. One-shot flags are taken by the caller
// so that the head-scan command can leave them alone.
void WriteHeadCommon(HeadLink& link, int32_t oneShot, int32_t calibrate) {
    SonarSettings& s = link.Settings;
    SwitchCommand& c = link.Command;
    FillFrame(c);
    c[3] = Low8(s.RangeMeters);
    c[4] = 0;
    c[5] = Low8((link.HoldBit ? 0x01 : 0) | (oneShot ? 0x40 : 0));
    c[6] = 0x43;
    c[7] = 0;
    c[8] = Low8(s.Gain);
    c[9] = 1;
    c[10] = Low8(s.Absorption);
    c[14] = Low8(s.PulseLength / 10);
    c[16] = 0;
    c[17] = 0;
    c[18] = 0;
    WriteDataPoints(c, s);
    c[20] = Low8(s.DataBits);
    c[21] = Low8(UpdateBaudCode(link));
    c[22] = s.Profile == PointsOnly ? 1 : 0;
    c[23] = Low8(calibrate);
    c[25] = Low8(FrequencyCode(s.Frequency));
}

}  // namespace

int32_t TrainCode(int32_t train, int32_t xdcr, bool limit) {
    int32_t code = train < 180 ? train / 3 + 60 : std::abs((180 - train) / 3);
    if (xdcr == XdcrUp)
        code = 120 - code;
    if (limit && code >= 120)
        code = 0;
    return code;
}

int32_t SectorPadForSpeed(int32_t speed) {
    if (speed == Faster)
        return 6;
    if (speed == Fastest)
        return 9;
    return 3;
}

int32_t SectorCode(int32_t sectorSize, int32_t speed, bool autoScanActive) {
    int32_t pad = SectorPadForSpeed(speed);
    int32_t code = sectorSize / 3;
    if (autoScanActive && sectorSize + pad < 360)
        code = (sectorSize + pad) / 3;
    return std::min(code, 120);
}

int32_t StepCode(int32_t sectorSize, int32_t speed) {
    if (sectorSize == 0)
        return 0;
    return speed == Fastest ? 8 : speed + 1;
}

int32_t ProfileRangeCode(float profileMinimumRange, int32_t units) {
    double metres = profileMinimumRange;
    if (units == Feet)
        metres *= MetresPerFoot;
    double tenths = metres * 10.0 + 0.5;
    // Compare before converting: a huge or NaN value must not reach the integer conversion.
    if (!(tenths > 0.0))
        return 0;
    if (tenths > 250.0)
        return 250;
    return static_cast<int32_t>(tenths);
}

int32_t BaudCodeForIndex(int32_t baudIndex) {
    switch (baudIndex) {
        case 0:
            return 11;
        case 2:
            return 3;
        case 3:
            return 12;
        case 4:
            return 5;
        case 5:
            return 6;
        default:
            return -1;
    }
}

int32_t SwitchDelayCode(int32_t switchDelay, int32_t rangeMeters) {
    int32_t delay = switchDelay + (rangeMeters == 1 ? 2 : 0);
    return std::min(delay, 500) / 2;
}

int32_t FrequencyCode(int32_t frequency) {
    return ((frequency - 675) / 5 + 100) & 0xFF;
}

void BuildNormalCommand(HeadLink& link) {
    SonarSettings& s = link.Settings;
    s.RangeOffset = 0;
    // Take the one-shot flags atomically, so a request set while the frame is built is sent
    // with the next one instead of being lost.
    int32_t oneShot = s.OneShotRequest.Take();
    int32_t calibrate = s.CalibrateRequest.Take();
    WriteHeadCommon(link, oneShot, calibrate);
    SwitchCommand& c = link.Command;
    int32_t sectorSize = s.SectorSize;
    c[2] = Low8(s.MasterHeadID);
    c[11] = Low8(TrainCode(s.Train, s.Xdcr));
    c[12] = Low8(SectorCode(sectorSize, s.Speed, link.AutoScanActive != 0));
    c[13] = Low8(StepCode(sectorSize, s.Speed));
    c[15] = Low8(ProfileRangeCode(s.ProfileMinimumRange, s.Units));
    c[24] = Low8(SwitchDelayCode(s.SwitchDelay, s.RangeMeters));
}

void BuildHeadScanCommand(HeadLink& link) {
    SonarSettings& s = link.Settings;
    WriteHeadCommon(link, s.OneShotRequest, s.CalibrateRequest);
    SwitchCommand& c = link.Command;
    c[2] = Low8(link.ScanId);
    c[7] = 1;
    c[11] = Low8(TrainCode(s.Train, s.Xdcr, false));
    c[12] = Low8(s.SectorSize / 3);
    c[13] = 0;
    c[15] = 0;
    c[18] = 0;
    c[21] = 0;
    c[24] = Low8(s.SwitchDelay / 2);

    if (link.NvRamWriteRequest.Take()) {
        int32_t serial = link.NvRamSerialNumber;
        c[10] = 0x80;
        c[15] = Low8(serial & 0x7F);
        c[18] = Low8((serial >> 7) & 0x7F);
        c[21] = Low8(link.NvRamDepthRating & 0x0F);
    } else {
        c[10] = 0;
    }

    bool idChanged = false;
    if (link.HeadIdChangeRequest.Take()) {
        // The head still answers to the ID it last reported; tell it its new one.
        int32_t oldId = link.LastReportedHeadId;
        int32_t newId = link.NewHeadId;
        c[2] = Low8(oldId);
        c[16] = Low8(newId | 0x80);
        s.MasterHeadID = newId;
        link.ScanId = newId;
        link.PreviousHeadId = oldId;
        idChanged = true;
    }
    link.HeadScanCommandCount = link.HeadScanCommandCount + 1;
    if (idChanged)
        link.Hooks->OnHeadIdChanged();
}

void BuildAzimuthCommand(HeadLink& link) {
    SonarSettings& s = link.Settings;
    SwitchCommand& c = link.Command;
    c.fill(0);
    FillFrame(c);
    int32_t angle = s.AzimuthAngle;
    c[2] = AzimuthDriveId;
    c[5] = link.HoldBit ? 0x01 : 0;
    c[6] = 0x43;
    c[11] = Low8(angle & 0x7F);
    c[12] = Low8((angle >> 7) & 0x0F);
    c[21] = Low8(UpdateBaudCode(link));
    c[24] = Low8(s.SwitchDelay / 2);
}

void BuildOrientationCommand(HeadLink& link) {
    SwitchCommand& c = link.Command;
    c.fill(0);
    FillFrame(c);
    c[2] = OrientationModuleId;
}

void BuildScanStepCommand(SwitchCommand& command, uint8_t trainCode) {
    command[11] = trainCode;
    command[12] = 0;
    command[13] = 1;
}

void SendSwitchCommand(HeadLink& link, CommandLine& line) {
    SonarSettings& s = link.Settings;
    s.ParametersChanged = 0;
    if (s.RunMode == 0)
        link.HoldBit = s.Hold.Get();

    bool headScan = link.HeadScanActive != 0;
    bool azimuthPending = link.AzimuthExchangePending != 0;
    bool ownsBuffer = link.AutoScanOwnsBuffer != 0;

    // At most one orientation request per clock second, right after a head shot. Not while
    // the head scan or an automated scan fills the buffer: the orientation builder would not
    // run, and the head's reply would be checked against an orientation reply.
    bool orientationDue = false;
    if (s.EnableOrientationModule && !azimuthPending && !headScan && !ownsBuffer &&
        OrientationRequestDue(link, s.ClockSecond)) {
        link.LastOrientationSecond = s.ClockSecond;
        orientationDue = true;
    }
    int32_t masterId = s.MasterHeadID;
    int32_t target;
    if (orientationDue && link.LastTargetId == masterId) {
        target = OrientationModuleId;
        int32_t unanswered = link.OrientationRequestsUnanswered + 1;
        link.OrientationRequestsUnanswered = unanswered;
        if (unanswered >= 5)
            link.Hooks->OnOrientationUnanswered();
        SetExpectedReply(link, true);
    } else {
        target = masterId;
        link.HeadCommandCount = link.HeadCommandCount + 1;
        SetExpectedReply(link, false);
    }
    link.LastTargetId = target;

    if (azimuthPending) {
        BuildAzimuthCommand(link);
        link.AzimuthCommandCount = link.AzimuthCommandCount + 1;
    } else if (headScan) {
        BuildHeadScanCommand(link);
    } else if (!ownsBuffer) {
        if (target == OrientationModuleId)
            BuildOrientationCommand(link);
        else
            BuildNormalCommand(link);
    }
    line.TransmitCommand(link.Command);
}

void SendScanStepCommand(HeadLink& link, CommandLine& line, uint8_t trainCode) {
    BuildScanStepCommand(link.Command, trainCode);
    link.AutoScanOwnsBuffer = 1;
    SendSwitchCommand(link, line);
    link.AutoScanOwnsBuffer = 0;
}

}  // namespace tarvisk
