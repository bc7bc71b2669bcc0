#pragma once
// Profile points (one per shot, the bottom or wall along the bearing), the ring of the last
// five mix points and the dredge line.

#include <array>
#include <cstdint>

#include "settings/sonar_settings.h"
#include "head/shot_record.h"
#include "imaging/sonar_image.h"

namespace tarvisk {

inline constexpr uint8_t ProfilePointColour = 106;
inline constexpr uint8_t DredgeLineColour = 88;
inline constexpr int32_t HeadPositionsPerTurn = 1200;

struct ImagePoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ImagePoint&) const = default;
};

struct ProfilePoints {
    // Points Only: the pixel last drawn at each head position; (0, 0) is empty.
    std::array<ImagePoint, HeadPositionsPerTurn> ProfilePointList{};
    // Mix modes: the last five points, repainted after each fan.
    std::array<ImagePoint, 5> MixPointRing{};
    int32_t MixNextSlot = 0;
    float LastDredgeDepth = 0.0f;
    int32_t DredgeRow = 0;
};

// Clears the ring and, unless keepList, the whole point list.
void ClearProfilePoints(ProfilePoints& points, bool keepList);

// The three drawings; each returns true when the image should be shown again. The caller
// holds the image lock.
bool DrawProfilePointOnlyPixels(const SonarSettings& settings, const ShotRecord& shot,
                                ProfilePoints& points, SonarImage& image);
bool DrawProfileMixPixels(const SonarSettings& settings, const ShotRecord& shot,
                          ProfilePoints& points, SonarImage& image);
// Returns the number of times the image is to be shown (0, 1 or 2: once for the erased line
// and once for the new one).
int32_t DrawDredgeLinePixels(const SonarSettings& settings, ProfilePoints& points,
                             SonarImage& image);

// The image row of the dredge line for a depth (may lie outside the image).
int32_t DredgeLineRow(const SonarSettings& settings, float depth);

}  // namespace tarvisk
