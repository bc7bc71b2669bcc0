#include "imaging/profile_points.h"

#include <algorithm>
#include <cmath>

#include "imaging/fan.h"

namespace tarvisk {
namespace {

bool Hanging(const SonarSettings& s) {
    return s.ProfileGrid && !s.ZeroDown;
}

// The point at ProfileSampleIndex along the shot's own bearing.
void PointPosition(const SonarSettings& s, const ShotRecord& shot, float round, int32_t& x,
                   int32_t& y) {
    const float b = shot.HeadAngleRadians;
    const float sx = float(std::sin(double(b)));
    float sy = -float(std::cos(double(b)));
    if (Hanging(s))
        sy = -sy;
    const float ox = float(FanOriginColumn);
    const float oy = float(FanOriginRow(s.GridMode == Polar, Hanging(s)));
    const float r = float(shot.ProfileSampleIndex);
    x = int32_t(ox + r * sx + round);
    y = int32_t(oy + r * sy + round);
}

int32_t WrapPosition(int32_t p) {
    if (p >= HeadPositionsPerTurn)
        p -= HeadPositionsPerTurn;
    if (p < 0)
        p += HeadPositionsPerTurn;
    return p;
}

}  // namespace

void ClearProfilePoints(ProfilePoints& points, bool keepList) {
    points.MixPointRing.fill(ImagePoint{});
    if (!keepList)
        points.ProfilePointList.fill(ImagePoint{});
}

bool DrawProfilePointOnlyPixels(const SonarSettings& settings, const ShotRecord& shot,
                                ProfilePoints& points, SonarImage& image) {
    const bool grid = settings.Grid != 0;
    // A decoded position of 1200 is the same bearing as 0; anything else out of range is not
    // a position at all.
    int32_t position = shot.HeadPosition;
    if (position == HeadPositionsPerTurn)
        position = 0;
    if (position < 0 || position >= HeadPositionsPerTurn)
        return false;
    const int32_t d = shot.DrawDirection ? 1 : -1;
    for (int32_t k = 0; k <= 8; ++k) {
        const ImagePoint& old = points.ProfilePointList[size_t(WrapPosition(position + k * d))];
        if (old == ImagePoint{} || !InsideImage(old.x, old.y))
            continue;
        uint8_t& p = image.At(old.x, old.y);
        p = KeepGrid(0, p, grid);
    }
    int32_t x = 0, y = 0;
    PointPosition(settings, shot, 0.0f, x, y);
    if (!InsideImage(x, y))
        return false;
    if (shot.ProfileSampleIndex > 0) {
        uint8_t& p = image.At(x, y);
        p = KeepGrid(ProfilePointColour, p, grid);
    }
    points.ProfilePointList[size_t(position)] = ImagePoint{x, y};
    return true;
}

bool DrawProfileMixPixels(const SonarSettings& settings, const ShotRecord& shot,
                          ProfilePoints& points, SonarImage& image) {
    if (shot.ProfileSampleIndex == 0)
        return false;
    const bool grid = settings.Grid != 0;
    for (const ImagePoint& q : points.MixPointRing) {
        if (q.x == 0 || q.y == 0 || !InsideImage(q.x, q.y))
            continue;
        uint8_t& p = image.At(q.x, q.y);
        p = KeepGrid(ProfilePointColour, p, grid);
    }
    int32_t x = 0, y = 0;
    PointPosition(settings, shot, 0.5f, x, y);
    if (!InsideImage(x, y))
        return false;
    // Shown from the next shot on, like the fan that trails the head by one step.
    points.MixPointRing[size_t(points.MixNextSlot)] = ImagePoint{x, y};
    points.MixNextSlot = (points.MixNextSlot + 1) % 5;
    return true;
}

int32_t DredgeLineRow(const SonarSettings& settings, float depth) {
    const int32_t index = std::clamp<int32_t>(settings.Range, MinRangeIndex, MaxRangeIndex);
    double range = RangeTable[size_t(index)].meters;
    if (settings.Units == Feet)
        range *= FeetPerMetre;
    const float f = float(range * settings.SoundVelocityMeters / 1500.0);
    if (!(f > 0.0f))
        return -1;
    const bool zeroDown = settings.ZeroDown != 0;
    if (settings.GridMode == Polar) {
        const float h = 250.0f * depth / f;
        return zeroDown ? int32_t(256.0f - h - 3.0f) : int32_t(256.0f + h - 3.0f);
    }
    const float h = 500.0f * depth / f;
    return zeroDown ? int32_t(504.0f - h) : int32_t(1.0f + h);
}

int32_t DrawDredgeLinePixels(const SonarSettings& settings, ProfilePoints& points,
                             SonarImage& image) {
    if (!settings.ProfileGrid || settings.GridMode == SS)
        return 0;
    const float depth = settings.ProfileDredgeDepth;
    if (!(depth > 0.0f) && depth == points.LastDredgeDepth)
        return 0;
    points.LastDredgeDepth = depth;
    const bool grid = settings.Grid != 0;
    auto onImage = [](int32_t row) { return row >= 1 && row <= 504; };
    const int32_t oldRow = points.DredgeRow;
    // Only a line that was drawn is erased (the start value 0 would wipe the top row).
    if (onImage(oldRow)) {
        uint8_t* p = image.Row(oldRow);
        for (int32_t x = 0; x < ImageWidth; ++x)
            p[x] = KeepGrid(0, p[x], grid) & GridFlagBit;
    }
    const int32_t row = DredgeLineRow(settings, depth);
    if (depth > 0.0f && onImage(row)) {
        uint8_t* p = image.Row(row);
        for (int32_t x = 0; x < ImageWidth; ++x)
            p[x] = KeepGrid(DredgeLineColour, p[x], grid);
    }
    int32_t copies = 0;
    if (row != oldRow && onImage(oldRow))
        ++copies;
    if (onImage(row)) {
        ++copies;
        points.DredgeRow = row;
    }
    return copies;
}

}  // namespace tarvisk
