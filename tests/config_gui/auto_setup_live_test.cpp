// The auto setup on the simulated head: after a range change the head receives the
// configuration row's frequency, absorption and pulse, as its command log shows.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <fstream>
#include <sstream>

#include "../gui/gui_support.h"
#include "app/program.h"
#include "head/switch_command.h"
#include "sim/head_simulator.h"

namespace tarvisk {
namespace {

std::vector<std::vector<int>> LoggedFrames(const std::filesystem::path& log) {
    std::vector<std::vector<int>> frames;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        std::istringstream hex(line);
        std::vector<int> bytes;
        for (std::string b; hex >> b;)
            bytes.push_back(std::stoi(b, nullptr, 16));
        if (bytes.size() == 27 && bytes[2] == 16)  // the head's frames
            frames.push_back(bytes);
    }
    return frames;
}

// Runs the window until the head has been sent a frame for the given range (metres), or a
// generous time has passed on a busy machine.
bool RunUntilRangeSent(const std::filesystem::path& log, int meters) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        for (const auto& f : LoggedFrames(log))
            if (f[3] == meters)
                return true;
    }
    return false;
}

TEST(AutoSetupLive, RangeChangeSendsTheRowToTheHead) {
    testing::App();
    const auto dir = testing::ScratchDir("auto_setup_live");
    UserConfig table;
    table.ConfigTable[14] = {200, 305, 44, 620};  // doubled in Polar: capped at 1000
    table.ConfigTable[7] = {30, 850, 9, 70};
    const std::string cfg = (dir / "survey.cfg").string();
    ASSERT_TRUE(WriteConfigFile(cfg, table));

    sim::HeadSimulator head;
    sim::SimulatorOptions simOptions;
    simOptions.commandLogPath = (dir / "commands.log").string();
    simOptions.unpaced = true;
    ASSERT_TRUE(head.Start(simOptions)) << head.Error();

    const auto ini = dir / "TARVISK.INI";
    testing::WriteFile(ini, "[Settings]\nConfigType=1\nConfigFile=" + cfg +
                                "\nRange=7\nGridMode=1\nComPort=0\nRunMode=0\n");
    CommandLineOptions options = testing::OptionsFor(ini);
    options.ports.push_back("COM1=" + head.DevicePath());
    Program program(options);
    std::string error;
    ASSERT_TRUE(program.Start(error, false)) << error;
    SonarSettings& s = program.System().settings;
    EXPECT_EQ(s.ConfigFile.Get(), cfg);
    EXPECT_TRUE(RunUntilRangeSent(dir / "commands.log", 30));

    // The operator steps the range to 200 m.
    s.Range = 14;
    program.Window().Panel().DrawRangeReadout();
    s.ClearRequest = 1;
    s.ParametersChanged = 1;
    EXPECT_TRUE(RunUntilRangeSent(dir / "commands.log", 200));
    program.Window().Close();
    head.Stop();

    const auto frames = LoggedFrames(dir / "commands.log");
    bool saw30 = false, saw200 = false;
    for (const auto& f : frames) {
        if (f[3] == 30) {
            saw30 = true;
            EXPECT_EQ(f[25], FrequencyCode(850));
            EXPECT_EQ(f[10], 9);
            EXPECT_EQ(f[14], 14);  // 70 us doubled
        }
        if (f[3] == 200) {
            saw200 = true;
            EXPECT_EQ(f[25], FrequencyCode(305));
            EXPECT_EQ(f[10], 44);
            EXPECT_EQ(f[14], 100);
        }
    }
    EXPECT_TRUE(saw30) << frames.size() << " head frames";
    EXPECT_TRUE(saw200) << frames.size() << " head frames";
}

}  // namespace
}  // namespace tarvisk
