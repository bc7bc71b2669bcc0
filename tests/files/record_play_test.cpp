// Live shots from the simulator recorded through the real pipeline, then played back by a
// fresh program: the same replies come back and the same picture is drawn.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "files/headless_playback.h"
#include "head/acquisition_thread.h"
#include "ksd_test_util.h"
#include "sim/head_simulator.h"

namespace tarvisk {
namespace {

constexpr int ShotsToRecord = 200;

// Runs the pipeline for each live reply and keeps what the first 200 recorded shots were.
class CapturingHandler : public ShotHandler {
  public:
    explicit CapturingHandler(HeadlessPlayback& live) : live_(live) {}
    void ProcessShot() override {
        const int64_t before = live_.commands.Recorder().BytesRecorded();
        live_.pipeline.ProcessShot();
        if (live_.commands.Recorder().BytesRecorded() == before || done_)
            return;
        const int32_t n = live_.link.Expected.ExpectedReplyLength;
        replies_.emplace_back(live_.link.Reply.bytes.begin(), live_.link.Reply.bytes.begin() + n);
        if (replies_.size() == ShotsToRecord) {
            live_.commands.Recorder().Stop();
            std::lock_guard<std::mutex> lock(live_.image.Mutex());
            image_ = live_.image.pixels;
            done_ = true;
        }
    }
    bool Done() const { return done_; }
    const std::vector<std::vector<uint8_t>>& Replies() const { return replies_; }
    const std::array<uint8_t, ImagePixelCount>& Image() const { return image_; }

  private:
    HeadlessPlayback& live_;
    std::vector<std::vector<uint8_t>> replies_;
    std::array<uint8_t, ImagePixelCount> image_{};
    std::atomic<bool> done_{false};
};

void UseSettings(SonarSettings& s) {
    s.EnableOrientationModule = 0;
    s.Grid = 0;
    s.TxDelay = 0;
    ApplyDisplayMode(s, Sector);
    s.SectorSize = 30;  // narrow, so the last sweeps paint over the first shots
    s.Speed = Fastest;
}

TEST(RecordAndPlay, SimulatedShotsPlayBackWithTheSameRepliesAndImage) {
    test::TempDir dir;
    const std::string path = dir.File("live.ksd");

    HeadlessPlayback live;
    UseSettings(live.settings);
    ASSERT_TRUE(live.commands.StartRecording(path));
    CapturingHandler handler(live);
    LinkStatusView view;
    AcquisitionSeams seams;
    AcquisitionThread acquisition(live.link, handler, view, seams);
    acquisition.SetSendTiming({0, 0});
    sim::HeadSimulator simulator;
    sim::SimulatorOptions options;
    options.unpaced = true;
    options.seed = 11;
    options.linkPath = dir.File("head");
    ASSERT_TRUE(simulator.Start(options)) << simulator.Error();
    ASSERT_TRUE(acquisition.OpenHeadPort(0, simulator.DevicePath()));
    ASSERT_TRUE(acquisition.StartAcquisition(5));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!handler.Done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    acquisition.StopAcquisition();
    simulator.Stop();
    ASSERT_TRUE(handler.Done());

    HeadlessPlayback played;
    UseSettings(played.settings);
    ASSERT_TRUE(played.Open(path)) << played.ui.lastMessage;
    // The record after opening is read but not drawn; play round once so that every record
    // is drawn on the second pass, as the live shots were.
    std::vector<std::vector<uint8_t>> replies;
    for (int i = 0; i < ShotsToRecord; ++i)
        ASSERT_NE(played.commands.Player().Step(), StepResult::EndOfFile);
    ASSERT_EQ(played.commands.Player().Step(), StepResult::EndOfFile);
    for (int i = 0; i < ShotsToRecord; ++i) {
        const StepResult r = played.commands.Player().Step();
        ASSERT_TRUE(r == StepResult::Shown || (i == 0 && r == StepResult::Skipped)) << i;
        const int32_t n = played.link.Expected.ExpectedReplyLength;
        replies.emplace_back(played.link.Reply.bytes.begin(), played.link.Reply.bytes.begin() + n);
    }
    ASSERT_EQ(replies.size(), handler.Replies().size());
    for (size_t i = 0; i < replies.size(); ++i)
        ASSERT_EQ(replies[i], handler.Replies()[i]) << i;

    size_t differing = 0;
    for (size_t i = 0; i < played.image.pixels.size(); ++i)
        differing += played.image.pixels[i] != handler.Image()[i];
    EXPECT_EQ(differing, 0u);
    size_t painted = 0;
    for (uint8_t p : played.image.pixels)
        painted += p != 0;
    EXPECT_GT(painted, 5000u);  // a real picture, not two blank images
}

}  // namespace
}  // namespace tarvisk
