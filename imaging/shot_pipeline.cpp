#include "imaging/shot_pipeline.h"

#include "head/reply_decode.h"

namespace tarvisk {
namespace {

template <typename T>
T* OrDefault(T* hook) {
    static T none;
    return hook ? hook : &none;
}

constexpr int32_t BadReplyWaitMs = 100;

}  // namespace

ShotPipeline::ShotPipeline(SonarSettings& settings, HeadLink& link, SonarDrawing& drawing,
                           EchoHistory& history, ProfileRecordTable& profileRecords,
                           ImagingState& state, const ShotHooks& hooks)
    : settings_(settings),
      link_(link),
      drawing_(drawing),
      history_(history),
      profileRecords_(profileRecords),
      state_(state) {
    SetHooks(hooks);
}

void ShotPipeline::SetHooks(const ShotHooks& hooks) {
    recorder_ = OrDefault(hooks.recorder);
    panel_ = OrDefault(hooks.panel);
    measurement_ = OrDefault(hooks.measurement);
    magnifier_ = OrDefault(hooks.magnifier);
    profileContext_ = OrDefault(hooks.profileContext);
    delay_ = OrDefault(hooks.delay);
    drawing_.SetView(hooks.view);
}

void ShotPipeline::ResetLastValues() {
    lastDataBits_ = 8;
    lastProfile_ = 0;
    lastDrawnMode_ = -1;
    lastFileSoundVelocity_ = 0.0f;
}

void ShotPipeline::ClearHistory(bool keepEchoLine) {
    const bool keepList = settings_.RunMode == 1 && recorder_->PlaybackFileOpen();
    drawing_.ClearImageAndHistory(link_.Shot.EchoLine, history_, keepList, keepEchoLine);
}

namespace {
// Tells the panel that the shot's drawing is done, at the latest when processing ends.
class ShotScope {
  public:
    explicit ShotScope(PanelHook& panel) : panel_(panel) { panel_.ShotStarted(); }
    ~ShotScope() { Finish(); }
    ShotScope(const ShotScope&) = delete;
    ShotScope& operator=(const ShotScope&) = delete;
    void Finish() {
        if (open_)
            panel_.ShotFinished();
        open_ = false;
    }

