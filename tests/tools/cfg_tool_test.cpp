// tarvisk-tool cfg: the built-in table written and printed back, and files it refuses.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "tools/lib/cfg_tool.h"

namespace tarvisk {
namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun Cfg(std::vector<std::string> args) {
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out, err;
    const int status = RunCfgTool(views, out, err);
    return {status, out.str(), err.str()};
}

TEST(CfgTool, WritesTheBuiltInTableAndPrintsItBack) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("tarvisk_cfgtool_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "default.cfg").string();
    ASSERT_EQ(Cfg({"--write-default", path}).status, 0);
    EXPECT_EQ(std::filesystem::file_size(path), 5200u);
    const ToolRun printed = Cfg({path});
    ASSERT_EQ(printed.status, 0) << printed.err;
    std::istringstream lines(printed.out);
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);)
        all.push_back(line);
    ASSERT_EQ(all.size(), 15u);
    EXPECT_EQ(all.front(), "1 M    1000  60   10");
    EXPECT_EQ(all[5], "10 M    675  20   30");
    EXPECT_EQ(all.back(), "200 M   290  10  530");
    EXPECT_EQ(Cfg({"--feet", path}).out.substr(0, 20), "3 FT   1000  60   10");

    // Not a configuration: status 1 and a reason; bad arguments: status 2.
    std::ofstream(dir / "short.cfg") << "CFG";
    const ToolRun refused = Cfg({(dir / "short.cfg").string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.out.empty());
    EXPECT_NE(refused.err.find("not a configuration file"), std::string::npos);
    EXPECT_EQ(Cfg({}).status, 2);
    EXPECT_EQ(Cfg({"a.cfg", "b.cfg"}).status, 2);
    EXPECT_EQ(Cfg({"--bogus", path}).status, 2);
    EXPECT_EQ(Cfg({"--write-default", (dir / "no/such/dir.cfg").string()}).status, 1);
}

}  // namespace
}  // namespace tarvisk
