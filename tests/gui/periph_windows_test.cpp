// The azimuth, orientation, diagnostics and head-scan windows inside the program, and the GPS
// input end to end on the simulated receiver.

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QWidget>
#include <cstring>

#include "app/main_window.h"
#include "files/ksd_reader.h"
#include "gui_support.h"
#include "head/azimuth_drive.h"
#include "head/head_scan.h"

namespace tarvisk {
namespace {

using testing::App;
using testing::OptionsFor;
using testing::Pump;
using testing::ScratchDir;
using testing::WriteFile;

std::unique_ptr<Program> Start(const std::filesystem::path& dir, const std::string& settings,
                               CommandLineOptions* options = nullptr) {
    App();
    const auto ini = dir / "TARVISK.INI";
    WriteFile(ini, "[Settings]\n" + settings);
    CommandLineOptions o = options ? *options : OptionsFor(ini);
    o.iniPath = ini.string();
    auto program = std::make_unique<Program>(o);
    std::string error;
    EXPECT_TRUE(program->Start(error, false)) << error;
    return program;
}

// The child window's own drawing, as shown under its caption.
QImage Grab(MainWindow& w, ChildWindowId id) {
    QWidget* child = w.Host().ChildWidget(id);
    QApplication::processEvents();
    return child->grab(child->contentsRect()).toImage();
}

TEST(PeripheralWindows, ClosingEachWindowDoesWhatItsMenuWould) {
    auto program = Start(ScratchDir("periph_close"), "");
    MainWindow& w = program->Window();
    SonarSystem& sys = program->System();
    HostWindow& host = w.Host();
    ASSERT_NE(host.Action(IdHeadScan), nullptr);
    EXPECT_EQ(host.Action(IdHeadScan)->text().toStdString(), "Scan For Connected Heads");

    ASSERT_EQ(sys.settings.EnableOrientationModule, 1);
    ASSERT_TRUE(host.IsChildShown(ChildWindowId::Orientation));
    host.ChildWidget(ChildWindowId::Orientation)->close();
    EXPECT_EQ(sys.settings.EnableOrientationModule, 0);
    EXPECT_EQ(host.Action(IdOrientationModule)->text().toStdString(), "Enable &Orientation Module");

    w.OnCommand(IdDiagnostics);
    EXPECT_EQ(sys.settings.DiagnosticsShown, 1);
    EXPECT_FALSE(Grab(w, ChildWindowId::Diagnostics).isNull());
    host.ChildWidget(ChildWindowId::Diagnostics)->close();
    EXPECT_EQ(sys.settings.DiagnosticsShown, 0);

    w.OnCommand(IdHeadScan);
    EXPECT_EQ(sys.link.HeadScanActive, 1);
    EXPECT_TRUE(host.Action(IdHeadScan)->isChecked());
    sys.link.ScanId = 25;
    host.ChildWidget(ChildWindowId::HeadScan)->close();
    EXPECT_EQ(sys.link.HeadScanActive, 0);
    EXPECT_EQ(sys.settings.HeadScanShown, 0);
    EXPECT_EQ(sys.link.ScanId, 16);
    EXPECT_FALSE(host.Action(IdHeadScan)->isChecked());

    w.OnCommand(IdAzimuthDrive);
    EXPECT_TRUE(host.IsChildShown(ChildWindowId::Azimuth));
    host.ChildWidget(ChildWindowId::Azimuth)->close();
    EXPECT_EQ(sys.settings.AzimuthWindow, 0);
    EXPECT_EQ(sys.settings.AzimuthDriveEnable, 1);  // the drive stays in use
    program->Quit();
}

TEST(PeripheralWindows, AzimuthNeedleAndAngleFollowTheDrive) {
    auto program = Start(ScratchDir("periph_azimuth"), "AzimuthDriveEnable=1\nAzimuthWindow=1\n");
    MainWindow& w = program->Window();
    SonarSystem& sys = program->System();
    ASSERT_TRUE(w.Host().IsChildShown(ChildWindowId::Azimuth));
    sys.link.ReportedAzimuthPosition = 600;
    sys.settings.AzimuthAngle = 600;
    QImage shot = Grab(w, ChildWindowId::Azimuth);
    // Needle straight up from the dial's centre (40, 44): white above it, not beside it.
    EXPECT_EQ(shot.pixel(40, 24) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_NE(shot.pixel(60, 44) & 0xFFFFFF, 0xFFFFFFu);
    // A quarter turn on: the needle points right.
    sys.link.ReportedAzimuthPosition = 900;
    w.Host().ChildWidget(ChildWindowId::Azimuth)->update();
    shot = Grab(w, ChildWindowId::Azimuth);
    EXPECT_EQ(shot.pixel(60, 44) & 0xFFFFFF, 0xFFFFFFu);
    program->Quit();
}

TEST(PeripheralWindows, DisablingTheDriveStopsItsExchangeAndClosesItsWindow) {
    auto program = Start(ScratchDir("periph_drive"), "AzimuthDriveEnable=1\nAzimuthWindow=1\n");
    MainWindow& w = program->Window();
    SonarSystem& sys = program->System();
    sys.link.AzimuthExchangePending = 1;
    sys.link.AzimuthPollCount = 7;
    w.OnCommand(IdAzimuthDrive);
    EXPECT_EQ(sys.settings.AzimuthDriveEnable, 0);
    EXPECT_EQ(sys.link.AzimuthExchangePending, 0);
    EXPECT_EQ(sys.link.AzimuthPollCount, 0);
    EXPECT_FALSE(w.Host().IsChildShown(ChildWindowId::Azimuth));
    program->Quit();
}

// The simulated receiver on its own line: a position shown, then recorded in every record.
TEST(GpsEndToEnd, SimulatedReceiverPositionIsShownAndRecorded) {
    const auto dir = ScratchDir("periph_gps");
    CommandLineOptions o = OptionsFor(dir / "TARVISK.INI");
    o.ports.clear();
    o.simulate = true;
    o.recordPath = (dir / "GPS.KSD").string();
    auto program = Start(dir, "UseGPS=1\nGPSType=1\nComPortGPS=1\n", &o);
    SonarSystem& sys = program->System();
    ASSERT_TRUE(
        Pump([&] { return sys.gps.Age == 0 && sys.gps.Copy().PositionText[11] == 'N'; }, 8000));
    const int64_t shots = program->Window().ShotCount();
    ASSERT_TRUE(Pump([&] { return program->Window().ShotCount() > shots + 20; }, 8000));
    const std::string shown = std::string(sys.gps.Copy().PositionText.data());
    program->Quit();
    program.reset();

    RecordReader reader;
    ASSERT_TRUE(reader.Open((dir / "GPS.KSD").string()));
    int64_t offset = 0;
    int records = 0, withPosition = 0;
    RecordBytes bytes{};
    RecordHeader header;
    ReplyBuffer reply;
    while (offset < reader.Size() && reader.ReadRecord(offset, bytes, header)) {
        ++records;
        EXPECT_TRUE(header.HasGps);
        const RecordBody body = DecodeRecordBody(
            header, std::span<const uint8_t>(bytes.data(), static_cast<size_t>(header.RecordSize)),
            reply);
        if (body.HasGps && body.Gps.PositionText[11] == 'N') {
            ++withPosition;
            EXPECT_EQ(std::string(body.Gps.PositionText.data()).substr(0, 4), shown.substr(0, 4));
            EXPECT_EQ(body.Gps.UtcTimeText[2], ':');
            EXPECT_EQ(body.Gps.Satellites, 8);
        }
        offset += header.RecordSize;
    }
    EXPECT_GT(records, 20);
    EXPECT_GT(withPosition, records / 2);
}

}  // namespace
}  // namespace tarvisk
