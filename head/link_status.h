#pragma once
// The one line of link status under the image ("No Data at COM%d" and friends). The
// acquisition thread decides when it is shown or erased; the window draws it.

#include <cstdint>
#include <string>

#include "platform/draw_surface.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

inline constexpr int32_t NoDataAtComPortSelector = 0;  // "No Data at COM%d"
inline constexpr int32_t NoDataGenericSelector = 1;    // "No Data at ComPort"

// Colours of a shown and of an erased message.
inline constexpr PaletteColour LinkStatusShownText = WhiteColour;
inline constexpr PaletteColour LinkStatusShownFill = PanelBrightRed;
inline constexpr PaletteColour LinkStatusShownFrame = PanelLightGrey;
inline constexpr PaletteColour LinkStatusErased = PanelDarkGrey;

// What the message says, by the rules in order: why the head port cannot be used, else the
// head scan's text, else the no-data text for the selector; a transducer still moving for an
// automated scan, or an azimuth exchange waiting for its reply, replaces it.
struct LinkStatusFacts {
    bool headScanActive = false;
    int32_t comPort = 0;  // index 0..7
    int32_t selector = NoDataAtComPortSelector;
    std::string portProblem;  // why the head port cannot be used; replaces the two above
    bool scanAdjustingTransducer = false;
    bool azimuthWaiting = false;  // drive enabled, live, exchange pending, no "A" reply in hand
    bool azimuthDetected = false;
    bool azimuthInPosition = false;
};
struct LinkStatusColours {
    PaletteColour text = LinkStatusShownText;
    PaletteColour fill = LinkStatusShownFill;
    PaletteColour frame = LinkStatusShownFrame;
    bool operator==(const LinkStatusColours&) const = default;
};
struct LinkStatusBox {
    std::string text;
    LinkStatusColours colours;
};
// The message and the colours it is drawn in, from the colours the loop asked for: the head
// scan's text is white on the status fill (unless the loop erases it), a bright red fill
// becomes the status fill for the azimuth and scan waits, and a drive in position draws its
// text in the fill colour.
LinkStatusBox ChooseLinkStatus(const LinkStatusFacts& facts, LinkStatusColours asked);

struct HeadLink;
// The facts the link and the settings know; the automated scans add theirs.
LinkStatusFacts GatherLinkStatusFacts(const HeadLink& link, const SonarSettings& settings,
                                      int32_t selector);

class LinkStatusView {
  public:
    virtual ~LinkStatusView() = default;
    // Draws (or, with all three colours PanelDarkGrey, erases) the status message.
    virtual void ShowLinkStatus(PaletteColour text, PaletteColour background, PaletteColour frame,
                                int32_t selector) {
        (void)text, (void)background, (void)frame, (void)selector;
    }
    // Each counted no-data second with the diagnostics window shown.
    virtual void RefreshDiagnostics() {}
    // Clears the reply activity mark at the right end of the status strip.
    virtual void ClearReplyActivityMark() {}
    // A warning box (text, title), e.g. when the acquisition thread cannot start.
    virtual void ShowWarning(const std::string& text, const std::string& title) {
        (void)text, (void)title;
    }
};

}  // namespace tarvisk
