#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/delay.h"
#include "platform/serial_port.h"
#include "sim/head_simulator.h"

namespace tarvisk::sim {
namespace {

const std::array<uint8_t, CommandSize> SectorCommand{
    0xFE, 0x44, 0x10, 0x0A, 0x00, 0x00, 0x43, 0x00, 0x06, 0x01, 0x14, 0x3C, 0x3C, 0x03,
    0x0A, 0x00, 0x00, 0x00, 0x00, 0x32, 0x08, 0x06, 0x00, 0x00, 0x05, 0x64, 0xFD};

// Sends a frame the way the program does (write, then purge) and collects `length` bytes.
std::vector<uint8_t> Exchange(SerialPort& port, const std::array<uint8_t, CommandSize>& frame,
                              size_t length, int timeoutMs = 2000) {
    port.Write(frame.data(), frame.size());
    port.Drain();
    DelayMicroseconds(3000);
    port.PurgeInput();
    std::vector<uint8_t> got;
    int64_t end = MonotonicMicroseconds() + int64_t{timeoutMs} * 1000;
    while (got.size() < length && MonotonicMicroseconds() < end) {
        if (port.WaitReadable(5) != PortWait::Readable)
            continue;
        uint8_t buffer[600];
        int64_t n = port.Read(buffer, sizeof buffer);
        if (n > 0)
            got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

class TempDir {
  public:
    TempDir() {
        char pattern[] = "/tmp/tarvisk-sim-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string path;
};

TEST(HeadSimulator, PacedReplyTakesThePingAndTheLineTime) {
    HeadSimulator simulator;
    SimulatorOptions options;
    ASSERT_TRUE(simulator.Start(options)) << simulator.Error();
    SerialPort port;
    ASSERT_TRUE(port.Open(simulator.DevicePath()));
    const int64_t t0 = MonotonicMicroseconds();
    auto reply = Exchange(port, SectorCommand, 513);
    const int64_t took = MonotonicMicroseconds() - t0;
    ASSERT_EQ(reply.size(), 513u);
    EXPECT_EQ(reply[1], 'G');
    EXPECT_EQ(reply[512], 0xFC);
    // 27 + 513 bytes at 11520 bytes/s plus the 13 ms echo of 10 m: at least 55 ms.
    EXPECT_GE(took, 55000);
}

// A head that answers early does not wait for the program's flush: a flush that comes after
// the answer has begun throws its start away, and the rest is no whole reply.
TEST(HeadSimulator, EarlyAnswerIsLostToALateFlush) {
    HeadSimulator simulator;
    SimulatorOptions options;
    options.earlyAnswerMicroseconds = 40000;
    ASSERT_TRUE(simulator.Start(options)) << simulator.Error();
    SerialPort port;
    ASSERT_TRUE(port.Open(simulator.DevicePath()));
    // Flushed at once: the answer comes after it, whole.
    auto reply = Exchange(port, SectorCommand, 513);
    ASSERT_EQ(reply.size(), 513u);
    EXPECT_EQ(reply[1], 'G');

    port.Write(SectorCommand.data(), SectorCommand.size());
    // Long enough for the answer to have begun on the most loaded machine, not to have ended.
    ASSERT_TRUE(port.WaitReadable(5000) == PortWait::Readable);
    port.PurgeInput();
    std::vector<uint8_t> rest;
    const int64_t end = MonotonicMicroseconds() + 500000;
    while (MonotonicMicroseconds() < end) {
        uint8_t buffer[600];
        if (port.WaitReadable(5) == PortWait::Readable) {
            const int64_t n = port.Read(buffer, sizeof buffer);
            if (n > 0)
                rest.insert(rest.end(), buffer, buffer + n);
        }
    }
    EXPECT_LT(rest.size(), 513u);
}

// A link left behind would lead, once the terminal's number is handed out again, to someone
// else's terminal.
TEST(HeadSimulator, TakesItsLinkAwayWhenTheLineCloses) {
    TempDir dir;
    HeadSimulator simulator;
    SimulatorOptions options;
    options.unpaced = true;
    options.linkPath = dir.path + "/line";
    ASSERT_TRUE(simulator.Start(options));
    EXPECT_TRUE(std::filesystem::is_symlink(options.linkPath));
    simulator.CloseLine();
    EXPECT_FALSE(std::filesystem::is_symlink(options.linkPath));
    ASSERT_TRUE(simulator.ReopenLine());
    EXPECT_TRUE(std::filesystem::is_symlink(options.linkPath));
    // A link another simulator has taken over is left to it.
    std::filesystem::remove(options.linkPath);
    std::filesystem::create_symlink("/dev/null", options.linkPath);
    simulator.Stop();
    EXPECT_TRUE(std::filesystem::is_symlink(options.linkPath));
}

TEST(HeadSimulator, LogsEveryFrameAndGoesSilentWhenAsked) {
    TempDir dir;
    HeadSimulator simulator;
    SimulatorOptions options;
    options.unpaced = true;
    options.commandLogPath = dir.path + "/frames.log";
    options.linkPath = dir.path + "/line";
    ASSERT_TRUE(simulator.Start(options));
    EXPECT_EQ(simulator.DevicePath(), options.linkPath);
    SerialPort port;
    ASSERT_TRUE(port.Open(options.linkPath));
    EXPECT_EQ(Exchange(port, SectorCommand, 513).size(), 513u);
    auto toDrive = SectorCommand;
    toDrive[2] = 0x1F;
    EXPECT_EQ(Exchange(port, toDrive, 13).size(), 13u);
    auto nobody = SectorCommand;
    nobody[2] = 0x11;
    EXPECT_TRUE(Exchange(port, nobody, 13, 100).empty());
    simulator.SetSilent(true);
    EXPECT_TRUE(Exchange(port, SectorCommand, 513, 100).empty());
    simulator.Stop();

    std::ifstream in(options.commandLogPath);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0],
              "FE 44 10 0A 00 00 43 00 06 01 14 3C 3C 03 0A 00 00 00 00 32 08 06 00 00 05 64 FD");
    EXPECT_EQ(lines[2].substr(0, 8), "FE 44 11");
}

TEST(HeadSimulator, GpsLineTalksOncePerSecond) {
    HeadSimulator simulator;
    SimulatorOptions options;
    options.unpaced = true;
    options.gps = true;
    options.gpsSentence = NmeaSentence::Gll;
    ASSERT_TRUE(simulator.Start(options));
    SerialPort gps;
    ASSERT_TRUE(gps.Open(simulator.GpsDevicePath(), 4800));
    std::string text;
    int64_t end = MonotonicMicroseconds() + 3000000;
    while (text.find("\r\n") == std::string::npos && MonotonicMicroseconds() < end) {
        gps.WaitReadable(20);
        char buffer[256];
        int64_t n = gps.Read(reinterpret_cast<uint8_t*>(buffer), sizeof buffer);
        if (n > 0)
            text.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_EQ(text.rfind("$GPGLL,", 0), 0u) << text;
}

TEST(HeadSimulatorTool, PrintsItsLinesAndDocumentsItsOptions) {
    const std::string tool = std::string(TARVISK_BINARY_DIR) + "/tools/tarvisk-headsim";
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "tarvisk-headsim not built";
    FILE* help = popen((tool + " --help").c_str(), "r");
    ASSERT_NE(help, nullptr);
    std::string text;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, help))
        text += buffer;
    EXPECT_EQ(pclose(help), 0);
    for (const char* option : {"--device", "--seed", "--unpaced", "--log-commands", "--gps",
                               "--silent-after", "--extra-head", "--azimuth-rate", "--help"}) {
        EXPECT_NE(text.find(option), std::string::npos) << option;
    }
    EXPECT_NE(system((tool + " --seed nine 2>/dev/null").c_str()), 0);
    EXPECT_NE(system((tool + " --extra-head 32 2>/dev/null").c_str()), 0);
    EXPECT_NE(system((tool + " --azimuth-rate -1 2>/dev/null").c_str()), 0);

    // A real run: the first line names the head line; a frame sent there is answered.
    TempDir dir;
    FILE* run = popen(
        (tool + " --unpaced --silent-after 30 --link " + dir.path + "/h & echo $!").c_str(), "r");
    ASSERT_NE(run, nullptr);
    char pid[32] = {};
    ASSERT_NE(fgets(pid, sizeof pid, run), nullptr);
    const std::string link = dir.path + "/h";
    for (int i = 0; i < 200 && !std::filesystem::exists(link); ++i)
        usleep(10000);
    SerialPort port;
    ASSERT_TRUE(port.Open(link));
    EXPECT_EQ(Exchange(port, SectorCommand, 513).size(), 513u);
    port.Close();
    EXPECT_EQ(system(("kill " + std::string(pid)).c_str()), 0);
    pclose(run);
}

}  // namespace
}  // namespace tarvisk::sim
