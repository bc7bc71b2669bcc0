#pragma once
// TARVISK.INI: every operator setting, read once at start and written once on exit.
// Reading validates each value against its range and falls back to the key's default
// without a message; writing stores the operator's own values even during playback.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "config/ini_file.h"
#include "config/port_map.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

inline constexpr std::string_view TarviskIniName = "TARVISK.INI";
inline constexpr std::string_view SettingsSection = "Settings";
inline constexpr std::string_view OrientationSection = "Orientation Module Settings";
inline constexpr std::string_view DefaultConfigName = "Default";

// Loads the user configuration (.CFG) that ConfigFile names. The base class loads nothing
// and reports success, which keeps the built-in table.
class UserConfigLoader {
  public:
    virtual ~UserConfigLoader() = default;
    virtual bool LoadUserConfig(const std::string& name, SonarSettings& settings) {
        (void)name;
        (void)settings;
        return true;
    }
};

// Every key in the order the file is written, with its range and fallback; the port map comes
// from its own section. ConfigFile is handed to userConfig (null: nothing is loaded); when
// that fails the name becomes "Default". Afterwards the settings hold the values a LiveCopy
// must start from (SaveLiveCopy) and PreviousRunMode equals RunMode.
void LoadSettingsFromIni(const IniFile& ini, SonarSettings& settings, PortMap& ports,
                         UserConfigLoader* userConfig = nullptr);

// Writes every key in order, then the port map. The head parameters a played record
// overwrites are taken from liveCopyOrNull when one is given (pass it on exit in playback).
void StoreSettingsToIni(const SonarSettings& settings, const LiveCopy* liveCopyOrNull,
                        const PortMap& ports, IniFile& ini);

// One Key=Value, validated exactly as loading validates that key (an out-of-range value
// takes the key's default). MasterHeadID, which loading skips, is accepted from 0 to 255.
// An unknown key returns false with a message and changes nothing.
bool ApplyIniSetting(SonarSettings& settings, std::string_view key, std::string_view value,
                     std::string* error);

// The keys of both sections in the order they are written (for help texts and checks).
std::vector<std::string_view> IniSettingNames();

// Reads the file (a missing file gives every default). When the file exists but cannot be
// read the defaults are applied too, and false is returned with the reason.
bool ReadTarviskIni(const std::string& path, SonarSettings& settings, PortMap& ports,
                    std::string* error, UserConfigLoader* userConfig = nullptr);

// Rewrites the file, keeping the comments and sections it already had. Returns false with the
// reason when the file cannot be written, and also when it exists but cannot be read: a file
// that could not be read is never replaced, so the operator's values are never lost.
// A symbolic link is written through only when the file it names is a settings file (has one
// of our sections); any other file at the end of a link is refused and left alone.
bool WriteTarviskIni(const std::string& path, const SonarSettings& settings,
                     const LiveCopy* liveCopyOrNull, const PortMap& ports, std::string* error);

// The same, on a thread of its own, waiting at most `wait`: on storage that stopped answering
// it returns false, saying so, and the program can still close.
bool WriteTarviskIniWithin(std::chrono::milliseconds wait, const std::string& path,
                           const SonarSettings& settings, const LiveCopy* liveCopyOrNull,
                           const PortMap& ports, std::string* error);

// The start-up warning for a file that exists but could not be read, and the closing message
// for leaving it alone.
std::string IniUnreadableText(const std::string& path, const std::string& reason);
std::string IniLeftAloneText(const std::string& path);

// TARVISK.INI in the current working directory.
std::string DefaultTarviskIniPath();

}  // namespace tarvisk