  private:
    PanelHook& panel_;
    bool open_ = true;
};
}  // namespace

void ShotPipeline::ProcessShot() {
    ShotScope scope(*panel_);
    const bool playback = settings_.RunMode == 1;
    if (state_.HistoryClearRequest.Take())
        ClearHistory(false);
    if (settings_.DiagnosticsShown)
        panel_->RefreshDiagnostics();
    const bool accepted = CheckAndDecodeReply(link_);
    panel_->AdvanceActivityBlinker(accepted);

    const int32_t type = link_.Expected.ReplyType;
    if (type == ReplyTypeHeadScan) {
        scope.Finish();
        delay_->WaitMilliseconds(BadReplyWaitMs);
        return;
    }
    if (settings_.AzimuthDriveEnable && type == ReplyTypeAzimuth) {
        if (settings_.DiagnosticsShown)
            panel_->RefreshDiagnostics();
        return;
    }
    if (!accepted) {
        // A silent or noisy line must not spin the acquisition thread.
        scope.Finish();
        if (!playback)
            delay_->WaitMilliseconds(BadReplyWaitMs);
        return;
    }

    ShotRecord& shot = link_.Shot;
    // Only a played file steps backwards; a live shot always draws forwards.
    const bool backwards = playback && recorder_->ReverseStepping();
    if (backwards)
        shot.DrawDirection = shot.DrawDirection ? 0 : 1;
    if (!playback)
        recorder_->RecordShot();

    bool redrawn = false;
    if (playback)
        settings_.FormatCheckRequest = 1;
    if (settings_.FormatCheckRequest.Take()) {
        const int32_t dataBits = settings_.DataBits;
        const int32_t profile = settings_.Profile;
        const int32_t sectorSize = settings_.SectorSize;
        const bool changed = dataBits != lastDataBits_ || profile != lastProfile_ ||
                             sectorSize < state_.PreviousSectorSize;
        lastDataBits_ = dataBits;
        lastProfile_ = profile;
        // Once checked, a narrower sector is the new normal; later checks must not clear
        // the image again for the same change.
        state_.PreviousSectorSize = sectorSize;
        if (changed) {
            // The shot that shows the change is still drawn below: keep its echoes.
            ClearHistory(true);
            drawing_.RedrawImage();
            redrawn = true;
        }
    }

    if (playback) {
        recorder_->RefreshFromRecord();
        const int32_t range = shot.RangeByte;
        const int32_t mode = settings_.GridMode;
        if ((range != state_.LastShownRange || mode != lastDrawnMode_) && !redrawn)
            drawing_.RedrawImage();
        state_.LastShownRange = range;
        lastDrawnMode_ = mode;
        ApplyFileSoundVelocity();
    }

    const bool drawsNothing =
        settings_.EnableOrientationModule && link_.Reply.bytes[3] == OrientationModuleId;
    if (drawsNothing) {
        panel_->RefreshOrientationWindow();
        measurement_->RefreshReadouts();
    } else {
        panel_->RefreshShotReadouts();
        panel_->DrawDialMarkers();
        const int32_t sampleCount = link_.Expected.SamplesPerLine;
        bool drew = true;
        if (settings_.ClearRequest.Take()) {
            ClearImageAndHistory();
            drawing_.RedrawImage();
            drew = false;
        } else if (settings_.GridMode == SS) {
            drawing_.DrawSideScanLine(shot.EchoLine, sampleCount, backwards);
        } else {
            DrawPlanShot(shot, sampleCount);
        }
        if (drew)
            measurement_->RedrawAfterShot();
    }

    if (settings_.PixelZoom)
        magnifier_->RefreshMagnifier();
    scope.Finish();
    if (playback && settings_.PlotSpeed < 100)
        recorder_->PlotSpeedPause();
}

void ShotPipeline::DrawPlanShot(const ShotRecord& shot, int32_t sampleCount) {
    // During an automated scan only the sweep in the start direction is drawn.
    const bool skip = state_.AutoProfileRunning && !state_.WaitingForStart &&
                      shot.StepDirection != state_.StartDirection;
    if (!skip) {
        const int32_t profile = settings_.Profile;
        if (profile == PointsOnly || link_.Expected.ReplyType == ReplyTypeProfile) {
            drawing_.DrawProfilePointOnly(shot);
        } else {
            drawing_.ShiftAndDrawFan(shot, history_, sampleCount);
            if (profile >= LowMix && profile <= HighMix)
                drawing_.DrawProfileMix(shot);
        }
    }
    drawing_.DrawDredgeLine();
    TrackSweep(shot);
    if (state_.AutoProfileRunning)
        StoreProfileRecord(shot);
}

void ShotPipeline::TrackSweep(const ShotRecord& shot) {
    if (!state_.WaitingForStart) {
        previousPosition_ = 1200;
        return;
    }
    if (shot.HeadPosition > previousPosition_ && shot.HeadPosition >= state_.FirstSectorLimit) {
        state_.WaitingForStart = 0;
        state_.StartDirection = shot.StepDirection;
        panel_->ClearStatusMessage();
    }
    previousPosition_ = shot.HeadPosition;
}

void ShotPipeline::StoreProfileRecord(const ShotRecord& shot) {
    ProfileContext context;
    profileContext_->FillProfileContext(context);
    ProfileRecord record;
    record.TimeStamp = context.TimeStamp;
    record.TimeStamp.back() = 0;
    record.GpsPosition = context.GpsPosition;
    record.GpsPosition.back() = 0;
    record.GpsAltitude = context.GpsAltitude;
    record.Range =
        ProfileRecordRange(shot.ProfileRange, settings_.RangeMeters, shot.EchoStartDistance);
    record.Bearing = ProfileRecordBearing(shot.HeadAngleDegrees, settings_.VerticalAngleOffset);
    record.Direction = shot.StepDirection;
    record.Pitch = context.Pitch;
    record.Roll = context.Roll;
    record.Heading = context.Heading;
    profileRecords_.Append(record);
}

void ShotPipeline::ApplyFileSoundVelocity() {
    const float velocity = recorder_->FileSoundVelocity();
    // A record without a usable velocity keeps the one in force.
    if (!(velocity > 0.0f) || velocity == lastFileSoundVelocity_)
        return;
    lastFileSoundVelocity_ = velocity;
    SonarImage& image = drawing_.Image();
    if (settings_.Grid) {
        // The grid spacing follows the velocity: erase the old grid before it changes.
        image.DrawBusy = 1;
        settings_.Grid = 0;
        drawing_.DrawGrid();
        panel_->DrawGridLabel();
        settings_.SoundVelocityMeters = velocity;
        settings_.Grid = 1;
        image.DrawBusy = 0;
        image.DrawBusy = 1;
        panel_->DrawGridLabel();
        drawing_.DrawGrid();
        image.DrawBusy = 0;
    } else {
        // Also with the grid off, so that the measurement readouts use the file's velocity.
        settings_.SoundVelocityMeters = velocity;
    }
    measurement_->RefreshReadouts();
}

}  // namespace tarvisk
