#include "head/switch_command.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "head/command_line.h"
#include "head/expected_reply.h"
#include "head/head_link.h"
#include "tools/lib/service_commands.h"

namespace tarvisk {
namespace {

std::string Hex(const SwitchCommand& c) {
    return CommandHex(c);
}

struct CapturingLine : CommandLine {
    std::vector<SwitchCommand> frames;
    void TransmitCommand(const SwitchCommand& frame) override { frames.push_back(frame); }
};

struct Fixture : ::testing::Test {
    SonarSettings settings;
    HeadLink link{settings};
    CapturingLine line;
    const SwitchCommand& Normal() {
        BuildNormalCommand(link);
        return link.Command;
    }
};

using SwitchCommandTest = Fixture;

TEST_F(SwitchCommandTest, DefaultPolarShotMatchesTheReferenceFrame) {
    EXPECT_EQ(Hex(Normal()),
              "FE 44 10 32 00 00 43 00 06 01 14 3C 78 03 0A 00 00 00 00 19 08 06 00 00 05 64 FD");
}

TEST_F(SwitchCommandTest, DisplayModeSetsSectorDataPointsAndSteps) {
    settings.Speed = Fastest;
    ApplyDisplayMode(settings, Sector);
    const SwitchCommand& sector = Normal();
    EXPECT_EQ(sector[12], 60);
    EXPECT_EQ(sector[13], 8);
    EXPECT_EQ(sector[19], 50);

    settings.SSChannel = BothChannels;
    ApplyDisplayMode(settings, SS);
    const SwitchCommand& both = Normal();
    EXPECT_EQ(both[12], 0);
    EXPECT_EQ(both[13], 0);
    EXPECT_EQ(both[19], 25);
    settings.SSChannel = StbdChannel;
    EXPECT_EQ(Normal()[19], 50);

    // Profile mode leaves byte 19 as the previous command had it.
    ApplyDisplayMode(settings, Profile);
    EXPECT_EQ(Normal()[19], 50);
    ApplyDisplayMode(settings, Polar);
    Normal();
    ApplyDisplayMode(settings, Profile);
    EXPECT_EQ(Normal()[19], 25);
}

TEST(TrainCodeTest, WorkedValues) {
    struct Row {
        int train, xdcr, code;
    } rows[] = {{0, 0, 60},   {90, 0, 90},  {179, 0, 119}, {180, 0, 0},  {182, 0, 0},
                {183, 0, 1},  {270, 0, 30}, {359, 0, 59},  {0, 1, 60},   {90, 1, 30},
                {270, 1, 90}, {180, 1, 0},  {1, 1, 60},    {359, 1, 61}, {178, 1, 1}};
    for (const Row& r : rows)
        EXPECT_EQ(TrainCode(r.train, r.xdcr), r.code) << r.train << " xdcr " << r.xdcr;
    EXPECT_EQ(TrainCode(180, 1, false), 120);
}

TEST(CommandCodeTest, SwitchDelayFrequencyAndProfileRange) {
    EXPECT_EQ(SwitchDelayCode(10, 1), 6);
    EXPECT_EQ(SwitchDelayCode(500, 1), 250);
    EXPECT_EQ(SwitchDelayCode(10, 2), 5);
    EXPECT_EQ(SwitchDelayCode(499, 50), 249);

    EXPECT_EQ(FrequencyCode(280), 21);
    EXPECT_EQ(FrequencyCode(675), 100);
    EXPECT_EQ(FrequencyCode(1100), 185);
    EXPECT_EQ(FrequencyCode(672), 100);  // truncation toward zero, not floor

    EXPECT_EQ(ProfileRangeCode(25.0f, Metres), 250);
    EXPECT_EQ(ProfileRangeCode(10.0f, Feet), 30);
    EXPECT_EQ(ProfileRangeCode(0.0f, Metres), 0);
    EXPECT_EQ(ProfileRangeCode(82.0f, Feet), 250);
    EXPECT_EQ(ProfileRangeCode(-3.0f, Metres), 0);
    EXPECT_EQ(ProfileRangeCode(1.26f, Metres), 13);
}

TEST(CommandCodeTest, SectorPadWidensOnlyBelowAFullCircle) {
    EXPECT_EQ(SectorCode(180, Fast, false), 60);
    EXPECT_EQ(SectorCode(180, Fast, true), 61);
    EXPECT_EQ(SectorCode(180, Faster, true), 62);
    EXPECT_EQ(SectorCode(180, Fastest, true), 63);
    EXPECT_EQ(SectorCode(357, Slow, true), 119);  // 360 is not below a full circle
    EXPECT_EQ(SectorCode(360, Fast, true), 120);
    EXPECT_EQ(SectorCode(360, Fast, false), 120);
}

TEST_F(SwitchCommandTest, OneShotFlagsGoOutOnceAndHoldBitStays) {
    settings.OneShotRequest = 1;
    settings.CalibrateRequest = 1;
    link.HoldBit = 1;
    const SwitchCommand& first = Normal();
    EXPECT_EQ(first[5], 0x41);
    EXPECT_EQ(first[23], 1);
    EXPECT_EQ(settings.OneShotRequest, 0);
    EXPECT_EQ(settings.CalibrateRequest, 0);
    const SwitchCommand& second = Normal();
    EXPECT_EQ(second[5], 0x01);
    EXPECT_EQ(second[23], 0);
}

TEST_F(SwitchCommandTest, NormalCommandResetsRangeOffsetAndFollowsBaudIndex) {
    settings.RangeOffset = 40;
    settings.BaudIndex = 0;
    EXPECT_EQ(Normal()[4], 0);
    EXPECT_EQ(settings.RangeOffset, 0);
    EXPECT_EQ(link.Command[21], 11);
    settings.BaudIndex = 1;  // no code of its own: the last one stays
    EXPECT_EQ(Normal()[21], 11);
    settings.BaudIndex = 3;
    EXPECT_EQ(Normal()[21], 12);
}

TEST_F(SwitchCommandTest, HeadScanCommandCarriesProgrammingAndIdChangeOnce) {
    settings.Train = 180;
    settings.Xdcr = XdcrUp;
    settings.SwitchDelay = 11;
    settings.RangeMeters = 1;
    settings.OneShotRequest = 1;
    link.ScanId = 20;
    link.HeadScanCommandCount = -1;
    BuildHeadScanCommand(link);
    const SwitchCommand& c = link.Command;
    EXPECT_EQ(c[2], 20);
    EXPECT_EQ(c[7], 1);
    EXPECT_EQ(c[10], 0);
    EXPECT_EQ(c[11], 120);
    EXPECT_EQ(c[12], 120);
    EXPECT_EQ(c[13], 0);
    EXPECT_EQ(c[24], 5);  // no range adjustment
    EXPECT_EQ(c[5] & 0x40, 0x40);
    EXPECT_EQ(settings.OneShotRequest, 1);  // the head scan leaves one-shot flags alone
    EXPECT_EQ(link.HeadScanCommandCount, 0);

    link.NvRamWriteRequest = 1;
    link.NvRamSerialNumber = 1234;
    link.NvRamDepthRating = 1;
    link.HeadIdChangeRequest = 1;
    link.NewHeadId = 22;
    link.LastReportedHeadId = 20;
    BuildHeadScanCommand(link);
    EXPECT_EQ(c[2], 20);
    EXPECT_EQ(c[10], 0x80);
    EXPECT_EQ(c[15], 0x52);
    EXPECT_EQ(c[16], 22 | 0x80);
    EXPECT_EQ(c[18], 0x09);
    EXPECT_EQ(c[21], 1);
    EXPECT_EQ(settings.MasterHeadID, 22);
    EXPECT_EQ(link.ScanId, 22);
    EXPECT_EQ(link.PreviousHeadId, 20);
    EXPECT_EQ(link.NvRamWriteRequest, 0);
    EXPECT_EQ(link.HeadIdChangeRequest, 0);

    BuildHeadScanCommand(link);
    EXPECT_EQ(c[2], 22);
    EXPECT_EQ(c[10], 0);
    EXPECT_EQ(c[15], 0);
    EXPECT_EQ(c[16], 0);
    EXPECT_EQ(c[18], 0);
    EXPECT_EQ(c[21], 0);
    EXPECT_EQ(link.HeadScanCommandCount, 2);
}

TEST_F(SwitchCommandTest, PeripheralAndScanStepFrames) {
    settings.AzimuthAngle = 1199;
    settings.OneShotRequest = 1;
    link.HoldBit = 1;
    BuildAzimuthCommand(link);
    EXPECT_EQ(Hex(link.Command),
              "FE 44 1F 00 00 01 43 00 00 00 00 2F 09 00 00 00 00 00 00 00 00 06 00 00 05 00 FD");
    EXPECT_EQ(settings.OneShotRequest, 1);

    BuildOrientationCommand(link);
    EXPECT_EQ(Hex(link.Command),
              "FE 44 18 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 FD");

    Normal();
    SwitchCommand before = link.Command;
    BuildScanStepCommand(link.Command, 45);
    before[11] = 45;
    before[12] = 0;
    before[13] = 1;
    EXPECT_EQ(link.Command, before);
}

using SendSwitchCommandTest = Fixture;

TEST_F(SendSwitchCommandTest, OrientationRequestOncePerSecondBetweenHeadShots) {
    settings.ClockSecond = 7;
    settings.ParametersChanged = 1;
    SendSwitchCommand(link, line);
    EXPECT_EQ(settings.ParametersChanged, 0);
    ASSERT_EQ(line.frames.size(), 1u);
    EXPECT_EQ(line.frames[0][2], OrientationModuleId);
    EXPECT_EQ(link.Expected.ReplyType, ReplyTypeOrientation);
    EXPECT_EQ(link.Expected.ExpectedReplyLength, 29);
    EXPECT_EQ(link.OrientationRequestsUnanswered, 6);
    link.OrientationRequestsUnanswered = 0;  // the module answered

    SendSwitchCommand(link, line);  // same second: the head
    SendSwitchCommand(link, line);
    EXPECT_EQ(line.frames[1][2], 16);
    EXPECT_EQ(line.frames[2][2], 16);
    EXPECT_EQ(link.Expected.ReplyType, ReplyTypePolar);
    EXPECT_EQ(link.HeadCommandCount, 2);

    settings.ClockSecond = 8;
    SendSwitchCommand(link, line);
    EXPECT_EQ(line.frames[3][2], OrientationModuleId);
    settings.ClockSecond = 9;  // the last target was the module: this second goes to the head
    SendSwitchCommand(link, line);
    EXPECT_EQ(line.frames[4][2], 16);

    settings.EnableOrientationModule = 0;
    settings.ClockSecond = 10;
    SendSwitchCommand(link, line);
    EXPECT_EQ(line.frames[5][2], 16);
}

// A module that shows "n/a" is asked once every five seconds, not every second.
TEST_F(SendSwitchCommandTest, SilentModuleAskedOnlyEveryFewSeconds) {
    auto targets = [&](int32_t from, int32_t to) {
        std::vector<int> asked;
        for (int32_t second = from; second <= to; ++second) {
            settings.ClockSecond = second % 60;
            for (int shot = 0; shot < 3; ++shot) {
                line.frames.clear();
                SendSwitchCommand(link, line);
                if (line.frames.back()[2] == OrientationModuleId)
                    asked.push_back(second);
            }
        }
        return asked;
    };
    EXPECT_EQ(targets(50, 71), (std::vector<int>{50, 55, 60, 65, 70}));  // over the minute
    link.OrientationRequestsUnanswered = 0;  // it answers: every second again
    EXPECT_EQ(targets(72, 74), (std::vector<int>{72, 73, 74}));
}

TEST_F(SendSwitchCommandTest, PendingExchangesChooseTheBuilderAndReply) {
    settings.EnableOrientationModule = 0;
    link.AzimuthExchangePending = 1;
    SendSwitchCommand(link, line);
    EXPECT_EQ(line.frames.back()[2], AzimuthDriveId);
    EXPECT_EQ(link.Expected.ReplyType, ReplyTypeAzimuth);
    EXPECT_EQ(link.Expected.ExpectedReplyLength, 13);
    EXPECT_EQ(link.AzimuthCommandCount, 1);
    EXPECT_EQ(line.frames.back()[5], 0x00);

    // The hold bit follows Hold on live sends only.
    settings.Hold = 1;
    SendSwitchCommand(link, line);
    EXPECT_EQ(line.frames.back()[5], 0x01);
    settings.RunMode = 1;
    settings.Hold = 0;
    SendSwitchCommand(link, line);
    EXPECT_EQ(line.frames.back()[5], 0x01);
    settings.RunMode = 0;

    link.AzimuthExchangePending = 0;
    link.HeadScanActive = 1;
    link.ScanId = 17;
    SendSwitchCommand(link, line);
    EXPECT_EQ(line.frames.back()[2], 17);
    EXPECT_EQ(line.frames.back()[7], 1);
    EXPECT_EQ(link.Expected.ReplyType, ReplyTypeHeadScan);
    EXPECT_EQ(link.Expected.ExpectedReplyLength, 77);
    EXPECT_EQ(link.Expected.RecordSizeCode, 1);
}

TEST_F(SendSwitchCommandTest, HeadScanAndScanStepNeverExpectAnOrientationReply) {
    settings.ClockSecond = 3;
    link.HeadScanActive = 1;
    SendSwitchCommand(link, line);
    EXPECT_EQ(link.Expected.ReplyType, ReplyTypeHeadScan);
    link.HeadScanActive = 0;

    ApplyDisplayMode(settings, Sector);
    BuildNormalCommand(link);
    settings.ClockSecond = 4;
    SendScanStepCommand(link, line, 70);
    const SwitchCommand& sent = line.frames.back();
    EXPECT_EQ(sent[2], 16);
    EXPECT_EQ(sent[11], 70);
    EXPECT_EQ(sent[12], 0);
    EXPECT_EQ(sent[13], 1);
    EXPECT_EQ(link.Expected.ReplyType, ReplyTypeSector);
    EXPECT_EQ(link.AutoScanOwnsBuffer, 0);
    // The orientation request waits for the next ordinary send.
    SendSwitchCommand(link, line);
    EXPECT_EQ(line.frames.back()[2], OrientationModuleId);
}

// A second, independent reading of the normal command, written from the frame description
// with none of the builder's helpers.
SwitchCommand ModelNormalCommand(const SonarSettings& s, uint8_t previous19, uint8_t previous21,
                                 int hold, bool autoScan) {
    SwitchCommand c{};
    c[0] = 0xFE;
    c[1] = 0x44;
    c[2] = s.MasterHeadID & 0xFF;
    c[3] = s.RangeMeters & 0xFF;
    c[5] = (hold ? 1 : 0) | (s.OneShotRequest ? 64 : 0);
    c[6] = 'C';
    c[8] = s.Gain;
    c[9] = 1;
    c[10] = s.Absorption;
    int t = s.Train, code;
    if (t < 180)
        code = t / 3 + 60;
    else
        code = (t - 180) / 3;
    if (s.Xdcr == 1)
        code = 120 - code;
    c[11] = code >= 120 ? 0 : code;
    int sector = s.SectorSize;
    int pad = s.Speed == 4 ? 9 : s.Speed == 3 ? 6 : 3;
    int sc = (autoScan && sector + pad < 360) ? (sector + pad) / 3 : sector / 3;
    c[12] = sc > 120 ? 120 : sc;
    static const int steps[] = {1, 2, 3, 4, 8};
    c[13] = sector == 0 ? 0 : steps[s.Speed];
    c[14] = s.PulseLength / 10;
    float pm = s.ProfileMinimumRange;
    double tenths = (s.Units == 1 ? pm * 0.3048 : double(pm)) * 10 + 0.5;
    c[15] = tenths < 0 ? 0 : tenths > 250 ? 250 : int(tenths);
    int mode = s.GridMode;
    c[19] = mode == 0 ? 50 : mode == 1 ? 25 : mode == 2 ? (s.SSChannel == 1 ? 25 : 50) : previous19;
    c[20] = s.DataBits;
    static const int baud[] = {11, -1, 3, 12, 5, 6};
    c[21] = baud[s.BaudIndex] < 0 ? previous21 : baud[s.BaudIndex];
    c[22] = s.Profile == 1;
    c[23] = s.CalibrateRequest;
    int delay = s.SwitchDelay + (s.RangeMeters == 1 ? 2 : 0);
    c[24] = (delay > 500 ? 500 : delay) / 2;
    c[25] = ((s.Frequency - 675) / 5 + 100) & 0xFF;
    c[26] = 0xFD;
    return c;
}

TEST_F(SwitchCommandTest, NormalCommandAgreesWithAnIndependentModel) {
    std::mt19937 rng(20261208);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 20000; ++round) {
        ApplyRangeIndex(settings, pick(0, 14));
        settings.Gain = pick(0, 40);
        settings.Train = pick(0, 359);
        settings.Speed = pick(0, 4);
        settings.SectorSectorSize = pick(0, 180);
        settings.PolarSectorSize = pick(0, 360);
        settings.SSChannel = pick(0, 2);
        ApplyDisplayMode(settings, pick(0, 3));
        settings.PulseLength = pick(10, 1000);
        settings.Frequency = RoundFrequency(pick(280, 1100));
        settings.Absorption = pick(1, 255);
        static const int bits[] = {4, 8, 16};
        settings.DataBits = bits[pick(0, 2)];
        settings.Profile = pick(0, 4);
        settings.Xdcr = pick(0, 1);
        settings.MasterHeadID = pick(0, 255);
        settings.SwitchDelay = pick(0, 500);
        settings.Units = pick(0, 1);
        settings.ProfileMinimumRange =
            std::uniform_real_distribution<float>(0.0f, settings.Units ? 82.0f : 25.0f)(rng);
        settings.BaudIndex = pick(0, 5);
        settings.OneShotRequest = pick(0, 1);
        settings.CalibrateRequest = pick(0, 1);
        link.HoldBit = pick(0, 1);
        link.AutoScanActive = pick(0, 1);

        SwitchCommand expected = ModelNormalCommand(settings, link.Command[19], link.Command[21],
                                                    link.HoldBit, link.AutoScanActive);
        BuildNormalCommand(link);
        ASSERT_EQ(Hex(link.Command), Hex(expected)) << "round " << round;
    }
}

}  // namespace
}  // namespace tarvisk
