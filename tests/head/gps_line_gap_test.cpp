// The GPS thread on a real pseudo-terminal: a burst longer than one read, whose tail is
// thrown away at a line end, must not leave a part line to be spliced with later bytes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "head/gps_input.h"
#include "platform/pseudo_terminal.h"

namespace tarvisk {
namespace {

struct Recorder : GpsView {
    GpsState* state = nullptr;
    std::mutex mutex;
    std::vector<std::string> shown;
    void ShowGpsPosition(bool) override {
        const GpsFields f = state->Copy();
        std::lock_guard lock(mutex);
        shown.emplace_back(f.PositionText.data(), GpsPositionTextSize);
    }
    std::vector<std::string> Shown() {
        std::lock_guard lock(mutex);
        return shown;
    }
};

bool WaitFor(GpsInput& gps, uint64_t parsed) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (gps.SentencesParsed() < parsed) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void Send(PseudoTerminal& pty, const std::string& bytes) {
    ASSERT_EQ(::write(pty.MasterFd(), bytes.data(), bytes.size()),
              static_cast<ssize_t>(bytes.size()));
}

TEST(GpsLineGap, PartLineBeforeDiscardedBytesIsNotSplicedOntoLaterOnes) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Open(true, false));
    SonarSettings settings;
    settings.UseGPS = 1;
    settings.GPSType = 1;
    GpsState state;
    Recorder view;
    view.state = &state;
    GpsInput gps(settings, state, view);
    ASSERT_TRUE(gps.OpenGpsPort(1, pty.SlavePath()));
    ASSERT_TRUE(gps.StartGps());

    // One read takes 128 bytes: a line of another kind, sentence A, and the start of sentence
    // B cut in its latitude. The rest of the burst is queued and goes at A's line end.
    const std::string a =
        "$GPGGA,123519.25,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    const std::string bStart = "$GPGGA,000001.00,1111.1";
    std::string other = "$GPTXT,01,01,02,";
    other += std::string(128 - other.size() - 2 - a.size() - bStart.size(), 'X') + "\r\n";
    std::string burst = other + a + bStart;
    ASSERT_EQ(burst.size(), 128u);
    burst += "11,N,02222.222,E,1,08,0.9,545.4,M,46.9,M,,*00\r\n";
    burst += "$GPGGA,000002.00,3333.333,N,04444.444,E,1,08,0.9,545.4,M,46.9,M,,*00\r\n";
    Send(pty, burst);
    ASSERT_TRUE(WaitFor(gps, 1));

    // Spliced onto B's start the first line would read as 11.11.122 S033.33.333 W; the next
    // whole sentence is taken as usual. One write, read in one go (under 128 bytes).
    Send(pty,
         "22,S,03333.333,W,1,05,1.0,2.0,M,3.0,M,,*00\r\n"
         "$GPGGA,000003.00,5555.555,N,00666.666,W,1,08,0.9,5.0,M,6.0,M,,*00\r\n");
    ASSERT_TRUE(WaitFor(gps, 2));
    gps.StopGps();

    EXPECT_EQ(gps.SentencesParsed(), 2u);
    EXPECT_EQ(view.Shown(),
              (std::vector<std::string>{" 48.07.038 N011.31.000 E", " 55.55.555 N006.66.666 W"}));
}

}  // namespace
}  // namespace tarvisk
