#pragma once
// tarvisk-tool "gps": NMEA bytes from a capture file or a serial device through the GPS
// thread's line assembly and parser, one printed line per parsed sentence.

#include <iosfwd>
#include <string_view>

#include "head/gps_fix.h"
#include "tools/lib/service_commands.h"

namespace tarvisk {

int RunGpsTool(ToolArgs args, std::ostream& out, std::ostream& err);
extern const std::string_view GpsToolHelp;

// `"position text"` and, for GGA, the UTC text, fix quality, satellites, HDOP, altitude and
// third value, separated by single blanks.
std::string GpsToolLine(bool gga, const GpsFields& fields);

}  // namespace tarvisk
