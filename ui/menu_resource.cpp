#include "ui/menu_resource.h"

namespace tarvisk {

namespace {

MenuItemSpec Item(int32_t id, const char* text, bool greyed = false) {
    return {MenuItemSpec::Item, id, text, greyed, {}};
}
MenuItemSpec Separator() {
    return {MenuItemSpec::Separator, 0, {}, false, {}};
}
MenuItemSpec Menu(const char* text, std::vector<MenuItemSpec> items) {
    return {MenuItemSpec::Submenu, 0, text, false, std::move(items)};
}

}  // namespace

std::vector<MenuItemSpec> TarviskMenuBar() {
    return {
        Menu("&File", {Item(IdRecord, "&Record Start..."), Item(IdPlayback, "&Playback..."),
                       Item(IdCopy, "&Copy Start..."), Item(IdSaveScreen, "&Save Screen..."),
                       Separator(), Item(IdAutoFrameCapture, "&Auto Frame Capture Start..."),
                       Separator(), Item(IdExit, "E&xit")}),
        Menu("&Heads", {Item(IdSonarHead, "Enable &Sonar Head"), Separator(),
                        Item(IdAzimuthDrive, "Enable &Azimuth Drive"),
                        Item(IdSimulateAzimuth, "&Simulate Azimuth Drive (no drive connected)"),
                        Item(IdChangeAzimuth, "&Change Azimuth..."), Separator(),
                        Item(IdOrientationModule, "Enable &Orientation Module"), Separator(),
                        Item(IdHeadScan, "Scan For Connected Heads")}),
        Menu("&Color Table",
             {Item(80, "Norm &Hi"), Item(81, "Norm &Lo"), Item(82, "Gr&een"), Item(83, "&Grey"),
              Item(84, "&Rev Grey"), Item(85, "&Brown/Yellow"), Item(86, "Green/Bl&ue"),
              Item(87, "Green/&Yellow"), Item(88, "Blu&e")}),
        Menu("&Options",
             {Menu("&Units", {Item(IdMeters, "&Meters"), Item(IdFeet, "&Feet")}),
              Menu("&Xdcr Position", {Item(IdXdcrUp, "&Up"), Item(IdXdcrDown, "&Down")}),
              Separator(), Item(IdSoundVelocity, "&Sound Velocity..."),
              Item(IdRotateImage, "&Rotate Sonar Image..."), Separator(),
              Item(IdUserText, "User &Text..."), Separator(),
              Item(IdCalibrate, "&Calibrate Sonar Head")}),
        Item(IdComPorts, "Com Po&rts"),
        Item(IdSettings, "&Settings"),
        Menu("&Misc",
             {Item(IdPixelZoom, "Pixel &Zoom (x2)"), Item(IdClearScreen, "&Clear Screen Now"),
              Separator(), Item(IdDiagnostics, "&Diagnostics"), Separator(),
              Item(IdOnWhenMinimized, "&Sonar On When Minimized")}),
        Menu("&Profile", {Menu("Profile &Mode",
                               {Item(950, "&Off"), Item(951, "&Points Only"), Item(952, "&Low Mix"),
                                Item(953, "&Med Mix"), Item(954, "&High Mix")}),
                          Separator(), Item(IdProfileGrid, "Profile &Grid"),
                          Item(IdZeroDown, "&Zero Down", true), Separator(),
                          Item(IdProfileSetup, "&Profile Setup..."),
                          Menu("&Auto-Profile",
                               {Item(IdAutoProfileVertical, "&Vertical Scan (Chainage) ..."),
                                Item(IdAutoProfileHorizontal, "&Horizontal Scan (Borehole) ...")}),
                          Item(IdAutoAzimuth, "Auto-Azimu&th...")}),
        Menu("&Grid", {Item(IdGrid, "&Grid On/Off")}),
        Item(IdAbout, "&About"),
    };
}

}  // namespace tarvisk
