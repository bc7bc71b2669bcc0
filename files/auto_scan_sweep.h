#pragma once
// The end-of-sweep test of the automated scans: a sector sweep ends when the head's step
// direction changes, a full circle when the position wraps to 0..8 from near the sector's end
// edge with more than 100 points logged. Shared by the live scans and the re-processing of
// recordings, so both cut the sweeps at the same shots.

#include <cstdint>

namespace tarvisk {

class SweepEndTest {
  public:
    // A scan starts: the direction of the shot in hand is the one to compare with.
    void Start(int32_t direction, int32_t position) {
        lastDirection_ = direction;
        lastPosition_ = position;
    }
    // One valid shot. While the scan waits for the sector start it only remembers the shot.
    // secondLimit: the sector's end edge in head positions; logged: points logged so far.
    bool Shot(bool waitingForStart, int32_t position, int32_t direction, int32_t sectorSize,
              int32_t secondLimit, int32_t logged) {
        bool ended = false;
        if (!waitingForStart) {
            if (sectorSize == 360)
                ended = position >= 0 && position <= 8 && lastPosition_ >= secondLimit - 8 &&
                        logged > 100;
            else
                ended = direction != lastDirection_;
        }
        lastPosition_ = position;
        lastDirection_ = direction;
        return ended;
    }
    int32_t LastDirection() const { return lastDirection_; }

  private:
    int32_t lastDirection_ = 0;
    int32_t lastPosition_ = 1200;
};

}  // namespace tarvisk
