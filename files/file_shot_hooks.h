#pragma once
// Joins the file commands to the shot pipeline: the pipeline's recorder hand-off and playback
// questions are answered here, and a playback step runs the pipeline through here.

#include <cstdint>

#include "files/file_commands.h"
#include "files/playback_models.h"
#include "head/date_time_stamp.h"
#include "head/head_link.h"
#include "imaging/echo_history.h"
#include "imaging/shot_hooks.h"
#include "imaging/shot_pipeline.h"
#include "imaging/sonar_drawing.h"

namespace tarvisk {

// What a played record changes on screen besides the readouts, and the program parts around
// playback that live elsewhere (orientation readings, auto frame capture). All default to
// nothing, so a headless run needs none of them.
class PlaybackWindowHooks {
  public:
    virtual ~PlaybackWindowHooks() = default;
    virtual void ApplyScreenChanges(const ScreenChanges& /*changes*/,
                                    const PlayedRecordState& /*record*/) {}
    virtual void ResetOrientation() {}
    virtual void ExamineFrame() {}
    virtual void StopFrameCaptureAtEnd() {}
};

class FileShotHooks : public ShotRecorderHook, public PlaybackHooks {
  public:
    FileShotHooks(HeadLink& link, SonarDrawing& drawing, EchoHistory& history);

    // Set once at start-up, before the first shot.
    void Attach(FileCommands& commands, ShotPipeline& pipeline) {
        commands_ = &commands;
        pipeline_ = &pipeline;
    }
    void SetWindowHooks(PlaybackWindowHooks* window) { window_ = window; }

    // Recorder side, on the acquisition thread.
    void RecordShot() override;
    // Playback questions of the pipeline.
    bool ReverseStepping() const override;
    bool PlaybackFileOpen() const override;
    void RefreshFromRecord() override;
    float FileSoundVelocity() const override;
    // The pause runs on the window's timer instead (FileCommands::PlayStep returns it).
    void PlotSpeedPause() override {}

    // Playback side, on the window thread.
    bool ProcessPlayedShot() override;
    void SeedLineHistory() override;
    void ResetOrientation() override;
    void ClearImageAndHistory() override;
    void ExamineFrame() override;
    void StopFrameCaptureAtEnd() override;

    // A new playback file compares formats and velocities afresh.
    void PlaybackOpened() override;

  private:
    HeadLink& link_;
    SonarDrawing& drawing_;
    EchoHistory& history_;
    FileCommands* commands_ = nullptr;
    ShotPipeline* pipeline_ = nullptr;
    PlaybackWindowHooks* window_ = nullptr;
    PlaybackScreenSync sync_;
};

// The acquisition side's date/time stamp in the record's form.
class StampTimeSource : public TimeStampSource {
  public:
    explicit StampTimeSource(const DateTimeStamp& stamp) : stamp_(stamp) {}
    RecordTimeStamp CurrentShotTimeStamp() override;

  private:
    const DateTimeStamp& stamp_;
};

// The azimuth drive position a record stores: only while the drive is enabled and answers.
class LinkAzimuthSource : public AzimuthPositionSource {
  public:
    explicit LinkAzimuthSource(const HeadLink& link) : link_(link) {}
    int32_t RespondingDrivePosition() override;

  private:
    const HeadLink& link_;
};

}  // namespace tarvisk
