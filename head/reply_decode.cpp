#include "head/reply_decode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarvisk {

namespace {

inline constexpr size_t MinimumReplyLength = 13;  // "I", type, "X", header, 0xFC
inline constexpr size_t DataStart = 12;
inline constexpr int32_t MaxLevel = 107;
inline constexpr float PiF = 3.141592654f;

// Truncation toward zero that never hands the conversion a value out of int range (settings
// read from a file or typed by a fuzzer may make the real value huge or NaN).
int32_t Truncate(double v) {
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int32_t>(v);
}

int32_t FourteenBit(uint8_t low, uint8_t high) {
    return (high & 0x7F) * 128 + (low & 0x7F);
}

uint8_t Level(int32_t value, int32_t shift) {
    return static_cast<uint8_t>(std::min(value >> shift, MaxLevel));
}

bool MirrorBearing(const SonarSettings& s) {
    int32_t grid = s.ProfileGrid, xdcr = s.Xdcr, zeroDown = s.ZeroDown;
    if (grid == 0)
        return xdcr == XdcrUp;
    if (grid == 1)
        return (xdcr == XdcrDown && zeroDown == 0) || (xdcr == XdcrUp && zeroDown == 1);
    return false;
}

bool IsMix(int32_t profile) {
    return profile == LowMix || profile == MedMix || profile == HighMix;
}

void UpdateShotPeriod(HeadLink& link) {
    int64_t now = link.Hooks->MonotonicMilliseconds();
    if (link.LastShotMilliseconds >= 0) {
        link.ShotPeriodSum += static_cast<uint32_t>(now - link.LastShotMilliseconds);
        if (++link.ShotPeriodShots >= 10) {
            char text[16];
            std::snprintf(text, sizeof text, "%u ms", link.ShotPeriodSum / 10u);
            link.ShotPeriodText.Set(text);
            link.ShotPeriodSum = 0;
            link.ShotPeriodShots = 0;
        }
    }
    link.LastShotMilliseconds = now;
}

// Writes `count` levels starting at the echo-start offset, never past the end of the line.
class LineWriter {
  public:
    LineWriter(ShotRecord& shot) : line_(shot.EchoLine), pos_(shot.EchoStartOffset) {}
    void Put(uint8_t level) {
        if (pos_ < line_.size())
            line_[pos_++] = level;
    }
    size_t End() const { return pos_; }

