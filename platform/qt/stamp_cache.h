#pragma once
// Small shapes and text runs drawn once with QPainter and kept as the pixels they set, so that
// drawing them again (the dial's markers and the activity mark on every shot, the readouts and
// the clock) is a copy instead of a painter, a text layout and their allocations. Aliased
// drawing at whole-pixel positions sets the same pixels wherever it is placed, so a stamp is
// keyed by what is drawn, not where.

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/draw_surface.h"

namespace tarvisk {

// The pixels one drawing set, relative to the point it was drawn at.
struct Stamp {
    int32_t left = 0, top = 0;  // the mask's corner, from the drawing's origin
    int32_t width = 0, height = 0;
    // Per pixel: 0 untouched, 1 the pen's colour, 2 the fill's.
    std::vector<uint8_t> mask;
    Size extent{0, 0};  // text: its advance and line height, as the font's metrics give them
};

class StampCache {
  public:
    // Ellipses whose box is larger than this are drawn by the painter each time.
    static constexpr int32_t MaxEllipseSide = 32;
    static constexpr size_t MaxTextLength = 64;

    // The stamp of QPainter::drawEllipse over a box of `width` x `height` with or without
    // its pen and its brush.
    const Stamp* Ellipse(int32_t width, int32_t height, bool pen, bool fill);
    // The stamp of `text` drawn with `font` at the origin (its top, not its baseline, as the
    // framebuffer places text); nullptr for text too long to keep. `fontKey` tells the fonts
    // apart.
    const Stamp* Text(std::string_view text, const QFont& font, const QFontMetrics& metrics,
                      int32_t fontKey);

  private:
    struct EllipseEntry {
        int32_t width = 0, height = 0;
        bool pen = false, fill = false;
        Stamp stamp;
    };
    struct TextEntry {
        int32_t fontKey = -1;
        std::array<char, MaxTextLength> text{};
        size_t length = 0;
        uint64_t lastUse = 0;
        Stamp stamp;
    };
    static constexpr size_t TextEntries = 96;

    // Reads back what a painter set in the scratch image's area `box` into `stamp`.
    void ReadBack(const QRect& box, int32_t originX, int32_t originY, Stamp& stamp);
    QImage& Scratch(int32_t width, int32_t height);

    std::vector<EllipseEntry> ellipses_;
    std::array<TextEntry, TextEntries> texts_{};
    uint64_t useClock_ = 0;
    QImage scratch_;
};

}  // namespace tarvisk
