// A receiver capture replayed: what goes on the line, at what pace, and through the
// simulator's GPS pseudo-terminal.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/delay.h"
#include "platform/serial_port.h"
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

// The simulator's GPS line carries the capture, comments left out, from the top again.
TEST(NmeaReplay, SimulatorReplaysTheCaptureOnItsGpsLine) {
    const std::string body =
        "$GPGGA,214350,4023.8600,N,00339.1630,W,8,09,2.0,695.7,M,51.6,M,,*5A\n"
        "$GPGLL,4023.8600,N,00339.1630,W,214350,V,S*57\n";
    const auto path = Capture("sim", "# a capture\n" + body);
    SimulatorOptions options;
    options.gps = true;
    options.gpsReplayPath = path.string();
    options.gpsBaud = 115200;
    HeadSimulator simulator;
    ASSERT_TRUE(simulator.Start(options)) << simulator.Error();
    SerialPort port;
    ASSERT_TRUE(port.Open(simulator.GpsDevicePath(), 115200, true));
    const std::string one =
        "$GPGGA,214350,4023.8600,N,00339.1630,W,8,09,2.0,695.7,M,51.6,M,,*5A\r\n"
        "$GPGLL,4023.8600,N,00339.1630,W,214350,V,S*57\r\n";
    std::string got;
    const int64_t end = MonotonicMicroseconds() + 20'000'000;
    while (got.size() < 3 * one.size() && MonotonicMicroseconds() < end) {
        port.WaitReadable(20);
        uint8_t buffer[256];
        const int64_t n = port.Read(buffer, sizeof buffer);
        if (n > 0)
            got.append(reinterpret_cast<char*>(buffer), static_cast<size_t>(n));
    }
    simulator.Stop();
    // Opening the port dropped what was sent before; from the first GGA on, the stream is the
    // capture over and over.
    ASSERT_GE(got.size(), 3 * one.size());
    const size_t start = got.find("$GPGGA");
    ASSERT_NE(start, std::string::npos) << got;
    EXPECT_EQ(got.substr(start, 2 * one.size()), one + one);

    HeadSimulator refused;
    options.gpsReplayPath = "/nonexistent/capture.log";
    EXPECT_FALSE(refused.Start(options));
    EXPECT_NE(refused.Error().find("capture"), std::string::npos);
}

}  // namespace
}  // namespace tarvisk::sim
