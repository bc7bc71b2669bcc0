// The head-line service subcommands: head scan and programming, GPS sentences.

#include "tools/lib/gps_tool.h"
#include "tools/lib/head_scan_tool.h"
#include "tools/tool/tool_command.h"

namespace tarvisk {

namespace {
int RunHead(ToolArgs args, std::ostream& out, std::ostream& err) {
    return RunHeadTool(args, out, err);
}
}  // namespace

extern const ToolCommand HeadToolCommand;
const ToolCommand HeadToolCommand{"head", "scan for heads on a serial line, or program one",
                                  RunHead};
extern const ToolCommand GpsToolCommand;
const ToolCommand GpsToolCommand{"gps", "parse NMEA GGA or GLL sentences as the GPS input does",
                                 RunGpsTool};

}  // namespace tarvisk
