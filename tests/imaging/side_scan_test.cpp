#include <gtest/gtest.h>

#include "imaging/grid.h"
#include "imaging/side_scan.h"
#include "imaging_fixture.h"

namespace tarvisk {
namespace {

struct SideScanFixture : ::testing::Test {
    SonarSettings settings;
    SonarImage image;
    EchoLineArray line{};
    void SetUp() override {
        ApplyDisplayMode(settings, SS);
        settings.Grid = 0;
    }
    void Line(uint8_t base) {
        for (size_t i = 0; i < line.size(); ++i)
            line[i] = uint8_t((base + i) % 200);
    }
};

TEST_F(SideScanFixture, PortLineRunsLeftFromTheRightEdge) {
    settings.SSChannel = PortChannel;
    for (int x = 0; x < ImageWidth; ++x)
        image.At(x, 0) = 77;
    Line(0);
    DrawSideScanPixels(settings, line, 499, false, image);
    EXPECT_EQ(image.At(595, 0), 0);    // sample 0
    EXPECT_EQ(image.At(594, 0), 1);    // sample 1
    EXPECT_EQ(image.At(97, 0), 98);    // sample 498
    EXPECT_EQ(image.At(445, 0), 107);  // sample 150, limited
    EXPECT_EQ(image.At(96, 0), 77);    // not written, not blanked
    for (int x = 0; x <= 95; ++x)
        EXPECT_EQ(image.At(x, 0), 0) << x;
    // The previous row 0 moved down one row, except the track column.
    EXPECT_EQ(image.At(594, 1), 77);
    EXPECT_EQ(image.At(595, 1), 0);
}

TEST_F(SideScanFixture, StarboardShortLineKeepsThePreviousLineBeyondIt) {
    settings.SSChannel = StbdChannel;
    Line(0);
    DrawSideScanPixels(settings, line, 499, false, image);
    Line(50);
    DrawSideScanPixels(settings, line, 250, false, image);
    EXPECT_EQ(image.At(95, 0), 50);
    EXPECT_EQ(image.At(344, 0), 99);  // sample 249
    for (int x = 0; x <= 94; ++x)
        EXPECT_EQ(image.At(x, 0), 0) << x;
    // Beyond sample 249 row 0 still holds the first line (copied down, not cleared).
    EXPECT_EQ(image.At(345, 0), std::min(250 % 200, 107));
    EXPECT_EQ(image.At(345, 1), image.At(345, 0));
}

TEST_F(SideScanFixture, SteppingBackwardsScrollsUp) {
    settings.SSChannel = PortChannel;
    for (uint8_t shot = 1; shot <= 3; ++shot) {
        line.fill(shot * 10);
        DrawSideScanPixels(settings, line, 499, true, image);
    }
    EXPECT_EQ(image.At(300, 505), 30);
    EXPECT_EQ(image.At(300, 504), 20);
    EXPECT_EQ(image.At(300, 503), 10);
    EXPECT_EQ(image.At(300, 502), 0);
    // Going forward again undoes the scroll.
    line.fill(40);
    DrawSideScanPixels(settings, line, 499, false, image);
    EXPECT_EQ(image.At(300, 505), 20);
    EXPECT_EQ(image.At(300, 0), 40);
}

TEST_F(SideScanFixture, GridDashesStayFixedWhileRangeColumnsScroll) {
    settings.SSChannel = PortChannel;
    settings.Grid = 1;
    DrawGridPixels(settings, image);
    line.fill(60);
    for (int shot = 0; shot < 5; ++shot)
        DrawSideScanPixels(settings, line, 499, false, image);
    for (int y = 0; y < ImageHeight; ++y) {
        const bool dash = (y & 8) == 0;
        EXPECT_EQ(image.At(595, y) >= GridFlagBit, dash) << y;
    }
    // A range column keeps its bit in the new line and in the rows scrolled down.
    EXPECT_EQ(image.At(495, 0), 60 + 128);
    EXPECT_EQ(image.At(495, 3), 60 + 128);
    EXPECT_EQ(image.At(496, 0), 60);
    // The blank columns keep only the grid bit.
    EXPECT_EQ(image.At(95, 0), 128);
    EXPECT_EQ(image.At(94, 0), 0);
}

}  // namespace
}  // namespace tarvisk
