#include "config/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tarvisk {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir() {
        std::string templ = (fs::temp_directory_path() / "tarvisk-ini-XXXXXX").string();
        path = ::mkdtemp(templ.data());
    }
    ~TempDir() { fs::remove_all(path); }
};

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(IniFile, LooksUpLikeAPrivateProfileRead) {
    IniFile ini;
    ini.LoadFromText(
        "; operator notes\n"
        "[settings]\n"
        "  GAIN = 12  \n"
        "Empty=\n"
        "Quoted=\"  spaced  \"\n"
        "gain=99\n"
        "; Range=3\n"
        "not a key line\n"
        "[Settings]\n"
        "Range=4\n");
    EXPECT_EQ(ini.GetString("Settings", "Gain", "6"), "12");    // first of duplicates wins
    EXPECT_EQ(ini.GetString("SETTINGS", "empty", "dflt"), "");  // present but empty
    EXPECT_EQ(ini.GetString("Settings", "Quoted", ""), "  spaced  ");
    EXPECT_EQ(ini.GetString("Settings", "Range", "9"), "9");  // commented out, second section
    EXPECT_EQ(ini.GetString("Settings", "not a key line", "x"), "x");
    EXPECT_EQ(ini.GetString("Other", "Gain", "6"), "6");
    EXPECT_FALSE(ini.HasKey("Settings", "Missing"));
}

TEST(IniFile, RewriteKeepsWhatTheOperatorWrote) {
    IniFile ini;
    ini.LoadFromText(
        "; written by hand\r\n"
        "[Settings]\r\n"
        "Gain = 6 \r\n"
        "Range=9\r\n"
        "\r\n"
        "; the next section is ours\r\n"
        "[Mine]\r\n"
        "Colour=blue\r\n");
    ini.SetString("settings", "GAIN", "6");  // unchanged: the line stays as it was
    ini.SetString("Settings", "Range", "3");
    ini.SetString("Settings", "Train", "90");  // new key after the last key of the section
    ini.SetString("Orientation Module Settings", "PitchOffset", "1.5\nInjected=1");
    EXPECT_EQ(ini.ToText(),
              "; written by hand\r\n"
              "[Settings]\r\n"
              "Gain = 6 \r\n"
              "Range=3\r\n"
              "Train=90\r\n"
              "\r\n"
              "; the next section is ours\r\n"
              "[Mine]\r\n"
              "Colour=blue\r\n"
              "\r\n"
              "[Orientation Module Settings]\r\n"
              "PitchOffset=1.5 Injected=1\r\n");
    EXPECT_FALSE(ini.HasKey("Orientation Module Settings", "Injected"));
}

TEST(IniFile, ValuesReadBackAsTheyWereSet) {
    const std::pair<const char*, const char*> values[] = {{"trailing  ", "trailing  "},
                                                          {"\"quoted\"", "\"quoted\""},
                                                          {"'a'", "'a'"},
                                                          {"x = y ; z", "x = y ; z"},
                                                          {"", ""},
                                                          {" 0.0", "0.0"},
                                                          {" leading", " leading"},
                                                          {" 0.0 m", " 0.0 m"}};
    IniFile ini;
    int n = 0;
    for (auto [set, read] : values)
        ini.SetString("S", "k" + std::to_string(n++), set);
    EXPECT_NE(ini.ToText().find("k5= 0.0\n"), std::string::npos);  // numbers stay as printed
    IniFile again;
    again.LoadFromText(ini.ToText());
    n = 0;
    for (auto [set, read] : values)
        EXPECT_EQ(again.GetString("S", "k" + std::to_string(n++), "?"), read) << set;
}

