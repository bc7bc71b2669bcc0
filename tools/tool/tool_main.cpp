// tarvisk-tool: service and batch work on the head protocol and data files, without a window.

#include <iostream>
#include <string_view>
#include <vector>

#include "platform/number_locale.h"
#include "tarvisk_version.h"
#include "tools/lib/service_commands.h"
#include "tools/tool/tool_command.h"

namespace tarvisk {

// Subcommands kept in other files of this folder: declare them here, then add a row below.
extern const ToolCommand KsdToolCommand;
extern const ToolCommand HeadToolCommand;
extern const ToolCommand GpsToolCommand;
extern const ToolCommand CfgToolCommand;

namespace {

const ToolCommand CommandToolCommand{"command", "print the switch command for a set of settings",
                                     RunCommandTool};
const ToolCommand DecodeToolCommand{"decode", "check and decode one head reply given as hex",
                                    RunDecodeTool};

const ToolCommand* const Commands[] = {
    &CommandToolCommand, &DecodeToolCommand, &KsdToolCommand,
    &CfgToolCommand,     &HeadToolCommand,   &GpsToolCommand,
};

void PrintUsage(std::ostream& out) {
    out << "usage: tarvisk-tool SUBCOMMAND [ARGS...]\n"
           "       tarvisk-tool SUBCOMMAND --help\n"
           "       tarvisk-tool --version\n"
           "\n"
           "Service and batch work for Tarvisk without a window.\n"
           "\n"
           "Subcommands:\n";
    for (const ToolCommand* c : Commands) {
        out << "  " << c->name;
        for (size_t i = c->name.size(); i < 10; ++i)
            out << ' ';
        out << c->summary << '\n';
    }
    out << "\nRun a subcommand with --help for its arguments and output.\n";
}

}  // namespace
}  // namespace tarvisk

int main(int argc, char** argv) {
    using namespace tarvisk;
    UsePointAsDecimalMark();  // the files and reports written are the program's own formats
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(std::cerr);
        return ToolUsageError;
    }
    if (args[0] == "--version") {
        std::cout << "tarvisk-tool " << TARVISK_VERSION << '\n';
        return ToolOk;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        if (args[0] == "help" && args.size() > 1) {
            for (const ToolCommand* c : Commands)
                if (c->name == args[1]) {
                    static const std::string_view help[] = {"--help"};
                    return c->run(std::span<const std::string_view>(help), std::cout, std::cerr);
                }
        }
        PrintUsage(std::cout);
        return ToolOk;
    }
    for (const ToolCommand* c : Commands)
        if (c->name == args[0])
            return c->run(std::span<const std::string_view>(args).subspan(1), std::cout, std::cerr);
    std::cerr << "tarvisk-tool: unknown subcommand " << args[0] << "\n\n";
    PrintUsage(std::cerr);
    return ToolUsageError;
}
