// The main window started the way the program starts it, from chosen INI files: menu states,
// child windows, the run-mode switch with its saved live values, minimising and closing.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>

#include "app/main_window.h"
#include "app/program.h"
#include "config/ini_settings.h"
#include "gui_support.h"
#include "ui/menu_resource.h"

namespace tarvisk {
namespace {

using testing::App;
using testing::OptionsFor;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

std::unique_ptr<Program> StartWith(const std::filesystem::path& dir, const std::string& settings,
                                   const std::string& orientation = "") {
    App();
    const auto ini = dir / "TARVISK.INI";
    WriteFile(ini, "[Settings]\n" + settings + "\n[Orientation Module Settings]\n" + orientation);
    auto program = std::make_unique<Program>(OptionsFor(ini));
    std::string error;
    EXPECT_TRUE(program->Start(error, false)) << error;
    return program;
}

TEST(WindowStartUp, MenuStateFollowsTheIniFile) {
    struct Case {
        const char* name;
        std::string settings;
        std::string orientation;
        std::vector<int32_t> checked;
        std::vector<int32_t> unchecked;
        std::vector<int32_t> greyed;
        std::vector<std::pair<int32_t, std::string>> texts;
    };
    const std::vector<Case> cases = {
        {"defaults",
         "",
         "EnableOrientationModule=0\n",
         {80, 201, 206, 810, 700, 650, 950},
         {81, 200, 811, 1000, 1010},
         {2000, 1010, 2002, 2004, 981, 10, 16, 208},
         {{2000, "Disable &Sonar Head"},
          {2001, "Enable &Azimuth Drive"},
          {2005, "Enable &Orientation Module"},
          {200, "&Up"},
          {201, "&Down"}}},
        {"profile grid, zero up, feet, grey",
         "Colors=3\nXdcr=1\nProfileGrid=1\nZeroDown=0\nUnits=1\nGrid=0\nPixelZoom=0\n"
         "OnWhenMinimized=0\nProfile=2\n",
         "EnableOrientationModule=1\n",
         {83, 200, 1000, 1010, 811, 952},
         {80, 201, 206, 810, 700, 650, 950},
         {2000},
         {{200, "&Aft"}, {201, "&Fwd"}, {2005, "Disable &Orientation Module"}}},
        {"azimuth drive, simulated",
         "AzimuthDriveEnable=1\nSimulateAzimuthDrive=1\n",
         "",
         {2004},
         {},
         {},
         {{2001, "Disable &Azimuth Drive"}}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto program =
            StartWith(ScratchDir("menu" + std::to_string(n++)), c.settings, c.orientation);
        MainWindow& w = program->Window();
        MenuModel& menu = w.Menu();
        for (int32_t id : c.checked) {
            EXPECT_TRUE(menu.IsChecked(id)) << id;
            ASSERT_NE(w.Host().Action(id), nullptr) << id;
            EXPECT_TRUE(w.Host().Action(id)->isChecked()) << id;
        }
        for (int32_t id : c.unchecked)
            EXPECT_FALSE(menu.IsChecked(id)) << id;
        for (int32_t id : c.greyed) {
            EXPECT_FALSE(menu.IsEnabled(id)) << id;
            EXPECT_FALSE(w.Host().Action(id)->isEnabled()) << id;
        }
        for (const auto& [id, text] : c.texts) {
            EXPECT_EQ(menu.Text(id), text) << id;
            EXPECT_EQ(w.Host().Action(id)->text().toStdString(), text) << id;
        }
        if (n == 3) {
            for (int32_t id : {2002, 2004, 981})
                EXPECT_TRUE(menu.IsEnabled(id)) << id;
        }
        EXPECT_EQ(w.Host().windowTitle().toStdString(), "Tarvisk Digital Sonar");
        program->Quit();
    }
}

TEST(WindowStartUp, EveryMenuItemExistsWithItsText) {
    auto program = StartWith(ScratchDir("items"), "");
    HostWindow& host = program->Window().Host();
    const std::vector<std::pair<int32_t, const char*>> items = {
        {15, "&Record Start..."},
        {10, "&Playback..."},
        {16, "&Copy Start..."},
        {207, "&Save Screen..."},
        {208, "&Auto Frame Capture Start..."},
        {18, "E&xit"},
        {2004, "&Simulate Azimuth Drive (no drive connected)"},
        {2002, "&Change Azimuth..."},
        {88, "Blu&e"},
        {820, "&Sound Velocity..."},
        {830, "User &Text..."},
        {960, "&Calibrate Sonar Head"},
        {105, "Com Po&rts"},
        {310, "&Settings"},
        {700, "Pixel &Zoom (x2)"},
        {205, "&Clear Screen Now"},
        {600, "&Diagnostics"},
        {650, "&Sonar On When Minimized"},
        {954, "&High Mix"},
        {1000, "Profile &Grid"},
        {1010, "&Zero Down"},
        {970, "&Profile Setup..."},
        {980, "&Vertical Scan (Chainage) ..."},
        {982, "&Horizontal Scan (Borehole) ..."},
        {981, "Auto-Azimu&th..."},
        {206, "&Grid On/Off"},
        {100, "&About"}};
    for (const auto& [id, text] : items) {
        ASSERT_NE(host.Action(id), nullptr) << id;
        EXPECT_EQ(host.Action(id)->text().toStdString(), text);
    }
    QStringList top;
    for (QAction* a : host.menuBar()->actions())
        top << a->text();
    EXPECT_EQ(
        top.join('|').toStdString(),
        "&File|&Heads|&Color Table|&Options|Com Po&rts|&Settings|&Misc|&Profile|&Grid|&About");
    program->Quit();
}

TEST(WindowStartUp, ChildWindowsFollowTheirSettings) {
    auto program = StartWith(ScratchDir("children"), "AzimuthDriveEnable=0\nAzimuthWindow=1\n",
                             "EnableOrientationModule=1\n");
    MainWindow& w = program->Window();
    EXPECT_TRUE(w.Host().IsChildShown(ChildWindowId::Orientation));
    EXPECT_FALSE(w.Host().IsChildShown(ChildWindowId::Azimuth));
    EXPECT_FALSE(w.Host().IsChildShown(ChildWindowId::Diagnostics));
    EXPECT_EQ(program->System().settings.AzimuthWindow, 0);
    program->Quit();
}

TEST(WindowRunMode, PlaybackKeepsTheLiveValuesAndGivesThemBack) {
    auto program = StartWith(ScratchDir("runmode"), "Range=5\nGain=12\nTrain=30\nSpeed=1\n");
    MainWindow& w = program->Window();
    SonarSettings& s = program->System().settings;
    ASSERT_EQ(s.RunMode, 0);

    // No modal file dialog in a test: only the mode switch.
    w.features.Register(Feature::PlaybackOnEntry, nullptr);
    w.SelectSource(true);
    EXPECT_EQ(s.RunMode, 1);
    EXPECT_EQ(w.Host().windowTitle().toStdString(), "Tarvisk Digital Sonar - [No File]");
    for (int32_t id : {10, 16, 208})
        EXPECT_TRUE(w.Menu().IsEnabled(id)) << id;
    for (int32_t id : {15, 200, 201, 105, 650, 655, 960, 980, 2002, 2004, 981})
        EXPECT_FALSE(w.Menu().IsEnabled(id)) << id;
    EXPECT_NE(w.Host().PlaybackSlider(), nullptr);

    // A played file overwrites the working values...
    ApplyRangeIndex(s, 12);
    s.Gain = 30;
    s.Train = 90;
    s.Speed = Fastest;
    s.GridMode = Sector;
    s.UserText.Set("from the file");

    // ...and the head gets its own back.
    w.SelectSource(false);
    EXPECT_EQ(s.RunMode, 0);
    EXPECT_EQ(s.Range, 5);
    EXPECT_EQ(s.RangeMeters, 10);
    EXPECT_EQ(s.Gain, 12);
    EXPECT_EQ(s.Train, 30);
    EXPECT_EQ(s.Speed, Med);
    EXPECT_EQ(s.GridMode, Polar);
    EXPECT_EQ(s.UserText.Get(), "Taldrium Technology Corp.");
    EXPECT_EQ(w.Host().windowTitle().toStdString(), "Tarvisk Digital Sonar");
    for (int32_t id : {15, 200, 201, 105, 650, 960})
        EXPECT_TRUE(w.Menu().IsEnabled(id)) << id;
    for (int32_t id : {10, 16, 208, 981})
        EXPECT_FALSE(w.Menu().IsEnabled(id)) << id;
    EXPECT_EQ(w.Host().PlaybackSlider(), nullptr);
    program->Quit();
}

TEST(WindowClose, WritesTheIniFileWithTheLiveValues) {
    const auto dir = ScratchDir("close");
    auto program = StartWith(dir, "Gain=12\n");
    MainWindow& w = program->Window();
    SonarSettings& s = program->System().settings;
    s.Gain = 18;
    w.OnCommand(IdGrid);  // grid off
    // No modal file dialog in a test: only the mode switch.
    w.features.Register(Feature::PlaybackOnEntry, nullptr);
    w.SelectSource(true);
    s.Gain = 40;  // what a played record would leave behind
    w.OnCommand(IdExit);
    EXPECT_TRUE(w.Closed());
    const std::string ini = ReadFile(dir / "TARVISK.INI");
    EXPECT_NE(ini.find("Gain=18\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Grid=0\n"), std::string::npos);
    EXPECT_NE(ini.find("RunMode=1\n"), std::string::npos);
    // The one-off port mapping of the test is not written back as the operator's.
    EXPECT_EQ(ini.find("/nonexistent/"), std::string::npos);
}

class CountingLink : public LiveLink {
  public:
    void Start() override { ++starts; }
    void Stop() override { ++stops; }
    int starts = 0;
    int stops = 0;
};

TEST(WindowMinimise, StopsAndRestartsTheHeadUnlessKeptOn) {
    App();
    for (int keepOn : {0, 1}) {
        SCOPED_TRACE(keepOn);
        SonarSystem system;
        for (int i = 1; i <= 8; ++i)
            ParsePortOverride("COM" + std::to_string(i) + "=/nonexistent/p", system.ports, nullptr);
        system.settings.OnWhenMinimized = keepOn;
        CountingLink link;
        MainWindow w(system, link);
        w.Show();
        w.ApplyRunMode();
        const int starts = link.starts, stops = link.stops;
        w.OnMinimizedChanged(true);
        w.OnMinimizedChanged(false);
        if (keepOn) {
            EXPECT_EQ(link.starts, starts);
            EXPECT_EQ(link.stops, stops);
        } else {
            EXPECT_EQ(link.stops, stops + 2);
            EXPECT_EQ(link.starts, starts + 1);
        }
        // A restore without a minimise first opens nothing.
        w.OnMinimizedChanged(false);
        EXPECT_EQ(link.starts, keepOn ? starts : starts + 1);
    }
}

TEST(WindowCommands, TogglesKeepMenuAndSettingsTogether) {
    auto program = StartWith(ScratchDir("toggles"), "ProfileGrid=0\nZeroDown=1\nXdcr=0\n");
    MainWindow& w = program->Window();
    SonarSettings& s = program->System().settings;
    MenuModel& m = w.Menu();

    w.OnCommand(IdProfileGrid);
    EXPECT_EQ(s.ProfileGrid, 1);
    EXPECT_TRUE(m.IsEnabled(IdZeroDown));
    EXPECT_EQ(m.Text(IdXdcrUp), "&Aft");
    EXPECT_TRUE(m.IsChecked(IdXdcrDown));
    w.OnCommand(IdZeroDown);
    EXPECT_EQ(s.ZeroDown, 0);
    EXPECT_TRUE(m.IsChecked(IdZeroDown));  // checked exactly when ZeroDown is 0
    w.OnCommand(IdZeroDown);
    EXPECT_FALSE(m.IsChecked(IdZeroDown));
    w.OnCommand(IdProfileGrid);
    EXPECT_FALSE(m.IsEnabled(IdZeroDown));
    EXPECT_EQ(m.Text(IdXdcrDown), "&Down");

    // Profile mode: live changes only the request, the acquisition thread hands it over.
    w.OnCommand(951);
    EXPECT_EQ(s.ProfileRequest, PointsOnly);
    // The acquisition thread runs even without a head now and may have taken it over already.
    EXPECT_TRUE(s.Profile == ProfileOff || s.Profile == PointsOnly) << s.Profile;
    EXPECT_TRUE(m.IsChecked(951));
    EXPECT_FALSE(m.IsChecked(950));

    w.OnCommand(85);
    EXPECT_EQ(s.Colors, 5);
    EXPECT_TRUE(m.IsChecked(85));
    EXPECT_FALSE(m.IsChecked(80));

    w.OnCommand(IdFeet);
    EXPECT_EQ(s.Units, Feet);
    EXPECT_TRUE(m.IsChecked(IdFeet));
    EXPECT_FALSE(m.IsChecked(IdMeters));

    w.OnCommand(IdOrientationModule);
    EXPECT_EQ(m.Text(IdOrientationModule), "Enable &Orientation Module");
    EXPECT_FALSE(w.Host().IsChildShown(ChildWindowId::Orientation));

    w.OnCommand(IdAzimuthDrive);
    EXPECT_EQ(s.AzimuthDriveEnable, 1);
    EXPECT_EQ(m.Text(IdAzimuthDrive), "Disable &Azimuth Drive");
    EXPECT_TRUE(w.Host().IsChildShown(ChildWindowId::Azimuth));
    EXPECT_TRUE(m.IsEnabled(IdAutoAzimuth));
    w.OnCommand(IdAzimuthDrive);
    EXPECT_FALSE(m.IsEnabled(IdChangeAzimuth));
    EXPECT_FALSE(w.Host().IsChildShown(ChildWindowId::Azimuth));

    // Auto frame capture only runs in playback.
    w.OnCommand(IdAutoFrameCapture);
    EXPECT_EQ(w.AutoFrameCapture, 0);
    // No modal file dialog in a test: only the mode switch.
    w.features.Register(Feature::PlaybackOnEntry, nullptr);
    w.SelectSource(true);
    w.OnCommand(IdAutoFrameCapture);
    EXPECT_EQ(m.Text(IdAutoFrameCapture), "&Auto Frame Capture Stop...");
    w.OnCommand(IdAutoFrameCapture);
    EXPECT_EQ(m.Text(IdAutoFrameCapture), "&Auto Frame Capture Start...");
    w.OnCommand(952);
    EXPECT_EQ(s.Profile, LowMix);  // playback takes the mode at once
    program->Quit();
}

}  // namespace
}  // namespace tarvisk
