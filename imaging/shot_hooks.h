#pragma once
// What the shot pipeline and the drawings ask of the parts above them (recorder, player,
// window, panel, measurement cursor, magnifier). Every call has a do-nothing default so that
// a test or a headless run needs none of them. None of these is called with the image lock
// held, so an implementation may lock the image to read its pixels.

#include <array>
#include <chrono>
#include <cstdint>
#include <thread>

namespace tarvisk {

inline constexpr int32_t ImageWidth = 596;
inline constexpr int32_t ImageHeight = 506;

// A rectangle of SonarImage pixels (image coordinates, top-left origin).
struct ImageRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = ImageWidth;
    int32_t height = ImageHeight;
    bool operator==(const ImageRect&) const = default;
};

inline constexpr ImageRect WholeImage{};

// A changed area told as a few rectangles inside its box, for an area whose box is mostly
// pixels that did not change (a diagonal fan).
struct ImageParts {
    static constexpr int32_t Capacity = 4;
    std::array<ImageRect, Capacity> rects{};
    int32_t count = 0;
    ImageRect bounds{0, 0, 0, 0};
};

// The window shows SonarImage; called after each fan, side-scan line, point and redraw with
// the part that changed (the whole image for redraws).
class ImageViewHook {
  public:
    virtual ~ImageViewHook() = default;
    virtual void CopyImageToWindow(const ImageRect& /*changed*/) {}
    // A view that copies rectangles one by one may take the parts; the box does as well.
    virtual void CopyImagePartsToWindow(const ImageParts& parts) {
        CopyImageToWindow(parts.bounds);
    }
};

// The recorder and the player.
class ShotRecorderHook {
  public:
    virtual ~ShotRecorderHook() = default;
    // Live operation, every accepted shot: write the record when recording is on and refresh
    // the window title's recording size. Does nothing when not recording.
    virtual void RecordShot() {}
    // Playback steps backwards (Reverse on and the last back-link not 0).
    virtual bool ReverseStepping() const { return false; }
    // Playback with a file open (the profile-point list then survives an image clear).
    virtual bool PlaybackFileOpen() const { return false; }
    // Playback, every accepted shot: bring the panel in line with the record (date/time and the
    // orientation window's count, frequency, GPS, user text, azimuth window).
    virtual void RefreshFromRecord() {}
    // Playback: the sound velocity stored in the record being played; 0 when none.
    virtual float FileSoundVelocity() const { return 0.0f; }
    // Playback, last step of every shot: the plot-speed pause.
    virtual void PlotSpeedPause() {}
};

// The status panel, its dial and the diagnostics windows.
class PanelHook {
  public:
    virtual ~PanelHook() = default;
    virtual void RefreshDiagnostics() {}
    virtual void AdvanceActivityBlinker(bool /*replyArrived*/) {}
    // Readouts that follow each reply (position, range, shot counters...).
    virtual void RefreshShotReadouts() {}
    virtual void DrawDialMarkers() {}
    // Refreshes the orientation window when it is shown.
    virtual void RefreshOrientationWindow() {}
    // Clears the status message line under the image (background colour).
    virtual void ClearStatusMessage() {}
    virtual void DrawGridLabel() {}
    // Around each shot's processing: what it changes on the window is shown together, once
    // it is all drawn.
    virtual void ShotStarted() {}
    virtual void ShotFinished() {}
};

// The measurement cursor.
class MeasurementHook {
  public:
    virtual ~MeasurementHook() = default;
    // After each drawn shot: when the cursor is on, wait until its drawing is idle and redraw
    // the line to its last target point.
    virtual void RedrawAfterShot() {}
    virtual void RefreshReadouts() {}
};

// The magnifier; called after each shot while PixelZoom is on. The window skips it while the
// zoom is frozen or a menu is open.
class MagnifierHook {
  public:
    virtual ~MagnifierHook() = default;
    virtual void RefreshMagnifier() {}
};

// What goes into a profile record besides the shot itself.
struct ProfileContext {
    std::array<char, 40> TimeStamp{};
    std::array<char, 30> GpsPosition{};
    int32_t GpsAltitude = 0;
    float Pitch = 0.0f;
    float Roll = 0.0f;
    float Heading = 0.0f;
};

class ProfileContextHook {
  public:
    virtual ~ProfileContextHook() = default;
    virtual void FillProfileContext(ProfileContext& /*context*/) {}
};

// The waits of the pipeline (after a bad reply and after a "T" reply).
class DelayHook {
  public:
    virtual ~DelayHook() = default;
    virtual void WaitMilliseconds(int32_t ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

// The hooks one pipeline uses; any left unset does nothing.
struct ShotHooks {
    ShotRecorderHook* recorder = nullptr;
    ImageViewHook* view = nullptr;
    PanelHook* panel = nullptr;
    MeasurementHook* measurement = nullptr;
    MagnifierHook* magnifier = nullptr;
    ProfileContextHook* profileContext = nullptr;
    DelayHook* delay = nullptr;
};

}  // namespace tarvisk
