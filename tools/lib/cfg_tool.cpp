#include "tools/lib/cfg_tool.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "config/user_config.h"

namespace tarvisk {

const std::string_view CfgToolHelp =
    "usage: tarvisk-tool cfg [--feet] FILE\n"
    "       tarvisk-tool cfg --write-default FILE\n"
    "\n"
    "Prints the 15 rows of a user configuration file (.CFG) as the program loads them, one\n"
    "row a line: range label, frequency (kHz), absorption (0.01 dB/m), pulse length (us).\n"
    "An entry out of its range shows the built-in value the program puts in its place;\n"
    "frequencies and pulse lengths are rounded to 5 kHz and 10 us. --feet labels the rows\n"
    "in feet.\n"
    "\n"
    "  --write-default FILE   write the built-in table as a .CFG file (5200 bytes)\n"
    "\n"
    "Exit status: 0 on success, 1 when FILE is not a configuration file (wrong magic or\n"
    "shorter than 5200 bytes) or cannot be written, 2 for bad arguments.\n";

int RunCfgTool(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    bool feet = false, writeDefault = false;
    std::string path;
    for (std::string_view a : args) {
        if (a == "--help" || a == "-h") {
            out << CfgToolHelp;
            return 0;
        }
        if (a == "--feet") {
            feet = true;
        } else if (a == "--write-default") {
            writeDefault = true;
        } else if (!a.empty() && a.front() == '-') {
            err << "tarvisk-tool cfg: unknown option " << a << "\n";
            return 2;
        } else if (path.empty()) {
            path = std::string(a);
        } else {
            err << "tarvisk-tool cfg: unexpected argument " << a << "\n";
            return 2;
        }
    }
    if (path.empty()) {
        err << "tarvisk-tool cfg: no file given\n";
        return 2;
    }
    UserConfig config;
    if (writeDefault) {
        if (!WriteConfigFile(path, config)) {
            err << "tarvisk-tool cfg: cannot write " << path << "\n";
            return 1;
        }
        return 0;
    }
    if (!ReadConfigFile(path, config)) {
        err << "tarvisk-tool cfg: " << path
            << " is not a configuration file (wrong magic, shorter than 5200 bytes or "
               "unreadable)\n";
        return 1;
    }
    for (int32_t k = 0; k < ConfigRowCount; ++k) {
        const ConfigRow& r = config.ConfigEdit[k];
        char line[64];
        std::snprintf(line, sizeof line, "%-6s %4d %3d %4d\n",
                      std::string(ConfigRowLabel(k, feet ? Feet : Metres)).c_str(), r.frequency,
                      r.absorption, r.pulseLength);
        out << line;
    }
    return 0;
}

}  // namespace tarvisk
