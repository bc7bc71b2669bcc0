#pragma once
// Run state of the main window's direct input: the panel arrows and their auto-repeat, the
// keyboard entry of range and gain, the arrow-key pointer steps, and the mouse over the
// image (magnifier and measurement cursor). One instance lives in the main window for the
// whole run. Fields the shot pipeline reads on the acquisition thread are shared values.

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/draw_surface.h"
#include "settings/shared_value.h"

namespace tarvisk {

// The fourteen arrows of the panel: up and down of the six readouts, then the two
// playback-speed arrows.
enum PanelArrow : int32_t {
    RangeUpArrow,
    RangeDownArrow,
    ModeUpArrow,
    ModeDownArrow,
    GainUpArrow,
    GainDownArrow,
    SpeedUpArrow,
    SpeedDownArrow,
    SectorUpArrow,
    SectorDownArrow,
    TrainUpArrow,
    TrainDownArrow,
    PlotSpeedLeftArrow,
    PlotSpeedRightArrow,
    PanelArrowCount,
    NoPanelArrow = -1,
};

enum KeyEntryKind : int32_t { NoKeyEntry = 0, RangeKeyEntry = 1, GainKeyEntry = 2 };

inline constexpr int32_t RepeatFirstDelay = 500;  // ms before the second step of a held arrow
inline constexpr int32_t RepeatNextDelay = 50;    // ms between the following steps
inline constexpr int32_t KeyEntryMaxChars = 3;
inline constexpr float CursorStepRest = 1.0f;
inline constexpr float CursorStepMax = 16.0f;

// A window point that one thread writes and another reads.
struct SharedPoint {
    SharedInt x{0};
    SharedInt y{0};
    Point Get() const { return {x, y}; }
    SharedPoint& operator=(Point p) {
        x = p.x;
        y = p.y;
        return *this;
    }
};

struct InputState {
    // Keyboard entry of range or gain.
    int32_t KeyEntryMode = NoKeyEntry;
    std::array<char, KeyEntryMaxChars + 1> KeyEntryText{};  // NUL-terminated
    int32_t KeyEntryCount = 0;

    // Panel arrows: 0 while drawn pressed and stepping, 1 when released.
    std::array<int32_t, PanelArrowCount> PanelButtonState = [] {
        std::array<int32_t, PanelArrowCount> a{};
        a.fill(1);
        return a;
    }();
    int32_t RepeatDelay = RepeatFirstDelay;

    // Pixels an arrow key moves the pointer; grows while keys are held.
    float CursorStep = CursorStepRest;

    // Mouse over the image. The pipeline reads MenuOpen, MeasureMode and MeasureBusy.
    SharedInt MenuOpen{0};  // a menu was opened and the pointer has not moved since
    SharedInt ZoomFrozen{0};
    SharedInt MeasureMode{0};
    SharedInt MeasureLineShown{0};
    SharedInt PointerInImage{0};
    SharedPoint MeasureOrigin;  // the pipeline's redraw reads it on the acquisition thread
    // Held by whichever thread draws the measurement line; taken with an exchange.
    std::atomic<int32_t> MeasureBusy{0};
};

}  // namespace tarvisk
