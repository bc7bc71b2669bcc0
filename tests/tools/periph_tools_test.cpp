// tarvisk-tool head and gps against the simulated line and the receiver captures.

#include <sys/stat.h>

#include <sstream>

#include "tests/link/link_fixture.h"
#include "tools/lib/gps_tool.h"
#include "tools/lib/head_scan_tool.h"

namespace tarvisk::test {
namespace {

int RunTool(std::vector<std::string> args, std::string& out, std::string& err,
            LocalClock* clock = nullptr, bool gps = false) {
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream o, e;
    const int status = gps ? RunGpsTool(views, o, e) : RunHeadTool(views, o, e, clock);
    out = o.str();
    err = e.str();
    return status;
}

class SimulatedLine {
  public:
    SimulatedLine() {
        char pattern[] = "/tmp/tarvisk-tool-XXXXXX";
        dir_ = mkdtemp(pattern);
        options.unpaced = true;
        options.linkPath = dir_ + "/head";
        options.seed = 5;
    }
    ~SimulatedLine() {
        simulator.Stop();
        std::filesystem::remove_all(dir_);
    }
    sim::SimulatorOptions options;
    sim::HeadSimulator simulator;

  private:
    std::string dir_;
};

TEST(HeadTool, ScansProgramsAndScansAgain) {
    SimulatedLine line;
    line.options.extraHeads.push_back({18, sim::DeviceKind::EchoSounder});
    ASSERT_TRUE(line.simulator.Start(line.options));
    const std::string port = line.simulator.DevicePath();
    FastClock clock(15);
    std::string out, err;
    ASSERT_EQ(RunTool({"scan", "--port", port}, out, err, &clock), 0) << err;
    EXPECT_NE(out.find("ID: 16\nEPROM Revision: 2.14 - 17JUN24\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Sensor Type: Scanning Sonar\n"), std::string::npos);
    EXPECT_NE(out.find("nv_ram [ 15 ]:"), std::string::npos);
    EXPECT_EQ(out.find("ID: 17"), std::string::npos);
    EXPECT_EQ(out.find("ID: 24"), std::string::npos);
    // Every device that identifies itself, in ID order.
    const size_t sounder = out.find("ID: 18\n");
    const size_t drive = out.find("ID: 31\n");
    ASSERT_NE(sounder, std::string::npos) << out;
    ASSERT_NE(drive, std::string::npos) << out;
    EXPECT_LT(out.find("ID: 16\n"), sounder);
    EXPECT_LT(sounder, drive);
    EXPECT_NE(out.find("Sensor Type: Echo Sounder\n", sounder), std::string::npos);
    EXPECT_NE(out.find("Sensor Type: Azimuth Drive\n", drive), std::string::npos);
    EXPECT_NE(out.find("Gear Ratio: 6 : 1\n", drive), std::string::npos);

    ASSERT_EQ(RunTool({"program", "--port", port, "--id", "16", "--new-id", "20", "--serial",
                       "1234", "--depth", "3000"},
                      out, err),
              0)
        << err;
    EXPECT_NE(out.find("ID: 20\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Serial Number: 1234\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Depth Rating: 3000 Meters\n"), std::string::npos) << out;

    ASSERT_EQ(RunTool({"scan", "--port", port}, out, err, &clock), 0) << err;
    EXPECT_NE(out.find("ID: 20\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("ID: 16\n"), std::string::npos) << out;
}

// At line speed the last ID's answer comes after the scan has wrapped to 16: the drive at 31
// is still reported although 30 is silent.
TEST(HeadTool, ReportsTheLastIdAtLineSpeed) {
    SimulatedLine line;
    line.options.unpaced = false;
    ASSERT_TRUE(line.simulator.Start(line.options));
    FastClock clock(300);
    std::string out, err;
    ASSERT_EQ(RunTool({"scan", "--port", line.simulator.DevicePath()}, out, err, &clock), 0) << err;
    EXPECT_NE(out.find("ID: 16\n"), std::string::npos) << out;
    EXPECT_NE(out.find("ID: 31\n"), std::string::npos) << out;
}

TEST(HeadTool, RefusesBadValuesBeforeSendingAndFailsWhenNothingAnswers) {
    SimulatedLine line;
    ASSERT_TRUE(line.simulator.Start(line.options));
    const std::string port = line.simulator.DevicePath();
    std::string out, err;
    EXPECT_EQ(RunTool({"program", "--port", port, "--id", "16", "--serial", "10000"}, out, err), 2);
    EXPECT_NE(err.find("Serial Number is out of range!\nUse 0 to 9999."), std::string::npos);
    EXPECT_EQ(RunTool({"program", "--port", port, "--id", "32"}, out, err), 2);
    EXPECT_NE(err.find("Head ID is out of range!"), std::string::npos);
    EXPECT_EQ(RunTool({"program", "--port", port, "--id", "16", "--depth", "2000"}, out, err), 2);
    EXPECT_EQ(line.simulator.Stats().framesReceived, 0u);

    line.simulator.SetSilent(true);
    FastClock clock(10);
    EXPECT_EQ(RunTool({"scan", "--port", port}, out, err, &clock), 1);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(RunTool({"program", "--port", port, "--id", "16"}, out, err), 1);
}

std::string Capture(const char* name) {
    return std::string(TARVISK_SOURCE_DIR) + "/tests/fuzz/seeds/nmea_fuzz/" + name;
}

TEST(GpsTool, PrintsEveryGgaOfACapture) {
    std::string out, err;
    ASSERT_EQ(RunTool({"--file", Capture("garmin-geko201.log")}, out, err, nullptr, true), 0)
        << err;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 18);
    // Each line: the quoted 24-character text, then six values.
    std::istringstream lines(out);
    std::string first;
    std::getline(lines, first);
    ASSERT_GE(first.size(), 26u);
    EXPECT_EQ(first[0], '"');
    EXPECT_EQ(first[25], '"');
    std::istringstream rest(first.substr(26));
    std::string utc;
    int fix = -1, satellites = -1;
    double hdop = -1, altitude = -1, third = -1;
    rest >> utc >> fix >> satellites >> hdop >> altitude >> third;
    EXPECT_TRUE(rest.eof() || rest.good());
    EXPECT_EQ(utc.size(), 11u);
    EXPECT_EQ(utc[2], ':');
    EXPECT_GE(fix, 0);
    EXPECT_EQ(third, 0.0);

    ASSERT_EQ(RunTool({"--type", "GLL", "--file", Capture("garmin-geko201.log")}, out, err, nullptr,
                      true),
              0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 18);
    EXPECT_EQ(out.find(':'), std::string::npos);  // position text only

    // The capture's LF-only lines as they are: no sentence ends in CR LF.
    EXPECT_EQ(RunTool({"--raw", "--file", Capture("garmin-geko201.log")}, out, err, nullptr, true),
              1);
    EXPECT_EQ(RunTool({"--file", "/nonexistent"}, out, err, nullptr, true), 2);
    char folder[] = "/tmp/tarvisk-gps-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string fifo = std::string(folder) + "/receiver";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(RunTool({"--file", fifo}, out, err, nullptr, true), 2);  // refused, not waited on
    EXPECT_NE(err.find("is a FIFO"), std::string::npos) << err;
    std::filesystem::remove_all(folder);
    EXPECT_EQ(RunTool({"--type", "RMC", "--file", Capture("garmin-geko201.log")}, out, err, nullptr,
                      true),
              2);
}

TEST(GpsTool, TakesTheLongSentencesOfAnRtkReceiver) {
    std::string out, err;
    ASSERT_EQ(RunTool({"--file", Capture("nmea-fuzzy-cases.log")}, out, err, nullptr, true), 0)
        << err;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 14);
    EXPECT_NE(out.find("\" 41.34.498 N093.45.033 W\""), std::string::npos) << out;
}

TEST(GpsTool, ReadsASerialDevice) {
    SimulatedLine line;
    line.options.gps = true;
    ASSERT_TRUE(line.simulator.Start(line.options));
    std::string out, err;
    ASSERT_EQ(RunTool({"--port", line.simulator.GpsDevicePath(), "--count", "2", "--seconds", "10"},
                      out, err, nullptr, true),
              0)
        << err;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);
    EXPECT_NE(out.find(" N1"), std::string::npos) << out;  // the talker's boat near 49 N 123 W
}

}  // namespace
}  // namespace tarvisk::test
