#include "ui/menu_commands.h"

#include <cstdio>

#include "files/file_commands.h"
#include "head/azimuth_drive.h"
#include "head/head_scan.h"
#include "ui/menu_resource.h"
#include "ui/menu_state.h"

namespace tarvisk {

MenuCommands::MenuCommands(const WindowContext& window)
    : system_(window.system),
      settings_(window.system.settings),
      link_(window.link),
      menu_(window.menu),
      panel_(window.panel),
      state_(window.state),
      drawing_(window.drawing),
      shell_(window.shell) {}

void MenuCommands::OnCommand(int32_t id) {
    const bool live = settings_.RunMode == 0;
    FileCommands* files = state_.fileCommands;
    switch (id) {
        case IdPlayback:
            if (files)
                files->OpenPlayback();
            break;
        case IdRecord:
            if (files)
                files->RecordStartStop();
            settings_.ParametersChanged = 1;
            break;
        case IdCopy:
            if (files)
                files->CopyStartStop();
            break;
        case IdExit:
            shell_.Close();
            break;
        case IdAbout:
            if (!state_.features.Run(Feature::About))
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
                panel_.DrawUserText();
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
                panel_.DrawFrequency();
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
                drawing_.RedrawImage();
                panel_.DrawSectorDial();
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

bool MenuCommands::RunFeature(Feature feature) {
    if (state_.features.Run(feature))
        return true;
    const std::string text = FeatureUnavailableText(feature);
    if (state_.scripted)
        std::fprintf(stderr, "%s\n", text.c_str());
    else
        shell_.Services().ShowMessage(FeatureName(feature), text, MessageKind::Information);
    return false;
}

void MenuCommands::CmdSoundVelocity() {
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
    panel_.DrawGridLabel();
    drawing_.GridRedraw();
}

void MenuCommands::CmdAbout() {
    if (!state_.scripted)
        shell_.ShowAbout(AboutTitle, AboutText);
    if (settings_.RunMode == 0)
        settings_.ParametersChanged = 1;
}

void MenuCommands::CmdColourTable(int32_t id) {
    menu_.Check(IdColourFirst + settings_.Colors, false);
    settings_.Colors = id - IdColourFirst;
    menu_.Check(id, true);
    drawing_.ApplyColourTable();
}

void MenuCommands::CmdXdcr(int32_t id) {
    const bool up = id == IdXdcrUp;
    menu_.Check(up ? IdXdcrDown : IdXdcrUp, false);
    menu_.Check(id, true);
    settings_.Xdcr = up ? XdcrUp : XdcrDown;
    if (settings_.RunMode == 0)
        settings_.ParametersChanged = 1;
    panel_.DrawTransducerIcon();
    drawing_.RedrawImage();
}

void MenuCommands::CmdClearScreen() {
    drawing_.ClearImageAndHistory();
    drawing_.RedrawImage();
}

void MenuCommands::CmdGrid() {
    settings_.Grid = settings_.Grid ? 0 : 1;
    menu_.Check(IdGrid, settings_.Grid != 0);
    panel_.DrawGridLabel();
    drawing_.GridRedraw();
}

void MenuCommands::CmdSaveScreen() {
    const std::string path = SaveScreenCommand(shell_.Grabber(), shell_.Services());
    if (!path.empty())
        lastSavedPath_ = path;
}

void MenuCommands::CmdAutoFrameCapture() {
    if (settings_.RunMode != 1)
        return;
    if (state_.AutoFrameCapture == 0) {
        state_.AutoFrameCapture = 1;
        menu_.SetText(IdAutoFrameCapture, "&Auto Frame Capture Stop...");
        if (!state_.scripted)
            shell_.Services().ShowMessage("Auto Frame Capture", "Capture Started...",
                                          MessageKind::Plain);
    } else {
        state_.AutoFrameCapture = 0;
        menu_.SetText(IdAutoFrameCapture, "&Auto Frame Capture Start...");
        if (!state_.scripted)
            shell_.Services().ShowMessage("Auto Frame Capture", "Capture Stopped!",
                                          MessageKind::Plain);
    }
}

void MenuCommands::CmdDiagnostics() {
    settings_.DiagnosticsShown = 1;
    shell_.Services().ShowChild(ChildWindowId::Diagnostics);
}

void MenuCommands::CmdOnWhenMinimized() {
    settings_.OnWhenMinimized = settings_.OnWhenMinimized ? 0 : 1;
    menu_.Check(IdOnWhenMinimized, settings_.OnWhenMinimized == 1);
}

void MenuCommands::CmdHeadScan() {
    HeadLink& link = system_.link;
    if (link.HeadScanActive) {
        StopHeadScan(link, settings_);
        menu_.Check(IdHeadScan, false);
        shell_.Services().HideChild(ChildWindowId::HeadScan);
    } else {
        menu_.Check(IdHeadScan, true);
        settings_.HeadScanShown = 1;
        shell_.Services().ShowChild(ChildWindowId::HeadScan);
        StartHeadScan(link, system_.headScan);
        shell_.ShowLinkStatus(WhiteColour, PanelBrightRed, PanelLightGrey, 0);
    }
}

void MenuCommands::CmdPixelZoom() {
    settings_.PixelZoom = settings_.PixelZoom ? 0 : 1;
    menu_.Check(IdPixelZoom, settings_.PixelZoom == 1);
    state_.input.ZoomFrozen = 0;
    panel_.DrawMagnifierFrame();
    panel_.RefreshMagnifier();
}

void MenuCommands::CmdUnits(int32_t id) {
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
        panel_.DrawGridLabel();
        drawing_.GridRedraw();
    }
    panel_.DrawRangeReadout();
}

void MenuCommands::CmdProfileMode(int32_t id) {
    menu_.Check(IdProfileModeFirst + settings_.ProfileRequest, false);
    settings_.ProfileRequest = id - IdProfileModeFirst;
    if (settings_.RunMode == 1)
        settings_.Profile = settings_.ProfileRequest.Get();
    menu_.Check(id, true);
    if (id == IdProfileModeFirst + static_cast<int32_t>(PointsOnly)) {
        drawing_.RedrawImage();
        settings_.FormatCheckRequest = 1;
    }
}

void MenuCommands::CmdCalibrate() {
    settings_.CalibrateRequest = 1;
}

void MenuCommands::CmdAutoProfile(bool vertical) {
    if (settings_.RunMode != 0 || system_.imaging.AutoProfileRunning)
        return;
    RunFeature(vertical ? Feature::AutoProfileVertical : Feature::AutoProfileHorizontal);
}

void MenuCommands::CmdAutoAzimuth() {
    if (settings_.RunMode != 0)
        return;
    RunFeature(Feature::AutoAzimuth);
}

void MenuCommands::ToggleProfileGrid() {
    settings_.ProfileGrid = settings_.ProfileGrid == 0 ? 1 : 0;
    ShowProfileGridMenuState(menu_, settings_);
    if (settings_.RunMode == 1) {
        menu_.Enable(IdXdcrUp, false);
        menu_.Enable(IdXdcrDown, false);
    }
    panel_.ForceRotationMarker();
    drawing_.RedrawImage();
    panel_.DrawTransducerIcon();
    panel_.DrawSectorDial();
}

void MenuCommands::CmdZeroDown() {
    settings_.ZeroDown = settings_.ZeroDown ? 0 : 1;
    menu_.Check(IdZeroDown, settings_.ZeroDown == 0);
    panel_.ForceRotationMarker();
    drawing_.ClearImageAndHistory();
    drawing_.RedrawImage();
    panel_.DrawTransducerIcon();
    panel_.DrawSectorDial();
}

void MenuCommands::CmdAzimuthDrive() {
    const bool live = settings_.RunMode == 0;
    WindowServices& services = shell_.Services();
    if (settings_.AzimuthDriveEnable == 0) {
        settings_.AzimuthDriveEnable = 1;
        ShowAzimuthDriveMenuState(menu_, true, live);
        if (!services.IsChildShown(ChildWindowId::Azimuth)) {
            settings_.AzimuthWindow = 1;
            services.ShowChild(ChildWindowId::Azimuth);
        }
        if (live) {
            ResetAzimuthDriveState(system_.link);
            link_.RequestAzimuthDetection();
        }
    } else {
        settings_.AzimuthDriveEnable = 0;
        StopAzimuthPolling(system_.link);
        system_.link.AzimuthDetected = 0;
        ShowAzimuthDriveMenuState(menu_, false, live);
        services.HideChild(ChildWindowId::Azimuth);
        panel_.ShowAzimuthNotFound(false);
        drawing_.RedrawPlaybackStrip();
    }
}

void MenuCommands::CmdChangeAzimuth() {
    // Only the window: its own button opens the dialog.
    if (settings_.AzimuthDriveEnable && !shell_.Services().IsChildShown(ChildWindowId::Azimuth)) {
        settings_.AzimuthWindow = 1;
        shell_.Services().ShowChild(ChildWindowId::Azimuth);
    }
}

void MenuCommands::CmdSimulateAzimuth() {
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

void MenuCommands::CmdOrientationModule() {
    if (settings_.EnableOrientationModule == 0) {
        settings_.EnableOrientationModule = 1;
        menu_.SetText(IdOrientationModule, "Disable &Orientation Module");
        if (!shell_.Services().IsChildShown(ChildWindowId::Orientation))
            shell_.Services().ShowChild(ChildWindowId::Orientation);
    } else {
        settings_.EnableOrientationModule = 0;
        menu_.SetText(IdOrientationModule, "Enable &Orientation Module");
        shell_.Services().HideChild(ChildWindowId::Orientation);
    }
}

}  // namespace tarvisk
