#include "ui/menu_state.h"

#include "ui/menu_resource.h"

namespace tarvisk {

void ShowProfileGridMenuState(MenuModel& menu, const SonarSettings& s) {
    const bool profileGrid = s.ProfileGrid == 1;
    menu.Check(IdProfileGrid, profileGrid);
    menu.Enable(IdZeroDown, profileGrid);
    menu.SetText(IdXdcrUp, profileGrid ? "&Aft" : "&Up");
    menu.SetText(IdXdcrDown, profileGrid ? "&Fwd" : "&Down");
    menu.Check(IdXdcrUp, s.Xdcr == XdcrUp);
    menu.Check(IdXdcrDown, s.Xdcr != XdcrUp);
}

void ShowAzimuthDriveMenuState(MenuModel& menu, bool driveEnabled, bool live) {
    menu.SetText(IdAzimuthDrive, driveEnabled ? "Disable &Azimuth Drive" : "Enable &Azimuth Drive");
    for (int32_t id : {IdChangeAzimuth, IdSimulateAzimuth, IdAutoAzimuth})
        menu.Enable(id, driveEnabled && live);
}

void ApplyMenuStateFromSettings(MenuModel& menu, const SonarSettings& s) {
    for (int32_t id = IdColourFirst; id <= IdColourLast; ++id)
        menu.Check(id, id == IdColourFirst + s.Colors);
    menu.Check(IdGrid, s.Grid != 0);
    menu.Check(IdMeters, s.Units == Metres);
    menu.Check(IdFeet, s.Units == Feet);
    menu.Check(IdPixelZoom, s.PixelZoom == 1);
    ShowProfileGridMenuState(menu, s);
    // The check mark shows the inverse of ZeroDown.
    menu.Check(IdZeroDown, s.ZeroDown == 0);
    menu.Check(IdOnWhenMinimized, s.OnWhenMinimized == 1);
    for (int32_t id = IdProfileModeFirst; id <= IdProfileModeLast; ++id)
        menu.Check(id, id == IdProfileModeFirst + s.Profile);
    menu.SetText(IdSonarHead, "Disable &Sonar Head");
    menu.Enable(IdSonarHead, false);
    ShowAzimuthDriveMenuState(menu, s.AzimuthDriveEnable != 0, s.RunMode == 0);
    menu.Check(IdSimulateAzimuth, s.SimulateAzimuthDrive == 1);
    menu.SetText(IdOrientationModule, s.EnableOrientationModule ? "Disable &Orientation Module"
                                                                : "Enable &Orientation Module");
}

void SetPlaybackMenuState(MenuModel& menu) {
    menu.Enable(IdPlayback, true);
    menu.Enable(IdCopy, true);
    menu.Enable(IdRecord, false);
    // Both automated profile scans need the head; a greyed item says so better than a
    // command that does nothing.
    for (int32_t id : {IdXdcrUp, IdXdcrDown, IdComPorts, IdOnWhenMinimized, IdHeadScan, IdCalibrate,
                       IdAutoProfileVertical, IdAutoProfileHorizontal, IdChangeAzimuth,
                       IdSimulateAzimuth, IdAutoAzimuth})
        menu.Enable(id, false);
    menu.Enable(IdAutoFrameCapture, true);
}

void SetLiveMenuState(MenuModel& menu, const SonarSettings& s) {
    menu.Enable(IdPlayback, false);
    menu.Enable(IdCopy, false);
    menu.Enable(IdRecord, true);
    for (int32_t id : {IdOnWhenMinimized, IdHeadScan, IdCalibrate, IdAutoProfileVertical,
                       IdAutoProfileHorizontal})
        menu.Enable(id, true);
    // A held head keeps its transducer position.
    menu.Enable(IdXdcrUp, s.Hold == 0);
    menu.Enable(IdXdcrDown, s.Hold == 0);
    // The drive's items follow the drive: enabled items that do nothing would mislead.
    const bool drive = s.AzimuthDriveEnable != 0;
    for (int32_t id : {IdChangeAzimuth, IdSimulateAzimuth, IdAutoAzimuth})
        menu.Enable(id, drive);
    menu.Enable(IdAutoFrameCapture, false);
}

}  // namespace tarvisk
