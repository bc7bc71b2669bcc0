#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "head/acquisition_thread.h"
#include "head/head_link.h"
#include "imaging/echo_history.h"
#include "imaging/imaging_state.h"
#include "imaging/profile_points.h"
#include "imaging/profile_record_table.h"
#include "imaging/shot_pipeline.h"
#include "imaging/sonar_drawing.h"
#include "imaging/sonar_image.h"
#include "sim/head_simulator.h"

namespace tarvisk {
namespace {

// The live picture as the program builds it, fed by the simulated head on a pseudo-terminal.
struct LivePicture {
    explicit LivePicture(sim::SceneKind scene) {
        options.unpaced = true;
        options.scene = scene;
        settings.EnableOrientationModule = 0;
        settings.TxDelay = 0;
        acquisition.SetSendTiming({0, 0});
    }
    ~LivePicture() {
        acquisition.StopAcquisition();
        simulator.Stop();
    }
    // Runs until the head has answered `shots` times.
    bool Run(uint64_t shots) {
        if (!simulator.Start(options) || !acquisition.OpenHeadPort(0, simulator.DevicePath()) ||
            !acquisition.StartAcquisition(5))
            return false;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (acquisition.Counters().ShotsRead.load() < shots) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        acquisition.StopAcquisition();
        return true;
    }
    int32_t PixelsOf(uint8_t level) const {
        int32_t n = 0;
        for (uint8_t p : image.pixels)
            n += (p & 0x7F) == level;
        return n;
    }

    SonarSettings settings;
    HeadLink link{settings};
    SonarImage image;
    ProfilePoints points;
    EchoHistory history;
    ImagingState imaging;
    ProfileRecordTable profileRecords;
    SonarDrawing drawing{settings, image, points};
    ShotPipeline pipeline{settings, link, drawing, history, profileRecords, imaging};
    LinkStatusView view;
    AcquisitionSeams seams;
    AcquisitionThread acquisition{link, pipeline, view, seams};
    sim::SimulatorOptions options;
    sim::HeadSimulator simulator;
};

// Points Only erases ahead of the head in its direction of travel, so a sweep leaves a trail
// of points behind it. Read the wrong way round, the erase wipes the points just drawn and
// only a dot or two remains.
TEST(LivePicture, PointsOnlyLeavesATrailBehindTheHead) {
    LivePicture live(sim::SceneKind::Borehole);
    ApplyDisplayMode(live.settings, Sector);
    live.settings.Grid = 0;
    live.settings.SectorSize = 90;
    live.settings.Speed = Fast;
    ApplyRangeIndex(live.settings, 4);  // 5 m: the 2 m wall at radius 200
    live.settings.Profile = PointsOnly;
    live.settings.ProfileRequest = PointsOnly;
    ASSERT_TRUE(live.Run(150));  // more than one sweep of 100 steps
    const int32_t points = live.PixelsOf(ProfilePointColour);
    // A sweep of 90 degrees at 0.9 degrees a shot, minus the nine positions erased ahead.
    EXPECT_GT(points, 80) << "Points Only shows " << points << " points";
}

}  // namespace
}  // namespace tarvisk
