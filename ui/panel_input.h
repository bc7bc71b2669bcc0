#pragma once
// The operator's direct input on the panel and the keyboard: the readout arrows with their
// steps, limits, wraps and auto-repeat, "Hold", "Rev", "Reverse", "HEAD"/"FILE", the keyboard
// entry of range and gain, and the keys that stand for panel buttons or move the pointer.
// Plain C++: the window routes its clicks, keys and timer to it and draws what it asks.

#include <cstdint>
#include <string>
#include <string_view>

#include "display/panel_layout.h"
#include "imaging/imaging_state.h"
#include "platform/menu_model.h"
#include "settings/sonar_settings.h"
#include "ui/input_state.h"

namespace tarvisk {

// What the input needs done by the window: drawing on the panel, work on the picture, and
// the few services only the window has (pointer, timer, message boxes, the files layer).
class PanelInputWindow {
  public:
    virtual ~PanelInputWindow() = default;

    // Panel drawing. The range readout also applies the range (and, with auto frequency,
    // the configuration row of the new range).
    virtual void DrawReadout(ReadoutId readout) = 0;
    virtual void DrawArrow(PanelArrow arrow, bool pressed) = 0;
    virtual void DrawHold() = 0;
    virtual void DrawRev(bool pressed) = 0;
    virtual void DrawPlaybackSpeed() = 0;
    virtual void ShowKeyboardEntry(std::string_view text) = 0;
    virtual void ClearKeyboardEntry() = 0;  // also redraws the frequency readout
    virtual void DrawSectorDial() = 0;
    virtual void DrawGridLabel() = 0;
    // The readout boxes and arrows again (entering or leaving side scan changes their look).
    virtual void RepaintReadouts() = 0;

    // The picture.
    virtual void ClearImageAndHistory() = 0;
    virtual void RedrawImage() = 0;
    virtual void GridPass() = 0;  // one grid drawing with the settings as they stand
    virtual void ToggleProfileGrid() = 0;
    virtual void RefreshMeasureReadouts() = 0;
    virtual void EndMeasurement() = 0;  // side scan has no measurement
    // Window services.
    virtual void SelectSource(bool file) = 0;
    virtual void ToggleReverse() = 0;
    virtual void Warn(std::string_view title, std::string_view text) = 0;
    virtual Point PointerPosition() = 0;  // client coordinates
    virtual void SetPointerPosition(Point p) = 0;
    virtual void StartRepeatTimer(int32_t milliseconds) = 0;
    virtual void StopRepeatTimer() = 0;
};

// Keys that are not characters.
enum class InputKey { Left, Up, Right, Down, Other };

// Texts of the keyboard warnings (the trailing blanks are part of them).
inline constexpr std::string_view KeyboardRangeTitle = "Keyboard Range";
inline constexpr std::string_view KeyboardRangeMetresText =
    "Please use one of the following ranges:\n 1, 2, 3, 4, 5, 10, 20, 30, 40, 50, 60, 80, 100, "
    "150, or 200 Meters    ";
inline constexpr std::string_view KeyboardRangeFeetText =
    "Please use one of the following ranges:\n 3, 6, 9, 12, 15, 30, 60, 90, 120, 150, 180, 240, "
    "300, 450, or 600 Feet    ";
inline constexpr std::string_view KeyboardGainTitle = "Keyboard Gain";
inline constexpr std::string_view KeyboardGainText =
    "Entered Gain is out of range!\nUse 0 to 40 dB";

// The text of the keyboard entry box for the entry as it stands ("Range: 15 M", "Gain: ? dB").
std::string KeyEntryBoxText(const InputState& input, int32_t units);

// Range index of a typed range in the given units, or -1 when the table lacks it.
int32_t RangeIndexForTypedValue(int32_t value, int32_t units);

class PanelInput {
  public:
    PanelInput(SonarSettings& settings, InputState& input, ImagingState& imaging, MenuModel& menu,
               const PanelLayout& layout, PanelInputWindow& window);

    // Mouse on the window (client coordinates).
    void LeftDown(Point p);
    void LeftUp();
    void Move(Point p);
    // The auto-repeat timer of a held arrow fired.
    void RepeatTick();
    bool Repeating() const { return held_ != NoPanelArrow; }

    // Keyboard: characters (Enter as '\r', Esc as 0x1b), other key presses and releases.
    void Char(char32_t c);
    void KeyDown(InputKey key);
    void KeyUp();
    // Closes an open keyboard entry without applying it.
    void EndKeyEntry() { EndEntry(); }

    // The panel buttons, also reachable by keys.
    void ToggleHold();
    void Rev();
    // The mode readout's menu states (side scan greys the profile grid); also at start-up.
    void ApplyModeMenuState();
    // Last train of each plan mode, restored when the mode is entered again.
    void RememberTrain();
    int32_t SectorTrain() const { return sectorTrain_; }
    int32_t PolarTrain() const { return polarTrain_; }

    // One step of an arrow; false when it changed nothing (a held arrow stops).
    bool Step(PanelArrow arrow);

  private:
    PanelArrow ArrowAt(Point p) const;
    Rect ArrowRect(PanelArrow arrow) const;
    bool ArrowWorks(PanelArrow arrow) const;
    // The arrow's value sits at its limit: a held arrow stops at once.
    bool AtLimit(PanelArrow arrow) const;
    void Press(PanelArrow arrow);
    void Release();

    bool StepRange(int32_t delta);
    bool StepGain(int32_t delta);
    bool StepSpeed(int32_t delta);
    bool StepSector(int32_t delta);
    bool StepTrain(int32_t delta);
    bool StepMode(int32_t delta);
    bool StepPlotSpeed(bool right);

    void ShowSector();
    void ShowTrain();
    void ShowMode();

    void StartEntry(int32_t mode);
    void EndEntry();
    void ApplyEntry();

    SonarSettings& settings_;
    InputState& input_;
    ImagingState& imaging_;
    MenuModel& menu_;
    const PanelLayout& layout_;
    PanelInputWindow& window_;
    PanelArrow held_ = NoPanelArrow;
    int32_t sectorTrain_ = 0;
    int32_t polarTrain_ = 0;
    int32_t lastModeSent_ = -1;
};

}  // namespace tarvisk
