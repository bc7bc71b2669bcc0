#include "head/reply_decode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "head/expected_reply.h"

namespace tarvisk {
namespace {

struct ClockHooks : LinkHooks {
    int64_t now = 1000;
    int azimuthReplies = 0;
    int64_t MonotonicMilliseconds() override { return now; }
    void OnAzimuthReply() override { ++azimuthReplies; }
};

struct ReplyDecodeTest : ::testing::Test {
    SonarSettings settings;
    HeadLink link{settings};
    ClockHooks hooks;

    void SetUp() override { link.Hooks = &hooks; }

    // Sets the expectation for the current settings and lays a valid frame of that shape in
    // the buffer: header bytes 3..11 from `header`, data from `data` (zero-padded).
    void Frame(std::vector<uint8_t> header, std::vector<uint8_t> data = {}) {
        SetExpectedReply(link);
        Lay(link.Expected.ReplyType, link.Expected.ExpectedReplyLength, header, data);
    }
    void Lay(int type, int length, std::vector<uint8_t> header, std::vector<uint8_t> data) {
        auto& b = link.Reply.bytes;
        b.fill(0);
        b[0] = 'I';
        b[1] = static_cast<uint8_t>(type);
        b[2] = 'X';
        header.resize(9);
        std::copy(header.begin(), header.end(), b.begin() + 3);
        std::copy(data.begin(), data.end(), b.begin() + 12);
        b[length - 1] = 0xFC;
    }
    // Header with a head position, the range byte and a profile range.
    static std::vector<uint8_t> Header(int position, int range = 50, int profileRange = 0,
                                       int status = 0) {
        return {16,
                static_cast<uint8_t>(status),
                static_cast<uint8_t>(position & 0x7F),
                static_cast<uint8_t>((position >> 7) & 0x3F),
                static_cast<uint8_t>(range),
                static_cast<uint8_t>(profileRange & 0x7F),
                static_cast<uint8_t>(profileRange >> 7),
                0xF4,
                0x03};
    }
};

TEST_F(ReplyDecodeTest, BadFrameIsRejectedWithoutChangingAnything) {
    ApplyDisplayMode(settings, Sector);
    struct Row {
        size_t index;
        uint8_t value;
        ReplyFault fault;
    } rows[] = {{0, 'J', ReplyFault::BadStart},
                {1, 'M', ReplyFault::BadType},
                {2, 'Y', ReplyFault::BadMarker},
                {512, 0xFD, ReplyFault::BadEnd}};
    for (const Row& r : rows) {
        Frame(Header(700), std::vector<uint8_t>(500, 90));
        link.Reply.bytes[r.index] = r.value;
        ShotRecord before = link.Shot;
        ReplyBuffer bufferBefore = link.Reply;
        ReplyCheck check = CheckReplyFrame(link);
        EXPECT_EQ(check.Fault, r.fault);
        EXPECT_EQ(check.ByteIndex, r.index);
        EXPECT_EQ(check.Actual, r.value);
        EXPECT_FALSE(CheckAndDecodeReply(link)) << "byte " << r.index;
        EXPECT_EQ(std::memcmp(&before, &link.Shot, sizeof before), 0);
        EXPECT_EQ(bufferBefore.bytes, link.Reply.bytes);
        EXPECT_EQ(link.ReplyReceived, 0);
        EXPECT_EQ(link.LastShotMilliseconds, -1);
    }
    link.Expected.ExpectedReplyLength = 5000;
    EXPECT_EQ(CheckReplyFrame(link).Fault, ReplyFault::BadLength);
    EXPECT_FALSE(CheckAndDecodeReply(link));
    link.Expected.ExpectedReplyLength = 12;
    EXPECT_FALSE(CheckAndDecodeReply(link));
}

TEST_F(ReplyDecodeTest, PositionBearingAndMirroring) {
    struct Row {
        int mode, xdcr, profileGrid, zeroDown, train;
        float rotate;
        uint8_t b5, b6;
        int position, direction;
        float degrees, radians;
    } rows[] = {
        {Polar, 0, 0, 1, 0, 0.0f, 0x58, 0x04, 600, 0, 0.0f, 0.0f},
        {Polar, 0, 0, 1, 0, 0.0f, 0x00, 0x00, 0, 0, 180.0f, -3.141592654f},
        {Polar, 0, 0, 1, 0, 0.0f, 0x3C, 0x45, 700, 1, 30.0f, 0.5235988f},
        {Polar, 1, 0, 1, 0, 0.0f, 0x3C, 0x45, 500, 0, 330.0f, -0.5235988f},  // mirrored
        {Polar, 1, 0, 1, 0, 0.0f, 0x00, 0x00, 0, 1, 180.0f, -3.141592654f},  // 1200 -> 0
        {Polar, 0, 1, 0, 0, 0.0f, 0x3C, 0x45, 500, 0, 330.0f, -0.5235988f},
        {Polar, 1, 1, 1, 0, 0.0f, 0x3C, 0x45, 500, 0, 330.0f, -0.5235988f},
        {Polar, 0, 1, 1, 0, 0.0f, 0x3C, 0x45, 700, 1, 30.0f, 0.5235988f},
        {Sector, 0, 0, 1, 90, 0.0f, 0x58, 0x04, 600, 0, 0.0f, -1.5707963f},
        {Sector, 0, 1, 1, 90, 0.0f, 0x58, 0x04, 600, 0, 0.0f, 0.0f},
        {Profile, 0, 0, 1, 0, 0.0f, 0x3C, 0x05, 700, 0, 210.0f, 3.6651914f},
        {Polar, 0, 0, 1, 0, -10.0f, 0x58, 0x04, 600, 0, 350.0f, -0.1745329f},
    };
    for (const Row& r : rows) {
        ApplyDisplayMode(settings, r.mode);
        settings.Xdcr = r.xdcr;
        settings.ProfileGrid = r.profileGrid;
        settings.ZeroDown = r.zeroDown;
        settings.Train = r.train;
        settings.RotateAngle = r.rotate;
        std::vector<uint8_t> h = Header(0);
        h[2] = r.b5;
        h[3] = r.b6;
        Frame(h);
        ASSERT_TRUE(CheckAndDecodeReply(link));
        EXPECT_EQ(link.Shot.HeadPosition, r.position);
        EXPECT_EQ(link.Shot.DrawDirection, r.direction);
        EXPECT_NEAR(link.Shot.HeadAngleDegrees, r.degrees, 1e-3);
        EXPECT_NEAR(link.Shot.HeadAngleRadians, r.radians, 1e-5);
    }
}

TEST_F(ReplyDecodeTest, PositionAboveATurnKeepsTheLastAcceptedOne) {
    Frame(Header(700));
    ASSERT_TRUE(CheckAndDecodeReply(link));
    Frame(Header(1201));
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.HeadPosition, 700);
    Frame(Header(1200));
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.HeadPosition, 1200);
    EXPECT_EQ(link.Shot.LastAcceptedPosition, 1200);
}

