#include "display/peripheral_windows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "head/azimuth_drive.h"

namespace tarvisk {

namespace {

constexpr float PiF = 3.141592654f;

void ShadowText(DrawSurface& s, int32_t x, int32_t y, std::string_view text, PaletteColour colour) {
    s.DrawText(x + 1, y + 1, text, PanelBlack, TextFont::System);
    s.DrawText(x, y, text, colour, TextFont::System);
}

void Background(DrawSurface& s, Size size) {
    s.DrawRect({0, 0, size.width, size.height}, PanelBlack, PanelMidGrey);
}

void Dial(DrawSurface& s, Point centre, int32_t radius, float degrees) {
    s.DrawEllipse(
        {centre.x - radius, centre.y - radius, centre.x + radius + 1, centre.y + radius + 1},
        PanelBlack, PanelDarkGrey);
    s.DrawLine(centre, NeedleEnd(centre, degrees, static_cast<float>(radius - 2)), WhiteColour);
}

}  // namespace

std::string DegreesText(float degrees) {
    char text[32];
    std::snprintf(text, sizeof text, "%5.1f Deg", static_cast<double>(degrees));
    return text;
}

Point NeedleEnd(Point centre, float degrees, float length) {
    const float r = degrees * PiF / 180.0f;
    return {centre.x + static_cast<int32_t>(std::lround(length * std::sin(r))),
            centre.y - static_cast<int32_t>(std::lround(length * std::cos(r)))};
}

AzimuthWindowFacts AzimuthFacts(const SonarSettings& settings, const HeadLink& link) {
    AzimuthWindowFacts f;
    f.position = link.ReportedAzimuthPosition;
    f.inPosition = f.position == settings.AzimuthAngle;
    f.playback = settings.RunMode == 1;
    return f;
}

void DrawAzimuthWindow(DrawSurface& s, const AzimuthWindowFacts& f) {
    std::lock_guard lock(s.Mutex());
    Background(s, AzimuthCanvasSize);
    const float bearing = static_cast<float>(f.position) * 0.3f - 180.0f;
    Dial(s, {40, 44}, 34, bearing);
    const PaletteColour colour = f.inPosition && !f.playback ? WhiteColour : PanelLightGrey;
    ShadowText(s, 80, 36, DegreesText(AzimuthDisplayDegrees(f.position)), colour);
    s.RequestRepaint({0, 0, AzimuthCanvasSize.width, AzimuthCanvasSize.height});
}

const char* AzimuthButtonText(bool scanPositioning) {
    return scanPositioning ? "Auto-Azimuth" : "Change Azimuth";
}

OrientationWindowFacts OrientationFacts(const HeadLink& link, const OrientationModule& m) {
    OrientationWindowFacts f;
    f.stale = OrientationValuesStale(link);
    f.heading = m.FilteredHeading;
    f.pitch = m.FilteredPitch;
    f.roll = m.FilteredRoll;
    return f;
}

void DrawOrientationWindow(DrawSurface& s, const OrientationWindowFacts& f) {
    std::lock_guard lock(s.Mutex());
    Background(s, OrientationCanvasSize);
    const Point centre{30, 22};
    Dial(s, centre, 14, f.stale ? 0.0f : f.heading);
    auto value = [&](float v) { return f.stale ? std::string("n/a") : DegreesText(v); };
    ShadowText(s, 52, 4, "Heading", WhiteColour);
    ShadowText(s, 52, 22, value(f.heading), WhiteColour);
    const int32_t top = 48;
    const std::string_view labels[2] = {"Pitch", "Roll"};
    const float values[2] = {f.pitch, f.roll};
    const int32_t centres[2] = {35, 94};
    for (int i = 0; i < 2; ++i) {
        const Size label = s.TextExtent(labels[i], TextFont::System);
        ShadowText(s, centres[i] - label.width / 2, top, labels[i], WhiteColour);
        const std::string text = value(values[i]);
        const Size ext = s.TextExtent(text, TextFont::System);
        const int32_t half = std::max(ext.width / 2 + 4, 28);
        const Rect box{centres[i] - half, top + label.height + 4, centres[i] + half,
                       top + label.height + 8 + ext.height};
        s.DrawRect(box, PanelBlack, PanelDarkGrey);
        ShadowText(s, centres[i] - ext.width / 2, box.top + 2, text, WhiteColour);
    }
    s.RequestRepaint({0, 0, OrientationCanvasSize.width, OrientationCanvasSize.height});
}

}  // namespace tarvisk
