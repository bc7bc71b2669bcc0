#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "sim/scene.h"

namespace tarvisk::sim {
namespace {

TEST(Scene, NamesOnTheCommandLine) {
    SceneKind kind = SceneKind::Channel;
    EXPECT_TRUE(ParseSceneName("harbour", kind));
    EXPECT_EQ(kind, SceneKind::Harbour);
    EXPECT_TRUE(ParseSceneName("Borehole", kind));
    EXPECT_EQ(kind, SceneKind::Borehole);
    EXPECT_TRUE(ParseSceneName("CHANNEL", kind));
    EXPECT_EQ(kind, SceneKind::Channel);
    EXPECT_FALSE(ParseSceneName("lake", kind));
    EXPECT_FALSE(ParseSceneName("", kind));
    EXPECT_EQ(kind, SceneKind::Channel);
    for (SceneKind k : {SceneKind::Harbour, SceneKind::Borehole, SceneKind::Channel}) {
        EXPECT_TRUE(ParseSceneName(SceneName(k), kind));
        EXPECT_EQ(kind, k);
        EXPECT_NE(SceneHelpText().find(SceneName(k)), std::string_view::npos);
    }
}

// Profile ranges the head reports over a full sweep, one per bearing (0.3-degree steps).
std::vector<float> ProfileSweep(const Scene& scene, float rangeMeters, int32_t from = -600,
                                int32_t to = 600) {
    PingSettings ping;
    ping.rangeMeters = rangeMeters;
    Random random(3);
    std::vector<float> profile;
    for (int32_t step = from; step < to; ++step) {
        EchoLine line;
        scene.Echoes(step * 0.3f, ping, 0.0f, random, line, 500);
        profile.push_back(line.profileMeters);
    }
    return profile;
}

TEST(Scene, BoreholeProfileIsACircleOfTwoMetres) {
    Scene scene(SceneKind::Borehole);
    for (float range : {3.0f, 5.0f, 10.0f}) {
        const float sample = range / 500.0f;
        for (float r : ProfileSweep(scene, range))
            ASSERT_NEAR(r, 2.0f, sample) << "range " << range;
    }
}

TEST(Scene, ChannelProfileFollowsTheTrapezoid) {
    // Head 0.5 m down over the centre line; bottom 10 m wide at 5 m; slopes 1 in 2.
    Scene scene(SceneKind::Channel);
    const float range = 20.0f, sample = range / 500.0f;
    // Only the positions that look into the water (below the horizontal) give points.
    const std::vector<float> profile = ProfileSweep(scene, range, -290, 291);
    int32_t checked = 0;
    for (size_t i = 0; i < profile.size(); ++i) {
        const float angle = (static_cast<int32_t>(i) - 290) * 0.3f * 3.14159265f / 180.0f;
        const float r = profile[i];
        ASSERT_GT(r, 0.0f) << "position " << i;
        const float x = r * std::sin(angle), depth = 0.5f + r * std::cos(angle);
        const float expected = std::fabs(x) <= 5.0f ? 5.0f : 5.0f - (std::fabs(x) - 5.0f) / 2.0f;
        // The beam's own width sees a slope a little nearer than its axis does.
        const float slack = std::fabs(x) <= 4.0f ? sample * 1.5f : 0.06f * r + sample;
        ASSERT_LE(depth, expected + sample * 1.5f) << "x " << x;
        ASSERT_GE(depth, expected - slack) << "x " << x;
        ++checked;
    }
    EXPECT_GT(checked, 500);
    // Straight down: 4.50 m from the head to the bottom.
    EXPECT_NEAR(profile[290], 4.5f, sample);
}

}  // namespace
}  // namespace tarvisk::sim

