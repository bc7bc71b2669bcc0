#pragma once
// Auto frame capture: while a file plays, one screen capture per sweep of the played data,
// numbered beside the file (run1.ksd gives run1-0001.BMP, run1-0002.BMP, ...). A sector
// display is captured at each reversal of the head, a full circle each time the position wraps.
// The playback step calls ExamineShot after each record and StopAtEndOfFile at the end.

#include <cstdint>
#include <string>
#include <string_view>

#include "head/shot_record.h"
#include "settings/shared_value.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

class FrameCaptureUi {
  public:
    virtual ~FrameCaptureUi() = default;
    virtual void SetMenuText(std::string_view text) = 0;
    virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
    // The name in the message strip under the image, shown for a moment before the capture.
    virtual void ShowStripMessage(std::string_view text) = 0;
    virtual void PauseMilliseconds(int32_t ms) = 0;
    // Resets the strip's counters and redraws it.
    virtual void ClearStrip() = 0;
    // Captures the window (hourglass meanwhile); false when the file could not be written.
    virtual bool Capture(const std::string& path) = 0;
};

inline constexpr std::string_view FrameCaptureStartText = "&Auto Frame Capture Start...";
inline constexpr std::string_view FrameCaptureStopText = "&Auto Frame Capture Stop...";
inline constexpr int32_t FrameCaptureNamePauseMs = 1500;

// The next capture name for a playback file: its path without the last four characters (the
// extension), "-", the next free four-digit number, ".BMP", in the file's folder; empty when
// the numbers have run out.
std::string NextFrameCapturePath(const std::string& playbackPath);

class AutoFrameCapture {
  public:
    // flag: the AutoFrameCapture switch the menu command toggles.
    AutoFrameCapture(SonarSettings& settings, const ShotRecord& shot, SharedInt& flag,
                     FrameCaptureUi& ui)
        : settings_(settings), shot_(shot), flag_(flag), ui_(ui) {}

    // After each played record. playbackPath: the open file.
    void ExamineShot(const std::string& playbackPath);
    void StopAtEndOfFile();
    int32_t Captures() const { return captures_; }

  private:
    void CaptureFrame(const std::string& playbackPath);

    SonarSettings& settings_;
    const ShotRecord& shot_;
    SharedInt& flag_;
    FrameCaptureUi& ui_;
    bool wasOn_ = false;
    int32_t lastPosition_ = 600;
    int32_t lastDirection_ = -1;
    int32_t captures_ = 0;
};

}  // namespace tarvisk
