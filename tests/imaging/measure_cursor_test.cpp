// The measurement readouts at chosen pointer positions: plan views with their quadrants,
// train, polar doubling, sound velocity and heading; the profile grid with its survey
// offsets; side scan by channel; feet with the cap.

#include <gtest/gtest.h>

#include <string>

#include "imaging/measure_cursor.h"

namespace tarvisk {
namespace {

MeasureView View(int32_t mode, float sampleSpacing = 0.1f, int32_t rangeMeters = 50) {
    MeasureView v;
    v.gridMode = mode;
    v.sampleSpacing = sampleSpacing;
    v.rangeMeters = rangeMeters;
    return v;
}

struct Lines {
    std::string org, tar, diff;
};

Lines Read(const MeasureView& v, Point target, bool measuring = false, Point origin = {}) {
    const MeasureReadouts r = ComposeMeasureReadouts(v, target, measuring, origin);
    auto line = [&](int i) {
        return std::string(r.lines[i].label.data()) + r.lines[i].text.data();
    };
    return {line(0), line(1), line(2)};
}

TEST(MeasureReadouts, PlanViewWithoutMeasurement) {
    // 50 m in Sector: one pixel is 0.1 m; one column right of centre, 100 rows up.
    Lines l = Read(View(Sector), {301, 408});
    EXPECT_EQ(l.org, "Org: 000.00 M, 000.0 Deg");
    EXPECT_EQ(l.tar, "Tar: 010.00 M, 000.6 Deg");
    EXPECT_EQ(l.diff, "Diff: 010.00 M, 000.6 Deg");

    // The apex itself: no distance, no bearing (360 folds to 0).
    EXPECT_EQ(Read(View(Sector), {300, 508}).tar, "Tar: 000.00 M, 000.0 Deg");

    // Polar doubles the same offset from its centre row.
    EXPECT_EQ(Read(View(Polar), {301, 155}).tar, "Tar: 020.00 M, 000.6 Deg");

    // Short ranges show three decimals.
    EXPECT_EQ(Read(View(Sector, 0.008f, 4), {300, 408}).tar, "Tar: 00.800 M, 000.0 Deg");
}

TEST(MeasureReadouts, QuadrantsTrainAndHeading) {
    struct Case {
        int32_t mode;
        int32_t train;
        float heading;
        Point p;
        const char* tar;
    } cases[] = {
        {Polar, 0, 0.0f, {400, 155}, "Tar: 028.28 M, 045.0 Deg"},
        {Polar, 0, 0.0f, {400, 355}, "Tar: 028.28 M, 135.0 Deg"},
        {Polar, 0, 0.0f, {200, 355}, "Tar: 028.28 M, 225.0 Deg"},
        {Polar, 0, 0.0f, {200, 155}, "Tar: 028.28 M, 315.0 Deg"},
        // Train turns the sector, not the polar picture.
        {Polar, 90, 0.0f, {400, 155}, "Tar: 028.28 M, 045.0 Deg"},
        {Sector, 90, 0.0f, {400, 408}, "Tar: 014.14 M, 135.0 Deg"},
        {Sector, 330, 0.0f, {400, 408}, "Tar: 014.14 M, 015.0 Deg"},
        {Sector, 0, 350.0f, {400, 408}, "Tar: 014.14 M, 035.0 Deg"},
    };
    for (const Case& c : cases) {
        MeasureView v = View(c.mode);
        v.train = c.train;
        v.heading = c.heading;
        const Lines l = Read(v, c.p);
        EXPECT_EQ(l.tar, c.tar) << c.p.x << "," << c.p.y << " train " << c.train;
        // Without a measurement the heading goes to Diff as to Tar, never to Org.
        EXPECT_EQ(l.diff.substr(5), l.tar.substr(4));
        EXPECT_EQ(l.org, "Org: 000.00 M, 000.0 Deg");
    }
}

TEST(MeasureReadouts, PlanViewMeasurement) {
    MeasureView v = View(Polar);
    // From the centre up and to the right.
    Lines l = Read(v, {400, 155}, true, {300, 255});
    EXPECT_EQ(l.org, "Org: 000.00 M, 000.0 Deg");
    EXPECT_EQ(l.tar, "Tar: 028.28 M, 045.0 Deg");
    EXPECT_EQ(l.diff, "Diff: 028.28 M, 045.0 Deg");

    // The other way round, and the remaining directions between the two points.
    EXPECT_EQ(Read(v, {300, 255}, true, {400, 155}).diff, "Diff: 028.28 M, 225.0 Deg");
    EXPECT_EQ(Read(v, {400, 355}, true, {300, 255}).diff, "Diff: 028.28 M, 135.0 Deg");
    EXPECT_EQ(Read(v, {200, 155}, true, {300, 255}).diff, "Diff: 028.28 M, 315.0 Deg");
    EXPECT_EQ(Read(v, {300, 155}, true, {300, 255}).diff, "Diff: 020.00 M, 000.0 Deg");

    // Pointer on the origin: no direction to show, and no NaN either.
    EXPECT_EQ(Read(v, {350, 200}, true, {350, 200}).diff, "Diff: 000.00 M, 000.0 Deg");

    // With a measurement the heading turns Org and Tar, not the line between them.
    v.heading = 10.0f;
    l = Read(v, {400, 355}, true, {200, 155});
    EXPECT_EQ(l.org, "Org: 028.28 M, 325.0 Deg");
    EXPECT_EQ(l.tar, "Tar: 028.28 M, 145.0 Deg");
    EXPECT_EQ(l.diff, "Diff: 056.57 M, 135.0 Deg");

    // Train turns the measured direction in Sector.
    MeasureView s = View(Sector);
    s.train = 300;
    EXPECT_EQ(Read(s, {400, 308}, true, {300, 408}).diff, "Diff: 014.14 M, 345.0 Deg");
}

TEST(MeasureReadouts, SoundVelocityAndFeet) {
    MeasureView v = View(Sector);
    v.soundVelocity = 1650.0f;
    EXPECT_EQ(Read(v, {300, 408}).tar, "Tar: 011.00 M, 000.0 Deg");

    v = View(Sector);
    v.units = Feet;
    EXPECT_EQ(Read(v, {300, 408}).tar, "Tar: 032.81 FT, 000.0 Deg");

    // 200 m polar, far corner: 311.6 m is 1022 ft, more than the readout shows.
    MeasureView far = View(Polar, 0.4f, 200);
    far.units = Feet;
    const Lines l = Read(far, {3, 3}, true, {598, 508});
    EXPECT_EQ(l.tar.substr(0, 15), "Tar: 999.99 FT,");
    EXPECT_EQ(l.diff.substr(0, 16), "Diff: 999.99 FT,");
    far.units = Metres;
    EXPECT_EQ(Read(far, {3, 3}).tar.substr(0, 13), "Tar: 311.60 M");
}

TEST(MeasureReadouts, ProfileGridOffsets) {
    // Zero at the bottom: right and up are positive.
    MeasureView v = View(Sector);
    v.profileGrid = 1;
    Lines l = Read(v, {350, 407});
    EXPECT_EQ(l.org, "Org: 00.00 M,  00.00 M");
    EXPECT_EQ(l.tar, "Tar: 05.00 M,  10.00 M");
    EXPECT_EQ(l.diff, "Diff: 11.18 M");

    // Hanging from the top: below the reference is negative.
    v.zeroDown = 0;
    EXPECT_EQ(Read(v, {250, 104}).tar, "Tar:-05.00 M, -10.00 M");

    // The survey's chainage offset and elevation are added unconverted, in feet too.
    v.zeroDown = 1;
    v.units = Feet;
    v.profileXOffset = 100.0f;
    v.profileElevation = -20.0f;
    l = Read(v, {350, 407}, true, {300, 507});
    EXPECT_EQ(l.org, "Org: 100.00 FT, -20.00 FT");
    EXPECT_EQ(l.tar, "Tar: 116.40 FT,  12.81 FT");
    EXPECT_EQ(l.diff, "Diff: 36.68 FT");

    // Polar: the centre row is the reference and distances double.
    MeasureView p = View(Polar);
    p.profileGrid = 1;
    EXPECT_EQ(Read(p, {350, 156}).tar, "Tar: 10.00 M,  20.00 M");
}

TEST(MeasureReadouts, SideScanByChannel) {
    MeasureView v = View(SS);
    EXPECT_EQ(Read(v, {598, 40}).tar, "Tar: 000.00 M, Port Side");
    EXPECT_EQ(Read(v, {98, 40}).tar, "Tar: 050.00 M, Port Side");
    // Beyond the last sample the range stays at the end of the line.
    EXPECT_EQ(Read(v, {20, 40}).tar, "Tar: 050.00 M, Port Side");

    Lines l = Read(v, {448, 40}, true, {548, 300});
    EXPECT_EQ(l.org, "Org: 005.00 M, Port Side");
    EXPECT_EQ(l.tar, "Tar: 015.00 M, Port Side");
    EXPECT_EQ(l.diff, "Diff: 010.00 M" + std::string(16, ' '));

    v.ssChannel = StbdChannel;
    EXPECT_EQ(Read(v, {98, 40}).tar, "Tar: 000.00 M, Stbd Side");
    l = Read(v, {598, 40});
    EXPECT_EQ(l.org, "Org: 050.00 M, Stbd Side");
    EXPECT_EQ(l.diff, "Diff: 050.00 M" + std::string(17, ' '));

    v.units = Feet;
    v.sampleSpacing = 0.4f;
    v.rangeMeters = 200;
    EXPECT_EQ(Read(v, {598, 40}).tar, "Tar: 656.17 FT, Stbd Side");
}

}  // namespace
}  // namespace tarvisk
