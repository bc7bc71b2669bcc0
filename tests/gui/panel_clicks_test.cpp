// The real window driven as an operator drives it, through Qt's own events: clicks on the
// panel's arrows and buttons, a held arrow's repeat, typed entries, and the menu states that
// the panel and the commands leave behind in live and file mode.

#include <gtest/gtest.h>

#include <functional>

#include <QCursor>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

#include "app/main_window.h"
#include "app/panel_input_view.h"
#include "gui_support.h"
#include "ui/input_state.h"
#include "ui/menu_resource.h"
#include "ui/panel_input.h"

namespace tarvisk {
namespace {

using testing::ScratchDir;
using testing::StartProgram;

QPoint Centre(const Rect& r) {
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

struct Operator {
    explicit Operator(MainWindow& w) : window(w), view(w.Host().View()) {}
    QPoint Arrow(ReadoutId r, bool up) const {
        const ReadoutGeometry& g = window.Panel().Layout().readouts[r];
        return Centre(up ? g.upArrow : g.downArrow);
    }
    void Click(QPoint p) { QTest::mouseClick(view, Qt::LeftButton, {}, p); }
    void Press(QPoint p) { QTest::mousePress(view, Qt::LeftButton, {}, p); }
    void Release(QPoint p) { QTest::mouseRelease(view, Qt::LeftButton, {}, p); }
    // A move with the left button still down, as a drag off the arrow makes it.
    void DragTo(QPoint p) {
        QMouseEvent move(QEvent::MouseMove, p, view->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    }
    void Type(const char* keys) { QTest::keyClicks(&window.Host(), keys); }
    void Key(Qt::Key key) { QTest::keyClick(&window.Host(), key); }

    MainWindow& window;
    QWidget* view;
};

TEST(PanelClicks, ArrowsStepTheirSettings) {
    auto program = StartProgram(ScratchDir("clicks"),
                                "Range=9\nGain=6\nSpeed=2\nGridMode=0\n"
                                "SectorSectorSize=90\nTrain=0\n");
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    SonarSettings& s = program->System().settings;
    Operator op(w);

    op.Click(op.Arrow(RangeReadout, true));
    EXPECT_EQ(s.Range, 10);
    EXPECT_EQ(s.RangeMeters, 60);
    op.Click(op.Arrow(GainReadout, false));
    EXPECT_EQ(s.Gain, 5);
    op.Click(op.Arrow(SpeedReadout, true));
    EXPECT_EQ(s.Speed, Faster);
    op.Click(op.Arrow(SectorReadout, true));
    EXPECT_EQ(s.SectorSize, 93);
    EXPECT_EQ(s.SectorSectorSize, 93);
    op.Click(op.Arrow(TrainReadout, false));
    EXPECT_EQ(s.Train, 357);
    op.Click(op.Arrow(ModeReadout, true));
    EXPECT_EQ(s.GridMode, Polar);
    op.Click(op.Arrow(ModeReadout, true));
    EXPECT_EQ(s.GridMode, SS);
    EXPECT_FALSE(w.Menu().IsEnabled(IdProfileGrid));
    // In side scan the Speed and Sector arrows rest.
    op.Click(op.Arrow(SpeedReadout, true));
    op.Click(op.Arrow(SectorReadout, true));
    EXPECT_EQ(s.Speed, Faster);
    EXPECT_EQ(s.SectorSize, 0);
    op.Click(op.Arrow(TrainReadout, true));
    EXPECT_EQ(s.SSChannel, StbdChannel);
    EXPECT_EQ(s.Train, 90);
    program->Quit();
}

// The repeat waits 500 ms before its second step and then steps every 50 ms; timers never
// fire early, so only lower bounds are checked.
TEST(PanelClicks, HeldArrowRepeatsAndStopsAtTheLimit) {
    auto program = StartProgram(ScratchDir("repeat"), "Gain=0\n");
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    SonarSettings& s = program->System().settings;
    Operator op(w);
    const QPoint up = op.Arrow(GainReadout, true);

    QElapsedTimer clock;
    op.Press(up);
    clock.start();
    EXPECT_EQ(s.Gain, 1);  // the first step at once
    EXPECT_EQ(w.input.PanelButtonState[GainUpArrow], 0);
    std::vector<qint64> steps;
    int32_t last = s.Gain;
    while (clock.elapsed() < 1500) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (s.Gain != last) {
            last = s.Gain;
            steps.push_back(clock.elapsed());
        }
    }
    op.Release(up);
    ASSERT_GE(steps.size(), 2u);
    EXPECT_GE(steps[0], 495);
    for (size_t i = 1; i < steps.size(); ++i)
        EXPECT_GE(steps[i] - steps[i - 1], 45) << i;
    EXPECT_EQ(w.input.PanelButtonState[GainUpArrow], 1);
    EXPECT_EQ(w.input.RepeatDelay, RepeatFirstDelay);

    // At the limit the repeat ends although the button is still down.
    s.Gain = 39;
    op.Press(up);
    EXPECT_EQ(s.Gain, 40);
    QTest::qWait(600);
    EXPECT_EQ(s.Gain, 40);
    EXPECT_FALSE(w.InputView().RepeatTimerActive());
    EXPECT_EQ(w.input.PanelButtonState[GainUpArrow], 1);
    op.Release(up);

    // Dragging off the arrow ends it too.
    s.Gain = 10;
    op.Press(up);
    op.DragTo(up + QPoint(0, 60));
    QTest::qWait(600);
    EXPECT_EQ(s.Gain, 11);
    op.Release(up + QPoint(0, 60));
    program->Quit();
}

TEST(PanelClicks, HoldBlocksArrowsAndTheSource) {
    auto program = StartProgram(ScratchDir("hold"), "Gain=6\n");
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    SonarSettings& s = program->System().settings;
    Operator op(w);
    const PanelLayout& l = w.Panel().Layout();

    op.Click(Centre(l.holdArea));
    EXPECT_EQ(s.Hold, 1);
    EXPECT_FALSE(w.Menu().IsEnabled(IdXdcrUp));
    op.Click(op.Arrow(GainReadout, true));
    op.Click(Centre(l.fileButton));
    EXPECT_EQ(s.Gain, 6);
    EXPECT_EQ(s.RunMode, 0);
    op.Type("h");
    EXPECT_EQ(s.Hold, 0);
    EXPECT_TRUE(w.Menu().IsEnabled(IdXdcrUp));
    s.OneShotRequest = 0;
    op.Click(Centre(l.revArea));
    EXPECT_EQ(s.OneShotRequest, 1);
    s.OneShotRequest = 0;
    op.Type(" ");
    EXPECT_EQ(s.OneShotRequest, 1);
    program->Quit();
}

TEST(PanelClicks, TypedEntries) {
    auto program = StartProgram(ScratchDir("typed"), "Range=9\nGain=6\nUnits=0\n");
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    SonarSettings& s = program->System().settings;
    Operator op(w);

    op.Type("r150");
    EXPECT_EQ(w.input.KeyEntryMode, RangeKeyEntry);
    EXPECT_STREQ(w.input.KeyEntryText.data(), "150");
    op.Key(Qt::Key_Return);
    EXPECT_EQ(s.Range, 13);
    EXPECT_EQ(s.RangeMeters, 150);
    EXPECT_EQ(w.input.KeyEntryMode, NoKeyEntry);

    op.Type("R7");
    op.Key(Qt::Key_Return);  // not a range: a warning (stderr in a scripted run)
    EXPECT_EQ(s.Range, 13);

    op.Type("G7.9");
    op.Key(Qt::Key_Enter);
    EXPECT_EQ(s.Gain, 7);
    op.Type("G33");
    op.Key(Qt::Key_Escape);
    EXPECT_EQ(s.Gain, 7);
    EXPECT_EQ(w.input.KeyEntryMode, NoKeyEntry);

    // "C" clears the picture; it works in both modes.
    s.ClearRequest = 0;
    op.Type("c");
    program->Quit();
}

TEST(PanelClicks, FileModeAnswersOnlyItsControls) {
    auto program = StartProgram(ScratchDir("filemode"), "Range=9\nGain=6\nPlotSpeed=50\n");
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    SonarSettings& s = program->System().settings;
    Operator op(w);
    const PanelLayout& l = w.Panel().Layout();
    // No modal file dialog in a test: only the mode switch.
    w.features.Register(Feature::PlaybackOnEntry, nullptr);
    op.Click(Centre(l.fileButton));
    ASSERT_EQ(s.RunMode, 1);
    for (int32_t id : {IdXdcrUp, IdXdcrDown, IdAutoProfileVertical, IdAutoProfileHorizontal})
        EXPECT_FALSE(w.Menu().IsEnabled(id)) << id;

    op.Click(op.Arrow(RangeReadout, true));
    op.Click(op.Arrow(GainReadout, true));
    op.Type("r20");
    op.Key(Qt::Key_Return);
    EXPECT_EQ(s.Range, 9);
    EXPECT_EQ(s.Gain, 6);
    EXPECT_EQ(w.input.KeyEntryMode, NoKeyEntry);

    op.Click(Centre(l.speedRightArrow));
    EXPECT_EQ(s.PlotSpeed, 60);
    op.Click(Centre(l.speedLeftArrow));
    op.Click(Centre(l.speedLeftArrow));
    EXPECT_EQ(s.PlotSpeed, 40);

    op.Type("H");
    EXPECT_EQ(s.Hold, 1);
    op.Click(Centre(l.speedRightArrow));
    op.Click(Centre(l.headButton));
    EXPECT_EQ(s.PlotSpeed, 40);
    EXPECT_EQ(s.RunMode, 1);
    op.Type("H");
    EXPECT_FALSE(w.Menu().IsEnabled(IdXdcrUp));  // Hold's release keeps file mode's greying
    op.Click(Centre(l.headButton));
    EXPECT_EQ(s.RunMode, 0);
    EXPECT_TRUE(w.Menu().IsEnabled(IdXdcrUp));
    EXPECT_TRUE(w.Menu().IsEnabled(IdAutoProfileHorizontal));
    program->Quit();
}

TEST(PanelClicks, ArrowKeysMoveThePointerFasterWhileHeld) {
    auto program = StartProgram(ScratchDir("pointer"), "");
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    Operator op(w);
    const QPoint start = w.Host().View()->mapToGlobal(QPoint(300, 300));
    QCursor::setPos(start);
    if (QCursor::pos() != start)
        GTEST_SKIP() << "this platform cannot place the pointer";
    for (int i = 0; i < 3; ++i)
        QTest::keyPress(&w.Host(), Qt::Key_Right);  // steps 1, 1.5, 2
    EXPECT_EQ(QCursor::pos(), start + QPoint(4, 0));
    // A held key's repeats come with releases marked as repeats: the pointer keeps speeding.
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(&w.Host(), &repeatRelease);
    EXPECT_EQ(w.input.CursorStep, 2.5f);
    QTest::keyRelease(&w.Host(), Qt::Key_Right);
    EXPECT_EQ(w.input.CursorStep, CursorStepRest);
    QTest::keyClick(&w.Host(), Qt::Key_Down);
    EXPECT_EQ(QCursor::pos(), start + QPoint(4, 1));
    program->Quit();
}

// Stands in for a dialog: the change the operator would make in it.
struct DialogStandIn final : FeatureProvider {
    std::function<void()> change;
    void RunFeature(Feature) override { change(); }
};

TEST(MenuCommands, DialogSeamsAndTheRedrawsAfterThem) {
    auto program = StartProgram(ScratchDir("seams"), "Grid=1\nGridMode=0\nSectorSectorSize=90\n");
    ASSERT_TRUE(program);
    MainWindow& w = program->Window();
    SonarSettings& s = program->System().settings;

    // The rotation moves the dial's sector with it.
    DialogStandIn rotate, settings, velocity;
    rotate.change = [&] { s.RotateAngle = 90.0f; };
    w.features.Register(Feature::RotateImage, &rotate);
    const int32_t before = w.Panel().Limits().first;
    w.OnCommand(IdRotateImage);
    EXPECT_NE(w.Panel().Limits().first, before);

    // A settings change in live mode goes to the head at once.
    settings.change = [&] { s.Frequency = 700; };
    w.features.Register(Feature::Settings, &settings);
    s.ParametersChanged = 0;
    w.OnCommand(IdSettings);
    EXPECT_EQ(s.ParametersChanged, 1);

    velocity.change = [&] { s.SoundVelocityMeters = 1450.0f; };
    w.features.Register(Feature::SoundVelocity, &velocity);
    w.OnCommand(IdSoundVelocity);
    EXPECT_EQ(s.SoundVelocityMeters, 1450.0f);
    EXPECT_EQ(s.Grid, 1);

    w.input.ZoomFrozen = 1;
    w.OnCommand(IdPixelZoom);
    EXPECT_EQ(w.input.ZoomFrozen, 0);
    for (const FeatureProvider* standIn : {&rotate, &settings, &velocity})
        w.features.Withdraw(standIn);
    program->Quit();
}

}  // namespace
}  // namespace tarvisk
