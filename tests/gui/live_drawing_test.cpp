// The live window's drawing hand-off: what worker threads record is drawn by the window
// thread in coalesced frames, a capture sees all of it, the dial keeps no stale markers, and
// range steps and "Clear Screen Now" while shots flow leave the acquisition thread's data
// alone (the TSan stage runs this too).

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <thread>

#include "app/main_window.h"
#include "display/status_panel.h"
#include "gui_support.h"
#include "platform/qt/framebuffer.h"
#include "ui/menu_resource.h"
#include "ui/sonar_system.h"

namespace tarvisk {
namespace {

using testing::App;
using testing::OptionsFor;
using testing::Pump;
using testing::ScratchDir;
using testing::StartProgram;

PaletteTable PaletteOf(const Palette& p) {
    PaletteTable t{};
    const ColourTable c = p.Colours();
    for (size_t i = 0; i < t.size(); ++i)
        t[i] = (uint32_t(c[i].r) << 16) | (c[i].g << 8) | c[i].b;
    return t;
}

struct DialRig {
    DialRig() {
        App();
        PanelMetrics m;
        m.ArrowWidth = m.ArrowHeight = 16;
        Framebuffer probe({8, 8});
        m.CharWidth = probe.TextExtent("X", TextFont::Default).width;
        m.LineHeight = probe.TextExtent("X", TextFont::Default).height;
        layout = ComputePanelLayout(FitPanelMetrics(m));
        surface = std::make_unique<Framebuffer>(layout.client);
        surface->SetPalette(PaletteOf(system.palette));
        panel = std::make_unique<StatusPanel>(system.settings, *surface, layout, system.link.Shot,
                                              system.image, system.imaging);
    }
    // The dial with its ring of markers, short of the transducer icon beside it.
    QImage Dial() const {
        const int r = layout.DialRadius;
        return surface->Snapshot().copy(layout.XC - r - 13, layout.YC - r - 13, 2 * r + 25,
                                        2 * r + 26);
    }

    SonarSystem system;
    PanelLayout layout;
    std::unique_ptr<Framebuffer> surface;
    std::unique_ptr<StatusPanel> panel;
};

void SetMode(SonarSettings& s, int32_t mode, int32_t sector) {
    s.GridMode = mode;
    s.SectorSize = sector;
}

// Whatever was shown before, the dial looks as if only its final state had ever been drawn.
TEST(DialMarkers, NoMarkerOutlivesAModeChangeOrTheHangingView) {
    struct Step {
        int32_t mode, sector, profileGrid, zeroDown;
        float bearing;
    };
    const std::vector<std::pair<Step, Step>> cases{
        {{Polar, 360, 0, 1, 120.0f}, {Sector, 90, 0, 1, 10.0f}},
        {{Polar, 360, 0, 1, 200.0f}, {SS, 0, 0, 1, 270.0f}},
        {{Sector, 90, 1, 1, 30.0f}, {Sector, 90, 1, 0, 30.0f}},
    };
    for (const auto& [before, after] : cases) {
        DialRig stale, fresh;
        for (DialRig* rig : {&stale, &fresh})
            rig->panel->PaintAll();
        SonarSettings& s = stale.system.settings;
        SetMode(s, before.mode, before.sector);
        s.ProfileGrid = before.profileGrid;
        s.ZeroDown = before.zeroDown;
        s.RotateAngle = 40.0f;
        stale.panel->DrawSectorDial();
        stale.panel->DrawDialMarkers(before.bearing);
        stale.panel->DrawDialMarkers(before.bearing + 3.0f);
        for (DialRig* rig : {&stale, &fresh}) {
            SonarSettings& t = rig->system.settings;
            SetMode(t, after.mode, after.sector);
            t.ProfileGrid = after.profileGrid;
            t.ZeroDown = after.zeroDown;
            t.RotateAngle = 40.0f;
            rig->panel->DrawSectorDial();
            rig->panel->DrawDialMarkers(after.bearing);
        }
        EXPECT_TRUE(stale.Dial() == fresh.Dial())
            << "mode " << before.mode << " -> " << after.mode << ", zero down " << before.zeroDown
            << " -> " << after.zeroDown;
    }
}

class LiveWindow : public ::testing::Test {
  protected:
    void Start(bool simulate) {
        dir_ = ScratchDir("live_drawing");
        CommandLineOptions options = OptionsFor(dir_ / "TARVISK.INI");
        options.simulate = simulate;
        program_ =
            StartProgram(dir_, "Range=5\nGridMode=1\nPolarSectorSize=360\nSpeed=4\n", options);
        ASSERT_TRUE(program_);
    }
    void TearDown() override {
        if (program_)
            program_->Quit();
    }
    MainWindow& W() { return program_->Window(); }

