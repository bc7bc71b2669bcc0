#include "platform/serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/delay.h"

namespace tarvisk {

namespace {

template <typename F>
int RetryOnInterrupt(F call) {
    int result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

// What a pseudo-terminal or a plain driver answers to an ioctl it does not implement.
bool IsUnsupported(int error) {
    return error == ENOTTY || error == EINVAL || error == ENOSYS;
}

}  // namespace

bool ProbeSerialDevice(const std::string& path) {
    int fd = RetryOnInterrupt([&] { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK); });
    if (fd < 0)
        return false;
    const bool terminal = isatty(fd) != 0;
    ::close(fd);
    return terminal;
}

bool IsVanishedError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF || error == EPIPE ||
           error == ESHUTDOWN;
}

namespace {
int32_t RateOfConstant(speed_t speed) {
    for (int32_t rate : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400})
        if (BaudConstant(rate) == speed)
            return rate;
    return 0;
}
}  // namespace

unsigned int BaudConstant(int32_t baudRate) {
    switch (baudRate) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return 0;
    }
}

namespace {
PortProblem ProblemOf(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
            return PortProblem::NotFound;
        case EBUSY:
        case EWOULDBLOCK:
            return PortProblem::Busy;
        case EACCES:
        case EPERM:
            return PortProblem::Denied;
        default:
            return PortProblem::Failed;
    }
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool IsPseudoTerminalDevice(dev_t device) {
    return major(device) >= 136 && major(device) <= 143;  // Unix98 pseudo-terminal slaves
}
}  // namespace

PathIdentity IdentifyPath(const std::string& path) {
    PathIdentity id;
    struct stat link {
    }, target{};
    if (::lstat(path.c_str(), &link) != 0 || ::stat(path.c_str(), &target) != 0)
        return id;
    id.valid = true;
    id.viaLink = S_ISLNK(link.st_mode);
    id.linkInode = link.st_ino;
    id.linkChanged = link.st_ctim;
    id.device = target.st_rdev;
    id.inode = target.st_ino;
    id.deviceChanged = target.st_ctim;
    id.pseudoTerminal = S_ISCHR(target.st_mode) && IsPseudoTerminalDevice(target.st_rdev);
    return id;
}

bool IsReusedTerminal(const PathIdentity& before, const PathIdentity& now) {
    if (!before.valid || !now.valid || !before.pseudoTerminal || !now.pseudoTerminal)
        return false;
    if (before.viaLink != now.viaLink ||
        (before.viaLink &&
         (before.linkInode != now.linkInode || !SameTime(before.linkChanged, now.linkChanged))))
        return false;
    return before.device == now.device && !SameTime(before.deviceChanged, now.deviceChanged);
}

SerialPort::~SerialPort() {
    Close();
}

bool SerialPort::Open(const std::string& path, int32_t baudRate, bool readOnly) {
    Close();
    problem_ = PortProblem::None;
    const int access = readOnly ? O_RDONLY : O_RDWR;
    int fd = RetryOnInterrupt([&] { return ::open(path.c_str(), access | O_NOCTTY | O_NONBLOCK); });
    if (fd < 0) {
        problem_ = ProblemOf(errno);
        return false;
    }
    if (!isatty(fd)) {
        ::close(fd);
        problem_ = PortProblem::NotTerminal;
        return false;
    }
    // The exclusive mark does not stop root, so another program's lock is honoured too (the
    // lock goes with the descriptor).
    if (RetryOnInterrupt([&] { return flock(fd, LOCK_EX | LOCK_NB); }) != 0 &&
        errno == EWOULDBLOCK) {
        ::close(fd);
        problem_ = PortProblem::Busy;
        return false;
    }
    // Exclusive like a COM port; pseudo-terminals may refuse, which is fine.
    ioctl(fd, TIOCEXCL);
    fd_ = fd;
    path_ = path;
    struct stat st {};
    pseudoTerminal_ = fstat(fd, &st) == 0 && IsPseudoTerminalDevice(st.st_rdev);
    haveSaved_ = tcgetattr(fd, &saved_) == 0;
    vanished_ = false;
    haveCounters_ = true;
    haveLineStatus_ = true;
    haveModemLines_ = true;
    lastCounters_ = {};
    if (!Configure(baudRate)) {
        Close();
        problem_ = PortProblem::Failed;
        return false;
    }
    identity_ = IdentifyPath(path);
    ReadCounters(lastCounters_);
    Purge();
    return true;
}