  private:
    std::array<uint8_t, EchoLineSize>& line_;
    size_t pos_;
};

// Software profile search on the raw 8-bit data; writes the result back into the reply so
// recordings carry it.
void DetectProfile(HeadLink& link, const uint8_t* data, int32_t dataCount) {
    const SonarSettings& s = link.Settings;
    ShotRecord& shot = link.Shot;
    uint8_t* reply = link.Reply.bytes.data();
    int32_t offset = shot.EchoStartOffset;
    int32_t threshold = SoftwareProfileThreshold(s.ProfileMinimumLevel);
    bool polar = s.GridMode == Polar;

    double lineLength = polar ? 252.0 : 500.0;
    double range = s.RangeMeters;
    if (s.Units == Feet)
        range *= FeetPerMetre;
    int32_t start = range != 0.0 ? Truncate(lineLength * s.ProfileMinimumRange / range + 0.5) : 0;
    if (start >= static_cast<int32_t>(lineLength))
        shot.ProfileSampleIndex = 0;
    start = std::max(start - offset, 0);

    if (!IsMix(s.Profile) || reply[1] == ReplyTypeProfile)
        return;

    int32_t samples = link.Expected.SamplesPerLine;
    int32_t limit = std::min(samples, dataCount);
    int32_t first = 0;
    for (int32_t i = start; i < limit; ++i) {
        if (data[i] >= threshold) {
            first = i;
            break;
        }
    }
    int32_t index = 0;
    if (first > 0) {
        int32_t last = first;
        for (int32_t i = first + 1; i <= first + 20 && i < limit; ++i)
            if (data[i] >= threshold)
                last = i;
        int32_t a = first + offset, b = last + offset;
        index = s.ProfileDetectionType == 0 ? a : Truncate((a + b) * 0.5 + 0.5);
        if (index > samples)
            index = 0;
    }
    shot.ProfileSampleIndex = index;

    int32_t profileRange = 0;
    if (index > 0 && samples > 0) {
        int32_t v = std::max(index - offset, 0);
        int32_t rangeByte = shot.RangeByte;
        double pr = static_cast<double>(rangeByte) * v / samples * 100.0;
        if (rangeByte < 5)
            pr *= 5.0;
        profileRange = Truncate(pr + 0.5);
    }
    shot.ProfileRange = profileRange;
    reply[8] = static_cast<uint8_t>(profileRange & 0x7F);
    reply[9] = static_cast<uint8_t>((profileRange >> 7) & 0x7F);
}

void DecodeSamples(HeadLink& link, size_t length) {
    const SonarSettings& s = link.Settings;
    ShotRecord& shot = link.Shot;
    uint8_t* reply = link.Reply.bytes.data();
    const uint8_t* data = reply + DataStart;
    int32_t n = static_cast<int32_t>(length - MinimumReplyLength);
    int32_t profile = s.Profile;
    int32_t bits = s.DataBits;
    LineWriter out(shot);

    if (bits == 4 || bits == 16) {
        int32_t shift = profile == LowMix ? 2 : 0;
        if (bits == 4) {
            for (int32_t i = 0; i < n; ++i) {
                out.Put(Level((data[i] & 0x0F) * 16, shift));
                out.Put(Level(data[i] & 0xF0, shift));
            }
        } else {
            for (int32_t i = 0; i + 1 < n; i += 2) {
                int32_t word = data[i] | (data[i + 1] << 8);
                out.Put(Level((word >> 6) & 0xFF, shift));
            }
        }
    } else {
        int32_t shift = profile == LowMix ? 2 : profile == MedMix ? 1 : 0;
        // The head leaves four stray bytes at the end of an 8-bit polar line.
        if (reply[1] == ReplyTypePolar && n >= 4)
            std::fill(reply + length - 5, reply + length - 1, uint8_t{0});
        bool software = s.ProfileDigitizationSource == 1;
        if (!software && s.GridMode == Polar && reply[1] == ReplyTypeSector) {
            // A sector line shown on the polar plan: pairs folded to the stronger sample.
            for (int32_t i = 0; i + 1 < n; i += 2)
                out.Put(std::max(Level(data[i], shift), Level(data[i + 1], shift)));
        } else {
            for (int32_t i = 0; i < n; ++i)
                out.Put(Level(data[i], shift));
        }
        if (software) {
            shot.EchoLevelCount = static_cast<int32_t>(out.End());
            DetectProfile(link, data, n);
            return;
        }
    }
    shot.EchoLevelCount = static_cast<int32_t>(out.End());
}

void DecodeSonarHead(HeadLink& link, size_t length) {
    SonarSettings& s = link.Settings;
    ShotRecord& shot = link.Shot;
    uint8_t* reply = link.Reply.bytes.data();

    if (reply[1] == ReplyTypeHeadScan)
        link.HeadFound = 1;

    std::copy(reply, reply + ReplyHeaderSize, shot.HeaderCopy.begin());
    shot.HeadId = reply[3];
    link.LastReportedHeadId = reply[3];
    shot.SerialStatus = reply[4];
    shot.EchoStartSelector = reply[4] & 0x01;
    shot.Chirp = (reply[4] >> 1) & 0x01;
    shot.TerminationByte = reply[length - 1];

    UpdateShotPeriod(link);

    int32_t position = (reply[6] & 0x3F) * 128 + (reply[5] & 0x7F);
    if (position > 1200)
        position = shot.LastAcceptedPosition;
    else
        shot.LastAcceptedPosition = position;
    shot.StepDirection = (reply[6] >> 6) & 0x01;
    shot.RangeByte = reply[7];
    shot.ProfileRange = reply[9] * 128 + (reply[8] & 0x7F);

    EchoStart echoStart = ComputeEchoStart(s, shot.EchoStartSelector);
    shot.EchoStartOffset = echoStart.Offset;
    shot.EchoStartDistance = echoStart.Distance;
    std::fill(shot.EchoLine.begin(), shot.EchoLine.begin() + echoStart.Offset, uint8_t{0});
    shot.EchoLevelCount = echoStart.Offset;

    bool polar = s.GridMode == Polar;
    if (shot.ProfileRange == 0) {
        shot.ProfileSampleIndex = 0;
        if (s.Profile == PointsOnly) {
            shot.EchoStartOffset = 0;
            shot.EchoLevelCount = 0;
        }
    } else {
        // Single precision, as the settings hold it: a point at 5.00 m on a 0.1 m spacing
        // is sample 50, not 49.999.
        float unit = s.RangeMeters < 5 ? 0.002f : 0.01f;
        float metres = static_cast<float>(shot.ProfileRange) * unit;
        float spacing = s.SampleSpacing;
        float d = spacing > 0.0f ? metres / spacing : 0.0f;
        if (polar)
            d *= 0.5f;
        shot.ProfileSampleIndex = Truncate(shot.EchoStartOffset + d);
    }

    shot.DataByteCount = FourteenBit(reply[10], reply[11]);

    shot.DrawDirection = shot.StepDirection;
    if (MirrorBearing(s)) {
        position = 1200 - position;
        if (position == 1200)
            position = 0;
        shot.DrawDirection ^= 1;
    }
    shot.HeadPosition = position;

    float p = static_cast<float>(position - 600);
    int32_t mode = s.GridMode;
    float degrees, radians;
    if (mode == Profile) {
        radians = p * PiF / 600.0f + PiF;
        degrees = p * 0.3f + 180.0f;
    } else {
        radians = p * PiF / 600.0f;
        if (mode == Sector && s.ProfileGrid == 0)
            radians -= static_cast<float>(s.Train) * PiF / 180.0f;
        degrees = p * 0.3f;
    }
    float rotate = s.RotateAngle;
    degrees += rotate;
    radians += rotate * PiF / 180.0f;
    if (degrees < 0.0f)
        degrees += 360.0f;
    shot.HeadAngleDegrees = degrees;
    shot.HeadAngleRadians = radians;

    if (s.Profile != PointsOnly && link.HeadScanActive == 0)
        DecodeSamples(link, length);

    if (s.RunMode == 1)
        ApplyRangeMeters(s, shot.RangeByte);
    shot.ShotSpeed = s.Speed;
}

void DecodeAzimuth(HeadLink& link, size_t length) {
    const uint8_t* reply = link.Reply.bytes.data();
    AzimuthReplyFields& a = link.Azimuth;
    a.FirstReply = link.AzimuthDetected == 0;
    link.AzimuthDetected = 1;
    link.AzimuthExchangePending = 0;
    link.AzimuthCommandCount = 0;
    link.AzimuthPollCount = 0;
    std::copy(reply, reply + ReplyHeaderSize, a.Header.begin());
    a.Byte3 = reply[3];
    a.Byte4 = reply[4];
    a.Value1011 = FourteenBit(reply[10], reply[11]);
    a.TerminationByte = reply[length - 1];
    link.ReportedAzimuthPosition = (reply[6] & 0x3F) * 128 + (reply[5] & 0x7F);
    link.Hooks->OnAzimuthReply();
}

void DecodeOrientation(HeadLink& link, size_t length) {
    const uint8_t* reply = link.Reply.bytes.data();
    OrientationReplyFields& o = link.Orientation;
    size_t n = std::min(length, o.Bytes.size());
    std::copy(reply, reply + n, o.Bytes.begin());
    std::fill(o.Bytes.begin() + n, o.Bytes.end(), uint8_t{0});
    o.RawPitch = FourteenBit(o.Bytes[18], o.Bytes[19]);
    o.RawRoll = FourteenBit(o.Bytes[20], o.Bytes[21]);
    o.RawHeading = FourteenBit(o.Bytes[22], o.Bytes[23]);
    link.OrientationRequestsUnanswered = 0;
    link.Hooks->OnOrientationReply();
}

}  // namespace

