// Each setup dialog opened from its menu command in the running window, offscreen: typed
// values, the arrows, "Ok", and the warnings of bad values.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>

#include "../gui/gui_support.h"
#include "app/program.h"
#include "config/dialog_placement.h"
#include "config/qt/settings_dialogs.h"
#include "dialog_driver.h"
#include "ui/menu_resource.h"

namespace tarvisk {
namespace {

using testing::Click;
using testing::Field;
using testing::MessageCatcher;
using testing::RunModal;
using testing::Type;

std::unique_ptr<Program> StartWith(const std::string& name, const std::string& settings) {
    testing::App();
    const auto dir = testing::ScratchDir("config_" + name);
    const auto ini = dir / "TARVISK.INI";
    testing::WriteFile(ini, "[Settings]\n" + settings + "\n");
    auto program = std::make_unique<Program>(testing::OptionsFor(ini));
    std::string error;
    EXPECT_TRUE(program->Start(error, false)) << error;
    return program;
}

TEST(SettingsDialogView, ManualValuesTypedAndWarnedOf) {
    auto p = StartWith("settings_manual", "ConfigType=0\nFrequency=600\n");
    SonarSettings& s = p->System().settings;
    MessageCatcher messages;
    RunModal(
        "SETSWITCHES", [&] { p->Window().OnCommand(IdSettings); },
        [&](QDialog& d) {
            EXPECT_EQ(Field(d, 123)->text(), "600");
            EXPECT_EQ(Field(d, 100)->text(), "1");
            Click(d, "1230.up");
            EXPECT_EQ(Field(d, 123)->text(), "605");
            Type(d, 123, "1200");
            Type(d, 112, "995");
            Click(d, 1);
            EXPECT_TRUE(d.isVisible());  // a bad frequency keeps it open
            EXPECT_EQ(s.PulseLength, 1000);
            Type(d, 123, "677");
            Click(d, 1);
            EXPECT_FALSE(d.isVisible());
        });
    EXPECT_EQ(messages.seen, (std::vector<std::string>{
                                 "Manual Setup|Frequency is out of range!\nUse 280 to 1100 kHz."}));
    EXPECT_EQ(s.Frequency, 675);
    EXPECT_EQ(s.ParametersChanged, 1);
}

TEST(SettingsDialogView, AutoSetupAndTheUserConfigurationDialog) {
    auto p = StartWith("settings_auto", "ConfigType=0\nRange=9\nGridMode=0\n");
    SonarSettings& s = p->System().settings;
    MessageCatcher messages;
    RunModal(
        "SETSWITCHES", [&] { p->Window().OnCommand(IdSettings); },
        [&](QDialog& d) {
            Click(d, 3101);  // auto: the 50 m row at once
            EXPECT_EQ(s.ConfigType, 1);
            EXPECT_EQ(s.PulseLength, 130);
            EXPECT_TRUE(Field(d, 123)->isReadOnly());
            RunModal(
                "USERCONFIG1", [&] { Click(d, 3000); },
                [&](QDialog& u) {
                    EXPECT_EQ(u.findChild<QLabel*>("100")->text(), "50 M");
                    Type(u, 1001 + 9000, "700");
                    Type(u, 1003 + 9000, "5");
                    Click(u, 1);  // pulse too short: stays open
                    EXPECT_TRUE(u.isVisible());
                    Click(u, 22010 + 90);  // "D": the built-in pulse
                    Click(u, "1030.up");   // 1 M row pulse 10 -> 20
                    Click(u, 1);
                    EXPECT_FALSE(u.isVisible());
                });
            EXPECT_EQ(Field(d, 123)->text(), "700");
            Click(d, 1);
        });
    EXPECT_EQ(messages.seen,
              (std::vector<std::string>{
                  "Auto Setup|[50 M]\nPulse Length is out of range!\nUse 10 to 1000 usec."}));
    EXPECT_EQ(s.Frequency, 700);
    EXPECT_EQ(p->System().userConfig.ConfigTable[0].pulseLength, 20);
    EXPECT_EQ(p->System().userConfig.ConfigTable[9].pulseLength, 130);
}

// Where a dialog opens when the rule takes this window's frame as the main window's.
QPoint PlacedOver(const QWidget& window, const QDialog& d, int extraDown, int menuHeight) {
    PlacementInput in;
    in.windowLeft = window.frameGeometry().left();
    in.windowTop = window.frameGeometry().top();
    in.width = d.width();
    in.height = d.height();
    in.captionHeight = window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    in.menuHeight = menuHeight;
    const QRect screen = window.screen()->geometry();
    in.screenWidth = screen.width();
    in.screenHeight = screen.height();
    in.extraDown = extraDown;
    const DialogPosition at = PlaceOverImageCentre(in);
    return {at.x, at.y};
}

// User Configuration, opened from Settings, sits over the main window's image centre too
// (8 pixels lower), not over the Settings dialog; and both show the end of a long name.
TEST(SettingsDialogView, UserConfigurationOpensOverTheImageAndNamesShowTheirEnd) {
    const auto dir = testing::ScratchDir("config_place_files") / "Quay North";
    std::filesystem::create_directories(dir);
    const std::string cfg = (dir / "deep.cfg").string();
    auto p = StartWith("config_place", "ConfigType=1\n");
    MainWindow& w = p->Window();
    w.Host().move(0, 0);
    const int menu = w.Host().menuBar()->height();
    p->System().settings.ConfigFile.Set(cfg);
    p->System().userConfig.ConfigName = cfg;
    // The field holds the whole shortened name, which ends in the folder and the file.
    auto shownEnd = [](QLineEdit* field) {
        const QString text = field->text();
        return text.endsWith(QStringLiteral("Quay North/deep.cfg")) &&
               field->fontMetrics().horizontalAdvance(text) <= field->width() - 8;
    };
    RunModal(
        "SETSWITCHES", [&] { w.OnCommand(IdSettings); },
        [&](QDialog& d) {
            EXPECT_TRUE(shownEnd(Field(d, 2900))) << Field(d, 2900)->text().toStdString();
            RunModal(
                "USERCONFIG1", [&] { Click(d, 3000); },
                [&](QDialog& u) {
                    const QPoint expected = PlacedOver(w.Host(), u, 8, menu);
                    EXPECT_NE(expected, PlacedOver(d, u, 8, menu));  // the two rules differ here
                    EXPECT_EQ(u.pos(), expected);
                    EXPECT_TRUE(shownEnd(Field(u, 2900)));
                    Click(u, 2);
                });
            Click(d, 2);
        });
}

TEST(SettingsDialogView, RangeRedrawAppliesTheRowOnlyInAuto) {
    auto p = StartWith("range_apply", "ConfigType=1\nRange=9\nGridMode=1\n");
    SonarSettings& s = p->System().settings;
    EXPECT_EQ(s.PulseLength, 260);  // applied at start-up
    s.Range = 14;
    p->Window().Panel().DrawRangeReadout();
    EXPECT_EQ(s.Frequency, 290);
    EXPECT_EQ(s.PulseLength, 1000);
    s.ConfigType = 0;
    s.Range = 5;
    p->Window().Panel().DrawRangeReadout();
    EXPECT_EQ(s.Frequency, 290);
}

TEST(SettingsDialogView, AMissingConfigurationFileFallsBackToDefault) {
    auto p = StartWith("missing_cfg", "ConfigFile=/nonexistent/harbour.cfg\n");
    EXPECT_EQ(p->System().settings.ConfigFile.Get(), "Default");
    p->Window().Close();
    EXPECT_NE(testing::ReadFile(p->System().iniPath).find("ConfigFile=Default"), std::string::npos);
}

TEST(PlaybackSettingsView, ShowsTheFileValues) {
    testing::App();
    SonarSettings s;
    s.PulseLength = 240;
    PlaybackSettingsDialog view(PlaybackSettingsView(s, 18, 290), nullptr);
    EXPECT_EQ(view.windowTitle(), "Settings");
    EXPECT_EQ(view.findChild<QLineEdit*>("100")->text(), "3");
    EXPECT_EQ(view.findChild<QLineEdit*>("101")->text(), "290 kHz");
    EXPECT_EQ(view.findChild<QLineEdit*>("103")->text(), "240 usec");
}

TEST(SetupDialogViews, SoundVelocityRotateUserTextProfile) {
    auto p = StartWith("setup", "UserText=Old caption\n");
    SonarSettings& s = p->System().settings;
    MainWindow& w = p->Window();
    MessageCatcher messages;

    RunModal(
        "SOUNDVELOCITY", [&] { w.OnCommand(IdSoundVelocity); },
        [&](QDialog& d) {
            Type(d, 100, "3000");
            Click(d, 1);
            EXPECT_EQ(Field(d, 100)->text(), "1500.0");
            Type(d, 100, "1480.5");
            Click(d, 1);
        });
    EXPECT_FLOAT_EQ(s.SoundVelocityMeters, 1480.5f);

    ASSERT_NE(w.Host().Action(IdRotateImage), nullptr);
    EXPECT_EQ(w.Host().Action(IdRotateImage)->text(), "&Rotate Sonar Image...");
    RunModal(
        "OFFSETANGLE", [&] { w.OnCommand(IdRotateImage); },
        [&](QDialog& d) {
            Type(d, 100, "45.5");
            Click(d, "1000.down");
            Click(d, 1);
        });
    EXPECT_FLOAT_EQ(s.RotateAngle, 45.4f);

    RunModal(
        "USERTEXT", [&] { w.OnCommand(IdUserText); },
        [&](QDialog& d) {
            EXPECT_EQ(Field(d, 100)->text(), "Old caption");
            Type(d, 100, "North quay wall, chainage 120 to 480");
            Click(d, 1);
        });
    EXPECT_EQ(s.UserText.Get(), "North quay wall, chainage 120");

    RunModal(
        "PROFILESETUP", [&] { w.OnCommand(IdProfileSetup); },
        [&](QDialog& d) {
            EXPECT_TRUE(Field(d, 200)->isReadOnly());
            Click(d, 3101);
            EXPECT_FALSE(Field(d, 200)->isReadOnly());
            Click(d, 301);
            Type(d, 200, "95");
            Click(d, 1);
            EXPECT_TRUE(d.isVisible());
            Type(d, 200, "55");
            Type(d, 100, "12.5");
            Click(d, 1);
        });
    EXPECT_EQ(s.ProfileDigitizationSource, 1);
    EXPECT_EQ(s.ProfileDetectionType, 1);
    EXPECT_EQ(s.ProfileMinimumLevel, 55);
    EXPECT_FLOAT_EQ(s.ProfileMinimumRange, 12.5f);

    RunModal(
        "ABOUTBOX", [&] { w.OnCommand(IdAbout); },
        [&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "About TARVISK");
            Click(d, 1);
        });

