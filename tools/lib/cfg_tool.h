#pragma once
// `tarvisk-tool cfg`: the rows of a .CFG file as the program loads them, and the built-in
// table written as a file. Kept in the library so the tests run it without a process.

#include <iosfwd>
#include <span>
#include <string_view>

namespace tarvisk {

// `cfg [--feet] FILE` prints the 15 rows (range label, frequency in kHz, absorption in
// 0.01 dB/m, pulse length in us), status 1 when the file is not a configuration;
// `cfg --write-default FILE` writes the built-in table. Status 2 for bad arguments.
int RunCfgTool(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
extern const std::string_view CfgToolHelp;

}  // namespace tarvisk
