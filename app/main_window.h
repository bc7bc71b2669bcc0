#pragma once
// The Qt main window: the host window, its framebuffer, menu and panel, closing, and what the
// menu commands and the mode switch (ui/) ask of the toolkit. It also implements what the shot
// pipeline asks of the window (the picture, the panel, the magnifier) and what a capture needs.

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
#include "ui/menu_commands.h"
#include "ui/menu_resource.h"
#include "ui/mode_switch.h"
#include "ui/sonar_system.h"
#include "ui/window_drawing.h"
#include "ui/window_part.h"
#include "ui/window_shell.h"
#include "ui/window_state.h"

namespace tarvisk {

class PanelInput;
class PanelInputView;

// Measures the layout units from the fonts and style the host will draw with.
PanelMetrics MeasurePanelMetrics();

// The per-shot hooks only record what changed (any thread, nothing drawn, nothing
// allocated); the window thread draws it all at its next frame (FlushPendingDrawing). What the
// presenters share (fileCommands, parts, features, input, scripted) is the WindowState base.
class MainWindow : public WindowState,
                   public ImageViewHook,
                   public PanelHook,
                   public MagnifierHook,
                   public MeasurementHook,
                   public WindowGrabber,
                   public LinkWindow,
                   public WindowShell {
  public:
    // The window creation step: menu state from the settings (already read from the INI
    // file), the port probe and the panel layout.
    MainWindow(SonarSystem& system, LiveLink& link);
    ~MainWindow() override;

    HostWindow& Host() { return *host_; }
    StatusPanel& Panel() override { return *panel_; }
    WindowServices& Services() override { return *host_; }
    WindowGrabber& Grabber() override { return *this; }
    bool Scripted() const override { return scripted; }
    MenuModel& Menu() { return menu_; }
    Framebuffer& Surface() { return *framebuffer_; }
    SonarSystem& System() { return system_; }
    ImageMouse& Mouse() { return *mouse_; }

    // Colour table, image clear, first paint and show (start-up steps 9 and 10).
    void Show();
    // The run-mode switch (ui/mode_switch.h); also run once at start-up.
    void ApplyRunMode() { modeSwitch_->ApplyRunMode(); }
    void SelectSource(bool file) { modeSwitch_->SelectSource(file); }
    void OnMinimizedChanged(bool minimized) { modeSwitch_->OnMinimizedChanged(minimized); }

    // Menu commands by identifier (ui/menu_commands.h).
    void OnCommand(int32_t id) { commands_->OnCommand(id); }
    MenuCommands& Commands() { return *commands_; }
    // The picture steps the commands, the panel input and the files share.
    WindowDrawing& Drawing() { return *drawing_; }

    // WindowShell: the close request stops, closes files, writes the INI file and destroys
    // the window.
    void Close() override;
    bool Closed() const { return closed_; }
    void ShowAbout(std::string_view title, std::string_view text) override;
    void FlushFrame() override { host_->FlushFrame(); }
    void CreatePlaybackSlider(std::function<void(int32_t)> onMoved) override {
        host_->CreatePlaybackSlider(std::move(onMoved));
    }
    void DestroyPlaybackSlider() override { host_->DestroyPlaybackSlider(); }

    PanelInput& Input() { return *panelInput_; }
    PanelInputView& InputView() { return *panelInputView_; }

    int64_t ShotCount() const { return shots_.load(); }
    const std::string& LastSaveScreenPath() const { return commands_->LastSaveScreenPath(); }

    // ImageViewHook
    void CopyImageToWindow(const ImageRect& changed) override;
    void CopyImagePartsToWindow(const ImageParts& parts) override;
    // PanelHook
    void AdvanceActivityBlinker(bool replyArrived) override;
    void ShotStarted() override;
    void ShotFinished() override;
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

    // LinkWindow, WindowShell: the status box under the image for the link's messages.
    void ShowLinkStatus(PaletteColour text, PaletteColour fill, PaletteColour frame,
                        int32_t selector) override;

    // A warning box (stderr in scripted runs).
    void Warn(const std::string& title, const std::string& text);

  private:
    // A change is recorded; the frame is asked for now, or at the end of the shot being
    // processed on this thread.
    void FrameWanted();
    void MouseEvent(MouseEventKind kind, Point p);
    void KeyEvent(int key, bool down);

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
    std::unique_ptr<WindowDrawing> drawing_;
    std::unique_ptr<MenuCommands> commands_;
    std::unique_ptr<ModeSwitch> modeSwitch_;
    bool closed_ = false;
    std::atomic<int64_t> shots_{0};
    WindowChanges changes_;
};

}  // namespace tarvisk
