// The user configuration table: its file, the auto setup's row for the range and mode, and the
// texts the dialogs show and read.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "config/user_config.h"

namespace tarvisk {
namespace {

namespace fs = std::filesystem;

fs::path Scratch(const std::string& name) {
    fs::path dir = fs::temp_directory_path() / ("tarvisk_cfg_" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir / name;
}

// An independent picture of the file: header, then 20 slots of 256 bytes.
struct CfgBytes {
    std::vector<uint8_t> b = std::vector<uint8_t>(5200, 0);
    CfgBytes() { b[0] = 'C', b[1] = 'F', b[2] = 'G', b[4] = 1; }
    void Field(int row, int field, int32_t v) {
        const size_t at = 80 + 256 * size_t(row) + 4 * size_t(field);
        for (int i = 0; i < 4; ++i)
            b[at + i] = uint8_t(uint32_t(v) >> (8 * i));
    }
    int32_t Get(int row, int field) const {
        const size_t at = 80 + 256 * size_t(row) + 4 * size_t(field);
        return int32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24);
    }
    void Save(const fs::path& p, size_t size = 5200) const {
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), size);
    }
};

TEST(UserConfigFile, WrittenFileHasTheFixedLayout) {
    UserConfig config;
    config.ConfigTable[5].frequency = 700;
    const fs::path p = Scratch("layout.cfg");
    ASSERT_TRUE(WriteConfigFile(p.string(), config));
    ASSERT_EQ(fs::file_size(p), 5200u);
    std::ifstream in(p, std::ios::binary);
    CfgBytes read;
    in.read(reinterpret_cast<char*>(read.b.data()), 5200);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(read.b.data()), 4), std::string("CFG\0", 4));
    EXPECT_EQ(read.b[4], 1);
    for (size_t i = 5; i < 80; ++i)
        ASSERT_EQ(read.b[i], 0) << i;
    // Row 14 is the 200 m step; row 5 carries the change.
    EXPECT_EQ(read.Get(14, 0), 200);
    EXPECT_EQ(read.Get(14, 1), 290);
    EXPECT_EQ(read.Get(14, 2), 10);
    EXPECT_EQ(read.Get(14, 3), 530);
    EXPECT_EQ(read.Get(5, 1), 700);
    // Padding of every slot and the five spare slots stay zero.
    for (int row = 0; row < 20; ++row)
        for (size_t i = (row < 15 ? 16 : 0); i < 256; ++i)
            ASSERT_EQ(read.b[80 + 256 * row + i], 0) << row << ":" << i;
}

TEST(UserConfigFile, RoundTripReadsWhatWasWritten) {
    UserConfig config;
    for (int k = 0; k < ConfigRowCount; ++k)
        config.ConfigTable[k] = {k, 300 + 50 * k, 1 + 17 * k, 10 + 60 * k};
    const fs::path p = Scratch("round.cfg");
    ASSERT_TRUE(WriteConfigFile(p.string(), config));
    UserConfig other;
    ASSERT_TRUE(ReadConfigFile(p.string(), other));
    for (int k = 0; k < ConfigRowCount; ++k) {
        EXPECT_EQ(other.ConfigEdit[k].frequency, config.ConfigTable[k].frequency);
        EXPECT_EQ(other.ConfigEdit[k].absorption, config.ConfigTable[k].absorption);
        EXPECT_EQ(other.ConfigEdit[k].pulseLength, config.ConfigTable[k].pulseLength);
    }
    // Reading fills only the edit copy.
    EXPECT_EQ(other.ConfigTable[0].frequency, 1000);
}

