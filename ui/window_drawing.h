#pragma once
// The picture steps that the menu commands, the mode switch, the panel input and the files
// share: the colour table, redraws of the picture and of its grid, a clean picture, and the
// playback strip under the image.

#include "display/status_panel.h"
#include "platform/draw_surface.h"
#include "ui/live_link.h"
#include "ui/sonar_system.h"
#include "ui/window_state.h"

namespace tarvisk {

PaletteTable ToPaletteTable(const ColourTable& colours);

class WindowDrawing {
  public:
    WindowDrawing(SonarSystem& system, LiveLink& link, StatusPanel& panel, DrawSurface& surface,
                  const WindowState& state);

    // The table chosen in the settings, on the surface, the colour bar and the picture.
    void ApplyColourTable();
    void RedrawImage();
    // The grid drawn again over the picture, the image marked busy meanwhile.
    void GridRedraw();
    // A clean picture and echo history; live, the acquisition thread does it before its
    // next shot.
    void ClearImageAndHistory();
    // The playback-speed strip, its arrows and "Reverse" share their rows with the message
    // strip under the image: drawn again after the strip was cleared (playback only).
    void RedrawPlaybackStrip();

  private:
    SonarSystem& system_;
    SonarSettings& settings_;
    LiveLink& link_;
    StatusPanel& panel_;
    DrawSurface& surface_;
    const WindowState& state_;
};

}  // namespace tarvisk
