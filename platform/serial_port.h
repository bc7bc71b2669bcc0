#pragma once
// One serial device over termios: raw 8N1, non-blocking, with the operations the head link
// needs. Pseudo-terminals stand in for real ports, so modem-line and counter ioctls that a
// pseudo-terminal refuses (ENOTTY, EINVAL) are not errors. A device that goes away (a USB
// adapter pulled out, the far end of a pseudo-terminal closed) is reported as vanished, never
// as "no data yet".

#include <sys/types.h>
#include <termios.h>
#include <time.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/serial_line_status.h"

namespace tarvisk {

enum class PortWait { Readable, Timeout, Vanished };

// Why the last Open failed.
enum class PortProblem { None, NotFound, Busy, Denied, NotTerminal, Reused, Failed };

// What a device path led to when it was opened: the link itself (when it is one) and the
// device behind it, with the times their nodes were last changed. A pseudo-terminal's node is
// made anew each time its number is handed out.
struct PathIdentity {
    bool valid = false;
    bool viaLink = false;
    ino_t linkInode = 0;
    timespec linkChanged{};
    dev_t device = 0;
    ino_t inode = 0;
    timespec deviceChanged{};
    bool pseudoTerminal = false;
};
PathIdentity IdentifyPath(const std::string& path);
// True when the path leads to the same pseudo-terminal number as before, through the same
// untouched link or name, but the terminal is a new one: the old one was given back and its
// number handed to someone else. A link made anew (a simulator started again) is no reuse.
bool IsReusedTerminal(const PathIdentity& before, const PathIdentity& now);

class SerialPort {
  public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the device for exclusive read and write (no controlling terminal) and puts it in
    // raw 8N1 at the given rate; 0 keeps the rate the device has. Returns false and leaves the
    // port closed when the device cannot be opened or configured. The device's own settings
    // are kept and put back by Close, so a console or modem on the port is left as found.
    // readOnly opens a device the program only listens to (a GPS receiver). A device another
    // program holds (its exclusive mark or lock) is refused as busy.
    bool Open(const std::string& path, int32_t baudRate = 115200, bool readOnly = false);
    PortProblem LastOpenProblem() const { return problem_; }
    // What the path led to at the last successful open (kept after Close).
    const PathIdentity& OpenedIdentity() const { return identity_; }
    // Whether the path still leads to the device that is open.
    bool PathStillLeadsHere() const;
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }
    int Fd() const { return fd_; }

    // Applies raw 8N1 at the rate (0 keeps the current rate). Returns false on failure.
    bool Configure(int32_t baudRate);

    // Discards both directions (input not yet read, output not yet sent).
    bool Purge();
    bool PurgeInput();
    // Waits until everything written has left the port.
    bool Drain();
    // The same in short steps, for the timed send: sleeps the line time of `bytes` at the
    // port's rate (none on a pseudo-terminal), then looks again every few tens of
    // microseconds until the driver's queue (and, where the driver tells, the transmitter) is
    // empty. A line that never empties is given up on after a bounded time, as if drained.
    bool DrainFrame(size_t bytes);
    // The rate the port runs at, in bits per second (0 when it cannot be told).
    int32_t BaudRate() const { return baudRate_; }
    // A pseudo-terminal has no line: what is written is there at once.
    bool IsPseudoTerminal() const { return pseudoTerminal_; }

    // Queued input and the error bits new since the last call (from the driver's counters).
    // Returns false when the device has vanished.
    bool ReadStatus(SerialLineStatus& status);
    // Cumulative driver counters; false when the driver keeps none.
    bool ReadCounters(SerialLineCounters& counters) const;

    bool SetRts(bool on);
    // False once a set of RTS found the line has none (a pseudo-terminal).
    bool HasModemLines() const { return haveModemLines_; }
    bool SetDtr(bool on);

    // Writes all bytes; waits for room at most timeoutMs in total. Returns the bytes written,
    // or -1 when the device vanished or failed.
    int64_t Write(const uint8_t* data, size_t size, int timeoutMs = 50);
    // Reads what is queued, up to size bytes, without waiting. Returns the count (0 when
    // nothing is queued) or -1 when the device vanished or failed.
    int64_t Read(uint8_t* data, size_t size);

    // Waits at most timeoutMs for input. Hang-ups and errors are Vanished.
    PortWait WaitReadable(int timeoutMs);

    // Set once the device has been seen to vanish; cleared by Open.
    bool Vanished() const { return vanished_; }

  private:
    bool Failed(int error);

    int fd_ = -1;
    std::string path_;
    termios saved_{};
    bool haveSaved_ = false;
    bool vanished_ = false;
    bool haveCounters_ = true;
    bool haveLineStatus_ = true;
    bool haveModemLines_ = true;  // RTS can be set (not on a pseudo-terminal)
    int32_t baudRate_ = 0;
    PortProblem problem_ = PortProblem::None;
    PathIdentity identity_{};
    bool pseudoTerminal_ = false;
    SerialLineCounters lastCounters_{};
};

// True when the device at path is a terminal that can be opened now. Opens it without
// changing anything (no settings, no flush, no exclusive mark) and closes it again.
bool ProbeSerialDevice(const std::string& path);

// Maps a rate in bits per second to the termios speed constant; 0 when unsupported.
unsigned int BaudConstant(int32_t baudRate);

// True for errno values that mean the device is gone rather than busy.
bool IsVanishedError(int error);

}  // namespace tarvisk
