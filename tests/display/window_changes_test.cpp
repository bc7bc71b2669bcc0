// What a frame draws after many shots were recorded between two frames.

#include <gtest/gtest.h>

#include <thread>

#include "display/window_changes.h"

namespace tarvisk {
namespace {

TEST(WindowChanges, AFrameSeesTheUnionOfImageChangesAndTheLastOfEachField) {
    WindowChanges c;
    c.ImageChanged({10, 20, 5, 5});
    c.ImageChanged({0, 0, 0, 0});  // an empty change adds nothing
    c.ImageChanged({100, 2, 10, 30});
    c.DialMoved(10.0f);
    c.DialMoved(33.0f);
    c.StatusBox("No Data at COM1", 1, 2, 3);
    c.StatusBox("", 4, 4, 4);
    c.DateTime("08-DEC-2026  16:04:05 and far more text than the field could ever hold");
    const WindowChangeSet s = c.Take();
    EXPECT_TRUE(s.image);
    EXPECT_EQ(s.ImageBounds(), (ImageRect{10, 2, 100, 30}));
    EXPECT_TRUE(s.dial);
    EXPECT_FLOAT_EQ(s.bearingDegrees, 33.0f);
    EXPECT_STREQ(s.status.text.data(), "");
    EXPECT_EQ(s.status.fill, 4);
    EXPECT_EQ(s.dateTimeText.back(), '\0');
    EXPECT_EQ(std::string(s.dateTimeText.data()).substr(0, 21), "08-DEC-2026  16:04:05");
    EXPECT_TRUE(c.Take().Empty()) << "a frame takes everything";
}

TEST(WindowChanges, AFansBandsStayPartsUntilTheWholePictureIsCopied) {
    WindowChanges c;
    ImageParts fan;
    fan.rects = {ImageRect{300, 200, 40, 30}, ImageRect{330, 170, 40, 30}};
    fan.count = 2;
    fan.bounds = {300, 170, 70, 60};
    c.ImagePartsChanged(fan);
    c.ImageChanged({0, 500, 10, 6});
    WindowChangeSet s = c.Take();
    EXPECT_TRUE(s.image);
    EXPECT_EQ(s.ImageBounds(), (ImageRect{0, 170, 370, 336}));
    ASSERT_EQ(s.imageParts.Count(), 3u);
    int64_t area = 0;
    for (const Rect& r : s.imageParts)
        area += int64_t{r.Width()} * r.Height();
    EXPECT_EQ(area, 40 * 30 * 2 + 60);
    c.ImagePartsChanged(fan);
    c.ImageCopied();
    s = c.Take();
    EXPECT_FALSE(s.image);
    EXPECT_TRUE(s.imageParts.Empty());
}

TEST(WindowChanges, BlinkerTogglesCountAndAClearDropsTheOnesBeforeIt) {
    WindowChanges c;
    c.ActivityToggled(true);
    c.ActivityToggled(true);
    c.ActivityCleared();
    c.ActivityToggled(false);
    const WindowChangeSet s = c.Take();
    EXPECT_TRUE(s.activityCleared);
    EXPECT_EQ(s.activityToggles, 1);
    EXPECT_FALSE(s.activityShown);
}

TEST(WindowChanges, RecordsFromAnotherThreadReachTheFrame) {
    WindowChanges c;
    int64_t toggles = 0;
    std::thread shots([&] {
        for (int i = 0; i < 20000; ++i) {
            c.ActivityToggled(true);
            c.ImageChanged({i % 500, 0, 1, 1});
        }
    });
    for (int i = 0; i < 200; ++i)
        toggles += c.Take().activityToggles;
    shots.join();
    toggles += c.Take().activityToggles;
    EXPECT_EQ(toggles, 20000) << "no toggle lost between frames";
}

}  // namespace
}  // namespace tarvisk
