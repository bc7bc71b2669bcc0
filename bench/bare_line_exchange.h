#pragma once
// The least any program pays on this line for one shot: the same system calls and waits as the
// live loop's exchange on a line without modem lines (the frame out, its time on the wire
// slept, the input purged, the reply's first byte waited for, the rest slept for, the reply
// read) and nothing else. Set beside the whole program's figure it tells the program's own
// cost from the machine's price for wake-ups and system calls, which on a virtual machine can
// be most of it.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <string>

namespace bench {

struct BareExchangeCost {
    double cpuMsPerShot = 0;
    double kernelMsPerShot = 0;
    int shots = 0;  // exchanges measured
};

inline double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

inline void SleepMicroseconds(int64_t us) {
    timespec t{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
    clock_nanosleep(CLOCK_MONOTONIC, 0, &t, nullptr);
}

// A Polar 50 m command; the simulator answers it as the program's own.
inline BareExchangeCost MeasureBareExchange(const std::string& line, int shots) {
    static constexpr std::array<uint8_t, 27> frame{
        0xFE, 0x44, 0x10, 0x32, 0x00, 0x00, 0x43, 0x00, 0x06, 0x01, 0x14, 0x3C, 0x78, 0x03,
        0x1A, 0x00, 0x00, 0x00, 0x00, 0x19, 0x08, 0x06, 0x00, 0x00, 0x05, 0x64, 0xFD};
    constexpr int64_t frameAndTurnRoundUs = 3000;  // 27 bytes at 115200 baud and the waits
    constexpr int warmUp = 10;
    BareExchangeCost cost;
    const int fd = ::open(line.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return cost;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B115200);
    ::tcsetattr(fd, TCSANOW, &t);
    std::array<uint8_t, 2048> reply{};
    int expected = 0;
    rusage before{};
    for (int i = 0; i < warmUp + shots; ++i) {
        if (i == warmUp)
            ::getrusage(RUSAGE_THREAD, &before);
        if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size()))
            break;
        int queued = 0;
        ::ioctl(fd, TIOCOUTQ, &queued);
        SleepMicroseconds(frameAndTurnRoundUs);
        ::tcflush(fd, TCIFLUSH);
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 500) <= 0)
            continue;
        ::ioctl(fd, FIONREAD, &queued);
        // The first exchange learns the reply's length (given time enough for the longest);
        // the rest sleep for its time on the line.
        const int missing = expected == 0 ? 1200 : expected > queued ? expected - queued : 1;
        p.events = 0;
        ::poll(&p, 1, missing * 10 * 1000 / 115200 + 1);
        ::ioctl(fd, FIONREAD, &queued);
        const ssize_t n = ::read(fd, reply.data(), reply.size());
        if (expected == 0 && n > 0)
            expected = static_cast<int>(n);
        if (i >= warmUp)
            ++cost.shots;
    }
    rusage after{};
    ::getrusage(RUSAGE_THREAD, &after);
    ::close(fd);
    if (cost.shots > 0) {
        const double kernel = Seconds(after.ru_stime) - Seconds(before.ru_stime);
        const double user = Seconds(after.ru_utime) - Seconds(before.ru_utime);
        cost.cpuMsPerShot = (kernel + user) / cost.shots * 1e3;
        cost.kernelMsPerShot = kernel / cost.shots * 1e3;
    }
    return cost;
}

}  // namespace bench
