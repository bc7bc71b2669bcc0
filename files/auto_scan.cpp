#include "files/auto_scan.h"

#include "files/xyz_file_name.h"
#include "imaging/grid.h"

namespace tarvisk {

int32_t AzimuthSweepTotal(int32_t startSteps, int32_t stopSteps) {
    if (stopSteps == startSteps)
        return 1200;
    const int32_t total = stopSteps - startSteps;
    return total < 0 ? total + 1200 : total;
}

AutoScan::AutoScan(SonarSettings& settings, HeadLink& link, ImagingState& imaging,
                   ProfileRecordTable& log, SonarDrawing& drawing, ScanLink& scanLink,
                   AutoScanUi& ui)
    : settings_(settings),
      link_(link),
      imaging_(imaging),
      log_(log),
      drawing_(drawing),
      scanLink_(scanLink),
      ui_(ui),
      profileRun_{imaging.AutoProfileRunning},
      azimuthRun_{autoAzimuthOn_, imaging.AutoProfileRunning} {}

void AutoScan::SyncScanFlag() {
    // The commanded sector gets its pad while a scan runs.
    link_.AutoScanActive = imaging_.AutoProfileRunning.Get();
}

void AutoScan::RunAutoProfileDialog(bool vertical) {
    AutoProfileVertical = vertical ? 1 : 0;
    AutoProfileDialogModel model(vertical ? ScanKind::Vertical : ScanKind::Horizontal);
    model.Open(settings_, profileRun_);
    ui_.RunProfileDialog(model, settings_, profileRun_);
    if (vertical)
        drawing_.DrawDredgeLine();
    const int32_t running = imaging_.AutoProfileRunning;
    if (settings_.RunMode == 0 && running == 1 && previousRunning_ == 0) {
        log_.Clear();
        StartScan();
    }
    if (running == 0)
        StopWaiting();
    previousRunning_ = running;
    SyncScanFlag();
}

void AutoScan::RunAutoAzimuthDialog() {
    if (settings_.AzimuthDriveEnable != 1)
        return;
    AutoAzimuthDialogModel model;
    model.Open(settings_, azimuthRun_);
    ui_.RunAzimuthDialog(model, settings_, azimuthRun_, [this] { CloseXyz(); });
    if (!model.Accepted()) {
        previousRunning_ = imaging_.AutoProfileRunning;
        SyncScanFlag();
        return;
    }
    previousRunning_ = 0;
    ui_.SetVerticalScanMenuEnabled(true);
    if (settings_.RunMode == 0 && imaging_.AutoProfileRunning == 1) {
        ui_.SetVerticalScanMenuEnabled(false);
        CloseXyz();
        if (settings_.AutoAzimuthXYZ == 1 && OpenNewXyz())
            ui_.ShowFileWritten(xyz_.Path());
        sweepTotal_ =
            AzimuthSweepTotal(settings_.AutoAzimuthStartAngle, settings_.AutoAzimuthStopAngle);
        sweepDone_ = 0;
        firstStep_ = true;
        log_.Clear();
        blockPosition_ = scanLink_.DrivePosition();
        StartScan();
        AdvanceAzimuth();
    } else {
        CloseXyz();
        StopWaiting();
    }
    previousRunning_ = imaging_.AutoProfileRunning;
    SyncScanFlag();
}

void AutoScan::StopWaiting() {
    imaging_.WaitingForStart = 0;
    if (waiting_)
        ui_.TransducerInPosition();
    waiting_ = false;
}

void AutoScan::StartScan() {
    // The sector's edges as the dial shows them for the present settings.
    const SectorLimits limits = ComputeSectorLimits(settings_);
    imaging_.FirstSectorLimit = limits.first;
    imaging_.SecondSectorLimit = limits.second;
    imaging_.SectorStartIndex = limits.startIndex;
    scanLink_.SendScanStep(static_cast<uint8_t>(limits.startIndex));
    imaging_.WaitingForStart = 1;
    waiting_ = true;
    ui_.ScanStarted();
    sweepTest_.Start(link_.Shot.StepDirection, link_.Shot.HeadPosition);
    SyncScanFlag();
}

void AutoScan::AfterValidShot() {
    if (imaging_.AutoProfileRunning != 1)
        return;
    if (waiting_ && imaging_.WaitingForStart == 0)
        ui_.TransducerInPosition();
    waiting_ = imaging_.WaitingForStart != 0;
    if (autoAzimuthOn_ != 0)
        FollowDrivePosition();
    const ShotRecord& shot = link_.Shot;
    const bool ended =
        sweepTest_.Shot(imaging_.WaitingForStart != 0, shot.HeadPosition, shot.StepDirection,
                        settings_.SectorSize, imaging_.SecondSectorLimit, log_.ProfileRecordCount);
    if (ended)
        EndOfSweep();
}

void AutoScan::FollowDrivePosition() {
    // Each block holds the shots taken at one drive position: when the drive reports another
    // position, the shots logged so far were all taken at the previous one. A recording of the
    // run is cut the same way when it is re-processed.
    const int32_t position = scanLink_.DrivePosition();
    if (position == blockPosition_)
        return;
    WriteAzimuthBlock();
    blockPosition_ = position;
    sweepTest_.Start(link_.Shot.StepDirection, link_.Shot.HeadPosition);
}

void AutoScan::WriteAzimuthBlock() {
    const std::span<const ProfileRecordBytes> entries = LoggedRecords(log_);
    if (blockPosition_ >= 0 && entries.size() >= 3 && settings_.AutoAzimuthXYZ == 1 &&
        xyz_.IsOpen())
        WriteXyz(FormatAzimuthBlock(entries, XyzOptionsFrom(settings_), blockPosition_));
    log_.Clear();
}

void AutoScan::EndOfSweep() {
    bool save = true;
    if (settings_.AutoProfileSaveConfirmation == 1)
        save = ui_.AskSaveProfile();
    if (save)
        SaveSweep();
    if (settings_.AutoProfilePromptForScan == 1) {
        const bool vertical = AutoProfileVertical != 0;
        RunAutoProfileDialog(vertical);
    }
    if (autoAzimuthOn_ == 0)
        log_.Clear();
    ui_.SweepDone();
    if (autoAzimuthOn_ != 0 && imaging_.AutoProfileRunning == 1) {
        sweepDone_ += settings_.AutoAzimuthIncAngle;
        if (sweepDone_ > sweepTotal_) {
            WriteAzimuthBlock();
            autoAzimuthOn_ = 0;
            imaging_.AutoProfileRunning = 0;
            previousRunning_ = 0;
            StopWaiting();
            SyncScanFlag();
            ui_.SetVerticalScanMenuEnabled(true);
            ui_.RedrawAzimuthWindow();
            CloseXyz();
            ui_.ShowScanComplete();
        } else {
            AdvanceAzimuth();
        }
    }
}

void AutoScan::SaveSweep() {
    const std::span<const ProfileRecordBytes> entries = LoggedRecords(log_);
    if (settings_.AutoProfileXYZ == 1 && OpenNewXyz()) {
        const XyzOptions options = XyzOptionsFrom(settings_);
        const std::string path = xyz_.Path();
        const bool written =
            WriteXyz(AutoProfileVertical != 0 ? FormatVerticalProfile(entries, options)
                                              : FormatHorizontalProfile(entries, options));
        CloseXyz();
        if (written)
            ui_.ShowFileWritten(path);
    }
    if (settings_.AutoProfileBMP == 1) {
        const std::string folder = folder_.Get();
        const std::string path = NextScanCapturePath(folder, scanLink_.DateText());
        if (path.empty())
            ui_.ShowScanMessage(
                NumbersUsedUpText(folder, DateNamePrefix(scanLink_.DateText()), ".BMP"));
        else if (ui_.CaptureScreen(path))
            ui_.ShowFileWritten(path);
        else
            ui_.ShowScanMessage("Cannot save the screen capture " + path);
    }
}

bool AutoScan::OpenNewXyz() {
    const std::string folder = folder_.Get();
    const std::string path = NextXyzFilePath(folder, scanLink_.DateText());
    if (path.empty()) {
        ui_.ShowScanMessage(
            NumbersUsedUpText(folder, DateNamePrefix(scanLink_.DateText()), ".XYZ"));
        return false;
    }
    if (xyz_.Open(path))
        return true;
    // The scan goes on, but the operator must know this sweep is not being kept.
    ui_.ShowScanMessage("Cannot create " + path);
    return false;
}

bool AutoScan::WriteXyz(const std::string& text) {
    const std::string path = xyz_.Path();
    if (xyz_.Write(text))
        return true;
    ui_.ShowScanMessage("Cannot write " + path);
    return false;
}

void AutoScan::AdvanceAzimuth() {
    int32_t angle;
    if (firstStep_) {
        firstStep_ = false;
        angle = settings_.AutoAzimuthStartAngle;
    } else {
        angle = settings_.AzimuthAngle + settings_.AutoAzimuthIncAngle;
    }
    if (angle >= 1200)
        angle -= 1200;
    settings_.AzimuthAngle = angle;
    scanLink_.RequestAzimuthMove();
    ui_.RedrawAzimuthWindow();
}

}  // namespace tarvisk
