#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "imaging/grid.h"
#include "imaging_fixture.h"
#include "reference_fan.h"

namespace tarvisk {
namespace {

using namespace tarvisk::testing;

std::function<uint8_t(int32_t)> Flat(uint8_t v) {
    return [v](int32_t) { return v; };
}

bool ImageIsBlank(const SonarImage& image) {
    return std::all_of(image.pixels.begin(), image.pixels.end(), [](uint8_t p) { return p == 0; });
}

TEST(ShotPipeline, RejectedRepliesDrawNothingAndPauseOnlyLive) {
    ImagingSystem sys;
    sys.PutReply(600, 1, Flat(80));
    sys.link.Reply.bytes[size_t(sys.link.Expected.ExpectedReplyLength - 1)] = 0xFD;
    sys.pipeline.ProcessShot();
    EXPECT_TRUE(ImageIsBlank(sys.image));
    EXPECT_EQ(sys.log.waitedMs, 100);
    EXPECT_EQ(sys.log.copies, 0);
    EXPECT_EQ(sys.log.calls, (std::vector<std::string>{"Blinker"}));

    sys.settings.RunMode = 1;
    sys.pipeline.ProcessShot();
    EXPECT_EQ(sys.log.waitedMs, 100);

    // Head-scan replies always cost the pause and draw nothing, valid or not.
    sys.settings.RunMode = 0;
    sys.link.HeadScanActive = 1;
    sys.PutReply(600, 1, Flat(80));
    sys.pipeline.ProcessShot();
    EXPECT_EQ(sys.log.waitedMs, 200);
    EXPECT_TRUE(ImageIsBlank(sys.image));
}

TEST(ShotPipeline, LiveShotStepsInOrder) {
    ImagingSystem sys;
    sys.settings.DiagnosticsShown = 1;
    sys.settings.PixelZoom = 1;
    sys.Shot(600, 1, Flat(80));
    EXPECT_EQ(sys.log.calls,
              (std::vector<std::string>{"Diagnostics", "Blinker", "RecordShot", "Readouts",
                                        "DialMarkers", "Copy", "MeasureLine", "Magnifier"}));
    EXPECT_EQ(sys.log.waitedMs, 0);
    // The fan trails the head, so the newest line is the shot and the others are empty.
    EXPECT_EQ(sys.history.NewestLine[100], 80);
    EXPECT_EQ(sys.history.MiddleLine[100], 0);
}

TEST(ShotPipeline, PlaybackShotStepsInOrder) {
    ImagingSystem sys;
    sys.settings.RunMode = 1;
    sys.settings.PlotSpeed = 50;
    sys.Shot(600, 1, Flat(80));
    // No recording; the format check and the first range redraw the image (one copy each
    // for the grid, none for the absent dredge line), then the fan.
    EXPECT_EQ(std::count(sys.log.calls.begin(), sys.log.calls.end(), "RecordShot"), 0);
    EXPECT_EQ(sys.log.calls.front(), "Blinker");
    EXPECT_EQ(sys.log.calls.back(), "PlotSpeedPause");
    EXPECT_EQ(std::count(sys.log.calls.begin(), sys.log.calls.end(), "RefreshFromRecord"), 1);
    sys.log.calls.clear();
    sys.settings.PlotSpeed = 100;
    sys.Shot(601, 1, Flat(80));
    // Same range, same mode: no redraw, only the fan's copy.
    EXPECT_EQ(sys.log.calls, (std::vector<std::string>{"Blinker", "RefreshFromRecord", "Readouts",
                                                       "DialMarkers", "Copy", "MeasureLine"}));
}

TEST(ShotPipeline, ClearRequestClearsAndDrawsNothing) {
    ImagingSystem sys;
    sys.Shot(600, 1, Flat(80));
    ASSERT_FALSE(ImageIsBlank(sys.image));
    sys.settings.ClearRequest = 1;
    sys.log.calls.clear();
    sys.Shot(604, 1, Flat(90));
    EXPECT_TRUE(ImageIsBlank(sys.image));
    EXPECT_EQ(sys.settings.ClearRequest, 0);
    EXPECT_EQ(sys.history.NewestLine[100], 0);
    EXPECT_EQ(std::count(sys.log.calls.begin(), sys.log.calls.end(), "MeasureLine"), 0);
}

// A clear asked for by the window while the acquisition thread runs: the pipeline forgets
// the old echoes itself, before the next shot is decoded, and still draws that shot.
TEST(ShotPipeline, HistoryClearRequestForgetsOldEchoesBeforeTheNextShot) {
    ImagingSystem sys;
    sys.Shot(600, 1, Flat(80));
    sys.Shot(601, 1, Flat(80));
    ASSERT_EQ(sys.history.MiddleLine[100], 80);
    sys.state.HistoryClearRequest = 1;
    sys.Shot(602, 1, Flat(90));
    EXPECT_EQ(sys.state.HistoryClearRequest, 0);
    EXPECT_EQ(sys.history.NewestLine[100], 90);
    EXPECT_EQ(sys.history.MiddleLine[100], 0) << "the echoes before the clear are gone";
    EXPECT_FALSE(ImageIsBlank(sys.image));
}

TEST(ShotPipeline, PointsOnlyDrawsThePointAlone) {
    ImagingSystem sys;
    sys.settings.Profile = PointsOnly;
    sys.history.NewestLine.fill(33);
    // 10.00 m at 50 m range: 100 samples, straight ahead.
    sys.Shot(600, 1, Flat(0), 1000);
    EXPECT_EQ(sys.link.Expected.ReplyType, ReplyTypeProfile);
    EXPECT_EQ(sys.history.NewestLine[5], 33);  // not shifted
    int drawn = 0;
    for (uint8_t p : sys.image.pixels)
        drawn += p != 0;
    EXPECT_EQ(drawn, 1);
    // The index counts the echo-start offset too.
    EXPECT_EQ(sys.link.Shot.ProfileSampleIndex, 100 + sys.link.Shot.EchoStartOffset);
    EXPECT_EQ(sys.image.At(298, 505 - sys.link.Shot.ProfileSampleIndex), ProfilePointColour);
}

TEST(ShotPipeline, PlaybackSeedsTheHistoryFromItsFirstShot) {
    ImagingSystem sys;
    sys.settings.RunMode = 1;
    sys.history.OldestLine.fill(5);
    sys.history.HistorySeedPending = 1;
    sys.Shot(600, 1, Flat(70));
    EXPECT_EQ(sys.history.HistorySeedPending, 0);
    for (size_t i = 2; i < 499; ++i) {
        ASSERT_EQ(sys.history.OldestLine[i], 70) << i;
        ASSERT_EQ(sys.history.MiddleLine[i], 70) << i;
        ASSERT_EQ(sys.history.NewestLine[i], 70) << i;
    }
    // So its fan is uniform across the whole step.
    for (uint8_t p : sys.image.pixels)
        ASSERT_TRUE(p == 0 || p == 70 || p >= GridFlagBit);
}

TEST(ShotPipeline, NarrowerSectorClearsOnTheFormatCheckOnce) {
    ImagingSystem sys;
    sys.Shot(600, 1, Flat(80));
    sys.state.PreviousSectorSize = 180;
    sys.settings.SectorSize = 180;

    sys.settings.SectorSize = 270;  // wider: kept
    sys.settings.FormatCheckRequest = 1;
    sys.Shot(604, 1, Flat(80));
    EXPECT_FALSE(ImageIsBlank(sys.image));

    sys.state.PreviousSectorSize = 270;
    sys.settings.SectorSize = 90;  // narrower: cleared, and this shot still drawn after it
    sys.settings.FormatCheckRequest = 1;
    sys.Shot(608, 1, Flat(0));
    EXPECT_TRUE(ImageIsBlank(sys.image));

    sys.Shot(612, 1, Flat(80));
    sys.settings.FormatCheckRequest = 1;
    sys.Shot(616, 1, Flat(80));
    EXPECT_FALSE(ImageIsBlank(sys.image));  // the same narrower sector does not clear again

    sys.settings.DataBits = 4;
    sys.settings.FormatCheckRequest = 1;
    sys.Shot(620, 1, Flat(0));
    EXPECT_TRUE(ImageIsBlank(sys.image));
}

TEST(ShotPipeline, ProfileRecordsDuringAnAutomatedScan) {
    ImagingSystem sys;
    sys.state.AutoProfileRunning = 1;
    sys.settings.VerticalAngleOffset = -10.0f;
    sys.Shot(600, 1, Flat(10), 0);
    sys.Shot(601, 1, Flat(10), 1234);
    ASSERT_EQ(sys.records.ProfileRecordCount, 2);
    const ProfileRecord none = sys.records.At(0);
    EXPECT_FLOAT_EQ(none.Range, 0.0f);  // no point: 0, not the blanking distance
    EXPECT_FLOAT_EQ(none.Bearing, 350.0f);
    const ProfileRecord point = sys.records.At(1);
    EXPECT_NEAR(point.Range, 12.34f + sys.link.Shot.EchoStartDistance, 1e-5);
    EXPECT_EQ(point.Direction, 1);
    EXPECT_NEAR(point.Bearing, 0.3f - 10.0f + 360.0f, 1e-4);

    // Below 5 m the range counts 2 mm units; beyond 9999 it is no point.
    EXPECT_NEAR(ProfileRecordRange(1000, 4, 0.1f), 2.1f, 1e-6);
    EXPECT_FLOAT_EQ(ProfileRecordRange(10000, 50, 0.1f), 0.0f);

    for (int k = 0; k < 1300; ++k)
        sys.Shot(600 + k % 100, 1, Flat(10), 500 + k);
    EXPECT_EQ(sys.records.ProfileRecordCount, ProfileRecordCapacity);
    // The 1200th record stays; later ones only pass through the spare entry.
    EXPECT_NEAR(sys.records.At(1199).Range, (500 + 1197) * 0.01f + sys.link.Shot.EchoStartDistance,
                1e-4);
}

TEST(ShotPipeline, AutomatedScanWaitsForTheSectorStartAndDrawsOneDirection) {
    ImagingSystem sys;
    sys.state.AutoProfileRunning = 1;
    sys.state.WaitingForStart = 1;
    sys.state.FirstSectorLimit = 450;
    sys.Shot(460, 0, Flat(50));  // first shot: no previous position to compare
    EXPECT_EQ(sys.state.WaitingForStart, 1);
    sys.Shot(456, 0, Flat(50));  // moving down
    EXPECT_EQ(sys.state.WaitingForStart, 1);
    sys.Shot(440, 1, Flat(50));  // up, but short of the limit
    EXPECT_EQ(sys.state.WaitingForStart, 1);
    sys.log.calls.clear();
    sys.Shot(452, 1, Flat(50));
    EXPECT_EQ(sys.state.WaitingForStart, 0);
    EXPECT_EQ(sys.state.StartDirection, 1);
    EXPECT_EQ(std::count(sys.log.calls.begin(), sys.log.calls.end(), "ClearStatus"), 1);

    // Shots stepping the other way are not drawn, though their records are kept.
    sys.settings.ClearRequest = 1;
    sys.Shot(456, 1, Flat(50));
    const int32_t before = sys.records.ProfileRecordCount;
    sys.Shot(700, 0, Flat(90));
    EXPECT_TRUE(ImageIsBlank(sys.image));
    EXPECT_EQ(sys.records.ProfileRecordCount, before + 1);
    sys.Shot(704, 1, Flat(90));
    EXPECT_FALSE(ImageIsBlank(sys.image));
}

TEST(ShotPipeline, OrientationRepliesAreNotDrawn) {
    ImagingSystem sys;
    sys.settings.EnableOrientationModule = 1;
    sys.PutReply(600, 1, Flat(80));
    sys.link.Reply.bytes[3] = 0x18;
    sys.pipeline.ProcessShot();
    EXPECT_TRUE(ImageIsBlank(sys.image));
    EXPECT_EQ(std::count(sys.log.calls.begin(), sys.log.calls.end(), "Orientation"), 1);
    EXPECT_EQ(std::count(sys.log.calls.begin(), sys.log.calls.end(), "MeasureReadouts"), 1);
}

TEST(ShotPipeline, PlayedSoundVelocityMovesTheGrid) {
    ImagingSystem sys;
    sys.settings.RunMode = 1;
    sys.settings.Grid = 1;
    sys.log.fileSoundVelocity = 1400.0f;
    sys.Shot(600, 1, Flat(0));
    EXPECT_FLOAT_EQ(sys.settings.SoundVelocityMeters, 1400.0f);
    // Rings at the 1400 m/s spacing only: 397 (the 1500 m/s ring) is gone.
    EXPECT_GE(sys.image.At(404, 505), GridFlagBit);
    EXPECT_LT(sys.image.At(397, 505), GridFlagBit);
    EXPECT_EQ(sys.image.DrawBusy, 0);
    EXPECT_EQ(std::count(sys.log.calls.begin(), sys.log.calls.end(), "GridLabel"), 2);

    // With the grid off the velocity is still taken over (the readouts use it).
    sys.settings.Grid = 0;
    sys.log.fileSoundVelocity = 1450.0f;
    sys.Shot(601, 1, Flat(0));
    EXPECT_FLOAT_EQ(sys.settings.SoundVelocityMeters, 1450.0f);
    // A record without a velocity keeps the one in force.
    sys.log.fileSoundVelocity = 0.0f;
    sys.Shot(602, 1, Flat(0));
    EXPECT_FLOAT_EQ(sys.settings.SoundVelocityMeters, 1450.0f);
}

TEST(ShotPipeline, SteppingBackwardsInvertsTheDrawDirection) {
    ImagingSystem sys;
    sys.settings.RunMode = 1;
    sys.Shot(600, 1, Flat(10));
    EXPECT_EQ(sys.link.Shot.DrawDirection, 1);
    sys.log.reverse = true;
    sys.Shot(600, 1, Flat(10));
    EXPECT_EQ(sys.link.Shot.DrawDirection, 0);
}

// A file played backwards leaves its reverse state behind when the head takes over: live
// shots must still draw forwards, the waterfall scrolling down with new lines at the top.
TEST(ShotPipeline, LiveShotsIgnoreALeftOverReverse) {
    ImagingSystem sys;
    sys.settings.Grid = 0;
    sys.SetMode(SS);
    sys.log.reverse = true;
    sys.Shot(300, 1, Flat(60));
    EXPECT_EQ(sys.link.Shot.DrawDirection, 1);
    const uint8_t first = sys.image.At(400, 0);
    EXPECT_NE(first, 0);
    EXPECT_EQ(sys.image.At(400, 505), 0);
    sys.Shot(300, 1, Flat(120));
    EXPECT_NE(sys.image.At(400, 0), first);
    EXPECT_EQ(sys.image.At(400, 1), first);  // the older line moved down
}

// Whole images after deterministic shot sequences, fed as reply bytes through the real decode.
// How the checksums were obtained: the plain-fan sweeps are first compared pixel for pixel
// with the plain model of reference_fan.h fed from the same decoded shots (the ASSERT below),
// so their checksums only pin that agreed image. The side-scan and profile sequences have no
// model; their checksums were taken after looking at the images (TARVISK_IMAGE_DIR=dir writes
// every sequence as a PPM): waterfall rows 0..299 with range columns every 100 pixels, dimmed
// mix fans with points and the dredge line at row 384 (sector) and 193 (polar), points only
// with the erase-ahead trail.
struct SweepCase {
    const char* name;
    int32_t mode;
    int32_t speed;
    int32_t profile;
    int32_t grid;
    int32_t channel;
    uint64_t checksum;
};

class ImageSequence : public ::testing::TestWithParam<SweepCase> {};

// Sweeps the head across the scene: sector from 300 to 900 and back, polar once round.
void RunSequence(ImagingSystem& sys, const SweepCase& c, SonarImage* model) {
    sys.settings.Grid = c.grid;
    sys.SetMode(c.mode);
    sys.settings.Speed = c.speed;
    sys.settings.Profile = c.profile;
    sys.settings.SSChannel = c.channel;
    sys.settings.ProfileGrid = c.profile >= LowMix ? 1 : 0;
    sys.settings.ProfileDredgeDepth = c.profile >= LowMix ? 12.0f : 0.0f;
    sys.settings.ClearRequest = 1;
    EchoHistory modelHistory;
    const int32_t steps[] = {1, 2, 3, 4, 8};
    const int32_t step = steps[c.speed];
    std::vector<std::pair<int32_t, int32_t>> shots;  // position, direction
    if (c.mode == SS) {
        for (int32_t k = 0; k < 300; ++k)
            shots.push_back({c.channel == PortChannel ? 300 : 900, 1});
    } else if (c.mode == Polar) {
        for (int32_t p = 0; p < 1200; p += step)
            shots.push_back({p, 1});
    } else {
        for (int32_t p = 300; p <= 900; p += step)
            shots.push_back({p, 1});
        for (int32_t p = 900; p >= 600; p -= step)
            shots.push_back({p, 0});
    }
    bool first = true;
    for (auto [position, direction] : shots) {
        const int32_t profileRange = 800 + (position * 13) % 1500;
        sys.Shot(position, direction, Scene(position), profileRange);
        if (!model)
            continue;
        if (first) {
            // The clear request consumed the first shot.
            ClearImage(*model);
            DrawGridPixels(sys.settings, *model);
            first = false;
            continue;
        }
        const int32_t n = sys.link.Expected.SamplesPerLine;
        ShiftHistory(modelHistory, sys.link.Shot.EchoLine, n);
        ReferenceFan(FanParamsFor(sys.settings, sys.link.Shot), modelHistory, n, *model);
    }
}

TEST_P(ImageSequence, Checksum) {
    const SweepCase& c = GetParam();
    ImagingSystem sys;
    const bool plainFan = c.mode != SS && c.profile == ProfileOff;
    SonarImage model;
    RunSequence(sys, c, plainFan ? &model : nullptr);
    MaybeWritePpm(sys.image, c.name);
    if (plainFan) {
        ASSERT_EQ(sys.image.pixels, model.pixels) << c.name;
    }
    EXPECT_EQ(Checksum(sys.image), c.checksum)
        << c.name << " 0x" << std::hex << Checksum(sys.image);
}

INSTANTIATE_TEST_SUITE_P(
    Sweeps, ImageSequence,
    ::testing::Values(
        SweepCase{"sector_slow", Sector, 0, ProfileOff, 1, 0, 0x43dece46130f069dull},
        SweepCase{"sector_med", Sector, 1, ProfileOff, 1, 0, 0xe983e14c482fcbcull},
        SweepCase{"sector_fast", Sector, 2, ProfileOff, 0, 0, 0x34f698c4cef258c6ull},
        SweepCase{"sector_faster", Sector, 3, ProfileOff, 1, 0, 0x9c1c1a16b54d85aull},
        SweepCase{"sector_fastest", Sector, 4, ProfileOff, 1, 0, 0x5331edc331cdc596ull},
        SweepCase{"polar_slow", Polar, 0, ProfileOff, 1, 0, 0xbbefeb7c77e93bc8ull},
        SweepCase{"polar_med", Polar, 1, ProfileOff, 0, 0, 0xc853dbce3b394d15ull},
        SweepCase{"polar_fast", Polar, 2, ProfileOff, 1, 0, 0x8208de4c0b875d88ull},
        SweepCase{"polar_faster", Polar, 3, ProfileOff, 1, 0, 0xbd62f8c185b69694ull},
        SweepCase{"polar_fastest", Polar, 4, ProfileOff, 1, 0, 0xdf92b38b1def67c6ull},
        SweepCase{"ss_port", SS, 2, ProfileOff, 1, PortChannel, 0x4826d7b90ef0ac7bull},
        SweepCase{"ss_stbd", SS, 2, ProfileOff, 0, StbdChannel, 0x75e4be0a7a1b4e99ull},
        SweepCase{"sector_points", Sector, 2, PointsOnly, 1, 0, 0x2231fef1d393f9f3ull},
        SweepCase{"sector_low_mix", Sector, 3, LowMix, 1, 0, 0x8d1c964c08c2a579ull},
        SweepCase{"polar_high_mix", Polar, 4, HighMix, 0, 0, 0xfe1c7257d9ebaaeeull}),
    [](const ::testing::TestParamInfo<SweepCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvisk

namespace tarvisk {
namespace {

using namespace tarvisk::testing;

// The window thread redraws and reads the image while the acquisition thread draws fans:
// under the image lock and DrawBusy neither sees a torn state (run under TSan in CI).
TEST(ShotPipelineThreads, RedrawsFromAnotherThreadWhileFansAreDrawn) {
    ImagingSystem sys;
    sys.pipeline.SetHooks({});  // the call log is for one thread only
    sys.settings.Grid = 1;
    std::atomic<bool> done{false};
    std::thread window([&] {
        int32_t redraws = 0;
        while (!done.load()) {
            sys.settings.Grid = redraws % 2;
            sys.image.DrawBusy = 1;
            sys.drawing.DrawGrid();
            sys.image.DrawBusy = 0;
            if (++redraws % 5 == 0)
                sys.drawing.RedrawImage();
            {
                std::lock_guard<std::mutex> lock(sys.image.Mutex());
                uint64_t sum = Checksum(sys.image);
                (void)sum;
            }
            // A window redraws between shots, not without pause: the fan thread waits for
            // DrawBusy to drop and could otherwise starve for minutes on a loaded machine.
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    for (int32_t k = 0; k < 200; ++k)
        sys.Shot(300 + 3 * k, 1, Scene(k));
    done = true;
    window.join();
    EXPECT_EQ(sys.image.DrawBusy, 0);
}

}  // namespace
}  // namespace tarvisk
