#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <array>
#include <chrono>
#include <numeric>

#include "platform/delay.h"
#include "platform/port_access.h"
#include "platform/port_probe.h"
#include "platform/pseudo_terminal.h"

namespace tarvisk {
namespace {

// Reads from the master end until `count` bytes arrived or a second passed.
std::vector<uint8_t> ReadMaster(int fd, size_t count) {
    std::vector<uint8_t> out;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (out.size() < count && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 10) <= 0)
            continue;
        uint8_t buffer[256];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0)
            out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

bool WaitQueued(SerialPort& port, int32_t count) {
    for (int i = 0; i < 1000; ++i) {
        SerialLineStatus status;
        if (!port.ReadStatus(status))
            return false;
        if (status.queued >= count)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

TEST(SerialPort, CarriesEveryByteValueUnchangedBothWays) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath(), 115200));

    // All 256 values, including the ones a cooked line would eat or translate (CR, LF,
    // XON/XOFF, ^C, ^D, 0xFC/0xFD frame ends).
    std::array<uint8_t, 256> all{};
    std::iota(all.begin(), all.end(), 0);
    ASSERT_EQ(port.Write(all.data(), all.size()), 256);
    ASSERT_TRUE(port.Drain());
    EXPECT_EQ(ReadMaster(pty.MasterFd(), 256), std::vector<uint8_t>(all.begin(), all.end()));

    ASSERT_EQ(write(pty.MasterFd(), all.data(), all.size()), 256);
    ASSERT_TRUE(WaitQueued(port, 256));
    std::array<uint8_t, 300> in{};
    EXPECT_EQ(port.Read(in.data(), in.size()), 256);
    EXPECT_TRUE(std::equal(all.begin(), all.end(), in.begin()));
    EXPECT_EQ(port.Read(in.data(), in.size()), 0) << "an empty queue is no data, not a fault";
    EXPECT_FALSE(port.Vanished());
}

TEST(SerialPort, QueuedCountPurgeAndModemLinesOnAPseudoTerminal) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    const uint8_t reply[13] = {'I', 'P', 'X', 16, 0, 0x58, 0x04, 50, 0, 0, 0, 0, 0xFC};
    ASSERT_EQ(write(pty.MasterFd(), reply, sizeof reply), 13);
    ASSERT_TRUE(WaitQueued(port, 13));
    SerialLineStatus status;
    ASSERT_TRUE(port.ReadStatus(status));
    EXPECT_EQ(status.queued, 13);
    EXPECT_EQ(status.errors, 0);
    EXPECT_TRUE(port.Purge());
    ASSERT_TRUE(port.ReadStatus(status));
    EXPECT_EQ(status.queued, 0);
    // A pseudo-terminal has no modem lines or error counters; that is not a failure.
    EXPECT_TRUE(port.SetRts(true));
    EXPECT_TRUE(port.SetDtr(false));
    SerialLineCounters counters;
    EXPECT_FALSE(port.ReadCounters(counters));
    EXPECT_FALSE(port.Vanished());
    EXPECT_EQ(port.WaitReadable(1), PortWait::Timeout);
}

TEST(SerialPort, FarEndClosingIsAVanishedPortEverywhere) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    const uint8_t partial[5] = {'I', 'G', 'X', 16, 0};
    ASSERT_EQ(write(pty.MasterFd(), partial, sizeof partial), 5);
    pty.Close();  // mid-reply

    EXPECT_EQ(port.WaitReadable(100), PortWait::Vanished);
    EXPECT_TRUE(port.Vanished());

    SerialPort again;  // each operation on its own notices too
    EXPECT_FALSE(again.Open(port.Path())) << "the device node is gone";
    uint8_t buffer[16];
    EXPECT_EQ(port.Read(buffer, sizeof buffer) > 0 ? 0 : -1, -1);
}

TEST(SerialPort, WriteToAVanishedPortFailsInsteadOfBlocking) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    pty.Close();
    const uint8_t frame[27] = {0xFE, 0x44};
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Write(frame, sizeof frame), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500));
    EXPECT_TRUE(port.Vanished());
}

TEST(SerialPort, RefusesWhatIsNotATerminal) {
    SerialPort port;
    EXPECT_FALSE(port.Open("/dev/null"));
    EXPECT_FALSE(port.Open("/nonexistent/ttyUSB9"));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Purge());
    EXPECT_EQ(port.Write(nullptr, 0), -1);
}

