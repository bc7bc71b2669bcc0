#include "imaging/grid.h"

#include <cmath>

namespace tarvisk {
namespace {

constexpr float RingAngleStep = 0.0008726645f;  // 0.05 degree
constexpr float HalfPi = 3.141592654f / 2.0f;

void Mark(SonarImage& image, int32_t x, int32_t y, bool on) {
    if (!InsideImage(x, y))
        return;
    uint8_t& p = image.At(x, y);
    p = on ? WithGridBit(p) : WithoutGridBit(p);
}

void MarkRow(SonarImage& image, int32_t y, int32_t step, bool on) {
    if (y < 0 || y >= ImageHeight)
        return;
    for (int32_t x = 0; x < ImageWidth; x += step)
        Mark(image, x, y, on);
}

void MarkColumn(SonarImage& image, int32_t x, int32_t step, bool on) {
    if (x < 0 || x >= ImageWidth)
        return;
    for (int32_t y = 0; y < ImageHeight; y += step)
        Mark(image, x, y, on);
}

// Rings of radius n x spacing (not above maxRadius) around (cx, cy), drawn as dots at
// steps of 0.05 degree from startAngle on.
void MarkRings(SonarImage& image, float spacing, float maxRadius, float cx, float cy,
               float startAngle, int32_t angleCount, bool on) {
    if (!(spacing > 0.0f))
        return;
    for (int32_t k = 1; k <= angleCount; ++k) {
        const float u = startAngle + float(k) * RingAngleStep;
        const float s = float(std::sin(double(u)));
        const float c = float(std::cos(double(u)));
        for (int32_t n = 1; float(n) * spacing <= maxRadius; ++n) {
            const float r = float(n) * spacing;
            Mark(image, int32_t(cx + r * s + 0.5f), int32_t(cy + r * c + 0.5f), on);
        }
    }
}

void SectorGrid(const SonarSettings& s, SonarImage& image, float spacing, bool on) {
    const bool profileGrid = s.ProfileGrid != 0;
    const bool zeroDown = s.ZeroDown != 0;
    MarkRow(image, profileGrid && !zeroDown ? 1 : 504, 1, on);
    MarkColumn(image, GridCentreColumn, 1, on);
    if (!profileGrid) {
        MarkRings(image, spacing, 510.0f, float(GridCentreColumn), 505.0f, HalfPi, 3600, on);
        return;
    }
    if (!(spacing > 0.0f))
        return;
    for (int32_t n = 1; float(n) * spacing < 506.0f; ++n) {
        const float d = float(n) * spacing;
        MarkRow(image, zeroDown ? int32_t(504.0f - d) : int32_t(d + 1.0f), 2, on);
    }
    for (int32_t n = 1; n <= 6; ++n) {
        const float d = float(n) * spacing;
        MarkColumn(image, int32_t(float(GridCentreColumn) - d), 2, on);
        MarkColumn(image, int32_t(float(GridCentreColumn) + d), 2, on);
    }
}

void PolarGrid(const SonarSettings& s, SonarImage& image, float spacing, bool on) {
    MarkRow(image, 253, 1, on);
    MarkColumn(image, GridCentreColumn, 1, on);
    if (!s.ProfileGrid) {
        MarkRings(image, spacing, 260.0f, float(GridCentreColumn), 252.0f, 0.0f, 7200, on);
        return;
    }
    if (!(spacing > 0.0f))
        return;
    for (int32_t n = 1; float(n) * spacing < 253.0f; ++n) {
        const float d = float(n) * spacing;
        MarkRow(image, int32_t(253.0f - d), 2, on);
        MarkRow(image, int32_t(d + 253.0f), 2, on);
    }
    for (int32_t n = 1; float(n) * spacing < 298.0f; ++n) {
        const float d = float(n) * spacing;
        MarkColumn(image, int32_t(float(GridCentreColumn) - d), 2, on);
        MarkColumn(image, int32_t(float(GridCentreColumn) + d), 2, on);
    }
}

void SideScanGrid(const SonarSettings& s, SonarImage& image, float spacing, bool on) {
    const int32_t track = SideScanTrackColumn(s.SSChannel);
    for (int32_t y = 0; y < ImageHeight; ++y) {
        if (!on)
            Mark(image, track, y, false);
        else if ((y & 8) == 0)
            Mark(image, track, y, true);
    }
    if (!(spacing > 0.0f))
        return;
    if (track == 595) {
        for (int32_t n = 1; 595.0f - float(n) * spacing >= 95.0f; ++n)
            MarkColumn(image, int32_t(595.0f - float(n) * spacing), 1, on);
    } else {
        for (int32_t n = 1; 95.0f + float(n) * spacing <= 595.0f; ++n)
            MarkColumn(image, int32_t(95.0f + float(n) * spacing), 1, on);
    }
}

}  // namespace

float GridSpacing(int32_t gridMode, int32_t units, float soundVelocity) {
    const bool feet = units == Feet;
    float base = gridMode == Polar ? (feet ? 45.72f : 50.0f) : (feet ? 91.44f : 100.0f);
    if (!(soundVelocity > 0.0f))
        return 0.0f;
    return base * 1500.0f / soundVelocity;
}

int32_t SideScanTrackColumn(int32_t ssChannel) {
    return ssChannel == StbdChannel ? 95 : 595;
}

void DrawGridPixels(const SonarSettings& settings, SonarImage& image) {
    const bool on = settings.Grid != 0;
    const int32_t mode = settings.GridMode;
    const float spacing = GridSpacing(mode, settings.Units, settings.SoundVelocityMeters);
    switch (mode) {
        case Polar:
            PolarGrid(settings, image, spacing, on);
            break;
        case SS:
            SideScanGrid(settings, image, spacing, on);
            break;
        default:
            SectorGrid(settings, image, spacing, on);
            break;
    }
}

SectorLimits ComputeSectorLimits(const SonarSettings& settings) {
    SectorLimits limits;
    const bool hanging = settings.ProfileGrid && !settings.ZeroDown;
    if (settings.SectorSize == 360) {
        limits.lowAngle = -180.0f;
        limits.highAngle = 180.0f;
    } else {
        const int32_t train = settings.Train;
        const float c = settings.RotateAngle + float(train > 180 ? train - 360 : train);
        const float h = float(settings.SectorSize) / 2.0f;
        limits.lowAngle = c - h;
        limits.highAngle = c + h;
    }
    // Single precision: (135 x 3.3333333) is 450 in float, 449.99 in double.
    const float stepsPerDegree = 3.3333333f;
    const float lowSteps = (limits.lowAngle + 180.0f) * stepsPerDegree;
    const float highSteps = (limits.highAngle + 180.0f) * stepsPerDegree;
    limits.first = int32_t(lowSteps);
    limits.second = int32_t(highSteps);
    if (hanging) {
        auto mirror = [](int32_t v) {
            int32_t m = 1200 - v;
            return m > 1199 ? 0 : m;
        };
        const int32_t first = mirror(limits.first);
        limits.first = mirror(limits.second);
        limits.second = first;
    }
    float angle = hanging ? limits.highAngle : limits.lowAngle;
    if (angle < 0.0f)
        angle += 360.0f;
    int32_t index = angle >= 180.0f ? std::abs(int32_t((180.0f - angle) / 3.0f))
                                    : int32_t(angle / 3.0f + 60.0f);
    if (settings.Xdcr == XdcrUp)
        index = 120 - index;
    if (index < 0 || index > 119)
        index = 0;
    limits.startIndex = index;
    return limits;
}

}  // namespace tarvisk
