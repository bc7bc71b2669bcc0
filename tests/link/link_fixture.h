#pragma once
// A whole live link in a few lines: settings, link state, the acquisition thread and the
// simulator on a pseudo-terminal behind a symlink in a fresh directory.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "settings/sonar_settings.h"
#include "head/acquisition_thread.h"
#include "head/head_link.h"
#include "head/reply_decode.h"
#include "sim/head_simulator.h"

namespace tarvisk::test {

inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 30000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A local clock whose seconds pass every `millisecondsPerSecond` of real time.
class FastClock : public LocalClock {
  public:
    explicit FastClock(int millisecondsPerSecond) : period_(millisecondsPerSecond) {}
    void Now(std::tm& local, int32_t& milliseconds) override {
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start_)
                           .count();
        int64_t seconds = elapsed / period_;
        local = {};
        local.tm_year = 126;
        local.tm_mon = 11;
        local.tm_mday = 8;
        local.tm_hour = static_cast<int>(seconds / 3600 % 24);
        local.tm_min = static_cast<int>(seconds / 60 % 60);
        local.tm_sec = static_cast<int>(seconds % 60);
        milliseconds = static_cast<int32_t>(elapsed % period_ * 1000 / period_);
    }

  private:
    int period_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// What the link showed: every status call with the no-data count at that moment.
struct StatusEvent {
    enum Kind { Shown, Erased, Resend } kind;
    int32_t noDataSeconds;
};

class RecordingView : public LinkStatusView {
  public:
    void Attach(const LinkCounters* counters) { counters_ = counters; }
    void ShowLinkStatus(PaletteColour text, PaletteColour background, PaletteColour,
                        int32_t) override {
        Add(text == background ? StatusEvent::Erased : StatusEvent::Shown);
    }
    void ClearReplyActivityMark() override { Add(StatusEvent::Resend); }
    std::vector<StatusEvent> Events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

  private:
    void Add(StatusEvent::Kind kind) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back({kind, counters_ ? counters_->NoDataSeconds.Get() : -1});
    }
    const LinkCounters* counters_ = nullptr;
    std::mutex mutex_;
    std::vector<StatusEvent> events_;
};

// Decodes each shot and keeps what the tests compare, in fixed storage.
class RecordingShots : public ShotHandler {
  public:
    struct Shot {
        uint8_t type;
        uint8_t range;
        int32_t position;  // as sent, before any mirroring
        int32_t direction;
        bool valid;
    };
    explicit RecordingShots(HeadLink& link) : link_(link) { shots_.reserve(12000); }
    void ProcessShot() override {
        const auto& b = link_.Reply.bytes;
        Shot s{b[1], b[7], (b[6] & 0x3F) * 128 + (b[5] & 0x7F), (b[6] >> 6) & 1, false};
        s.valid = CheckAndDecodeReply(link_);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (shots_.size() < shots_.capacity())
                shots_.push_back(s);
        }
        count_.fetch_add(1);
        if (afterShot_)
            afterShot_();
    }
    size_t Count() const { return count_.load(); }
    std::vector<Shot> Shots() {
        std::lock_guard<std::mutex> lock(mutex_);
        return shots_;
    }
    // Runs on the acquisition thread after each shot (set before starting).
    std::function<void()> afterShot_;

  private:
    HeadLink& link_;
    std::mutex mutex_;
    std::vector<Shot> shots_;
    std::atomic<size_t> count_{0};
};

class LiveLink {
  public:
    explicit LiveLink(bool unpaced = true, bool fastTiming = true) {
        char pattern[] = "/tmp/tarvisk-link-XXXXXX";
        dir_ = mkdtemp(pattern);
        options.unpaced = unpaced;
        options.linkPath = dir_ + "/head";
        options.commandLogPath = dir_ + "/commands.log";
        options.seed = 7;
        settings.EnableOrientationModule = 0;
        view.Attach(&acquisition.Counters());
        if (fastTiming)
            acquisition.SetSendTiming({0, 0});
        settings.TxDelay = 0;
    }
    ~LiveLink() {
        acquisition.StopAcquisition();
        simulator.Stop();
        std::filesystem::remove_all(dir_);
    }
    bool StartSimulator() { return simulator.Start(options); }
    bool StartLink() {
        return acquisition.OpenHeadPort(0, simulator.DevicePath()) &&
               acquisition.StartAcquisition(5);
    }
    std::vector<std::string> CommandLog() const;

    SonarSettings settings;
    HeadLink link{settings};
    RecordingShots shots{link};
    RecordingView view;
    AcquisitionSeams seams;
    AcquisitionThread acquisition{link, shots, view, seams};
    sim::SimulatorOptions options;
    sim::HeadSimulator simulator;

  private:
    std::string dir_;
};

}  // namespace tarvisk::test
