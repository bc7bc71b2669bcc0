#include "config/user_config_dialog_model.h"

#include <algorithm>

namespace tarvisk {
namespace {

constexpr ConfigColumn Columns[] = {ConfigColumn::Frequency, ConfigColumn::Absorption,
                                    ConfigColumn::PulseLength};

struct ColumnLimits {
    int32_t step, min, max;
};

ColumnLimits LimitsOf(ConfigColumn column) {
    switch (column) {
        case ConfigColumn::Frequency:
            return {5, MinConfigFrequency, MaxConfigFrequency};
        case ConfigColumn::Absorption:
            return {1, MinConfigAbsorption, MaxConfigAbsorption};
        case ConfigColumn::PulseLength:
            break;
    }
    return {10, MinConfigPulse, MaxConfigPulse};
}

FileDialogParams ConfigFileDialog(const char* title) {
    FileDialogParams p;
    p.title = title;
    p.filterName = "K260 Config File (*.CFG)";
    p.pattern = "*.CFG";
    p.defaultExtension = "CFG";
    return p;
}

}  // namespace

UserConfigDialogModel::UserConfigDialogModel(SonarSettings& settings, UserConfig& config)
    : settings_(settings), config_(config) {
    config_.ConfigEdit = config_.ConfigTable;
    ShowAll();
}

std::string UserConfigDialogModel::UnitsLabel() const {
    return settings_.Units == Feet ? "(dB/ft)" : "(dB/m)";
}

std::string UserConfigDialogModel::RowLabel(int32_t row) const {
    return std::string(ConfigRowLabel(row, settings_.Units));
}

void UserConfigDialogModel::ShowField(int32_t row, ConfigColumn column) {
    const int32_t v = ConfigValue(config_.ConfigEdit[row], column);
    Text(row, column) =
        column == ConfigColumn::Absorption ? AbsorptionText(v, settings_.Units) : std::to_string(v);
}

void UserConfigDialogModel::ShowAll() {
    for (int32_t row = 0; row < ConfigRowCount; ++row)
        for (ConfigColumn c : Columns)
            ShowField(row, c);
}

void UserConfigDialogModel::Spin(int32_t row, ConfigColumn column, bool up) {
    const ColumnLimits l = LimitsOf(column);
    ConfigRow& r = config_.ConfigEdit[row];
    SetConfigValue(r, column,
                   std::clamp(ConfigValue(r, column) + (up ? l.step : -l.step), l.min, l.max));
    ShowField(row, column);
}

void UserConfigDialogModel::DefaultField(int32_t row, ConfigColumn column) {
    SetConfigValue(config_.ConfigEdit[row], column,
                   ConfigValue(config_.ConfigDefaults[row], column));
    ShowField(row, column);
}

void UserConfigDialogModel::DefaultTable() {
    config_.ConfigName = std::string(DefaultConfigurationName);
    config_.BuildDefaults();
    config_.ConfigEdit = config_.ConfigTable;
    ShowAll();
}

FileDialogParams UserConfigDialogModel::LoadDialog() {
    return ConfigFileDialog("Load Configuration");
}

FileDialogParams UserConfigDialogModel::SaveDialog() {
    return ConfigFileDialog("Save Configuration As");
}

DialogMessages UserConfigDialogModel::Load(const std::string& path) {
    config_.ConfigName = path;
    if (!HasConfigExtension(path))
        return {{"Load Configuration", "File extension must be .CFG"}};
    if (ReadConfigFile(path, config_))
        ShowAll();
    return {};
}

DialogMessages UserConfigDialogModel::SaveAs(const std::string& path) {
    config_.ConfigName = path;
    if (!HasConfigExtension(path))
        return {{"Save Configuration As", "File extension must be .CFG"}};
    Validate(false);
    if (!WriteConfigFile(path, config_))
        return {{"Save Configuration As", "Cannot write the file\n" + path}};
    return {};
}

DialogMessages UserConfigDialogModel::Ok() {
    settings_.ConfigFile.Set(config_.ConfigName);
    return Validate(true);
}

DialogMessages UserConfigDialogModel::Validate(bool report) {
    DialogMessages messages;
    const int32_t units = settings_.Units;
    for (int32_t row = 0; row < ConfigRowCount; ++row) {
        ConfigRow& target = config_.ConfigTable[row];
        const std::string label = "[" + RowLabel(row) + "]\n";
        int32_t v = 0;
        if (ParseIntegerText(Text(row, ConfigColumn::Frequency), v) && v >= MinConfigFrequency &&
            v <= MaxConfigFrequency)
            target.frequency = RoundToFive(v);
        else if (report)
            messages.push_back({"Auto Setup", label + std::string(FrequencyRangeMessage())});
        if (ParseAbsorptionText(Text(row, ConfigColumn::Absorption), units, v))
            target.absorption = v;
        else if (report)
            messages.push_back({"Auto Setup", label + std::string(AbsorptionRangeMessage(units))});
        if (ParseIntegerText(Text(row, ConfigColumn::PulseLength), v) && v >= MinConfigPulse &&
            v <= MaxConfigPulse)
            target.pulseLength = RoundToTen(v);
        else if (report)
            messages.push_back({"Auto Setup", label + std::string(PulseRangeMessage())});
    }
    return messages;
}

}  // namespace tarvisk
