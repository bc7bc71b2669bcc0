#include <gtest/gtest.h>

#include "config/scan_azimuth_dialog.h"
#include "config/scan_profile_dialog.h"

namespace tarvisk {
namespace {

TEST(AutoProfileDialog, HorizontalProposesTheNextLowerElevation) {
    SonarSettings s;
    SharedInt running{0};
    AutoProfileRunState run{running, 0.5f};
    s.ProfileElevation = -2.0f;
    AutoProfileDialogModel m(ScanKind::Horizontal);
    m.Open(s, run);
    EXPECT_EQ(m.Text(1), " -2.50");
    EXPECT_EQ(m.Text(3), "  0.50");
    EXPECT_EQ(m.TemplateName(), "SNAPSHOT2");
    EXPECT_EQ(m.FieldLabel(0), "Sonar Y Offset:");
    m.SetEnable(true);
    m.Ok(s, run);
    EXPECT_FLOAT_EQ(s.ProfileElevation, -2.5f);
    EXPECT_EQ(running, 1);
    // The next opening goes down again.
    m.Open(s, run);
    EXPECT_EQ(m.Text(1), " -3.00");
}

TEST(AutoProfileDialog, EditsArrowsAndPayoutFloor) {
    SonarSettings s;
    SharedInt running{0};
    AutoProfileRunState run{running, 0.0f};
    AutoProfileDialogModel m(ScanKind::Horizontal);
    m.Open(s, run);
    m.EditChanged(0, "12.345678999");  // only eight characters count
    EXPECT_FLOAT_EQ(m.Value(0), 12.34567f);
    m.EditChanged(2, "abc");
    EXPECT_FLOAT_EQ(m.Value(2), 0.0f);
    m.Scroll(0, true);
    EXPECT_EQ(m.Text(0), " 12.45");
    m.Scroll(3, false);
    EXPECT_EQ(m.Text(3), "  0.00");
    m.Scroll(1, false);
    EXPECT_EQ(m.Text(1), " -0.10");
    m.Ok(s, run);
    EXPECT_FLOAT_EQ(run.PayoutIncrement, 0.0f);
    EXPECT_FLOAT_EQ(s.ProfileChainage, 12.44567f);
}

TEST(AutoProfileDialog, ConfirmationFollowsTheGenerateBoxes) {
    SonarSettings s;
    SharedInt running{0};
    AutoProfileRunState run{running};
    s.AutoProfileXYZ = 0;
    s.AutoProfileBMP = 0;
    s.AutoProfileSaveConfirmation = 1;
    AutoProfileDialogModel m(ScanKind::Vertical);
    m.Open(s, run);
    // Both off: unchecked, greyed, and the setting cleared at once.
    EXPECT_FALSE(m.Confirmation());
    EXPECT_FALSE(m.ConfirmationEnabled());
    EXPECT_EQ(s.AutoProfileSaveConfirmation, 0);
    m.SetConfirmation(true);
    EXPECT_FALSE(m.Confirmation());
    m.SetGenerateBmp(true);
    EXPECT_TRUE(m.Confirmation());
    m.SetConfirmation(false);
    m.SetGenerateXyz(true);  // switching a box on checks it again
    EXPECT_TRUE(m.Confirmation());
    m.SetGenerateXyz(false);
    EXPECT_TRUE(m.Confirmation());
    m.SetGenerateBmp(false);
    EXPECT_FALSE(m.Confirmation());
    m.Ok(s, run);
    EXPECT_EQ(s.AutoProfileSaveConfirmation, 0);
    EXPECT_EQ(s.AutoProfileXYZ, 0);
}

TEST(AutoProfileDialog, DefaultsActAtOnceAndCancelKeepsTheRest) {
    SonarSettings s;
    SharedInt running{1};
    AutoProfileRunState run{running};
    s.ProfileChainage = 5.0f;
    s.ProfileDredgeDepth = 3.0f;
    s.AutoProfileXYZ = 0;
    s.AutoProfilePromptForScan = 0;
    AutoProfileDialogModel m(ScanKind::Vertical);
    m.Open(s, run);
    EXPECT_TRUE(m.Enable());
    m.Defaults(s, run);
    // Scanning and the after-scan settings change without Ok ...
    EXPECT_EQ(running, 0);
    EXPECT_EQ(s.AutoProfileXYZ, 1);
    EXPECT_EQ(s.AutoProfilePromptForScan, 1);
    EXPECT_EQ(m.Text(0), "  0.00");
    // ... the values only with it.
    EXPECT_FLOAT_EQ(s.ProfileChainage, 5.0f);
    m.Ok(s, run);
    EXPECT_FLOAT_EQ(s.ProfileChainage, 0.0f);
    EXPECT_FLOAT_EQ(s.ProfileDredgeDepth, 0.0f);
}

TEST(AutoAzimuthDialog, AnglesAndSteps) {
    EXPECT_EQ(AzimuthDegreesToSteps(180.0f), 0);
    EXPECT_EQ(AzimuthDegreesToSteps(359.7f), 599);
    EXPECT_EQ(AzimuthDegreesToSteps(0.0f), 600);
    EXPECT_EQ(AzimuthDegreesToSteps(330.0f), 500);
    EXPECT_EQ(AzimuthIncrementSteps(30.0f), 100);
    EXPECT_EQ(AzimuthIncrementSteps(0.1f), 1);
    EXPECT_FLOAT_EQ(AzimuthStepsToDegrees(0), 180.0f);
    EXPECT_NEAR(AzimuthStepsToDegrees(599), 359.7f, 1e-3);
}

struct AzimuthFixture : ::testing::Test {
    SonarSettings s;
    SharedInt on{0};
    SharedInt running{0};
    AutoAzimuthRunFlags run{on, running};
    AutoAzimuthDialogModel m;
    void SetUp() override { m.Open(s, run); }
    void Type(const char* start, const char* stop, const char* inc) {
        m.EditChanged(AutoAzimuthDialogModel::StartField, start);
        m.EditChanged(AutoAzimuthDialogModel::StopField, stop);
        m.EditChanged(AutoAzimuthDialogModel::IncrementField, inc);
    }
};

TEST_F(AzimuthFixture, OpensInDegreesAndStepsWithTheArrows) {
    EXPECT_EQ(m.Text(AutoAzimuthDialogModel::StartField), "  0.0");
    EXPECT_EQ(m.Text(AutoAzimuthDialogModel::StopField), "330.0");
    EXPECT_EQ(m.Text(AutoAzimuthDialogModel::IncrementField), " 30.0");
    s.AutoAzimuthStartAngle = 1199;
    s.AutoAzimuthIncAngle = 600;
    m.Open(s, run);
    m.Scroll(AutoAzimuthDialogModel::StartField, true);
    EXPECT_EQ(m.StartSteps(), 0);
    m.Scroll(AutoAzimuthDialogModel::StartField, false);
    EXPECT_EQ(m.StartSteps(), 1199);
    m.Scroll(AutoAzimuthDialogModel::IncrementField, true);
    EXPECT_EQ(m.IncrementStepCount(), 600);
    EXPECT_EQ(m.Text(AutoAzimuthDialogModel::IncrementField), "180.0");
}

TEST_F(AzimuthFixture, OkStoresStepsAndClearsTheProfileSaves) {
    m.SetEnable(true);
    Type("180.0", "359.7", "0.3");
    EXPECT_TRUE(m.Ok(s, run).empty());
    EXPECT_TRUE(m.Accepted());
    EXPECT_EQ(s.AutoAzimuthStartAngle, 0);
    EXPECT_EQ(s.AutoAzimuthStopAngle, 599);
    EXPECT_EQ(s.AutoAzimuthIncAngle, 1);
    EXPECT_EQ(on, 1);
    EXPECT_EQ(running, 1);
    EXPECT_EQ(s.AutoProfileXYZ, 0);
    EXPECT_EQ(s.AutoProfileBMP, 0);
    EXPECT_EQ(s.AutoProfileSaveConfirmation, 0);
    EXPECT_EQ(s.AutoProfilePromptForScan, 0);
}

TEST_F(AzimuthFixture, BadValuesWarnInOrderAndStoreNothing) {
    Type("359.8", "10", "30");
    auto w = m.Ok(s, run);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].text, "Start Angle is out of range!\nUse 0 to 359.7 Degrees.");
    EXPECT_EQ(w[0].caption, "Auto-Azimuth");
    EXPECT_FALSE(m.Accepted());
    EXPECT_EQ(s.AutoAzimuthStartAngle, 600);
    // The fields go back to the last valid steps.
    EXPECT_EQ(m.Text(AutoAzimuthDialogModel::StartField), "  0.0");

