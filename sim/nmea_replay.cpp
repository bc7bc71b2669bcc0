#include "sim/nmea_replay.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/named_file.h"

namespace tarvisk::sim {

namespace {
// A line of binary junk without line ends is sent in pieces of this size rather than read
// whole into memory.
constexpr size_t LinePiece = 4096;
}  // namespace

NmeaReplay::~NmeaReplay() {
    Close();
}

bool NmeaReplay::Open(const std::string& path, std::string& error) {
    Close();
    // A FIFO or a device named as the capture is refused, never waited on (it is replayed
    // from the start again and again, so it must be a file anyway).
    std::string why;
    const int fd = OpenRegularFileForReading(path, &why);
    file_ = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
    if (!file_) {
        if (fd >= 0)
            ::close(fd);
        error = "cannot use the GPS capture: " + why;
        return false;
    }
    if (!ReadLine()) {
        error = "the GPS capture " + path + " holds no receiver lines";
        Close();
        return false;
    }
    return true;
}

void NmeaReplay::Close() {
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    pending_.clear();
    at_ = 0;
    lineStart_ = true;
    comment_ = false;
    continued_ = false;
}

// The next receiver line (or piece of one) into pending_; false when a whole pass through
// the file found none.
bool NmeaReplay::ReadLine() {
    pending_.clear();
    at_ = 0;
    for (int wraps = 0; wraps < 2;) {
        const int c = std::getc(file_);
        if (c == EOF || c == '\n') {
            const bool wasComment = comment_;
            comment_ = false;
            lineStart_ = true;
            if (c == EOF) {
                std::clearerr(file_);
                std::rewind(file_);
                ++wraps;
            }
            if (wasComment)
                continue;
            if (!pending_.empty() && pending_.back() == '\r')
                pending_.pop_back();
            if (pending_.empty() && !continued_)
                continue;  // a blank line
            continued_ = false;
            pending_ += "\r\n";
            return true;
        }
        if (lineStart_) {
            lineStart_ = false;
            comment_ = c == '#';
        }
        if (comment_)
            continue;
        pending_ += static_cast<char>(c);
        if (pending_.size() >= LinePiece) {
            continued_ = true;
            return true;
        }
    }
    return false;
}

size_t NmeaReplay::Next(uint8_t* out, size_t size) {
    size_t n = 0;
    while (file_ && n < size) {
        if (at_ >= pending_.size() && !ReadLine())
            break;
        const size_t take = std::min(size - n, pending_.size() - at_);
        std::memcpy(out + n, pending_.data() + at_, take);
        at_ += take;
        n += take;
    }
    return n;
}

void NmeaReplay::Begin(int32_t baud, Clock::time_point now) {
    baud_ = baud > 0 ? baud : 4800;
    start_ = now;
    sent_ = 0;
}

size_t NmeaReplay::Take(Clock::time_point now, uint8_t* out, size_t size) {
    const int64_t due = NmeaBytesDue(baud_, now - start_);
    // After a long stall (a suspended process) a receiver would not have kept more than its
    // latest second for us: skip the rest instead of flooding the line.
    sent_ = std::max(sent_, due - baud_ / 10);
    if (due <= sent_)
        return 0;
    const size_t want = static_cast<size_t>(std::min<int64_t>(due - sent_, size));
    const size_t n = Next(out, want);
    sent_ += static_cast<int64_t>(want);  // an unreadable file loses its time slot
    return n;
}

int64_t NmeaBytesDue(int32_t baud, NmeaReplay::Clock::duration elapsed) {
    const int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
    if (us <= 0 || baud <= 0)
        return 0;
    return us / 1000 * baud / 10000;
}

}  // namespace tarvisk::sim
