#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "imaging/fan.h"
#include "imaging_fixture.h"
#include "reference_fan.h"

namespace tarvisk {
namespace {

using namespace tarvisk::testing;

EchoHistory PatternHistory(int seed) {
    EchoHistory h;
    for (size_t i = 0; i < EchoLineSize; ++i) {
        h.OldestLine[i] = uint8_t((i * 3 + size_t(seed)) % 108);
        h.MiddleLine[i] = uint8_t((i * 5 + size_t(seed) * 7) % 108);
        h.NewestLine[i] = uint8_t((i * 11 + 13) % 108);
    }
    return h;
}

TEST(FanWeights, MatchTheWrittenTablesAndSumTo200) {
    const FanWeights& w = FanWeightTables();
    auto check = [](const auto& table, const std::vector<Triple>& expected) {
        ASSERT_EQ(table.size(), expected.size());
        for (size_t j = 0; j < table.size(); ++j) {
            EXPECT_EQ(table[j].oldest, expected[j][0]) << j;
            EXPECT_EQ(table[j].middle, expected[j][1]) << j;
            EXPECT_EQ(table[j].newest, expected[j][2]) << j;
            EXPECT_EQ(table[j].oldest + table[j].middle + table[j].newest, 200) << j;
        }
    };
    check(w.seven, Seven);
    check(w.eleven, Eleven);
    check(w.twentyOne, TwentyOne);
    check(w.fortyOne, FortyOne());
}

// Every speed, both plan views, both directions, grid bits under the fan, several bearings:
// the drawing must agree pixel for pixel with the plain model.
TEST(DrawFan, AgreesWithThePlainModel) {
    const float bearings[] = {0.0f, 0.7f, -1.5707964f, 2.9f, -2.2f};
    for (int speed = 0; speed <= 4; ++speed)
        for (bool polar : {false, true})
            for (int direction : {0, 1})
                for (float bearing : bearings) {
                    FanParams p;
                    p.speed = speed;
                    p.polar = polar;
                    p.drawDirection = direction;
                    p.bearing = bearing;
                    p.grid = true;
                    p.hanging = speed == 2 && !polar;
                    const EchoHistory h = PatternHistory(speed * 3 + direction);
                    const int n = polar ? 250 : 499;
                    SonarImage drawn, model;
                    for (size_t k = 0; k < drawn.pixels.size(); k += 7) {
                        drawn.pixels[k] = 130;
                        model.pixels[k] = 130;
                    }
                    FanTable table;
                    DrawFanPixels(table, p, h, n, drawn);
                    ReferenceFan(p, h, n, model);
                    ASSERT_EQ(drawn.pixels, model.pixels)
                        << "speed " << speed << " polar " << polar << " direction " << direction
                        << " bearing " << bearing;
                }
}

TEST(DrawFan, UniformHistoryFillsOneStepBehindTheHead) {
    FanParams p;
    p.speed = 3;
    p.bearing = 0.0f;
    p.drawDirection = 1;
    EchoHistory h;
    h.OldestLine.fill(50);
    h.MiddleLine.fill(50);
    h.NewestLine.fill(50);
    SonarImage image;
    FanTable table;
    const ImageRect rect = DrawFanPixels(table, p, h, 499, image);
    int covered = 0;
    for (int y = 0; y < ImageHeight; ++y)
        for (int x = 0; x < ImageWidth; ++x) {
            const uint8_t v = image.At(x, y);
            if (v == 0)
                continue;
            ++covered;
            EXPECT_EQ(v, 50);
            // The fan is centred on -1.2 degrees: it lies left of the apex column.
            if (y < 400) {
                EXPECT_LE(x, 298);
            }
        }
    EXPECT_GT(covered, 2500);
    EXPECT_GE(rect.x + rect.width, 290);
    EXPECT_LE(rect.x + rect.width, 299);
    // The drawn rectangle holds every covered pixel.
    int outside = 0;
    for (int y = 0; y < ImageHeight; ++y)
        for (int x = 0; x < ImageWidth; ++x)
            if (image.At(x, y) &&
                (x < rect.x || x >= rect.x + rect.width || y < rect.y || y >= rect.y + rect.height))
                ++outside;
    EXPECT_EQ(outside, 0);
}

// The bands the window is told hold every pixel the fan drew, inside its box; a diagonal fan's
// bands are much smaller than the box.
TEST(DrawFan, BandsHoldEveryDrawnPixel) {
    // Level rays, and nearly level ones whose far points round into the next row.
    const float nearlyLevel[] = {1.5707964f, -1.5707964f, 1.5707963f, 1.5707960f,
                                 1.5702f,    1.5714f,     -1.5702f,   -1.5714f};
    EchoHistory h;
    h.OldestLine.fill(60);
    h.MiddleLine.fill(60);
    h.NewestLine.fill(60);
    for (int speed = 0; speed <= 4; speed += 2)
        for (bool polar : {false, true})
            for (bool hanging : {false, true})
                for (int k = 0; k < 48 + int(std::size(nearlyLevel)); ++k) {
                    FanParams p;
                    p.speed = speed;
                    p.polar = polar;
                    p.hanging = hanging && !polar;
                    p.drawDirection = k % 2;
                    p.bearing =
                        k < 48 ? -3.1415927f + 6.2831853f * float(k) / 48.0f : nearlyLevel[k - 48];
                    SonarImage image;
                    FanTable table;
                    ImageParts parts;
                    const int n = polar ? 253 : 499;
                    const ImageRect box = DrawFanPixels(table, p, h, n, image, &parts);
                    const std::string what = "speed " + std::to_string(speed) + " polar " +
                                             std::to_string(polar) + " hanging " +
                                             std::to_string(hanging) + " k " + std::to_string(k);
                    ASSERT_EQ(parts.bounds, box) << what;
                    ASSERT_GE(parts.count, 1) << what;
                    int64_t partArea = 0;
                    for (int32_t i = 0; i < parts.count; ++i) {
                        const ImageRect& r = parts.rects[size_t(i)];
                        partArea += int64_t{r.width} * r.height;
                        EXPECT_TRUE(r.x >= box.x && r.y >= box.y &&
                                    r.x + r.width <= box.x + box.width &&
                                    r.y + r.height <= box.y + box.height)
                            << what;
                    }
                    int outside = 0;
                    for (int y = 0; y < ImageHeight; ++y)
                        for (int x = 0; x < ImageWidth; ++x) {
                            if (!image.At(x, y))
                                continue;
                            bool in = false;
                            for (int32_t i = 0; i < parts.count && !in; ++i) {
                                const ImageRect& r = parts.rects[size_t(i)];
                                in =
                                    x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
                            }
                            outside += in ? 0 : 1;
                        }
                    ASSERT_EQ(outside, 0) << what;
                    const bool diagonal = k < 48 && k % 12 == 6;  // 45 degrees off an axis
                    if (diagonal)
                        EXPECT_LT(partArea * 2, int64_t{box.width} * box.height) << what;
                }
}

TEST(DrawFan, GridPixelsKeepTheirBit) {
    FanParams p;
    p.speed = 0;
    p.bearing = 0.0f;
    p.stepping = false;
    EchoHistory h;
    h.OldestLine.fill(107);
    h.MiddleLine.fill(107);
    h.NewestLine.fill(107);
    SonarImage image;
    for (int y = 0; y < ImageHeight; ++y)
        image.At(297, y) = 128;
    FanTable table;
    DrawFanPixels(table, p, h, 499, image);
    EXPECT_EQ(image.At(297, 300), 235);
    EXPECT_EQ(image.At(298, 300), 107);
    // With the grid off the bit is not carried over.
    p.grid = false;
    image.At(297, 300) = 200;
    DrawFanPixels(table, p, h, 499, image);
    EXPECT_EQ(image.At(297, 300), 107);
}

TEST(DrawFan, RayJustLeftOfTheImageStillWritesColumnZero) {
    // A ray pointing almost straight left from the sector apex crosses x = 0 between
    // samples 298 and 299; sample 299 lies at x in (-1, 0) and truncates into column 0.
    FanParams p;
    p.speed = 0;
    p.bearing = -1.5707964f;
    EchoHistory h;
    for (size_t i = 0; i < EchoLineSize; ++i) {
        h.OldestLine[i] = h.MiddleLine[i] = h.NewestLine[i] = uint8_t(i % 100 + 1);
    }
    SonarImage image;
    FanTable table;
    DrawFanPixels(table, p, h, 499, image);
    bool sawSample299 = false;
    for (int y = 0; y < ImageHeight; ++y)
        if (image.At(0, y) == 299 % 100 + 1)
            sawSample299 = true;
    EXPECT_TRUE(sawSample299);
}

TEST(DrawFan, StepAngleAndOrientation) {
    auto centreAngle = [](const FanParams& p) {
        FanTable table;
        SonarImage image;
        EchoHistory h;
        DrawFanPixels(table, p, h, 10, image);
        const FanRay& mid = table[10];
        return std::atan2(double(mid.sin), -double(mid.negCos));
    };
    FanParams p;
    p.speed = 3;
    p.bearing = 0.5f;
    // Stepping: centred one step (1.2 degrees) behind the bearing.
    EXPECT_NEAR(centreAngle(p), 0.5 - 4 * 3.141592654 / 600, 1e-3);
    p.drawDirection = 0;
    EXPECT_NEAR(centreAngle(p), 0.5 + 4 * 3.141592654 / 600, 1e-3);
    // A sector of 0: the head does not step and the fan is centred on the bearing.
    p.stepping = false;
    EXPECT_NEAR(centreAngle(p), 0.5, 1e-3);

    // The hanging view: apex at row 1, bearing 0 runs straight down.
    FanParams hang;
    hang.speed = 0;
    hang.bearing = 0.0f;
    hang.stepping = false;
    hang.hanging = true;
    EchoHistory h;
    h.OldestLine.fill(40);
    h.MiddleLine.fill(40);
    h.NewestLine.fill(40);
    SonarImage image;
    FanTable table;
    DrawFanPixels(table, hang, h, 499, image);
    EXPECT_EQ(image.At(298, 1), 40);
    EXPECT_EQ(image.At(297, 400), 40);
    EXPECT_EQ(image.At(298, 0), 0);
    EXPECT_EQ(image.At(298, 505), 0);
}

}  // namespace
}  // namespace tarvisk
