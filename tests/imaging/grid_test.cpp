#include <gtest/gtest.h>

#include <set>

#include "imaging/grid.h"
#include "imaging_fixture.h"

namespace tarvisk {
namespace {

std::set<int> GridColumnsOnRow(const SonarImage& image, int y) {
    std::set<int> columns;
    for (int x = 0; x < ImageWidth; ++x)
        if (image.At(x, y) >= GridFlagBit)
            columns.insert(x);
    return columns;
}
std::set<int> GridRowsOnColumn(const SonarImage& image, int x) {
    std::set<int> rows;
    for (int y = 0; y < ImageHeight; ++y)
        if (image.At(x, y) >= GridFlagBit)
            rows.insert(y);
    return rows;
}
int GridPixelCount(const SonarImage& image) {
    int n = 0;
    for (uint8_t p : image.pixels)
        n += p >= GridFlagBit;
    return n;
}

struct GridFixture : ::testing::Test {
    SonarSettings settings;
    SonarImage image;
    void Mode(int32_t mode) { ApplyDisplayMode(settings, mode); }
};

TEST_F(GridFixture, SectorRingsFollowTheSoundVelocity) {
    Mode(Sector);
    // Row 505 is the rings' centre row: the rings cross it at GX +- n x spacing.
    DrawGridPixels(settings, image);
    EXPECT_EQ(GridColumnsOnRow(image, 505), (std::set<int>{97, 197, 297, 397, 497}));
    EXPECT_EQ(GridColumnsOnRow(image, 504).size(), size_t(ImageWidth));   // baseline
    EXPECT_EQ(GridRowsOnColumn(image, 297).size(), size_t(ImageHeight));  // centre line
    // The fifth ring (radius 500) reaches the top rows.
    EXPECT_GE(image.At(297 + 13, 5) | image.At(297 + 13, 6), GridFlagBit);

    // 1400 m/s: spacing 107.14; four rings fit below 510 (the fifth would be 535.7).
    ClearImage(image);
    settings.SoundVelocityMeters = 1400.0f;
    EXPECT_NEAR(GridSpacing(Sector, Metres, 1400.0f), 107.142857f, 1e-4);
    DrawGridPixels(settings, image);
    EXPECT_EQ(GridColumnsOnRow(image, 505), (std::set<int>{83, 190, 297, 404, 511}));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < ImageWidth; ++x)
            if (x != 297) {
                EXPECT_LT(image.At(x, y), GridFlagBit) << x << "," << y;
            }
}

TEST_F(GridFixture, PolarRingsInFeet) {
    Mode(Polar);
    settings.Units = Feet;
    EXPECT_NEAR(GridSpacing(Polar, Feet, 1500.0f), 45.72f, 1e-4);
    DrawGridPixels(settings, image);
    // Five rings up to 228.6 pixels around (297, 252); row 253 is the full centre row.
    EXPECT_EQ(GridColumnsOnRow(image, 252),
              (std::set<int>{68, 114, 160, 206, 251, 297, 343, 388, 434, 480, 526}));
    EXPECT_EQ(GridColumnsOnRow(image, 253).size(), size_t(ImageWidth));
}

TEST_F(GridFixture, ProfileGridLines) {
    Mode(Sector);
    settings.ProfileGrid = 1;
    settings.ZeroDown = 1;
    DrawGridPixels(settings, image);
    // Dotted rows every 100 pixels up from the baseline, every second column.
    for (int row : {404, 304, 204, 104, 4}) {
        EXPECT_GE(image.At(0, row), GridFlagBit) << row;
        EXPECT_LT(image.At(1, row), GridFlagBit) << row;
    }
    EXPECT_EQ(GridColumnsOnRow(image, 504).size(), size_t(ImageWidth));
    // Dotted columns at GX +- 100 n inside the image, every second row.
    for (int column : {97, 197, 397, 497}) {
        EXPECT_GE(image.At(column, 10), GridFlagBit) << column;
        EXPECT_LT(image.At(column, 11), GridFlagBit) << column;
    }

    // Zero up (hanging view): baseline row 1 and rows 101 .. 501 downwards.
    ClearImage(image);
    settings.ZeroDown = 0;
    DrawGridPixels(settings, image);
    EXPECT_EQ(GridColumnsOnRow(image, 1).size(), size_t(ImageWidth));
    for (int row : {101, 201, 301, 401, 501})
        EXPECT_GE(image.At(0, row), GridFlagBit) << row;
    EXPECT_LT(image.At(0, 404), GridFlagBit);

    // Polar profile grid: rows 253 +- 50 n, columns 297 +- 50 n.
    ClearImage(image);
    Mode(Polar);
    DrawGridPixels(settings, image);
    for (int row : {203, 153, 3, 303, 503})
        EXPECT_GE(image.At(0, row), GridFlagBit) << row;
    for (int column : {247, 47, 347, 547})
        EXPECT_GE(image.At(column, 0), GridFlagBit);
}

TEST_F(GridFixture, SideScanTrackAndRangeColumns) {
    Mode(SS);
    settings.SSChannel = PortChannel;
    DrawGridPixels(settings, image);
    const std::set<int> port = GridColumnsOnRow(image, 8);  // a gap row of the track
    EXPECT_EQ(port, (std::set<int>{95, 195, 295, 395, 495}));
    EXPECT_EQ(GridColumnsOnRow(image, 0).count(595), 1u);
    EXPECT_EQ(GridRowsOnColumn(image, 595).size(), size_t(ImageHeight / 16 * 8 + 8));

    ClearImage(image);
    settings.SSChannel = StbdChannel;
    DrawGridPixels(settings, image);
    EXPECT_EQ(GridColumnsOnRow(image, 8), (std::set<int>{195, 295, 395, 495, 595}));
    EXPECT_EQ(GridColumnsOnRow(image, 0).count(95), 1u);
}

TEST_F(GridFixture, SwitchingOffRestoresTheEchoesUnderneath) {
    for (int32_t mode : {Sector, Polar, SS}) {
        Mode(mode);
        for (size_t k = 0; k < image.pixels.size(); ++k)
            image.pixels[k] = uint8_t(k % 108);
        image.At(297, 100) = 120;  // not an echo level: 120 + 128 is limited to 245
        const auto before = image.pixels;
        settings.Grid = 1;
        DrawGridPixels(settings, image);
        EXPECT_GT(GridPixelCount(image), 1000);
        if (mode != SS) {
            EXPECT_EQ(image.At(297, 100), 245);
        }
        settings.Grid = 0;
        DrawGridPixels(settings, image);
        EXPECT_EQ(GridPixelCount(image), 0) << mode;
        for (size_t k = 0; k < image.pixels.size(); ++k) {
            const uint8_t expected = before[k] == 120 && mode != SS ? 117 : before[k];
            ASSERT_EQ(image.pixels[k], expected) << "mode " << mode << " pixel " << k;
        }
    }
}

TEST(SectorLimits, NinetyDegreesAhead) {
    SonarSettings s;
    ApplyDisplayMode(s, Sector);
    s.SectorSize = 90;
    s.Train = 0;
    SectorLimits limits = ComputeSectorLimits(s);
    EXPECT_EQ(limits.first, 450);
    EXPECT_EQ(limits.second, 750);
    EXPECT_FLOAT_EQ(limits.lowAngle, -45.0f);
    EXPECT_EQ(limits.startIndex, 45);
    // A train above 180 counts as negative; the hanging view mirrors and swaps the limits.
    s.Train = 300;
    limits = ComputeSectorLimits(s);
    EXPECT_EQ(limits.first, int(float(75.0f) * 3.3333333f));
    s.Train = 0;
    s.ProfileGrid = 1;
    s.ZeroDown = 0;
    limits = ComputeSectorLimits(s);
    EXPECT_EQ(limits.first, 450);
    EXPECT_EQ(limits.second, 750);
    // A full circle spans -180..180.
    s.ProfileGrid = 0;
    s.SectorSize = 360;
    limits = ComputeSectorLimits(s);
    EXPECT_EQ(limits.first, 0);
}

}  // namespace
}  // namespace tarvisk
