#include "platform/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>

namespace tarvisk {

bool MakeRaw(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

PseudoTerminal::~PseudoTerminal() {
    Close();
}

bool PseudoTerminal::Open(bool keepSlaveOpen, bool packetMode) {
    Close();
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0)
        return false;
    std::array<char, 128> name{};
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name.data(), name.size()) != 0) {
        ::close(master);
        return false;
    }
    int slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        ::close(master);
        return false;
    }
    // Raw before anyone else opens the slave: an echoing line would hand the simulator its
    // own replies as commands.
    if (!MakeRaw(slave)) {
        ::close(slave);
        ::close(master);
        return false;
    }
    if (packetMode) {
        int on = 1;
        if (ioctl(master, TIOCPKT, &on) != 0) {
            ::close(slave);
            ::close(master);
            return false;
        }
    }
    master_ = master;
    slavePath_ = name.data();
    if (keepSlaveOpen) {
        slave_ = slave;
    } else {
        ::close(slave);
    }
    return true;
}

void PseudoTerminal::Close() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = -1;
    master_ = -1;
    slavePath_.clear();
}

}  // namespace tarvisk