    std::filesystem::path dir_;
    std::unique_ptr<Program> program_;
};

TEST_F(LiveWindow, WorkerRecordsAreDrawnInFewFramesAndACaptureSeesThemAtOnce) {
    Start(false);
    MainWindow& w = W();
    Pump([] { return false; }, 200);  // the start-up frames
    const int64_t framesBefore = w.Host().Scheduler().Flushes();
    {
        std::lock_guard lock(w.System().image.Mutex());
        for (int y = 100; y < 110; ++y)
            for (int x = 200; x < 220; ++x)
                w.System().image.pixels[size_t(y) * ImageWidth + size_t(x)] = 200;
    }
    std::thread shots([&] {
        for (int i = 0; i < 1000; ++i) {
            w.CopyImageToWindow({200, 100, 20, 10});
            w.DrawDialMarkers();
        }
    });
    shots.join();
    // No event has run yet: the capture itself brings the recorded drawing in.
    const QImage shot = w.Surface().Snapshot();
    const uint32_t colour = w.Surface().PaletteRgb(200);
    EXPECT_EQ(testing::Pixel(shot, ImageOrigin.x + 205, ImageOrigin.y + 105), colour);
    Pump([] { return false; }, 300);
    const int64_t frames = w.Host().Scheduler().Flushes() - framesBefore;
    EXPECT_GE(frames, 1);
    EXPECT_LT(frames, 50) << "2000 records coalesce into a few frames";
    // Nothing of the shots changes any more: no frame at the display's rate (about 18 in this
    // time), only what the clock's second may bring.
    const int64_t idle = w.Host().Scheduler().Flushes();
    Pump([] { return false; }, 300);
    EXPECT_LE(w.Host().Scheduler().Flushes() - idle, 2);
}

// The magnifier is stretched again only for shots that reach its source area; whatever the
// shots did, it shows what a fresh stretch of the picture would.
TEST_F(LiveWindow, MagnifierFollowsTheShotsThatReachItsSource) {
    Start(false);
    MainWindow& w = W();
    Pump([] { return false; }, 200);
    w.Panel().RefreshMagnifier({150, 150});  // source: client (111..189, 111..189)
    auto shot = [&](int x, int y, uint8_t colour) {
        std::thread acquisition([&] {
            {
                std::lock_guard lock(w.System().image.Mutex());
                for (int row = y; row < y + 6; ++row)
                    for (int col = x; col < x + 6; ++col)
                        w.System().image.pixels[size_t(row) * ImageWidth + size_t(col)] = colour;
            }
            w.ShotStarted();
            w.CopyImageToWindow({x, y, 6, 6});
            w.RefreshMagnifier();
            w.ShotFinished();
        });
        acquisition.join();
        Pump([] { return false; }, 50);
    };
    const Rect m = w.Panel().Layout().magnifier;
    auto magnifier = [&] {
        return w.Surface().Snapshot().copy(m.left, m.top, m.Width(), m.Height());
    };
    const QImage before = magnifier();
    shot(400, 400, 200);  // far from the source
    EXPECT_TRUE(magnifier() == before);
    shot(140, 140, 200);  // in the middle of it
    const QImage after = magnifier();
    EXPECT_FALSE(after == before);
    shot(20, 300, 100);
    w.Panel().RefreshMagnifier();
    EXPECT_TRUE(magnifier() == after) << "a stretch was left out";
}

// Range steps and "Clear Screen Now" while the simulated head's shots flow: the window asks,
// the acquisition thread clears its own echo line and history, the shots go on.
TEST_F(LiveWindow, RangeStepsAndClearScreenWhileShotsFlow) {
    Start(true);
    MainWindow& w = W();
    ASSERT_TRUE(Pump([&] { return w.ShotCount() > 3; }, 20000)) << "no shots from the head";
    QAction* clear = w.Host().Action(IdClearScreen);
    ASSERT_TRUE(clear);
    const ReadoutGeometry& range = w.Panel().Layout().readouts[RangeReadout];
    for (int round = 0; round < 6; ++round) {
        const Rect& a = round % 2 == 0 ? range.upArrow : range.downArrow;
        const int64_t shots = w.ShotCount();
        QTest::mouseClick(w.Host().View(), Qt::LeftButton, {},
                          QPoint((a.left + a.right) / 2, (a.top + a.bottom) / 2));
        clear->trigger();
        ASSERT_TRUE(Pump([&] { return w.ShotCount() > shots + 2; }, 20000)) << "round " << round;
        EXPECT_EQ(w.System().imaging.HistoryClearRequest, 0) << "the pipeline took the clear";
    }
    EXPECT_EQ(w.System().settings.Range, 5) << "three steps up, three down";
}

}  // namespace
}  // namespace tarvisk
