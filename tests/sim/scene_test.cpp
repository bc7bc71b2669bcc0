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
