#pragma once
// COM1..COM8 as the operator knows them, mapped to Linux device paths. The map is kept in
// its own section of TARVISK.INI so that files written before it existed stay valid.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvisk {

class IniFile;

inline constexpr int32_t PortCount = 8;
inline constexpr std::string_view PortSection = "Ports";

struct PortMap {
    // The paths in effect: what the program opens for port index 0..7.
    std::array<std::string, PortCount> paths = DefaultPaths();
    // The paths as the INI file gives them. Command-line overrides change only `paths`, so a
    // one-off mapping (a simulator's pseudo-terminal) is not written back as the operator's.
    std::array<std::string, PortCount> iniPaths = DefaultPaths();

    // Path of port index 0..7; empty for any other index.
    const std::string& PathFor(int32_t index) const;

    static std::array<std::string, PortCount> DefaultPaths();
};

// "COM1".."COM8" for index 0..7.
std::string PortName(int32_t index);

// Reads the [Ports] section; a missing or empty key keeps the default path.
void LoadPortMap(const IniFile& ini, PortMap& ports);
// Writes all eight keys, so an operator finds every port ready to edit.
void StorePortMap(const PortMap& ports, IniFile& ini);

// Applies one "COMn=PATH" (the --port option). On a malformed text returns false with a
// message and leaves the map unchanged.
bool ParsePortOverride(std::string_view text, PortMap& ports, std::string* error);

}  // namespace tarvisk
