// The command line a desktop or a user gives: the program's options, Qt's own among them
// (QApplication reads those from the same argv), and a recording given by itself.
#include <gtest/gtest.h>

#include <vector>

#include "ui/command_line_options.h"

namespace tarvisk {
namespace {

bool Parse(std::vector<const char*> args, CommandLineOptions& o, std::string& error) {
    args.insert(args.begin(), "tarvisk");
    return ParseCommandLine(static_cast<int>(args.size()), args.data(), o, error);
}

TEST(CommandLine, QtOptionsAndTheirValuesAreLeftToQt) {
    CommandLineOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"-display", ":98", "-platform", "xcb", "-style", "windows", "--simulate",
                       "-qwindowgeometry", "800x600+0+0", "-reverse", "-platformtheme=gtk3"},
                      o, error))
        << error;
    EXPECT_TRUE(o.simulate);
    EXPECT_TRUE(o.qtStyle);  // the look the user asked for is not replaced
    EXPECT_TRUE(o.playPath.empty()) << "a Qt option's value taken for a file: " << o.playPath;

    CommandLineOptions plain;
    ASSERT_TRUE(Parse({"-stylesheet", "panel.qss"}, plain, error));
    EXPECT_FALSE(plain.qtStyle);
}

TEST(CommandLineRefuses, UnknownOptionsAndQtOptionsWithoutValue) {
    for (std::vector<const char*> args :
         {std::vector<const char*>{"-bogus"}, {"--platform-x"}, {"-display"}, {"--surveyfolder"}}) {
        CommandLineOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args.front();
        EXPECT_FALSE(error.empty());
    }
}

TEST(CommandLine, FileGivenByItselfIsPlayedOnceOnly) {
    CommandLineOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--survey-folder", "/media/stick/RUN 1.KSD"}, o, error)) << error;
    EXPECT_TRUE(o.surveyFolder);
    EXPECT_EQ(o.playPath, "/media/stick/RUN 1.KSD");

    CommandLineOptions twice;
    EXPECT_FALSE(Parse({"--play", "a.KSD", "b.KSD"}, twice, error));
    EXPECT_NE(error.find("only one file"), std::string::npos) << error;
}

TEST(CommandLine, SimulatedTrackNeedsTheSimulatorAndFourNumbers) {
    CommandLineOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--simulate", "--sim-track", "40.3977,-3.6527,30,1.5"}, o, error)) << error;
    EXPECT_TRUE(o.simulatorOnTrack);
    EXPECT_DOUBLE_EQ(o.simulatorTrack.headingDegrees, 30.0);
    EXPECT_DOUBLE_EQ(o.simulatorTrack.speedMetresPerSecond, 1.5);
    CommandLineOptions alone, bad;
    EXPECT_FALSE(Parse({"--sim-track", "40,-3,30,1"}, alone, error));
    EXPECT_NE(error.find("--simulate"), std::string::npos);
    EXPECT_FALSE(Parse({"--simulate", "--sim-track", "40,-3,30"}, bad, error));
}

}  // namespace
}  // namespace tarvisk
