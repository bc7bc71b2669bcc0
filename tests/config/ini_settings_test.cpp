#include "config/ini_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

namespace tarvisk {
namespace {

namespace fs = std::filesystem;

// Loads one INI text into fresh settings.
struct Loaded {
    SonarSettings s;
    PortMap ports;
    explicit Loaded(std::string_view text, UserConfigLoader* loader = nullptr) {
        IniFile ini;
        ini.LoadFromText(text);
        LoadSettingsFromIni(ini, s, ports, loader);
    }
};

std::string Stored(const SonarSettings& s, const LiveCopy* live = nullptr) {
    IniFile ini;
    StoreSettingsToIni(s, live, PortMap{}, ini);
    return ini.ToText();
}

std::string StoredValue(const SonarSettings& s, std::string_view section, std::string_view key,
                        const LiveCopy* live = nullptr) {
    IniFile ini;
    StoreSettingsToIni(s, live, PortMap{}, ini);
    return ini.GetString(section, key, "<missing>");
}

struct RangeRow {
    const char* key;
    bool orientation;
    double lo, hi, def;
    std::function<double(const SonarSettings&)> get;
};
#define ROW(name, lo, hi, def)                                                             \
    {                                                                                      \
#name, false, lo, hi, def, [](const SonarSettings& s) -> double { return s.name; } \
    }
#define OROW(name, lo, hi, def)                                                           \
    {                                                                                     \
#name, true, lo, hi, def, [](const SonarSettings& s) -> double { return s.name; } \
    }

// Every ranged key: its default when missing, both limits kept, just outside them the default.
TEST(IniSettings, EveryKeyKeepsItsRangeAndFallsBackToItsDefault) {
    const RangeRow rows[] = {
        ROW(ComPort, 0, 7, 0),
        ROW(ComPortGPS, 0, 7, 1),
        ROW(GPSBaudRate, 0, 5, 0),
        ROW(Grid, 0, 1, 1),
        ROW(Colors, 0, 8, 0),
        ROW(Xdcr, 0, 1, 0),
        ROW(Range, 0, 14, 9),
        ROW(RunMode, 0, 1, 0),
        ROW(GridMode, 0, 2, 1),
        ROW(SSTrain, 0, 2, 0),
        ROW(Gain, 0, 40, 6),
        ROW(Speed, 0, 4, 2),
        ROW(SectorSectorSize, 0, 180, 180),
        ROW(PolarSectorSize, 0, 360, 360),
        ROW(PulseLength, 10, 1000, 100),
        ROW(Train, 0, 359, 0),
        ROW(RangeOffset, 0, 100, 0),
        ROW(LogF, 0, 3, 1),
        ROW(Absorption, 1, 255, 20),
        ROW(Profile, 0, 4, 0),
        ROW(PixelZoom, 0, 1, 1),
        ROW(Units, 0, 1, 0),
        ROW(SoundVelocityMeters, 750, 2250, 1500),
        ROW(IOCard, 0, 1, 1),
        ROW(ProfileGrid, 0, 1, 0),
        ROW(ZeroDown, 0, 1, 1),
        ROW(OnWhenMinimized, 0, 1, 1),
        ROW(UseGPS, 0, 1, 0),
        ROW(GPSType, 0, 1, 1),
        ROW(SwitchDelay, 0, 500, 10),
        ROW(SendDelay, 0, 500, 0),
        ROW(TxDelay, 0, 100, 10),
        ROW(PlotSpeed, 0, 100, 80),
        ROW(Frequency, 280, 1100, 675),
        ROW(ConfigType, 0, 1, 1),
        ROW(ProfileDigitizationSource, 0, 1, 0),
        ROW(ProfileDetectionType, 0, 1, 0),
        ROW(ProfileMinimumRange, 0, 25, 0),
        ROW(ProfileMinimumLevel, 10, 90, 70),
        ROW(AutoProfileXYZ, 0, 1, 1),
        ROW(AutoProfileBMP, 0, 1, 1),
        ROW(AutoProfileSaveConfirmation, 0, 1, 1),
        ROW(AutoProfilePromptForScan, 0, 1, 1),
        ROW(AzimuthDriveEnable, 0, 1, 0),
        ROW(SimulateAzimuthDrive, 0, 1, 0),
        ROW(AzimuthWindow, 0, 1, 0),
        ROW(AzimuthAngle, 0, 1199, 600),
        ROW(AutoAzimuthXYZ, 0, 1, 1),
        ROW(AutoAzimuthStartAngle, 0, 1199, 600),
        ROW(AutoAzimuthStopAngle, 0, 1199, 500),
        ROW(AutoAzimuthIncAngle, 0, 1199, 100),
        ROW(VerticalAngleOffset, -180, 180, 0),
        ROW(XYZTimestamp, 0, 1, 1),
        ROW(XYZLatLongElevation, 0, 1, 1),
        ROW(XYZRangeHorVer, 0, 1, 1),
        OROW(EnableOrientationModule, 0, 1, 1),
        OROW(XYZPitchRollHeading, 0, 1, 1),
        OROW(PitchOffset, -30, 30, 0),
        OROW(RollOffset, -30, 30, 0),
        OROW(HeadingOffset, -180, 180, 0),
    };
    auto load = [](const RangeRow& row, double value) {
        std::ostringstream text;
        text << '[' << (row.orientation ? OrientationSection : SettingsSection) << "]\n"
             << row.key << '=' << value << '\n';
        return row.get(Loaded(text.str()).s);
    };
    for (const RangeRow& row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(row.get(Loaded("").s), row.def);
        EXPECT_EQ(load(row, row.lo), row.lo);
        EXPECT_EQ(load(row, row.hi), row.hi);
        EXPECT_EQ(load(row, row.lo - 1), row.def);
        EXPECT_EQ(load(row, row.hi + 1), row.def);
    }
}

TEST(IniSettings, ValuesWithTheirOwnRules) {
    // A range outside the table is 50 m, with the derived values to match.
    for (const char* text : {"[Settings]\nRange=15", "[Settings]\nRange=-1"}) {
        Loaded l(text);
        EXPECT_EQ(l.s.Range, 9);
        EXPECT_EQ(l.s.RangeMeters, 50);
        EXPECT_EQ(RangeLabel(l.s), "50 M");
    }
    Loaded feet("[Settings]\nRange=3\nUnits=1");
    EXPECT_EQ(feet.s.RangeMeters, 4);
    EXPECT_FLOAT_EQ(feet.s.SampleSpacing, 0.008f);
    EXPECT_EQ(RangeLabel(feet.s), "12 FT");

    // The working sector width follows the loaded display mode.
    Loaded profileMode("[Settings]\nGridMode=3\nSectorSectorSize=90\nPolarSectorSize=270");
    EXPECT_EQ(profileMode.s.GridMode, Polar);
    EXPECT_EQ(profileMode.s.SectorSize, 270);
    EXPECT_EQ(Loaded("[Settings]\nGridMode=0\nSectorSectorSize=90").s.SectorSize, 90);
    EXPECT_EQ(Loaded("[Settings]\nGridMode=2\nSectorSectorSize=90").s.SectorSize, 0);

    EXPECT_EQ(Loaded("[Settings]\nSSTrain=1").s.SSTrain, PortChannel);
    EXPECT_EQ(Loaded("[Settings]\nSSTrain=2").s.SSTrain, StbdChannel);

    const struct {
        const char* text;
        int32_t frequency;
    } frequencies[] = {{"677", 675},   {"678", 680}, {"1200", 675}, {"282", 280},
                       {"1098", 1100}, {"279", 675}, {"abc", 675}};
    for (const auto& f : frequencies)
        EXPECT_EQ(Loaded(std::string("[Settings]\nFrequency=") + f.text).s.Frequency, f.frequency)
            << f.text;

    for (auto [text, bits] : {std::pair{"12", 8}, {"4", 4}, {"16", 16}, {"0", 8}})
        EXPECT_EQ(Loaded(std::string("[Settings]\nDataBits=") + text).s.DataBits, bits) << text;

    // The limit of the minimum profile range is in the units of the file.
    EXPECT_FLOAT_EQ(Loaded("[Settings]\nUnits=1\nProfileMinimumRange=50").s.ProfileMinimumRange,
                    50.0f);
    EXPECT_FLOAT_EQ(Loaded("[Settings]\nUnits=0\nProfileMinimumRange=30").s.ProfileMinimumRange,
                    0.0f);
    EXPECT_FLOAT_EQ(Loaded("[Settings]\nUnits=1\nProfileMinimumRange=82.5").s.ProfileMinimumRange,
                    0.0f);

    EXPECT_FLOAT_EQ(Loaded("[Settings]\nSoundVelocityMeters=749.9").s.SoundVelocityMeters, 1500.0f);
    EXPECT_FLOAT_EQ(Loaded("[Orientation Module Settings]\nPitchOffset=30.5").s.PitchOffset, 0.0f);
    EXPECT_FLOAT_EQ(Loaded("[Settings]\nProfileChainage=-12345.678").s.ProfileChainage,
                    -12345.678f);
    EXPECT_FLOAT_EQ(Loaded("[Settings]\nProfileChainage=1e60").s.ProfileChainage, 0.0f);
}

TEST(IniSettings, LoadingHandsOverToTheOtherThreadsCopies) {
    Loaded l("[Settings]\nProfile=3\nRunMode=1\nComPort=4");
    EXPECT_EQ(l.s.ProfileRequest, 3);  // else the acquisition thread would reset Profile
    EXPECT_EQ(l.s.PreviousRunMode, 1);
    EXPECT_EQ(l.s.BaudIndex, 5);
}

TEST(IniSettings, TextsFallBackAndFit) {
    EXPECT_EQ(Loaded("[Settings]\nUserText=").s.UserText.Get(), "Taldrium Technology Corp.");
    // Cut to the 79 characters the caption buffer holds, never inside a UTF-8 character.
    std::string longText(78, 'a');
    longText += "\xC3\xA9\xC3\xA9";
    std::string loaded = Loaded("[Settings]\nUserText=" + longText).s.UserText.Get();
    EXPECT_EQ(loaded, std::string(78, 'a'));
    const std::string caption(62, 'c');
    EXPECT_EQ(Loaded("[Settings]\nUserText=" + caption).s.UserText.Get(), caption);
}

TEST(IniSettings, UserConfigurationNamedInTheFile) {
    struct Recorder : UserConfigLoader {
        bool succeed = true;
        std::vector<std::string> names;
        bool LoadUserConfig(const std::string& name, SonarSettings&) override {
            names.push_back(name);
            return succeed;
        }
    } loader;
    EXPECT_EQ(Loaded("[Settings]\nConfigFile=/data/harbour.cfg", &loader).s.ConfigFile.Get(),
              "/data/harbour.cfg");
    loader.succeed = false;
    EXPECT_EQ(Loaded("[Settings]\nConfigFile=/gone.cfg", &loader).s.ConfigFile.Get(), "Default");
    EXPECT_EQ(Loaded("[Settings]\nConfigFile=", &loader).s.ConfigFile.Get(), "Default");
    EXPECT_EQ(loader.names, (std::vector<std::string>{"/data/harbour.cfg", "/gone.cfg"}));
}

TEST(IniSettings, EmptyFileWritesEveryKeyInOrder) {
    Loaded l("");
    IniFile ini;
    StoreSettingsToIni(l.s, nullptr, l.ports, ini);
    std::istringstream text(ini.ToText());
    std::string line, section;
    std::map<std::string, std::vector<std::string>> keys;
    while (std::getline(text, line)) {
        if (line.empty())
            continue;
        if (line.front() == '[')
            section = line;
        else
            keys[section].push_back(line);
    }
    ASSERT_EQ(keys["[Settings]"].size(), 63u);
    ASSERT_EQ(keys["[Orientation Module Settings]"].size(), 5u);
    ASSERT_EQ(keys["[Ports]"].size(), 8u);
    EXPECT_EQ(keys["[Settings]"].front(), "MasterHeadID=16");
    EXPECT_EQ(keys["[Settings]"][1], "UserText=Taldrium Technology Corp.");
    EXPECT_EQ(keys["[Settings]"][25], "SoundVelocityMeters=1500.0");
    EXPECT_EQ(keys["[Settings]"][39], "ProfileChainage=0.00");
    EXPECT_EQ(keys["[Settings]"][45], "ProfileMinimumRange= 0.0");
    EXPECT_EQ(keys["[Settings]"].back(), "XYZRangeHorVer=1");
    EXPECT_EQ(keys["[Orientation Module Settings]"].back(), "HeadingOffset=0.0");
    EXPECT_EQ(keys["[Ports]"].front(), "COM1=/dev/ttyUSB0");
}

TEST(IniSettings, WriteThenReadGivesTheSameSettings) {
    SonarSettings a;
    const std::pair<const char*, const char*> changes[] = {
        {"UserText", "Survey vessel 2"},
        {"Range", "12"},
        {"GridMode", "0"},
        {"Gain", "33"},
        {"SectorSectorSize", "120"},
        {"Frequency", "1000"},
        {"Units", "1"},
        {"ProfileMinimumRange", "60.5"},
        {"SoundVelocityMeters", "750"},
        {"ProfileDredgeDepth", "-3.25"},
        {"HeadingOffset", "-180"},
        {"ConfigFile", "/x/a.cfg"},
        {"MasterHeadID", "17"},
        {"DataBits", "16"},
        {"AutoAzimuthStopAngle", "1199"},
    };
    std::string error;
    for (auto [key, value] : changes)
        ASSERT_TRUE(ApplyIniSetting(a, key, value, &error)) << error;
    EXPECT_EQ(StoredValue(a, "Settings", "SoundVelocityMeters"), "0750.0");

    SonarSettings b;
    IniFile ini;
    ini.LoadFromText(Stored(a));
    PortMap ports;
    LoadSettingsFromIni(ini, b, ports);
    b.MasterHeadID = 17;  // written for the operator, never read back
    EXPECT_EQ(Stored(b), Stored(a));
    EXPECT_EQ(b.SectorSize, 120);
}

TEST(IniSettings, PlaybackWritesTheOperatorsValues) {
    SonarSettings s;
    s.RunMode = 1;
    s.Gain = 20;
    ApplyRangeIndex(s, 4);
    s.UserText.Set("Operator");
    s.HeadingOffset = 12.5f;
    LiveCopy live = SaveLiveCopy(s);
    // A played record overwrites the working fields.
    s.Gain = 3;
    ApplyRangeIndex(s, 13);
    s.UserText.Set("From the file");
    s.HeadingOffset = -90.0f;
    s.Frequency = 900;  // not part of a record: written as it is
    EXPECT_EQ(StoredValue(s, "Settings", "Gain", &live), "20");
    EXPECT_EQ(StoredValue(s, "Settings", "Range", &live), "4");
    EXPECT_EQ(StoredValue(s, "Settings", "UserText", &live), "Operator");
    EXPECT_EQ(StoredValue(s, OrientationSection, "HeadingOffset", &live), "12.5");
    EXPECT_EQ(StoredValue(s, "Settings", "Frequency", &live), "900");
    EXPECT_EQ(StoredValue(s, "Settings", "RunMode", &live), "1");
    EXPECT_EQ(StoredValue(s, "Settings", "Gain"), "3");
}

TEST(IniSettings, OneSettingFromTheCommandLine) {
    SonarSettings s;
    std::string error;
    EXPECT_TRUE(ApplyIniSetting(s, "gain", " 25 ", &error));
    EXPECT_EQ(s.Gain, 25);
    EXPECT_TRUE(ApplyIniSetting(s, "Gain", "41", &error));  // as loading: the default
    EXPECT_EQ(s.Gain, 6);
    EXPECT_TRUE(ApplyIniSetting(s, "GridMode", "2", &error));
    EXPECT_EQ(s.SectorSize, 0);
    EXPECT_TRUE(ApplyIniSetting(s, "MasterHeadID", "32", &error));
    EXPECT_EQ(s.MasterHeadID, 32);
    EXPECT_FALSE(ApplyIniSetting(s, "Gian", "7", &error));
    EXPECT_NE(error.find("Gian"), std::string::npos);
}

TEST(IniSettings, FileKeepsOperatorNotesAndReportsWriteFailures) {
    std::string templ = (fs::temp_directory_path() / "tarvisk-ini-XXXXXX").string();
    fs::path dir = ::mkdtemp(templ.data());
    fs::path file = dir / "TARVISK.INI";
    std::ofstream(file) << "; harbour survey rig\n[Settings]\nGain=12\n[Logbook]\nShip=Kestrel\n";

    SonarSettings s;
    PortMap ports;
    std::string error;
    ASSERT_TRUE(ReadTarviskIni(file.string(), s, ports, &error)) << error;
    EXPECT_EQ(s.Gain, 12);
    s.Gain = 14;
    ASSERT_TRUE(WriteTarviskIni(file.string(), s, nullptr, ports, &error)) << error;
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("; harbour survey rig\n[Settings]\nGain=14\n", 0), 0u);
    EXPECT_NE(text.find("[Logbook]\nShip=Kestrel\n"), std::string::npos);

