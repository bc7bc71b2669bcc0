// Playback inside the running window: what holds it, what it leaves behind for the head, and
// what the auto frame capture's message leaves of the playback strip.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>

#include "app/main_window.h"
#include "files/file_commands.h"
#include "tests/files/ksd_test_util.h"
#include "tests/gui/gui_support.h"
#include "ui/menu_resource.h"

namespace tarvisk {
namespace {

namespace fs = std::filesystem;
using testing::Pump;
using testing::ScratchDir;

// A sector file whose head stands still and keeps one step direction, so that an auto frame
// capture takes one picture only; its first record carries a back-link, so it plays backwards.
std::string WriteStillSectorFile(const fs::path& dir, int records) {
    SonarSettings settings;
    ApplyDisplayMode(settings, Sector);
    std::vector<uint8_t> file;
    int32_t previous = 640;
    for (int i = 1; i <= records; ++i) {
        std::vector<uint8_t> reply = test::MakeReply('G', 513, static_cast<uint8_t>(i));
        reply[6] = 0x44;
        test::AppendRecord(file, reply, 3, settings, previous);
    }
    const std::string path = (dir / "Still.KSD").string();
    test::WriteFile(path, file, file.size());
    return path;
}

std::unique_ptr<Program> Play(const fs::path& dir, const std::string& path) {
    CommandLineOptions o = testing::OptionsFor(dir / "TARVISK.INI");
    o.playPath = path;
    auto program = testing::StartProgram(dir, "PlotSpeed=100", o);
    if (program)
        program->Window().scripted = false;  // the boxes are real here
    return program;
}

// Playback at full speed runs many records between two looks, so a capture switched on at an
// arbitrary moment may meet the end of the file before any shot and rightly take no picture.
// Waits until the next record is in the file's first half.
bool WaitEarlyInAPass(MainWindow& w) {
    const Player& player = w.fileCommands->Player();
    return Pump([&] { return player.Position() > 0 && player.Position() < player.FileSize() / 2; },
                20000);
}

// Answers each box after a while, noting whether playback moved while it was open.
struct BoxWatch {
    std::vector<std::string> seen;
    std::vector<int64_t> shotsWhileOpen;
    QTimer timer;
    explicit BoxWatch(MainWindow& w) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this, &w] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            const std::string name = modal->objectName().toStdString();
            auto* box = qobject_cast<QMessageBox*>(modal);
            const std::string what = box ? box->text().toStdString() : name;
            if (seen.empty() || seen.back() != what) {
                seen.push_back(what);
                openedAt = w.ShotCount();
                ticks = 0;
            }
            if (++ticks < 25)
                return;
            shotsWhileOpen.push_back(w.ShotCount() - openedAt);
            if (box)
                box->accept();
            else
                modal->close();
        });
        timer.start();
    }
    int64_t openedAt = 0;
    int ticks = 0;
};

TEST(PlaybackWindow, AModalBoxOrDialogHoldsPlayback) {
    const fs::path dir = ScratchDir("play_hold");
    auto program = Play(dir, WriteStillSectorFile(dir, 30));
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    ASSERT_TRUE(Pump([&] { return w.ShotCount() > 40; }, 20000));
    ASSERT_TRUE(WaitEarlyInAPass(w));

    BoxWatch boxes(w);
    // The playback settings view shows the values of a record that stays put.
    w.OnCommand(IdSettings);
    // "Capture Started..." is answered before playback goes on to the end of the file.
    w.OnCommand(IdAutoFrameCapture);
    ASSERT_TRUE(Pump([&] { return boxes.shotsWhileOpen.size() == 3; }, 30000));
    EXPECT_EQ(boxes.seen, (std::vector<std::string>{"DISPLAYSWITCHES", "Capture Started...",
                                                    "End of File, Capture Stopped!"}));
    EXPECT_EQ(boxes.shotsWhileOpen, (std::vector<int64_t>{0, 0, 0}));
    EXPECT_TRUE(fs::exists(dir / "Still-0001.BMP"));
    // And it plays on once answered.
    const int64_t shots = w.ShotCount();
    EXPECT_TRUE(Pump([&] { return w.ShotCount() > shots + 10; }, 20000));
    program->Quit();
}

// The capture's name took the strip under the image for a moment; the playback-speed strip,
// its arrows and "Reverse" that share those rows come back.
TEST(PlaybackWindow, FrameCaptureNameLeavesThePlaybackStripDrawn) {
    const fs::path dir = ScratchDir("play_strip");
    auto program = Play(dir, WriteStillSectorFile(dir, 30));
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    ASSERT_TRUE(Pump([&] { return w.Panel().State().ReverseAvailable == 1; }, 20000));
    ASSERT_TRUE(WaitEarlyInAPass(w));
    const QImage before = w.Surface().Snapshot();
    BoxWatch boxes(w);
    w.OnCommand(IdAutoFrameCapture);
    ASSERT_TRUE(Pump([&] { return fs::exists(dir / "Still-0001.BMP"); }, 30000));
    ASSERT_TRUE(Pump([&] { return w.AutoFrameCapture == 0; }, 30000));
    const QImage after = w.Surface().Snapshot();
    for (const QRect& part : {QRect(251, 534, 100, 16), QRect(361, 533, 70, 17)}) {
        int differ = 0;
        for (int y = part.top(); y <= part.bottom(); ++y)
            for (int x = part.left(); x <= part.right(); ++x)
                differ += testing::Pixel(before, x, y) != testing::Pixel(after, x, y);
        EXPECT_EQ(differ, 0) << part.x();
    }
    program->Quit();
}

// Back to the head after playing backwards: nothing of the reverse play is left, so live side
// scan lines enter at the top again.
TEST(PlaybackWindow, ReverseEndsOnTheWayToLive) {
    const fs::path dir = ScratchDir("play_reverse");
    auto program = Play(dir, WriteStillSectorFile(dir, 30));
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    ASSERT_NE(w.fileCommands, nullptr);
    Player& player = w.fileCommands->Player();
    ASSERT_TRUE(Pump([&] { return player.ReverseAvailable(); }, 20000));
    w.fileCommands->ToggleReverse();
    ASSERT_TRUE(Pump([&] { return player.SteppingBackwards(); }, 20000));
    EXPECT_EQ(w.Panel().State().Reverse, 1);
    w.SelectSource(false);
    EXPECT_FALSE(player.Reverse());
    EXPECT_FALSE(player.SteppingBackwards());
    EXPECT_FALSE(player.ReverseAvailable());
    EXPECT_EQ(player.LastBackLink(), 0);
    EXPECT_EQ(w.Panel().State().Reverse, 0);
    program->Quit();
}

}  // namespace
}  // namespace tarvisk