TEST(SerialPort, ReopensAfterCloseAlthoughTheMasterKeepsTheTerminal) {
    // The exclusive mark must not outlive the program's descriptor.
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Open(true));
    for (int i = 0; i < 3; ++i) {
        SerialPort port;
        ASSERT_TRUE(port.Open(pty.SlavePath())) << "open " << i;
    }
}

// Each reason an open fails is told apart, in the words the status line and the tools use.
TEST(SerialPortOpen, SaysWhyItCannotOpen) {
    SerialPort port;
    EXPECT_FALSE(port.Open("/nonexistent/ttyUSB7"));
    EXPECT_EQ(port.LastOpenProblem(), PortProblem::NotFound);
    EXPECT_EQ(PortProblemText(0, "/dev/ttyUSB7", PortProblem::NotFound),
              "COM1 (/dev/ttyUSB7) not found");
    EXPECT_FALSE(port.Open("/dev/null"));
    EXPECT_EQ(port.LastOpenProblem(), PortProblem::NotTerminal);

    PseudoTerminal pty;
    ASSERT_TRUE(pty.Open());
    SerialPort holder;
    ASSERT_TRUE(holder.Open(pty.SlavePath()));
    EXPECT_FALSE(port.Open(pty.SlavePath()));  // even for root, who passes the exclusive mark
    EXPECT_EQ(port.LastOpenProblem(), PortProblem::Busy);
    EXPECT_EQ(PortProblemText(2, pty.SlavePath(), PortProblem::Busy),
              "COM3 (" + pty.SlavePath() + ") in use by another program");
    holder.Close();
    EXPECT_TRUE(port.Open(pty.SlavePath()));
    EXPECT_EQ(port.LastOpenProblem(), PortProblem::None);
    EXPECT_TRUE(port.PathStillLeadsHere());
}

TEST(Delay, WaitsAtLeastTheTimeAskedForAndNotMuchMore) {
    for (int64_t us : {0, 200, 1500, 3000}) {
        int64_t t0 = MonotonicMicroseconds();
        DelayMicroseconds(us);
        int64_t took = MonotonicMicroseconds() - t0;
        EXPECT_GE(took, us);
        // Only catches a wildly wrong unit: a loaded machine may hold a spinning thread off
        // its core for tens of milliseconds.
        EXPECT_LT(took, us + 1000000);
    }
    // The send's waits: slept and spun, never shorter than asked, the spin kept in bounds.
    PunctualWait wait;
    for (int64_t us : {0, 100, 1500, 200, 1500, 3000, 1500}) {
        const int64_t t0 = MonotonicMicroseconds();
        wait.Wait(us);
        EXPECT_GE(MonotonicMicroseconds() - t0, us);
        EXPECT_GE(wait.MarginMicroseconds(), PunctualWait::MinMarginMicroseconds);
        EXPECT_LE(wait.MarginMicroseconds(), PunctualWait::MaxMarginMicroseconds);
    }
}

struct ProbeCase {
    const char* name;
    std::array<bool, ComPortCount> available;
    int32_t comPort, comPortGps;
    bool usableBefore;
    int32_t wantPort, wantGps;
    bool wantUsable;
};

TEST(ProbePorts, ChoosesHeadAndGpsPorts) {
    const std::array<bool, 8> none{};
    const std::array<bool, 8> com3com5{false, false, true, false, true, false, false, false};
    const std::array<bool, 8> com2only{false, true, false, false, false, false, false, false};
    const ProbeCase cases[] = {
        {"head falls to the lowest; GPS on it moves on", com3com5, 0, 2, false, 2, 4, true},
        {"both configured ports exist", com3com5, 4, 2, false, 4, 2, true},
        {"GPS equal to head moves to another", com3com5, 2, 2, false, 2, 4, true},
        {"no ports: both unchanged, GPS not usable", none, 0, 1, true, 0, 1, false},
        {"only the head's port: GPS shares it, mark kept", com2only, 0, 1, true, 1, 1, true},
        {"only the head's port, mark clear", com2only, 1, 1, false, 1, 1, false},
        {"GPS missing with no other port", com2only, 1, 6, true, 1, 6, false},
    };
    for (const ProbeCase& c : cases) {
        SonarSettings settings;
        settings.ComPort = c.comPort;
        settings.ComPortGPS = c.comPortGps;
        PortAvailability ports{c.available, c.usableBefore};
        ChoosePorts(settings, ports);
        EXPECT_EQ(settings.ComPort.Get(), c.wantPort) << c.name;
        EXPECT_EQ(settings.ComPortGPS.Get(), c.wantGps) << c.name;
        EXPECT_EQ(ports.gpsPortUsable, c.wantUsable) << c.name;
    }
}