TEST(UserConfigFile, BadValuesFallBackRowByRow) {
    CfgBytes file;
    for (int k = 0; k < 15; ++k) {
        const ConfigRow d = BuiltInConfigRow(k);
        file.Field(k, 0, d.range);
        file.Field(k, 1, 500);
        file.Field(k, 2, 40);
        file.Field(k, 3, 200);
    }
    file.Field(0, 1, 677);   // rounds down to 675
    file.Field(1, 1, 678);   // rounds up to 680
    file.Field(2, 1, 1105);  // out of range: built-in 1000
    file.Field(3, 1, 279);
    file.Field(4, 2, 0);  // absorption: built-in 60
    file.Field(5, 2, 256);
    file.Field(6, 3, 5);  // pulse: built-in 50
    file.Field(7, 3, 1000);
    file.Field(8, 3, 995);  // rounds to 1000
    file.Field(9, 3, 14);   // rounds to 10
    file.Field(10, 3, -20);
    file.Field(12, 2, 255);
    file.Field(13, 1, 1100);
    file.Field(14, 0, 3);  // a range index 0..14 is kept as it is
    for (int k = 15; k < 20; ++k)
        file.Field(k, 1, 999999);  // spare slots are never read
    const fs::path p = Scratch("bad.cfg");
    file.Save(p);
    UserConfig config;
    ASSERT_TRUE(ReadConfigFile(p.string(), config));
    const ConfigRows& e = config.ConfigEdit;
    EXPECT_EQ(e[0].frequency, 675);
    EXPECT_EQ(e[1].frequency, 680);
    EXPECT_EQ(e[2].frequency, 1000);
    EXPECT_EQ(e[3].frequency, 1000);
    EXPECT_EQ(e[4].absorption, 60);
    EXPECT_EQ(e[5].absorption, 20);
    EXPECT_EQ(e[6].pulseLength, 50);
    EXPECT_EQ(e[7].pulseLength, 1000);
    EXPECT_EQ(e[8].pulseLength, 1000);
    EXPECT_EQ(e[9].pulseLength, 10);
    EXPECT_EQ(e[10].pulseLength, 160);
    EXPECT_EQ(e[11].frequency, 500);
    EXPECT_EQ(e[12].absorption, 255);
    EXPECT_EQ(e[13].frequency, 1100);
    EXPECT_EQ(e[14].range, 3);
    EXPECT_EQ(e[13].range, 150);  // 150 is not a range index: the built-in value
}

TEST(UserConfigFile, UnreadableFilesAreNotLoaded) {
    UserConfig config;
    config.ConfigEdit[0].frequency = 123;
    CfgBytes good;
    const fs::path shortFile = Scratch("short.cfg");
    good.Save(shortFile, 5199);
    EXPECT_FALSE(ReadConfigFile(shortFile.string(), config));
    CfgBytes wrongMagic;
    wrongMagic.b[3] = ' ';
    const fs::path magic = Scratch("magic.cfg");
    wrongMagic.Save(magic);
    EXPECT_FALSE(ReadConfigFile(magic.string(), config));
    const fs::path tiny = Scratch("tiny.cfg");
    good.Save(tiny, 2);
    EXPECT_FALSE(ReadConfigFile(tiny.string(), config));
    EXPECT_FALSE(ReadConfigFile(Scratch("missing.cfg").string(), config));
    EXPECT_EQ(config.ConfigEdit[0].frequency, 123);
    // A longer file holds the whole table: its first 5200 bytes are read.
    const fs::path longer = Scratch("long.cfg");
    good.b.resize(6000, 7);
    good.Save(longer, 6000);
    EXPECT_TRUE(ReadConfigFile(longer.string(), config));
}

TEST(UserConfigFile, StartUpLoadFallsBackToDefault) {
    const fs::path p = Scratch("start.cfg");
    UserConfig written;
    written.ConfigTable[9].frequency = 800;
    ASSERT_TRUE(WriteConfigFile(p.string(), written));

    SonarSettings s;
    UserConfig config;
    s.ConfigFile.Set(p.string());
    EXPECT_TRUE(LoadNamedConfiguration(config, s));
    EXPECT_EQ(config.ConfigTable[9].frequency, 800);
    EXPECT_EQ(config.ConfigName, p.string());

    UserConfig fresh;
    s.ConfigFile.Set(Scratch("nothing-here.cfg").string());
    EXPECT_FALSE(LoadNamedConfiguration(fresh, s));
    EXPECT_EQ(s.ConfigFile.Get(), "Default");
    EXPECT_EQ(fresh.ConfigName, "Default");
    EXPECT_EQ(fresh.ConfigTable[9].frequency, 675);
}

