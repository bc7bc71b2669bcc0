#include "imaging/fan.h"

#include "imaging/colour_tables.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tarvisk {
namespace {

constexpr double PiConstant = 3.141592654;
// The half-widths of the fan in single precision: 0.6 and 1.2 degrees.
constexpr float NarrowHalfWidth = 0.010471975f;
constexpr float WideHalfWidth = 0.02094395f;
constexpr float NarrowSpacing = 0.000997331f;
constexpr float WideSectorSpacing = 0.001021656f;
constexpr float WidePolarSpacing = 0.001994662f;

FanWeights MakeWeights() {
    FanWeights w{};
    for (int j = 0; j < 7; ++j)
        w.seven[j] = {int16_t(65 - 5 * j), 100, int16_t(35 + 5 * j)};
    for (int j = 0; j < 11; ++j)
        w.eleven[j] = {int16_t(75 - 5 * j), 100, int16_t(25 + 5 * j)};
    w.twentyOne = {{{100, 100, 0}, {100, 100, 0}, {100, 100, 0}, {90, 110, 0},  {80, 120, 0},
                    {70, 130, 0},  {60, 140, 0},  {50, 150, 0},  {40, 160, 0},  {30, 160, 10},
                    {20, 160, 20}, {10, 160, 30}, {0, 160, 40},  {0, 150, 50},  {0, 140, 60},
                    {0, 130, 70},  {0, 120, 80},  {0, 110, 90},  {0, 100, 100}, {0, 100, 100},
                    {0, 100, 100}}};
    int j = 0;
    for (int k = 0; k < 5; ++k)
        w.fortyOne[j++] = {100, 100, 0};
    for (int o = 95; o >= 40; o -= 5)
        w.fortyOne[j++] = {int16_t(o), int16_t(200 - o), 0};
    for (int n = 5; n <= 40; n += 5)
        w.fortyOne[j++] = {int16_t(40 - n), 160, int16_t(n)};
    for (int m = 155; m >= 105; m -= 5)
        w.fortyOne[j++] = {0, int16_t(m), int16_t(200 - m)};
    for (int k = 0; k < 5; ++k)
        w.fortyOne[j++] = {0, 100, 100};
    return w;
}

// Four lanes of the per-sample ray arithmetic (GCC and Clang vector extensions).
typedef float Float4 __attribute__((vector_size(16)));
typedef int32_t Int4 __attribute__((vector_size(16)));

inline Float4 Load4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store4(int32_t* p, Int4 v) {
    std::memcpy(p, &v, sizeof v);
}

}  // namespace

const FanWeights& FanWeightTables() {
    static const FanWeights weights = MakeWeights();
    return weights;
}

FanStep ChooseFanStep(const FanParams& params) {
    const FanWeights& w = FanWeightTables();
    const int32_t speed = std::clamp<int32_t>(params.speed, 0, 4);
    static constexpr int stepsPerShot[5] = {1, 2, 3, 4, 8};
    float stepAngle = params.stepping ? float(stepsPerShot[speed] * PiConstant / 600.0) : 0.0f;
    switch (speed) {
        case 0:
            return {stepAngle, 7, 7, w.seven.data()};
        case 1:
            return {stepAngle, 11, 5, w.eleven.data()};
        case 2:
            return {stepAngle, 17, 2, w.twentyOne.data() + 2};
        case 3:
            return {stepAngle, 21, 0, w.twentyOne.data()};
        default:
            if (params.polar)
                return {stepAngle, 21, 0, w.twentyOne.data()};
            return {stepAngle, 41, 0, w.fortyOne.data()};
    }
}

void FanTable::Build(const FanParams& params, float stepAngle) {
    float halfWidth = NarrowHalfWidth;
    float spacing = NarrowSpacing;
    size_ = 21;
    if (params.speed >= 4) {
        halfWidth = WideHalfWidth;
        spacing = params.polar ? WidePolarSpacing : WideSectorSpacing;
        size_ = params.polar ? 21 : 41;
    }
    float angle;
    if (params.drawDirection) {
        angle = params.bearing - halfWidth - stepAngle;
    } else {
        angle = params.bearing + halfWidth + stepAngle;
        spacing = -spacing;
    }
    for (int32_t j = 0; j < size_; ++j) {
        float s = float(std::sin(double(angle)));
        float c = -float(std::cos(double(angle)));
        rays_[size_t(j)] = FanRay{s, params.hanging ? -c : c};
        angle += spacing;
    }
}

