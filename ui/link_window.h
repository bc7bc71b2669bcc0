#pragma once
// What the live link shows in the main window: the status box, the panel's clock and activity
// mark, and warning boxes. The Qt window implements it.

#include <cstdint>
#include <string_view>

#include "display/status_panel.h"
#include "imaging/palette.h"
#include "platform/window_services.h"

namespace tarvisk {

class LinkWindow {
  public:
    virtual ~LinkWindow() = default;
    virtual StatusPanel& Panel() = 0;
    virtual WindowServices& Services() = 0;
    // Scripted runs: warnings go to stderr instead of a modal box.
    virtual bool Scripted() const = 0;
    // The panel's clock and activity mark, asked for by the acquisition thread: recorded
    // there, drawn by the window thread at its next frame.
    virtual void ShowDateTime(std::string_view text) = 0;
    virtual void ClearActivityMark() = 0;
    // The status box under the image for the link's messages.
    virtual void ShowLinkStatus(PaletteColour text, PaletteColour fill, PaletteColour frame,
                                int32_t selector) = 0;
};

}  // namespace tarvisk
