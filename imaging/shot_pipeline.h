#pragma once
// The one routine every live reply and every played record passes through: accept and
// decode, record, keep the screen in line with a played file, keep the echo history, draw the
// shot for the display mode, collect profile records during automated scans.

#include <cstdint>

#include "settings/sonar_settings.h"
#include "head/head_link.h"
#include "head/shot_handler.h"
#include "imaging/echo_history.h"
#include "imaging/imaging_state.h"
#include "imaging/profile_record_table.h"
#include "imaging/shot_hooks.h"
#include "imaging/sonar_drawing.h"

namespace tarvisk {

class ShotPipeline : public ShotHandler {
  public:
    ShotPipeline(SonarSettings& settings, HeadLink& link, SonarDrawing& drawing,
                 EchoHistory& history, ProfileRecordTable& profileRecords, ImagingState& state,
                 const ShotHooks& hooks = {});

    void SetHooks(const ShotHooks& hooks);

    // Not re-entrant; live operation and playback never call it at the same time.
    void ProcessShot() override;

    // Zeroes the echo line, the history and the profile points (the list survives during
    // playback with a file open). Clears no pixels.
    void ClearImageAndHistory() { ClearHistory(false); }

    // The previous-value copies, reset when playback starts (format and sound velocity are
    // then compared afresh).
    void ResetLastValues();

  private:
    void ClearHistory(bool keepEchoLine);
    void ApplyFileSoundVelocity();
    void DrawPlanShot(const ShotRecord& shot, int32_t sampleCount);
    void TrackSweep(const ShotRecord& shot);
    void StoreProfileRecord(const ShotRecord& shot);

    SonarSettings& settings_;
    HeadLink& link_;
    SonarDrawing& drawing_;
    EchoHistory& history_;
    ProfileRecordTable& profileRecords_;
    ImagingState& state_;
    ShotRecorderHook* recorder_;
    PanelHook* panel_;
    MeasurementHook* measurement_;
    MagnifierHook* magnifier_;
    ProfileContextHook* profileContext_;
    DelayHook* delay_;

    int32_t lastDataBits_ = 8;
    int32_t lastProfile_ = 0;
    int32_t lastDrawnMode_ = -1;
    float lastFileSoundVelocity_ = 0.0f;
    int32_t previousPosition_ = 1200;
};

}  // namespace tarvisk
