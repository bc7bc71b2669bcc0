#pragma once
// The dialogs and scans that menu commands open but that other parts of the program build.
// Each part registers as the provider of its features at start-up; the command layer runs a
// feature through the dispatcher and, while none is registered, says plainly that it is not
// available yet, so no menu item is ever a silent no-op.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvisk {

enum class Feature : uint8_t {
    ComPorts,       // "Com Po&rts"
    Settings,       // "&Settings" (live) / the settings view (playback)
    SoundVelocity,  // "&Sound Velocity..."
    RotateImage,    // "Rotate Sonar Image"
    UserText,       // "User &Text..."
    ProfileSetup,   // "&Profile Setup..."
    About,          // "About"
    AutoProfileVertical,
    AutoProfileHorizontal,
    AutoAzimuth,
    PlaybackOnEntry,  // the file to play when the switch enters playback
};
inline constexpr size_t FeatureCount = 11;

// The name the operator knows the feature by.
std::string_view FeatureName(Feature feature);
// What the operator is told about a feature that no part has registered.
std::string FeatureUnavailableText(Feature feature);

class FeatureProvider {
  public:
    virtual ~FeatureProvider() = default;
    virtual void RunFeature(Feature feature) = 0;
};

class FeatureDispatcher {
  public:
    // `provider` runs `feature` from now on; nullptr withdraws it (a part being destroyed).
    void Register(Feature feature, FeatureProvider* provider);
    // Withdraws every feature `provider` registered.
    void Withdraw(const FeatureProvider* provider);
    bool Available(Feature feature) const;
    // Runs the feature; false when no part provides it.
    bool Run(Feature feature);

  private:
    std::array<std::atomic<FeatureProvider*>, FeatureCount> providers_{};
};

}  // namespace tarvisk
