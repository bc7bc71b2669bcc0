// The setup dialogs' logic without widgets: working copies, spin steps, what "Ok" stores and
// which warning a bad value gets.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "config/com_port_model.h"
#include "config/dialog_placement.h"
#include "config/profile_setup_model.h"
#include "config/rotate_image_model.h"
#include "config/settings_dialog_model.h"
#include "config/sound_velocity_model.h"
#include "config/user_config_dialog_model.h"
#include "config/user_text_model.h"

namespace tarvisk {
namespace {

std::vector<std::string> Texts(const DialogMessages& m) {
    std::vector<std::string> t;
    for (const DialogMessage& d : m)
        t.push_back(d.title + "|" + d.text);
    return t;
}

TEST(SettingsDialog, ManualAndAutoSwitchTakeEffectAtOnce) {
    SonarSettings s;
    UserConfig config;
    ApplyRangeIndex(s, 14);
    s.ConfigType = 0;
    s.Frequency = 500;
    s.Absorption = 30;
    s.PulseLength = 200;
    int redraws = 0;
    SettingsDialogModel m(s, config);
    m.redrawFrequency = [&] { ++redraws; };
    m.SelectAuto();  // the manual values are remembered, the 200 m row applies (Polar)
    EXPECT_EQ(s.ConfigType, 1);
    EXPECT_EQ(s.Frequency, 290);
    EXPECT_EQ(s.PulseLength, 1000);
    EXPECT_EQ(m.frequencyText, "290");
    m.SpinFrequency(true);  // read-only under auto
    EXPECT_EQ(m.frequencyText, "290");
    m.SelectManual();
    EXPECT_EQ(s.Frequency, 500);
    EXPECT_EQ(s.Absorption, 30);
    EXPECT_EQ(s.PulseLength, 200);
    EXPECT_EQ(m.absorptionText, "0.30");
    EXPECT_EQ(redraws, 2);
}

TEST(SettingsDialog, SpinsStepFromTheShownValueAndOkReadsTheText) {
    SonarSettings s;
    UserConfig config;
    s.ConfigType = 0;
    s.Frequency = 1095;
    s.Absorption = 255;
    s.PulseLength = 20;
    SettingsDialogModel m(s, config);
    m.SpinFrequency(true);
    m.SpinFrequency(true);
    EXPECT_EQ(m.frequencyText, "1100");
    m.SpinAbsorption(true);
    EXPECT_EQ(m.absorptionText, "2.55");
    m.SpinPulse(false);
    m.SpinPulse(false);
    EXPECT_EQ(m.pulseText, "10");
    m.frequencyText = "600";  // typed
    m.SpinFrequency(false);   // steps from 1100, not from the typed text
    EXPECT_EQ(m.frequencyText, "1095");
    m.frequencyText = "677";
    m.absorptionText = "0.5";
    m.pulseText = "995";
    EXPECT_TRUE(m.Ok().empty());
    EXPECT_EQ(s.Frequency, 675);
    EXPECT_EQ(config.ManualFrequency, 675);
    EXPECT_EQ(s.Absorption, 50);
    EXPECT_EQ(s.PulseLength, 1000);
}

TEST(SettingsDialog, OkAppliesValidFieldsAndWarnsOfTheOthers) {
    SonarSettings s;
    UserConfig config;
    s.ConfigType = 0;
    s.Units = Feet;
    SettingsDialogModel m(s, config);
    EXPECT_EQ(m.UnitsLabel(), "dB/ft");
    EXPECT_EQ(m.absorptionText, "0.06096");
    m.frequencyText = "1200";
    m.absorptionText = "0.77724";
    m.pulseText = "5";
    EXPECT_EQ(Texts(m.Ok()),
              (std::vector<std::string>{
                  "Manual Setup|Frequency is out of range!\nUse 280 to 1100 kHz.",
                  "Manual Setup|Pulse Length is out of range!\nUse 10 to 1000 usec."}));
    EXPECT_EQ(s.Absorption, 255);
    EXPECT_EQ(s.Frequency, 675);
    m.absorptionText = "0.002";
    m.frequencyText = "700";
    m.pulseText = "100";
    EXPECT_EQ(Texts(m.Ok()),
              (std::vector<std::string>{
                  "Manual Setup|Absorption is out of range!\nUse 0.003048 to 0.77724 dB/ft."}));
    // Auto: "Ok" only closes.
    s.ConfigType = 1;
    m.frequencyText = "nonsense";
    EXPECT_TRUE(m.Ok().empty());
}

TEST(SettingsDialog, DefaultsAndHeadId) {
    SonarSettings s;
    UserConfig config;
    s.ConfigType = 0;
    s.Frequency = 900;
    s.MasterHeadID = 16;
    SettingsDialogModel m(s, config);
    EXPECT_EQ(m.HeadIdText(), "1");
    m.Defaults();
    EXPECT_EQ(s.Frequency, 675);
    EXPECT_EQ(s.PulseLength, 100);
    EXPECT_EQ(config.ManualAbsorption, 20);
    EXPECT_EQ(m.frequencyText, "675");
}

TEST(PlaybackSettingsView, TextsInBothUnits) {
    SonarSettings s;
    s.Absorption = 20;
    s.PulseLength = 130;
    PlaybackSettingsTexts t = PlaybackSettingsView(s, 17, 675);
    EXPECT_EQ(t.headId, "2");
    EXPECT_EQ(t.frequency, "675 kHz");
    EXPECT_EQ(t.absorption, "0.20 dB/m");
    EXPECT_EQ(t.pulseLength, "130 usec");
    s.Units = Feet;
    EXPECT_EQ(PlaybackSettingsView(s, 16, 675).absorption, "0.06096");
}

TEST(UserConfigDialog, SpinsAndDButtonsWorkOnTheEditCopy) {
    SonarSettings s;
    UserConfig config;
    UserConfigDialogModel m(s, config);
    EXPECT_EQ(m.RowLabel(5), "10 M");
    EXPECT_EQ(m.Text(14, ConfigColumn::PulseLength), "530");
    m.Text(5, ConfigColumn::Frequency) = "300";  // typed, then an arrow
    m.Spin(5, ConfigColumn::Frequency, true);
    EXPECT_EQ(m.Text(5, ConfigColumn::Frequency), "680");
    for (int i = 0; i < 200; ++i)
        m.Spin(0, ConfigColumn::Absorption, true);
    EXPECT_EQ(m.Text(0, ConfigColumn::Absorption), "2.55");
    m.Spin(0, ConfigColumn::PulseLength, false);
    EXPECT_EQ(m.Text(0, ConfigColumn::PulseLength), "10");
    m.DefaultField(0, ConfigColumn::Absorption);
    EXPECT_EQ(m.Text(0, ConfigColumn::Absorption), "0.60");
    // Nothing is in use before "Ok".
    EXPECT_EQ(config.ConfigTable[5].frequency, 675);
    EXPECT_TRUE(m.Ok().empty());
    EXPECT_EQ(config.ConfigTable[5].frequency, 680);
}

TEST(UserConfigDialog, OkStoresValidFieldsAndNamesTheRowOfEachBadOne) {
    SonarSettings s;
    s.Units = Feet;
    UserConfig config;
    config.ConfigName = "/surveys/deep.cfg";
    UserConfigDialogModel m(s, config);
    EXPECT_EQ(m.UnitsLabel(), "(dB/ft)");
    m.Text(7, ConfigColumn::Frequency) = "1101";
    m.Text(7, ConfigColumn::Absorption) = "0.003";
    m.Text(7, ConfigColumn::PulseLength) = "999";
    m.Text(2, ConfigColumn::Absorption) = "1";
    const auto messages = Texts(m.Ok());
    EXPECT_EQ(messages,
              (std::vector<std::string>{
                  "Auto Setup|[9 FT]\nAbsorption is out of range!\nUse 0.003048 to 0.77724 dB/ft.",
                  "Auto Setup|[90 FT]\nFrequency is out of range!\nUse 280 to 1100 kHz."}));
    EXPECT_EQ(s.ConfigFile.Get(), "/surveys/deep.cfg");
    EXPECT_EQ(config.ConfigTable[7].frequency, 675);
    EXPECT_EQ(config.ConfigTable[7].absorption, 1);
    EXPECT_EQ(config.ConfigTable[7].pulseLength, 1000);
}

TEST(UserConfigDialog, DefaultThenCancelKeepsTheBuiltInTableAndTheOldName) {
    SonarSettings s;
    s.ConfigFile.Set("/surveys/deep.cfg");
    UserConfig config;
    config.ConfigTable[3].frequency = 300;
    {
        UserConfigDialogModel m(s, config);
        m.DefaultTable();
        EXPECT_EQ(m.ConfigText(), "Default");
    }  // Cancel
    EXPECT_EQ(config.ConfigTable[3].frequency, 1000);
    EXPECT_EQ(s.ConfigFile.Get(), "/surveys/deep.cfg");
    EXPECT_EQ(config.ConfigName, "Default");
}

TEST(UserConfigDialog, SaveAsAndLoad) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("tarvisk_cfgdlg_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "Harbour.CFG").string();
    SonarSettings s;
    UserConfig config;
    {
        UserConfigDialogModel m(s, config);
        EXPECT_EQ(Texts(m.SaveAs((dir / "harbour.txt").string())),
                  (std::vector<std::string>{"Save Configuration As|File extension must be .CFG"}));
        EXPECT_FALSE(std::filesystem::exists(dir / "harbour.txt"));
        m.Text(9, ConfigColumn::Frequency) = "452";
        m.Text(9, ConfigColumn::PulseLength) = "oops";
        EXPECT_TRUE(m.SaveAs(path).empty());
        EXPECT_EQ(config.ConfigTable[9].frequency, 450);  // valid fields are in use now
        EXPECT_EQ(config.ConfigName, path);
    }
    UserConfig other;
    UserConfigDialogModel m(s, other);
    EXPECT_EQ(Texts(m.Load((dir / "x.ksd").string())),
              (std::vector<std::string>{"Load Configuration|File extension must be .CFG"}));
    EXPECT_TRUE(m.Load((dir / "none.cfg").string()).empty());  // silently nothing
    EXPECT_EQ(m.Text(9, ConfigColumn::Frequency), "675");
    EXPECT_TRUE(m.Load(path).empty());
    EXPECT_EQ(m.Text(9, ConfigColumn::Frequency), "450");
    EXPECT_EQ(m.Text(9, ConfigColumn::PulseLength), "130");
    EXPECT_EQ(other.ConfigTable[9].frequency, 675);  // in use only after "Ok"
    EXPECT_TRUE(m.Ok().empty());
    EXPECT_EQ(other.ConfigTable[9].frequency, 450);
    EXPECT_EQ(s.ConfigFile.Get(), path);
    EXPECT_EQ(UserConfigDialogModel::LoadDialog().filterName, "K260 Config File (*.CFG)");
}

TEST(SoundVelocity, MetresAndFeet) {
    SonarSettings s;
    s.SoundVelocityMeters = 2249.95f;
    SoundVelocityModel m(s);
    EXPECT_EQ(m.UnitsLabel(), "m/s");
    m.Spin(true);
    EXPECT_EQ(m.Text(), "2250.0");
    EXPECT_FLOAT_EQ(m.Value(), 2250.0f);
    m.SetText("749.9");
    EXPECT_EQ(Texts(m.Ok()),
              (std::vector<std::string>{
                  "Sound Velocity|Speed of Sound is out of range!\nUse 750.0 to 2250.0 m/s."}));
    EXPECT_EQ(m.Text(), "2249.9");  // the setting shown again
    m.SetText("0750.0");
    m.Spin(false);
    EXPECT_EQ(m.Text(), "0750.0");
    m.SetText("1480.25");  // six characters are read
    EXPECT_TRUE(m.Ok().empty());
    EXPECT_FLOAT_EQ(s.SoundVelocityMeters, 1480.2f);

    s.Units = Feet;
    SoundVelocityModel f(s);
    EXPECT_EQ(f.UnitsLabel(), "ft/s");
    f.Default();
    EXPECT_EQ(f.Text(), "4921.3");
    EXPECT_TRUE(f.Ok().empty());
    EXPECT_NEAR(s.SoundVelocityMeters, 1500.0f, 0.001f);
    f.SetText("2460.6");
    EXPECT_EQ(Texts(f.Ok()),
              (std::vector<std::string>{
                  "Sound Velocity|Speed of Sound is out of range!\nUse 2460.7 to 7381.8 ft/s."}));
}

TEST(RotateImage, LimitsAndSteps) {
    SonarSettings s;
    RotateImageModel m(s);
    EXPECT_EQ(m.Text(), "  0.0");
    m.SetText("180.0");
    EXPECT_TRUE(m.Ok().empty());
    EXPECT_FLOAT_EQ(s.RotateAngle, 180.0f);
    m.Spin(true);
    EXPECT_EQ(m.Text(), "180.0");
    m.SetText("180.1");
    EXPECT_EQ(Texts(m.Ok()),
              (std::vector<std::string>{
                  "Rotate Sonar Image|Angle is out of range!\nUse -180.0 to 180.0 Deg"}));
    EXPECT_EQ(m.Text(), "180.0");
    m.SetText("-45.5");
    m.Spin(false);
    EXPECT_EQ(m.Text(), "-45.6");
    m.Default();
    EXPECT_TRUE(m.Ok().empty());
    EXPECT_FLOAT_EQ(s.RotateAngle, 0.0f);
}

TEST(UserText, KeepsTwentyNineCharacters) {
    SonarSettings s;
    StoreUserText(s, "Harbour survey, north quay wall, 2026");
    EXPECT_EQ(s.UserText.Get(), "Harbour survey, north quay wa");
    // Characters, not bytes, and never half a character.
    const std::string accented = "\xC3\xA9";
    std::string many;
    for (int i = 0; i < 35; ++i)
        many += accented;
    const std::string stored = UserTextToStore(many);
    EXPECT_EQ(stored.size(), 58u);
    // A caption written by hand in the INI file keeps its 79 characters.
    s.UserText.Set(std::string(62, 'c'));
    EXPECT_EQ(s.UserText.Get().size(), 62u);
    s.UserText.Set(std::string(100, 'c'));
    EXPECT_EQ(s.UserText.Get().size(), 79u);
}

TEST(ProfileSetup, FieldsRadiosAndLimits) {
    SonarSettings s;
    s.Units = Feet;
    s.ProfileMinimumRange = 90.0f;
    ProfileSetupModel m(s);
    EXPECT_FLOAT_EQ(s.ProfileMinimumRange, 0.0f);  // above 82 ft: cleared at once
    EXPECT_EQ(m.UnitsLabel(), "Feet");
    EXPECT_FALSE(m.LevelEditable());
    EXPECT_EQ(m.CheckedDetection(), -1);
    m.SelectDetection(1);  // ignored while the head detects
    EXPECT_EQ(s.ProfileDetectionType, 0);
    m.SelectSource(1);
    m.SelectDetection(1);
    EXPECT_EQ(s.ProfileDetectionType, 1);
    EXPECT_EQ(m.CheckedDetection(), 1);
    m.rangeText = "82.0";
    EXPECT_TRUE(m.Ok().empty());
    EXPECT_FLOAT_EQ(s.ProfileMinimumRange, 82.0f);
    m.rangeText = "82.1";
    m.levelText = "95";
    EXPECT_EQ(Texts(m.Ok()),
              (std::vector<std::string>{
                  "Profile Setup|Minimum Range is out of range!\nUse 0 to 82 Feet.",
                  "Profile Setup|Minimum Level is out of range!\nUse 10 to 90 Percent."}));
    EXPECT_FLOAT_EQ(s.ProfileMinimumRange, 82.0f);
    m.Defaults();
    EXPECT_EQ(m.rangeText, " 0.0");
    EXPECT_EQ(m.levelText, "70");
    EXPECT_EQ(s.ProfileDetectionType, 0);
    m.SelectSource(0);
    EXPECT_EQ(m.CheckedDetection(), -1);

    SonarSettings metres;
    ProfileSetupModel p(metres);
    p.rangeText = "25.0";
    EXPECT_TRUE(p.Ok().empty());
    p.rangeText = "25.1";
    EXPECT_EQ(p.Ok().size(), 1u);
    for (int i = 0; i < 300; ++i)
        p.SpinRange(true);
    EXPECT_EQ(p.rangeText, "25.0");
}

TEST(ComPortSetup, SamePortOnlyMattersWithGps) {
    SonarSettings s;
    s.GPSBaudRate = 1;
    PortMap ports;
    PortAvailability available;
    available.available = {true, true, false, true, false, false, false, false};
    ComPortModel m(s, ports, available);
    EXPECT_EQ(m.GpsBaudLabel(), "(9600,N,8,1)");
    EXPECT_FALSE(m.HeadPortSelectable(2));
    m.SelectHeadPort(2);  // not present: ignored
    EXPECT_EQ(m.HeadPort(), 0);
    m.SelectGpsPort(3);  // GPS disabled: ignored
    EXPECT_EQ(m.CheckedGpsPort(), -1);
    m.SelectHeadPort(1);
    EXPECT_TRUE(m.Check().empty());  // GPS off: COM2 for both is fine
    m.EnableGps(true);
    EXPECT_EQ(m.CheckedGpsPort(), 1);
    EXPECT_EQ(Texts(m.Check()),
              (std::vector<std::string>{"ComPort Setup|ComPorts can not be the same."}));
    m.SelectGpsPort(3);
    m.SelectGpsType(0);
    m.SelectIoCard(0);
    ASSERT_TRUE(m.Check().empty());
    m.Store(s, ports, available);
    EXPECT_EQ(s.ComPort, 1);
    EXPECT_EQ(s.ComPortGPS, 3);
    EXPECT_EQ(s.GPSType, 0);
    EXPECT_EQ(s.UseGPS, 1);
    EXPECT_EQ(s.IOCard, 0);
    EXPECT_TRUE(available.gpsPortUsable);
    EXPECT_EQ(GpsBaudText(5), "(115200,N,8,1)");
    EXPECT_EQ(GpsBaudText(9), "(4800,N,8,1)");
}

// A device whose mode gives its group nothing: the label must not send the user to a group
// that would not let them in either. Run as an unprivileged user (root opens anything).
TEST(ComPortSetup, DeniedDeviceNamesNoGroupThatWouldNotHelp) {
    char path[] = "/tmp/tarvisk-com-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    chmod(path, geteuid() == 0 ? 0600 : 0);
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        SonarSettings s;
        PortMap ports;
        PortAvailability available;
        ComPortModel m(s, ports, available);
        m.MapPort(2, path);
        const std::string label = m.PortLabel(2);
        _exit(label == std::string("COM3  ") + path + "  (no permission)" ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    unlink(path);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ComPortSetup, MappingAPortChecksTheDevice) {
    SonarSettings s;
    PortMap ports;
    ports.paths[4] = "/from/the/command/line";
    PortAvailability available;
    ComPortModel m(s, ports, available);
    EXPECT_EQ(m.PortLabel(4), "COM5  /from/the/command/line  (not available)");
    EXPECT_TRUE(m.MapPort(0, "/dev/null").empty());  // opens: usable
    EXPECT_TRUE(m.Present(0));
    EXPECT_EQ(m.PortLabel(0), "COM1  /dev/null");
    EXPECT_TRUE(m.MapPort(1, "/nonexistent/ttyUSB9").empty());
    EXPECT_FALSE(m.Present(1));
    m.Store(s, ports, available);
    EXPECT_EQ(ports.paths[0], "/dev/null");
    EXPECT_EQ(ports.iniPaths[0], "/dev/null");   // written to the INI file
    EXPECT_EQ(ports.iniPaths[4], "/dev/ttyS0");  // an override stays out of it
    EXPECT_TRUE(available.available[0]);
}

TEST(ComPortSetup, DeviceListOrder) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("tarvisk_dev_" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "serial" / "by-id");
    for (const char* n : {"ttyS10", "ttyS2", "ttyUSB0", "ttyACM0", "ttyX", "ttyS"})
        std::ofstream(root / n) << "";
    fs::create_symlink(root / "ttyUSB0", root / "serial" / "by-id" / "usb-FTDI_A1-if00");
    const auto devices = ListSerialDevices(root.string());
    std::vector<std::string> names;
    for (const auto& d : devices)
        names.push_back(fs::path(d.path).filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"usb-FTDI_A1-if00", "ttyUSB0", "ttyACM0", "ttyS2",
                                               "ttyS10"}));
    EXPECT_EQ(devices[0].target, (root / "ttyUSB0").string());
}

TEST(DialogPlacement, CentredOverTheImageAndKeptOnScreen) {
    PlacementInput in;
    in.windowLeft = 100;
    in.windowTop = 50;
    in.width = 300;
    in.height = 200;
    in.captionHeight = 22;
    in.menuHeight = 20;
    in.screenWidth = 1920;
    in.screenHeight = 1080;
    DialogPosition p = PlaceOverImageCentre(in);
    EXPECT_EQ(p.x, 100 + 301 - 150);
    EXPECT_EQ(p.y, 50 + 256 - 100 + 22);
    in.extraDown = 8;
    EXPECT_EQ(PlaceOverImageCentre(in).y, 50 + 256 - 100 + 22 + 8);
    in.windowLeft = 1700;
    in.windowTop = 900;
    p = PlaceOverImageCentre(in);
    EXPECT_EQ(p.x, 1920 - 300 - 11);
    EXPECT_EQ(p.y, 1080 - 200 - 22 - 10);
}

}  // namespace
}  // namespace tarvisk
