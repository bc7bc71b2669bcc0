// The parts the window tells of shots and mode switches: every attached part hears each call
// once, a detached one no more, and a full set refuses a part rather than dropping another.
#include "ui/window_part.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvisk {
namespace {

struct ShotCounter final : WindowPart {
    int64_t last = 0;
    int32_t calls = 0;
    void OnShot(int64_t shots) override {
        last = shots;
        ++calls;
    }
};

TEST(WindowParts, AttachedPartsHearEachShotOnceUntilDetached) {
    WindowParts parts;
    ShotCounter a, b;
    ASSERT_TRUE(parts.Attach(&a));
    ASSERT_TRUE(parts.Attach(&b));
    parts.ForEach([](WindowPart& p) { p.OnShot(7); });
    EXPECT_EQ(a.calls, 1);
    EXPECT_EQ(b.last, 7);

    parts.Detach(&a);
    parts.ForEach([](WindowPart& p) { p.OnShot(8); });
    EXPECT_EQ(a.calls, 1);
    EXPECT_EQ(b.calls, 2);

    // The freed slot takes a new part; beyond the capacity Attach says no.
    std::vector<ShotCounter> more(WindowParts::Capacity);
    size_t attached = 0;
    for (ShotCounter& c : more)
        attached += parts.Attach(&c) ? 1 : 0;
    EXPECT_EQ(attached, WindowParts::Capacity - 1);
    parts.ForEach([](WindowPart& p) { p.OnShot(9); });
    EXPECT_EQ(b.calls, 3);
    EXPECT_EQ(more.back().calls, 0);
}

}  // namespace
}  // namespace tarvisk
