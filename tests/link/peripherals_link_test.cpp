// The azimuth drive, the orientation module and the head scan over the simulated line.

#include <atomic>
#include <cmath>

#include "head/azimuth_drive.h"
#include "head/head_scan.h"
#include "head/orientation_module.h"
#include "link_fixture.h"

namespace tarvisk::test {
namespace {

struct PeripheralSeams : AcquisitionSeams {
    HeadLink* link = nullptr;
    ShotHandler* shots = nullptr;
    HeadScanState scan;
    std::atomic<int> notFound{0};
    std::atomic<int> simulated{0};
    void HeadScanStep() override { tarvisk::HeadScanStep(*link, scan); }
    void SimulateAzimuthReply() override {
        ++simulated;
        FillSimulatedAzimuthReply(*link);
        shots->ProcessShot();
    }
    void OnAzimuthDriveNotFound() override { ++notFound; }
};

struct OrientationHooks : LinkHooks {
    HeadLink* link = nullptr;
    OrientationModule module;
    std::atomic<int> replies{0};
    std::atomic<float> largestPitch{0.0f};
    void OnOrientationReply() override {
        ApplyOrientationReply(module, link->Orientation, link->Settings);
        ++replies;
        const float p = std::fabs(module.FilteredPitch.Get());
        if (p > largestPitch.load())
            largestPitch.store(p);
    }
};

// The fixture's live link with the peripherals' seams and hooks plugged in.
class PeripheralLink {
  public:
    explicit PeripheralLink(int millisecondsPerSecond) : clock(millisecondsPerSecond) {
        char pattern[] = "/tmp/tarvisk-periph-XXXXXX";
        dir_ = mkdtemp(pattern);
        options.unpaced = true;
        options.linkPath = dir_ + "/head";
        options.seed = 11;
        settings.EnableOrientationModule = 0;
        settings.TxDelay = 0;
        seams.link = &link;
        seams.shots = &shots;
        hooks.link = &link;
        link.Hooks = &hooks;
        acquisition.SetSendTiming({0, 0});
        acquisition.SetClock(&clock);
    }
    ~PeripheralLink() {
        acquisition.StopAcquisition();
        simulator.Stop();
        std::filesystem::remove_all(dir_);
    }
    bool Start() {
        return simulator.Start(options) && acquisition.OpenHeadPort(0, simulator.DevicePath()) &&
               acquisition.StartAcquisition(5);
    }
    size_t HeadShots() {
        size_t n = 0;
        for (const auto& s : shots.Shots())
            n += s.valid && (s.type == 'M' || s.type == 'G') ? 1 : 0;
        return n;
    }

    FastClock clock;
    SonarSettings settings;
    HeadLink link{settings};
    RecordingShots shots{link};
    RecordingView view;
    PeripheralSeams seams;
    OrientationHooks hooks;
    AcquisitionThread acquisition{link, shots, view, seams};
    sim::SimulatorOptions options;
    sim::HeadSimulator simulator;

