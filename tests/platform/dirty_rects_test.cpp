#include "platform/dirty_rects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tarvisk {
namespace {

// In no particular order: sorted by their corner.
std::vector<Rect> Listed(const DirtyRects& d) {
    std::vector<Rect> rects(d.begin(), d.end());
    std::sort(rects.begin(), rects.end(), [](const Rect& a, const Rect& b) {
        return a.left != b.left ? a.left < b.left : a.top < b.top;
    });
    return rects;
}

TEST(DirtyRects, KeepsApartWhatIsApartAndJoinsWhatTouches) {
    DirtyRects d;
    d.Add({0, 0, 0, 10});  // empty: nothing to show
    EXPECT_TRUE(d.Empty());
    d.Add({10, 10, 20, 20});      // a fan in the picture
    d.Add({600, 300, 610, 310});  // a mark in the panel
    EXPECT_EQ(Listed(d), (std::vector<Rect>{{10, 10, 20, 20}, {600, 300, 610, 310}}));
    d.Add({20, 12, 30, 14});  // touches the fan's right edge
    EXPECT_EQ(Listed(d), (std::vector<Rect>{{10, 10, 30, 20}, {600, 300, 610, 310}}));
    // A bridge between the two joins all three, and what the union then reaches.
    d.Add({100, 100, 120, 120});
    d.Add({25, 15, 605, 305});
    EXPECT_EQ(Listed(d), (std::vector<Rect>{{10, 10, 610, 310}}));
    d.Clear();
    EXPECT_TRUE(d.Empty());
}

TEST(DirtyRects, BandsOfADiagonalFanStayApart) {
    // Touching, but their box would be twice the pixels drawn.
    DirtyRects d;
    d.Add({300, 250, 350, 300});
    d.Add({340, 200, 390, 250});
    d.Add({380, 150, 430, 200});
    EXPECT_EQ(d.Count(), 3u);
    // A band overlapping one of them joins it all the same.
    d.Add({345, 210, 360, 220});
    EXPECT_EQ(Listed(d), (std::vector<Rect>{
                             {300, 250, 350, 300}, {340, 200, 390, 250}, {380, 150, 430, 200}}));
}

TEST(DirtyRects, WhenFullANewAreaJoinsTheRectangleItEnlargesLeast) {
    DirtyRects d;
    for (int32_t i = 0; i < int32_t(DirtyRects::Capacity); ++i)
        d.Add({i * 100, 0, i * 100 + 10, 10});
    ASSERT_EQ(d.Count(), DirtyRects::Capacity);
    d.Add({312, 0, 316, 10});  // nearest to the one at 300
    ASSERT_EQ(d.Count(), DirtyRects::Capacity);
    int64_t covered = 0;
    bool joined = false;
    for (const Rect& r : d) {
        covered += int64_t{r.Width()} * r.Height();
        joined = joined || (r == Rect{300, 0, 316, 10});
    }
    EXPECT_TRUE(joined);
    EXPECT_EQ(covered, (DirtyRects::Capacity - 1) * 100 + 160);
}

}  // namespace
}  // namespace tarvisk
