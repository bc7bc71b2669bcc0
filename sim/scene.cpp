#include "sim/scene.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <string>

namespace tarvisk::sim {

namespace {

constexpr float Pi = 3.14159265f;
constexpr float DegToRad = Pi / 180.0f;
constexpr float SoundSpeed = 1500.0f;
constexpr float Infinity = std::numeric_limits<float>::infinity();

// The beam is sampled by this many slices across its wide dimension and three rays across the
// narrow one; enough to draw a continuous bottom and crisp shadows at a few thousand
// intersection tests a shot.
constexpr int32_t Slices = 24;
constexpr int32_t InPlaneRays = 3;
constexpr std::array<float, InPlaneRays> InPlaneWeights{0.25f, 0.5f, 0.25f};
// In-plane beam width at 675 kHz; a real aperture narrows in proportion to frequency.
constexpr float InPlaneBeamDegAt675 = 1.4f;

// Scales a slice's energy to dB over the water's noise (noise power 1 at 0 dB gain).
constexpr float EnergyScale = 2.0e5f;
// Received level: raw = LevelPerDb * (power dB + gain dB).
constexpr float LevelPerDb = 2.0f;
// Transmit ring-down: power of its first sample (dB over noise) and its decay per sample.
constexpr float RingDownDb = 52.0f;
constexpr float RingDownDecay = 0.22f;
constexpr int32_t RingDownSamples = 4;
// The head reports a profile point where the mean return (with gain) reaches this.
constexpr float ProfileThresholdDb = 28.0f;

using Vec = Scene::Vec;

Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec operator*(Vec a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
float Dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec Normalised(Vec a) {
    float l = std::sqrt(Dot(a, a));
    return l > 0 ? a * (1.0f / l) : a;
}
Vec RotateZ(Vec v, float radians) {
    // Clockwise seen from above, as bearings turn.
    float c = std::cos(radians), s = std::sin(radians);
    return {v.x * c + v.y * s, -v.x * s + v.y * c, v.z};
}
Vec RotateX(Vec v, float radians) {
    // Bow up for a positive pitch.
    float c = std::cos(radians), s = std::sin(radians);
    return {v.x, v.y * c - v.z * s, v.y * s + v.z * c};
}
Vec RotateY(Vec v, float radians) {
    // Starboard down for a positive roll.
    float c = std::cos(radians), s = std::sin(radians);
    return {v.x * c - v.z * s, v.y, v.x * s + v.z * c};
}

// Fixed roughness of a surface: the same patch looks the same on every sweep.
float Texture(const Vec& p, float amount) {
    if (amount <= 0.0f)
        return 1.0f;
    auto cell = [](float v) { return static_cast<int64_t>(std::floor(v * 2.5f)); };
    uint64_t h = static_cast<uint64_t>(cell(p.x)) * 0x9E3779B97F4A7C15ull ^
                 static_cast<uint64_t>(cell(p.y)) * 0xC2B2AE3D27D4EB4Full ^
                 static_cast<uint64_t>(cell(p.z)) * 0x165667B19E3779F9ull;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    float u = static_cast<float>(h & 0xFFFF) / 65535.0f;
    return 1.0f + amount * (2.0f * u - 1.0f);
}

Scene::Surface Plane(Vec n, float d, float strength, float texture) {
    Scene::Surface s;
    s.kind = Scene::Surface::Plane;
    s.n = Normalised(n);
    s.d = d / std::sqrt(Dot(n, n));
    s.strength = strength;
    s.texture = texture;
    return s;
}

Scene::Surface Cylinder(Vec a, Vec b, float radius, float strength, float texture) {
    Scene::Surface s;
    s.kind = Scene::Surface::Cylinder;
    s.a = a;
    s.b = b;
    s.radius = radius;
    s.strength = strength;
    s.texture = texture;
    return s;
}

Scene::Surface Sphere(Vec c, float radius, float strength) {
    Scene::Surface s;
    s.kind = Scene::Surface::Sphere;
    s.a = c;
    s.radius = radius;
    s.strength = strength;
    return s;
}

Scene::Surface Box(Vec centre, Vec half, float turnDegrees, float strength) {
    Scene::Surface s;
    s.kind = Scene::Surface::Box;
    s.a = centre;
    s.b = half;
    s.turn = turnDegrees * DegToRad;
    s.strength = strength;
    s.texture = 0.3f;
    return s;
}

bool Inside(const Vec& p, const Vec& lo, const Vec& hi) {
    return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y && p.z >= lo.z && p.z <= hi.z;
}

// Nearest t > 0 of a ray against a surface, with the surface normal there.
float Intersect(const Scene::Surface& s, const Vec& o, const Vec& d, Vec& normal) {
    constexpr float Eps = 1e-4f;
    switch (s.kind) {
        case Scene::Surface::Plane: {
            float den = Dot(s.n, d);
            if (den >= 0.0f)
                return Infinity;  // seen from behind or edge-on
            float t = (s.d - Dot(s.n, o)) / den;
            if (t <= Eps || !Inside(o + d * t, s.lo, s.hi))
                return Infinity;
            normal = s.n;
            return t;
        }
        case Scene::Surface::Sphere: {
            Vec oc = o - s.a;
            float b = Dot(oc, d), c = Dot(oc, oc) - s.radius * s.radius;
            float disc = b * b - c;
            if (disc < 0.0f)
                return Infinity;
            float root = std::sqrt(disc);
            float t = -b - root;
            if (t <= Eps)
                t = -b + root;
            if (t <= Eps)
                return Infinity;
            normal = Normalised(o + d * t - s.a);
            if (Dot(normal, d) > 0.0f)
                normal = normal * -1.0f;
            return t;
        }
        case Scene::Surface::Cylinder: {
            Vec axis = s.b - s.a;
            float length = std::sqrt(Dot(axis, axis));
            Vec u = axis * (1.0f / length);
            Vec oc = o - s.a;
            Vec dp = d - u * Dot(d, u), op = oc - u * Dot(oc, u);
            float qa = Dot(dp, dp), qb = Dot(dp, op), qc = Dot(op, op) - s.radius * s.radius;
            if (qa < 1e-9f)
                return Infinity;
            float disc = qb * qb - qa * qc;
            if (disc < 0.0f)
                return Infinity;
            float root = std::sqrt(disc);
            for (float t : {(-qb - root) / qa, (-qb + root) / qa}) {
                if (t <= Eps)
                    continue;
                float along = Dot(oc + d * t, u);
                if (along < 0.0f || along > length)
                    continue;
                Vec radial = oc + d * t - u * along;
                normal = Normalised(radial);
                if (Dot(normal, d) > 0.0f)
                    normal = normal * -1.0f;  // seen from inside (a borehole)
                return t;
            }
            return Infinity;
        }
        case Scene::Surface::Box: {
            Vec lo = RotateZ(o - s.a, -s.turn), ld = RotateZ(d, -s.turn);
            float tNear = -Infinity, tFar = Infinity;
            int axisNear = 0;
            float signNear = 1.0f;
            const float po[3] = {lo.x, lo.y, lo.z}, pd[3] = {ld.x, ld.y, ld.z},
                        h[3] = {s.b.x, s.b.y, s.b.z};
            for (int i = 0; i < 3; ++i) {
                if (std::fabs(pd[i]) < 1e-9f) {
                    if (po[i] < -h[i] || po[i] > h[i])
                        return Infinity;
                    continue;
                }
                float t1 = (-h[i] - po[i]) / pd[i], t2 = (h[i] - po[i]) / pd[i];
                float sign = -1.0f;
                if (t1 > t2) {
                    std::swap(t1, t2);
                    sign = 1.0f;
                }
                if (t1 > tNear) {
                    tNear = t1;
                    axisNear = i;
                    signNear = sign;
                }
                tFar = std::min(tFar, t2);
            }
            if (tNear > tFar || tNear <= Eps)
                return Infinity;
            Vec local{};
            (axisNear == 0 ? local.x : axisNear == 1 ? local.y : local.z) = signNear;
            normal = RotateZ(local, s.turn);
            return tNear;
        }
    }
    return Infinity;
}

}  // namespace

float Random::Exponential() {
    return -std::log(1.0f - Uniform());
}

bool ParseSceneName(std::string_view name, SceneKind& kind) {
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "harbour" || lower == "harbor") {
        kind = SceneKind::Harbour;
    } else if (lower == "borehole") {
        kind = SceneKind::Borehole;
    } else if (lower == "channel") {
        kind = SceneKind::Channel;
    } else {
        return false;
    }
    return true;
}

std::string_view SceneName(SceneKind kind) {
    switch (kind) {
        case SceneKind::Borehole:
            return "borehole";
        case SceneKind::Channel:
            return "channel";
        default:
            return "harbour";
    }
}

std::string_view SceneHelpText() {
    return "Scenes (the head at the origin, ahead = position 600):\n"
           "  harbour   (default) the head upright 2.5 m below the surface, its beam tilted\n"
           "            12 degrees down, in a basin: quay walls 40 m ahead, 22 m to port and\n"
           "            30 m to starboard (from 5 m astern onward), open water astern; a bottom\n"
           "            7.0 m deep under the head rising 0.06 m per metre ahead (4.6 m at the\n"
           "            far quay); a 0.7 m pipe on the bottom from 22 m port, 30 m ahead to\n"
           "            30 m starboard, 10 m ahead; a wreck 13 x 4.4 x 2.5 m centred 9 m to\n"
           "            port, 17 m ahead; two rows of mooring piles (0.36 m) 16 and 24 m to\n"
           "            starboard; four boulders on the bottom.\n"
           "  borehole  the head upright 10 m down the axis of a vertical borehole of 2.00 m\n"
           "            radius, its beam level: a horizontal profile scan draws a circle of\n"
           "            2.00 m radius.\n"
           "  channel   the head on its side 0.50 m below the surface over the centre line of\n"
           "            a trapezoidal channel, sweeping the cross-section (position 600 looks\n"
           "            straight down): bottom 10.00 m wide at 5.00 m depth, side slopes 1 in\n"
           "            2 (1 m up per 2 m across), 30.00 m wide at the surface.\n";
}

Scene::Scene(SceneKind kind) : kind_(kind) {
    Build();
}

void Scene::Build() {
    surfaces_.clear();
    auto waterSurface = [this] {
        Surface s = Plane({0, 0, -1}, 0.0f, 0.01f, 0.5f);
        s.isWaterSurface = true;
        surfaces_.push_back(s);
    };
    switch (kind_) {
        case SceneKind::Harbour: {
            head_ = {0.0f, 0.0f, -2.5f};
            depressionDeg_ = 12.0f;
            verticalBeamDeg_ = 30.0f;
            sideways_ = false;
            // Bottom: z = -7 + 0.06 y (silt, some texture).
            auto bottomZ = [](float y) { return -7.0f + 0.06f * y; };
            surfaces_.push_back(Plane({0.0f, -0.06f, 1.0f}, -7.0f, 0.3f, 0.6f));
            waterSurface();
            const float top = 1.5f;
            // Quay walls of rough blockwork.
            Surface north = Plane({0, -1, 0}, -40.0f, 0.9f, 0.5f);
            north.lo = {-22.0f, -1e9f, -20.0f};
            north.hi = {30.0f, 1e9f, top};
            surfaces_.push_back(north);
            Surface west = Plane({1, 0, 0}, -22.0f, 0.9f, 0.5f);
            west.lo = {-1e9f, -60.0f, -20.0f};
            west.hi = {1e9f, 40.0f, top};
            surfaces_.push_back(west);
            Surface east = Plane({-1, 0, 0}, -30.0f, 0.9f, 0.5f);
            east.lo = {-1e9f, -5.0f, -20.0f};
            east.hi = {1e9f, 40.0f, top};
            surfaces_.push_back(east);
            // Mooring piles.
            for (float y : {4.0f, 9.0f, 14.0f, 19.0f, 24.0f, 29.0f})
                surfaces_.push_back(Cylinder({16.0f, y, -20.0f}, {16.0f, y, top}, 0.18f, 1.0f, 0));
            for (float y : {9.0f, 19.0f})
                surfaces_.push_back(Cylinder({24.0f, y, -20.0f}, {24.0f, y, top}, 0.18f, 1.0f, 0));
            // A pipe lying on the bottom.
            const float r = 0.35f;
            surfaces_.push_back(Cylinder({-22.0f, 30.0f, bottomZ(30.0f) + r},
                                         {30.0f, 10.0f, bottomZ(10.0f) + r}, r, 0.8f, 0.2f));
            // A wreck-sized hull, and boulders.
            surfaces_.push_back(
                Box({-9.0f, 17.0f, bottomZ(17.0f) + 1.25f}, {2.2f, 6.5f, 1.25f}, 25.0f, 0.7f));
            for (Vec p : {Vec{6, 12, 0}, Vec{-5, -8, 0}, Vec{10, -15, 0}, Vec{-15, 5, 0}})
                surfaces_.push_back(Sphere({p.x, p.y, bottomZ(p.y) + 0.2f}, 0.45f, 0.6f));
            break;
        }
        case SceneKind::Borehole: {
            head_ = {0.0f, 0.0f, -10.0f};
            depressionDeg_ = 0.0f;
            verticalBeamDeg_ = 30.0f;
            sideways_ = false;
            surfaces_.push_back(Cylinder({0, 0, -60.0f}, {0, 0, 5.0f}, 2.0f, 0.8f, 0.5f));
            surfaces_.push_back(Plane({0, 0, 1}, -60.0f, 0.1f, 0.5f));
            waterSurface();
            break;
        }
        case SceneKind::Channel: {
            head_ = {0.0f, 0.0f, -0.5f};
            depressionDeg_ = 0.0f;
            verticalBeamDeg_ = 30.0f;
            sideways_ = true;
            Surface bottom = Plane({0, 0, 1}, -5.0f, 0.15f, 0.5f);
            bottom.lo = {-5.0f, -1e9f, -1e9f};
            bottom.hi = {5.0f, 1e9f, 1e9f};
            surfaces_.push_back(bottom);
            // Side slopes 1 in 2: x - 2z = 15 on starboard, -x - 2z = 15 on port.
            Surface starboard = Plane({-1, 0, 2}, -15.0f, 0.15f, 0.5f);
            starboard.lo = {5.0f, -1e9f, -1e9f};
            starboard.hi = {60.0f, 1e9f, 1e9f};
            surfaces_.push_back(starboard);
            Surface port = Plane({1, 0, 2}, -15.0f, 0.15f, 0.5f);
            port.lo = {-60.0f, -1e9f, -1e9f};
            port.hi = {-5.0f, 1e9f, 1e9f};
            surfaces_.push_back(port);
            waterSurface();
            break;
        }
    }
}

bool Scene::Cast(const Vec& origin, const Vec& direction, Hit& hit) const {
    hit.range = Infinity;
    hit.surface = nullptr;
    for (const Surface& s : surfaces_) {
        Vec normal;
        float t = Intersect(s, origin, direction, normal);
        if (t < hit.range) {
            hit.range = t;
            hit.surface = &s;
            hit.cosIncidence = std::fabs(Dot(normal, direction));
        }
    }
    if (!hit.surface)
        return false;
    hit.point = origin + direction * hit.range;
    return true;
}

float Scene::AxisRange(float bearingDegrees) const {
    Hit hit;
    Vec d;
    const float a = (pose_.mountedUp ? -bearingDegrees : bearingDegrees) * DegToRad;
    if (sideways_) {
        d = {std::sin(a), 0.0f, -std::cos(a)};
    } else {
        const float e = -depressionDeg_ * DegToRad;
        d = {std::sin(a) * std::cos(e), std::cos(a) * std::cos(e), std::sin(e)};
    }
    return Cast(Transducer(), d, hit) ? hit.range : Infinity;
}

void Scene::PowerPerCell(float bearingDegrees, const PingSettings& ping, float* power,
                         int32_t count) const {
    const float range = std::max(ping.rangeMeters, 1.0f);
    const float cell = range / static_cast<float>(count);
    std::array<float, MaxSceneSamples> energy{};
    auto deposit = [&](float r0, float r1, float e) {
        // Spread e evenly over [r0, r1] (a point when they meet).
        if (r1 < r0)
            std::swap(r0, r1);
        if (!(r0 < range) || e <= 0.0f)
            return;
        float span = r1 - r0;
        int32_t i0 = static_cast<int32_t>(r0 / cell);
        if (span < cell * 0.5f) {
            energy[std::min(i0, count - 1)] += e;
            return;
        }
        int32_t i1 = std::min(static_cast<int32_t>(r1 / cell), count - 1);
        for (int32_t i = i0; i <= i1; ++i) {
            float lo = std::max(r0, i * cell), hi = std::min(r1, (i + 1) * cell);
            if (hi > lo)
                energy[i] += e * (hi - lo) / span;
        }
    };

    const float inPlaneHalf =
        InPlaneBeamDegAt675 * 0.5f * 675.0f / std::max(ping.frequencyKhz, 100.0f);
    const float width = verticalBeamDeg_ * DegToRad;
    const float sliceWidth = width / Slices;
    const float azimuth = pose_.azimuthDegrees * DegToRad;
    const float pitch = pose_.pitchDegrees * DegToRad, roll = pose_.rollDegrees * DegToRad;
    std::array<Hit, Slices + 1> hits;
    std::array<bool, Slices + 1> hitOk{};
    for (int32_t k = 0; k < InPlaneRays; ++k) {
        float own = bearingDegrees + (k - 1) * inPlaneHalf;
        if (pose_.mountedUp)
            own = -own;
        const float a = own * DegToRad;
        for (int32_t j = 0; j <= Slices; ++j) {
            const float across = -0.5f * width + j * sliceWidth;
            Vec d;
            if (sideways_) {
                d = {std::sin(a) * std::cos(across), std::sin(across),
                     -std::cos(a) * std::cos(across)};
            } else {
                const float e = -depressionDeg_ * DegToRad + across;
                d = {std::sin(a) * std::cos(e), std::cos(a) * std::cos(e), std::sin(e)};
            }
            d = RotateY(RotateX(RotateZ(d, azimuth), pitch), roll);
            hitOk[j] = Cast(Transducer(), d, hits[j]);
        }
        for (int32_t j = 0; j < Slices; ++j) {
            // Across the wide beam the sensitivity falls off towards the edges.
            const float u = (j + 0.5f) / Slices * 2.0f - 1.0f;
            const float weight = InPlaneWeights[k] * sliceWidth * (1.0f - 0.5f * u * u);
            const Hit& h0 = hits[j];
            const Hit& h1 = hits[j + 1];
            auto strength = [&](const Hit& h) {
                // Lambert-like: strong where the beam meets a surface square on.
                float c = h.cosIncidence;
                return h.surface->strength * c * std::sqrt(c) *
                       Texture(h.point, h.surface->texture);
            };
            if (hitOk[j] && hitOk[j + 1] && h0.surface == h1.surface) {
                float e = 0.5f * (strength(h0) + strength(h1)) * weight;
                deposit(h0.range, h1.range, e * EnergyScale);
            } else {
                // The slice straddles an edge: each half goes to what it met (a shadow starts
                // behind the nearer one).
                if (hitOk[j])
                    deposit(h0.range, h0.range, 0.5f * strength(h0) * weight * EnergyScale);
                if (hitOk[j + 1])
                    deposit(h1.range, h1.range, 0.5f * strength(h1) * weight * EnergyScale);
            }
        }
    }

    // The pulse: each sample hears what lies within half a pulse length behind it.
    const float pulseMeters = SoundSpeed * ping.pulseMicroseconds * 1e-6f * 0.5f;
    const int32_t window = std::max(1, static_cast<int32_t>(pulseMeters / cell + 0.5f));
    // Two-way absorption, at the operator's rate for 675 kHz, more at higher frequencies.
    const float alpha = ping.absorptionDbPerMeter * ping.frequencyKhz / 675.0f;
    float sum = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        sum += energy[i];
        if (i >= window)
            sum -= energy[i - window];
        const float r = (i + 0.5f) * cell;
        // The time-varied gain makes up a little more than spreading, so that far surfaces
        // stay in view while absorption still darkens them.
        const float tvg = std::max(r / 10.0f, 0.3f);
        power[i] = std::max(sum, 0.0f) * tvg * std::pow(10.0f, -0.2f * alpha * r);
    }
    const int32_t first = std::clamp(ping.firstCell, 0, count);
    for (int32_t i = first; i < std::min(first + RingDownSamples, count); ++i)
        power[i] += std::pow(10.0f, RingDownDb / 10.0f) * std::pow(RingDownDecay, float(i - first));
}

