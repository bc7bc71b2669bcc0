// The switch between the head and a file: the order in which the old source stops, the live
// values are kept aside and given back, and the menu and title that follow each source.

#include <gtest/gtest.h>

#include "window_rig.h"

namespace tarvisk {
namespace {

using testing::Log;
using testing::WindowRig;

TEST(ModeSwitch, PlaybackStopsTheHeadFirstKeepsItsValuesAndOffersAFile) {
    WindowRig rig;
    rig.ProvideAllFeatures();
    rig.state.parts.Attach(&rig.features);
    rig.s.Gain = 12;

    rig.modes.SelectSource(true);

    EXPECT_EQ(rig.s.RunMode, 1);
    // The head is quiet and its last shot drawn before playback draws; the slider comes once
    // a file was offered.
    EXPECT_EQ(rig.log,
              (Log{"stop", "stop", "flush", "feature Playback", "slider+", "parts follow"}));
    EXPECT_EQ(rig.system.liveCopy.Gain, 12);
    EXPECT_EQ(rig.shell.title, "Tarvisk Digital Sonar - [No File]");
    for (int32_t id : {IdPlayback, IdCopy, IdAutoFrameCapture})
        EXPECT_TRUE(rig.menu.IsEnabled(id)) << id;
    for (int32_t id : {IdRecord, IdXdcrUp, IdXdcrDown, IdComPorts, IdOnWhenMinimized, IdHeadScan,
                       IdCalibrate, IdAutoProfileVertical, IdAutoProfileHorizontal, IdAutoAzimuth})
        EXPECT_FALSE(rig.menu.IsEnabled(id)) << id;
}

TEST(ModeSwitch, BackToTheHeadStartsItWithItsOwnValues) {
    for (int32_t hold : {0, 1}) {
        SCOPED_TRACE(hold);
        WindowRig rig;
        rig.state.parts.Attach(&rig.features);
        rig.s.Gain = 12;
        rig.modes.SelectSource(true);
        // What played records leave behind.
        rig.s.Gain = 30;
        rig.s.Profile = LowMix;
        rig.s.Hold = hold;
        rig.log.clear();

        rig.modes.SelectSource(false);

        EXPECT_EQ(rig.s.RunMode, 0);
        // The head's thread starts last, once the parts have reset what it will own.
        EXPECT_EQ(rig.log, (Log{"stop", "flush", "slider-", "parts follow", "start gain=12"}));
        EXPECT_EQ(rig.s.ProfileRequest, LowMix);
        EXPECT_EQ(rig.shell.title, "Tarvisk Digital Sonar");
        for (int32_t id : {IdRecord, IdComPorts, IdHeadScan, IdCalibrate, IdAutoProfileVertical})
            EXPECT_TRUE(rig.menu.IsEnabled(id)) << id;
        for (int32_t id : {IdPlayback, IdCopy, IdAutoFrameCapture, IdAutoAzimuth})
            EXPECT_FALSE(rig.menu.IsEnabled(id)) << id;
        // A held head keeps its transducer where it is.
        EXPECT_EQ(rig.menu.IsEnabled(IdXdcrUp), hold == 0);
        EXPECT_EQ(rig.menu.IsEnabled(IdXdcrDown), hold == 0);
    }
}

TEST(ModeSwitch, SourceButtonsSwitchOnlyToTheOtherSource) {
    WindowRig rig;
    rig.ProvideAllFeatures();
    rig.modes.SelectSource(false);
    EXPECT_TRUE(rig.log.empty());

    rig.modes.SelectSource(true);
    rig.log.clear();
    // "FILE" again in playback offers another file and leaves the rest as it is.
    rig.modes.SelectSource(true);
    EXPECT_EQ(rig.log, (Log{"feature Playback"}));
    EXPECT_EQ(rig.s.RunMode, 1);
}

}  // namespace
}  // namespace tarvisk
