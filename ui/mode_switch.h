#pragma once
// The switch between the head and a file (live and playback), from the panel's source buttons
// or at start-up, and what minimising does to the head link.

#include <cstdint>

#include "ui/image_mouse.h"
#include "ui/panel_input.h"
#include "ui/window_context.h"

namespace tarvisk {

class ModeSwitch {
  public:
    ModeSwitch(const WindowContext& window, ImageMouse& mouse, PanelInput& input);

    // Applies RunMode: the old source stops, the live values are kept aside or given back,
    // the menu, title and panel follow. Also run once at start-up.
    void ApplyRunMode();
    // "HEAD" / "FILE" on the panel.
    void SelectSource(bool file);
    // Live, the head link closes while the window is minimised unless "On When Minimized".
    void OnMinimizedChanged(bool minimized);

  private:
    SonarSystem& system_;
    SonarSettings& settings_;
    LiveLink& link_;
    MenuModel& menu_;
    StatusPanel& panel_;
    WindowState& state_;
    WindowDrawing& drawing_;
    WindowShell& shell_;
    ImageMouse& mouse_;
    PanelInput& input_;
    int32_t lastRunMode_ = -1;  // no mode seen yet: the first switch draws the grid
    bool closedForMinimise_ = false;
};

}  // namespace tarvisk
