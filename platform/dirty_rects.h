#pragma once
// The areas of the window waiting to be shown, kept as a few separate rectangles: a mark in the
// panel and a fan in the picture stay two small copies instead of one that spans the window.
// Fixed size, nothing allocated.

#include <array>
#include <cstddef>

#include "platform/draw_surface.h"

namespace tarvisk {

class DirtyRects {
  public:
    static constexpr size_t Capacity = 8;

    // Adds `area` (an empty one adds nothing). Rectangles that overlap become one, and so do
    // rectangles that touch where their union is hardly larger than the two; when all places
    // are taken the area joins the rectangle it enlarges least.
    void Add(const Rect& area);
    void Clear() { count_ = 0; }
    bool Empty() const { return count_ == 0; }
    size_t Count() const { return count_; }
    const Rect& operator[](size_t i) const { return rects_[i]; }
    const Rect* begin() const { return rects_.data(); }
    const Rect* end() const { return rects_.data() + count_; }

  private:
    void RemoveAt(size_t i);

    std::array<Rect, Capacity> rects_{};
    size_t count_ = 0;
};

}  // namespace tarvisk
