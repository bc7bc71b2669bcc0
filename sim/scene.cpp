#include "sim/scene.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarvisk::sim {

namespace {
constexpr float DegToRad = 3.14159265f / 180.0f;
constexpr float SoundSpeed = 1500.0f;
constexpr float BeamHalfWidthDeg = 1.5f;
constexpr float SceneAbsorptionDbPerMeter = 0.15f;
constexpr float NoiseFloorDb = -62.0f;

float Ray(float ox, float oy, float dx, float dy, float x0, float y0, float x1, float y1) {
    // Distance along (dx, dy) to the segment, or infinity.
    float ex = x1 - x0, ey = y1 - y0;
    float den = dx * ey - dy * ex;
    if (std::fabs(den) < 1e-9f)
        return std::numeric_limits<float>::infinity();
    float t = ((x0 - ox) * ey - (y0 - oy) * ex) / den;
    float u = ((x0 - ox) * dy - (y0 - oy) * dx) / den;
    if (t <= 0.0f || u < 0.0f || u > 1.0f)
        return std::numeric_limits<float>::infinity();
    return t;
}
}  // namespace

float Scene::WallDistance(float bearingDegrees) const {
    float a = bearingDegrees * DegToRad;
    float dx = std::sin(a), dy = std::cos(a);
    float best = std::numeric_limits<float>::infinity();
    best = std::min(best, Ray(0, 0, dx, dy, minX_, minY_, maxX_, minY_));
    best = std::min(best, Ray(0, 0, dx, dy, maxX_, minY_, maxX_, maxY_));
    best = std::min(best, Ray(0, 0, dx, dy, maxX_, maxY_, minX_, maxY_));
    best = std::min(best, Ray(0, 0, dx, dy, minX_, maxY_, minX_, minY_));
    return best;
}

void Scene::Echoes(float bearingDegrees, const PingSettings& ping, Random& random, uint8_t* levels,
                   int32_t count) const {
    if (count <= 0)
        return;
    count = std::min(count, MaxSceneSamples);
    const float range = std::max(ping.rangeMeters, 1.0f);
    const float spacing = range / static_cast<float>(count);
    const float a = bearingDegrees * DegToRad;
    const float dx = std::sin(a), dy = std::cos(a);
    // The pulse smears each return over half its length in the water.
    const float smear = std::max(SoundSpeed * ping.pulseMicroseconds * 1e-6f * 0.5f, spacing);

    std::array<float, MaxSceneSamples> power{};  // linear backscatter per sample
    auto add = [&](float distance, float strengthDb, float width) {
        if (!(distance < range))
            return;
        int32_t lo = std::max<int32_t>(0, static_cast<int32_t>((distance - width) / spacing));
        int32_t hi =
            std::min<int32_t>(count - 1, static_cast<int32_t>((distance + width) / spacing));
        float amplitude = std::pow(10.0f, strengthDb / 10.0f);
        for (int32_t i = lo; i <= hi; ++i) {
            float r = (static_cast<float>(i) + 0.5f) * spacing;
            float u = (r - distance) / width;
            power[i] += amplitude * std::exp(-u * u);
        }
    };

    const float wall = WallDistance(bearingDegrees);
    // Sloping bottom: shallow towards the far wall, deeper behind the head; it lights up once
    // the beam reaches it and fades with grazing angle.
    const float depth = 6.0f - 2.5f * dy;
    for (int32_t i = 0; i < count; ++i) {
        float r = (static_cast<float>(i) + 0.5f) * spacing;
        if (r > depth && r < wall)
            power[i] += 0.002f * depth / r;
    }
    add(wall, 6.0f, smear + 0.3f);
    for (const Point& p : targets_) {
        float distance = std::hypot(p.x, p.y);
        float angle = std::atan2(p.x, p.y) / DegToRad;
        float off = std::remainder(bearingDegrees - angle, 360.0f);
        if (std::fabs(off) < 2.0f * BeamHalfWidthDeg && distance < wall) {
            float w = std::exp(-(off * off) / (BeamHalfWidthDeg * BeamHalfWidthDeg));
            add(distance, p.strengthDb + 10.0f * std::log10(std::max(w, 1e-6f)), smear);
        }
    }
    float pipe = Ray(0, 0, dx, dy, pipeX0_, pipeY0_, pipeX1_, pipeY1_);
    if (pipe < wall)
        add(pipe, -6.0f, smear + 0.15f);

    for (int32_t i = 0; i < count; ++i) {
        float r = (static_cast<float>(i) + 0.5f) * spacing;
        // Two-way spreading and absorption in the water, undone by the head's time-varied gain
        // (20 log r plus its own absorption setting); what is left shapes the picture.
        float lossDb = 40.0f * std::log10(std::max(r, 0.2f)) + 2.0f * SceneAbsorptionDbPerMeter * r;
        float tvgDb = 20.0f * std::log10(std::max(r, 0.2f)) + 2.0f * ping.absorptionDbPerMeter * r;
        float speckle = 0.3f + 1.4f * random.Uniform();
        float signalDb =
            power[i] > 0.0f ? 10.0f * std::log10(power[i] * speckle) - lossDb + tvgDb : -200.0f;
        float noiseDb = NoiseFloorDb + 6.0f * random.Uniform();
        float totalDb = 10.0f * std::log10(std::pow(10.0f, signalDb / 10.0f) +
                                           std::pow(10.0f, noiseDb / 10.0f));
        float level = (totalDb + ping.gainDb + 70.0f) * 3.2f;
        levels[i] = static_cast<uint8_t>(std::clamp(level, 0.0f, 255.0f));
    }
}

}  // namespace tarvisk::sim
