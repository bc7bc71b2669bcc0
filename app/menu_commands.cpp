// The main window's menu commands, one function per command identifier.

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/main_window.h"
#include "files/file_commands.h"
#include "head/azimuth_drive.h"
#include "head/head_scan.h"

namespace tarvisk {

void MainWindow::OnCommand(int32_t id) {
    const bool live = settings_.RunMode == 0;
    switch (id) {
        case IdPlayback:
            if (fileCommands)
                fileCommands->OpenPlayback();
            break;
        case IdRecord:
            if (fileCommands)
                fileCommands->RecordStartStop();
            settings_.ParametersChanged = 1;
            break;
        case IdCopy:
            if (fileCommands)
                fileCommands->CopyStartStop();
            break;
        case IdExit:
            Close();
            break;
        case IdAbout:
            if (!features.Run(Feature::About))
                CmdAbout();
            break;
        case IdComPorts:
            if (live)
                RunFeature(Feature::ComPorts);
            break;
        case IdSoundVelocity:
            CmdSoundVelocity();
            break;
        case IdUserText:
            if (RunFeature(Feature::UserText))
                panel_->DrawUserText();
            break;
        case IdProfileSetup:
            RunFeature(Feature::ProfileSetup);
            break;
        case IdXdcrUp:
        case IdXdcrDown:
            CmdXdcr(id);
            break;
        case IdClearScreen:
            CmdClearScreen();
            break;
        case IdGrid:
            CmdGrid();
            break;
        case IdSaveScreen:
            CmdSaveScreen();
            break;
        case IdAutoFrameCapture:
            CmdAutoFrameCapture();
            break;
        case IdSettings:
            // The live dialog may change the frequency; the head hears of it at once.
            if (RunFeature(Feature::Settings) && live) {
                panel_->DrawFrequency();
                settings_.ParametersChanged = 1;
            }
            break;
        case IdDiagnostics:
            CmdDiagnostics();
            break;
        case IdOnWhenMinimized:
            CmdOnWhenMinimized();
            break;
        case IdHeadScan:
            CmdHeadScan();
            break;
        case IdPixelZoom:
            CmdPixelZoom();
            break;
        case IdMeters:
        case IdFeet:
            CmdUnits(id);
            break;
        case IdCalibrate:
            CmdCalibrate();
            break;
        case IdAutoProfileVertical:
            CmdAutoProfile(true);
            break;
        case IdAutoProfileHorizontal:
            CmdAutoProfile(false);
            break;
        case IdAutoAzimuth:
            CmdAutoAzimuth();
            break;
        case IdProfileGrid:
            ToggleProfileGrid();
            break;
        case IdZeroDown:
            CmdZeroDown();
            break;
        case IdAzimuthDrive:
            CmdAzimuthDrive();
            break;
        case IdChangeAzimuth:
            CmdChangeAzimuth();
            break;
        case IdSimulateAzimuth:
            CmdSimulateAzimuth();
            break;
        case IdOrientationModule:
            CmdOrientationModule();
            break;
        case IdRotateImage:
            if (RunFeature(Feature::RotateImage)) {
                RedrawImage();
                panel_->DrawSectorDial();
            }
            break;
        default:
            if (id >= IdColourFirst && id <= IdColourLast)
                CmdColourTable(id);
            if (id >= IdProfileModeFirst && id <= IdProfileModeLast)
                CmdProfileMode(id);
            break;
    }
}

bool MainWindow::RunFeature(Feature feature) {
    if (features.Run(feature))
        return true;
    const std::string text = FeatureUnavailableText(feature);
    if (scripted)
        std::fprintf(stderr, "%s\n", text.c_str());
    else
        host_->ShowMessage(FeatureName(feature), text, MessageKind::Information);
    return false;
}

void MainWindow::CmdSoundVelocity() {
    const float before = settings_.SoundVelocityMeters;
    if (!RunFeature(Feature::SoundVelocity))
        return;
    const float after = settings_.SoundVelocityMeters;
    if (after == before || !settings_.Grid)
        return;
    // The grid's spacing follows the velocity: erase the grid drawn with the old one.
    system_.image.DrawBusy = 1;
    settings_.SoundVelocityMeters = before;
    settings_.Grid = 0;
    system_.drawing.DrawGrid();
    settings_.Grid = 1;
    settings_.SoundVelocityMeters = after;
    system_.image.DrawBusy = 0;
    panel_->DrawGridLabel();
    GridRedraw();
}

void MainWindow::CmdAbout() {
    if (!scripted) {
        QMessageBox::about(host_.get(), QStringLiteral("About Tarvisk"),
                           QStringLiteral("Tarvisk Digital Sonar\nControl, display and logging "
                                          "for the K260 sonar head."));
    }
    if (settings_.RunMode == 0)
        settings_.ParametersChanged = 1;
}

void MainWindow::CmdColourTable(int32_t id) {
    menu_.Check(IdColourFirst + settings_.Colors, false);
    settings_.Colors = id - IdColourFirst;
    menu_.Check(id, true);
    ApplyColourTable();
}

void MainWindow::CmdXdcr(int32_t id) {
    const bool up = id == IdXdcrUp;
    menu_.Check(up ? IdXdcrDown : IdXdcrUp, false);
    menu_.Check(id, true);
    settings_.Xdcr = up ? XdcrUp : XdcrDown;
    if (settings_.RunMode == 0)
        settings_.ParametersChanged = 1;
    panel_->DrawTransducerIcon();
    RedrawImage();
}

void MainWindow::CmdClearScreen() {
    ClearImageAndHistory();
    RedrawImage();
}

void MainWindow::CmdGrid() {
    settings_.Grid = settings_.Grid ? 0 : 1;
    menu_.Check(IdGrid, settings_.Grid != 0);
    panel_->DrawGridLabel();
    GridRedraw();
}

void MainWindow::CmdSaveScreen() {
    const std::string path = SaveScreenCommand(*this, *host_);
    if (!path.empty())
        lastSavedPath_ = path;
}

void MainWindow::CmdAutoFrameCapture() {
    if (settings_.RunMode != 1)
        return;
    if (AutoFrameCapture == 0) {
        AutoFrameCapture = 1;
        menu_.SetText(IdAutoFrameCapture, "&Auto Frame Capture Stop...");
        if (!scripted)
            host_->ShowMessage("Auto Frame Capture", "Capture Started...", MessageKind::Plain);
    } else {
        AutoFrameCapture = 0;
        menu_.SetText(IdAutoFrameCapture, "&Auto Frame Capture Start...");
        if (!scripted)
            host_->ShowMessage("Auto Frame Capture", "Capture Stopped!", MessageKind::Plain);
    }
}

void MainWindow::CmdDiagnostics() {
    settings_.DiagnosticsShown = 1;
    host_->ShowChild(ChildWindowId::Diagnostics);
}

void MainWindow::CmdOnWhenMinimized() {
    settings_.OnWhenMinimized = settings_.OnWhenMinimized ? 0 : 1;
    menu_.Check(IdOnWhenMinimized, settings_.OnWhenMinimized == 1);
}

void MainWindow::CmdHeadScan() {
    HeadLink& link = system_.link;
    if (link.HeadScanActive) {
        StopHeadScan(link, settings_);
        menu_.Check(IdHeadScan, false);
        host_->HideChild(ChildWindowId::HeadScan);
    } else {
        menu_.Check(IdHeadScan, true);
        settings_.HeadScanShown = 1;
        host_->ShowChild(ChildWindowId::HeadScan);
        StartHeadScan(link, system_.headScan);
        ShowLinkStatus(WhiteColour, PanelBrightRed, PanelLightGrey, 0);
    }
}

void MainWindow::CmdPixelZoom() {
    settings_.PixelZoom = settings_.PixelZoom ? 0 : 1;
    menu_.Check(IdPixelZoom, settings_.PixelZoom == 1);
    input.ZoomFrozen = 0;
    panel_->DrawMagnifierFrame();
    panel_->RefreshMagnifier();
}

void MainWindow::CmdUnits(int32_t id) {
    menu_.Check(IdMeters + settings_.Units, false);
    if (settings_.Grid) {
        // Erase the grid drawn for the old units before the spacing changes.
        system_.image.DrawBusy = 1;
        settings_.Grid = 0;
        system_.drawing.DrawGrid();
        settings_.Grid = 1;
        system_.image.DrawBusy = 0;
    }
    settings_.Units = id - IdMeters;
    menu_.Check(id, true);
    if (settings_.Grid) {
        panel_->DrawGridLabel();
        GridRedraw();
    }
    panel_->DrawRangeReadout();
}

void MainWindow::CmdProfileMode(int32_t id) {
    menu_.Check(IdProfileModeFirst + settings_.ProfileRequest, false);
    settings_.ProfileRequest = id - IdProfileModeFirst;
    if (settings_.RunMode == 1)
        settings_.Profile = settings_.ProfileRequest.Get();
    menu_.Check(id, true);
    if (id == IdProfileModeFirst + static_cast<int32_t>(PointsOnly)) {
        RedrawImage();
        settings_.FormatCheckRequest = 1;
    }
}

void MainWindow::CmdCalibrate() {
    settings_.CalibrateRequest = 1;
}

void MainWindow::CmdAutoProfile(bool vertical) {
    if (settings_.RunMode != 0 || system_.imaging.AutoProfileRunning)
        return;
    RunFeature(vertical ? Feature::AutoProfileVertical : Feature::AutoProfileHorizontal);
}

void MainWindow::CmdAutoAzimuth() {
    if (settings_.RunMode != 0)
        return;
    RunFeature(Feature::AutoAzimuth);
}

void MainWindow::ToggleProfileGrid() {
    const bool on = settings_.ProfileGrid == 0;
    settings_.ProfileGrid = on ? 1 : 0;
    menu_.Check(IdProfileGrid, on);
    menu_.Enable(IdZeroDown, on);
    menu_.SetText(IdXdcrUp, on ? "&Aft" : "&Up");
    menu_.SetText(IdXdcrDown, on ? "&Fwd" : "&Down");
    menu_.Check(IdXdcrUp, settings_.Xdcr == XdcrUp);
    menu_.Check(IdXdcrDown, settings_.Xdcr != XdcrUp);
    if (settings_.RunMode == 1) {
        menu_.Enable(IdXdcrUp, false);
        menu_.Enable(IdXdcrDown, false);
    }
    panel_->ForceRotationMarker();
    RedrawImage();
    panel_->DrawTransducerIcon();
    panel_->DrawSectorDial();
}

void MainWindow::CmdZeroDown() {
    settings_.ZeroDown = settings_.ZeroDown ? 0 : 1;
    menu_.Check(IdZeroDown, settings_.ZeroDown == 0);
    panel_->ForceRotationMarker();
    ClearImageAndHistory();
    RedrawImage();
    panel_->DrawTransducerIcon();
    panel_->DrawSectorDial();
}

void MainWindow::CmdAzimuthDrive() {
    const bool live = settings_.RunMode == 0;
    if (settings_.AzimuthDriveEnable == 0) {
        settings_.AzimuthDriveEnable = 1;
        menu_.SetText(IdAzimuthDrive, "Disable &Azimuth Drive");
        for (int32_t id : {IdChangeAzimuth, IdSimulateAzimuth, IdAutoAzimuth})
            menu_.Enable(id, live);
        if (!host_->IsChildShown(ChildWindowId::Azimuth)) {
            settings_.AzimuthWindow = 1;
            host_->ShowChild(ChildWindowId::Azimuth);
        }
        if (live) {
            ResetAzimuthDriveState(system_.link);
            link_.RequestAzimuthDetection();
        }
    } else {
        settings_.AzimuthDriveEnable = 0;
        StopAzimuthPolling(system_.link);
        system_.link.AzimuthDetected = 0;
        menu_.SetText(IdAzimuthDrive, "Enable &Azimuth Drive");
        for (int32_t id : {IdChangeAzimuth, IdSimulateAzimuth, IdAutoAzimuth})
            menu_.Enable(id, false);
        host_->HideChild(ChildWindowId::Azimuth);
        panel_->ShowAzimuthNotFound(false);
        RedrawPlaybackStrip();
    }
}

void MainWindow::CmdChangeAzimuth() {
    // Only the window: its own button opens the dialog.
    if (settings_.AzimuthDriveEnable && !host_->IsChildShown(ChildWindowId::Azimuth)) {
        settings_.AzimuthWindow = 1;
        host_->ShowChild(ChildWindowId::Azimuth);
    }
}

void MainWindow::CmdSimulateAzimuth() {
    if (!settings_.AzimuthDriveEnable)
        return;
    settings_.SimulateAzimuthDrive = settings_.SimulateAzimuthDrive ? 0 : 1;
    menu_.Check(IdSimulateAzimuth, settings_.SimulateAzimuthDrive == 1);
    if (settings_.SimulateAzimuthDrive == 0) {
        StopAzimuthPolling(system_.link);
    } else if (settings_.RunMode == 0) {
        ResetAzimuthDriveState(system_.link);
        link_.RequestAzimuthDetection();
    }
}

void MainWindow::CmdOrientationModule() {
    if (settings_.EnableOrientationModule == 0) {
        settings_.EnableOrientationModule = 1;
        menu_.SetText(IdOrientationModule, "Disable &Orientation Module");
        if (!host_->IsChildShown(ChildWindowId::Orientation))
            host_->ShowChild(ChildWindowId::Orientation);
    } else {
        settings_.EnableOrientationModule = 0;
        menu_.SetText(IdOrientationModule, "Enable &Orientation Module");
        host_->HideChild(ChildWindowId::Orientation);
    }
}

}  // namespace tarvisk
