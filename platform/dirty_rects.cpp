#include "platform/dirty_rects.h"

#include <algorithm>
#include <cstdint>

namespace tarvisk {

namespace {
// A few pixels more than the two parts is cheaper than a second copy; a diagonal fan's bands
// joined into their box would be mostly pixels nobody drew.
constexpr int64_t JoinSlackPixels = 256;

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool Touch(const Rect& a, const Rect& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}
Rect Union(const Rect& a, const Rect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}
int64_t Area(const Rect& r) {
    return int64_t{r.Width()} * int64_t{r.Height()};
}
bool Join(const Rect& a, const Rect& b) {
    return Overlap(a, b) ||
           (Touch(a, b) && Area(Union(a, b)) <= Area(a) + Area(b) + JoinSlackPixels);
}
}  // namespace

void DirtyRects::RemoveAt(size_t i) {
    rects_[i] = rects_[count_ - 1];
    --count_;
}

void DirtyRects::Add(const Rect& area) {
    if (area.Width() <= 0 || area.Height() <= 0)
        return;
    Rect grown = area;
    // A union may reach rectangles that neither part reached: merge until nothing joins.
    for (size_t i = 0; i < count_;) {
        if (Join(rects_[i], grown)) {
            grown = Union(rects_[i], grown);
            RemoveAt(i);
            i = 0;
        } else {
            ++i;
        }
    }
    if (count_ < Capacity) {
        rects_[count_++] = grown;
        return;
    }
    size_t best = 0;
    int64_t bestGrowth = INT64_MAX;
    for (size_t i = 0; i < count_; ++i) {
        const int64_t growth = Area(Union(rects_[i], grown)) - Area(rects_[i]);
        if (growth < bestGrowth) {
            bestGrowth = growth;
            best = i;
        }
    }
    grown = Union(rects_[best], grown);
    RemoveAt(best);
    Add(grown);
}

}  // namespace tarvisk
