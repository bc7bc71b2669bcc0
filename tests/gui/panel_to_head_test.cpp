// The whole path from the operator's hand to the head: the program runs on the simulated
// head, keys and clicks go in through Qt's event system, and the simulator's log of every
// command it heard shows the bytes of the switch command change.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <array>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/main_window.h"
#include "gui_support.h"
#include "head/switch_command.h"

namespace tarvisk {
namespace {

using testing::OptionsFor;
using testing::ScratchDir;
using testing::StartProgram;

using Frame = std::array<int, 27>;

constexpr int HeadId = 0x10;

// Frames addressed to the head that were logged from byte `from` of the log on.
std::vector<Frame> HeadFrames(const std::string& path, std::streamoff from) {
    std::ifstream in(path);
    in.seekg(from);
    std::vector<Frame> frames;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream hex(line);
        Frame f{};
        size_t n = 0;
        unsigned value = 0;
        while (n < f.size() && (hex >> std::hex >> value))
            f[n++] = static_cast<int>(value);
        if (n == f.size() && f[2] == HeadId)
            frames.push_back(f);
    }
    return frames;
}

std::streamoff LogSize(const std::string& path) {
    std::ifstream in(path, std::ios::ate);
    return in ? static_cast<std::streamoff>(in.tellg()) : 0;
}

class PanelToHead : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = ScratchDir("panel_to_head");
        log_ = (dir_ / "commands.log").string();
        CommandLineOptions options = OptionsFor(dir_ / "TARVISK.INI");
        options.simulate = true;
        options.simulatorLogPath = log_;
        program_ = StartProgram(dir_,
                                "Range=5\nGain=6\nGridMode=1\nPolarSectorSize=360\nTrain=0\n"
                                "Speed=2\nUnits=0\nXdcr=0\n",
                                options);
        ASSERT_TRUE(program_);
        ASSERT_TRUE(WaitFor([&] { return program_->Window().ShotCount() > 3; }))
            << "no shots from the simulated head";
    }
    void TearDown() override {
        if (program_)
            program_->Quit();
    }

    bool WaitFor(const std::function<bool()>& done, int milliseconds = 20000) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < milliseconds) {
            if (done())
                return true;
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            QTest::qWait(10);
        }
        return done();
    }
    // Does the action and waits for a head command, sent after it, that satisfies `check`.
    bool HeadHears(const std::function<void()>& action,
                   const std::function<bool(const Frame&)>& check) {
        const std::streamoff from = LogSize(log_);
        action();
        return WaitFor([&] {
            for (const Frame& f : HeadFrames(log_, from))
                if (check(f))
                    return true;
            return false;
        });
    }
    QPoint Arrow(ReadoutId r, bool up) {
        const ReadoutGeometry& g = program_->Window().Panel().Layout().readouts[r];
        const Rect& a = up ? g.upArrow : g.downArrow;
        return QPoint((a.left + a.right) / 2, (a.top + a.bottom) / 2);
    }
    QPoint Centre(const Rect& r) { return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    void Click(QPoint p) {
        QTest::mouseClick(program_->Window().Host().View(), Qt::LeftButton, {}, p);
    }
    void Type(const char* keys) {
        QTest::keyClicks(&program_->Window().Host(), keys);
        QTest::keyClick(&program_->Window().Host(), Qt::Key_Return);
    }

    std::filesystem::path dir_;
    std::string log_;
    std::unique_ptr<Program> program_;
};

TEST_F(PanelToHead, TypedEntriesAndPanelClicksReachTheHead) {
    const PanelLayout& layout = program_->Window().Panel().Layout();
    // Byte 3 is the range in metres, byte 8 the gain, byte 11 the train code, byte 12 the
    // sector code, byte 5 the hold (bit 0) and scan-reverse (bit 6) flags.
    EXPECT_TRUE(HeadHears([&] { Type("r20"); }, [](const Frame& f) { return f[3] == 20; }))
        << "typed range";
    EXPECT_TRUE(HeadHears([&] { Type("g25"); }, [](const Frame& f) { return f[8] == 25; }))
        << "typed gain";
    EXPECT_TRUE(HeadHears([&] { Click(Arrow(RangeReadout, true)); },
                          [](const Frame& f) { return f[3] == 30; }))
        << "range arrow";
    EXPECT_TRUE(HeadHears([&] { Click(Arrow(GainReadout, false)); },
                          [](const Frame& f) { return f[8] == 24; }))
        << "gain arrow";
    EXPECT_TRUE(HeadHears([&] { Click(Arrow(SectorReadout, false)); },
                          [](const Frame& f) { return f[12] == 357 / 3; }))
        << "sector arrow";
    EXPECT_TRUE(HeadHears([&] { Click(Arrow(TrainReadout, true)); },
                          [](const Frame& f) { return f[11] == TrainCode(3, XdcrDown); }))
        << "train arrow";
    EXPECT_TRUE(
        HeadHears([&] { Click(Arrow(ModeReadout, true)); },
                  [](const Frame& f) { return f[12] == 0 && f[11] == TrainCode(270, XdcrDown); }))
        << "mode arrow into side scan";
    // Hold stops the exchange: no command goes out until it is released.
    Click(Centre(layout.holdArea));
    QTest::qWait(500);  // a send already under way finishes
    const std::streamoff held = LogSize(log_);
    QTest::qWait(1500);
    EXPECT_TRUE(HeadFrames(log_, held).empty()) << "commands went out under Hold";
    EXPECT_TRUE(HeadHears([&] { Click(Centre(layout.holdArea)); },
                          [](const Frame& f) { return (f[5] & 0x01) == 0; }))
        << "Hold released";
    EXPECT_TRUE(HeadHears([&] { Click(Centre(layout.revArea)); },
                          [](const Frame& f) { return (f[5] & 0x40) != 0; }))
        << "Rev";
}

}  // namespace
}  // namespace tarvisk
