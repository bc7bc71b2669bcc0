// Closing the window: the settings written back with the head's own values, and a settings
// file that could not be read, or cannot be written, left as it is with the operator told.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/ini_settings.h"
#include "ui/window_close.h"
#include "window_rig.h"

namespace tarvisk {
namespace {

using testing::Log;
using testing::WindowRig;

std::filesystem::path ScratchIni(const std::string& name) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / ("window_close_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir / "TARVISK.INI";
}

std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(WindowCloseSettings, HeadStopsAndItsOwnValuesAreWritten) {
    for (int32_t playback : {0, 1}) {
        SCOPED_TRACE(playback);
        WindowRig rig;
        rig.system.iniPath = ScratchIni("values" + std::to_string(playback)).string();
        rig.s.Gain = 12;
        if (playback) {
            rig.modes.SelectSource(true);
            rig.s.Gain = 40;  // what a played record leaves behind
        }
        rig.log.clear();
        StopAndSaveOnClose(rig.system, rig.link, rig.state, rig.shell);
        // In playback the head was stopped by the switch already.
        EXPECT_EQ(rig.log, playback ? Log{} : Log{"stop"});
        EXPECT_NE(Read(rig.system.iniPath).find("Gain=12\n"), std::string::npos);
    }
}

TEST(WindowCloseSettings, ASettingsFileThatCannotBeKeptIsLeftAloneAndSaidSo) {
    WindowRig rig;
    const auto path = ScratchIni("unreadable");
    std::ofstream(path) << "[Settings]\nGain=3\n";
    rig.system.iniPath = path.string();
    rig.system.iniReadError = "Permission denied";
    rig.s.Gain = 12;
    StopAndSaveOnClose(rig.system, rig.link, rig.state, rig.shell);
    EXPECT_EQ(Read(path), "[Settings]\nGain=3\n");
    EXPECT_TRUE(rig.Logged("box Tarvisk Digital Sonar: " + IniLeftAloneText(path.string())));

    rig.system.iniReadError.clear();
    rig.system.iniPath = (path.parent_path() / "missing" / "TARVISK.INI").string();
    rig.log.clear();
    StopAndSaveOnClose(rig.system, rig.link, rig.state, rig.shell);
    ASSERT_EQ(rig.log.size(), 2u);
    EXPECT_EQ(rig.log[1].rfind("box Tarvisk Digital Sonar: The settings could not be saved.\n", 0),
              0u)
        << rig.log[1];

    // Scripted, the reason goes to stderr: nobody may be there to close a box.
    rig.state.scripted = true;
    rig.log.clear();
    StopAndSaveOnClose(rig.system, rig.link, rig.state, rig.shell);
    EXPECT_EQ(rig.log, (Log{"stop"}));
}

}  // namespace
}  // namespace tarvisk