TEST(IniFile, SaveReplacesTheFileWhole) {
    TempDir dir;
    fs::path file = dir.path / "TARVISK.INI";
    IniFile ini;
    std::string error;
    ASSERT_TRUE(ini.Load(file.string(), &error)) << error;  // missing: empty, not an error
    EXPECT_EQ(ini.ToText(), "");
    ini.SetString("Settings", "Gain", "7");
    ASSERT_TRUE(ini.Save(file.string(), &error)) << error;
    EXPECT_EQ(ReadFile(file), "[Settings]\nGain=7\n");
    // Nothing but the file itself is left in the directory.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);

    IniFile again;
    ASSERT_TRUE(again.Load(file.string(), &error));
    EXPECT_EQ(again.GetString("settings", "gain", ""), "7");
}

TEST(IniFile, FailuresAreReported) {
    TempDir dir;
    fs::path notADir = dir.path / "plain";
    std::ofstream(notADir) << "x";
    IniFile ini;
    ini.SetString("Settings", "Gain", "7");
    std::string error;
    EXPECT_FALSE(ini.Save((notADir / "TARVISK.INI").string(), &error));
    EXPECT_NE(error.find("Cannot write"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(ini.Save(dir.path.string(), &error));  // a directory is not a file
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(ini.Load(dir.path.string(), &error));
    EXPECT_FALSE(error.empty());
}

TEST(IniNumbers, IntegersReadLikeAtoi) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"42", 42},
        {"  -7", -7},
        {"+3", 3},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"1e3", 1},
        {"- 5", 0},
        {"3.9", 3},
        {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN},
        {"-2147483648", INT32_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseIniInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(IniNumbers, RealsReadAsDecimalTextOnly) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"1500.0", 1500.0}, {" -180", -180.0}, {".5", 0.5},         {"5.", 5.0},
        {"1e3", 1000.0},    {"2.5e-1x", 0.25}, {"1e", 1.0},         {"12,5", 12},
        {"inf", 0.0},       {"nan", 0.0},      {"0x10", 0.0},       {"-", 0.0},
        {".", 0.0},         {"1e-999", 0.0},   {"1e999", HUGE_VAL}, {"-1e999", -HUGE_VAL},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(ParseIniFloat(c.text), c.value) << '"' << c.text << '"';
}

TEST(IniNumbers, RealsWriteLikePrintf) {
    EXPECT_EQ(FormatIniFloat(1500.0, 6, 1, true), "1500.0");
    EXPECT_EQ(FormatIniFloat(750.0, 6, 1, true), "0750.0");
    EXPECT_EQ(FormatIniFloat(-5.0, 6, 1, true), "-005.0");
    EXPECT_EQ(FormatIniFloat(0.0, 4, 2, false), "0.00");
    EXPECT_EQ(FormatIniFloat(1.5, 5, 1, false), "  1.5");
    EXPECT_EQ(FormatIniFloat(-180.0, 3, 1, false), "-180.0");
    EXPECT_EQ(FormatIniFloat(0.25, 3, 1, false), "0.2");  // binary 0.25 rounds to even, as printf
    EXPECT_EQ(FormatIniFloat(2.0f / 3.0f, 4, 2, false), "0.67");
}

// A writable TARVISK.INI in a folder the user may not create files in is rewritten where it
// stands. Root may create files anywhere, so the save runs as an unprivileged user.
TEST(IniFile, WritableFileInReadOnlyFolderIsRewrittenInPlace) {
    TempDir dir;
    fs::path folder = dir.path / "ro";
    fs::create_directory(folder);
    fs::path file = folder / "TARVISK.INI";
    std::ofstream(file) << "; the operator's note\n[Settings]\nGain=3\n";
    ::chmod(file.c_str(), 0666);
    ::chmod(folder.c_str(), 0555);
    ::chmod(dir.path.c_str(), 0755);
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        IniFile ini;
        std::string error;
        if (!ini.Load(file.string(), &error))
            _exit(4);
        ini.SetString("Settings", "Gain", "12");
        _exit(ini.Save(file.string(), &error) ? 0 : 5);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ::chmod(folder.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(file), "; the operator's note\n[Settings]\nGain=12\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tarvisk
