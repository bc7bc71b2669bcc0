#include "config/profile_setup_model.h"

#include <algorithm>
#include <cstdio>

#include "config/user_config.h"

namespace tarvisk {

ProfileSetupModel::ProfileSetupModel(SonarSettings& settings) : settings_(settings) {
    if (settings_.ProfileMinimumRange > RangeLimit())
        settings_.ProfileMinimumRange = 0.0f;
    ShowRange(settings_.ProfileMinimumRange);
    ShowLevel(settings_.ProfileMinimumLevel);
}

float ProfileSetupModel::RangeLimit() const {
    return settings_.Units == Feet ? 82.0f : 25.0f;
}

std::string ProfileSetupModel::UnitsLabel() const {
    return settings_.Units == Feet ? "Feet" : "Meters";
}

int32_t ProfileSetupModel::CheckedDetection() const {
    if (!SurfaceSource() || detectionUnchecked_)
        return -1;
    return settings_.ProfileDetectionType;
}

void ProfileSetupModel::ShowRange(float value) {
    range_ = value;
    char text[32];
    std::snprintf(text, sizeof text, "%4.1f", static_cast<double>(value));
    rangeText = text;
}

void ProfileSetupModel::ShowLevel(int32_t value) {
    level_ = value;
    levelText = std::to_string(value);
}

void ProfileSetupModel::SelectSource(int32_t source) {
    settings_.ProfileDigitizationSource = source;
    // Back to the head's own detection the detection choice is cleared; choosing the
    // surface again shows the type in effect.
    detectionUnchecked_ = source == 0;
}

void ProfileSetupModel::SelectDetection(int32_t type) {
    if (!SurfaceSource())
        return;
    settings_.ProfileDetectionType = type;
    detectionUnchecked_ = false;
}

void ProfileSetupModel::SpinRange(bool up) {
    if (!RangeEditable())
        return;
    ShowRange(std::clamp(range_ + (up ? 0.1f : -0.1f), 0.0f, RangeLimit()));
}

void ProfileSetupModel::SpinLevel(bool up) {
    if (!LevelEditable())
        return;
    ShowLevel(std::clamp(level_ + (up ? 1 : -1), 10, 90));
}

void ProfileSetupModel::Defaults() {
    ShowRange(0.0f);
    ShowLevel(70);
    settings_.ProfileDetectionType = 0;
}

DialogMessages ProfileSetupModel::Ok() {
    DialogMessages messages;
    const double range = ParseRealText(std::string_view(rangeText).substr(0, 8));
    int32_t level = 0;
    const bool levelRead = ParseIntegerText(std::string_view(levelText).substr(0, 3), level);
    if (!(range >= 0.0 && range <= RangeLimit()))
        messages.push_back(
            {"Profile Setup", settings_.Units == Feet
                                  ? "Minimum Range is out of range!\nUse 0 to 82 Feet."
                                  : "Minimum Range is out of range!\nUse 0 to 25 Meters."});
    if (!levelRead || level < 10 || level > 90)
        messages.push_back(
            {"Profile Setup", "Minimum Level is out of range!\nUse 10 to 90 Percent."});
    if (!messages.empty()) {
        ShowRange(range_);
        ShowLevel(level_);
        return messages;
    }
    settings_.ProfileMinimumRange = static_cast<float>(range);
    settings_.ProfileMinimumLevel = level;
    return messages;
}

}  // namespace tarvisk