int32_t SoftwareProfileThreshold(int32_t profileMinimumLevel) {
    return Truncate(profileMinimumLevel * 100.0 / 107.0 + 0.5);
}

EchoStart ComputeEchoStart(const SonarSettings& s, int32_t selector) {
    int64_t pulse = s.PulseLength;  // wide, so no stored value can overflow the sums
    int64_t t;
    if (s.RangeMeters < 5)
        t = selector ? pulse - 18 : pulse + 112;
    else
        t = selector ? pulse - 41 : pulse + 202;
    double factor = s.GridMode == Polar ? 0.5 : 1.0;
    double scale = s.RangeScale;
    EchoStart result;
    int32_t offset = scale > 0.0 ? Truncate(static_cast<double>(t) * 0.0075 / scale * factor) : 0;
    result.Offset = offset < 0 || offset >= 100 ? 0 : offset;
    result.Distance = std::max(static_cast<float>(static_cast<double>(t) * 0.00075), 0.0f);
    return result;
}

namespace {

ReplyCheck CheckFrame(const ReplyBuffer& buffer, int32_t length, uint8_t type) {
    ReplyCheck check;
    const auto& b = buffer.bytes;
    if (length < static_cast<int32_t>(MinimumReplyLength) ||
        length > static_cast<int32_t>(ReplyBufferSize)) {
        check.Fault = ReplyFault::BadLength;
        return check;
    }
    auto fail = [&](ReplyFault fault, size_t index, uint8_t expected) {
        check.Fault = fault;
        check.ByteIndex = index;
        check.Expected = expected;
        check.Actual = b[index];
        return check;
    };
    if (b[0] != 'I')
        return fail(ReplyFault::BadStart, 0, 'I');
    if (b[1] != type)
        return fail(ReplyFault::BadType, 1, type);
    if (b[2] != 'X')
        return fail(ReplyFault::BadMarker, 2, 'X');
    if (b[length - 1] != ReplyTermination)
        return fail(ReplyFault::BadEnd, static_cast<size_t>(length - 1), ReplyTermination);
    return check;
}

}  // namespace

