#include "imaging/fan.h"

#include "imaging/colour_tables.h"

#include <algorithm>
#include <cmath>

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

ImageRect DrawFanPixels(FanTable& table, const FanParams& params, const EchoHistory& history,
                        int32_t sampleCount, SonarImage& image) {
    const FanStep step = ChooseFanStep(params);
    table.Build(params, step.stepAngle);
    const float ox = float(FanOriginColumn);
    const float oy = float(FanOriginRow(params.polar, params.hanging));
    const int32_t n = std::clamp<int32_t>(sampleCount, 0, int32_t(EchoLineSize));
    const int32_t rayCount = step.rayCount;
    const FanRay* rays = &table[step.firstEntry];
    const FanWeight* weights = step.weights;
    const bool grid = params.grid;

    int32_t minX = ImageWidth, maxX = -1, minY = ImageHeight, maxY = -1;
    float v = float(rayCount / 4);
    float r = 0.0f;
    uint8_t* pixels = image.pixels.data();
    for (int32_t i = 0; i < n; ++i) {
        const int32_t used = int32_t(v);
        if (used < rayCount)
            v += 0.5f;
        const int32_t o = history.OldestLine[size_t(i)];
        const int32_t m = history.MiddleLine[size_t(i)];
        const int32_t w = history.NewestLine[size_t(i)];
        for (int32_t j = 0; j < used; ++j) {
            // Truncation toward zero: a ray just left of column 0 still lands in it.
            const int32_t x = int32_t(ox + r * rays[j].sin);
            const int32_t y = int32_t(oy + r * rays[j].negCos);
            if (x < 0 || x >= ImageWidth || y < 0 || y >= ImageHeight)
                continue;
            int32_t value =
                (o * weights[j].oldest + m * weights[j].middle + w * weights[j].newest) / 200;
            if (value > EchoLevelMax)
                value = EchoLevelMax;
            uint8_t& p = pixels[size_t(y) * ImageWidth + size_t(x)];
            p = KeepGrid(value, p, grid);
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
        r += 1.0f;
    }
    if (maxX < 0)
        return EmptyRect;
    return ImageRect{minX, minY, maxX - minX + 1, maxY - minY + 1};
}

}  // namespace tarvisk