  private:
    std::string dir_;
};

TEST(AzimuthDriveLink, DetectedTurnedAndReportedThenTheHeadGoesOn) {
    PeripheralLink p(40);
    p.options.azimuthStepsPerSecond = 400.0;  // a quick drive keeps the test short
    p.settings.AzimuthDriveEnable = 1;
    p.settings.AzimuthAngle = 700;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(WaitFor([&] { return p.HeadShots() > 5; }));
    ResetAzimuthDriveState(p.link);
    p.acquisition.Requests().AzimuthDetectionRequest = 1;
    ASSERT_TRUE(WaitFor([&] { return p.link.AzimuthDetected == 1; }, 10000));
    EXPECT_EQ(p.link.ReportedAzimuthPosition, 700);
    EXPECT_EQ(p.link.AzimuthExchangePending, 0);
    EXPECT_GE(p.simulator.Stats().azimuthReplies, 1u);
    const size_t before = p.HeadShots();
    EXPECT_TRUE(WaitFor([&] { return p.HeadShots() > before + 5; }));

    // Turning back the other way reports the new position too.
    p.settings.AzimuthAngle = 640;
    p.acquisition.Requests().AzimuthDetectionRequest = 1;
    EXPECT_TRUE(WaitFor([&] { return p.link.ReportedAzimuthPosition == 640; }, 10000));
    // The reply's plain fields belong to the acquisition thread until it has stopped.
    p.acquisition.StopAcquisition();
    EXPECT_EQ(p.link.Azimuth.Byte3, 0x1F);
}

TEST(AzimuthDriveLink, GivenUpAfterFortyCountedSecondsWhenNothingAnswers) {
    PeripheralLink p(8);
    p.options.azimuthStepsPerSecond = 1e-6;  // never arrives, so never answers
    p.settings.AzimuthDriveEnable = 1;
    p.settings.AzimuthAngle = 900;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(WaitFor([&] { return p.HeadShots() > 3; }));
    p.acquisition.Requests().AzimuthDetectionRequest = 1;
    ASSERT_TRUE(WaitFor([&] { return p.seams.notFound.load() == 1; }, 15000));
    EXPECT_EQ(p.link.AzimuthDetected, 0);
    EXPECT_EQ(p.link.AzimuthExchangePending, 0);
    EXPECT_EQ(p.link.AzimuthPollCount, 0);
    const size_t before = p.HeadShots();
    EXPECT_TRUE(WaitFor([&] { return p.HeadShots() > before + 3; }, 10000));
}

TEST(AzimuthDriveLink, SimulatedDriveAnswersForItselfAndShotsResumeAtOnce) {
    PeripheralLink p(60);
    p.settings.AzimuthDriveEnable = 1;
    p.settings.SimulateAzimuthDrive = 1;
    p.settings.AzimuthAngle = 450;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(WaitFor([&] { return p.HeadShots() > 3; }));
    p.acquisition.Requests().AzimuthDetectionRequest = 1;
    ASSERT_TRUE(WaitFor([&] { return p.link.AzimuthDetected == 1; }, 10000));
    EXPECT_EQ(p.link.ReportedAzimuthPosition, 450);
    EXPECT_EQ(p.seams.simulated.load(), 1);
    const size_t before = p.HeadShots();
    EXPECT_TRUE(WaitFor([&] { return p.HeadShots() > before + 3; }, 1000));
}

TEST(OrientationLink, ValuesArriveBetweenShotsAndOutliersAreFiltered) {
    // Seconds of 100 ms: a loaded machine may keep the simulator from answering for longer
    // than the three seconds before the no-data re-send, which replaces a command.
    PeripheralLink p(100);
    p.options.orientationOutlierEvery = 4;
    p.settings.EnableOrientationModule = 1;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(WaitFor([&] { return p.hooks.replies.load() >= 12; }, 10000));
    EXPECT_LE(p.link.OrientationRequestsUnanswered, 1);
    // The module's pitch swings within ±2.1 degrees; a 25-degree knock never gets through.
    EXPECT_LT(p.hooks.largestPitch.load(), 5.0f);
    const float heading = p.hooks.module.FilteredHeading;
    EXPECT_GT(heading, 35.0f);
    EXPECT_LT(heading, 55.0f);
    // Requests only between head shots: at least one head shot between two of them.
    const size_t replies = static_cast<size_t>(p.hooks.replies.load());
    EXPECT_GE(p.HeadShots() + 1, replies);
    EXPECT_EQ(p.acquisition.Counters().OrientationTimeouts.Get(), 0);
}

// Without a module fitted, its requests must not cost the head its shots: the line waits for
// an unanswered request only briefly, and a module showing "n/a" is asked only now and then.
TEST(OrientationLink, AMissingModuleCostsTheHeadFewShots) {
    auto shotsIn = [](int32_t enable) {
        PeripheralLink p(1000);
        p.options.unpaced = false;
        p.options.orientationModule = false;
        p.settings.EnableOrientationModule = enable;
        EXPECT_TRUE(p.Start());
        // From the first shot on, over three clock seconds.
        EXPECT_TRUE(WaitFor([&] { return p.HeadShots() > 0; }, 10000));
        const size_t first = p.HeadShots();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        return std::pair(p.HeadShots() - first, p.link.OrientationRequestsUnanswered.Get());
    };
    const auto [without, none] = shotsIn(0);
    const auto [with, unanswered] = shotsIn(1);
    EXPECT_EQ(none, 5);
    EXPECT_GE(unanswered, 6);  // asked, and still "n/a"
    EXPECT_LE(unanswered, 7);  // but not once every second
    EXPECT_GT(with * 10, without * 8)
        << with << " shots with the module enabled, " << without << " without";
}

struct ScanWatch {
    std::atomic<uint32_t> idsAnswered{0};  // bit n: ID n answered "T"
    std::atomic<int> lastId{0};
    std::atomic<int> lastSerial{-1};
    std::atomic<int> lastDepth{-1};
    std::atomic<int> replies{0};
};

TEST(HeadScanLink, FindsEveryDeviceChangesTheHeadsIdAndProgramsIt) {
    PeripheralLink p(60);
    p.options.extraHeads.push_back({20, sim::DeviceKind::ProfilingHead});
    ScanWatch watch;
    p.shots.afterShot_ = [&] {
        const auto& b = p.link.Reply.bytes;
        if (b[1] != 'T')
            return;
        const NvRam nv = NvRamFromReply(b.data());
        watch.lastId = b[3];
        watch.idsAnswered.fetch_or(1u << (b[3] & 31));
        watch.lastSerial = nv[7] * 128 + (nv[6] & 0x7F);
        watch.lastDepth = nv[10];
        ++watch.replies;
    };
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(WaitFor([&] { return p.HeadShots() > 3; }));
    StartHeadScan(p.link, p.seams.scan);
    ASSERT_TRUE(WaitFor([&] { return watch.replies.load() > 0; }, 10000));
    EXPECT_EQ(watch.lastId.load(), 16);
    EXPECT_EQ(p.link.LastReportedHeadId, 16);

    // The ring finds every device that identifies itself, and nothing else. A reply that
    // misses its clock second on a loaded machine is found on a later round.
    const uint32_t devices = (1u << 16) | (1u << 20) | (1u << 31);
    ASSERT_TRUE(WaitFor([&] { return (watch.idsAnswered.load() & devices) == devices; }, 30000))
        << std::hex << watch.idsAnswered.load();
    ASSERT_TRUE(WaitFor([&] { return p.link.ScanId == 17; }, 10000));
    EXPECT_EQ(watch.idsAnswered.load(), devices);
    ASSERT_TRUE(WaitFor([&] { return p.link.ScanId == 18; }, 10000));

    p.link.NewHeadId = 21;
    p.link.HeadIdChangeRequest = 1;
    ASSERT_TRUE(WaitFor([&] { return p.settings.MasterHeadID == 21; }, 10000));
    EXPECT_EQ(p.link.PreviousHeadId, 16);
    ASSERT_TRUE(WaitFor([&] { return watch.lastId.load() == 21; }, 10000));

    p.link.NvRamSerialNumber = 1234;
    p.link.NvRamDepthRating = 1;
    p.link.NewHeadId = 21;
    p.link.HeadIdChangeRequest = 1;
    p.link.NvRamWriteRequest = 1;
    ASSERT_TRUE(WaitFor([&] { return watch.lastSerial.load() == 1234; }, 10000));
    EXPECT_EQ(watch.lastDepth.load(), 1);
    EXPECT_EQ(watch.lastId.load(), 21);

    StopHeadScan(p.link, p.settings);
    EXPECT_EQ(p.link.ScanId, 16);
    // Normal shots go to the head under its new ID.
    const size_t before = p.HeadShots();
    EXPECT_TRUE(WaitFor([&] { return p.HeadShots() > before + 3; }, 10000));
}

}  // namespace
}  // namespace tarvisk::test
