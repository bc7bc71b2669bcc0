#pragma once
// The automated scans: vertical and horizontal auto-profile sweeps and auto-azimuth runs.
// The menu commands only raise requests; the dialogs, the scan start, the end-of-sweep test,
// saving and the azimuth advance run on the acquisition thread between shots, so no shot is
// processed while a dialog is open.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "config/scan_azimuth_dialog.h"
#include "config/scan_profile_dialog.h"
#include "files/auto_scan_sweep.h"
#include "files/xyz_export.h"
#include "files/xyz_file_name.h"
#include "head/head_link.h"
#include "imaging/imaging_state.h"
#include "imaging/profile_record_table.h"
#include "imaging/sonar_drawing.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

// What the scans ask of the window. Called on the acquisition thread; each call returns once
// the window has done it (a dialog has closed).
class AutoScanUi {
  public:
    virtual ~AutoScanUi() = default;
    // "SNAPSHOT" / "SNAPSHOT2"; the view applies Defaults and Ok through the model.
    virtual void RunProfileDialog(AutoProfileDialogModel& model, SonarSettings& settings,
                                  AutoProfileRunState& run) {
        (void)model, (void)settings, (void)run;
    }
    // "AUTOAZIMUTH"; closeXyz is run when the XYZ box is toggled.
    virtual void RunAzimuthDialog(AutoAzimuthDialogModel& model, SonarSettings& settings,
                                  AutoAzimuthRunFlags& run, const std::function<void()>& closeXyz) {
        (void)model, (void)settings, (void)run, (void)closeXyz;
    }
    // "SAVEPROFILE": true for "Yes".
    virtual bool AskSaveProfile() { return true; }
    virtual void ShowScanComplete() {}
    // A line in the message strip under the image (a file that could not be written).
    virtual void ShowScanMessage(std::string_view text) { (void)text; }
    // The name of a file the scan has just written (or opened, for the azimuth run's file).
    virtual void ShowFileWritten(std::string_view path) { (void)path; }
    // A screen capture under this name, with the hourglass showing; false when not written.
    virtual bool CaptureScreen(const std::string& path) {
        (void)path;
        return false;
    }
    virtual void SetVerticalScanMenuEnabled(bool enabled) { (void)enabled; }
    virtual void RedrawAzimuthWindow() {}
    // A scan starts: the shot counters restart and the panel shows that the head is being
    // brought to the sector start.
    virtual void ScanStarted() {}
    // The head has reached the start of the sector: the sweep is being collected.
    virtual void TransducerInPosition() {}
    // A sweep was handled: the shot counters restart.
    virtual void SweepDone() {}
};

// What the scans ask of the head line.
class ScanLink {
  public:
    virtual ~ScanLink() = default;
    // The last command with the train code replaced, sector 0 and step 1.
    virtual void SendScanStep(uint8_t trainCode) = 0;
    // The azimuth drive is to go to AzimuthAngle.
    virtual void RequestAzimuthMove() = 0;
    // The position the drive last reported (as recorded with each shot); -1 when it has not
    // answered.
    virtual int32_t DrivePosition() = 0;
    // The displayed date ("DD-MMM-YYYY"), for the names of the files a sweep writes.
    virtual std::string DateText() = 0;
};

class AutoScan {
  public:
    AutoScan(SonarSettings& settings, HeadLink& link, ImagingState& imaging,
             ProfileRecordTable& log, SonarDrawing& drawing, ScanLink& scanLink, AutoScanUi& ui);

    // Where the generated files go; empty is the current folder. Any thread.
    void SetOutputFolder(std::string folder) { folder_.Set(std::move(folder)); }
    ProductFolder& OutputFolder() { return folder_; }

    // Acquisition thread: the requested dialogs.
    void RunAutoProfileDialog(bool vertical);
    void RunAutoAzimuthDialog();
    // Acquisition thread, after every valid reply while scanning.
    void AfterValidShot();

    bool Running() const { return imaging_.AutoProfileRunning != 0; }
    bool AutoAzimuthOn() const { return autoAzimuthOn_ != 0; }
    // The head is being brought to the start of the sector.
    bool PositioningTransducer() const {
        return imaging_.AutoProfileRunning != 0 && imaging_.WaitingForStart != 0;
    }
    bool XyzOpen() const { return xyz_.IsOpen(); }
    // Window close and the XYZ box of the azimuth dialog.
    void CloseXyz() { xyz_.Close(); }
    int32_t SweepTotal() const { return sweepTotal_; }

    SharedInt AutoProfileVertical{1};

  private:
    void StartScan();
    void StopWaiting();
    void EndOfSweep();
    void SaveSweep();
    void AdvanceAzimuth();
    void FollowDrivePosition();
    void WriteAzimuthBlock();
    bool OpenNewXyz();
    bool WriteXyz(const std::string& text);
    void SyncScanFlag();

    SonarSettings& settings_;
    HeadLink& link_;
    ImagingState& imaging_;
    ProfileRecordTable& log_;
    SonarDrawing& drawing_;
    ScanLink& scanLink_;
    AutoScanUi& ui_;
    ProductFolder folder_;

    AutoProfileRunState profileRun_;
    SharedInt autoAzimuthOn_{0};
    AutoAzimuthRunFlags azimuthRun_;
    int32_t previousRunning_ = 0;
    SweepEndTest sweepTest_;
    int32_t sweepTotal_ = 0;
    int32_t sweepDone_ = 0;
    bool firstStep_ = true;
    int32_t blockPosition_ = -1;
    bool waiting_ = false;
    XyzFile xyz_;
};

// Steps from the start to the stop position: stop - start, plus 1200 when stop is below
// start; a whole turn when they are equal.
int32_t AzimuthSweepTotal(int32_t startSteps, int32_t stopSteps);

}  // namespace tarvisk
