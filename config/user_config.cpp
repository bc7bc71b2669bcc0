#include "config/user_config.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/named_file.h"

namespace tarvisk {
namespace {

struct BuiltIn {
    int32_t frequency, absorption, pulse;
};
constexpr std::array<BuiltIn, ConfigRowCount> BuiltInRows{{
    {1000, 60, 10},
    {1000, 60, 10},
    {1000, 60, 10},
    {1000, 60, 10},
    {1000, 60, 30},
    {675, 20, 30},
    {675, 20, 50},
    {675, 20, 80},
    {675, 20, 110},
    {675, 20, 130},
    {675, 20, 160},
    {675, 20, 210},
    {675, 20, 270},
    {290, 10, 400},
    {290, 10, 530},
}};

constexpr double MetresPerFootText = 3.2808398950131231941;  // dB/ft to dB/m

int32_t ReadLe32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
}

void WriteLe32(uint8_t* p, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    p[0] = uint8_t(u);
    p[1] = uint8_t(u >> 8);
    p[2] = uint8_t(u >> 16);
    p[3] = uint8_t(u >> 24);
}

}  // namespace

ConfigRow BuiltInConfigRow(int32_t index) {
    const BuiltIn& b = BuiltInRows[static_cast<size_t>(index)];
    return {RangeTable[static_cast<size_t>(index)].meters, b.frequency, b.absorption, b.pulse};
}

void UserConfig::BuildDefaults() {
    for (int32_t i = 0; i < ConfigRowCount; ++i)
        ConfigDefaults[i] = BuiltInConfigRow(i);
    ConfigHeader.fill(0);
    ConfigHeader[0] = 'C';
    ConfigHeader[1] = 'F';
    ConfigHeader[2] = 'G';
    ConfigHeader[4] = 1;
    ConfigTable = ConfigDefaults;
}

int32_t ConfigValue(const ConfigRow& row, ConfigColumn column) {
    switch (column) {
        case ConfigColumn::Frequency:
            return row.frequency;
        case ConfigColumn::Absorption:
            return row.absorption;
        case ConfigColumn::PulseLength:
            return row.pulseLength;
    }
    return 0;
}

void SetConfigValue(ConfigRow& row, ConfigColumn column, int32_t value) {
    switch (column) {
        case ConfigColumn::Frequency:
            row.frequency = value;
            break;
        case ConfigColumn::Absorption:
            row.absorption = value;
            break;
        case ConfigColumn::PulseLength:
            row.pulseLength = value;
            break;
    }
}

int32_t RoundToFive(int32_t value) {
    return static_cast<int32_t>(value * 0.2 + 0.5) * 5;
}

int32_t RoundToTen(int32_t value) {
    return static_cast<int32_t>(value * 0.1 + 0.5) * 10;
}

bool ReadConfigFile(const std::string& path, UserConfig& config) {
    // A FIFO or a device named as the configuration is refused, never waited on.
    const int fd = OpenRegularFileForReading(path, nullptr);
    if (fd < 0)
        return false;
    std::array<uint8_t, ConfigFileSize> bytes{};
    const long got = ReadUpTo(fd, bytes.data(), bytes.size());
    ::close(fd);
    return got > 0 && ParseConfigBytes(bytes.data(), static_cast<size_t>(got), config);
}

bool ParseConfigBytes(const uint8_t* bytes, size_t size, UserConfig& config) {
    if (size < 4 || std::memcmp(bytes, "CFG", 4) != 0 || size < ConfigFileSize)
        return false;
    for (int32_t k = 0; k < ConfigRowCount; ++k) {
        const uint8_t* slot = bytes + ConfigHeaderSize + ConfigSlotSize * size_t(k);
        const ConfigRow& fallback = config.ConfigDefaults[k];
        ConfigRow row;
        const int32_t range = ReadLe32(slot);
        row.range = range >= 0 && range <= MaxRangeIndex ? range : fallback.range;
        const int32_t frequency = ReadLe32(slot + 4);
        row.frequency = frequency >= MinConfigFrequency && frequency <= MaxConfigFrequency
                            ? RoundToFive(frequency)
                            : fallback.frequency;
        const int32_t absorption = ReadLe32(slot + 8);
        row.absorption = absorption >= MinConfigAbsorption && absorption <= MaxConfigAbsorption
                             ? absorption
                             : fallback.absorption;
        const int32_t pulse = ReadLe32(slot + 12);
        row.pulseLength = pulse >= MinConfigPulse && pulse <= MaxConfigPulse ? RoundToTen(pulse)
                                                                             : fallback.pulseLength;
        config.ConfigEdit[k] = row;
    }
    return true;
}