int32_t FanOriginRow(bool polar, bool hanging) {
    if (polar)
        return 253;
    return hanging ? 1 : 505;
}

namespace {

// Rows per band at the least: thinner bands save little and cost the window a copy each.
constexpr int32_t MinBandRows = 24;

struct FanRays {
    const float* sines;
    const float* negCosines;
    int32_t count;
    float ox, oy, last;
};

// The columns the rays reach in rows [top, bottom): every ray is a straight segment from the
// origin, so its points in those rows lie between the two where it crosses their edges.
// Left as they are when no ray crosses those rows.
void BandColumns(const FanRays& rays, int32_t top, int32_t bottom, int32_t& left, int32_t& right) {
    // A row more each way: the drawing's single-precision steps may put a point of a nearly
    // level ray into the row beside the one exact arithmetic gives (and a point just above
    // row 0 truncates into it).
    const float low = float(top) - 1.0f;
    const float high = float(bottom) + 1.0f;
    float minX = 0.0f, maxX = 0.0f;
    bool any = false;
    for (int32_t j = 0; j < rays.count; ++j) {
        const float dx = rays.sines[j], dy = rays.negCosines[j];
        float r0 = 0.0f, r1 = rays.last;
        if (dy == 0.0f) {
            if (rays.oy < low || rays.oy >= high)
                continue;
        } else {
            const float a = (low - rays.oy) / dy, b = (high - rays.oy) / dy;
            r0 = std::max(r0, std::min(a, b));
            r1 = std::min(r1, std::max(a, b));
            if (r0 > r1)
                continue;
        }
        const float x0 = rays.ox + r0 * dx, x1 = rays.ox + r1 * dx;
        const float lo = std::min(x0, x1), hi = std::max(x0, x1);
        minX = any ? std::min(minX, lo) : lo;
        maxX = any ? std::max(maxX, hi) : hi;
        any = true;
    }
    if (!any)
        return;
    // One column more each side for the truncation and the single-precision steps.
    left = int32_t(std::floor(minX)) - 1;
    right = int32_t(std::floor(maxX)) + 1;
}

void CutIntoBands(const FanRays& rays, const ImageRect& box, ImageParts& parts) {
    parts = ImageParts{};
    parts.bounds = box;
    if (box.width <= 0 || box.height <= 0)
        return;
    const int32_t bands = std::clamp(box.height / MinBandRows, 1, ImageParts::Capacity);
    for (int32_t b = 0; b < bands; ++b) {
        const int32_t top = box.y + box.height * b / bands;
        const int32_t bottom = box.y + box.height * (b + 1) / bands;
        // No ray in the band cannot happen inside the box; the whole width is the safe answer.
        int32_t left = box.x, right = box.x + box.width - 1;
        BandColumns(rays, top, bottom, left, right);
        left = std::max(left, box.x);
        right = std::min(right, box.x + box.width - 1);
        if (left <= right)
            parts.rects[size_t(parts.count++)] =
                ImageRect{left, top, right - left + 1, bottom - top};
    }
}

}  // namespace

