// A receiver capture replayed: what goes on the line and at what pace. (The program reading
// it through the simulator's GPS line is tried end to end in the window tests.)

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "sim/head_simulator.h"
#include "sim/nmea_replay.h"

namespace tarvisk::sim {
namespace {

using namespace std::chrono_literals;

std::filesystem::path Capture(const std::string& name, const std::string& text) {
    const auto path = std::filesystem::temp_directory_path() / ("tarvisk_replay_" + name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string Take(NmeaReplay& replay, size_t n) {
    std::string out(n, '\0');
    out.resize(replay.Next(reinterpret_cast<uint8_t*>(out.data()), n));
    return out;
}

TEST(NmeaReplay, SendsReceiverLinesEndingInCrLfAndLoops) {
    // Notes, blank lines, both line ends, and a last line without one.
    const auto path =
        Capture("lines", "# Receiver: test\n#\n$GPGGA,1\r\n\n$GPRMC,2\n  \r\n# mid\n$X");
    NmeaReplay replay;
    std::string error;
    ASSERT_TRUE(replay.Open(path.string(), error)) << error;
    const std::string once = "$GPGGA,1\r\n$GPRMC,2\r\n  \r\n$X\r\n";
    EXPECT_EQ(Take(replay, once.size() * 2 + 3), once + once + "$GP");
}

TEST(NmeaReplay, CapturesThatCannotBeReplayedAreRefused) {
    NmeaReplay replay;
    std::string error;
    EXPECT_FALSE(replay.Open("/nonexistent/capture.log", error));
    EXPECT_NE(error.find("/nonexistent/capture.log"), std::string::npos);
    error.clear();
    EXPECT_FALSE(replay.Open(Capture("notes", "# only notes\n\n#\n").string(), error));
    EXPECT_NE(error.find("no receiver lines"), std::string::npos) << error;
    EXPECT_FALSE(replay.Open(Capture("empty", "").string(), error));
    EXPECT_FALSE(replay.IsOpen());
    // The simulator does not start without its capture.
    SimulatorOptions options;
    options.gps = true;
    options.gpsReplayPath = "/nonexistent/capture.log";
    HeadSimulator simulator;
    EXPECT_FALSE(simulator.Start(options));
    EXPECT_NE(simulator.Error().find("/nonexistent/capture.log"), std::string::npos);
}

TEST(NmeaReplay, OverlongLinesGoInPiecesAndEndOnce) {
    const std::string junk(10000, 'J');
    NmeaReplay replay;
    std::string error;
    ASSERT_TRUE(replay.Open(Capture("junk", junk + "\n$A\n").string(), error));
    EXPECT_EQ(Take(replay, junk.size() + 6), junk + "\r\n$A\r\n");
}

TEST(NmeaReplay, PacedAtTenBitsAByte) {
    EXPECT_EQ(NmeaBytesDue(4800, 1s), 480);
    EXPECT_EQ(NmeaBytesDue(115200, 500ms), 5760);
    EXPECT_EQ(NmeaBytesDue(4800, -1s), 0);

    NmeaReplay replay;
    std::string error;
    ASSERT_TRUE(replay.Open(Capture("paced", "$GPGGA,0123456789\n").string(), error));
    std::array<uint8_t, 4096> buffer{};
    const auto t0 = NmeaReplay::Clock::time_point{} + 1000s;
    replay.Begin(4800, t0);
    EXPECT_EQ(replay.Take(t0, buffer.data(), buffer.size()), 0u);
    EXPECT_EQ(replay.Take(t0 + 20ms, buffer.data(), buffer.size()), 9u);
    // Nothing more until more time has passed; a small buffer gets the rest in turns.
    EXPECT_EQ(replay.Take(t0 + 20ms, buffer.data(), buffer.size()), 0u);
    EXPECT_EQ(replay.Take(t0 + 1s, buffer.data(), 400), 400u);
    EXPECT_EQ(replay.Take(t0 + 1s, buffer.data(), 400), 71u);
    // After a long stall at most the latest second goes out.
    EXPECT_EQ(replay.Take(t0 + 100s, buffer.data(), buffer.size()), 480u);
    const std::string line = "$GPGGA,0123456789\r\n";
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()), line.size()),
              (line + line).substr((9 + 400 + 71) % line.size(), line.size()));
}

}  // namespace
}  // namespace tarvisk::sim
