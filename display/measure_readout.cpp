#include "display/measure_readout.h"

#include <algorithm>
#include <mutex>

namespace tarvisk {
namespace {

constexpr int32_t ReadoutTop = 512;
constexpr int32_t TextInset = 4;
constexpr int32_t RevGreyTable = 4;
constexpr int32_t TargetArmFrom = 2;
constexpr int32_t TargetArmTo = 6;
constexpr int32_t OriginArmTo = 9;

// The marks stay one pixel inside the image frame.
constexpr Rect MarkClip{3, 3, 599, 509};

void Pixel(DrawSurface& s, int32_t x, int32_t y, PaletteColour c) {
    if (MarkClip.Contains({x, y}))
        s.SetPixel({x, y}, c);
}

// A run of pixels along one arm with its one-pixel outline on every side.
void OutlinedArm(DrawSurface& s, Point c, int32_t dx, int32_t dy, int32_t from, int32_t to) {
    for (int32_t i = from - 1; i <= to + 1; ++i)
        for (int32_t w = -1; w <= 1; ++w)
            Pixel(s, c.x + dx * i + dy * w, c.y + dy * i + dx * w, PanelBlack);
}

void ArmLine(DrawSurface& s, Point c, int32_t dx, int32_t dy, int32_t from, int32_t to) {
    for (int32_t i = from; i <= to; ++i)
        Pixel(s, c.x + dx * i, c.y + dy * i, PanelLightGrey);
}

constexpr int32_t Arms[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

}  // namespace

Rect MeasureReadoutBox(const PanelLayout& layout) {
    const int32_t bottom =
        std::min(ReadoutTop + 3 * layout.metrics.SystemLineHeight + 5, layout.client.height);
    return {layout.logoBackground.left, ReadoutTop, layout.logoBackground.right, bottom};
}

void DrawMeasureReadoutBox(DrawSurface& surface, const PanelLayout& layout,
                           const MeasureReadouts* readouts) {
    const Rect box = MeasureReadoutBox(layout);
    std::lock_guard lock(surface.Mutex());
    if (!readouts) {
        surface.FillRect(box, PanelDarkGrey);
        surface.FillRect(layout.logoBackground, PanelDarkGrey);
        surface.DrawLogo(layout.logo);
        surface.RequestRepaint(box);
        return;
    }
    surface.DrawRect(box, PanelBlack, PanelMidGrey);
    const Rect clip{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
    const int32_t x = box.left + TextInset;
    const int32_t valueX = x + surface.TextExtent("Diff: ", TextFont::System).width;
    for (size_t i = 0; i < readouts->lines.size(); ++i) {
        const MeasureReadoutLine& line = readouts->lines[i];
        const int32_t y = box.top + 2 + int32_t(i) * layout.metrics.SystemLineHeight;
        if (line.label[0] != '\0') {
            surface.DrawText(x, y, line.label.data(), PanelBlack, TextFont::System, &clip);
            surface.DrawText(valueX, y, line.text.data(), PanelBlack, TextFont::System, &clip);
        } else {
            surface.DrawText(x, y, line.text.data(), PanelBlack, TextFont::System, &clip);
        }
    }
    surface.RequestRepaint(box);
}

PaletteColour MeasureLineColour(int32_t colourTable) {
    return colourTable == RevGreyTable ? PanelBlack : PanelLightGrey;
}

void DrawMeasureLinePixels(DrawSurface& surface, Point from, Point to, PaletteColour colour) {
    surface.DrawLine(from, to, colour);
}

void DrawMeasureMarkPixels(DrawSurface& s, Point origin, Point target) {
    for (const auto& a : Arms)
        OutlinedArm(s, target, a[0], a[1], TargetArmFrom, TargetArmTo);
    for (const auto& a : Arms)
        ArmLine(s, target, a[0], a[1], TargetArmFrom, TargetArmTo);
    for (const auto& a : Arms)
        OutlinedArm(s, origin, a[0], a[1], 0, OriginArmTo);
    for (const auto& a : Arms)
        ArmLine(s, origin, a[0], a[1], 0, OriginArmTo);
}

Rect MeasureOverlayBounds(Point origin, Point target) {
    const int32_t margin = OriginArmTo + 2;
    return {std::min(origin.x, target.x) - margin, std::min(origin.y, target.y) - margin,
            std::max(origin.x, target.x) + margin + 1, std::max(origin.y, target.y) + margin + 1};
}

}  // namespace tarvisk
