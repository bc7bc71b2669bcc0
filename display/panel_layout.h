#pragma once
// The fixed pixel layout of the main window's client area: the image on the left, the readout
// panel on the right, the status strips under the image. Everything follows from a few measured
// units (arrow size, text size), so the panel adapts to the fonts and style of the system.

#include <array>
#include <cstdint>

#include "imaging/shot_hooks.h"
#include "platform/draw_surface.h"

namespace tarvisk {

// Measured once when the window is created; the Qt host fills it from the real fonts and style.
struct PanelMetrics {
    int32_t ArrowWidth = 16;
    int32_t ArrowHeight = 16;
    int32_t CharWidth = 8;  // "X" in the window's default font
    int32_t LineHeight = 16;
    int32_t SystemCharWidth = 7;  // "X" in the variable-pitch system font
    int32_t SystemLineHeight = 13;
    int32_t CheckBoxWidth = 13;  // one cell of the check-box artwork
    int32_t CheckBoxHeight = 13;
};

enum ReadoutId : int32_t {
    RangeReadout,
    ModeReadout,
    GainReadout,
    SpeedReadout,
    SectorReadout,
    TrainReadout,
    ReadoutCount
};

struct ReadoutGeometry {
    Point origin;  // (x, y) of the box
    Rect box;      // (x, y - 1) to (x + D, y + 2 * ArrowHeight), inclusive corners as drawn
    Rect upArrow;  // click rectangles
    Rect downArrow;
    Point labelAt;  // top-left of the label text above the box
};

struct PanelLayout {
    PanelMetrics metrics;
    int32_t D = 0;  // readout box width
    int32_t X1 = 0, X2 = 0;
    int32_t Y1 = 0, Y2 = 0, Y3 = 0, Y4 = 0;
    int32_t XC = 0, YC = 0;  // overlay box centre (the dial's centre)
    int32_t YZ = 0;          // magnifier top
    int32_t TransducerX = 0;
    int32_t DialRadius = 0;

    std::array<ReadoutGeometry, ReadoutCount> readouts{};
    Rect headButton, fileButton;
    Rect holdArea, revArea, reverseArea;
    Rect speedLeftArrow, speedRightArrow;
    Rect frequencyLive, frequencyPlayback;
    Rect overlayBox;
    Rect userTextField;
    Rect dateTimeField;
    Rect activityArea;
    Point activityCentre;
    Rect magnifier;  // the 156 x 156 area the zoom is stretched onto
    Rect transducerBox;
    Rect logoBackground, logo;
    Rect keyboardEntry;  // top-left and clear area of the keyboard entry box
    Rect playbackSlider;
    Rect speedStrip;
    Rect azimuthNotFound;
    Size client;  // the whole fixed client area
};

inline constexpr Rect ImageArea{2, 2, 598, 508};  // mouse and drawing rectangle of the image
inline constexpr Point ImageOrigin{3, 3};         // where SonarImage's pixel (0, 0) is shown
inline constexpr Point ImageCentre{301, 256};
inline constexpr int32_t MagnifierHalf = 39;
inline constexpr int32_t MagnifierSize = 156;

PanelLayout ComputePanelLayout(const PanelMetrics& metrics);

// The layout formulas keep the panel apart only for arrows of 15 or 16 pixels and lines of
// 13 to 17 pixels (larger units push the magnifier into the logo, smaller ones the user text
// into the readouts); measured units are brought into that range.
PanelMetrics FitPanelMetrics(PanelMetrics measured);

// The magnifier keeps its 78 x 78 source area inside the image.
Point ClampMagnifierCentre(Point centre);

// Which readout arrow (if any) a client point falls on; returns false when none.
bool HitReadoutArrow(const PanelLayout& layout, Point p, ReadoutId& readout, bool& up);

}  // namespace tarvisk