TEST_F(ReplyDecodeTest, EchoStartOffsetAndBlanking) {
    struct Row {
        int rangeIndex, mode, pulse, selector, offset;
        float distance;
    } rows[] = {{9, Sector, 100, 0, 2, 0.2265f},  {9, Polar, 100, 0, 1, 0.2265f},
                {4, Sector, 10, 1, 0, 0.0f},      {0, Sector, 100, 0, 79, 0.159f},
                {0, Sector, 300, 0, 0, 0.309f},  // 154.5: 100 or more means none
                {1, Sector, 100, 1, 15, 0.0615f}, {3, Polar, 1000, 0, 52, 0.834f}};
    for (const Row& r : rows) {
        ApplyRangeIndex(settings, r.rangeIndex);
        ApplyDisplayMode(settings, r.mode);
        settings.PulseLength = r.pulse;
        EchoStart e = ComputeEchoStart(settings, r.selector);
        EXPECT_EQ(e.Offset, r.offset) << "range " << r.rangeIndex << " pulse " << r.pulse;
        EXPECT_NEAR(e.Distance, r.distance, 1e-5);
    }

    // The offset's leading samples are zero and the data follows them.
    ApplyRangeIndex(settings, 1);  // 2 m
    ApplyDisplayMode(settings, Sector);
    settings.PulseLength = 100;
    link.Shot.EchoLine.fill(99);
    Frame(Header(600, 2, 0, 1), std::vector<uint8_t>(500, 80));
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.EchoStartSelector, 1);
    EXPECT_EQ(link.Shot.EchoStartOffset, 15);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(link.Shot.EchoLine[i], 0);
    EXPECT_EQ(link.Shot.EchoLine[15], 80);
    EXPECT_EQ(link.Shot.EchoLevelCount, 515);
}

