// The timed send under CPU load: a head that answers 8 ms after the command, as a real one may,
// loses the start of its answer whenever the send sequence's flush comes late, and the link
// then stalls until the no-data re-send. Counts those stalls with two CPU-bound processes
// beside the link, for a minute by default (TARVISK_BENCH_SECONDS), and gives them per ten
// minutes.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "head/acquisition_thread.h"
#include "head/expected_reply.h"
#include "head/reply_decode.h"
#include "platform/delay.h"
#include "sim/head_simulator.h"

namespace tarvisk {
namespace {

// A gap this long between shots is a stall: the line waits for the no-data re-send.
constexpr int64_t StallMicroseconds = 1000000;

class GapShots : public ShotHandler {
  public:
    explicit GapShots(HeadLink& link) : link_(link) {}
    void ProcessShot() override {
        if (!CheckAndDecodeReply(link_))
            return;
        const int64_t now = MonotonicMicroseconds();
        if (last_ > 0 && now - last_ > StallMicroseconds)
            stalls_.fetch_add(1);
        if (last_ > 0 && now - last_ > longest_.load())
            longest_.store(now - last_);
        last_ = now;
        shots_.fetch_add(1);
    }
    std::atomic<int64_t> shots_{0}, stalls_{0}, longest_{0};

  private:
    HeadLink& link_;
    int64_t last_ = 0;
};

// Processes that only burn a core each, ended by their ids.
class CpuHogs {
  public:
    explicit CpuHogs(int count) {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                volatile uint64_t spin = 0;
                for (;;)
                    spin = spin + 1;
            }
            if (pid > 0)
                pids_.push_back(pid);
        }
    }
    ~CpuHogs() {
        for (pid_t pid : pids_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

  private:
    std::vector<pid_t> pids_;
};

int BenchSeconds() {
    const char* text = std::getenv("TARVISK_BENCH_SECONDS");
    const int seconds = text ? std::atoi(text) : 60;
    return seconds > 0 ? seconds : 60;
}

void SendUnderLoad(benchmark::State& state) {
    const int hogs = static_cast<int>(state.range(0));
    const bool raisePriority = state.range(1) != 0;
    SonarSettings settings;
    HeadLink link(settings);
    ApplyDisplayMode(settings, Sector);
    settings.DataBits = 8;
    settings.RangeMeters = 5;
    settings.EnableOrientationModule = 0;
    GapShots shots(link);
    LinkStatusView view;
    AcquisitionSeams seams;
    AcquisitionThread acquisition(link, shots, view, seams);
    SendTiming timing;
    timing.raisePriority = raisePriority;
    acquisition.SetSendTiming(timing);

    sim::SimulatorOptions options;
    options.earlyAnswerMicroseconds = 8000;
    sim::HeadSimulator simulator;
    if (!simulator.Start(options) || !acquisition.OpenHeadPort(0, simulator.DevicePath()) ||
        !acquisition.StartAcquisition(5)) {
        state.SkipWithError("cannot start the simulated link");
        return;
    }
    const int seconds = BenchSeconds();
    for (auto _ : state) {
        CpuHogs load(hogs);
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
    }
    acquisition.StopAcquisition();
    simulator.Stop();
    const double minutes = seconds / 60.0;
    const double stalls = static_cast<double>(shots.stalls_.load());
    const SendTimes worst = acquisition.WorstSendTimes();
    state.counters["shots_per_s"] = static_cast<double>(shots.shots_.load()) / seconds;
    state.counters["stalls_per_10min"] = stalls / minutes * 10.0;
    state.counters["longest_gap_ms"] = static_cast<double>(shots.longest_.load()) / 1000.0;
    state.counters["worst_write_to_flush_ms"] = worst.writeToFlushMicroseconds / 1000.0;
    state.counters["worst_rts_hold_ms"] = worst.rtsHoldMicroseconds / 1000.0;
    std::printf(
        "%d CPU-bound processes, priority %s: %lld shots in %d s, %.0f stalls (%.1f per 10 "
        "minutes), longest gap %.1f ms, worst write-to-flush %.2f ms, worst RTS hold after the "
        "frame %.2f ms\n",
        hogs, raisePriority ? "raised" : "normal", static_cast<long long>(shots.shots_.load()),
        seconds, stalls, stalls / minutes * 10.0, shots.longest_.load() / 1000.0,
        worst.writeToFlushMicroseconds / 1000.0, worst.rtsHoldMicroseconds / 1000.0);
}

BENCHMARK(SendUnderLoad)
    ->ArgNames({"hogs", "priority"})
    ->Args({2, 1})
    ->Args({2, 0})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
}  // namespace tarvisk

BENCHMARK_MAIN();
