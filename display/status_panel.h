#pragma once
// The main window's panel: paints the whole client area and redraws each readout on its own
// when its value changes. Plain C++ over a DrawSurface; any thread may call a redraw, each one
// holds the surface's lock for its drawing and asks for a repaint of what it touched.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "display/panel_layout.h"
#include "head/shot_record.h"
#include "imaging/grid.h"
#include "imaging/imaging_state.h"
#include "imaging/palette.h"
#include "imaging/sonar_image.h"
#include "platform/draw_surface.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

enum class ArrowDirection { Up, Down, Left, Right };
enum class ArrowLook { Released, Pressed, Inactive };

// Text shown by a readout for the current settings.
std::string ReadoutText(const SonarSettings& settings, ReadoutId readout);
// "%d kHz" below 1000, "%5.3f MHz" from 1000 on.
std::string FrequencyText(int32_t kilohertz);
// Division label under the image ("Grid Off" when the grid is off).
std::string_view GridLabelText(const SonarSettings& settings);
// Length of the light part of the playback-speed bar.
int32_t PlotSpeedBarLength(int32_t plotSpeed);

// Window-side state that lives beside the settings.
struct PanelState {
    SharedInt FileFrequency{0};
    SharedInt ReverseAvailable{0};
    SharedInt Reverse{0};
    SharedInt GridLabelSuppressed{0};  // azimuth exchange pending or a scan collecting
};

class StatusPanel {
  public:
    StatusPanel(SonarSettings& settings, DrawSurface& surface, const PanelLayout& layout,
                const ShotRecord& shot, const SonarImage& image, ImagingState& imaging);

    const PanelLayout& Layout() const { return layout_; }
    PanelState& State() { return state_; }

    // Called after the range readout has applied a new range (auto frequency lives above).
    std::function<void()> onRangeApplied;
    // Draws the GPS field during a full paint, when GPS input is built in.
    std::function<void()> onPaintGps;
    // Runs inside a copy of the whole picture, under the image lock: a part of the picture
    // waiting to be copied is in this copy already.
    std::function<void()> onWholeImageCopied;
    // Runs after the mode readout is drawn (the menu follows the mode).
    std::function<void()> onModeReadout;
    // The grid label is not drawn while this flag (an azimuth exchange) is set or a scan
    // waits for its sweep to start: the status box under the image speaks then.
    void WatchGridLabelBlockers(const SharedInt* azimuthExchangePending) {
        azimuthPending_ = azimuthExchangePending;
    }

    void PaintAll();

    void DrawReadout(ReadoutId readout);
    void DrawRangeReadout();  // also applies the range to the derived fields
    void DrawReadoutArrow(ReadoutId readout, bool up, bool pressed);
    void DrawAllArrows();
    void DrawFrequency();
    void DrawUserText();
    void DrawDateTime(std::string_view text);  // empty text blanks the field
    void ToggleActivityMark(bool show);
    void ClearActivityMark();
    void DrawSourceButtons();
    void DrawHold();
    void DrawRev(bool pressed);
    void DrawPlaybackSpeed();
    void DrawSpeedArrow(bool right, bool pressed);
    void DrawReverse();
    void ShowKeyboardEntry(std::string_view text);
    void ClearKeyboardEntry();
    void ShowAzimuthNotFound(bool shown);
    // The one-line status box under the image; fill == text colour erases it.
    void DrawStatusBox(std::string_view text, PaletteColour textColour, PaletteColour fill,
                       PaletteColour frame);
    void ResetPlaybackRefresh();
    void PlaybackRefresh();

    // Overlays beside and under the image.
    void DrawGridLabel();
    void DrawSectorDial();
    // The bearing marker at the shot's head angle (or the given one) and the rotation marker;
    // the markers drawn before are erased wherever they were, whatever was drawn since.
    void DrawDialMarkers();
    void DrawDialMarkers(float bearingDegrees);
    void ForceRotationMarker() { lastRotation_ = -1000.0f; }
    void DrawTransducerIcon();
    void DrawMagnifierFrame();  // framed when PixelZoom is on, painted over when off
    void RefreshMagnifier(Point centre);
    void RefreshMagnifier() { RefreshMagnifier(magnifierCentre_); }
    Point MagnifierCentre() const { return magnifierCentre_; }
    // Whether the magnifier's source area takes in any of these picture pixels.
    bool MagnifierSees(const ImageRect& changed) const;
    const SectorLimits& Limits() const { return limits_; }

    // The picture itself, copied to client (3, 3); or only the part that changed.
    void CopyImageToWindow();
    void CopyImageToWindow(const ImageRect& changed);

    bool ActivityMarkOn() const { return activityOn_; }
    void DrawColourBar();

  private:
    // Everything but the picture, its grid label and the magnifier, under the surface lock.
    void PaintPanel();
    void ShadowText(int32_t x, int32_t y, std::string_view text, PaletteColour colour,
                    PaletteColour shadow, TextFont font);
    void DrawArrow(const Rect& at, ArrowDirection dir, ArrowLook look);
    void DrawCheckCell(Point at, bool on);
    void DrawButton(const Rect& r, std::string_view text, bool pressed);
    void RedrawDateTime();
    void DrawLabels();
    ArrowLook ReadoutArrowLook(ReadoutId readout, bool pressed) const;
    // A point on the dial; the hanging view turns the sector half round (both terms flip)
    // but only mirrors the markers vertically.
    Point DialPoint(float degrees, float radius, bool round, bool flipBoth) const;
    void Repaint(const Rect& r) { surface_.RequestRepaint(r); }

    SonarSettings& settings_;
    DrawSurface& surface_;
    PanelLayout layout_;
    const ShotRecord& shot_;
    const SonarImage& image_;
    ImagingState& imaging_;
    PanelState state_;
    const SharedInt* azimuthPending_ = nullptr;

    bool activityOn_ = false;
    // The last status box drawn: a shorter message (or its erase) must not leave its ends.
    Rect statusBox_{0, 0, 0, 0};
    std::array<char, 48> dateTime_{};
    Point magnifierCentre_{301, 256};
    SectorLimits limits_;
    float lastRotation_ = -1000.0f;
    bool rotationMarkerDrawn_ = false;
    bool bearingMarkerDrawn_ = false;
    Point bearingMarker_{};
    Point rotationMarker_{};
    std::array<int32_t, 7> remembered_{};  // range, mode, xdcr, speed, train, sector, gain
};

}  // namespace tarvisk