    EXPECT_FALSE(
        WriteTarviskIni((dir / "missing" / "TARVISK.INI").string(), s, nullptr, ports, &error));
    EXPECT_NE(error.find("Cannot write"), std::string::npos);
    fs::remove_all(dir);
}

TEST(PortMap, PathsFromTheFileAndTheCommandLine) {
    Loaded old("[Settings]\nComPort=2\n");  // written before ports had their own section
    EXPECT_EQ(old.ports.PathFor(0), "/dev/ttyUSB0");
    EXPECT_EQ(old.ports.PathFor(8), "");

    Loaded edited("[Ports]\nCOM3=/dev/serial/by-id/usb-rig\ncom4=\n");
    EXPECT_EQ(edited.ports.PathFor(2), "/dev/serial/by-id/usb-rig");
    EXPECT_EQ(edited.ports.PathFor(3), "/dev/ttyUSB3");

    PortMap ports = edited.ports;
    std::string error;
    EXPECT_TRUE(ParsePortOverride("COM3=/dev/pts/5", ports, &error));
    EXPECT_TRUE(ParsePortOverride("com8=/dev/pts/6", ports, &error));
    EXPECT_EQ(ports.PathFor(2), "/dev/pts/5");
    EXPECT_EQ(ports.PathFor(7), "/dev/pts/6");
    for (const char* bad : {"COM0=/x", "COM9=/x", "COM10=/x", "COM3", "COM3=", "LPT1=/x", "=/x"}) {
        error.clear();
        EXPECT_FALSE(ParsePortOverride(bad, ports, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    // A one-off mapping is not saved as the operator's.
    IniFile ini;
    StorePortMap(ports, ini);
    EXPECT_EQ(ini.GetString(PortSection, "COM3", ""), "/dev/serial/by-id/usb-rig");
    EXPECT_EQ(ini.GetString(PortSection, "COM8", ""), "/dev/ttyS3");
}

}  // namespace
}  // namespace tarvisk

namespace tarvisk {
namespace {

TEST(IniSettings, AFileThatCannotBeReadIsNeverReplaced) {
    const fs::path dir = fs::temp_directory_path() / ("tarvisk-ini-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "TARVISK.INI").string();
    {
        std::ofstream out(path);
        out << "; notes\n[Settings]\nGain=33\n" << std::string(5 * 1024 * 1024, ' ') << "\n";
    }
    const auto size = fs::file_size(path);
    SonarSettings s;
    PortMap ports;
    std::string error;
    EXPECT_FALSE(ReadTarviskIni(path, s, ports, &error));
    EXPECT_NE(error.find("too large"), std::string::npos);
    EXPECT_EQ(s.Gain, 6);  // the defaults
    error.clear();
    EXPECT_FALSE(WriteTarviskIni(path, s, nullptr, ports, &error));
    EXPECT_NE(error.find("left as it was"), std::string::npos);
    EXPECT_EQ(fs::file_size(path), size);
    EXPECT_NE(IniUnreadableText(path, "x").find(path), std::string::npos);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tarvisk
