#pragma once
// The head-protocol subcommands of tarvisk-tool: print the switch command for a set of
// settings, and check and decode one reply. They live here, not in the tool, so that the
// test suite runs them without starting a process.

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "head/head_link.h"
#include "head/reply_decode.h"

namespace tarvisk {

using ToolArgs = std::span<const std::string_view>;

// Exit statuses of the subcommands.
inline constexpr int ToolOk = 0;
inline constexpr int ToolReplyRejected = 1;
inline constexpr int ToolUsageError = 2;

// `command [--ini FILE] [Key=Value ...]`: the normal switch command as 27 upper-case hex
// bytes separated by single blanks, on one line.
int RunCommandTool(ToolArgs args, std::ostream& out, std::ostream& err);
extern const std::string_view CommandToolHelp;

// `decode [--ini FILE] [Key=Value ...] HEX...`: "Name: value" lines of the decoded reply, or
// one line naming the wrong byte and status 1.
int RunDecodeTool(ToolArgs args, std::ostream& out, std::ostream& err);
extern const std::string_view DecodeToolHelp;

// Decimal digits only, at most nine of them (no sign, no blanks): an option's count or ID.
bool ParseWholeNumber(std::string_view text, int32_t& value);

// 27 bytes as "FE 44 10 ...".
std::string CommandHex(const SwitchCommand& command);

// Hex bytes from any mix of blanks, commas and colons between pairs; "0x" prefixes allowed.
bool ParseHexBytes(std::string_view text, std::vector<uint8_t>& bytes, std::string* error);

// Settings as the program would hold them after reading `iniPath` (empty: no file, every
// default), then each Key=Value validated as the file's value would be.
bool LoadToolSettings(const std::string& iniPath, const std::vector<std::string_view>& overrides,
                      SonarSettings& settings, std::string* error);

// The one line that says why a reply of `givenLength` bytes fails the check; empty when it
// passes.
std::string DescribeReplyProblem(const HeadLink& link, size_t givenLength);

// The decoded shot as "Name: value" lines.
std::string DecodedShotText(const HeadLink& link);

}  // namespace tarvisk