ImageRect DrawFanPixels(FanTable& table, const FanParams& params, const EchoHistory& history,
                        int32_t sampleCount, SonarImage& image, ImageParts* parts) {
    const FanStep step = ChooseFanStep(params);
    table.Build(params, step.stepAngle);
    const float ox = float(FanOriginColumn);
    const float oy = float(FanOriginRow(params.polar, params.hanging));
    const int32_t n = std::clamp<int32_t>(sampleCount, 0, int32_t(EchoLineSize));
    const int32_t rayCount = step.rayCount;
    // A fan value is at most 107, so over a grid pixel it gains the bit without reaching
    // the 245 limit: keeping the bit is a plain or.
    static_assert(EchoLevelMax + GridFlagBit <= GridPixelMax);
    const uint8_t gridMask = params.grid ? GridFlagBit : 0;

    // Rays and weights as padded arrays, four rays to a vector.
    constexpr int32_t Lanes = 4;
    constexpr int32_t Padded = (FanTableMax + Lanes - 1) / Lanes * Lanes;
    alignas(16) float sines[Padded] = {};
    alignas(16) float negCosines[Padded] = {};
    alignas(16) float w0[Padded] = {}, w1[Padded] = {}, w2[Padded] = {};
    for (int32_t j = 0; j < rayCount; ++j) {
        sines[j] = table[step.firstEntry + j].sin;
        negCosines[j] = table[step.firstEntry + j].negCos;
        w0[j] = step.weights[j].oldest;
        w1[j] = step.weights[j].middle;
        w2[j] = step.weights[j].newest;
    }

    alignas(16) int32_t xs[Padded], ys[Padded], values[Padded];
    const Float4 ox4 = {ox, ox, ox, ox};
    const Float4 oy4 = {oy, oy, oy, oy};
    const Float4 fifth = {0.005f, 0.005f, 0.005f, 0.005f};
    const Int4 levelMax = {EchoLevelMax, EchoLevelMax, EchoLevelMax, EchoLevelMax};
    float v = float(rayCount / 4);
    float r = 0.0f;
    uint8_t* pixels = image.pixels.data();
    for (int32_t i = 0; i < n; ++i) {
        const int32_t used = int32_t(v);
        if (used < rayCount)
            v += 0.5f;
        const float o = history.OldestLine[size_t(i)];
        const float m = history.MiddleLine[size_t(i)];
        const float w = history.NewestLine[size_t(i)];
        const Float4 rr = {r, r, r, r};
        const Float4 o4 = {o, o, o, o}, m4 = {m, m, m, m}, w4 = {w, w, w, w};
        for (int32_t j = 0; j < used; j += Lanes) {
            // Truncation toward zero: a ray just left of column 0 still lands in it.
            const Float4 x = ox4 + rr * Load4(sines + j);
            const Float4 y = oy4 + rr * Load4(negCosines + j);
            Store4(xs + j, __builtin_convertvector(x, Int4));
            Store4(ys + j, __builtin_convertvector(y, Int4));
            // The weighted sum is a whole number below 2^24, exact in single precision,
            // and sum x 0.005f truncates exactly as sum / 200 does for sums up to 21400.
            const Float4 sum = o4 * Load4(w0 + j) + m4 * Load4(w1 + j) + w4 * Load4(w2 + j);
            Int4 value = __builtin_convertvector(sum * fifth, Int4);
            value = value > levelMax ? levelMax : value;
            Store4(values + j, value);
        }
        // Later rays overwrite earlier ones where they meet.
        for (int32_t j = 0; j < used; ++j) {
            if (uint32_t(xs[j]) >= uint32_t(ImageWidth) || uint32_t(ys[j]) >= uint32_t(ImageHeight))
                continue;
            uint8_t& p = pixels[size_t(ys[j]) * ImageWidth + size_t(xs[j])];
            p = uint8_t(values[j] | (p & gridMask));
        }
        r += 1.0f;
    }
    if (n == 0) {
        if (parts)
            *parts = ImageParts{};
        return EmptyRect;
    }
    // Every ray is a straight segment from the origin, so the box of the origin and the ray
    // ends holds every pixel drawn (one more pixel for the truncation).
    const float last = float(n - 1);
    float minX = ox, maxX = ox, minY = oy, maxY = oy;
    for (int32_t j = 0; j < rayCount; ++j) {
        const float x = ox + last * sines[j];
        const float y = oy + last * negCosines[j];
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    const int32_t left = std::max(0, int32_t(std::floor(minX)));
    const int32_t top = std::max(0, int32_t(std::floor(minY)));
    const int32_t right = std::min(ImageWidth - 1, int32_t(std::ceil(maxX)));
    const int32_t bottom = std::min(ImageHeight - 1, int32_t(std::ceil(maxY)));
    const ImageRect box = left > right || top > bottom
                              ? EmptyRect
                              : ImageRect{left, top, right - left + 1, bottom - top + 1};
    if (parts)
        CutIntoBands(FanRays{sines, negCosines, rayCount, ox, oy, last}, box, *parts);
    return box;
}

}  // namespace tarvisk