    // After a failure the lower bounds of the later fields are not reported.
    Type("-1", "-1", "0");
    w = m.Ok(s, run);
    ASSERT_EQ(w.size(), 1u);
    Type("10", "400", "200");
    w = m.Ok(s, run);
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[1].text, "Increment Angle is out of range!\nUse 0.3 to 180.0 Degrees.");
    Type("10", "20", "0.2");
    w = m.Ok(s, run);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].text, "Increment Angle is out of range!\nUse 0.3 to 180.0 Degrees.");
}

TEST_F(AzimuthFixture, DefaultsStopAtOnce) {
    on = 1;
    running = 1;
    s.AutoAzimuthStartAngle = 10;
    m.Open(s, run);
    EXPECT_FALSE(m.SetGenerateXyz(s.AutoAzimuthXYZ != 0));
    EXPECT_TRUE(m.SetGenerateXyz(false));
    m.Defaults(run);
    EXPECT_EQ(on, 0);
    EXPECT_EQ(running, 0);
    EXPECT_EQ(m.StartSteps(), 600);
    EXPECT_EQ(m.StopSteps(), 500);
    EXPECT_EQ(m.IncrementStepCount(), 100);
    EXPECT_TRUE(m.GenerateXyz());
}

}  // namespace
}  // namespace tarvisk