namespace tarvisk::sim {
namespace {

// Echo lines of a whole turn of the harbour at 0.9-degree steps, as the head sends them.
struct Turn {
    std::vector<EchoLine> lines;
    int32_t count = 500;
};

Turn HarbourTurn(const PingSettings& ping, uint64_t seed = 11) {
    Scene scene(SceneKind::Harbour);
    Random random(seed);
    Turn turn;
    for (int32_t step = -600; step < 600; step += 3) {
        turn.lines.emplace_back();
        scene.Echoes(step * 0.3f, ping, 0.0f, random, turn.lines.back(), turn.count);
    }
    return turn;
}

// The program shows levels 0..107; a quarter of that is the darkest colours.
constexpr int32_t DarkLevel = 27;

double MeanLevel(const Turn& turn, int32_t from, int32_t to) {
    double sum = 0;
    int64_t n = 0;
    for (const EchoLine& line : turn.lines)
        for (int32_t i = from; i < to; ++i, ++n)
            sum += std::min<int32_t>(line.levels[i], 107);
    return sum / static_cast<double>(n);
}

TEST(SceneEchoes, OpenWaterIsDarkAndGainBrightensIt) {
    // Before the beam meets the bottom (about 9 m at 50 m range) there is only water.
    const Turn normal = HarbourTurn({});
    int64_t dark = 0, water = 0;
    for (const EchoLine& line : normal.lines)
        for (int32_t i = 10; i < 85; ++i, ++water)
            dark += line.levels[i] < DarkLevel;
    EXPECT_GT(dark, water * 9 / 10);

    PingSettings more;
    more.gainDb = 26.0f;
    const Turn bright = HarbourTurn(more);
    EXPECT_GT(MeanLevel(bright, 10, 85), MeanLevel(normal, 10, 85) + 25.0);
    // The quays, piles and objects stand out of the water at the default gain.
    int64_t strong = 0;
    for (const EchoLine& line : normal.lines)
        strong += *std::max_element(line.levels.begin() + 90, line.levels.begin() + 500) >= 60;
    EXPECT_GT(strong, static_cast<int64_t>(normal.lines.size() / 5)) << strong;
}

TEST(SceneEchoes, RingDownLastsAFewSamplesAtEveryRange) {
    for (float range : {1.0f, 5.0f, 50.0f, 200.0f}) {
        PingSettings ping;
        ping.rangeMeters = range;
        const Turn turn = HarbourTurn(ping);
        EXPECT_GT(MeanLevel(turn, 0, 1), 90.0) << range;
        EXPECT_LT(MeanLevel(turn, 6, 20), DarkLevel) << range << " m: near field saturated";
    }
}

TEST(SceneEchoes, PulseLengthSmearsAndAbsorptionDarkensFarRanges) {
    Scene scene(SceneKind::Borehole);
    PingSettings shortPulse;
    shortPulse.rangeMeters = 5.0f;
    PingSettings longPulse = shortPulse;
    longPulse.pulseMicroseconds = 1000.0f;
    std::array<float, 500> a{}, b{};
    scene.MeanPowerDb(0.0f, shortPulse, a.data(), 500);
    scene.MeanPowerDb(0.0f, longPulse, b.data(), 500);
    auto lit = [](const std::array<float, 500>& p) {
        return std::count_if(p.begin() + 10, p.end(), [](float db) { return db > 10.0f; });
    };
    // 1 ms of pulse is 0.75 m of water: the 2 m wall spreads over 75 more samples of 1 cm.
    EXPECT_GT(lit(b), lit(a) + 60);

    // The far quay through more absorption, and at a higher frequency.
    Scene harbour(SceneKind::Harbour);
    PingSettings ping;
    auto peak = [&](const PingSettings& p) {
        std::array<float, 500> db{};
        harbour.MeanPowerDb(90.0f, p, db.data(), 500);
        return *std::max_element(db.begin() + 290, db.begin() + 310);  // the quay at 30 m
    };
    PingSettings absorbing = ping;
    absorbing.absorptionDbPerMeter = 0.6f;
    PingSettings higher = ping;
    higher.frequencyKhz = 1100.0f;
    EXPECT_LT(peak(absorbing), peak(ping) - 15.0f);
    EXPECT_LT(peak(higher), peak(ping) - 5.0f);
}

TEST(SceneEchoes, ObjectsCastShadowsOnTheBottom) {
    // The wreck 9 m to port, 17 m ahead: along its bearing the bottom behind it is hidden;
    // a few degrees aside the bottom at the same ranges returns.
    Scene scene(SceneKind::Harbour);
    PingSettings ping;
    const float toWreck = std::atan2(-9.0f, 17.0f) * 180.0f / 3.14159265f;
    auto bottomBehind = [&](float bearing) {
        std::array<float, 500> db{};
        scene.MeanPowerDb(bearing, ping, db.data(), 500);
        double sum = 0;
        for (int32_t i = 230; i < 260; ++i)  // 23..26 m: behind the wreck
            sum += std::pow(10.0, db[i] / 10.0);
        return 10.0 * std::log10(sum / 30.0 + 1e-9);
    };
    EXPECT_LT(bottomBehind(toWreck), bottomBehind(toWreck - 40.0f) - 10.0);
    EXPECT_LT(bottomBehind(toWreck), bottomBehind(toWreck + 40.0f) - 10.0);
}

}  // namespace
}  // namespace tarvisk::sim