TEST_F(ReplyDecodeTest, SampleResolutionsAndMixShifts) {
    struct Row {
        int mode, bits, profile;
        std::vector<uint8_t> data;
        std::vector<uint8_t> levels;
    } rows[] = {
        {Sector, 4, ProfileOff, {0x3A}, {107, 48}},
        {Sector, 4, LowMix, {0x3A}, {40, 12}},
        {Sector, 4, MedMix, {0x3A}, {107, 48}},
        {Sector, 16, ProfileOff, {0x40, 0x1A, 0xC0, 0x3F}, {105, 107}},
        {Sector, 16, LowMix, {0x40, 0x1A}, {26}},
        {Sector, 8, ProfileOff, {200, 100, 7}, {107, 100, 7}},
        {Sector, 8, LowMix, {200, 100, 7}, {50, 25, 1}},
        {Sector, 8, MedMix, {200, 100, 7}, {100, 50, 3}},
        {Sector, 8, HighMix, {200, 100, 7}, {107, 100, 7}},
    };
    settings.PulseLength = 10;  // 50 m: offset trunc(212 * 0.0075) = 1
    for (const Row& r : rows) {
        ApplyDisplayMode(settings, r.mode);
        settings.DataBits = r.bits;
        settings.Profile = r.profile;
        Frame(Header(600), r.data);
        ASSERT_TRUE(CheckAndDecodeReply(link));
        int offset = link.Shot.EchoStartOffset;
        ASSERT_EQ(offset, 1);
        for (size_t i = 0; i < r.levels.size(); ++i)
            EXPECT_EQ(link.Shot.EchoLine[offset + i], r.levels[i])
                << "bits " << r.bits << " profile " << r.profile << " level " << i;
    }
}

TEST_F(ReplyDecodeTest, LineLengthsNeverPassTheEchoLine) {
    settings.PulseLength = 1000;  // the largest offsets
    struct Row {
        int mode, bits, count;
    } rows[] = {{Sector, 4, 504}, {Sector, 8, 500}, {Sector, 16, 250},
                {Polar, 4, 256},  {Polar, 8, 252},  {Polar, 16, 250}};
    for (const Row& r : rows) {
        ApplyDisplayMode(settings, r.mode);
        settings.DataBits = r.bits;
        Frame(Header(600), std::vector<uint8_t>(500, 0x11));
        ASSERT_TRUE(CheckAndDecodeReply(link));
        EXPECT_EQ(link.Shot.EchoLevelCount, link.Shot.EchoStartOffset + r.count);
    }
    // A length no head sends is still bounded by the line.
    link.Expected.ExpectedReplyLength = 4096;
    Lay(link.Expected.ReplyType, 4096, Header(600), std::vector<uint8_t>(4000, 0x22));
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.EchoLevelCount, static_cast<int>(EchoLineSize));
}

TEST_F(ReplyDecodeTest, PolarLineTailAndSectorPairs) {
    // 8-bit "M": the last four data bytes are zeroed in the buffer before decoding.
    ApplyDisplayMode(settings, Polar);
    Frame(Header(600), std::vector<uint8_t>(252, 60));
    ASSERT_TRUE(CheckAndDecodeReply(link));
    for (int i = 260; i <= 263; ++i)
        EXPECT_EQ(link.Reply.bytes[i], 0) << i;
    EXPECT_EQ(link.Reply.bytes[259], 60);
    EXPECT_EQ(link.Reply.bytes[264], 0xFC);
    int offset = link.Shot.EchoStartOffset;
    EXPECT_EQ(link.Shot.EchoLine[offset + 247], 60);
    EXPECT_EQ(link.Shot.EchoLine[offset + 248], 0);

    // A "G" reply on the polar plan folds pairs to the stronger sample.
    link.Expected.ReplyType = ReplyTypeSector;
    link.Expected.ExpectedReplyLength = 513;
    Lay(ReplyTypeSector, 513, Header(600), {10, 30, 200, 5});
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.EchoLine[offset], 30);
    EXPECT_EQ(link.Shot.EchoLine[offset + 1], 107);
    EXPECT_EQ(link.Shot.EchoLevelCount, offset + 250);
}

