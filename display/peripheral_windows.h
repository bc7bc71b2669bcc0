#pragma once
// What the "Azimuth" and "Orientation" windows draw, over a plain drawing surface. The Qt
// views call these on every paint; tests call them on an offscreen surface.

#include <cstdint>
#include <string>

#include "head/head_link.h"
#include "head/orientation_module.h"
#include "platform/draw_surface.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

// "%5.1f Deg" of an angle in degrees.
std::string DegreesText(float degrees);

// Client size of the azimuth window's drawing and where its button goes below it.
inline constexpr Size AzimuthCanvasSize{150, 96};
inline constexpr Size OrientationCanvasSize{136, 104};

struct AzimuthWindowFacts {
    int32_t position = 600;   // reported (live) or recorded (playback) drive position
    bool inPosition = false;  // the reported position equals AzimuthAngle
    bool playback = false;
};
AzimuthWindowFacts AzimuthFacts(const SonarSettings& settings, const HeadLink& link);

// The dial with the needle at position × 0.3 − 180 degrees, clockwise from the top, and the
// angle text, white when the drive stands where commanded.
void DrawAzimuthWindow(DrawSurface& surface, const AzimuthWindowFacts& facts);

// Caption of the window's button: "Auto-Azimuth" while an automated scan positions the
// transducer, else "Change Azimuth".
const char* AzimuthButtonText(bool scanPositioning);

struct OrientationWindowFacts {
    bool stale = true;  // more than four requests unanswered: "n/a"
    float heading = 0.0f;
    float pitch = 0.0f;
    float roll = 0.0f;
};
OrientationWindowFacts OrientationFacts(const HeadLink& link, const OrientationModule& module);
void DrawOrientationWindow(DrawSurface& surface, const OrientationWindowFacts& facts);

// End of a needle of `length` pixels from `centre` at `degrees` clockwise from the top.
Point NeedleEnd(Point centre, float degrees, float length);

}  // namespace tarvisk