std::array<uint8_t, ConfigFileSize> ConfigFileBytes(const UserConfig& config,
                                                    const ConfigRows& rows) {
    std::array<uint8_t, ConfigFileSize> bytes{};
    std::memcpy(bytes.data(), config.ConfigHeader.data(), ConfigHeaderSize);
    for (int32_t k = 0; k < ConfigRowCount; ++k) {
        uint8_t* slot = bytes.data() + ConfigHeaderSize + ConfigSlotSize * size_t(k);
        WriteLe32(slot, rows[k].range);
        WriteLe32(slot + 4, rows[k].frequency);
        WriteLe32(slot + 8, rows[k].absorption);
        WriteLe32(slot + 12, rows[k].pulseLength);
    }
    return bytes;
}

bool WriteConfigFile(const std::string& path, const UserConfig& config) {
    const auto bytes = ConfigFileBytes(config, config.ConfigTable);
    const int fd = OpenFileForWriting(path, FileCreation::Replace, nullptr);
    return fd >= 0 && WriteAllAndClose(fd, bytes.data(), bytes.size());
}

bool LoadNamedConfiguration(UserConfig& config, SonarSettings& settings) {
    const std::string name = settings.ConfigFile.Get();
    if (name != DefaultConfigurationName && ReadConfigFile(name, config)) {
        config.ConfigTable = config.ConfigEdit;
        config.ConfigName = name;
        return true;
    }
    settings.ConfigFile.Set(DefaultConfigurationName);
    config.ConfigName = std::string(DefaultConfigurationName);
    return name == DefaultConfigurationName;
}

bool ApplyConfigRow(const UserConfig& config, SonarSettings& settings) {
    int32_t index = settings.Range;
    if (index < 0 || index >= ConfigRowCount)
        return false;
    const ConfigRow& row = config.ConfigTable[index];
    const bool changed = settings.Frequency != row.frequency;
    settings.Frequency = row.frequency;
    settings.Absorption = row.absorption;
    int32_t pulse = row.pulseLength;
    if (settings.GridMode == Polar)
        pulse *= 2;
    if (pulse > MaxConfigPulse)
        pulse = MaxConfigPulse;
    settings.PulseLength = pulse;
    return changed;
}

std::string ShortConfigName(std::string_view name) {
    constexpr size_t Shown = 30;
    constexpr std::string_view Mark = "...";
    if (name.size() <= Shown)
        return std::string(name);
    const size_t cut = name.find_last_of("\\/");
    const size_t fileName = cut == std::string_view::npos ? 0 : name.size() - cut;
    const size_t tail = std::max(Shown - Mark.size(), fileName);
    return std::string(Mark) + std::string(name.substr(name.size() - tail));
}

std::string AbsorptionText(int32_t absorption, int32_t units) {
    char text[32];
    if (units == Feet)
        std::snprintf(text, sizeof text, "%06.5f", absorption * 0.01 * 0.3048);
    else
        std::snprintf(text, sizeof text, "%04.2f", absorption * 0.01);
    return text;
}

double ParseRealText(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    double value = 0.0;
    // Locale-free: a decimal point is a point whatever the desktop's language.
    const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0.0;
}

bool ParseAbsorptionText(std::string_view text, int32_t units, int32_t& absorption) {
    double v = ParseRealText(text.substr(0, 7));
    if (units == Feet)
        v *= MetresPerFootText;
    if (!(v > 0.009 && v <= 2.55))
        return false;
    absorption = static_cast<int32_t>(v * 100.0 + 0.5);
    return true;
}

bool ParseIntegerText(std::string_view text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    size_t end = text.size();
    while (end > i && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    bool negative = false;
    if (i < end && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == end || end - i > 9)
        return false;
    int32_t v = 0;
    for (; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
    }
    value = negative ? -v : v;
    return true;
}

std::string_view FrequencyRangeMessage() {
    return "Frequency is out of range!\nUse 280 to 1100 kHz.";
}

std::string_view AbsorptionRangeMessage(int32_t units) {
    return units == Feet ? "Absorption is out of range!\nUse 0.003048 to 0.77724 dB/ft."
                         : "Absorption is out of range!\nUse 0.01 to 2.55 dB/m.";
}

std::string_view PulseRangeMessage() {
    return "Pulse Length is out of range!\nUse 10 to 1000 usec.";
}

std::string_view ConfigRowLabel(int32_t index, int32_t units) {
    const RangeEntry& e = RangeTable[static_cast<size_t>(index)];
    return units == Feet ? e.feetLabel : e.metreLabel;
}

bool HasConfigExtension(std::string_view path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("\\/");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return false;
    const std::string_view ext = path.substr(dot + 1);
    if (ext.size() < 3)
        return false;
    for (size_t i = 0; i < 3; ++i)
        if (std::tolower(static_cast<unsigned char>(ext[i])) != "cfg"[i])
            return false;
    return true;
}

}  // namespace tarvisk
