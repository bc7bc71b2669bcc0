#include <dirent.h>
#include <sys/resource.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "link_fixture.h"

namespace tarvisk::test {

std::vector<std::string> LiveLink::CommandLog() const {
    std::vector<std::string> lines;
    std::ifstream in(options.commandLogPath);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

namespace {

int OpenDescriptors() {
    int count = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++count;
        closedir(d);
    }
    return count;
}

uint8_t HexByte(const std::string& line, int index) {
    return static_cast<uint8_t>(
        std::stoi(line.substr(static_cast<size_t>(index) * 3, 2), nullptr, 16));
}

// Steps between two positions along the direction of travel, on the 1200-step circle.
int32_t StepDistance(int32_t from, int32_t to) {
    return ((to - from) % 1200 + 1200) % 1200;
}

}  // namespace

TEST(LiveLink, ShotsStreamDecodeAndStepAroundTheCircle) {
    LiveLink live(/*unpaced=*/false);
    live.settings.Speed = Fast;  // 3 steps per shot
    ApplyDisplayMode(live.settings, Polar);
    ASSERT_TRUE(live.StartSimulator()) << live.simulator.Error();
    ASSERT_TRUE(live.StartLink());
    ASSERT_TRUE(WaitFor([&] { return live.shots.Count() >= 20; }));
    live.acquisition.StopAcquisition();

    auto shots = live.shots.Shots();
    ASSERT_GE(shots.size(), 20u);
    for (size_t i = 0; i < shots.size(); ++i) {
        EXPECT_TRUE(shots[i].valid) << "shot " << i;
        EXPECT_EQ(shots[i].type, 'M');
        EXPECT_EQ(shots[i].range, 50);
        if (i > 0) {
            EXPECT_EQ(StepDistance(shots[i - 1].position, shots[i].position), 3) << i;
        }
    }
    EXPECT_EQ(live.link.Shot.RangeByte, 50);
    EXPECT_EQ(live.acquisition.Counters().PortVanished.Get(), 0);
}

TEST(LiveLink, SectorSweepReversesAtBothEdges) {
    LiveLink live;
    ApplyDisplayMode(live.settings, Sector);
    live.settings.SectorSize = 30;  // +-15 degrees: +-50 steps about 600
    live.settings.Speed = Fastest;  // 8 steps per shot
    live.settings.DataBits = 4;
    ASSERT_TRUE(live.StartSimulator());
    ASSERT_TRUE(live.StartLink());
    ASSERT_TRUE(WaitFor([&] { return live.shots.Count() >= 60; }));
    live.acquisition.StopAcquisition();

    auto shots = live.shots.Shots();
    int reversals = 0;
    for (size_t i = 0; i < shots.size(); ++i) {
        ASSERT_TRUE(shots[i].valid);
        EXPECT_EQ(shots[i].type, 'G');
        EXPECT_GE(shots[i].position, 550);
        EXPECT_LE(shots[i].position, 650);
        if (i == 0)
            continue;
        if (shots[i].direction != shots[i - 1].direction) {
            ++reversals;
            // The head turns round exactly on an edge.
            EXPECT_TRUE(shots[i].position == 550 || shots[i].position == 650) << shots[i].position;
        } else {
            // Direction 1: stepping toward higher positions.
            int32_t step = shots[i].direction ? 8 : -8;
            EXPECT_EQ(shots[i].position - shots[i - 1].position, step) << "shot " << i;
        }
    }
    EXPECT_GE(reversals, 4);
}

// Every reply the program took is the answer to the frame the head received, in order: none
// lost, duplicated or paired with another command. The range changes every shot so a reply
// handed to the wrong command shows.
TEST(LiveLink, SoakOfTenThousandShotsLosesNothing) {
    LiveLink live;
    live.settings.EnableOrientationModule = 1;  // interleave orientation requests too
    ApplyDisplayMode(live.settings, Sector);
    int32_t n = 0;
    live.shots.afterShot_ = [&] { live.settings.RangeMeters = 5 + (n++ * 7) % 40; };
    ASSERT_TRUE(live.StartSimulator());
    ASSERT_TRUE(live.StartLink());
    ASSERT_TRUE(WaitFor([&] { return live.shots.Count() >= 10000; }, 120000)) << live.shots.Count();
    live.acquisition.StopAcquisition();
    live.simulator.Stop();

    auto shots = live.shots.Shots();
    auto log = live.CommandLog();
    // An orientation request left unanswered for its quarter second is given up and the
    // head's command goes out instead: on a loaded machine that may happen, and the request
    // then has no shot. Every other command has its own, in order.
    const int32_t givenUpAllowed = live.acquisition.Counters().OrientationTimeouts.Get();
    int32_t givenUp = 0;
    size_t next = 0;
    size_t orientation = 0;
    for (size_t i = 0; i < shots.size(); ++i) {
        ASSERT_TRUE(shots[i].valid) << "shot " << i;
        while (next < log.size() && HexByte(log[next], 2) == 0x18 && shots[i].type != 'O' &&
               givenUp < givenUpAllowed) {
            ++givenUp;
            ++next;
        }
        ASSERT_LT(next, log.size()) << "shot " << i << " without its command";
        const uint8_t id = HexByte(log[next], 2);
        if (id == 0x18) {
            ++orientation;
            ASSERT_EQ(shots[i].type, 'O') << "shot " << i;
        } else {
            ASSERT_EQ(id, 0x10);
            ASSERT_EQ(shots[i].type, 'G') << "shot " << i;
            ASSERT_EQ(shots[i].range, HexByte(log[next], 3)) << "shot " << i;
        }
        ++next;
    }
    // The last frame may have gone out after the last reply was taken (after a request given
    // up at the very end, perhaps).
    EXPECT_LE(log.size(), next + 1 + static_cast<size_t>(givenUpAllowed - givenUp))
        << "orientation requests given up: " << givenUpAllowed
        << ", silent seconds: " << live.acquisition.Counters().NoDataSeconds.Get();
    EXPECT_GT(orientation, 0u);
    EXPECT_EQ(live.acquisition.Counters().NoDataSeconds.Get(), 0);
}

// Seconds pass every 40 ms here, so the whole no-data sequence takes well under a second.
TEST(LiveLink, SilenceShowsNoDataOnlyAfterTwoSecondsThenResendsEachSecond) {
    FastClock clock(40);  // outlives the link, whose thread reads it
    LiveLink live;
    live.acquisition.SetClock(&clock);
    ASSERT_TRUE(live.StartSimulator());
    live.simulator.SetSilent(true);
    ASSERT_TRUE(live.StartLink());
    ASSERT_TRUE(WaitFor([&] { return live.acquisition.Counters().NoDataSeconds.Get() >= 11; }));
    live.acquisition.StopAcquisition();

    std::vector<int32_t> resends, shown, erased;
    for (const StatusEvent& e : live.view.Events()) {
        if (e.noDataSeconds > 10)
            break;
        (e.kind == StatusEvent::Resend  ? resends
         : e.kind == StatusEvent::Shown ? shown
                                        : erased)
            .push_back(e.noDataSeconds);
    }
    EXPECT_EQ(resends, (std::vector<int32_t>{3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(erased, (std::vector<int32_t>{3, 5, 7, 9}));
    EXPECT_EQ(shown, (std::vector<int32_t>{6, 8, 10}));
    // One first command plus one re-send per counted second from the third on.
    EXPECT_GE(live.simulator.Stats().framesReceived, 9u);

    // The line comes back: the message goes and the counters restart.
    live.simulator.SetSilent(false);
    ASSERT_TRUE(live.StartLink());
    ASSERT_TRUE(WaitFor([&] { return live.shots.Count() >= 3; }));
    EXPECT_LT(live.acquisition.Counters().NoDataSeconds.Get(), 3);
}

TEST(LiveLink, HoldStopsPollingAndResending) {
    FastClock clock(20);  // outlives the link, whose thread reads it
    LiveLink live;
    live.acquisition.SetClock(&clock);
    live.settings.Hold = 1;
    ASSERT_TRUE(live.StartSimulator());
    live.simulator.SetSilent(true);
    ASSERT_TRUE(live.StartLink());
    // The first command goes out on entry; after that, nothing for many counted seconds.
    ASSERT_TRUE(WaitFor([&] { return live.acquisition.Counters().CommandsSent.load() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // about 15 clock seconds
    EXPECT_EQ(live.acquisition.Counters().CommandsSent.load(), 1u);
    EXPECT_EQ(live.acquisition.Counters().NoDataSeconds.Get(), 0);
    EXPECT_TRUE(live.view.Events().empty());
    live.settings.Hold = 0;
    ASSERT_TRUE(WaitFor([&] { return live.acquisition.Counters().CommandsSent.load() > 1; }));
}

// The far end closes halfway through a reply (a USB adapter pulled out). The link shows no
// data as for a silent head, stays cheap, and picks up the new line at the same path.
TEST(LiveLink, VanishedPortIsDetectedAndANewLineAtTheSamePathRecovers) {
    FastClock clock(50);  // outlives the link, whose thread reads it
    LiveLink live;
    live.acquisition.SetClock(&clock);
    ASSERT_TRUE(live.StartSimulator());
    ASSERT_TRUE(live.StartLink());
    ASSERT_TRUE(WaitFor([&] { return live.shots.Count() >= 5; }));
    live.simulator.DropLineMidReply();
    ASSERT_TRUE(WaitFor([&] { return live.acquisition.Counters().PortVanished.Get() == 1; }));
    EXPECT_TRUE(live.acquisition.Running());

    const size_t before = live.shots.Count();
    rusage start{}, end{};
    getrusage(RUSAGE_SELF, &start);
    ASSERT_TRUE(WaitFor([&] { return live.acquisition.Counters().NoDataSeconds.Get() >= 7; }));
    getrusage(RUSAGE_SELF, &end);
    EXPECT_EQ(live.shots.Count(), before);
    bool shown = false;
    for (const StatusEvent& e : live.view.Events())
        shown |= e.kind == StatusEvent::Shown;
    EXPECT_TRUE(shown) << "no \"No Data\" while the port was gone";
    // Both processes' threads together, over about 200 ms: far from a spinning core.
    double cpu = (end.ru_utime.tv_sec - start.ru_utime.tv_sec) +
                 (end.ru_utime.tv_usec - start.ru_utime.tv_usec) * 1e-6 +
                 (end.ru_stime.tv_sec - start.ru_stime.tv_sec) +
                 (end.ru_stime.tv_usec - start.ru_stime.tv_usec) * 1e-6;
    EXPECT_LT(cpu, 0.15);

    ASSERT_TRUE(live.simulator.ReopenLine());
    ASSERT_TRUE(WaitFor([&] { return live.shots.Count() >= before + 5; }));
    EXPECT_EQ(live.acquisition.Counters().PortVanished.Get(), 0);
    EXPECT_GE(live.acquisition.Counters().Reopens.Get(), 1);
    EXPECT_LT(live.acquisition.Counters().NoDataSeconds.Get(), 3);
}

TEST(LiveLink, ThousandStartStopCyclesWhileStreaming) {
    LiveLink live;
    ASSERT_TRUE(live.StartSimulator());
    const int descriptors = OpenDescriptors();
    std::vector<int64_t> stops;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(live.StartLink()) << "cycle " << i;
        // Stop at varied points of the exchange: at once, or after the first shots.
        if (i % 4 != 0) {
            const size_t target = live.shots.Count() + 1;
            WaitFor([&] { return live.shots.Count() >= target; }, 2000);
        }
        auto t0 = std::chrono::steady_clock::now();
        live.acquisition.StopAcquisition();
        stops.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - t0)
                            .count());
        ASSERT_FALSE(live.acquisition.Running());
        ASSERT_FALSE(live.acquisition.PortOpen());
    }
    // A stop ends the loop's wait for the line at once: one that sat out the wait (up to
    // 100 ms a pass) would put the middle stop at tens of milliseconds. A loaded machine may
    // still hold the thread off its core now and then, so the slowest only has to end.
    std::sort(stops.begin(), stops.end());
    EXPECT_LT(stops[stops.size() / 2], 20000) << "middle StopAcquisition in microseconds";
    EXPECT_LT(stops.back(), 2000000) << "slowest StopAcquisition in microseconds";
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_GT(live.shots.Count(), 700u);
}

// A missing device is waited for, with the reason in the status line.
TEST(LiveLink, MissingDeviceIsWaitedForWithItsReason) {
    LiveLink live;
    EXPECT_FALSE(live.acquisition.OpenHeadPort(2, "/nonexistent/tty"));
    EXPECT_TRUE(live.acquisition.StartAcquisition(5));
    EXPECT_TRUE(live.acquisition.Running());
    EXPECT_EQ(live.link.PortProblemText.Get(), "COM3 (/nonexistent/tty) not found");
    live.acquisition.StopAcquisition();
    EXPECT_FALSE(live.acquisition.Running());

    EXPECT_FALSE(live.acquisition.OpenHeadPort(2, ""));
    EXPECT_EQ(live.link.PortProblemText.Get(), "COM3 has no device");
    EXPECT_TRUE(live.acquisition.StartAcquisition(5));
    live.acquisition.StopAcquisition();
    live.acquisition.StopAcquisition();  // harmless when stopped
}

}  // namespace tarvisk::test
