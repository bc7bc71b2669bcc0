// The survey products inside the running program on the simulated head.

#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <filesystem>

#include "tests/gui/gui_support.h"
#include "ui/menu_resource.h"

namespace tarvisk {
namespace {

namespace fs = std::filesystem;
using testing::Pump;

int CountCaptures(const fs::path& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().starts_with("run1-") && e.path().extension() == ".BMP")
            ++n;
    return n;
}

TEST(SurveyProgram, FrameCaptureOfAPlayedFileStopsAtItsEnd) {
    const fs::path dir = testing::ScratchDir("survey_frames");
    const std::string sector = "GridMode=0\nSectorSectorSize=60\nSpeed=4\nRange=5";
    {
        CommandLineOptions o = testing::OptionsFor(dir / "TARVISK.INI");
        o.simulate = true;
        o.recordPath = (dir / "run1.ksd").string();
        auto program = testing::StartProgram(dir, sector, o);
        ASSERT_TRUE(program);
        MainWindow& w = program->Window();
        ASSERT_TRUE(Pump([&] { return w.ShotCount() > 90; }, 30000));
        program->Quit();
    }
    CommandLineOptions play = testing::OptionsFor(dir / "TARVISK.INI");
    play.playPath = (dir / "run1.ksd").string();
    auto program = testing::StartProgram(dir, sector, play);
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    ASSERT_EQ(program->System().settings.RunMode, 1);
    w.OnCommand(IdAutoFrameCapture);
    EXPECT_EQ(w.AutoFrameCapture, 1);
    EXPECT_EQ(w.Menu().Text(IdAutoFrameCapture), "&Auto Frame Capture Stop...");
    ASSERT_TRUE(Pump([&] { return w.AutoFrameCapture == 0; }, 60000))
        << "capture did not stop at the end of the file";
    EXPECT_EQ(w.Menu().Text(IdAutoFrameCapture), "&Auto Frame Capture Start...");
    // The first shot and at least one reversal.
    EXPECT_GE(CountCaptures(dir), 2);
    EXPECT_TRUE(fs::exists(dir / "run1-0001.BMP"));
    const int written = CountCaptures(dir);
    Pump([] { return false; }, 500);
    EXPECT_EQ(CountCaptures(dir), written);
    program->Quit();
}

TEST(SurveyProgram, ClosingWhileAScanDialogIsOpen) {
    const fs::path dir = testing::ScratchDir("survey_close");
    CommandLineOptions o = testing::OptionsFor(dir / "TARVISK.INI");
    o.simulate = true;
    auto program = testing::StartProgram(dir, "GridMode=0", o);
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    ASSERT_TRUE(Pump([&] { return w.ShotCount() > 5; }, 30000));
    ASSERT_TRUE(w.seams.autoProfile);
    // Once the dialog is up, the close comes from inside its own event loop, as a timer's
    // would.
    bool closed = false;
    QString dialogName;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || closed)
            return;
        dialogName = dialog->objectName();
        program->Quit();
        closed = w.Closed();
    });
    poll.start(10);
    w.seams.autoProfile(true);
    Pump([&] { return closed; }, 30000);
    poll.stop();
    EXPECT_EQ(dialogName, "SNAPSHOT");
    EXPECT_TRUE(closed);
}

}  // namespace
}  // namespace tarvisk
