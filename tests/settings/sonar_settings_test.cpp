#include "settings/sonar_settings.h"

#include <gtest/gtest.h>

namespace tarvisk {
namespace {

TEST(RangeTable, ApplyingAnIndexSetsTheDerivedValues) {
    SonarSettings s;
    ApplyRangeIndex(s, 0);
    EXPECT_EQ(s.RangeMeters, 1);
    EXPECT_FLOAT_EQ(s.RangeScale, 0.02f);
    EXPECT_FLOAT_EQ(s.SampleSpacing, 0.002f);
    ApplyRangeIndex(s, 14);
    EXPECT_EQ(s.RangeMeters, 200);
    EXPECT_FLOAT_EQ(s.SampleSpacing, 0.4f);
    ApplyRangeIndex(s, 15);  // outside the table: unchanged
    EXPECT_EQ(s.Range, 14);
    for (int32_t i = 0; i < RangeCount; ++i)
        EXPECT_EQ(RangeIndexForMeters(RangeTable[i].meters), i);
    EXPECT_EQ(RangeIndexForMeters(7), -1);
}

TEST(RangeTable, ReportedMetresOutsideTheTableLeaveTheIndex) {
    SonarSettings s;
    ApplyRangeMeters(s, 20);
    EXPECT_EQ(s.Range, 6);
    ApplyRangeMeters(s, 25);
    EXPECT_EQ(s.Range, 6);
    EXPECT_EQ(s.RangeMeters, 20);
}

TEST(DisplayMode, SectorSizeFollowsTheMode) {
    SonarSettings s;
    s.SectorSectorSize = 90;
    s.PolarSectorSize = 270;
    ApplyDisplayMode(s, Sector);
    EXPECT_EQ(s.SectorSize, 90);
    ApplyDisplayMode(s, Polar);
    EXPECT_EQ(s.SectorSize, 270);
    ApplyDisplayMode(s, SS);
    EXPECT_EQ(s.SectorSize, 0);
    ApplyDisplayMode(s, Profile);
    EXPECT_EQ(s.SectorSize, 90);
}

TEST(Frequency, RoundsToTheNearestFiveKilohertz) {
    EXPECT_EQ(RoundFrequency(677), 675);
    EXPECT_EQ(RoundFrequency(678), 680);
    EXPECT_EQ(RoundFrequency(280), 280);
    EXPECT_EQ(RoundFrequency(1102), 1100);
}

TEST(LiveCopy, RestoresTheLiveValuesAfterAFileOverwroteThem) {
    SonarSettings s;
    ApplyRangeIndex(s, 5);
    s.Gain = 30;
    s.UserText.Set("Dam wall north");
    LiveCopy copy = SaveLiveCopy(s);
    ApplyRangeIndex(s, 12);
    s.Gain = 2;
    s.UserText.Set("from file");
    RestoreLiveCopy(s, copy);
    EXPECT_EQ(s.Range, 5);
    EXPECT_EQ(s.RangeMeters, 10);
    EXPECT_FLOAT_EQ(s.SampleSpacing, 0.02f);
    EXPECT_EQ(s.Gain, 30);
    EXPECT_EQ(s.UserText.Get(), "Dam wall north");
}

TEST(Labels, RangeAndDataBits) {
    SonarSettings s;
    EXPECT_EQ(RangeLabel(s), "50 M");
    s.Units = Feet;
    EXPECT_EQ(RangeLabel(s), "150 FT");
    EXPECT_EQ(DataBitsLabel(16), "14 Bits");
    EXPECT_EQ(GridLabelsMetresA[0], " 0.2 M/DIV");
}

TEST(SharedText, CutsLongTextsToTheFieldSize) {
    SharedText<UserTextSize> text{std::string(50, 'x')};
    EXPECT_EQ(text.Get().size(), UserTextSize - 1);
    char small[4];
    EXPECT_EQ(text.CopyTo(small, sizeof small), 3u);
    EXPECT_STREQ(small, "xxx");
}

}  // namespace
}  // namespace tarvisk
