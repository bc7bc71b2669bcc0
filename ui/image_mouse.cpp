#include "ui/image_mouse.h"

#include <mutex>
#include <thread>

#include "display/measure_readout.h"

namespace tarvisk {
namespace {

// Spins until this thread owns the line drawing; the other thread's turn is short.
class MeasureBusyGuard {
  public:
    explicit MeasureBusyGuard(std::atomic<int32_t>& busy) : busy_(busy) {
        while (busy_.exchange(1, std::memory_order_acquire))
            std::this_thread::yield();
    }
    ~MeasureBusyGuard() { busy_.store(0, std::memory_order_release); }
    MeasureBusyGuard(const MeasureBusyGuard&) = delete;
    MeasureBusyGuard& operator=(const MeasureBusyGuard&) = delete;

  private:
    std::atomic<int32_t>& busy_;
};

}  // namespace

ImageMouse::ImageMouse(SonarSettings& settings, InputState& input, SonarImage& image,
                       StatusPanel& panel, DrawSurface& surface)
    : settings_(settings), image_(image), panel_(panel), surface_(surface), state_(input) {}

void ImageMouse::OnMouse(MouseEventKind kind, Point p) {
    // A mode or source switch may have ended the measurement without us: the pointer follows.
    if (pointerHidden_ && !state_.MeasureMode)
        HidePointer(false);
    const bool inside = MeasureArea.Contains(p);
    switch (kind) {
        case MouseEventKind::Move:
            state_.MenuOpen = 0;
            if (inside)
                Moved(p);
            else
                OnPointerLeft();
            break;
        case MouseEventKind::LeftDown:
            if (inside)
                LeftClick(p);
            break;
        case MouseEventKind::RightDown:
            if (inside)
                RightClick(p);
            break;
        default:
            break;
    }
}

void ImageMouse::OnPointerLeft() {
    if (!state_.PointerInImage)
        return;
    state_.PointerInImage = 0;
    if (!state_.ZoomFrozen)
        ShowReadouts(lastPoint_.Get());
}

void ImageMouse::Moved(Point p) {
    const bool frozen = state_.ZoomFrozen != 0;
    if (state_.MeasureMode) {
        // Side-scan distances run across the picture only: keep the line level.
        if (settings_.GridMode == SS)
            p.y = state_.MeasureOrigin.y;
        if (!frozen)
            DrawMeasureLine(p, false);
    }
    state_.PointerInImage = 1;
    if (!frozen) {
        ShowReadouts(p);
        if (settings_.PixelZoom)
            panel_.RefreshMagnifier(p);
    }
}

void ImageMouse::LeftClick(Point p) {
    const bool zoom = settings_.PixelZoom != 0;
    if (zoom)
        state_.ZoomFrozen = state_.ZoomFrozen ? 0 : 1;
    if (!state_.ZoomFrozen) {
        ShowReadouts(p);
        if (zoom)
            panel_.RefreshMagnifier(p);
    }
}

void ImageMouse::RightClick(Point p) {
    state_.ZoomFrozen = 0;
    const bool on = !state_.MeasureMode;
    state_.MeasureMode = on ? 1 : 0;
    state_.MeasureLineShown = on ? 1 : 0;
    if (on) {
        state_.MeasureOrigin = p;
    }
    HidePointer(on);
    DrawMeasureLine(p, false);
    ShowReadouts(p);
}

void ImageMouse::EndMeasurement() {
    if (!state_.MeasureMode)
        return;
    state_.MeasureMode = 0;
    state_.MeasureLineShown = 0;
    HidePointer(false);
    DrawMeasureLine(lastTarget_.Get(), false);
}

void ImageMouse::HidePointer(bool hidden) {
    pointerHidden_ = hidden;
    if (onPointerHidden)
        onPointerHidden(hidden);
}

void ImageMouse::ShowReadouts(Point p) {
    std::lock_guard lock(readoutMutex_);
    ShowReadoutsLocked(p);
}

void ImageMouse::ShowReadoutsLocked(Point p) {
    lastPoint_ = p;
    if (!state_.PointerInImage) {
        // Once the logo is back there is nothing to redraw until the pointer returns.
        if (readoutBoxShown_)
            DrawMeasureReadoutBox(surface_, panel_.Layout(), nullptr);
        readoutBoxShown_ = false;
        return;
    }
    const MeasureView view = MeasureViewOf(settings_, heading ? heading() : 0.0f);
    const MeasureReadouts readouts =
        ComposeMeasureReadouts(view, p, state_.MeasureMode != 0, state_.MeasureOrigin.Get());
    DrawMeasureReadoutBox(surface_, panel_.Layout(), &readouts);
    readoutBoxShown_ = true;
}

void ImageMouse::DrawMeasureLine(Point target, bool redraw) {
    MeasureBusyGuard busy(state_.MeasureBusy);
    if (redraw) {
        // Read under the flag: the pointer may have moved, or the measurement ended, since
        // the shot asked.
        if (state_.MeasureMode)
            DrawLineAndMarks(lastTarget_.Get(), state_.MeasureLineShown != 0);
        return;
    }
    // The image copied again takes the old line and marks away.
    panel_.CopyImageToWindow();
    if (state_.MeasureMode)
        DrawLineAndMarks(target, state_.MeasureLineShown != 0);
    lastTarget_ = target;
}

void ImageMouse::DrawLineAndMarks(Point target, bool line) {
    const Point origin = state_.MeasureOrigin.Get();
    std::lock_guard lock(surface_.Mutex());
    image_.DrawBusy = 1;
    if (line)
        DrawMeasureLinePixels(surface_, origin, target, MeasureLineColour(settings_.Colors));
    DrawMeasureMarkPixels(surface_, origin, target);
    image_.DrawBusy = 0;
    surface_.RequestRepaint(MeasureOverlayBounds(origin, target));
}

void ImageMouse::RedrawAfterShot() {
    if (state_.MeasureMode)
        DrawMeasureLine({}, true);
}

void ImageMouse::RefreshReadouts() {
    // The point is read under the same lock the pointer's updates take, so a late refresh
    // never paints an older point over a newer one.
    std::lock_guard lock(readoutMutex_);
    ShowReadoutsLocked(lastPoint_.Get());
}

}  // namespace tarvisk
