#pragma once
// The fan between two shots of a scanning head: rays across one step, each ray a weighted mix
// of the last three echo lines, drawn one step behind the head.

#include <array>
#include <cstdint>

#include "imaging/echo_history.h"
#include "imaging/sonar_image.h"

namespace tarvisk {

struct FanWeight {
    int16_t oldest;
    int16_t middle;
    int16_t newest;
};

// One entry of the fan table: the ray's (sin, -cos).
struct FanRay {
    float sin;
    float negCos;
};

inline constexpr int32_t FanTableMax = 41;

// The four weight tables, set once; each triple sums to 200.
struct FanWeights {
    std::array<FanWeight, 7> seven;
    std::array<FanWeight, 11> eleven;
    std::array<FanWeight, 21> twentyOne;
    std::array<FanWeight, 41> fortyOne;
};
const FanWeights& FanWeightTables();

// What the fan needs from the settings and the shot.
struct FanParams {
    float bearing = 0.0f;       // HeadAngleRadians of the current shot
    int32_t drawDirection = 1;  // 1: the head steps clockwise
    int32_t speed = 2;          // 0..4
    bool polar = false;
    bool stepping = true;  // false when the sector size is 0
    bool hanging = false;  // ProfileGrid on and ZeroDown off: bearing 0 points down
    bool grid = true;
};

// The per-speed choice of angle step, rays and weights.
struct FanStep {
    float stepAngle;
    int32_t rayCount;
    int32_t firstEntry;  // first fan table entry used
    const FanWeight* weights;
};
FanStep ChooseFanStep(const FanParams& params);

// The fan table for one shot (rebuilt before every fan).
class FanTable {
  public:
    void Build(const FanParams& params, float stepAngle);
    const FanRay& operator[](int32_t j) const { return rays_[size_t(j)]; }
    int32_t Size() const { return size_; }

  private:
    std::array<FanRay, FanTableMax> rays_{};
    int32_t size_ = 0;
};

// The origin row of the plan view.
int32_t FanOriginRow(bool polar, bool hanging);
inline constexpr int32_t FanOriginColumn = 298;

// Draws the fan for the first sampleCount samples of the history into the image and returns
// the rectangle it touched; `parts`, if given, gets that rectangle cut in bands of rows, each
// as wide as the fan is there. The caller holds the image lock.
ImageRect DrawFanPixels(FanTable& table, const FanParams& params, const EchoHistory& history,
                        int32_t sampleCount, SonarImage& image, ImageParts* parts = nullptr);

}  // namespace tarvisk