TEST(ProbePorts, ProbesRealDevicesAndLeavesThemUsable) {
    PseudoTerminal a, b;
    ASSERT_TRUE(a.Open());
    ASSERT_TRUE(b.Open());
    std::array<std::string, ComPortCount> paths{};
    paths[2] = a.SlavePath();
    paths[4] = b.SlavePath();
    paths[5] = "/nonexistent/tty";
    SonarSettings settings;
    settings.ComPort = 0;
    settings.ComPortGPS = 2;
    PortAvailability ports;
    ProbePorts(settings, paths, ports);
    EXPECT_EQ(settings.ComPort.Get(), 2);
    EXPECT_EQ(settings.ComPortGPS.Get(), 4);
    EXPECT_TRUE(ports.gpsPortUsable);
    EXPECT_FALSE(ports.available[5]);
    SerialPort port;
    EXPECT_TRUE(port.Open(paths[2]));
}

template <typename F>
bool WaitFor(F condition) {
    for (int i = 0; i < 1000; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// A terminal set up the way a console or a modem line would be: cooked, echoing, 9600 baud,
// with input waiting.
struct ConsoleLike {
    PseudoTerminal pty;
    int fd = -1;
    termios before{};
    bool Open() {
        if (!pty.Open())
            return false;
        fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0 || tcgetattr(fd, &before) != 0)
            return false;
        before.c_lflag |= ICANON | ECHO | ISIG;
        before.c_iflag |= ICRNL | IXON;
        before.c_oflag |= OPOST | ONLCR;
        cfsetispeed(&before, B9600);
        cfsetospeed(&before, B9600);
        if (tcsetattr(fd, TCSANOW, &before) != 0 || tcgetattr(fd, &before) != 0)
            return false;
        return ::write(pty.MasterFd(), "AT\r", 3) == 3;
    }
    ~ConsoleLike() {
        if (fd >= 0)
            ::close(fd);
    }
    bool Unchanged() const {
        termios now{};
        return tcgetattr(fd, &now) == 0 && now.c_iflag == before.c_iflag &&
               now.c_oflag == before.c_oflag && now.c_cflag == before.c_cflag &&
               now.c_lflag == before.c_lflag && cfgetispeed(&now) == cfgetispeed(&before) &&
               std::equal(std::begin(now.c_cc), std::end(now.c_cc), std::begin(before.c_cc));
    }
    int Queued() const {
        int n = -1;
        ioctl(fd, FIONREAD, &n);
        return n;
    }
};

TEST(ProbePorts, LeavesADevicesSettingsAndInputAlone) {
    ConsoleLike console;
    ASSERT_TRUE(console.Open());
    ASSERT_TRUE(WaitFor([&] { return console.Queued() == 3; }));
    std::array<std::string, ComPortCount> paths{};
    paths[0] = console.pty.SlavePath();
    SonarSettings settings;
    PortAvailability ports;
    ProbePorts(settings, paths, ports);
    EXPECT_TRUE(ports.available[0]);
    EXPECT_TRUE(console.Unchanged());
    EXPECT_EQ(console.Queued(), 3) << "the probe flushed the device's input";
}

TEST(SerialPort, PutsTheDevicesSettingsBackOnClose) {
    ConsoleLike console;
    ASSERT_TRUE(console.Open());
    {
        SerialPort port;
        ASSERT_TRUE(port.Open(console.pty.SlavePath(), 115200));
        EXPECT_FALSE(console.Unchanged()) << "raw 115200 while the program has the port";
        // Reconfigured while open (the head port's StartAcquisition does so): still restored.
        ASSERT_TRUE(port.Configure(57600));
        port.Close();
        EXPECT_TRUE(console.Unchanged());
        // Closing twice, or after a failed open, must not disturb it either.
        port.Close();
        EXPECT_FALSE(port.Open("/nonexistent/tty"));
    }
    EXPECT_TRUE(console.Unchanged());
}

}  // namespace
}  // namespace tarvisk
