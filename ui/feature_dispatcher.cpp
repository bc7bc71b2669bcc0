#include "ui/feature_dispatcher.h"

namespace tarvisk {

std::string_view FeatureName(Feature feature) {
    switch (feature) {
        case Feature::ComPorts:
            return "Com Ports";
        case Feature::Settings:
            return "Settings";
        case Feature::SoundVelocity:
            return "Sound Velocity";
        case Feature::RotateImage:
            return "Rotate Sonar Image";
        case Feature::UserText:
            return "User Text";
        case Feature::ProfileSetup:
            return "Profile Setup";
        case Feature::About:
            return "About";
        case Feature::AutoProfileVertical:
            return "Auto Profile Vertical";
        case Feature::AutoProfileHorizontal:
            return "Auto Profile Horizontal";
        case Feature::AutoAzimuth:
            return "Auto Azimuth";
        case Feature::PlaybackOnEntry:
            return "Playback";
    }
    return "This function";
}

std::string FeatureUnavailableText(Feature feature) {
    return std::string(FeatureName(feature)) + " is not available yet in this version.";
}

void FeatureDispatcher::Register(Feature feature, FeatureProvider* provider) {
    const auto i = static_cast<size_t>(feature);
    if (i < providers_.size())
        providers_[i] = provider;
}

void FeatureDispatcher::Withdraw(const FeatureProvider* provider) {
    for (auto& slot : providers_) {
        FeatureProvider* expected = const_cast<FeatureProvider*>(provider);
        slot.compare_exchange_strong(expected, nullptr);
    }
}

bool FeatureDispatcher::Available(Feature feature) const {
    const auto i = static_cast<size_t>(feature);
    return i < providers_.size() && providers_[i].load() != nullptr;
}

bool FeatureDispatcher::Run(Feature feature) {
    const auto i = static_cast<size_t>(feature);
    FeatureProvider* provider = i < providers_.size() ? providers_[i].load() : nullptr;
    if (!provider)
        return false;
    provider->RunFeature(feature);
    return true;
}

}  // namespace tarvisk
