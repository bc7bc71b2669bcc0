// The mouse over the image in the real window, driven through Qt's event system: the readout
// box follows the pointer, the right button fixes an origin and draws the measurement line on
// the window (erased by the next copy of the image), the magnifier follows or stays frozen,
// and an open menu holds the magnifier until the pointer moves.

#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <thread>

#include "app/main_window.h"
#include "app/program.h"
#include "display/measure_readout.h"
#include "gui_support.h"

namespace tarvisk {
namespace {

using testing::App;
using testing::CountColour;
using testing::OptionsFor;
using testing::Pixel;
using testing::ScratchDir;
using testing::WriteFile;

constexpr QRgb LightGrey = 0xD7D7D7;
constexpr QRgb Black = 0x000000;
constexpr QRgb DarkGrey = 0x474747;

struct MouseRig {
    explicit MouseRig(const std::string& name, const std::string& settings, bool module = false) {
        App();
        const auto ini = ScratchDir(name) / "TARVISK.INI";
        WriteFile(ini, "[Settings]\n" + settings +
                           "\n[Orientation Module Settings]\n"
                           "EnableOrientationModule=" +
                           (module ? "1" : "0") + "\n");
        program = std::make_unique<Program>(OptionsFor(ini));
        std::string error;
        EXPECT_TRUE(program->Start(error, false)) << error;
        w = &program->Window();
        view = w->Host().View();
        QApplication::processEvents();
    }
    ~MouseRig() {
        w->Close();
        QApplication::processEvents();
    }
    void Move(int x, int y) {
        QTest::mouseMove(view, QPoint(x, y));
        QApplication::processEvents();
    }
    void Click(Qt::MouseButton button, int x, int y) {
        QTest::mouseClick(view, button, Qt::NoModifier, QPoint(x, y));
        QApplication::processEvents();
    }
    QImage Shot() const { return w->Surface().Snapshot(); }
    InputState& State() { return w->Mouse().State(); }

    // The readout box as it must look for the pointer at p, drawn apart on a fresh surface.
    QImage ExpectedBox(Point p, bool measuring, Point origin, float heading = 0.0f) {
        const PanelLayout& layout = w->Panel().Layout();
        Framebuffer expected(layout.client);
        expected.SetPalette(PaletteOf());
        const MeasureReadouts r = ComposeMeasureReadouts(
            MeasureViewOf(w->System().settings, heading), p, measuring, origin);
        DrawMeasureReadoutBox(expected, layout, &r);
        return Crop(expected.Snapshot());
    }
    QImage Crop(const QImage& image) const {
        const Rect b = MeasureReadoutBox(w->Panel().Layout());
        return image.copy(b.left, b.top, b.Width(), b.Height());
    }
    PaletteTable PaletteOf() const {
        PaletteTable t{};
        for (int i = 0; i < 256; ++i)
            t[size_t(i)] = w->Surface().PaletteRgb(i);
        return t;
    }

