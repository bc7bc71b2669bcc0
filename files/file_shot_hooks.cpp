#include "files/file_shot_hooks.h"

#include <cstring>

namespace tarvisk {

FileShotHooks::FileShotHooks(HeadLink& link, SonarDrawing& drawing, EchoHistory& history)
    : link_(link), drawing_(drawing), history_(history) {}

void FileShotHooks::RecordShot() {
    if (commands_)
        commands_->Recorder().RecordShot(link_.Reply, link_.Expected);
}

bool FileShotHooks::ReverseStepping() const {
    return commands_ && commands_->Player().SteppingBackwards();
}

bool FileShotHooks::PlaybackFileOpen() const {
    return commands_ && commands_->Player().IsOpen();
}

void FileShotHooks::RefreshFromRecord() {
    if (!commands_)
        return;
    const PlayedRecordState& record = commands_->Player().Played();
    // The image redraw for a new range or mode is the pipeline's own; it is not asked here.
    const ScreenChanges changes = sync_.Update(record, link_.Settings, link_.Shot.RangeByte, true);
    if (window_)
        window_->ApplyScreenChanges(changes, record);
}

float FileShotHooks::FileSoundVelocity() const {
    return commands_ ? commands_->Player().Played().SoundVelocity : 0.0f;
}

bool FileShotHooks::ProcessPlayedShot() {
    if (!pipeline_)
        return false;
    // The decode marks each valid reply; that tells an accepted record from a rejected one.
    link_.ReplyReceived = 0;
    pipeline_->ProcessShot();
    return link_.ReplyReceived != 0;
}

void FileShotHooks::SeedLineHistory() {
    history_.HistorySeedPending = 1;
}

void FileShotHooks::ResetOrientation() {
    if (window_)
        window_->ResetOrientation();
}

void FileShotHooks::ClearImageAndHistory() {
    if (pipeline_)
        pipeline_->ClearImageAndHistory();
    drawing_.RedrawImage();
}

void FileShotHooks::ExamineFrame() {
    if (window_)
        window_->ExamineFrame();
}

void FileShotHooks::StopFrameCaptureAtEnd() {
    if (window_)
        window_->StopFrameCaptureAtEnd();
}

void FileShotHooks::PlaybackOpened() {
    sync_.Reset();
    if (pipeline_)
        pipeline_->ResetLastValues();
    history_.HistorySeedPending = 1;
}

RecordTimeStamp StampTimeSource::CurrentShotTimeStamp() {
    RecordTimeStamp s;
    stamp_.DateText.CopyTo(s.Date.data(), s.Date.size());
    stamp_.TimeText.CopyTo(s.Time.data(), s.Time.size());
    s.Hundredths = stamp_.Hundredths;
    // Before the first clock reading the texts are empty: use the clock itself.
    if (s.Date[0] == '\0')
        return CurrentTimeStamp();
    return s;
}

int32_t LinkAzimuthSource::RespondingDrivePosition() {
    if (!link_.Settings.AzimuthDriveEnable || !link_.AzimuthDetected)
        return -1;
    const int32_t position = link_.ReportedAzimuthPosition;
    return position >= 0 && position <= 1199 ? position : -1;
}

}  // namespace tarvisk
