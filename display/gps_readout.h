#pragma once
// The GPS field at the left of the status strip under the image.

#include "head/gps_fix.h"
#include "platform/draw_surface.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

inline constexpr const char* GpsNotAvailableText = "GPS Lat / Lng Not Available";

// Draws the field: cleared when GPS is not in use (live) or the played record has no GPS
// block; else the position with its blinking activity mark while fresh or younger than five
// seconds, and the not-available text otherwise.
void ShowGpsPosition(DrawSurface& surface, GpsState& gps, const SonarSettings& settings, bool fresh,
                     bool playedRecordHasGps);

// Every new clock second with UseGPS: the age advances; true when it just reached ten and the
// field must be redrawn (not fresh) to say so.
bool AdvanceGpsAge(GpsState& gps, const SonarSettings& settings);

}  // namespace tarvisk