TEST(UserConfigApply, RowFollowsRangeAndMode) {
    struct Case {
        int32_t range, mode, frequency, absorption, pulse;
    };
    const Case cases[] = {
        {14, Polar, 290, 10, 1000},  // 530 doubled, capped
        {13, Polar, 290, 10, 800},  {14, Sector, 290, 10, 530}, {0, Sector, 1000, 60, 10},
        {0, Polar, 1000, 60, 20},   {9, SS, 675, 20, 130},      {9, Profile, 675, 20, 130},
    };
    UserConfig config;
    for (const Case& c : cases) {
        SonarSettings s;
        ApplyRangeIndex(s, c.range);
        ApplyDisplayMode(s, c.mode);
        ApplyConfigRow(config, s);
        EXPECT_EQ(s.Frequency, c.frequency) << c.range << "/" << c.mode;
        EXPECT_EQ(s.Absorption, c.absorption) << c.range << "/" << c.mode;
        EXPECT_EQ(s.PulseLength, c.pulse) << c.range << "/" << c.mode;
    }
    SonarSettings s;
    ApplyRangeIndex(s, 9);
    EXPECT_FALSE(ApplyConfigRow(config, s));  // 675 already
    ApplyRangeIndex(s, 14);
    EXPECT_TRUE(ApplyConfigRow(config, s));
}

// A long name keeps its end: the folders nearest the file and the file's whole name.
TEST(UserConfigTexts, LongNamesAreShortenedToTheirEnd) {
    EXPECT_EQ(ShortConfigName("C:\\Program Files\\Sonar\\configs\\deep.cfg"),
              "...iles\\Sonar\\configs\\deep.cfg");
    EXPECT_EQ(ShortConfigName("/home/operator/surveys/2026/harbour/deep.cfg"),
              "...rveys/2026/harbour/deep.cfg");
    const std::string thirty = "/data/abcdefghijklmnopqrst.cfg";
    ASSERT_EQ(thirty.size(), 30u);
    EXPECT_EQ(ShortConfigName(thirty), thirty);
    EXPECT_EQ(ShortConfigName("Default"), "Default");
    const std::string longFile = "/data/" + std::string(40, 'a') + ".cfg";
    EXPECT_EQ(ShortConfigName(longFile), ".../" + std::string(40, 'a') + ".cfg");
    EXPECT_EQ(ShortConfigName(std::string(26, 'x') + "deep.cfg"),
              "..." + std::string(19, 'x') + "deep.cfg");
}

TEST(UserConfigTexts, AbsorptionShownAndReadInBothUnits) {
    EXPECT_EQ(AbsorptionText(20, Metres), "0.20");
    EXPECT_EQ(AbsorptionText(255, Metres), "2.55");
    EXPECT_EQ(AbsorptionText(20, Feet), "0.06096");
    EXPECT_EQ(AbsorptionText(255, Feet), "0.77724");
    struct Case {
        const char* text;
        int32_t units;
        bool valid;
        int32_t stored;
    };
    const Case cases[] = {
        {"0.20", Metres, true, 20},      {"2.55", Metres, true, 255},
        {"2.56", Metres, false, 0},      {"0.01", Metres, true, 1},
        {"0.009", Metres, false, 0},     {"abc", Metres, false, 0},
        {"0.77724", Feet, true, 255},    {"0.003", Feet, true, 1},
        {"0.002", Feet, false, 0},       {"0.06096", Feet, true, 20},
        {"0.2000009", Metres, true, 20}, {"0.20 dB", Metres, true, 20},
    };
    for (const Case& c : cases) {
        int32_t v = -1;
        EXPECT_EQ(ParseAbsorptionText(c.text, c.units, v), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(v, c.stored) << c.text;
        }
    }
}

TEST(UserConfigTexts, IntegersAndExtensions) {
    int32_t v = 0;
    EXPECT_TRUE(ParseIntegerText(" 675 ", v));
    EXPECT_EQ(v, 675);
    EXPECT_FALSE(ParseIntegerText("675.5", v));
    EXPECT_FALSE(ParseIntegerText("", v));
    EXPECT_FALSE(ParseIntegerText("99999999999", v));
    EXPECT_TRUE(HasConfigExtension("/a/b/deep.cfg"));
    EXPECT_TRUE(HasConfigExtension("/a/b/DEEP.CFG"));
    EXPECT_TRUE(HasConfigExtension("deep.cfgx"));
    EXPECT_FALSE(HasConfigExtension("deep.cf"));
    EXPECT_FALSE(HasConfigExtension("/a.cfg/deep"));
    EXPECT_FALSE(HasConfigExtension("deep.ksd"));
}

}  // namespace
}  // namespace tarvisk
