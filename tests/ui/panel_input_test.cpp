// The panel and keyboard input as a model: steps, limits and wraps of every arrow, the
// auto-repeat as timer requests, what Hold blocks, the mode step, and the keyboard entries.
// No window: a recording stand-in draws nothing and notes what was asked of it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/menu_resource.h"
#include "ui/panel_input.h"

namespace tarvisk {
namespace {

struct RecordingWindow : PanelInputWindow {
    std::vector<std::string> warnings;
    std::vector<std::string> entryBox;  // every text shown; "" for a clear
    std::vector<int32_t> timerStarts;
    bool timerRunning = false;
    int32_t redraws = 0, clears = 0, gridPasses = 0, profileGridToggles = 0, dials = 0;
    int32_t reverseToggles = 0, revPresses = 0, measurementsEnded = 0;
    std::vector<bool> sources;
    std::vector<std::pair<PanelArrow, bool>> arrows;
    Point pointer{100, 100};
    SonarSettings* settings = nullptr;

    void DrawReadout(ReadoutId r) override {
        if (r == RangeReadout)
            ApplyRangeIndex(*settings, settings->Range);
    }
    void DrawArrow(PanelArrow a, bool pressed) override { arrows.emplace_back(a, pressed); }
    void DrawHold() override {}
    void DrawRev(bool pressed) override { revPresses += pressed ? 1 : 0; }
    void DrawPlaybackSpeed() override {}
    void ShowKeyboardEntry(std::string_view text) override { entryBox.emplace_back(text); }
    void ClearKeyboardEntry() override { entryBox.emplace_back(); }
    void DrawSectorDial() override { ++dials; }
    void DrawGridLabel() override {}
    void RepaintReadouts() override {}
    void ClearImageAndHistory() override { ++clears; }
    void RedrawImage() override { ++redraws; }
    void GridPass() override { ++gridPasses; }
    void ToggleProfileGrid() override {
        ++profileGridToggles;
        settings->ProfileGrid = settings->ProfileGrid ? 0 : 1;
    }
    void RefreshMeasureReadouts() override {}
    void EndMeasurement() override { ++measurementsEnded; }
    void SelectSource(bool file) override { sources.push_back(file); }
    void ToggleReverse() override { ++reverseToggles; }
    void Warn(std::string_view title, std::string_view text) override {
        warnings.push_back(std::string(title) + "|" + std::string(text));
    }
    Point PointerPosition() override { return pointer; }
    void SetPointerPosition(Point p) override { pointer = p; }
    void StartRepeatTimer(int32_t ms) override {
        timerStarts.push_back(ms);
        timerRunning = true;
    }
    void StopRepeatTimer() override { timerRunning = false; }
};

class PanelInputTest : public ::testing::Test {
  protected:
    PanelInputTest() : menu(TarviskMenuBar()), layout(ComputePanelLayout(PanelMetrics{})) {
        window.settings = &s;
        s.RunMode = 0;
        s.GridMode = Sector;
        s.SectorSize = 180;
        s.ParametersChanged = 0;
        Reset();
    }
    void Reset() { input = std::make_unique<PanelInput>(s, state, imaging, menu, layout, window); }

