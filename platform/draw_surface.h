#pragma once
// The window's drawing surface as the rest of the program sees it: a pixel area addressed in
// client coordinates, colours named by palette entry, GDI-style rectangles (right and bottom
// exclusive). Any thread may draw, one at a time, while holding Mutex(); a caller that has
// finished a group of drawings asks for a repaint of the area it touched.

#include <array>
#include <cstdint>
#include <mutex>
#include <string_view>

namespace tarvisk {

using PaletteColour = int32_t;
// Pure white is not a palette entry; panel texts use it.
inline constexpr PaletteColour WhiteColour = 256;
inline constexpr PaletteColour NoColour = -1;  // "hollow" pen or brush

// Fixed panel and overlay entries of the palette.
inline constexpr PaletteColour PanelGreen = 119;
inline constexpr PaletteColour PanelYellowGreen = 120;
inline constexpr PaletteColour PanelDarkGrey = 121;
inline constexpr PaletteColour PanelMidGrey = 122;
inline constexpr PaletteColour PanelLightGrey = 123;
inline constexpr PaletteColour PanelStatusFill = 124;
inline constexpr PaletteColour PanelBlack = 125;
inline constexpr PaletteColour PanelBrightRed = 127;

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The three faces the window draws text in.
enum class TextFont {
    Default,  // the window's default (fixed-pitch) font: panel labels and readouts
    System,   // the variable-pitch system font: user text, grid label, small captions
    Gui,      // the default GUI font: the "(Auto)" tag
};

using PaletteTable = std::array<uint32_t, 256>;  // 0x00RRGGBB per entry

class DrawSurface {
  public:
    virtual ~DrawSurface() = default;

    // Held around every group of drawings; recursive so that one routine may call another.
    virtual std::recursive_mutex& Mutex() = 0;
    virtual Size ClientSize() const = 0;

    // Rectangle: outline one pixel wide in `pen`, inside filled with `fill` (either may be
    // NoColour). Ellipse and Pie are bounded by the rectangle; the pie runs counter-clockwise
    // from the radial through `start` to the radial through `end`.
    virtual void FillRect(const Rect& r, PaletteColour fill) = 0;
    virtual void DrawRect(const Rect& r, PaletteColour pen, PaletteColour fill) = 0;
    virtual void DrawEllipse(const Rect& r, PaletteColour pen, PaletteColour fill) = 0;
    virtual void DrawPie(const Rect& r, Point start, Point end, PaletteColour pen,
                         PaletteColour fill) = 0;
    virtual void DrawLine(Point from, Point to, PaletteColour pen) = 0;
    virtual void DrawPolygon(const Point* points, int32_t count, PaletteColour pen,
                             PaletteColour fill) = 0;
    virtual void SetPixel(Point p, PaletteColour colour) = 0;

    // Text with a transparent background, top-left at (x, y); optionally clipped.
    virtual void DrawText(int32_t x, int32_t y, std::string_view text, PaletteColour colour,
                          TextFont font, const Rect* clip = nullptr) = 0;
    virtual Size TextExtent(std::string_view text, TextFont font) const = 0;

    // An 8-bit palette-index image, rows top-down, resolved through the current palette.
    virtual void DrawIndexedImage(Point topLeft, const uint8_t* pixels, int32_t width,
                                  int32_t height, int32_t stride) = 0;
    // Copies an area of the surface onto another, scaled (the magnifier).
    virtual void StretchCopy(const Rect& source, const Rect& target) = 0;
    // The program's logo artwork stretched into `target`.
    virtual void DrawLogo(const Rect& target) = 0;

    virtual void SetPalette(const PaletteTable& palette) = 0;
    virtual uint32_t PaletteRgb(PaletteColour colour) const = 0;

    // Safe from any thread; repaints are coalesced by the window.
    virtual void RequestRepaint(const Rect& area) = 0;
};

}  // namespace tarvisk