    EXPECT_EQ(messages.seen,
              (std::vector<std::string>{
                  "Sound Velocity|Speed of Sound is out of range!\nUse 750.0 to 2250.0 m/s.",
                  "Profile Setup|Minimum Level is out of range!\nUse 10 to 90 Percent."}));
}

TEST(SetupDialogViews, ComPortsMappingAndTheSamePortWarning) {
    auto p = StartWith("comports", "UseGPS=0\nComPort=0\nComPortGPS=1\n");
    SonarSettings& s = p->System().settings;
    SonarSystem& sys = p->System();
    MessageCatcher messages;
    RunModal(
        "COMPORTSETUP", [&] { p->Window().OnCommand(IdComPorts); },
        [&](QDialog& d) {
            EXPECT_FALSE(d.findChild<QRadioButton*>("1002")->isEnabled());  // no device
            EXPECT_FALSE(d.findChild<QRadioButton*>("2001")->isEnabled());  // GPS off
            auto* port = d.findChild<QComboBox*>("mapPort");
            auto* device = d.findChild<QComboBox*>("mapDevice");
            port->setCurrentIndex(2);
            device->setCurrentText("/dev/null");
            Click(d, "map");
            EXPECT_TRUE(d.findChild<QRadioButton*>("1002")->isEnabled());
            EXPECT_NE(d.findChild<QLabel*>("device3")->text().toStdString().find("/dev/null"),
                      std::string::npos);
            Click(d, 1002);
            Click(d, 117);  // GPS on
            Click(d, 2002);
            Click(d, 1);
            EXPECT_TRUE(d.isVisible());
            Click(d, 116);  // GPS off: the same port is fine
            Click(d, 113);  // ignored while off
            Click(d, 1);
            EXPECT_FALSE(d.isVisible());
        });
    EXPECT_EQ(messages.seen,
              (std::vector<std::string>{"ComPort Setup|ComPorts can not be the same."}));
    EXPECT_EQ(s.ComPort, 2);
    EXPECT_EQ(s.UseGPS, 0);
    EXPECT_EQ(s.GPSType, 1);
    EXPECT_EQ(sys.ports.iniPaths[2], "/dev/null");
    // The mapping is kept in the port section of the INI file.
    p->Window().Close();
    const std::string ini = testing::ReadFile(sys.iniPath);
    EXPECT_NE(ini.find("COM3=/dev/null"), std::string::npos) << ini;
}

}  // namespace
}  // namespace tarvisk
