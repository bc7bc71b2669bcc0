#pragma once
// A receiver capture sent again as the receiver sent it: its lines in order, each ending in
// CR LF, paced at the receiver's baud rate, from the top again at the end. Lines starting with
// "#" are the capture's own notes, never receiver output, and are not sent; nor are blank
// lines.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tarvisk::sim {

class NmeaReplay {
  public:
    using Clock = std::chrono::steady_clock;

    NmeaReplay() = default;
    ~NmeaReplay();
    NmeaReplay(const NmeaReplay&) = delete;
    NmeaReplay& operator=(const NmeaReplay&) = delete;

    // False, with the reason, when the file cannot be read or holds no receiver line.
    bool Open(const std::string& path, std::string& error);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // The next bytes of the endless stream, unpaced.
    size_t Next(uint8_t* out, size_t size);

    // Pacing: a receiver at `baud` puts baud / 10 bytes a second on the line (start bit, eight
    // data bits, stop bit). Begin starts the clock; Take hands out what has become due since,
    // at most `size` bytes (call again while it returns a full buffer).
    void Begin(int32_t baud, Clock::time_point now);
    size_t Take(Clock::time_point now, uint8_t* out, size_t size);

  private:
    bool ReadLine();

    std::FILE* file_ = nullptr;
    std::string pending_;  // the line being sent, with its CR LF
    size_t at_ = 0;
    bool lineStart_ = true;
    bool comment_ = false;
    bool continued_ = false;  // an overlong line sent in pieces
    int32_t baud_ = 4800;
    Clock::time_point start_{};
    int64_t sent_ = 0;
};

// Bytes a receiver at `baud` has sent `elapsed` after it started.
int64_t NmeaBytesDue(int32_t baud, NmeaReplay::Clock::duration elapsed);

}  // namespace tarvisk::sim
