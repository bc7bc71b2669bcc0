#pragma once
// The per-range frequency, absorption and pulse-length table of the auto setup: the built-in
// rows, the table in use, the copy being edited, and the .CFG file that holds a table.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/sonar_settings.h"

namespace tarvisk {

inline constexpr int32_t ConfigRowCount = 15;
inline constexpr int32_t ConfigSlotCount = 20;  // the file has room for five rows more
inline constexpr size_t ConfigHeaderSize = 80;
inline constexpr size_t ConfigSlotSize = 256;
inline constexpr size_t ConfigFileSize = ConfigHeaderSize + ConfigSlotCount * ConfigSlotSize;
inline constexpr std::string_view DefaultConfigurationName = "Default";

// Limits of the three edited columns.
inline constexpr int32_t MinConfigFrequency = 280, MaxConfigFrequency = 1100;
inline constexpr int32_t MinConfigAbsorption = 1, MaxConfigAbsorption = 255;
inline constexpr int32_t MinConfigPulse = 10, MaxConfigPulse = 1000;

struct ConfigRow {
    int32_t range = 0;        // metres of the range step; never edited
    int32_t frequency = 0;    // kHz
    int32_t absorption = 0;   // 0.01 dB/m
    int32_t pulseLength = 0;  // microseconds
};
using ConfigRows = std::array<ConfigRow, ConfigRowCount>;

enum class ConfigColumn : int32_t { Frequency = 0, Absorption = 1, PulseLength = 2 };

struct UserConfig {
    ConfigRows ConfigDefaults{};
    ConfigRows ConfigTable{};
    ConfigRows ConfigEdit{};
    std::array<uint8_t, ConfigHeaderSize> ConfigHeader{};
    // The manual setup, remembered while the auto setup is on.
    int32_t ManualFrequency = 675;
    int32_t ManualAbsorption = 20;
    int32_t ManualPulseLength = 100;
    // The name shown in the User Configuration dialog; it becomes ConfigFile on its "Ok".
    std::string ConfigName{DefaultConfigurationName};

    UserConfig() { BuildDefaults(); }
    // Fills ConfigDefaults and ConfigHeader and copies the rows into ConfigTable.
    void BuildDefaults();
};

// The built-in row of a range index (0..14).
ConfigRow BuiltInConfigRow(int32_t index);
int32_t ConfigValue(const ConfigRow& row, ConfigColumn column);
void SetConfigValue(ConfigRow& row, ConfigColumn column, int32_t value);

// Nearest multiple of 5 kHz / 10 microseconds, as truncation of value/step + 0.5.
int32_t RoundToFive(int32_t value);
int32_t RoundToTen(int32_t value);

// Reads a .CFG file into ConfigEdit: magic, exact size, then each of the 15 rows with every
// out-of-range field replaced by its built-in value. False leaves ConfigEdit as it was.
bool ReadConfigFile(const std::string& path, UserConfig& config);
// The same rule on bytes already read: at least 5200 of them, the first 4 "CFG" and a zero.
bool ParseConfigBytes(const uint8_t* bytes, size_t size, UserConfig& config);
// Writes ConfigHeader and the 20 slots of ConfigTable (5200 bytes); false when the file cannot
// be created or written whole.
bool WriteConfigFile(const std::string& path, const UserConfig& config);
// The 5200 bytes of a file holding the given rows.
std::array<uint8_t, ConfigFileSize> ConfigFileBytes(const UserConfig& config,
                                                    const ConfigRows& rows);

// The start-up load of the configuration ConfigFile names: on success its rows are in use;
// otherwise ConfigFile becomes "Default" and the built-in table stays. ConfigName follows.
bool LoadNamedConfiguration(UserConfig& config, SonarSettings& settings);

// The auto setup for the current Range: row frequency and absorption, the row's pulse length
// doubled in Polar mode and capped at 1000. True when Frequency changed.
bool ApplyConfigRow(const UserConfig& config, SonarSettings& settings);

// A long name as the dialogs show it: "..." and its end, the last 27 characters or, when the
// file's own name is longer, that name from its separator on. The start of a path says little
// on Linux (every one begins "/home/..."); its end names the folder and the file.
std::string ShortConfigName(std::string_view name);

// Absorption in 0.01 dB/m as shown: "%04.2f" dB/m, or "%06.5f" dB/ft in feet mode.
std::string AbsorptionText(int32_t absorption, int32_t units);
// Reads an absorption field (at most 7 characters; dB/ft in feet mode). False when outside
// 0.009 (exclusive) .. 2.55 dB/m.
bool ParseAbsorptionText(std::string_view text, int32_t units, int32_t& absorption);
// Whole-number field text (blanks around allowed); false for anything else.
bool ParseIntegerText(std::string_view text, int32_t& value);
// A real the way the dialogs read one: leading number, anything unreadable as 0.
double ParseRealText(std::string_view text);

// "Frequency is out of range!\nUse 280 to 1100 kHz." and its siblings.
std::string_view FrequencyRangeMessage();
std::string_view AbsorptionRangeMessage(int32_t units);
std::string_view PulseRangeMessage();

// Range label of a row in the given units ("10 M", "30 FT").
std::string_view ConfigRowLabel(int32_t index, int32_t units);

// True when the first three characters of the name's extension are "cfg" in any case.
bool HasConfigExtension(std::string_view path);

}  // namespace tarvisk
