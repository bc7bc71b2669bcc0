// The live link against the simulated head: shots per second as a share of what the line
// allows, and the acquisition thread's CPU time per shot.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "head/acquisition_thread.h"
#include "head/expected_reply.h"
#include "head/reply_decode.h"
#include "sim/head_simulator.h"

namespace tarvisk {
namespace {

int64_t ThreadCpuMicroseconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return int64_t{ts.tv_sec} * 1000000 + ts.tv_nsec / 1000;
}

// Decodes every shot and notes the acquisition thread's CPU clock and the wall clock.
class TimedShots : public ShotHandler {
  public:
    explicit TimedShots(HeadLink& link) : link_(link) {}
    void ProcessShot() override {
        valid_.fetch_add(CheckAndDecodeReply(link_) ? 1 : 0);
        cpu_.store(ThreadCpuMicroseconds());
        wall_.store(std::chrono::steady_clock::now().time_since_epoch().count());
        count_.fetch_add(1);
    }
    std::atomic<int64_t> count_{0}, valid_{0}, cpu_{0}, wall_{0};

  private:
    HeadLink& link_;
};

// Per shot on a 115200-baud line: the send sequence (RTS lead, the 27-byte frame, RTS hold,
// turn-round), the echo's two-way travel at the range, and the reply's own bytes.
double LineLimitMicroseconds(const SonarSettings& s, int32_t replyLength) {
    const double byteMicroseconds = 1e6 / 11520.0;
    const double send =
        s.SendDelay * 1000.0 + 200.0 + 27 * byteMicroseconds + 1500.0 + s.TxDelay * 100.0 + 500.0;
    const double ping = 2.0 * s.RangeMeters / 1500.0 * 1e6;
    return send + ping + replyLength * byteMicroseconds;
}

void LiveShots(benchmark::State& state) {
    const int32_t range = static_cast<int32_t>(state.range(0));
    const bool unpaced = state.range(1) != 0;
    SonarSettings settings;
    HeadLink link(settings);
    ApplyDisplayMode(settings, Sector);
    settings.DataBits = 8;
    settings.RangeMeters = range;
    settings.EnableOrientationModule = 0;
    TimedShots shots(link);
    LinkStatusView view;
    AcquisitionSeams seams;
    AcquisitionThread acquisition(link, shots, view, seams);

    char pattern[] = "/tmp/tarvisk-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    sim::SimulatorOptions options;
    options.unpaced = unpaced;
    sim::HeadSimulator simulator;
    if (!simulator.Start(options) || !acquisition.OpenHeadPort(0, simulator.DevicePath()) ||
        !acquisition.StartAcquisition(5)) {
        state.SkipWithError("cannot start the simulated link");
        return;
    }
    // Let the exchange settle before timing.
    while (shots.count_.load() < 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const int64_t firstCount = shots.count_.load();
    const int64_t firstCpu = shots.cpu_.load();
    const int64_t firstWall = shots.wall_.load();
    int64_t target = firstCount;
    for (auto _ : state) {
        ++target;
        while (shots.count_.load() < target) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    const int64_t n = shots.count_.load() - firstCount;
    const double cpu = static_cast<double>(shots.cpu_.load() - firstCpu);
    const double wall = std::chrono::duration<double, std::micro>(
                            std::chrono::steady_clock::duration(shots.wall_.load() - firstWall))
                            .count();
    acquisition.StopAcquisition();
    simulator.Stop();
    std::filesystem::remove_all(dir);

    const double period = wall / static_cast<double>(n);
    const double limit = LineLimitMicroseconds(settings, link.Expected.ExpectedReplyLength);
    state.counters["shot_ms"] = period / 1000.0;
    state.counters["shots_per_s"] = 1e6 / period;
    if (!unpaced)
        state.counters["limit_ratio"] = limit / period;
    state.counters["cpu_us_per_shot"] = cpu / static_cast<double>(n);
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["invalid"] = static_cast<double>(shots.count_.load() - shots.valid_.load());
    std::printf(
        "%s %3d m, 8-bit sector: %.2f ms per shot (%s%.3f of the line's %.2f ms), "
        "%.0f us CPU per shot, %.1f%% of a core\n",
        unpaced ? "unpaced" : "paced", range, period / 1000.0, unpaced ? "n/a " : "",
        unpaced ? 0.0 : limit / period, limit / 1000.0, cpu / static_cast<double>(n),
        100.0 * cpu / wall);
}

BENCHMARK(LiveShots)
    ->ArgNames({"range_m", "unpaced"})
    ->Args({10, 0})
    ->Args({50, 0})
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(LiveShots)
    ->ArgNames({"range_m", "unpaced"})
    ->Args({50, 1})
    ->Iterations(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace tarvisk

BENCHMARK_MAIN();