void SerialPort::Close() {
    if (fd_ >= 0) {
        // Leave the device as it was found (a vanished one cannot take it: no matter).
        if (haveSaved_)
            RetryOnInterrupt([&] { return tcsetattr(fd_, TCSANOW, &saved_); });
        haveSaved_ = false;
        // The exclusive mark outlives this descriptor while anyone else holds the terminal
        // (a simulator keeps its slave open), so take it off again.
        ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
}

bool SerialPort::PathStillLeadsHere() const {
    if (fd_ < 0)
        return false;
    struct stat open {
    }, now{};
    if (fstat(fd_, &open) != 0 || ::stat(path_.c_str(), &now) != 0)
        return false;
    return open.st_rdev == now.st_rdev && open.st_ino == now.st_ino && open.st_dev == now.st_dev;
}

bool SerialPort::Failed(int error) {
    if (IsVanishedError(error))
        vanished_ = true;
    return false;
}

bool SerialPort::Configure(int32_t baudRate) {
    if (fd_ < 0)
        return false;
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0)
        return Failed(errno);
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    // VMIN 1 makes an empty non-blocking read answer EAGAIN, so a read of 0 bytes can only
    // mean a hang-up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (baudRate != 0) {
        unsigned int speed = BaudConstant(baudRate);
        if (speed == 0)
            return false;
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
    }
    if (RetryOnInterrupt([&] { return tcsetattr(fd_, TCSANOW, &tio); }) != 0) {
        return Failed(errno);
    }
    baudRate_ = RateOfConstant(cfgetospeed(&tio));
    return true;
}

bool SerialPort::Purge() {
    if (fd_ < 0)
        return false;
    if (tcflush(fd_, TCIOFLUSH) != 0)
        return Failed(errno);
    return true;
}

bool SerialPort::PurgeInput() {
    if (fd_ < 0)
        return false;
    if (tcflush(fd_, TCIFLUSH) != 0)
        return Failed(errno);
    return true;
}

bool SerialPort::Drain() {
    if (fd_ < 0)
        return false;
    if (RetryOnInterrupt([&] { return tcdrain(fd_); }) != 0)
        return Failed(errno);
    return true;
}

namespace {
constexpr int64_t DrainRecheckMicroseconds = 30;
}  // namespace

bool SerialPort::DrainFrame(size_t bytes) {
    if (fd_ < 0)
        return false;
    const int64_t start = MonotonicMicroseconds();
    // Ten bits a byte (8N1); an unknown rate is taken as the head line's.
    const int64_t rate = baudRate_ > 0 ? baudRate_ : 115200;
    const int64_t lineTime =
        pseudoTerminal_ ? 0 : static_cast<int64_t>(bytes) * 10 * 1000000 / rate;
    const int64_t giveUp = start + 4 * lineTime + 20000;
    // The frame cannot be out before its line time: it is slept through.
    if (lineTime > 0)
        SleepMicroseconds(lineTime);
    for (;;) {
        const int64_t now = MonotonicMicroseconds();
        if (now >= giveUp)
            return true;
        int queued = 0;
        if (ioctl(fd_, TIOCOUTQ, &queued) != 0) {
            const int error = errno;
            if (!IsUnsupported(error))
                return Failed(error);
            queued = 0;
        }
        bool transmitterBusy = false;
        if (haveLineStatus_ && queued == 0) {
            unsigned int lsr = 0;
            if (ioctl(fd_, TIOCSERGETLSR, &lsr) != 0) {
                haveLineStatus_ = false;  // pseudo-terminals and most USB adapters
            } else {
                transmitterBusy = (lsr & TIOCSER_TEMT) == 0;
            }
        }
        if (queued == 0 && !transmitterBusy && now - start >= lineTime)
            return true;
        // What is left (a UART's FIFO, a pseudo-terminal's reader still to be scheduled) takes
        // tens of microseconds: looked at again after a short sleep, not in a spin.
        SleepMicroseconds(DrainRecheckMicroseconds);
    }
}