TEST_F(ReplyDecodeTest, HeadProfilePoint) {
    // 50 m, Sector, offset 2: 500 x 0.01 m / 0.1 m per sample = 50 samples.
    ApplyDisplayMode(settings, Sector);
    Frame(Header(600, 50, 500));
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.ProfileRange, 500);
    EXPECT_EQ(link.Shot.ProfileSampleIndex, 52);

    // Below 5 m the unit is 2 mm; Polar halves the distance.
    ApplyRangeIndex(settings, 2);  // 3 m, 0.006 m per sample
    ApplyDisplayMode(settings, Polar);
    Frame(Header(600, 3, 700));  // 1.4 m / 0.006 m / 2 = 116.7, after an offset of 13
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.EchoStartOffset, 13);
    EXPECT_EQ(link.Shot.ProfileSampleIndex, 129);

    // Points Only without a point drops the offset too; no echo samples are decoded.
    settings.Profile = PointsOnly;
    link.Shot.EchoLine.fill(7);
    Frame(Header(600, 3, 0));
    EXPECT_EQ(link.Expected.ReplyType, ReplyTypeProfile);
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.EchoStartOffset, 0);
    EXPECT_EQ(link.Shot.ProfileSampleIndex, 0);
    EXPECT_EQ(link.Shot.EchoLine[200], 7);
}

TEST_F(ReplyDecodeTest, SoftwareProfileDetection) {
    EXPECT_EQ(SoftwareProfileThreshold(70), 65);
    EXPECT_EQ(SoftwareProfileThreshold(10), 9);
    EXPECT_EQ(SoftwareProfileThreshold(90), 84);

    ApplyDisplayMode(settings, Sector);  // offset 2, 499 samples per line
    settings.ProfileDigitizationSource = 1;
    settings.Profile = HighMix;
    std::vector<uint8_t> data(500, 10);
    data[20] = 64;  // just below the threshold
    data[100] = 65;
    data[110] = 90;
    data[125] = 90;  // beyond the 20 that follow the first hit

    struct Row {
        int type;
        int index;
        int profileRange;
    } rows[] = {{0, 102, 1002}, {1, 107, 1052}};
    for (const Row& r : rows) {
        settings.ProfileDetectionType = r.type;
        Frame(Header(600, 50, 0), data);
        ASSERT_TRUE(CheckAndDecodeReply(link));
        EXPECT_EQ(link.Shot.ProfileSampleIndex, r.index);
        // 50 x 100 / 499 x 100 = 1002.0 and 50 x 105 / 499 x 100 = 1052.1, rounded
        EXPECT_EQ(link.Shot.ProfileRange, r.profileRange);
        EXPECT_EQ(link.Reply.bytes[8], r.profileRange & 0x7F);
        EXPECT_EQ(link.Reply.bytes[9], r.profileRange >> 7);
    }

    // The minimum range skips early hits: 10 m of 50 m is sample 100, less the offset.
    settings.ProfileDetectionType = 0;
    settings.ProfileMinimumRange = 10.5f;
    Frame(Header(600, 50, 0), data);
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.ProfileSampleIndex, 112);

    // A hit on the very first sample counts as none.
    settings.ProfileMinimumRange = 0.0f;
    std::vector<uint8_t> early = data;
    early[0] = 200;
    Frame(Header(600, 50, 0), early);
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.ProfileSampleIndex, 0);

    // Nothing above the threshold: no point, and zero is written back.
    settings.ProfileMinimumRange = 0.0f;
    Frame(Header(600, 50, 300), std::vector<uint8_t>(500, 10));
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.ProfileSampleIndex, 0);
    EXPECT_EQ(link.Shot.ProfileRange, 0);
    EXPECT_EQ(link.Reply.bytes[8], 0);

    // Without a mix the head's own value stays.
    settings.Profile = ProfileOff;
    Frame(Header(600, 50, 500), data);
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Shot.ProfileSampleIndex, 52);
    EXPECT_EQ(link.Shot.ProfileRange, 500);
}

