#pragma once
// What each menu command does, by its identifier: settings and menu state kept together, the
// picture and panel redrawn, the dialogs and scans run through the feature dispatcher, the
// file commands handed to the files layer, and boxes and child windows asked of the shell.

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/window_context.h"

namespace tarvisk {

// The about box's title and text.
inline constexpr std::string_view AboutTitle = "About Tarvisk";
inline constexpr std::string_view AboutText =
    "Tarvisk Digital Sonar\nControl, display and logging for the K260 sonar head.";

class MenuCommands {
  public:
    explicit MenuCommands(const WindowContext& window);

    void OnCommand(int32_t id);
    // "Profile Grid", also the panel's grid button.
    void ToggleProfileGrid();
    // The file "Save Screen" last wrote.
    const std::string& LastSaveScreenPath() const { return lastSavedPath_; }

  private:
    // Runs a registered feature, or says that it is not available yet.
    bool RunFeature(Feature feature);

    void CmdColourTable(int32_t id);
    void CmdXdcr(int32_t id);
    void CmdClearScreen();
    void CmdGrid();
    void CmdSaveScreen();
    void CmdAutoFrameCapture();
    void CmdDiagnostics();
    void CmdOnWhenMinimized();
    void CmdHeadScan();
    void CmdPixelZoom();
    void CmdUnits(int32_t id);
    void CmdProfileMode(int32_t id);
    void CmdCalibrate();
    void CmdAutoProfile(bool vertical);
    void CmdAutoAzimuth();
    void CmdZeroDown();
    void CmdAzimuthDrive();
    void CmdChangeAzimuth();
    void CmdSimulateAzimuth();
    void CmdOrientationModule();
    void CmdAbout();
    void CmdSoundVelocity();

    SonarSystem& system_;
    SonarSettings& settings_;
    LiveLink& link_;
    MenuModel& menu_;
    StatusPanel& panel_;
    WindowState& state_;
    WindowDrawing& drawing_;
    WindowShell& shell_;
    std::string lastSavedPath_;
};

}  // namespace tarvisk