bool SerialPort::ReadCounters(SerialLineCounters& counters) const {
    if (fd_ < 0 || !haveCounters_)
        return false;
    serial_icounter_struct icount{};
    if (ioctl(fd_, TIOCGICOUNT, &icount) != 0)
        return false;
    counters.frame = icount.frame;
    counters.overrun = icount.overrun;
    counters.parity = icount.parity;
    counters.brk = icount.brk;
    counters.bufferOverrun = icount.buf_overrun;
    return true;
}

bool SerialPort::ReadStatus(SerialLineStatus& status) {
    status = {};
    if (fd_ < 0)
        return false;
    int queued = 0;
    if (ioctl(fd_, FIONREAD, &queued) != 0)
        return Failed(errno);
    status.queued = queued;
    if (haveCounters_) {
        serial_icounter_struct icount{};
        if (ioctl(fd_, TIOCGICOUNT, &icount) != 0) {
            int error = errno;
            if (IsUnsupported(error)) {
                haveCounters_ = false;  // a pseudo-terminal or a driver without counters
            } else {
                return Failed(error);
            }
        } else {
            if (icount.frame != lastCounters_.frame)
                status.errors |= LineErrorFrame;
            if (icount.overrun != lastCounters_.overrun)
                status.errors |= LineErrorOverrun;
            if (icount.parity != lastCounters_.parity)
                status.errors |= LineErrorParity;
            if (icount.brk != lastCounters_.brk)
                status.errors |= LineErrorBreak;
            if (icount.buf_overrun != lastCounters_.bufferOverrun) {
                status.errors |= LineErrorBufferOverrun;
            }
            lastCounters_ = {icount.frame, icount.overrun, icount.parity, icount.brk,
                             icount.buf_overrun};
        }
    }
    return true;
}

bool SerialPort::SetRts(bool on) {
    if (fd_ < 0)
        return false;
    // Twice a shot: a line without modem lines (a pseudo-terminal) is not asked again.
    if (!haveModemLines_)
        return true;
    int bits = TIOCM_RTS;
    if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) != 0) {
        int error = errno;
        if (IsUnsupported(error)) {
            haveModemLines_ = false;
            return true;
        }
        return Failed(error);
    }
    return true;
}

bool SerialPort::SetDtr(bool on) {
    if (fd_ < 0)
        return false;
    int bits = TIOCM_DTR;
    if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) != 0) {
        int error = errno;
        if (IsUnsupported(error))
            return true;
        return Failed(error);
    }
    return true;
}

int64_t SerialPort::Write(const uint8_t* data, size_t size, int timeoutMs) {
    if (fd_ < 0)
        return -1;
    size_t done = 0;
    const int64_t deadline = MonotonicMicroseconds() + int64_t{timeoutMs} * 1000;
    while (done < size) {
        ssize_t n = ::write(fd_, data + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            Failed(errno);
            return -1;
        }
        const int64_t left = deadline - MonotonicMicroseconds();
        if (left <= 0)
            break;  // the line is stuck; a short count, not an error
        pollfd p{fd_, POLLOUT, 0};
        int r = RetryOnInterrupt([&] { return ::poll(&p, 1, static_cast<int>(left / 1000) + 1); });
        if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            vanished_ = true;
            return -1;
        }
    }
    return static_cast<int64_t>(done);
}

int64_t SerialPort::Read(uint8_t* data, size_t size) {
    if (fd_ < 0)
        return -1;
    if (size == 0)
        return 0;
    for (;;) {
        ssize_t n = ::read(fd_, data, size);
        if (n > 0)
            return n;
        if (n == 0) {
            vanished_ = true;  // VMIN is 1: zero bytes is a hang-up
            return -1;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return 0;
        Failed(errno);
        return -1;
    }
}

PortWait SerialPort::WaitReadable(int timeoutMs) {
    if (fd_ < 0)
        return PortWait::Vanished;
    pollfd p{fd_, POLLIN, 0};
    int r = RetryOnInterrupt([&] { return ::poll(&p, 1, timeoutMs); });
    if (r < 0) {
        Failed(errno);
        return vanished_ ? PortWait::Vanished : PortWait::Timeout;
    }
    if (r == 0)
        return PortWait::Timeout;
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
        vanished_ = true;
        return PortWait::Vanished;
    }
    return PortWait::Readable;
}

}  // namespace tarvisk
