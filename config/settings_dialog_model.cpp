#include "config/settings_dialog_model.h"

#include <algorithm>
#include <cstdio>

namespace tarvisk {

SettingsDialogModel::SettingsDialogModel(SonarSettings& settings, UserConfig& config)
    : settings_(settings), config_(config) {
    ShowValues();
}

void SettingsDialogModel::ShowValues() {
    frequency_ = settings_.Frequency;
    absorption_ = settings_.Absorption;
    pulse_ = settings_.PulseLength;
    frequencyText = std::to_string(frequency_);
    absorptionText = AbsorptionText(absorption_, settings_.Units);
    pulseText = std::to_string(pulse_);
}

void SettingsDialogModel::SelectManual() {
    settings_.ConfigType = 0;
    settings_.Frequency = config_.ManualFrequency;
    settings_.Absorption = config_.ManualAbsorption;
    settings_.PulseLength = config_.ManualPulseLength;
    ShowValues();
    if (redrawFrequency)
        redrawFrequency();
}

void SettingsDialogModel::SelectAuto() {
    settings_.ConfigType = 1;
    config_.ManualFrequency = settings_.Frequency;
    config_.ManualAbsorption = settings_.Absorption;
    config_.ManualPulseLength = settings_.PulseLength;
    ApplyConfigRow(config_, settings_);
    ShowValues();
    if (redrawFrequency)
        redrawFrequency();
}

void SettingsDialogModel::AfterEditConfiguration() {
    ApplyConfigRow(config_, settings_);
    ShowValues();
    if (redrawFrequency)
        redrawFrequency();
}

void SettingsDialogModel::SpinFrequency(bool up) {
    if (!ManualEditable())
        return;
    frequency_ = std::clamp(frequency_ + (up ? 5 : -5), MinConfigFrequency, MaxConfigFrequency);
    frequencyText = std::to_string(frequency_);
}

void SettingsDialogModel::SpinAbsorption(bool up) {
    if (!ManualEditable())
        return;
    absorption_ = std::clamp(absorption_ + (up ? 1 : -1), MinConfigAbsorption, MaxConfigAbsorption);
    absorptionText = AbsorptionText(absorption_, settings_.Units);
}

void SettingsDialogModel::SpinPulse(bool up) {
    if (!ManualEditable())
        return;
    pulse_ = std::clamp(pulse_ + (up ? 10 : -10), MinConfigPulse, MaxConfigPulse);
    pulseText = std::to_string(pulse_);
}

void SettingsDialogModel::Defaults() {
    if (!ManualEditable())
        return;
    settings_.Frequency = config_.ManualFrequency = 675;
    settings_.Absorption = config_.ManualAbsorption = 20;
    settings_.PulseLength = config_.ManualPulseLength = 100;
    ShowValues();
}

DialogMessages SettingsDialogModel::Ok() {
    DialogMessages messages;
    if (AutoSetup())
        return messages;
    const std::string title = "Manual Setup";
    int32_t v = 0;
    if (ParseIntegerText(frequencyText, v) && v >= MinConfigFrequency && v <= MaxConfigFrequency) {
        settings_.Frequency = config_.ManualFrequency = RoundToFive(v);
    } else {
        messages.push_back({title, std::string(FrequencyRangeMessage())});
    }
    if (ParseAbsorptionText(absorptionText, settings_.Units, v))
        settings_.Absorption = config_.ManualAbsorption = v;
    else
        messages.push_back({title, std::string(AbsorptionRangeMessage(settings_.Units))});
    if (ParseIntegerText(pulseText, v) && v >= MinConfigPulse && v <= MaxConfigPulse)
        settings_.PulseLength = config_.ManualPulseLength = RoundToTen(v);
    else
        messages.push_back({title, std::string(PulseRangeMessage())});
    return messages;
}

std::string SettingsDialogModel::ConfigText() const {
    return ShortConfigName(settings_.ConfigFile.Get());
}

std::string SettingsDialogModel::HeadIdText() const {
    return std::to_string(settings_.MasterHeadID - 15);
}

std::string SettingsDialogModel::UnitsLabel() const {
    return settings_.Units == Feet ? "dB/ft" : "dB/m";
}

PlaybackSettingsTexts PlaybackSettingsView(const SonarSettings& settings, int32_t replyHeadId,
                                           int32_t fileFrequency) {
    PlaybackSettingsTexts t;
    char text[48];
    std::snprintf(text, sizeof text, "%d", replyHeadId - 15);
    t.headId = text;
    std::snprintf(text, sizeof text, "%d kHz", fileFrequency);
    t.frequency = text;
    if (settings.Units == Feet)
        std::snprintf(text, sizeof text, "%06.5f", settings.Absorption * 0.01 * 0.3048);
    else
        std::snprintf(text, sizeof text, "%04.2f dB/m", settings.Absorption * 0.01);
    t.absorption = text;
    std::snprintf(text, sizeof text, "%d usec", settings.PulseLength.Get());
    t.pulseLength = text;
    return t;
}

}  // namespace tarvisk
