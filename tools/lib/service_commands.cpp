#include "tools/lib/service_commands.h"

#include "config/user_config.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <sstream>

#include "config/ini_settings.h"
#include "head/expected_reply.h"

namespace tarvisk {

const std::string_view CommandToolHelp =
    "usage: tarvisk-tool command [--ini FILE] [Key=Value ...]\n"
    "\n"
    "Prints the normal switch command the program would send to the sonar head for the\n"
    "given settings: 27 bytes as two-digit upper-case hex separated by single blanks, on\n"
    "one line.\n"
    "\n"
    "  --ini FILE   read the settings from FILE (a TARVISK.INI); without it every setting\n"
    "               has its default\n"
    "  Key=Value    override one setting; keys are the TARVISK.INI key names (case does\n"
    "               not matter), and each value is checked as reading the file checks it:\n"
    "               a value out of range takes the key's default. Overrides apply in the\n"
    "               order given, after the file. SSTrain also selects the side-scan channel\n"
    "               and, with GridMode=2, the train (270 Port, 90 Stbd).\n"
    "\n"
    "With ConfigType=1 (the default) the frequency, absorption and pulse length come from\n"
    "the user configuration ConfigFile names (\"Default\" or a .CFG file; one that cannot be\n"
    "read gives the built-in table) for the range, the pulse doubled in Polar mode, as the\n"
    "program applies them; ConfigType=0 sends the manual values.\n"
    "\n"
    "Exit status: 0 on success, 2 for a bad option, an unknown key or an unreadable file.\n"
    "Example: tarvisk-tool command GridMode=0 Range=5 Gain=20\n";

const std::string_view DecodeToolHelp =
    "usage: tarvisk-tool decode [--ini FILE] [Key=Value ...] HEX...\n"
    "\n"
    "Checks one sonar head reply against the reply the program expects for the given\n"
    "settings (type letter and length follow the display mode, data bits and profile\n"
    "mode), decodes it and prints one \"Name: value\" line per field:\n"
    "\n"
    "  HeadID              the ID of the answering head (byte 3)\n"
    "  HeadPosition        transducer position in 0.3-degree steps, 600 ahead\n"
    "  HeadAngleDegrees    bearing shown and exported, \"%.2f\"\n"
    "  Range               the range in metres the head used (byte 7)\n"
    "  ProfileRange        the profile range (the software search's, when it ran)\n"
    "  ProfileSampleIndex  the profile point's sample in the echo line, 0 for none\n"
    "  EchoStartOffset     leading zero samples ahead of the echo data\n"
    "  DataByteCount       the data byte count the head reported (bytes 10, 11)\n"
    "  EchoLine            the echo levels 0..107, the offset's zeros included, separated\n"
    "                      by single blanks\n"
    "\n"
    "HEX is the reply as hex bytes: one or more arguments, pairs separated by blanks,\n"
    "commas or colons or written together, \"0x\" prefixes allowed; \"-\" reads them from\n"
    "standard input. --ini and Key=Value are as for the command subcommand.\n"
    "\n"
    "A reply that fails the check (first byte \"I\", second the expected type, third \"X\",\n"
    "last 0xFC at the expected length) prints one line naming the wrong byte and exits with\n"
    "status 1. Exit status 2: bad option, unknown key, unreadable file or bad hex.\n";

namespace {

struct ToolInput {
    std::string iniPath;
    std::vector<std::string_view> overrides;
    std::vector<std::string_view> rest;
    bool help = false;
};

bool SplitArgs(ToolArgs args, ToolInput& in, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view a = args[i];
        if (a == "--help" || a == "-h") {
            in.help = true;
        } else if (a == "--ini") {
            if (i + 1 >= args.size()) {
                *error = "--ini needs a file name";
                return false;
            }
            in.iniPath = std::string(args[++i]);
        } else if (a.starts_with("--ini=")) {
            in.iniPath = std::string(a.substr(6));
        } else if (a.size() > 1 && a[0] == '-') {
            *error = "unknown option " + std::string(a);
            return false;
        } else if (a.find('=') != std::string_view::npos) {
            in.overrides.push_back(a);
        } else {
            in.rest.push_back(a);
        }
    }
    return true;
}

// Splits the arguments and answers --help; returns an exit status when the subcommand is
// done, or -1 to go on.
int StartTool(ToolArgs args, std::string_view name, std::string_view help, ToolInput& in,
              std::ostream& out, std::ostream& err) {
    std::string error;
    if (!SplitArgs(args, in, &error)) {
        err << "tarvisk-tool " << name << ": " << error << "\n" << help;
        return ToolUsageError;
    }
    if (in.help) {
        out << help;
        return ToolOk;
    }
    return -1;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

const char* FaultName(ReplyFault fault) {
    switch (fault) {
        case ReplyFault::BadStart:
            return "start";
        case ReplyFault::BadType:
            return "reply type";
        case ReplyFault::BadMarker:
            return "marker";
        case ReplyFault::BadEnd:
            return "termination";
        default:
            return "";
    }
}

std::string ByteText(uint8_t b) {
    char text[16];
    if (b >= 0x20 && b < 0x7F)
        std::snprintf(text, sizeof text, "0x%02X (\"%c\")", b, b);
    else
        std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

}  // namespace

bool ParseWholeNumber(std::string_view text, int32_t& value) {
    if (text.empty() || text.size() > 9)
        return false;
    int32_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

std::string CommandHex(const SwitchCommand& command) {
    std::string out;
    out.reserve(command.size() * 3);
    char byte[4];
    for (size_t i = 0; i < command.size(); ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", command[i]);
        out += byte;
    }
    return out;
}

bool ParseHexBytes(std::string_view text, std::vector<uint8_t>& bytes, std::string* error) {
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ',' || c == ':') {
            ++i;
            continue;
        }
        if (c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
            i += 2;
            continue;
        }
        int high = HexDigit(c);
        int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        if (high < 0 || low < 0) {
            *error = "bad hex at \"" + std::string(text.substr(i, 8)) + "\"";
            return false;
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        i += 2;
    }
    return true;
}

bool LoadToolSettings(const std::string& iniPath, const std::vector<std::string_view>& overrides,
                      SonarSettings& settings, std::string* error) {
    PortMap ports;
    if (iniPath.empty()) {
        LoadSettingsFromIni(IniFile{}, settings, ports);
    } else {
        // A mistyped name would otherwise quietly give every default.
        struct stat info {};
        if (::stat(iniPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            *error = "cannot read " + iniPath + ": no such file";
            return false;
        }
        std::string why;
        if (!ReadTarviskIni(iniPath, settings, ports, &why)) {
            *error = "cannot read " + iniPath + ": " + why;
            return false;
        }
    }
    for (std::string_view kv : overrides) {
        size_t eq = kv.find('=');
        std::string_view key = kv.substr(0, eq), value = kv.substr(eq + 1);
        std::string why;
        if (key.empty() || !ApplyIniSetting(settings, key, value, &why)) {
            *error = key.empty() ? "missing key in \"" + std::string(kv) + "\"" : why;
            return false;
        }
    }
    // As the panel would: the working channel, and in side scan the side the head looks to.
    ApplySideScanTrain(settings);
    return true;
}

std::string DescribeReplyProblem(const HeadLink& link, size_t givenLength) {
    size_t expected = static_cast<size_t>(link.Expected.ExpectedReplyLength.Get());
    char text[160];
    ReplyCheck check = CheckReplyFrame(link);
    if (check.Fault == ReplyFault::BadLength) {
        std::snprintf(text, sizeof text, "Expected reply length %zu cannot hold a reply", expected);
        return text;
    }
    auto wrongByte = [&] {
        std::snprintf(text, sizeof text, "Byte %zu (%s) is %s, expected %s", check.ByteIndex,
                      FaultName(check.Fault), ByteText(check.Actual).c_str(),
                      ByteText(check.Expected).c_str());
        return std::string(text);
    };
    // A wrong header byte that was given says more than a short reply does.
    if (check.Fault != ReplyFault::None && check.Fault != ReplyFault::BadEnd &&
        check.ByteIndex < givenLength)
        return wrongByte();
    if (givenLength < expected) {
        std::snprintf(text, sizeof text,
                      "Byte %zu (termination) is missing: the reply has %zu bytes, expected %zu",
                      expected - 1, givenLength, expected);
        return text;
    }
    if (check.Fault != ReplyFault::None)
        return wrongByte();
    // Bytes after a whole reply are not its fault: the program reads the expected length and
    // purges the rest of the line (the caller says so).
    return {};
}

std::string DecodedShotText(const HeadLink& link) {
    const ShotRecord& s = link.Shot;
    std::ostringstream out;
    char angle[32];
    std::snprintf(angle, sizeof angle, "%.2f", s.HeadAngleDegrees);
    out << "HeadID: " << s.HeadId << '\n'
        << "HeadPosition: " << s.HeadPosition << '\n'
        << "HeadAngleDegrees: " << angle << '\n'
        << "Range: " << s.RangeByte << '\n'
        << "ProfileRange: " << s.ProfileRange << '\n'
        << "ProfileSampleIndex: " << s.ProfileSampleIndex << '\n'
        << "EchoStartOffset: " << s.EchoStartOffset << '\n'
        << "DataByteCount: " << s.DataByteCount << '\n'
        << "EchoLine:";
    for (int32_t i = 0; i < s.EchoLevelCount; ++i)
        out << ' ' << int{s.EchoLine[i]};
    out << '\n';
    return out.str();
}

int RunCommandTool(ToolArgs args, std::ostream& out, std::ostream& err) {
    ToolInput in;
    std::string error;
    if (int status = StartTool(args, "command", CommandToolHelp, in, out, err); status >= 0)
        return status;
    if (!in.rest.empty()) {
        err << "tarvisk-tool command: unexpected argument " << in.rest.front() << "\n";
        return ToolUsageError;
    }
    SonarSettings settings;
    if (!LoadToolSettings(in.iniPath, in.overrides, settings, &error)) {
        err << "tarvisk-tool command: " << error << "\n";
        return ToolUsageError;
    }
    if (settings.ConfigType == 1) {
        // The auto setup, as the live program applies it before its first command.
        UserConfig config;
        LoadNamedConfiguration(config, settings);
        ApplyConfigRow(config, settings);
    }
    HeadLink link(settings);
    BuildNormalCommand(link);
    out << CommandHex(link.Command) << '\n';
    return ToolOk;
}

int RunDecodeTool(ToolArgs args, std::ostream& out, std::ostream& err) {
    ToolInput in;
    std::string error;
    if (int status = StartTool(args, "decode", DecodeToolHelp, in, out, err); status >= 0)
        return status;
    std::vector<uint8_t> bytes;
    for (std::string_view hex : in.rest) {
        if (hex == "-") {
            std::string text((std::istreambuf_iterator<char>(std::cin)),
                             std::istreambuf_iterator<char>());
            if (!ParseHexBytes(text, bytes, &error))
                break;
        } else if (!ParseHexBytes(hex, bytes, &error)) {
            break;
        }
    }
    if (!error.empty() || bytes.empty()) {
        err << "tarvisk-tool decode: " << (error.empty() ? "no reply bytes given" : error) << "\n";
        return ToolUsageError;
    }
    if (bytes.size() > ReplyBufferSize) {
        err << "tarvisk-tool decode: a reply has at most " << ReplyBufferSize << " bytes\n";
        return ToolUsageError;
    }
    SonarSettings settings;
    if (!LoadToolSettings(in.iniPath, in.overrides, settings, &error)) {
        err << "tarvisk-tool decode: " << error << "\n";
        return ToolUsageError;
    }
    HeadLink link(settings);
    SetExpectedReply(link);
    const size_t expected = static_cast<size_t>(link.Expected.ExpectedReplyLength.Get());
    const size_t taken = std::min(bytes.size(), expected);
    std::copy(bytes.begin(), bytes.begin() + static_cast<long>(taken), link.Reply.bytes.begin());
    std::string problem = DescribeReplyProblem(link, bytes.size());
    if (!problem.empty() || !CheckAndDecodeReply(link)) {
        out << (problem.empty() ? "Reply rejected" : problem) << '\n';
        return ToolReplyRejected;
    }
    if (bytes.size() > expected)
        err << "tarvisk-tool decode: the " << bytes.size() - expected << " bytes after the reply's "
            << expected << " are ignored, as the program purges them from the line\n";
    out << DecodedShotText(link);
    return ToolOk;
}

}  // namespace tarvisk
