#pragma once
// One subcommand of tarvisk-tool. Each lives in its own file and is listed in the table in
// tool_main.cpp.

#include <iosfwd>
#include <span>
#include <string_view>

namespace tarvisk {

struct ToolCommand {
    std::string_view name;
    std::string_view summary;  // one line for the command list
    // Arguments after the subcommand's name; returns the exit status.
    int (*run)(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
};

}  // namespace tarvisk