    std::unique_ptr<Program> program;
    MainWindow* w = nullptr;
    FramebufferView* view = nullptr;
};

TEST(ImageMouse, ReadoutsFollowThePointerAndLeaveWithIt) {
    MouseRig rig("measure_readouts", "GridMode=0\nRange=9\nPixelZoom=1\n");
    const QImage logo = rig.Crop(rig.Shot());

    rig.Move(301, 408);
    EXPECT_EQ(rig.State().PointerInImage, 1);
    EXPECT_EQ(rig.Crop(rig.Shot()), rig.ExpectedBox({301, 408}, false, {}));
    EXPECT_EQ(rig.w->Panel().MagnifierCentre(), (Point{301, 408}));
    EXPECT_EQ(rig.view->cursor().shape(), Qt::BitmapCursor);  // the program's own pointer

    // Column 598 still belongs to the image (range 0 of a port-side line).
    rig.Move(598, 100);
    EXPECT_EQ(rig.State().PointerInImage, 1);
    EXPECT_EQ(rig.Crop(rig.Shot()), rig.ExpectedBox({598, 100}, false, {}));

    rig.Move(700, 300);
    EXPECT_EQ(rig.State().PointerInImage, 0);
    EXPECT_EQ(rig.view->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(rig.Crop(rig.Shot()), logo);

    // Straight off the window from over the image.
    rig.Move(10, 300);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(rig.view, &leave);
    EXPECT_EQ(rig.State().PointerInImage, 0);
    EXPECT_EQ(rig.Crop(rig.Shot()), logo);
}

// With the orientation module on, bearings are read against its heading; off, it is ignored.
TEST(ImageMouse, ReadoutsTurnWithTheModulesHeadingOnlyWhileItIsOn) {
    MouseRig rig("measure_heading", "GridMode=0\nRange=9\nPixelZoom=1\n", true);
    rig.w->System().orientation.FilteredHeading = 90.0f;
    rig.Move(400, 300);
    const QImage turned = rig.Crop(rig.Shot());
    EXPECT_EQ(turned, rig.ExpectedBox({400, 300}, false, {}, 90.0f));
    EXPECT_NE(turned, rig.ExpectedBox({400, 300}, false, {}, 0.0f));

    rig.w->System().settings.EnableOrientationModule = 0;
    rig.Move(401, 300);
    rig.Move(400, 300);
    EXPECT_EQ(rig.Crop(rig.Shot()), rig.ExpectedBox({400, 300}, false, {}, 0.0f));
}

TEST(ImageMouse, MeasurementLineDrawnMovedAndErased) {
    MouseRig rig("measure_line", "GridMode=1\nRange=9\nPixelZoom=0\nColors=0\n");
    rig.Move(200, 300);
    rig.Click(Qt::RightButton, 200, 300);
    EXPECT_EQ(rig.State().MeasureMode, 1);
    EXPECT_EQ(rig.State().MeasureOrigin.Get(), (Point{200, 300}));
    EXPECT_EQ(rig.view->cursor().shape(), Qt::BlankCursor);

    rig.Move(400, 300);
    QImage shot = rig.Shot();
    EXPECT_EQ(Pixel(shot, 300, 300), LightGrey);  // on the line
    EXPECT_EQ(Pixel(shot, 404, 300), LightGrey);  // target cross arm
    EXPECT_EQ(Pixel(shot, 404, 299), Black);      // and its outline
    EXPECT_EQ(Pixel(shot, 200, 309), LightGrey);  // origin cross, larger
    EXPECT_EQ(rig.Crop(shot), rig.ExpectedBox({400, 300}, true, {200, 300}));

    // Moving takes the old line away; only the window had it, never the image.
    rig.Move(400, 150);
    shot = rig.Shot();
    EXPECT_NE(Pixel(shot, 300, 300), LightGrey);
    EXPECT_EQ(Pixel(shot, 300, 225), LightGrey);
    {
        std::lock_guard lock(rig.w->System().image.Mutex());
        for (uint8_t v : rig.w->System().image.pixels)
            ASSERT_FALSE(v >= PanelGreen && v <= PanelBrightRed);  // no overlay colour
    }

    // A shot's image copy wipes the line; the pipeline's redraw brings it back.
    rig.w->Panel().CopyImageToWindow();
    EXPECT_NE(Pixel(rig.Shot(), 300, 225), LightGrey);
    rig.w->Mouse().RedrawAfterShot();
    EXPECT_EQ(Pixel(rig.Shot(), 300, 225), LightGrey);

    // The second right click ends the measurement and brings the pointer back.
    rig.Click(Qt::RightButton, 400, 150);
    EXPECT_EQ(rig.State().MeasureMode, 0);
    EXPECT_NE(Pixel(rig.Shot(), 300, 225), LightGrey);
    EXPECT_EQ(rig.view->cursor().shape(), Qt::BitmapCursor);
    rig.w->Mouse().RedrawAfterShot();
    EXPECT_NE(Pixel(rig.Shot(), 300, 225), LightGrey);
}

TEST(ImageMouse, SideScanLineStaysLevelAndRunModeSwitchEndsIt) {
    MouseRig rig("measure_ss", "GridMode=2\nRange=9\nPixelZoom=0\nColors=4\n");
    rig.Click(Qt::RightButton, 500, 200);
    rig.Move(300, 420);
    const QImage shot = rig.Shot();
    // Reversed grey: the line is black on the light picture.
    EXPECT_EQ(Pixel(shot, 400, 200), Black);
    EXPECT_EQ(rig.w->Mouse().LastTarget(), (Point{300, 200}));
    EXPECT_EQ(rig.Crop(shot), rig.ExpectedBox({300, 200}, true, {500, 200}));

    // Only the mode switch, no file dialog.
    rig.w->features.Register(Feature::PlaybackOnEntry, nullptr);
    rig.w->SelectSource(true);
    EXPECT_EQ(rig.State().MeasureMode, 0);
    EXPECT_NE(Pixel(rig.Shot(), 400, 200), Black);
    rig.Move(300, 300);
    EXPECT_EQ(rig.view->cursor().shape(), Qt::BitmapCursor);

    // Whoever ends a measurement, the pointer comes back with the next move.
    rig.Click(Qt::RightButton, 300, 300);
    EXPECT_EQ(rig.view->cursor().shape(), Qt::BlankCursor);
    rig.State().MeasureMode = 0;
    rig.Move(310, 300);
    EXPECT_EQ(rig.view->cursor().shape(), Qt::BitmapCursor);
}

TEST(ImageMouse, MagnifierFreezesOnLeftClickAndWaitsForAnOpenMenu) {
    MouseRig rig("measure_zoom", "GridMode=1\nPixelZoom=1\n");
    rig.Move(200, 200);
    rig.Click(Qt::LeftButton, 200, 200);
    EXPECT_EQ(rig.State().ZoomFrozen, 1);
    rig.Move(300, 300);
    EXPECT_EQ(rig.w->Panel().MagnifierCentre(), (Point{200, 200}));
    rig.Click(Qt::LeftButton, 300, 300);
    EXPECT_EQ(rig.State().ZoomFrozen, 0);
    EXPECT_EQ(rig.w->Panel().MagnifierCentre(), (Point{300, 300}));

    // The right button unfreezes too.
    rig.Click(Qt::LeftButton, 300, 300);
    rig.Click(Qt::RightButton, 300, 300);
    EXPECT_EQ(rig.State().ZoomFrozen, 0);
    rig.Click(Qt::RightButton, 300, 300);

    QMenu* first = rig.w->Host().menuBar()->findChildren<QMenu*>().front();
    emit first->aboutToShow();
    EXPECT_EQ(rig.State().MenuOpen, 1);
    EXPECT_TRUE(rig.w->Mouse().MagnifierHeld());
    rig.Move(310, 310);
    EXPECT_EQ(rig.State().MenuOpen, 0);
    EXPECT_FALSE(rig.w->Mouse().MagnifierHeld());
}

TEST(ImageMouse, PipelineRedrawsWhileThePointerMoves) {
    MouseRig rig("measure_threads", "GridMode=1\nPixelZoom=1\n");
    ImageMouse& mouse = rig.w->Mouse();
    mouse.OnMouse(MouseEventKind::Move, {100, 100});
    mouse.OnMouse(MouseEventKind::RightDown, {100, 100});
    std::atomic<bool> stop{false};
    std::thread shots([&] {
        while (!stop) {
            mouse.RedrawAfterShot();
            mouse.RefreshReadouts();
        }
    });
    for (int i = 0; i < 300; ++i)
        mouse.OnMouse(MouseEventKind::Move, {100 + i, 100 + i});
    stop = true;
    shots.join();
    EXPECT_EQ(mouse.State().MeasureBusy.load(), 0);
    EXPECT_EQ(mouse.LastTarget(), (Point{399, 399}));
    mouse.RedrawAfterShot();
    EXPECT_EQ(Pixel(rig.Shot(), 250, 250), LightGrey);
    EXPECT_EQ(rig.Crop(rig.Shot()), rig.ExpectedBox({399, 399}, true, {100, 100}));
}

}  // namespace
}  // namespace tarvisk
