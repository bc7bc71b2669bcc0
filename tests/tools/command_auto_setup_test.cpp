// tarvisk-tool command in the auto setup: the frequency, absorption and pulse bytes follow the
// configuration row of every range and mode, from the built-in table or a .CFG file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "config/user_config.h"
#include "head/switch_command.h"
#include "tools/lib/service_commands.h"

namespace tarvisk {
namespace {

std::vector<int> Frame(std::vector<std::string> args) {
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out, err;
    EXPECT_EQ(RunCommandTool(views, out, err), ToolOk) << err.str();
    std::vector<int> bytes;
    std::istringstream in(out.str());
    for (std::string hex; in >> hex;)
        bytes.push_back(std::stoi(hex, nullptr, 16));
    EXPECT_EQ(bytes.size(), 27u);
    return bytes;
}

// The table as an operator would write it down, independent of the program's copy.
struct Row {
    int frequency, absorption, pulse;
};
const Row BuiltIn[15] = {{1000, 60, 10}, {1000, 60, 10}, {1000, 60, 10}, {1000, 60, 10},
                         {1000, 60, 30}, {675, 20, 30},  {675, 20, 50},  {675, 20, 80},
                         {675, 20, 110}, {675, 20, 130}, {675, 20, 160}, {675, 20, 210},
                         {675, 20, 270}, {290, 10, 400}, {290, 10, 530}};

TEST(CommandAutoSetup, EveryRangeAndModeSendsItsRow) {
    for (int range = 0; range < 15; ++range)
        for (int mode : {0, 1, 2}) {
            const auto f = Frame({"Range=" + std::to_string(range),
                                  "GridMode=" + std::to_string(mode), "ConfigType=1"});
            int pulse = BuiltIn[range].pulse * (mode == 1 ? 2 : 1);
            if (pulse > 1000)
                pulse = 1000;
            EXPECT_EQ(f[10], BuiltIn[range].absorption) << range << "/" << mode;
            EXPECT_EQ(f[14], pulse / 10) << range << "/" << mode;
            EXPECT_EQ(f[25], FrequencyCode(BuiltIn[range].frequency)) << range << "/" << mode;
        }
}

TEST(CommandAutoSetup, FileRowsAndTheManualSetup) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("tarvisk_cmdcfg_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "deep.cfg").string();
    UserConfig config;
    config.ConfigTable[6] = {20, 500, 77, 440};
    ASSERT_TRUE(WriteConfigFile(path, config));

    auto f = Frame({"Range=6", "GridMode=1", "ConfigType=1", "ConfigFile=" + path});
    EXPECT_EQ(f[10], 77);
    EXPECT_EQ(f[14], 88);
    EXPECT_EQ(f[25], FrequencyCode(500));
    // A file that cannot be read gives the built-in row.
    f = Frame({"Range=6", "GridMode=0", "ConfigType=1", "ConfigFile=/nonexistent/x.cfg"});
    EXPECT_EQ(f[14], 5);
    // Manual: the settings' own values.
    f = Frame({"Range=6", "ConfigType=0", "Frequency=400", "Absorption=99", "PulseLength=120",
               "ConfigFile=" + path});
    EXPECT_EQ(f[10], 99);
    EXPECT_EQ(f[14], 12);
    EXPECT_EQ(f[25], FrequencyCode(400));
}

}  // namespace
}  // namespace tarvisk
