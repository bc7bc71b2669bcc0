#pragma once
// Every drawing into SonarImage, with the image lock, DrawBusy and the copy to the window
// handled in one place. One instance for the whole run; the shot pipeline draws through it
// and the window commands call RedrawImage and DrawGrid.

#include <cstdint>

#include "head/shot_record.h"
#include "imaging/echo_history.h"
#include "imaging/fan.h"
#include "imaging/profile_points.h"
#include "imaging/shot_hooks.h"
#include "imaging/sonar_image.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

class SonarDrawing {
  public:
    SonarDrawing(const SonarSettings& settings, SonarImage& image, ProfilePoints& points,
                 ImageViewHook* view = nullptr);

    void SetView(ImageViewHook* view);

    // Clears the image, draws the grid, shows it; DrawBusy is set meanwhile.
    void RedrawImage();
    // Sets or clears the grid pixels for the current mode, shows the image, then draws the
    // dredge line. Callers on other threads than the fan's set DrawBusy around it.
    void DrawGrid();
    // The fan of the current shot from the history; shown once no redraw is busy.
    void DrawFan(const ShotRecord& shot, const EchoHistory& history, int32_t sampleCount);
    // ShiftHistory and DrawFan under one hold of the image lock.
    void ShiftAndDrawFan(const ShotRecord& shot, EchoHistory& history, int32_t sampleCount);
    void DrawSideScanLine(const EchoLineArray& echoLine, int32_t sampleCount, bool backwards);
    void DrawProfilePointOnly(const ShotRecord& shot);
    void DrawProfileMix(const ShotRecord& shot);
    void DrawDredgeLine();
    // Zeroes the decoded echo line, the history and the mix ring and, unless keepPointList
    // (playback with a file open), the Points Only list. keepEchoLine spares the line of a
    // shot that is about to be drawn.
    void ClearImageAndHistory(EchoLineArray& echoLine, EchoHistory& history, bool keepPointList,
                              bool keepEchoLine = false);

    const FanTable& LastFanTable() const { return fanTable_; }
    SonarImage& Image() { return image_; }

  private:
    void Show(const ImageRect& rect);
    void Show(const ImageParts& parts);

    const SonarSettings& settings_;
    SonarImage& image_;
    ProfilePoints& points_;
    ImageViewHook* view_;
    FanTable fanTable_;
};

FanParams FanParamsFor(const SonarSettings& settings, const ShotRecord& shot);

}  // namespace tarvisk
