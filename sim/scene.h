#pragma once
// What the simulated head looks at: a harbour basin with walls, a sloping bottom, a few point
// targets and a pipe, seen from a head at the origin (bearing 0 = +y, clockwise positive).

#include <array>
#include <cstdint>

namespace tarvisk::sim {

// Small, fast and seedable; the noise of every shot comes from here.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    // Uniform in [0, 1).
    float Uniform() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }

  private:
    uint64_t state_;
};

struct PingSettings {
    float rangeMeters = 50.0f;
    float gainDb = 6.0f;
    float absorptionDbPerMeter = 0.2f;  // what the head compensates in its time-varied gain
    float pulseMicroseconds = 100.0f;
};

inline constexpr int32_t MaxSceneSamples = 512;

class Scene {
  public:
    Scene() = default;
    // Levels 0..255 for `count` samples spread evenly over the range along one bearing.
    void Echoes(float bearingDegrees, const PingSettings& ping, Random& random, uint8_t* levels,
                int32_t count) const;
    // Distance to the first wall along the bearing (metres).
    float WallDistance(float bearingDegrees) const;

  private:
    struct Point {
        float x, y, strengthDb;
    };
    // Basin walls: the head sits inside x in [-20, 30], y in [-15, 45].
    float minX_ = -20.0f, maxX_ = 30.0f, minY_ = -15.0f, maxY_ = 45.0f;
    std::array<Point, 4> targets_{{{5.0f, 12.0f, -8.0f},
                                   {-8.0f, 25.0f, -4.0f},
                                   {12.0f, 6.0f, -12.0f},
                                   {-3.0f, -9.0f, -6.0f}}};
    // A pipe lying across the basin floor.
    float pipeX0_ = -20.0f, pipeY0_ = 34.0f, pipeX1_ = 30.0f, pipeY1_ = 20.0f;
};

}  // namespace tarvisk::sim
