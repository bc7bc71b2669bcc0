#include "tools/lib/service_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tarvisk {
namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun Tool(int (*tool)(ToolArgs, std::ostream&, std::ostream&), std::vector<std::string> args) {
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out, err;
    int status = tool(views, out, err);
    return {status, out.str(), err.str()};
}

std::string TempIni(const std::string& text) {
    std::string path = ::testing::TempDir() + "tool_" + std::to_string(::getpid()) + ".ini";
    std::ofstream(path) << text;
    return path;
}

// The defaults ask for the auto setup: the built-in 50 m row, its 130 us pulse doubled in
// Polar mode.
const char* const ReferenceFrame =
    "FE 44 10 32 00 00 43 00 06 01 14 3C 78 03 1A 00 00 00 00 19 08 06 00 00 05 64 FD\n";

TEST(CommandToolTest, DefaultsFileAndOverrides) {
    EXPECT_EQ(Tool(RunCommandTool, {}).out, ReferenceFrame);

    // An out-of-range value takes the key's default, as reading the file does.
    EXPECT_EQ(Tool(RunCommandTool, {"Range=15", "frequency=1200"}).out, ReferenceFrame);

    std::string ini = TempIni("[Settings]\nRange=5\nGridMode=0\nGain=20\n");
    ToolRun fromFile = Tool(RunCommandTool, {"--ini", ini});
    EXPECT_EQ(fromFile.status, 0);
    EXPECT_EQ(fromFile.out,
              "FE 44 10 0A 00 00 43 00 14 01 14 3C 3C 03 03 00 00 00 00 32 08 06 00 00 05 64 FD\n");
    // Overrides come after the file.
    ToolRun overridden = Tool(RunCommandTool, {"--ini", ini, "Gain=40", "Frequency=677"});
    EXPECT_EQ(overridden.out.substr(24, 2), "28");
    EXPECT_EQ(overridden.out.substr(75, 2), "64");
    std::remove(ini.c_str());
}

TEST(CommandToolTest, BadInputIsReportedWithStatus2) {
    for (std::vector<std::string> args :
         std::vector<std::vector<std::string>>{{"NoSuchKey=1"},
                                               {"=5"},
                                               {"--ini"},
                                               {"--ini", "/nonexistent/TARVISK.INI"},
                                               {"--bogus"},
                                               {"stray"}}) {
        ToolRun r = Tool(RunCommandTool, args);
        EXPECT_EQ(r.status, ToolUsageError) << args[0];
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(r.err.empty());
    }
}

std::vector<std::string> PolarReply() {
    // Head 16 at 600, 50 m, profile range 500, 252 data bytes counting up.
    std::vector<std::string> hex = {"49", "4D", "58", "10", "00", "58",
                                    "04", "32", "74", "03", "7C", "01"};
    char b[3];
    for (int i = 0; i < 252; ++i) {
        std::snprintf(b, sizeof b, "%02X", i % 120);
        hex.push_back(b);
    }
    hex.push_back("FC");
    return hex;
}

TEST(DecodeToolTest, PrintsTheDecodedFields) {
    ToolRun r = Tool(RunDecodeTool, PolarReply());
    ASSERT_EQ(r.status, 0) << r.err;
    std::string expected =
        "HeadID: 16\nHeadPosition: 600\nHeadAngleDegrees: 0.00\nRange: 50\nProfileRange: 500\n"
        "ProfileSampleIndex: 26\nEchoStartOffset: 1\nDataByteCount: 252\nEchoLine: 0";
    for (int i = 0; i < 248; ++i)
        expected += " " + std::to_string(i % 120 > 107 ? 107 : i % 120);
    for (int i = 248; i < 252; ++i)
        expected += " 0";  // the zeroed tail
    EXPECT_EQ(r.out, expected + "\n");

    // Settings change the expectation and the decode: Low Mix shifts by two.
    std::vector<std::string> args = PolarReply();
    args.insert(args.begin(), "Profile=2");
    ToolRun mixed = Tool(RunDecodeTool, args);
    EXPECT_NE(mixed.out.find("EchoLine: 0 0 0 0 0 1 1"), std::string::npos);
}

TEST(DecodeToolTest, RejectedReplyNamesTheByte) {
    struct Row {
        std::vector<std::string> settings;
        size_t index;
        std::string value, line;
    } rows[] = {
        {{}, 0, "4A", "Byte 0 (start) is 0x4A (\"J\"), expected 0x49 (\"I\")\n"},
        {{"GridMode=0"}, 9999, "", "Byte 1 (reply type) is 0x4D (\"M\"), expected 0x47 (\"G\")\n"},
        {{}, 2, "59", "Byte 2 (marker) is 0x59 (\"Y\"), expected 0x58 (\"X\")\n"},
        {{}, 264, "FD", "Byte 264 (termination) is 0xFD, expected 0xFC\n"},
        {{"DataBits=16"},
         9999,
         "",
         "Byte 512 (termination) is missing: the reply has 265 bytes, expected 513\n"},
        {{"DataBits=4"}, 9999, "", "Byte 140 (termination) is 0x08, expected 0xFC\n"},
    };
    for (const Row& r : rows) {
        std::vector<std::string> args = r.settings;
        std::vector<std::string> reply = PolarReply();
        if (r.index < reply.size())
            reply[r.index] = r.value;
        args.insert(args.end(), reply.begin(), reply.end());
        ToolRun run = Tool(RunDecodeTool, args);
        EXPECT_EQ(run.status, ToolReplyRejected);
        EXPECT_EQ(run.out, r.line);
    }
    // A whole reply with bytes after it decodes as the program takes it, and says so.
    std::vector<std::string> longer = PolarReply();
    longer.push_back("00 12");
    const ToolRun extra = Tool(RunDecodeTool, longer);
    EXPECT_EQ(extra.status, ToolOk);
    EXPECT_EQ(extra.out, Tool(RunDecodeTool, PolarReply()).out);
    EXPECT_EQ(extra.err,
              "tarvisk-tool decode: the 2 bytes after the reply's 265 are ignored, as the "
              "program purges them from the line\n");
    EXPECT_EQ(Tool(RunDecodeTool, {"49 4D 5"}).status, ToolUsageError);
    EXPECT_EQ(Tool(RunDecodeTool, {}).status, ToolUsageError);
}

TEST(DecodeToolTest, HexForms) {
    struct Row {
        const char* text;
        std::vector<uint8_t> bytes;
        bool ok;
    } rows[] = {{"49 4d 58", {0x49, 0x4D, 0x58}, true},
                {"494D58", {0x49, 0x4D, 0x58}, true},
                {"0x49,0x4D:0xFC", {0x49, 0x4D, 0xFC}, true},
                {" 00\n0a\t", {0x00, 0x0A}, true},
                {"4", {}, false},
                {"4G", {}, false}};
    for (const Row& r : rows) {
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_EQ(ParseHexBytes(r.text, bytes, &error), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(bytes, r.bytes) << r.text;
        }
    }
}

TEST(DecodeToolTest, HelpNamesEveryField) {
    ToolRun r = Tool(RunDecodeTool, {"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* name : {"HeadID", "HeadPosition", "HeadAngleDegrees", "Range", "ProfileRange",
                             "ProfileSampleIndex", "EchoStartOffset", "DataByteCount", "EchoLine",
                             "--ini", "Key=Value"})
        EXPECT_NE(r.out.find(name), std::string::npos) << name;
}

}  // namespace
}  // namespace tarvisk
