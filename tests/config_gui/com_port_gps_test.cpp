// GPS input turned off and on again in the "ComPort Setup" dialog of the running program, with
// the simulated receiver replaying a capture.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "../gui/gui_support.h"
#include "app/program.h"
#include "dialog_driver.h"
#include "ui/menu_resource.h"

namespace tarvisk {
namespace {

using testing::Click;
using testing::Pump;
using testing::RunModal;

bool HasFix(SonarSystem& sys) {
    return sys.gps.Age == 0 && sys.gps.Copy().PositionText[11] == 'N';
}

// Pixels of the GPS field that are not its cleared background.
int FieldPixelsSet(Framebuffer& surface) {
    const QImage shot = surface.Snapshot();
    const QRgb clear = surface.PaletteRgb(PanelDarkGrey);
    const int32_t bottom = 536 + surface.TextExtent("0", TextFont::System).height;
    int n = 0;
    for (int y = 532; y < bottom; ++y)
        for (int x = 2; x <= 200; ++x)
            n += testing::Pixel(shot, x, y) != clear;
    return n;
}

TEST(ComPortGps, DisablingClearsTheFieldAndStopsTheInputEnablingStartsItAgain) {
    const auto dir = testing::ScratchDir("comport_gps");
    CommandLineOptions o = testing::OptionsFor(dir / "TARVISK.INI");
    o.ports.clear();
    o.simulate = true;
    o.simulatorGpsPath =
        std::string(TARVISK_SOURCE_DIR) + "/tests/fuzz/seeds/nmea_fuzz/garmin-geko201.log";
    auto p = testing::StartProgram(dir, "UseGPS=1\nComPortGPS=1\nGPSBaudRate=5\nGPSType=1\n", o);
    ASSERT_TRUE(p);
    SonarSystem& sys = p->System();
    Framebuffer& surface = p->Window().Surface();
    // The fix lands in the state before the reader draws it: wait for the pixels as well.
    ASSERT_TRUE(Pump([&] { return HasFix(sys); }, 30000));
    EXPECT_TRUE(Pump([&] { return FieldPixelsSet(surface) > 0; }, 10000));

    RunModal(
        "COMPORTSETUP", [&] { p->Window().OnCommand(IdComPorts); },
        [&](QDialog& d) {
            Click(d, 116);  // Disable
            Click(d, 1);
        });
    EXPECT_EQ(sys.settings.UseGPS, 0);
    EXPECT_EQ(sys.gps.Age, 5);
    EXPECT_EQ(FieldPixelsSet(surface), 0);
    // The receiver keeps talking, but nothing reads it any more.
    const int64_t shots = p->Window().ShotCount();
    ASSERT_TRUE(Pump([&] { return p->Window().ShotCount() > shots + 20; }, 30000));
    EXPECT_EQ(sys.gps.Age, 5);
    EXPECT_EQ(FieldPixelsSet(surface), 0);

    RunModal(
        "COMPORTSETUP", [&] { p->Window().OnCommand(IdComPorts); },
        [&](QDialog& d) {
            Click(d, 117);  // Enable, on the GPS port and sentence it had
            Click(d, 1);
        });
    EXPECT_EQ(sys.settings.UseGPS, 1);
    EXPECT_TRUE(Pump([&] { return HasFix(sys); }, 30000));
    EXPECT_TRUE(Pump([&] { return FieldPixelsSet(surface) > 0; }, 10000));
    p->Quit();
}

}  // namespace
}  // namespace tarvisk
