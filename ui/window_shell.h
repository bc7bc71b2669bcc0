#pragma once
// What the menu commands and the mode switch ask of the window's toolkit side: its services
// (boxes, dialogs, child windows, title), a picture of the window, the about box, closing,
// the status box under the image, drawing what is pending, and the playback slider, a widget
// of its own that exists only in playback. The Qt main window implements it.

#include <cstdint>
#include <functional>
#include <string_view>

#include "files/bmp_capture.h"
#include "platform/draw_surface.h"
#include "platform/window_services.h"

namespace tarvisk {

class WindowShell {
  public:
    virtual ~WindowShell() = default;
    virtual WindowServices& Services() = 0;
    virtual WindowGrabber& Grabber() = 0;
    virtual void ShowAbout(std::string_view title, std::string_view text) = 0;
    // The close request: stop, close files, write the INI file, destroy the window.
    virtual void Close() = 0;
    virtual void ShowLinkStatus(PaletteColour text, PaletteColour fill, PaletteColour frame,
                                int32_t selector) = 0;
    // Draws at once what the hooks recorded for the next frame.
    virtual void FlushFrame() = 0;
    virtual void CreatePlaybackSlider(std::function<void(int32_t)> onMoved) = 0;
    virtual void DestroyPlaybackSlider() = 0;
};

}  // namespace tarvisk
