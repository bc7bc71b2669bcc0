// The menu's features: each runs at the part that registered it, and only there; a part going
// away takes its features with it, so the menu says "not available" rather than calling it.
#include "ui/feature_dispatcher.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tarvisk {
namespace {

struct CountingPart final : FeatureProvider {
    std::vector<Feature> ran;
    void RunFeature(Feature feature) override { ran.push_back(feature); }
};

TEST(FeatureDispatcher, RunsTheRegisteredPartAndSaysWhenNoneIs) {
    FeatureDispatcher dispatcher;
    CountingPart dialogs, scans;
    EXPECT_FALSE(dispatcher.Run(Feature::Settings));

    dispatcher.Register(Feature::Settings, &dialogs);
    dispatcher.Register(Feature::AutoAzimuth, &scans);
    EXPECT_TRUE(dispatcher.Run(Feature::Settings));
    EXPECT_TRUE(dispatcher.Run(Feature::AutoAzimuth));
    EXPECT_FALSE(dispatcher.Run(Feature::AutoProfileVertical));
    EXPECT_EQ(dialogs.ran, std::vector<Feature>{Feature::Settings});
    EXPECT_EQ(scans.ran, std::vector<Feature>{Feature::AutoAzimuth});

    // Withdrawing one part leaves the other's features in place.
    dispatcher.Withdraw(&dialogs);
    EXPECT_FALSE(dispatcher.Available(Feature::Settings));
    EXPECT_TRUE(dispatcher.Available(Feature::AutoAzimuth));

    // A later registration replaces an earlier one, and the earlier part's withdrawal then
    // leaves the newer one alone.
    dispatcher.Register(Feature::AutoAzimuth, &dialogs);
    dispatcher.Withdraw(&scans);
    EXPECT_TRUE(dispatcher.Run(Feature::AutoAzimuth));
    EXPECT_EQ(dialogs.ran.back(), Feature::AutoAzimuth);
}

TEST(FeatureDispatcher, EveryFeatureHasItsOwnNameInTheNotice) {
    std::set<std::string> names;
    for (size_t i = 0; i < FeatureCount; ++i) {
        const auto feature = static_cast<Feature>(i);
        const std::string name(FeatureName(feature));
        EXPECT_NE(name, "This function") << "feature " << i << " has no name";
        names.insert(name);
    }
    EXPECT_EQ(names.size(), FeatureCount);
    EXPECT_EQ(FeatureUnavailableText(Feature::ProfileSetup),
              "Profile Setup is not available yet in this version.");
}

}  // namespace
}  // namespace tarvisk
