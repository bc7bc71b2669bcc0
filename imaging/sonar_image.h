#pragma once
// SonarImage: 596 x 506 palette indexes, rows top-down, shown at window (3, 3). Bit 7 of a
// pixel marks a grid pixel whose low bits still hold the echo level under it.
//
// Locking: every routine that reads or writes the pixels from more than one thread holds
// Mutex() while it does (the fan, the grid, the window's copy). DrawBusy is the older, coarser
// rule kept on top of it: redraws set it, and the fan waits for it before showing a fan.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "settings/shared_value.h"
#include "imaging/shot_hooks.h"

namespace tarvisk {

inline constexpr uint8_t GridFlagBit = 0x80;
inline constexpr uint8_t GridPixelMax = 245;
inline constexpr int32_t ImagePixelCount = ImageWidth * ImageHeight;

// The window point of image pixel (0, 0).
inline constexpr int32_t ImageWindowLeft = 3;
inline constexpr int32_t ImageWindowTop = 3;

struct SonarImage {
    std::array<uint8_t, ImagePixelCount> pixels{};
    SharedInt DrawBusy{0};

    uint8_t& At(int32_t x, int32_t y) { return pixels[size_t(y) * ImageWidth + size_t(x)]; }
    uint8_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * ImageWidth + size_t(x)]; }
    uint8_t* Row(int32_t y) { return pixels.data() + size_t(y) * ImageWidth; }
    const uint8_t* Row(int32_t y) const { return pixels.data() + size_t(y) * ImageWidth; }
    std::mutex& Mutex() const { return mutex_; }

  private:
    mutable std::mutex mutex_;
};

inline bool InsideImage(int32_t x, int32_t y) {
    return x >= 0 && x < ImageWidth && y >= 0 && y < ImageHeight;
}

// A grid pixel: below 128 gains the bit (at most 245); 128 and above stay.
inline uint8_t WithGridBit(uint8_t v) {
    if (v >= GridFlagBit)
        return v;
    int s = v + GridFlagBit;
    return uint8_t(s > GridPixelMax ? GridPixelMax : s);
}
inline uint8_t WithoutGridBit(uint8_t v) {
    return v >= GridFlagBit ? uint8_t(v - GridFlagBit) : v;
}

// The value an echo drawing stores over a pixel: it keeps the grid bit of the pixel it
// replaces while the grid is on.
inline uint8_t KeepGrid(int32_t value, uint8_t old, bool grid) {
    if (grid && old >= GridFlagBit) {
        int s = value + GridFlagBit;
        return uint8_t(s > GridPixelMax ? GridPixelMax : s);
    }
    return uint8_t(value);
}

// Sets every pixel to 0. The caller holds the image lock when other threads may draw.
void ClearImage(SonarImage& image);

// Busy-waits until no redraw is rewriting the image.
inline void WaitDrawIdle(const SonarImage& image) {
    while (image.DrawBusy.Get())
        std::this_thread::yield();
}

// Grows a rectangle to take in one pixel; an empty rectangle has width 0.
inline void IncludePixel(ImageRect& rect, int32_t x, int32_t y) {
    if (rect.width == 0) {
        rect = ImageRect{x, y, 1, 1};
        return;
    }
    if (x < rect.x) {
        rect.width += rect.x - x;
        rect.x = x;
    } else if (x >= rect.x + rect.width) {
        rect.width = x - rect.x + 1;
    }
    if (y < rect.y) {
        rect.height += rect.y - y;
        rect.y = y;
    } else if (y >= rect.y + rect.height) {
        rect.height = y - rect.y + 1;
    }
}

inline constexpr ImageRect EmptyRect{0, 0, 0, 0};

}  // namespace tarvisk
