#include <gtest/gtest.h>

#include "imaging/profile_points.h"
#include "imaging_fixture.h"

namespace tarvisk {
namespace {

struct ProfileFixture : ::testing::Test {
    SonarSettings settings;
    SonarImage image;
    ProfilePoints points;
    ShotRecord shot;
    void SetUp() override {
        ApplyDisplayMode(settings, Sector);
        settings.Grid = 0;
    }
    void Aim(int32_t position, float radians, int32_t index, int32_t direction = 1) {
        shot.HeadPosition = position;
        shot.HeadAngleRadians = radians;
        shot.ProfileSampleIndex = index;
        shot.DrawDirection = direction;
    }
};

TEST_F(ProfileFixture, PointsOnlyErasesAheadAcrossTheWrap) {
    // Old points at every position; the pass from 1195 clockwise visits 1195..1199 and 0..3.
    for (int p = 0; p < HeadPositionsPerTurn; ++p) {
        points.ProfilePointList[size_t(p)] = ImagePoint{p % 500 + 10, p / 500 + 10};
        image.At(p % 500 + 10, p / 500 + 10) = ProfilePointColour;
    }
    Aim(1195, 0.0f, 100);
    ASSERT_TRUE(DrawProfilePointOnlyPixels(settings, shot, points, image));
    for (int p : {1195, 1196, 1197, 1198, 1199, 0, 1, 2, 3})
        EXPECT_EQ(image.At(p % 500 + 10, p / 500 + 10), 0) << p;
    for (int p : {1194, 4, 600})
        EXPECT_EQ(image.At(p % 500 + 10, p / 500 + 10), 106) << p;
    // The new point: straight up from the apex, truncated.
    EXPECT_EQ(image.At(298, 405), ProfilePointColour);
    EXPECT_EQ(points.ProfilePointList[1195], (ImagePoint{298, 405}));

    // Counter-clockwise the pass runs backwards.
    image.At(20, 10) = 106;  // position 10
    points.ProfilePointList[10] = ImagePoint{20, 10};
    Aim(14, 0.0f, 100, 0);
    DrawProfilePointOnlyPixels(settings, shot, points, image);
    EXPECT_EQ(image.At(20, 10), 0);
}

TEST_F(ProfileFixture, PointsOnlyWithoutAPointStoresTheOrigin) {
    settings.Grid = 1;
    image.At(298, 505) = 128;
    Aim(600, 0.0f, 0);
    ASSERT_TRUE(DrawProfilePointOnlyPixels(settings, shot, points, image));
    EXPECT_EQ(image.At(298, 505), 128);
    EXPECT_EQ(points.ProfilePointList[600], (ImagePoint{298, 505}));
    // Over a grid pixel a point keeps the bit: 106 + 128.
    image.At(298, 455) = 130;
    Aim(601, 0.0f, 50);
    DrawProfilePointOnlyPixels(settings, shot, points, image);
    EXPECT_EQ(image.At(298, 455), 234);
    // Outside the image: nothing stored.
    Aim(602, 0.0f, 600);
    EXPECT_FALSE(DrawProfilePointOnlyPixels(settings, shot, points, image));
    EXPECT_EQ(points.ProfilePointList[602], ImagePoint{});
    // A decoded position of 1200 is position 0, not an index past the list.
    Aim(1200, 0.0f, 10);
    EXPECT_TRUE(DrawProfilePointOnlyPixels(settings, shot, points, image));
    EXPECT_EQ(points.ProfilePointList[0], (ImagePoint{298, 495}));
}

TEST_F(ProfileFixture, MixPointsShowFromTheNextShotForFiveShots) {
    Aim(600, 0.0f, 100);
    ASSERT_TRUE(DrawProfileMixPixels(settings, shot, points, image));
    EXPECT_EQ(image.At(298, 405), 0);  // not painted yet
    for (int k = 1; k <= 6; ++k) {
        image.At(298, 405) = 3;  // a later fan paints over it
        Aim(600 + k, 0.0f, 100 + k);
        DrawProfileMixPixels(settings, shot, points, image);
        EXPECT_EQ(image.At(298, 405), k <= 5 ? 106 : 3) << k;
    }
    // A shot without a point does nothing, not even the repaint.
    image.At(298, 404) = 3;
    Aim(610, 0.0f, 0);
    EXPECT_FALSE(DrawProfileMixPixels(settings, shot, points, image));
    EXPECT_EQ(image.At(298, 404), 3);
}

TEST_F(ProfileFixture, MixPointOnColumnZeroIsNeverRepainted) {
    // Straight left from the apex: x rounds to 0, y stays 505.
    Aim(600, -1.5707964f, 298);
    ASSERT_TRUE(DrawProfileMixPixels(settings, shot, points, image));
    EXPECT_EQ(points.MixPointRing[0].x, 0);
    Aim(601, 0.0f, 100);
    DrawProfileMixPixels(settings, shot, points, image);
    EXPECT_EQ(image.At(0, 505), 0);
}

TEST_F(ProfileFixture, DredgeLineRows) {
    settings.ProfileGrid = 1;
    settings.ProfileDredgeDepth = 10.0f;
    settings.ZeroDown = 1;
    EXPECT_EQ(DredgeLineRow(settings, 10.0f), 404);
    settings.ZeroDown = 0;
    EXPECT_EQ(DredgeLineRow(settings, 10.0f), 101);
    ApplyDisplayMode(settings, Polar);
    EXPECT_EQ(DredgeLineRow(settings, 10.0f), 256 + 50 - 3);
    settings.Units = Feet;  // 50 m shows 164 ft: 10 ft is 30.48 pixels in polar
    EXPECT_EQ(DredgeLineRow(settings, 10.0f), int(256.0f + 250.0f * 10.0f / 164.04199f - 3.0f));
}

TEST_F(ProfileFixture, DredgeLineDrawsMovesAndErasesOnce) {
    settings.ProfileGrid = 1;
    settings.ZeroDown = 1;
    settings.Grid = 1;
    for (int x = 0; x < ImageWidth; ++x)
        image.At(x, 0) = 55;  // the top row is not touched
    image.At(297, 404) = 128;
    settings.ProfileDredgeDepth = 10.0f;
    EXPECT_EQ(DrawDredgeLinePixels(settings, points, image), 1);
    EXPECT_EQ(image.At(10, 404), 88);
    EXPECT_EQ(image.At(297, 404), 216);
    EXPECT_EQ(image.At(10, 0), 55);

    settings.ProfileDredgeDepth = 20.0f;  // moves to 304, the old row is erased
    EXPECT_EQ(DrawDredgeLinePixels(settings, points, image), 2);
    EXPECT_EQ(image.At(10, 404), 0);
    EXPECT_EQ(image.At(297, 404), 128);
    EXPECT_EQ(image.At(10, 304), 88);

    settings.ProfileDredgeDepth = 0.0f;  // erased once, nothing new
    DrawDredgeLinePixels(settings, points, image);
    EXPECT_EQ(image.At(10, 304), 0);
    image.At(10, 304) = 9;
    image.At(10, 504) = 9;
    EXPECT_EQ(DrawDredgeLinePixels(settings, points, image), 0);
    EXPECT_EQ(image.At(10, 304), 9);
    EXPECT_EQ(image.At(10, 504), 9);

    // Not drawn in side scan or without the profile grid.
    settings.ProfileDredgeDepth = 5.0f;
    settings.ProfileGrid = 0;
    EXPECT_EQ(DrawDredgeLinePixels(settings, points, image), 0);
}

}  // namespace
}  // namespace tarvisk
