#include "files/auto_frame_capture.h"

#include <cstdlib>
#include <filesystem>

#include "files/xyz_file_name.h"

namespace tarvisk {

std::string NextFrameCapturePath(const std::string& playbackPath) {
    namespace fs = std::filesystem;
    const std::string stem =
        playbackPath.size() > 4 ? playbackPath.substr(0, playbackPath.size() - 4) : playbackPath;
    const fs::path stemPath(stem);
    const std::string folder = stemPath.parent_path().string();
    const std::string prefix = stemPath.filename().string();
    const int32_t number = NextSequenceNumber(folder, prefix, ".BMP");
    return number == 0 ? std::string() : stem + SequenceFileName("", number, ".BMP");
}

void AutoFrameCapture::ExamineShot(const std::string& playbackPath) {
    const bool on = flag_ != 0;
    if (on && !wasOn_) {
        // Switched on: the first shot examined in a sector display is captured.
        lastPosition_ = 600;
        lastDirection_ = -1;
    }
    wasOn_ = on;
    if (!on || playbackPath.empty())
        return;
    const int32_t mode = settings_.GridMode;
    if (mode != Sector && mode != Polar)
        return;
    if (settings_.SectorSize == 360) {
        const int32_t position = shot_.HeadPosition;
        if (std::abs(position - lastPosition_) > 1100)
            CaptureFrame(playbackPath);
        lastPosition_ = position;
    } else if (shot_.StepDirection != lastDirection_) {
        lastDirection_ = shot_.StepDirection;
        CaptureFrame(playbackPath);
    }
}

void AutoFrameCapture::CaptureFrame(const std::string& playbackPath) {
    const std::string path = NextFrameCapturePath(playbackPath);
    if (path.empty()) {
        const std::filesystem::path stem(playbackPath.substr(0, playbackPath.size() - 4));
        ui_.ShowStripMessage(
            NumbersUsedUpText(stem.parent_path().string(), stem.filename().string(), ".BMP"));
        return;
    }
    ui_.ShowStripMessage(path);
    ui_.PauseMilliseconds(FrameCaptureNamePauseMs);
    ui_.ClearStrip();
    if (ui_.Capture(path))
        ++captures_;
    else
        ui_.ShowStripMessage("Cannot save " + path);
}

void AutoFrameCapture::StopAtEndOfFile() {
    if (flag_ == 0)
        return;
    flag_ = 0;
    wasOn_ = false;
    ui_.SetMenuText(FrameCaptureStartText);
    ui_.ShowMessage("End of File, Capture Stopped!", "Auto Frame Capture");
}

}  // namespace tarvisk
