#pragma once
// What the shot pipeline changed on the window since the window last painted: the image
// rectangle to convert, the activity mark, the dial, the readouts, the status box, the clock
// and the overlays that sit on the picture. Any thread records; the window thread takes the
// whole set at its next frame and draws it. Fixed size, one small lock, nothing allocated.

#include <array>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "imaging/shot_hooks.h"
#include "platform/dirty_rects.h"
#include "platform/draw_surface.h"

namespace tarvisk {

struct StatusBoxChange {
    std::array<char, 48> text{};
    PaletteColour textColour = 0;
    PaletteColour fill = 0;
    PaletteColour frame = 0;
};

struct WindowChangeSet {
    bool image = false;
    DirtyRects imageParts;  // image coordinates
    // The blinker toggles once per reply; a frame that saw two toggles must show the state
    // after both, so the count is kept rather than a flag.
    bool activityCleared = false;
    int32_t activityToggles = 0;
    bool activityShown = false;  // the reply state of the last toggle
    bool dial = false;
    float bearingDegrees = 0.0f;
    bool shotReadouts = false;
    bool statusBox = false;
    StatusBoxChange status;
    bool gridLabel = false;
    bool dateTime = false;
    std::array<char, 48> dateTimeText{};
    bool measureLine = false;
    bool measureReadouts = false;
    bool magnifier = false;

    // The box of the image parts (empty when there are none).
    ImageRect ImageBounds() const;

    bool Empty() const {
        return !image && !activityCleared && activityToggles == 0 && !dial && !shotReadouts &&
               !statusBox && !gridLabel && !dateTime && !measureLine && !measureReadouts &&
               !magnifier;
    }
};

inline ImageRect ImageRectOf(const Rect& r) {
    return {r.left, r.top, r.Width(), r.Height()};
}

class WindowChanges {
  public:
    void ImageChanged(const ImageRect& rect);
    void ImagePartsChanged(const ImageParts& parts);
    // The whole picture was copied meanwhile: no part of it is waiting any more. Called
    // under the image lock, so a part drawn after that copy is recorded after this call.
    void ImageCopied();
    void ActivityToggled(bool replyArrived);
    void ActivityCleared();
    void DialMoved(float bearingDegrees);
    void ShotReadoutsChanged();
    void StatusBox(std::string_view text, PaletteColour textColour, PaletteColour fill,
                   PaletteColour frame);
    void GridLabelChanged();
    void DateTime(std::string_view text);
    void MeasureLineChanged();
    void MeasureReadoutsChanged();
    void MagnifierChanged();

    // Everything recorded since the last call; the record starts empty again.
    WindowChangeSet Take();

  private:
    void AddImagePart(const ImageRect& rect);  // under the lock

    std::mutex mutex_;
    WindowChangeSet pending_;
};

}  // namespace tarvisk
