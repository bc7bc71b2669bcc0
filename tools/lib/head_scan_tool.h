#pragma once
// tarvisk-tool "head scan" and "head program": the head scan and the programming request on a
// serial device without a window, with the same scan, command and presentation code as the
// "Scan For Connected Heads" window.

#include <iosfwd>
#include <map>
#include <string>

#include "head/date_time_stamp.h"
#include "head/head_scan.h"
#include "tools/lib/service_commands.h"

namespace tarvisk {

// `head scan --port PATH` and `head program --port PATH --id N ...`. `clock` lets a test run
// the scan's seconds faster.
int RunHeadTool(ToolArgs args, std::ostream& out, std::ostream& err, LocalClock* clock = nullptr);
extern const std::string_view HeadToolHelp;

// The identification block as the window presents it: "Name: value" lines, then the sixteen
// nv_ram rows.
std::string IdentificationText(int32_t headId, NvRam nv);

// Scans IDs 16..31 once on the device; the blocks of every ID that answered.
bool ScanHeads(const std::string& devicePath, std::map<int32_t, NvRam>& found, std::string* error,
               LocalClock* clock = nullptr);

}  // namespace tarvisk