void Scene::MeanPowerDb(float bearingDegrees, const PingSettings& ping, float* powerDb,
                        int32_t count) const {
    count = std::clamp(count, 0, MaxSceneSamples);
    std::array<float, MaxSceneSamples> power{};
    PowerPerCell(bearingDegrees, ping, power.data(), count);
    for (int32_t i = 0; i < count; ++i)
        powerDb[i] = 10.0f * std::log10(power[i] + 1e-6f);
}

void Scene::Echoes(float bearingDegrees, const PingSettings& ping, float profileMinimumMeters,
                   Random& random, EchoLine& line, int32_t count) const {
    line.profileMeters = 0.0f;
    count = std::clamp(count, 0, MaxSceneSamples);
    if (count == 0)
        return;
    std::array<float, MaxSceneSamples> power{};
    PowerPerCell(bearingDegrees, ping, power.data(), count);
    const float range = std::max(ping.rangeMeters, 1.0f);
    const float cell = range / static_cast<float>(count);
    const float threshold = std::pow(10.0f, (ProfileThresholdDb - ping.gainDb) / 10.0f);
    for (int32_t i = std::max(ping.firstCell, 0) + RingDownSamples; i < count; ++i) {
        const float r = (i + 0.5f) * cell;
        if (r >= profileMinimumMeters && power[i] >= threshold) {
            line.profileMeters = r;
            break;
        }
    }
    for (int32_t i = 0; i < count; ++i) {
        const float r = (i + 0.5f) * cell;
        // The receiver's own noise, lifted a little by its time-varied gain at long range.
        const float noise = 1.0f + 0.08f * r / 10.0f;
        const float total = power[i] * random.Exponential() + noise * random.Exponential();
        const float level = LevelPerDb * (10.0f * std::log10(total) + ping.gainDb);
        line.levels[i] = static_cast<uint8_t>(std::clamp(level, 0.0f, 255.0f));
    }
}

}  // namespace tarvisk::sim
