#pragma once
// What the simulated head looks at: a 3-D scene of water, bottom, walls and objects, seen
// through a fan beam (narrow in the scanning plane, wide across it) from a head at a depth
// below the surface. World frame: x to starboard, y ahead, z up, the surface at z = 0.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

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
    // Exponential with mean 1: the power of a Rayleigh-faded echo (speckle).
    float Exponential();

  private:
    uint64_t state_;
};

enum class SceneKind { Harbour, Borehole, Channel };

// "harbour", "borehole" or "channel" (case-insensitive); false for anything else.
bool ParseSceneName(std::string_view name, SceneKind& kind);
std::string_view SceneName(SceneKind kind);
// The scenes with their dimensions, for --help texts.
std::string_view SceneHelpText();

// What the head was told for this shot.
struct PingSettings {
    float rangeMeters = 50.0f;
    float gainDb = 6.0f;
    float absorptionDbPerMeter = 0.2f;
    float pulseMicroseconds = 100.0f;
    float frequencyKhz = 675.0f;
    // The first cell the head sends (the cells before it lie inside the blanking distance);
    // the transducer's ring-down shows from here on.
    int32_t firstCell = 0;
};

// Where the transducer points, besides its own stepping: the azimuth drive turns the head
// about its long axis, the orientation module reports how the mounting is tilted.
struct HeadPose {
    float azimuthDegrees = 0.0f;  // drive position relative to its centre (600 steps)
    float pitchDegrees = 0.0f;
    float rollDegrees = 0.0f;
    float headingDegrees = 0.0f;
    bool mountedUp = false;    // transducer pointing up: the sweep turns the other way
    float aheadMetres = 0.0f;  // how far the boat has run ahead (the scene goes by astern)
};

inline constexpr int32_t MaxSceneSamples = 1024;

// One shot's result: levels 0..255 per sample, and the head's own profile range (metres to
// the first strong return beyond the minimum range; 0 when none).
struct EchoLine {
    std::array<uint8_t, MaxSceneSamples> levels{};
    float profileMeters = 0.0f;
};

class Scene {
  public:
    explicit Scene(SceneKind kind = SceneKind::Harbour);

    SceneKind Kind() const { return kind_; }
    void SetPose(const HeadPose& pose) { pose_ = pose; }

    // `count` samples spread evenly over the range along the beam at `bearingDegrees` (the
    // head's own angle, 0 = position 600). Deterministic for a given Random state.
    void Echoes(float bearingDegrees, const PingSettings& ping, float profileMinimumMeters,
                Random& random, EchoLine& line, int32_t count) const;

    // The mean echo power per sample before speckle and noise, in dB over the water's noise
    // at 0 dB gain; for tests and tuning.
    void MeanPowerDb(float bearingDegrees, const PingSettings& ping, float* powerDb,
                     int32_t count) const;

    // Slant range (metres) to the first surface along the beam axis; infinity when none.
    float AxisRange(float bearingDegrees) const;

    struct Vec {
        float x = 0, y = 0, z = 0;
    };
    // A surface the beam can hit. Plane: n·p = d over the region given by the bounds (walls
    // have bounds, the bottom and surface do not). Cylinder: axis from a to b, radius r.
    // Box: centre, half sizes, turned about z by `turn` radians.
    struct Surface {
        enum Kind { Plane, Cylinder, Box, Sphere } kind = Plane;
        Vec a, b, n;
        float d = 0, radius = 0, turn = 0;
        Vec lo{-1e9f, -1e9f, -1e9f}, hi{1e9f, 1e9f, 1e9f};  // bounds of a plane
        float strength = 1.0f;  // backscatter at normal incidence, linear
        float texture = 0.0f;   // 0..1: how much fixed spatial roughness modulates it
        bool isWaterSurface = false;
    };
    struct Hit {
        float range = 0;
        float cosIncidence = 0;  // between the ray and the surface normal
        const Surface* surface = nullptr;
        Vec point;
    };

  private:
    void Build();
    void PowerPerCell(float bearingDegrees, const PingSettings& ping, float* power,
                      int32_t count) const;
    bool Cast(const Vec& origin, const Vec& direction, Hit& hit) const;
    Vec Transducer() const { return {head_.x, head_.y + pose_.aheadMetres, head_.z}; }

    SceneKind kind_;
    HeadPose pose_;
    Vec head_;                 // transducer position
    bool sideways_ = false;    // head on its side: the sweep is a vertical plane
    float depressionDeg_ = 0;  // beam axis below the scanning plane
    float verticalBeamDeg_ = 30.0f;
    std::vector<Surface> surfaces_;
};

}  // namespace tarvisk::sim