TEST_F(ReplyDecodeTest, DispatchOfPeripheralAndScanReplies) {
    link.AzimuthExchangePending = 1;
    link.AzimuthCommandCount = 3;
    Frame({0x1F, 0x40, 0x58, 0x04});
    EXPECT_EQ(link.Expected.ExpectedReplyLength, 13);
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.ReportedAzimuthPosition, 600);
    EXPECT_EQ(link.AzimuthDetected, 1);
    EXPECT_EQ(link.AzimuthExchangePending, 0);
    EXPECT_EQ(link.AzimuthCommandCount, 0);
    EXPECT_EQ(link.Azimuth.Byte3, 0x1F);
    EXPECT_EQ(hooks.azimuthReplies, 1);
    EXPECT_TRUE(link.Azimuth.FirstReply);
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_FALSE(link.Azimuth.FirstReply);
    EXPECT_EQ(link.LastShotMilliseconds, -1);  // not a sonar shot

    SetExpectedReply(link, true);
    std::vector<uint8_t> orientation(17, 0);
    orientation[6] = 1400 & 0x7F;  // reply byte 18
    orientation[7] = 1400 >> 7;
    orientation[10] = 3599 & 0x7F;  // reply byte 22
    orientation[11] = 3599 >> 7;
    Lay(ReplyTypeOrientation, 29, {0x18}, orientation);
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.Orientation.RawPitch, 1400);
    EXPECT_EQ(link.Orientation.RawHeading, 3599);
    EXPECT_EQ(link.OrientationRequestsUnanswered, 0);

    link.HeadScanActive = 1;
    link.LastReportedHeadId = 16;
    Frame({21, 0, 0x58, 0x04}, std::vector<uint8_t>(64, 0x33));
    link.Shot.EchoLine.fill(0);
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.HeadFound, 1);
    EXPECT_EQ(link.LastReportedHeadId, 21);
    EXPECT_EQ(link.Shot.EchoLine[10], 0);  // nv_ram is not echo data
}

TEST_F(ReplyDecodeTest, ShotPeriodAndPlaybackRange) {
    for (int shot = 0; shot <= 10; ++shot) {
        Frame(Header(600));
        ASSERT_TRUE(CheckAndDecodeReply(link));
        hooks.now += 37 + shot % 2;
    }
    EXPECT_EQ(link.ShotPeriodText.Get(), "37 ms");  // 375 / 10

    settings.RunMode = 1;
    Frame(Header(600, 20));
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(settings.Range, 6);
    EXPECT_FLOAT_EQ(settings.RangeScale, 0.4f);
    Frame(Header(600, 21));
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(settings.Range, 6);
}

TEST(ExpectedReplyTest, TableAndPrecedence) {
    SonarSettings s;
    struct Row {
        int mode, channel, bits, profile;
        uint8_t type;
        int length, code, samples;
    } rows[] = {
        {Sector, 0, 4, 0, 'G', 265, 2, 499},  {Sector, 0, 8, 0, 'G', 513, 3, 499},
        {Sector, 0, 16, 0, 'G', 513, 3, 250}, {SS, 2, 8, 0, 'G', 513, 3, 499},
        {Polar, 0, 4, 0, 'M', 141, 1, 250},   {Polar, 0, 8, 0, 'M', 265, 2, 250},
        {Polar, 0, 16, 0, 'M', 513, 3, 250},  {SS, 1, 4, 0, 'M', 141, 1, 250},
        {Profile, 0, 8, 0, 'P', 13, 0, 0},    {Polar, 0, 16, 1, 'P', 13, 0, 0},
    };
    for (const Row& r : rows) {
        s.GridMode = r.mode;
        s.SSChannel = r.channel;
        s.DataBits = r.bits;
        s.Profile = r.profile;
        uint8_t type = ExpectedReplyType(s, false, false, false);
        ReplyShape shape = ReplyShapeFor(type, r.bits);
        EXPECT_EQ(type, r.type) << r.mode << "/" << r.bits;
        EXPECT_EQ(shape.Length, r.length) << r.mode << "/" << r.bits;
        EXPECT_EQ(shape.RecordSizeCode, r.code);
        EXPECT_EQ(shape.SamplesPerLine, r.samples);
    }
    s.Profile = PointsOnly;
    EXPECT_EQ(ExpectedReplyType(s, false, false, true), ReplyTypeHeadScan);
    EXPECT_EQ(ExpectedReplyType(s, false, true, true), ReplyTypeAzimuth);
    EXPECT_EQ(ExpectedReplyType(s, true, true, true), ReplyTypeOrientation);

    // Replies without an echo line keep the drawings' sample count.
    HeadLink link(s);
    s.Profile = ProfileOff;
    s.GridMode = Sector;
    s.DataBits = 8;
    SetExpectedReply(link);
    EXPECT_EQ(link.Expected.SamplesPerLine, 499);
    SetExpectedReply(link, true);
    EXPECT_EQ(link.Expected.SamplesPerLine, 499);
    EXPECT_EQ(link.Expected.ExpectedReplyLength, 29);
}

}  // namespace
}  // namespace tarvisk
