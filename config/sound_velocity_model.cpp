#include "config/sound_velocity_model.h"

#include <algorithm>
#include <cstdio>

#include "config/user_config.h"

namespace tarvisk {
namespace {

constexpr double FeetPerMetreText = 3.2808398950131231941;

}  // namespace

SoundVelocityModel::SoundVelocityModel(SonarSettings& settings)
    : settings_(settings), feet_(settings.Units == Feet) {
    Show(feet_ ? static_cast<float>(settings_.SoundVelocityMeters * FeetPerMetreText)
               : settings_.SoundVelocityMeters.Get());
}

std::string SoundVelocityModel::UnitsLabel() const {
    return feet_ ? "ft/s" : "m/s";
}

float SoundVelocityModel::Lowest() const {
    return feet_ ? 2460.6299f : 750.0f;
}

float SoundVelocityModel::Highest() const {
    return feet_ ? 7381.8896f : 2250.0f;
}

void SoundVelocityModel::Show(float value) {
    value_ = value;
    char text[32];
    std::snprintf(text, sizeof text, "%06.1f", static_cast<double>(value));
    text_ = text;
}

void SoundVelocityModel::SetText(const std::string& typed) {
    text_ = typed;
    value_ = static_cast<float>(ParseRealText(std::string_view(typed).substr(0, 6)));
}

void SoundVelocityModel::Spin(bool up) {
    Show(std::clamp(value_ + (up ? 0.1f : -0.1f), Lowest(), Highest()));
}

void SoundVelocityModel::Default() {
    Show(feet_ ? 4921.2598f : 1500.0f);
}

DialogMessages SoundVelocityModel::Ok() {
    if (value_ >= Lowest() && value_ <= Highest()) {
        settings_.SoundVelocityMeters = feet_ ? static_cast<float>(value_ * MetresPerFoot) : value_;
        return {};
    }
    Show(feet_ ? static_cast<float>(settings_.SoundVelocityMeters * FeetPerMetreText)
               : settings_.SoundVelocityMeters.Get());
    return {{"Sound Velocity", feet_
                                   ? "Speed of Sound is out of range!\nUse 2460.7 to 7381.8 ft/s."
                                   : "Speed of Sound is out of range!\nUse 750.0 to 2250.0 m/s."}};
}

}  // namespace tarvisk