    Point Centre(const Rect& r) const { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    Point Arrow(ReadoutId r, bool up) const {
        return Centre(up ? layout.readouts[r].upArrow : layout.readouts[r].downArrow);
    }
    void Click(Point p) {
        input->LeftDown(p);
        input->LeftUp();
    }
    void Type(std::string_view keys) {
        for (char c : keys)
            input->Char(static_cast<unsigned char>(c));
    }

    SonarSettings s;
    InputState state;
    ImagingState imaging;
    MenuModel menu;
    PanelLayout layout;
    RecordingWindow window;
    std::unique_ptr<PanelInput> input;
};

TEST_F(PanelInputTest, ArrowStepsLimitsAndWraps) {
    struct Case {
        const char* name;
        ReadoutId readout;
        bool up;
        int32_t mode;
        int32_t start;
        int32_t expected;
        SharedInt SonarSettings::*field;
    };
    const std::vector<Case> cases = {
        {"range up", RangeReadout, true, Sector, 9, 10, &SonarSettings::Range},
        {"range up at 200 m", RangeReadout, true, Sector, 14, 14, &SonarSettings::Range},
        {"range down at 1 m", RangeReadout, false, Sector, 0, 0, &SonarSettings::Range},
        {"gain up", GainReadout, true, Sector, 6, 7, &SonarSettings::Gain},
        {"gain up at 40", GainReadout, true, Sector, 40, 40, &SonarSettings::Gain},
        {"gain down at 0", GainReadout, false, Sector, 0, 0, &SonarSettings::Gain},
        {"speed up at fastest", SpeedReadout, true, Sector, 4, 4, &SonarSettings::Speed},
        {"speed down", SpeedReadout, false, Sector, 2, 1, &SonarSettings::Speed},
        {"speed in side scan", SpeedReadout, true, SS, 2, 2, &SonarSettings::Speed},
        {"sector up wraps at 180", SectorReadout, true, Sector, 180, 0, &SonarSettings::SectorSize},
        {"sector down wraps in polar", SectorReadout, false, Polar, 0, 360,
         &SonarSettings::SectorSize},
        {"sector down in sector", SectorReadout, false, Sector, 0, 180, &SonarSettings::SectorSize},
        {"sector up in polar to 360", SectorReadout, true, Polar, 357, 360,
         &SonarSettings::SectorSize},
        {"train up wraps", TrainReadout, true, Sector, 357, 0, &SonarSettings::Train},
        {"train down wraps", TrainReadout, false, Sector, 0, 357, &SonarSettings::Train},
        {"mode up at side scan", ModeReadout, true, SS, 2, 2, &SonarSettings::GridMode},
        {"mode down at sector", ModeReadout, false, Sector, 0, 0, &SonarSettings::GridMode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        s.GridMode = c.mode;
        s.SectorSize = c.mode == Polar ? 90 : (c.mode == SS ? 0 : 90);
        (s.*c.field) = c.start;
        Reset();
        Click(Arrow(c.readout, c.up));
        EXPECT_EQ((s.*c.field).Get(), c.expected);
        EXPECT_FALSE(window.timerRunning);  // released
        EXPECT_EQ(state.RepeatDelay, RepeatFirstDelay);
    }
}

TEST_F(PanelInputTest, StepSideEffects) {
    // Range: the derived values, a clear of the picture and a new command.
    s.Range = 9;
    Click(Arrow(RangeReadout, true));
    EXPECT_EQ(s.RangeMeters.Get(), 60);
    EXPECT_EQ(s.ClearRequest.Get(), 1);
    EXPECT_EQ(s.ParametersChanged.Get(), 1);
    EXPECT_EQ(window.clears, 1);
    EXPECT_EQ(window.redraws, 1);

    // Sector down: the old width is kept, the format is checked, the mode's width stored.
    s.FormatCheckRequest = 0;
    s.SectorSize = 90;
    Click(Arrow(SectorReadout, false));
    EXPECT_EQ(imaging.PreviousSectorSize.Get(), 90);
    EXPECT_EQ(s.SectorSectorSize.Get(), 87);
    EXPECT_EQ(s.FormatCheckRequest.Get(), 1);

    // Polar at full circle forces the train ahead.
    s.GridMode = Polar;
    s.SectorSize = 357;
    s.Train = 45;
    Click(Arrow(SectorReadout, true));
    EXPECT_EQ(s.SectorSize.Get(), 360);
    EXPECT_EQ(s.PolarSectorSize.Get(), 360);
    EXPECT_EQ(s.Train.Get(), 0);
}

TEST_F(PanelInputTest, SideScanTrainSwitchesChannelsOnly) {
    s.GridMode = SS;
    s.SectorSize = 0;
    s.SSTrain = PortChannel;
    s.SSChannel = PortChannel;
    s.Grid = 1;
    Reset();
    Click(Arrow(TrainReadout, true));
    EXPECT_EQ(s.SSTrain.Get(), StbdChannel);
    EXPECT_EQ(s.SSChannel.Get(), StbdChannel);
    EXPECT_EQ(s.Train.Get(), 90);
    EXPECT_EQ(window.gridPasses, 2);  // erased with the old channel, drawn with the new
    Click(Arrow(TrainReadout, true));
    EXPECT_EQ(s.SSTrain.Get(), StbdChannel);  // Both is never reached from the panel
    Click(Arrow(TrainReadout, false));
    EXPECT_EQ(s.SSTrain.Get(), PortChannel);
    EXPECT_EQ(s.Train.Get(), 270);
}

TEST_F(PanelInputTest, ModeStepKeepsEachModesSectorAndTrain) {
    s.GridMode = Sector;
    s.SectorSize = 90;
    s.Train = 30;
    s.PolarSectorSize = 360;
    Reset();
    Click(Arrow(ModeReadout, true));  // to Polar
    EXPECT_EQ(s.GridMode.Get(), Polar);
    EXPECT_EQ(s.SectorSectorSize.Get(), 90);
    EXPECT_EQ(s.SectorSize.Get(), 360);
    EXPECT_EQ(s.Train.Get(), 0);
    EXPECT_EQ(s.ClearRequest.Get(), 1);

    s.ProfileGrid = 1;
    s.SSTrain = StbdChannel;
    s.SSChannel = StbdChannel;
    state.MeasureMode = 1;
    Click(Arrow(ModeReadout, true));  // to side scan: profile grid off, measuring ends
    EXPECT_EQ(s.GridMode.Get(), SS);
    EXPECT_EQ(s.SectorSize.Get(), 0);
    EXPECT_EQ(s.Train.Get(), 90);
    EXPECT_EQ(window.profileGridToggles, 1);
    EXPECT_EQ(state.MeasureMode.Get(), 0);
    EXPECT_EQ(window.measurementsEnded, 1);
    EXPECT_FALSE(menu.IsEnabled(IdProfileGrid));
    EXPECT_FALSE(menu.IsEnabled(IdZeroDown));

    Click(Arrow(ModeReadout, false));  // Polar again
    Click(Arrow(ModeReadout, false));  // Sector: its own width and train come back
    EXPECT_EQ(s.GridMode.Get(), Sector);
    EXPECT_EQ(s.SectorSize.Get(), 90);
    EXPECT_EQ(s.Train.Get(), 30);
    EXPECT_TRUE(menu.IsEnabled(IdProfileGrid));
}

TEST_F(PanelInputTest, HeldArrowRepeatsUntilLimitReleaseOrLeaving) {
    s.Gain = 37;
    const Point up = Arrow(GainReadout, true);
    input->LeftDown(up);
    EXPECT_EQ(s.Gain.Get(), 38);  // the first step at once
    EXPECT_EQ(state.PanelButtonState[GainUpArrow], 0);
    ASSERT_EQ(window.timerStarts, (std::vector<int32_t>{500}));
    input->RepeatTick();
    EXPECT_EQ(s.Gain.Get(), 39);
    EXPECT_EQ(window.timerStarts.back(), 50);
    input->RepeatTick();  // 40 is the limit: the repeat ends with it
    EXPECT_EQ(s.Gain.Get(), 40);
    EXPECT_FALSE(window.timerRunning);
    EXPECT_EQ(state.PanelButtonState[GainUpArrow], 1);
    EXPECT_EQ(window.arrows.back(), std::make_pair(GainUpArrow, false));

    // Leaving the arrow stops it; a later tick does nothing.
    s.Gain = 10;
    input->LeftDown(up);
    input->Move({up.x + 40, up.y});
    input->RepeatTick();
    EXPECT_EQ(s.Gain.Get(), 11);
    EXPECT_EQ(state.RepeatDelay, RepeatFirstDelay);

    // Sector steps wrap and never stop by themselves.
    input->LeftDown(Arrow(SectorReadout, true));
    for (int i = 0; i < 100; ++i)
        input->RepeatTick();
    EXPECT_TRUE(window.timerRunning);
    input->LeftUp();
    EXPECT_FALSE(window.timerRunning);
}

TEST_F(PanelInputTest, HoldBlocksArrowsAndSourceButtons) {
    Click(Centre(layout.holdArea));
    EXPECT_EQ(s.Hold.Get(), 1);
    EXPECT_EQ(s.ParametersChanged.Get(), 1);
    EXPECT_FALSE(menu.IsEnabled(IdXdcrUp));
    EXPECT_FALSE(menu.IsEnabled(IdXdcrDown));
    s.Gain = 6;
    Click(Arrow(GainReadout, true));
    Click(Centre(layout.fileButton));
    EXPECT_EQ(s.Gain.Get(), 6);
    EXPECT_TRUE(window.sources.empty());
    Click(Centre(layout.revArea));  // Rev still works under Hold
    EXPECT_EQ(s.OneShotRequest.Get(), 1);
    input->Char('h');
    EXPECT_EQ(s.Hold.Get(), 0);
    EXPECT_TRUE(menu.IsEnabled(IdXdcrUp));
    Click(Arrow(GainReadout, true));
    Click(Centre(layout.fileButton));
    EXPECT_EQ(s.Gain.Get(), 7);
    EXPECT_EQ(window.sources, std::vector<bool>{true});
}

TEST_F(PanelInputTest, PlaybackAnswersOnlyItsOwnControls) {
    s.RunMode = 1;
    s.Range = 9;
    s.Gain = 6;
    s.PlotSpeed = 80;
    Click(Arrow(RangeReadout, true));
    Click(Arrow(GainReadout, true));
    Click(Centre(layout.revArea));
    Type("R15\rG9\r");
    EXPECT_EQ(s.Range.Get(), 9);
    EXPECT_EQ(s.Gain.Get(), 6);
    EXPECT_EQ(s.OneShotRequest.Get(), 0);
    EXPECT_TRUE(window.entryBox.empty());

    input->LeftDown(Centre(layout.speedRightArrow));  // 90
    input->RepeatTick();                              // 100: the end of the bar
    EXPECT_EQ(s.PlotSpeed.Get(), 100);
    EXPECT_FALSE(window.timerRunning);
    Click(Centre(layout.speedLeftArrow));
    EXPECT_EQ(s.PlotSpeed.Get(), 90);
    Click(Centre(layout.reverseArea));
    input->Char(' ');
    EXPECT_EQ(window.reverseToggles, 2);
    Click(Centre(layout.headButton));
    EXPECT_EQ(window.sources, std::vector<bool>{false});
    input->Char('H');
    EXPECT_EQ(s.Hold.Get(), 1);
    EXPECT_FALSE(menu.IsEnabled(IdXdcrUp));
    input->Char('H');
    EXPECT_FALSE(menu.IsEnabled(IdXdcrUp));  // stays greyed in file mode
}

TEST_F(PanelInputTest, KeyboardEntries) {
    struct Case {
        const char* keys;
        int32_t units;
        int32_t range;  // expected index
        int32_t gain;
        const char* warning;  // title, or "" for none
    };
    const std::vector<Case> cases = {
        {"R150\r", Metres, 13, 6, ""},
        {"r7\r", Metres, 9, 6, "Keyboard Range"},
        {"R\r", Metres, 9, 6, ""},
        {"R1500\r", Metres, 13, 6, ""},  // the fourth digit is ignored
        {"R1.5\r", Metres, 0, 6, ""},    // truncated
        {"R450\r", Feet, 13, 6, ""},
        {"R150\r", Feet, 9, 6, ""},  // 150 FT is the 50 m range
        {"R50\r", Feet, 9, 6, "Keyboard Range"},
        {"G41\r", Metres, 9, 6, "Keyboard Gain"},
        {"G40\r", Metres, 9, 40, ""},
        {"g7.9\r", Metres, 9, 7, ""},
        {"G40\x1b", Metres, 9, 6, ""},  // Esc drops the entry
        {"G4R20\r", Metres, 6, 6, ""},  // a new entry ends the open one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        s.Units = c.units;
        s.Range = 9;
        s.Gain = 6;
        s.ParametersChanged = 0;
        window.warnings.clear();
        window.entryBox.clear();
        Type(c.keys);
        EXPECT_EQ(s.Range.Get(), c.range);
        EXPECT_EQ(s.Gain.Get(), c.gain);
        EXPECT_EQ(state.KeyEntryMode, NoKeyEntry);
        EXPECT_EQ(s.ParametersChanged.Get(), 0);  // goes out after the next shot
        if (*c.warning) {
            ASSERT_EQ(window.warnings.size(), 1u);
            EXPECT_EQ(window.warnings[0].substr(0, window.warnings[0].find('|')), c.warning);
        } else {
            EXPECT_TRUE(window.warnings.empty());
        }
        ASSERT_FALSE(window.entryBox.empty());
        EXPECT_EQ(window.entryBox.back(), "");  // the box is blanked at the end
    }
    EXPECT_EQ(KeyboardRangeMetresText.substr(KeyboardRangeMetresText.size() - 10), "Meters    ");
}

TEST_F(PanelInputTest, EntryBoxTexts) {
    s.Units = Feet;
    Type("R");
    EXPECT_EQ(window.entryBox.back(), "Range: ? FT");
    Type("45");
    EXPECT_EQ(window.entryBox.back(), "Range: 45 FT");
    Type("G.");
    EXPECT_EQ(window.entryBox.back(), "Gain: . dB");
    s.Units = Metres;
    Type("R3");
    EXPECT_EQ(window.entryBox.back(), "Range: 3 M");
}

TEST_F(PanelInputTest, ArrowKeysAccelerateThePointer) {
    window.pointer = {100, 100};
    input->KeyDown(InputKey::Right);  // step 1
    input->KeyDown(InputKey::Right);  // step 1.5, truncated
    input->KeyDown(InputKey::Right);  // step 2
    EXPECT_EQ(window.pointer, (Point{104, 100}));
    input->KeyDown(InputKey::Up);  // step 2.5: 97.5, truncated
    EXPECT_EQ(window.pointer, (Point{104, 97}));
    for (int i = 0; i < 40; ++i)
        input->KeyDown(InputKey::Other);
    EXPECT_EQ(state.CursorStep, CursorStepMax);
    input->KeyUp();
    EXPECT_EQ(state.CursorStep, CursorStepRest);
    input->KeyDown(InputKey::Down);
    EXPECT_EQ(window.pointer, (Point{104, 98}));
}

}  // namespace
}  // namespace tarvisk
