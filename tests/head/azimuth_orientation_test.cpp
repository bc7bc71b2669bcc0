#include <gtest/gtest.h>

#include <algorithm>

#include "head/azimuth_drive.h"
#include "head/orientation_module.h"
#include "head/reply_decode.h"

namespace tarvisk {
namespace {

TEST(SimulatedAzimuthDrive, ReplyCarriesTheCommandedPositionAndDecodesAsARealOne) {
    SonarSettings s;
    HeadLink link(s);
    s.AzimuthAngle = 600;
    FillSimulatedAzimuthReply(link);
    const uint8_t want[13] = {0x49, 0x41, 0x58, 0x1F, 0x40, 0x58, 0x04, 0, 0, 0, 0, 0, 0xFC};
    EXPECT_TRUE(std::equal(want, want + 13, link.Reply.bytes.begin()));
    link.AzimuthExchangePending = 1;
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.ReportedAzimuthPosition, 600);
    EXPECT_EQ(link.AzimuthDetected, 1);
    EXPECT_EQ(link.AzimuthExchangePending, 0);
    EXPECT_TRUE(link.Azimuth.FirstReply);

    // The top of the position range survives the two 7-bit bytes.
    s.AzimuthAngle = 1199;
    FillSimulatedAzimuthReply(link);
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.ReportedAzimuthPosition, 1199);
    EXPECT_FALSE(link.Azimuth.FirstReply);
}

TEST(SimulatedAzimuthDrive, ManualAdjustmentPromptNamesTheAngle) {
    EXPECT_EQ(ManualAdjustmentText(0), "Adjust azimuth angle to 180.0 Deg then press OK.");
    EXPECT_EQ(ManualAdjustmentText(600), "Adjust azimuth angle to 0.0 Deg then press OK.");
    EXPECT_EQ(ManualAdjustmentText(599), "Adjust azimuth angle to 359.7 Deg then press OK.");
    EXPECT_NEAR(AzimuthDisplayDegrees(599), 359.7f, 1e-3f);
}

OrientationReplyFields Raw(int32_t pitch, int32_t roll, int32_t heading) {
    OrientationReplyFields r;
    r.RawPitch = pitch;
    r.RawRoll = roll;
    r.RawHeading = heading;
    return r;
}

TEST(OrientationModule, OffsetsLimitsAndTheFortyFiveDegreeRule) {
    SonarSettings s;
    HeadLink link(s);
    OrientationModule m;
    ApplyOrientationReply(m, Raw(950, 850, 100), s);
    EXPECT_NEAR(m.FilteredPitch, 5.0f, 1e-4f);
    EXPECT_NEAR(m.FilteredRoll, -5.0f, 1e-4f);
    EXPECT_NEAR(m.FilteredHeading, 10.0f, 1e-4f);

    // 50 degrees is beyond 45: the previous pitch stands; the roll takes its offset.
    s.RollOffset = 2.0f;
    ApplyOrientationReply(m, Raw(1400, 850, 100), s);
    EXPECT_NEAR(m.Pitch, 5.0f, 1e-4f);
    EXPECT_NEAR(m.Roll, -3.0f, 1e-4f);
    // An offset can carry a raw value inside the limit beyond it, and back.
    s.PitchOffset = -10.0f;
    ApplyOrientationReply(m, Raw(1400, 900, 100), s);
    EXPECT_NEAR(m.Pitch, 40.0f, 1e-4f);

    // Heading 359.9 plus 10 wraps to 9.9; a raw value past a full turn is held at 359.9.
    s.HeadingOffset = 10.0f;
    ApplyOrientationReply(m, Raw(900, 900, 3599), s);
    EXPECT_NEAR(m.Heading, 9.9f, 1e-3f);
    s.HeadingOffset = -20.0f;
    ApplyOrientationReply(m, Raw(900, 900, 5000), s);
    EXPECT_NEAR(m.Heading, 339.9f, 1e-3f);
    s.HeadingOffset = -180.0f;
    ApplyOrientationReply(m, Raw(900, 900, 100), s);
    EXPECT_NEAR(m.Heading, 190.0f, 1e-3f);
}

TEST(OrientationModule, MedianFilterKeepsCloseValuesAndReplacesOutliers) {
    EXPECT_FLOAT_EQ(FilterNewest(10, 11, 20), 10);
    EXPECT_FLOAT_EQ(FilterNewest(30, 11, 10), 11);
    // All equal: no deviation at all, so the median stands (equal anyway).
    EXPECT_FLOAT_EQ(FilterNewest(5, 5, 5), 5);
    EXPECT_FLOAT_EQ(MedianOfThree(3, 1, 2), 2);
    EXPECT_FLOAT_EQ(MedianOfThree(2, 2, 7), 2);

    OutlierFilter f;
    EXPECT_FLOAT_EQ(f.Push(30), 30);  // first value after a reset passes unfiltered
    EXPECT_FLOAT_EQ(f.Push(1), 1);    // history (1, 30, 0): median 1
    EXPECT_FLOAT_EQ(f.Push(2), 2);
    EXPECT_FLOAT_EQ(f.Push(40), 2);  // a spike is replaced by the median
    f.Reset();
    EXPECT_FLOAT_EQ(f.Push(40), 40);
}

TEST(OrientationModule, ResetClearsEverythingAndMarksTheValuesStale) {
    SonarSettings s;
    HeadLink link(s);
    OrientationModule m;
    ApplyOrientationReply(m, Raw(950, 950, 450), s);
    link.OrientationRequestsUnanswered = 0;
    EXPECT_FALSE(OrientationValuesStale(link));
    ResetOrientation(m, link);
    EXPECT_TRUE(OrientationValuesStale(link));
    EXPECT_EQ(m.FilteredHeading, 0.0f);
    EXPECT_EQ(m.PreviousPitch, 0.0f);
    // The first value after the reset is not filtered against the old history.
    ApplyOrientationReply(m, Raw(1100, 900, 900), s);
    EXPECT_NEAR(m.FilteredPitch, 20.0f, 1e-4f);
}

TEST(OrientationModule, DecodedReplyFeedsTheModule) {
    SonarSettings s;
    HeadLink link(s);
    link.Expected.ReplyType = ReplyTypeOrientation;
    link.Expected.ExpectedReplyLength = 29;
    auto& b = link.Reply.bytes;
    std::fill(b.begin(), b.begin() + 29, uint8_t{0});
    b[0] = 'I';
    b[1] = 'O';
    b[2] = 'X';
    b[18] = 1400 & 0x7F;  // pitch 50 degrees: refused
    b[19] = 1400 >> 7;
    b[20] = 950 & 0x7F;
    b[21] = 950 >> 7;
    b[22] = 3599 & 0x7F;
    b[23] = 3599 >> 7;
    b[28] = 0xFC;
    link.OrientationRequestsUnanswered = 7;
    ASSERT_TRUE(CheckAndDecodeReply(link));
    EXPECT_EQ(link.OrientationRequestsUnanswered, 0);
    OrientationModule m;
    ApplyOrientationReply(m, link.Orientation, s);
    EXPECT_EQ(m.Pitch, 0.0f);
    EXPECT_NEAR(m.Roll, 5.0f, 1e-4f);
    EXPECT_NEAR(m.Heading, 359.9f, 1e-3f);
}

}  // namespace
}  // namespace tarvisk
