// The stretch behind the magnifier: whatever way a factor is taken, every target pixel is the
// source pixel at the same relative place, and nothing outside the target is touched.

#include <gtest/gtest.h>

#include "gui_support.h"
#include "platform/qt/framebuffer.h"

namespace tarvisk {
namespace {

constexpr Size Client{200, 120};

std::unique_ptr<Framebuffer> Speckled() {
    testing::App();
    auto surface = std::make_unique<Framebuffer>(Client);
    PaletteTable palette{};
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = uint32_t(i) * 0x010305u;
    surface->SetPalette(palette);
    for (int32_t y = 0; y < Client.height; ++y)
        for (int32_t x = 0; x < Client.width; ++x)
            surface->SetPixel({x, y}, PaletteColour((x * 7 + y * 13) % 251));
    return surface;
}

TEST(StretchCopy, EveryTargetPixelComesFromItsPlaceInTheSource) {
    struct Case {
        Rect source, target;
    };
    const std::vector<Case> cases{
        {{10, 10, 40, 40}, {100, 20, 160, 80}},    // doubled, as the magnifier does
        {{0, 0, 20, 20}, {120, 40, 180, 100}},     // three times
        {{5, 5, 35, 25}, {100, 10, 150, 60}},      // not a whole factor
        {{10, 10, 40, 40}, {180, 100, 240, 160}},  // doubled, partly off the image
    };
    for (const Case& c : cases) {
        auto surface = Speckled();
        const QImage before = surface->Snapshot();
        surface->StretchCopy(c.source, c.target);
        const QImage after = surface->Snapshot();
        for (int32_t y = 0; y < Client.height; ++y)
            for (int32_t x = 0; x < Client.width; ++x) {
                QRgb expected = before.pixel(x, y);
                if (c.target.Contains({x, y})) {
                    const int32_t sx =
                        c.source.left + (x - c.target.left) * c.source.Width() / c.target.Width();
                    const int32_t sy =
                        c.source.top + (y - c.target.top) * c.source.Height() / c.target.Height();
                    expected = before.pixel(sx, sy);
                }
                ASSERT_EQ(after.pixel(x, y), expected) << "at (" << x << ", " << y << "), target "
                                                       << c.target.left << "," << c.target.top;
            }
    }
}

}  // namespace
}  // namespace tarvisk
