#pragma once
// The start-up choice of the head and GPS ports among COM1..COM8.

#include <array>
#include <cstdint>
#include <string>

#include "settings/sonar_settings.h"

namespace tarvisk {

inline constexpr int32_t ComPortCount = 8;

struct PortAvailability {
    std::array<bool, ComPortCount> available{};
    // The GPS input opens its port only when this is set (and UseGPS is on).
    bool gpsPortUsable = false;
};

// Applies the port rules to the availability found: a head port that cannot be opened becomes
// the lowest one that can; a GPS port that cannot be opened, or is the head port, becomes the
// lowest one that can and is not the head port. Each stays unchanged when no port fits.
void ChoosePorts(SonarSettings& settings, PortAvailability& ports);

// Tries to open each device path (index 0 is COM1; an empty path is no port), closes it again,
// and applies the rules above.
void ProbePorts(SonarSettings& settings, const std::array<std::string, ComPortCount>& devicePaths,
                PortAvailability& ports);

}  // namespace tarvisk
