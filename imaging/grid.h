#pragma once
// The range grid drawn into SonarImage (rings or profile lines in the plan views, range
// columns in side scan), and the sector limits the dial and the automated scans use.

#include <cstdint>

#include "settings/sonar_settings.h"
#include "imaging/sonar_image.h"

namespace tarvisk {

// Grid centre column in image coordinates (window column 301 less the frame and one).
inline constexpr int32_t GridCentreColumn = 297;

// Pixels between grid lines or rings for a display mode, units and sound velocity.
float GridSpacing(int32_t gridMode, int32_t units, float soundVelocity);

// Sets (grid on) or clears (grid off) the grid pixels of the current display mode.
// The caller holds the image lock.
void DrawGridPixels(const SonarSettings& settings, SonarImage& image);

// The track column of side scan (595 for Port, 95 for Stbd; Both is drawn as Port).
int32_t SideScanTrackColumn(int32_t ssChannel);

struct SectorLimits {
    int32_t first = 0;   // head position 0..1200
    int32_t second = 0;  // head position 0..1200
    int32_t startIndex = 0;
    float lowAngle = 0.0f;   // c - h, degrees
    float highAngle = 0.0f;  // c + h, degrees
};

// The limits of the working sector as the dial shows it.
SectorLimits ComputeSectorLimits(const SonarSettings& settings);

}  // namespace tarvisk
