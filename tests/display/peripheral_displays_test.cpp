#include <gtest/gtest.h>

#include "display/diagnostics_window.h"
#include "display/gps_readout.h"
#include "display/peripheral_windows.h"
#include "head/azimuth_drive.h"
#include "head/reply_decode.h"

namespace tarvisk {
namespace {

const DiagnosticsRow& Row(const std::vector<DiagnosticsRow>& rows, const std::string& label) {
    for (const auto& r : rows)
        if (r.label == label)
            return r;
    static DiagnosticsRow none{"<missing>", "", ""};
    return none;
}

TEST(DiagnosticsWindow, NothingBeforeTheFirstReplyAndNoDriveColumnWhileDisabled) {
    SonarSettings s;
    HeadLink link(s);
    OrientationModule o;
    s.EnableOrientationModule = 0;
    bool drive = true;
    const auto rows = DiagnosticsRows(s, TakeDiagnosticsReplies(link), o, {}, &drive);
    ASSERT_EQ(rows.size(), 17u);
    EXPECT_FALSE(drive);
    for (const char* label : {"Header", "Head ID", "Serial Stat", "Head Pos", "Range", "Profile",
                              "Data Bytes", "Term", "Pitch", "Roll", "Heading"})
        EXPECT_EQ(Row(rows, label).head, "n/a") << label;
    EXPECT_EQ(Row(rows, "Tx Delay").head, "1000 us");
    EXPECT_EQ(Row(rows, "Serial Rxd").head, "0x0000 - 0");
}

TEST(DiagnosticsWindow, HeadAndDriveValues) {
    SonarSettings s;
    HeadLink link(s);
    OrientationModule o;
    s.AzimuthDriveEnable = 1;
    s.Units = Feet;
    link.Shot.HeaderCopy = {'I', 'M', 'X', 16, 2};
    link.LastReportedHeadId = 16;
    link.Shot.SerialStatus = 2;
    link.Shot.Chirp = 1;
    link.Shot.RangeByte = 50;
    s.AzimuthAngle = 600;
    FillSimulatedAzimuthReply(link);
    ASSERT_TRUE(CheckAndDecodeReply(link));
    o.FilteredHeading = 45.25f;
    s.HeadingOffset = 1.5f;
    bool drive = false;
    const auto rows = DiagnosticsRows(s, TakeDiagnosticsReplies(link), o, {3, 12, 0}, &drive);
    EXPECT_TRUE(drive);
    EXPECT_EQ(Row(rows, "Header").head, "IMX");
    EXPECT_EQ(Row(rows, "Header").drive, "IAX");
    EXPECT_EQ(Row(rows, "Head ID").head, "0x10");
    EXPECT_EQ(Row(rows, "Head ID").drive, "0x1F");
    EXPECT_EQ(Row(rows, "Serial Stat").head, "0x02 CHIRP");
    EXPECT_EQ(Row(rows, "Range").head, "150 FT");
    EXPECT_EQ(Row(rows, "Range").drive, "---");
    EXPECT_EQ(Row(rows, "Head Pos").drive, "600");
    EXPECT_EQ(Row(rows, "Term").drive, "0xFC");
    EXPECT_EQ(Row(rows, "Serial Rxd").head, "0x0003 - 12");
    EXPECT_EQ(Row(rows, "Heading").head, " 45.2 deg (1.5)");
}

TEST(PeripheralWindows, AzimuthAndOrientationFacts) {
    SonarSettings s;
    HeadLink link(s);
    link.ReportedAzimuthPosition = 600;
    s.AzimuthAngle = 600;
    AzimuthWindowFacts a = AzimuthFacts(s, link);
    EXPECT_TRUE(a.inPosition);
    EXPECT_EQ(DegreesText(AzimuthDisplayDegrees(a.position)), "  0.0 Deg");
    // Needle straight up for the drive's zero.
    EXPECT_EQ(NeedleEnd({40, 44}, 600 * 0.3f - 180.0f, 30.0f), (Point{40, 14}));
    EXPECT_EQ(NeedleEnd({40, 44}, 90.0f, 30.0f), (Point{70, 44}));
    EXPECT_STREQ(AzimuthButtonText(true), "Auto-Azimuth");

    OrientationModule o;
    link.OrientationRequestsUnanswered = 5;
    EXPECT_TRUE(OrientationFacts(link, o).stale);
    link.OrientationRequestsUnanswered = 4;
    EXPECT_FALSE(OrientationFacts(link, o).stale);
}

TEST(GpsField, AgeReachesTenOnceAndOnlyWithGps) {
    SonarSettings s;
    GpsState g;
    g.Age = 0;
    EXPECT_FALSE(AdvanceGpsAge(g, s));  // GPS not in use: no ageing
    EXPECT_EQ(g.Age, 0);
    s.UseGPS = 1;
    int redraws = 0;
    for (int i = 0; i < 15; ++i)
        redraws += AdvanceGpsAge(g, s) ? 1 : 0;
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(g.Age, 15);
}

}  // namespace
}  // namespace tarvisk
