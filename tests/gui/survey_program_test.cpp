// The survey products inside the running program on the simulated head.

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "app/main_window.h"
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
    ASSERT_TRUE(w.features.Available(Feature::AutoProfileVertical));
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
    w.features.Run(Feature::AutoProfileVertical);
    Pump([&] { return closed; }, 30000);
    poll.stop();
    EXPECT_EQ(dialogName, "SNAPSHOT");
    EXPECT_TRUE(closed);
}

std::vector<fs::path> FilesWithExtension(const fs::path& dir, const std::string& extension) {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == extension)
            found.push_back(e.path());
    return found;
}

// A file dialog chose another folder: a scan's XYZ file and capture go there, not to the
// folder the program started in, and the status box names what was written.
TEST(SurveyProgram, ScanProductsGoToTheFolderLastChosen) {
    const fs::path dir = testing::ScratchDir("survey_folder");
    const fs::path chosen = dir / "Chosen Folder";
    fs::create_directories(chosen);
    const fs::path startedIn = fs::current_path();
    fs::current_path(dir);
    CommandLineOptions o = testing::OptionsFor(dir / "TARVISK.INI");
    o.simulate = true;
    auto program = testing::StartProgram(
        dir,
        "GridMode=0\nSectorSectorSize=30\nSpeed=4\nRange=5\nAutoProfileXYZ=1\nAutoProfileBMP=1\n"
        "AutoProfileSaveConfirmation=0\nAutoProfilePromptForScan=0",
        o);
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    ASSERT_TRUE(Pump([&] { return w.ShotCount() > 5; }, 30000));

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!top->isVisible())
                continue;
            if (auto* files = qobject_cast<QFileDialog*>(top)) {
                files->selectFile(QString::fromStdString((chosen / "Harbour.BMP").string()));
                static_cast<QDialog*>(files)->accept();  // as its Save button does
            } else if (top->objectName() == "SNAPSHOT") {
                // "Start scan", then Ok.
                if (auto* start = top->findChild<QCheckBox*>("id10"); start && !start->isChecked())
                    start->click();
                if (auto* ok = top->findChild<QPushButton*>("id1"))
                    ok->click();
            }
        }
    });
    poll.start(10);
    w.OnCommand(IdSaveScreen);
    EXPECT_TRUE(fs::exists(chosen / "Harbour.BMP"));
    ASSERT_TRUE(w.features.Available(Feature::AutoProfileVertical));
    w.features.Run(Feature::AutoProfileVertical);
    const bool written = Pump(
        [&] {
            return FilesWithExtension(chosen, ".XYZ").size() == 1 &&
                   FilesWithExtension(chosen, ".BMP").size() == 2;
        },
        60000);
    poll.stop();
    const QImage client = w.Surface().Snapshot();
    const QRgb statusFill = w.Surface().PaletteRgb(PanelStatusFill) & 0xFFFFFF;
    program->Quit();
    fs::current_path(startedIn);
    ASSERT_TRUE(written);
    EXPECT_TRUE(FilesWithExtension(dir, ".XYZ").empty());
    EXPECT_EQ(FilesWithExtension(dir, ".BMP").size(), 0u);
    // The box under the image names the file written last, clear of the date field.
    EXPECT_GT(testing::CountColour(client, QRect(200, 512, 200, 14), statusFill), 100);
    const Rect date = w.Panel().Layout().dateTimeField;
    EXPECT_EQ(
        testing::CountColour(client, QRect(date.left, date.top, date.Width(), 14), statusFill), 0);
}

}  // namespace
}  // namespace tarvisk
