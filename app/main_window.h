#pragma once
// The main window as the command layer sees it: the host window, its framebuffer, menu and
// panel, the mode switch, minimising and closing. It also implements what the shot pipeline
// asks of the window (the picture, the panel, the magnifier) and what a capture needs.

#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "display/panel_layout.h"
#include "display/status_panel.h"
#include "display/window_changes.h"
#include "files/bmp_capture.h"
#include "head/link_status.h"
#include "imaging/shot_hooks.h"
#include "platform/menu_model.h"
#include "platform/qt/framebuffer.h"
#include "platform/qt/host_window.h"
#include "ui/feature_dispatcher.h"
#include "ui/image_mouse.h"
#include "ui/input_state.h"
#include "ui/link_window.h"
#include "ui/live_link.h"
#include "ui/menu_resource.h"
#include "ui/sonar_system.h"
#include "ui/window_part.h"

namespace tarvisk {

class FileCommands;
class PanelInput;
class PanelInputView;

// Measures the layout units from the fonts and style the host will draw with.
PanelMetrics MeasurePanelMetrics();

// The per-shot hooks only record what changed (any thread, nothing drawn, nothing
// allocated); the window thread draws it all at its next frame (FlushPendingDrawing).
class MainWindow : public ImageViewHook,
                   public PanelHook,
                   public MagnifierHook,
                   public MeasurementHook,
                   public WindowGrabber,
                   public LinkWindow {
  public:
    // The window creation step: menu state from the settings (already read from the INI
    // file), the port probe and the panel layout.
    MainWindow(SonarSystem& system, LiveLink& link);
    ~MainWindow() override;

    HostWindow& Host() { return *host_; }
    StatusPanel& Panel() override { return *panel_; }
    WindowServices& Services() override { return *host_; }
    bool Scripted() const override { return scripted; }
    MenuModel& Menu() { return menu_; }
    Framebuffer& Surface() { return *framebuffer_; }
    SonarSystem& System() { return system_; }
    ImageMouse& Mouse() { return *mouse_; }

    // Colour table, image clear, first paint and show (start-up steps 9 and 10).
    void Show();
    // The run-mode switch; also run once at start-up.
    void ApplyRunMode();
    // "HEAD" / "FILE" on the panel.
    void SelectSource(bool file);

    // Menu commands by identifier (menu_commands.cpp has one function per command).
    void OnCommand(int32_t id);

    void OnMinimizedChanged(bool minimized);
    // The close request: stop, close files, write the INI file, destroy the window.
    void Close();
    bool Closed() const { return closed_; }

    // Set by the files layer when it is built in; the menu's file commands go to it.
    FileCommands* fileCommands = nullptr;
    // The parts built around the window hear of shots, mode switches and redraws here.
    WindowParts parts;
    // Dialogs and scans built by other parts of the program, by the feature they provide.
    FeatureDispatcher features;
    // Run state of the panel, keyboard and mouse input.
    InputState input;
    PanelInput& Input() { return *panelInput_; }
    PanelInputView& InputView() { return *panelInputView_; }
    // Scripted runs: warnings go to stderr instead of a modal box on close.
    bool scripted = false;

    int64_t ShotCount() const { return shots_.load(); }
    const std::string& LastSaveScreenPath() const { return lastSavedPath_; }

    // ImageViewHook
    void CopyImageToWindow(const ImageRect& changed) override;
    // PanelHook
    void AdvanceActivityBlinker(bool replyArrived) override;
    void RefreshDiagnostics() override {
        parts.ForEach([](WindowPart& part) { part.RefreshDiagnostics(); });
    }
    void RefreshOrientationWindow() override {
        parts.ForEach([](WindowPart& part) { part.RefreshOrientationWindow(); });
    }
    void DrawDialMarkers() override;
    void RefreshShotReadouts() override;
    void ClearStatusMessage() override;
    void DrawGridLabel() override;
    // MagnifierHook
    void RefreshMagnifier() override;
    // MeasurementHook: the line and readouts follow the shot at the next frame.
    void RedrawAfterShot() override;
    void RefreshReadouts() override;
    // The clock field and the activity mark, asked for by the acquisition thread.
    void ShowDateTime(std::string_view text) override;
    void ClearActivityMark() override;
    // Window thread: draws everything the hooks recorded since the last frame.
    void FlushPendingDrawing();
    // WindowGrabber
    WindowPicture GrabWholeWindow() override;

    // ShowLinkStatus: the status box under the image for the link's messages.
    void ShowLinkStatus(PaletteColour text, PaletteColour fill, PaletteColour frame,
                        int32_t selector) override;

    // Shared helpers of the commands.
    void ApplyColourTable();
    void RedrawImage();
    void GridRedraw();
    void ClearImageAndHistory();
    void ApplyMenuStateFromSettings();
    void ToggleProfileGrid();
    // The playback-speed strip, its arrows and "Reverse" share their rows with the message
    // strip under the image: drawn again after the strip was cleared (playback only).
    void RedrawPlaybackStrip();
    // A warning box (stderr in scripted runs).
    void Warn(const std::string& title, const std::string& text);

  private:
    // menu_commands.cpp
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

    void MouseEvent(MouseEventKind kind, Point p);
    void SetPlaybackMenuState();
    void SetLiveMenuState();
    void KeyEvent(int key, bool down);
    // Runs a registered feature, or says that it is not available yet.
    bool RunFeature(Feature feature);

    SonarSystem& system_;
    SonarSettings& settings_;
    LiveLink& link_;
    MenuModel menu_;
    PanelLayout layout_;
    std::unique_ptr<Framebuffer> framebuffer_;
    std::unique_ptr<HostWindow> host_;
    std::unique_ptr<StatusPanel> panel_;
    std::unique_ptr<PanelInputView> panelInputView_;
    std::unique_ptr<PanelInput> panelInput_;
    std::unique_ptr<ImageMouse> mouse_;
    int32_t lastRunMode_ = -1;  // no mode seen yet: the first switch draws the grid
    bool closedForMinimise_ = false;
    bool closed_ = false;
    std::atomic<int64_t> shots_{0};
    WindowChanges changes_;
    std::string lastSavedPath_;

  public:
    SharedInt AutoFrameCapture{0};
};

}  // namespace tarvisk
