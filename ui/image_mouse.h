#pragma once
// The mouse over the sonar image: the magnifier that follows the pointer or stays frozen, the
// readouts of where the pointer is, and the measurement from an origin fixed with the right
// button. Mouse events arrive on the user-interface thread; the shot pipeline redraws the
// line and the readouts from the acquisition thread, so the shared state is atomic and the
// line drawing is serialised by MeasureBusy.

#include <cstdint>
#include <functional>
#include <mutex>

#include "display/panel_layout.h"
#include "display/status_panel.h"
#include "imaging/measure_cursor.h"
#include "imaging/shot_hooks.h"
#include "imaging/sonar_image.h"
#include "platform/mouse_event.h"
#include "settings/sonar_settings.h"
#include "ui/input_state.h"

namespace tarvisk {

class ImageMouse final : public MeasurementHook {
  public:
    ImageMouse(SonarSettings& settings, InputState& input, SonarImage& image, StatusPanel& panel,
               DrawSurface& surface);

    InputState& State() { return state_; }
    Point LastTarget() const { return lastTarget_.Get(); }

    // Hides the pointer over the image while a measurement is on (the marks show the point).
    std::function<void(bool hidden)> onPointerHidden;
    // The orientation module's heading in degrees; without one the readouts add nothing.
    std::function<float()> heading;

    void OnMouse(MouseEventKind kind, Point p);
    // The pointer left the window (no move outside the image may have come first).
    void OnPointerLeft();
    // A menu of the main window is being opened.
    void OnMenuOpened() { state_.MenuOpen = 1; }
    // The shot pipeline leaves the magnifier alone while it is frozen or a menu is open.
    bool MagnifierHeld() const { return state_.ZoomFrozen || state_.MenuOpen; }
    // Mode and source switches end a measurement: the marks go and the pointer comes back.
    void EndMeasurement();

    // The readout box for the pointer at p (lines only while the pointer is over the image).
    void ShowReadouts(Point p);
    // Without `redraw` the pointer moved to `target`: erase the old line and draw the new one.
    // With it (after a shot) draw the line to the last target again; `target` is not used.
    void DrawMeasureLine(Point target, bool redraw);

    // MeasurementHook
    void RedrawAfterShot() override;
    void RefreshReadouts() override;

  private:
    void Moved(Point p);
    void LeftClick(Point p);
    void RightClick(Point p);
    void DrawLineAndMarks(Point target, bool line);
    void ShowReadoutsLocked(Point p);
    void HidePointer(bool hidden);

    SonarSettings& settings_;
    SonarImage& image_;
    StatusPanel& panel_;
    DrawSurface& surface_;
    InputState& state_;
    bool pointerHidden_ = false;                               // user-interface thread only
    SharedPoint lastTarget_;                                   // the end of the line last drawn
    SharedPoint lastPoint_{{ImageCentre.x}, {ImageCentre.y}};  // where readouts were last asked
    std::mutex readoutMutex_;
    bool readoutBoxShown_ = false;  // guarded by readoutMutex_
};

}  // namespace tarvisk
