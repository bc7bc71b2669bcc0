// The menu commands without a window: what the head-only commands do in playback, what the
// operator is told of a feature no part provides, and the items that follow the drive, the
// profile grid and the source.

#include <gtest/gtest.h>

#include "window_rig.h"

namespace tarvisk {
namespace {

using testing::Log;
using testing::WindowRig;

TEST(MenuCommands, HeadOnlyCommandsRunLiveAndAreIgnoredInPlayback) {
    const std::vector<std::pair<int32_t, std::string>> commands = {
        {IdAutoProfileVertical, "feature Auto Profile Vertical"},
        {IdAutoProfileHorizontal, "feature Auto Profile Horizontal"},
        {IdAutoAzimuth, "feature Auto Azimuth"},
        {IdComPorts, "feature Com Ports"},
    };
    for (const auto& [id, ran] : commands) {
        SCOPED_TRACE(id);
        WindowRig live;
        live.ProvideAllFeatures();
        live.commands.OnCommand(id);
        EXPECT_EQ(live.log, (Log{ran}));

        WindowRig playback(1);
        playback.ProvideAllFeatures();
        playback.commands.OnCommand(id);
        EXPECT_TRUE(playback.log.empty());
    }
    // A profile scan already under way is not started again.
    WindowRig rig;
    rig.ProvideAllFeatures();
    rig.system.imaging.AutoProfileRunning = 1;
    rig.commands.OnCommand(IdAutoProfileVertical);
    rig.commands.OnCommand(IdAutoProfileHorizontal);
    EXPECT_TRUE(rig.log.empty());
    // Frame capture examines played frames only.
    rig.commands.OnCommand(IdAutoFrameCapture);
    EXPECT_EQ(rig.state.AutoFrameCapture, 0);
    EXPECT_EQ(rig.menu.Text(IdAutoFrameCapture), "&Auto Frame Capture Start...");
}

TEST(MenuCommands, AFeatureNoPartProvidesIsSaidToBeMissing) {
    WindowRig rig;
    rig.s.ParametersChanged = 0;
    rig.commands.OnCommand(IdProfileSetup);
    rig.commands.OnCommand(IdSettings);
    EXPECT_EQ(rig.log,
              (Log{"box Profile Setup: Profile Setup is not available yet in this version.",
                   "box Settings: Settings is not available yet in this version."}));
    // Nothing was changed, so the head is not sent anything.
    EXPECT_EQ(rig.s.ParametersChanged, 0);

    // The built-in about box stands in for a missing one; the head hears of it live.
    rig.log.clear();
    rig.commands.OnCommand(IdAbout);
    EXPECT_EQ(rig.log, (Log{"about About Tarvisk"}));
    EXPECT_EQ(rig.s.ParametersChanged, 1);

    // Scripted, nobody is there to close a box.
    rig.log.clear();
    rig.state.scripted = true;
    rig.commands.OnCommand(IdProfileSetup);
    rig.commands.OnCommand(IdAbout);
    EXPECT_TRUE(rig.log.empty());
}

TEST(MenuCommands, SettingsReachTheHeadOnlyLive) {
    for (int32_t runMode : {0, 1}) {
        SCOPED_TRACE(runMode);
        WindowRig rig(runMode);
        rig.ProvideAllFeatures();
        rig.s.ParametersChanged = 0;
        rig.commands.OnCommand(IdSettings);
        EXPECT_EQ(rig.log, (Log{"feature Settings"}));
        EXPECT_EQ(rig.s.ParametersChanged, runMode == 0 ? 1 : 0);
    }
}

TEST(MenuCommands, AzimuthDriveItemsFollowTheDriveAndTheSource) {
    for (int32_t runMode : {0, 1}) {
        SCOPED_TRACE(runMode);
        const bool live = runMode == 0;
        WindowRig rig(runMode);
        // Without the drive there is nothing to simulate.
        rig.commands.OnCommand(IdSimulateAzimuth);
        EXPECT_EQ(rig.s.SimulateAzimuthDrive, 0);

        rig.commands.OnCommand(IdAzimuthDrive);
        EXPECT_EQ(rig.s.AzimuthDriveEnable, 1);
        EXPECT_EQ(rig.menu.Text(IdAzimuthDrive), "Disable &Azimuth Drive");
        for (int32_t id : {IdChangeAzimuth, IdSimulateAzimuth, IdAutoAzimuth})
            EXPECT_EQ(rig.menu.IsEnabled(id), live) << id;
        EXPECT_TRUE(rig.shell.IsChildShown(ChildWindowId::Azimuth));
        // Only a head can look for its drive.
        EXPECT_EQ(rig.Logged("detect azimuth"), live);

        rig.system.link.AzimuthDetected = 1;
        rig.commands.OnCommand(IdAzimuthDrive);
        EXPECT_EQ(rig.s.AzimuthDriveEnable, 0);
        EXPECT_EQ(rig.system.link.AzimuthDetected, 0);
        EXPECT_EQ(rig.menu.Text(IdAzimuthDrive), "Enable &Azimuth Drive");
        for (int32_t id : {IdChangeAzimuth, IdSimulateAzimuth, IdAutoAzimuth})
            EXPECT_FALSE(rig.menu.IsEnabled(id)) << id;
        EXPECT_FALSE(rig.shell.IsChildShown(ChildWindowId::Azimuth));
    }
}

TEST(MenuCommands, ProfileGridLeavesTheTransducerItemsGreyedInPlayback) {
    WindowRig rig;
    rig.s.ProfileGrid = 0;
    rig.s.Xdcr = XdcrUp;
    rig.modes.SelectSource(true);

    rig.commands.OnCommand(IdProfileGrid);
    EXPECT_EQ(rig.s.ProfileGrid, 1);
    EXPECT_EQ(rig.menu.Text(IdXdcrUp), "&Aft");
    EXPECT_EQ(rig.menu.Text(IdXdcrDown), "&Fwd");
    EXPECT_TRUE(rig.menu.IsChecked(IdXdcrUp));
    EXPECT_TRUE(rig.menu.IsEnabled(IdZeroDown));
    EXPECT_FALSE(rig.menu.IsEnabled(IdXdcrUp));
    EXPECT_FALSE(rig.menu.IsEnabled(IdXdcrDown));

    rig.modes.SelectSource(false);
    rig.commands.OnCommand(IdProfileGrid);
    EXPECT_EQ(rig.menu.Text(IdXdcrUp), "&Up");
    EXPECT_FALSE(rig.menu.IsEnabled(IdZeroDown));
    EXPECT_TRUE(rig.menu.IsEnabled(IdXdcrUp));
}

TEST(MenuCommands, HeadScanOpensAndClosesItsWindow) {
    WindowRig rig;
    rig.commands.OnCommand(IdHeadScan);
    EXPECT_EQ(rig.system.link.HeadScanActive, 1);
    EXPECT_TRUE(rig.menu.IsChecked(IdHeadScan));
    EXPECT_TRUE(rig.shell.IsChildShown(ChildWindowId::HeadScan));
    // The status box says the scan is on.
    EXPECT_EQ(rig.log, (Log{"link status"}));

    rig.commands.OnCommand(IdHeadScan);
    EXPECT_EQ(rig.system.link.HeadScanActive, 0);
    EXPECT_EQ(rig.s.HeadScanShown, 0);
    EXPECT_FALSE(rig.menu.IsChecked(IdHeadScan));
    EXPECT_FALSE(rig.shell.IsChildShown(ChildWindowId::HeadScan));
}

}  // namespace
}  // namespace tarvisk