ReplyCheck CheckReplyFrame(const HeadLink& link) {
    return CheckFrame(link.Reply, link.Expected.ExpectedReplyLength,
                      static_cast<uint8_t>(link.Expected.ReplyType.Get()));
}

bool CheckAndDecodeReply(HeadLink& link) {
    // One reading of the expectation serves both the check and the decode.
    int32_t expectedLength = link.Expected.ExpectedReplyLength;
    uint8_t type = static_cast<uint8_t>(link.Expected.ReplyType.Get());
    if (CheckFrame(link.Reply, expectedLength, type).Fault != ReplyFault::None)
        return false;
    size_t length = static_cast<size_t>(expectedLength);
    if (link.Settings.RunMode == 0 && link.StampRefresher)
        link.StampRefresher->RefreshDateTimeStamp();
    link.ReplyReceived = 1;
    switch (type) {
        case ReplyTypeAzimuth:
            DecodeAzimuth(link, length);
            break;
        case ReplyTypeSector:
        case ReplyTypePolar:
        case ReplyTypeProfile:
        case ReplyTypeHeadScan:
            DecodeSonarHead(link, length);
            break;
        case ReplyTypeOrientation:
            DecodeOrientation(link, length);
            break;
        default:
            break;
    }
    return true;
}

}  // namespace tarvisk
