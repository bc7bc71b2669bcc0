#include "ui/panel_input.h"

#include <algorithm>
#include <cstdlib>

#include "config/ini_file.h"
#include "files/playback_models.h"
#include "settings/settings_tables.h"
#include "ui/menu_resource.h"

namespace tarvisk {

namespace {

constexpr int32_t SectorStep = 3;
constexpr int32_t TrainStep = 3;
constexpr int32_t MaxGain = 40;
constexpr int32_t SectorModeMaxWidth = 180;
constexpr int32_t PolarModeMaxWidth = 360;

ReadoutId ReadoutOf(PanelArrow arrow) {
    return static_cast<ReadoutId>(arrow / 2);
}

bool IsUpArrow(PanelArrow arrow) {
    return arrow % 2 == 0;
}

int32_t MaxSectorWidth(int32_t mode) {
    return mode == Polar ? PolarModeMaxWidth : SectorModeMaxWidth;
}

}  // namespace

std::string KeyEntryBoxText(const InputState& input, int32_t units) {
    const bool range = input.KeyEntryMode == RangeKeyEntry;
    std::string text = range ? "Range: " : "Gain: ";
    text += input.KeyEntryCount > 0 ? std::string(input.KeyEntryText.data()) : std::string("?");
    text += range ? (units == Feet ? " FT" : " M") : " dB";
    return text;
}

int32_t RangeIndexForTypedValue(int32_t value, int32_t units) {
    for (int32_t i = 0; i < RangeCount; ++i) {
        // The feet labels are the metre ranges times three.
        const int32_t label = units == Feet ? RangeTable[i].meters * 3 : RangeTable[i].meters;
        if (label == value)
            return i;
    }
    return -1;
}

PanelInput::PanelInput(SonarSettings& settings, InputState& input, ImagingState& imaging,
                       MenuModel& menu, const PanelLayout& layout, PanelInputWindow& window)
    : settings_(settings),
      input_(input),
      imaging_(imaging),
      menu_(menu),
      layout_(layout),
      window_(window) {
    RememberTrain();
    lastModeSent_ = settings_.GridMode;
}

// ---- Mouse --------------------------------------------------------------------------------

Rect PanelInput::ArrowRect(PanelArrow arrow) const {
    if (arrow == PlotSpeedLeftArrow)
        return layout_.speedLeftArrow;
    if (arrow == PlotSpeedRightArrow)
        return layout_.speedRightArrow;
    const ReadoutGeometry& g = layout_.readouts[ReadoutOf(arrow)];
    return IsUpArrow(arrow) ? g.upArrow : g.downArrow;
}

PanelArrow PanelInput::ArrowAt(Point p) const {
    for (int32_t a = 0; a < PanelArrowCount; ++a)
        if (ArrowRect(static_cast<PanelArrow>(a)).Contains(p))
            return static_cast<PanelArrow>(a);
    return NoPanelArrow;
}

bool PanelInput::ArrowWorks(PanelArrow arrow) const {
    const bool live = settings_.RunMode == 0;
    if (arrow == PlotSpeedLeftArrow || arrow == PlotSpeedRightArrow)
        return !live;
    if (!live)
        return false;
    const ReadoutId r = ReadoutOf(arrow);
    if ((r == SpeedReadout || r == SectorReadout) && settings_.GridMode == SS)
        return false;
    return true;
}

void PanelInput::LeftDown(Point p) {
    const bool live = settings_.RunMode == 0;
    if (layout_.holdArea.Contains(p)) {
        ToggleHold();
        return;
    }
    if (layout_.revArea.Contains(p)) {
        if (live)
            Rev();
        return;
    }
    if (layout_.reverseArea.Contains(p)) {
        if (!live)
            window_.ToggleReverse();
        return;
    }
    // While held, the head and the file stay as they are: no steps, no change of source.
    if (settings_.Hold != 0)
        return;
    const PanelArrow arrow = ArrowAt(p);
    if (arrow == PlotSpeedLeftArrow || arrow == PlotSpeedRightArrow) {
        if (ArrowWorks(arrow))
            Press(arrow);
        return;
    }
    if (layout_.fileButton.Contains(p)) {
        window_.SelectSource(true);
        return;
    }
    if (layout_.headButton.Contains(p)) {
        window_.SelectSource(false);
        return;
    }
    if (arrow != NoPanelArrow && ArrowWorks(arrow))
        Press(arrow);
}

void PanelInput::Press(PanelArrow arrow) {
    Release();
    held_ = arrow;
    input_.PanelButtonState[arrow] = 0;
    window_.DrawArrow(arrow, true);
    if (!Step(arrow) || AtLimit(arrow)) {
        Release();
        return;
    }
    window_.StartRepeatTimer(input_.RepeatDelay);
    input_.RepeatDelay = RepeatNextDelay;
}

void PanelInput::Release() {
    if (held_ == NoPanelArrow)
        return;
    const PanelArrow arrow = held_;
    held_ = NoPanelArrow;
    input_.PanelButtonState[arrow] = 1;
    window_.DrawArrow(arrow, false);
    window_.StopRepeatTimer();
    input_.RepeatDelay = RepeatFirstDelay;
}

void PanelInput::LeftUp() {
    Release();
}

void PanelInput::Move(Point p) {
    if (held_ != NoPanelArrow && !ArrowRect(held_).Contains(p))
        Release();
}

void PanelInput::RepeatTick() {
    if (held_ == NoPanelArrow)
        return;
    // A mode switch or Hold in between ends the repeat as a release would.
    if (!ArrowWorks(held_) || settings_.Hold != 0 || !Step(held_) || AtLimit(held_)) {
        Release();
        return;
    }
    window_.StartRepeatTimer(input_.RepeatDelay);
}

bool PanelInput::AtLimit(PanelArrow arrow) const {
    const bool up = IsUpArrow(arrow);
    switch (arrow) {
        case RangeUpArrow:
        case RangeDownArrow:
            return settings_.Range ==
                   (up ? settings_.HighestRangeIndex : settings_.LowestRangeIndex);
        case GainUpArrow:
        case GainDownArrow:
            return settings_.Gain == (up ? MaxGain : 0);
        case SpeedUpArrow:
        case SpeedDownArrow:
            return settings_.Speed == (up ? Fastest : Slow);
        case ModeUpArrow:
        case ModeDownArrow:
            return settings_.GridMode == (up ? SS : Sector);
        case TrainUpArrow:
        case TrainDownArrow:
            return settings_.GridMode == SS &&
                   settings_.SSTrain == (up ? StbdChannel : PortChannel);
        case PlotSpeedRightArrow:
            return settings_.PlotSpeed > 99;
        case PlotSpeedLeftArrow:
            return settings_.PlotSpeed < 1;
        default:
            return false;  // sector and train wrap
    }
}

// ---- Steps --------------------------------------------------------------------------------

bool PanelInput::Step(PanelArrow arrow) {
    const int32_t sign = IsUpArrow(arrow) ? 1 : -1;
    switch (arrow) {
        case RangeUpArrow:
        case RangeDownArrow:
            return StepRange(sign);
        case GainUpArrow:
        case GainDownArrow:
            return StepGain(sign);
        case SpeedUpArrow:
        case SpeedDownArrow:
            return StepSpeed(sign);
        case SectorUpArrow:
        case SectorDownArrow:
            return StepSector(sign);
        case TrainUpArrow:
        case TrainDownArrow:
            return StepTrain(sign);
        case ModeUpArrow:
        case ModeDownArrow:
            return StepMode(sign);
        case PlotSpeedLeftArrow:
            return StepPlotSpeed(false);
        case PlotSpeedRightArrow:
            return StepPlotSpeed(true);
        default:
            return false;
    }
}

bool PanelInput::StepRange(int32_t delta) {
    const int32_t next = settings_.Range + delta;
    if (next < settings_.LowestRangeIndex || next > settings_.HighestRangeIndex)
        return false;
    ApplyRangeIndex(settings_, next);
    settings_.ParametersChanged = 1;
    window_.ClearImageAndHistory();
    if (settings_.GridMode != SS)
        window_.RedrawImage();
    if (settings_.Grid)
        window_.DrawGridLabel();
    window_.DrawReadout(RangeReadout);
    settings_.ClearRequest = 1;
    return true;
}

bool PanelInput::StepGain(int32_t delta) {
    const int32_t next = settings_.Gain + delta;
    if (next < 0 || next > MaxGain)
        return false;
    settings_.Gain = next;
    settings_.ParametersChanged = 1;
    window_.DrawReadout(GainReadout);
    return true;
}

bool PanelInput::StepSpeed(int32_t delta) {
    const int32_t next = settings_.Speed + delta;
    if (next < Slow || next > Fastest)
        return false;
    settings_.Speed = next;
    settings_.ParametersChanged = 1;
    window_.DrawReadout(SpeedReadout);
    return true;
}

bool PanelInput::StepSector(int32_t delta) {
    const int32_t old = settings_.SectorSize;
    const int32_t max = MaxSectorWidth(settings_.GridMode);
    int32_t next = old + delta * SectorStep;
    if (next > max)
        next = 0;
    if (next < 0)
        next = max;
    settings_.SectorSize = next;
    imaging_.PreviousSectorSize = old;
    settings_.ParametersChanged = 1;
    if (delta < 0)
        settings_.FormatCheckRequest = 1;
    ShowSector();
    return true;
}

bool PanelInput::StepTrain(int32_t delta) {
    if (settings_.GridMode == SS) {
        const int32_t next = delta > 0 ? StbdChannel : PortChannel;
        if (settings_.SSTrain == next)
            return false;
        settings_.SSTrain = next;
        ShowTrain();
        return true;
    }
    int32_t next = settings_.Train + delta * TrainStep;
    if (next >= 360)
        next -= 360;
    if (next < 0)
        next += 360;
    settings_.Train = next;
    ShowTrain();
    settings_.ClearRequest = 1;
    settings_.ParametersChanged = 1;
    return true;
}

bool PanelInput::StepMode(int32_t delta) {
    const int32_t mode = settings_.GridMode;
    const int32_t next = mode + delta;
    if (next < Sector || next > SS)
        return false;
    // The width in use goes back to the mode being left.
    if (mode == Sector)
        settings_.SectorSectorSize = settings_.SectorSize.Get();
    else if (mode == Polar)
        settings_.PolarSectorSize = settings_.SectorSize.Get();
    settings_.ClearRequest = 1;
    settings_.GridMode = next;
    if (mode == SS || next == SS) {
        window_.RepaintReadouts();
        if (next == SS && settings_.ProfileGrid == 1)
            window_.ToggleProfileGrid();
    }
    imaging_.PreviousSectorSize = settings_.SectorSize.Get();
    switch (next) {
        case Sector:
        case Profile:
            settings_.SectorSize = std::min(settings_.SectorSectorSize.Get(), SectorModeMaxWidth);
            settings_.Train = sectorTrain_;
            break;
        case Polar:
            settings_.SectorSize = settings_.PolarSectorSize.Get();
            settings_.Train = polarTrain_;
            break;
        case SS:
            settings_.SectorSize = 0;
            if (settings_.SSChannel == PortChannel)
                settings_.Train = 270;
            else if (settings_.SSChannel == StbdChannel)
                settings_.Train = 90;
            window_.EndMeasurement();
            input_.MeasureMode = 0;
            break;
    }
    ShowSector();
    window_.RedrawImage();
    if (settings_.Grid)
        window_.DrawGridLabel();
    ShowMode();
    window_.DrawReadout(SpeedReadout);
    return true;
}

bool PanelInput::StepPlotSpeed(bool right) {
    const int32_t before = settings_.PlotSpeed;
    if (right)
        PlaybackSpeedStrip::StepRight(settings_.PlotSpeed);
    else
        PlaybackSpeedStrip::StepLeft(settings_.PlotSpeed);
    if (settings_.PlotSpeed == before)
        return false;
    window_.DrawPlaybackSpeed();
    return true;
}

// ---- Readout side effects -----------------------------------------------------------------

void PanelInput::ShowSector() {
    window_.DrawReadout(SectorReadout);
    const int32_t mode = settings_.GridMode;
    if (mode == Sector || mode == Profile)
        settings_.SectorSectorSize = settings_.SectorSize.Get();
    else if (mode == Polar)
        settings_.PolarSectorSize = settings_.SectorSize.Get();
    if (mode != SS && settings_.SectorSize == 360)
        settings_.Train = 0;
    ShowTrain();
    window_.DrawSectorDial();
}

void PanelInput::RememberTrain() {
    const int32_t mode = settings_.GridMode;
    if (mode == Sector || mode == Profile)
        sectorTrain_ = settings_.Train;
    else if (mode == Polar)
        polarTrain_ = settings_.Train;
}

void PanelInput::ShowTrain() {
    if (settings_.GridMode != SS) {
        if (settings_.SectorSize == 360)
            settings_.Train = 0;
        window_.DrawReadout(TrainReadout);
        RememberTrain();
    } else {
        window_.DrawReadout(TrainReadout);
        const int32_t oldChannel = settings_.SSChannel;
        const int32_t channel = settings_.SSTrain;
        const bool grid = settings_.Grid != 0 && oldChannel != channel;
        if (grid) {
            // Erase the grid of the old channel before drawing the new one.
            settings_.Grid = 0;
            window_.GridPass();
            settings_.Grid = 1;
        }
        settings_.SSChannel = channel;
        settings_.SectorSize = 0;
        if (channel == PortChannel)
            settings_.Train = 270;
        else if (channel == StbdChannel)
            settings_.Train = 90;
        settings_.ParametersChanged = 1;
        if (grid)
            window_.GridPass();
    }
    window_.DrawSectorDial();
    window_.RefreshMeasureReadouts();
}

void PanelInput::ShowMode() {
    window_.DrawReadout(ModeReadout);
    ApplyModeMenuState();
    window_.DrawReadout(RangeReadout);
    if (settings_.RunMode == 0 && settings_.GridMode != lastModeSent_) {
        lastModeSent_ = settings_.GridMode;
        settings_.ParametersChanged = 1;
    }
}

void PanelInput::ApplyModeMenuState() {
    if (settings_.GridMode == SS) {
        menu_.Enable(IdProfileGrid, false);
        menu_.Enable(IdZeroDown, false);
    } else {
        menu_.Enable(IdProfileGrid, true);
        menu_.Enable(IdZeroDown, settings_.ProfileGrid == 1);
    }
}

// ---- Buttons ------------------------------------------------------------------------------

void PanelInput::ToggleHold() {
    const bool live = settings_.RunMode == 0;
    const bool on = settings_.Hold == 0;
    settings_.Hold = on ? 1 : 0;
    window_.DrawHold();
    // The transducer position is not changed under a held head; in playback the items stay
    // greyed as the file mode has them.
    menu_.Enable(IdXdcrUp, !on && live);
    menu_.Enable(IdXdcrDown, !on && live);
    if (live)
        settings_.ParametersChanged = 1;  // the hold bit goes out with the next command
    if (on)
        Release();
}

void PanelInput::Rev() {
    if (settings_.RunMode != 0)
        return;
    window_.DrawRev(true);
    settings_.OneShotRequest = 1;
    settings_.ParametersChanged = 1;
    window_.DrawRev(false);
}

// ---- Keyboard -----------------------------------------------------------------------------

void PanelInput::StartEntry(int32_t mode) {
    EndEntry();
    input_.KeyEntryMode = mode;
    window_.ShowKeyboardEntry(KeyEntryBoxText(input_, settings_.Units));
}

void PanelInput::EndEntry() {
    const bool open = input_.KeyEntryMode != NoKeyEntry;
    input_.KeyEntryText.fill(0);
    input_.KeyEntryCount = 0;
    input_.KeyEntryMode = NoKeyEntry;
    if (open)
        window_.ClearKeyboardEntry();
}

void PanelInput::ApplyEntry() {
    if (input_.KeyEntryCount == 0)
        return;
    // Typed with a point in every locale, like every number of the panel.
    const int32_t value = static_cast<int32_t>(ParseIniFloat(input_.KeyEntryText.data()));
    if (input_.KeyEntryMode == RangeKeyEntry) {
        const int32_t index = RangeIndexForTypedValue(value, settings_.Units);
        if (index >= 0)
            settings_.Range = index;
        else
            window_.Warn(KeyboardRangeTitle,
                         settings_.Units == Feet ? KeyboardRangeFeetText : KeyboardRangeMetresText);
        if (settings_.Grid)
            window_.DrawGridLabel();
        window_.DrawReadout(RangeReadout);
        settings_.ClearRequest = 1;
        window_.RefreshMeasureReadouts();
    } else if (input_.KeyEntryMode == GainKeyEntry) {
        if (value >= 0 && value <= MaxGain) {
            settings_.Gain = value;
            window_.DrawReadout(GainReadout);
        } else {
            window_.Warn(KeyboardGainTitle, KeyboardGainText);
        }
    }
}

void PanelInput::Char(char32_t c) {
    const bool live = settings_.RunMode == 0;
    if (c >= 'a' && c <= 'z')
        c = c - 'a' + 'A';
    switch (c) {
        case 'R':
            if (live)
                StartEntry(RangeKeyEntry);
            return;
        case 'G':
            if (live)
                StartEntry(GainKeyEntry);
            return;
        case 'H':
            ToggleHold();
            return;
        case 'C':
            window_.ClearImageAndHistory();
            window_.RedrawImage();
            return;
        case ' ':
            if (live)
                Rev();
            else
                window_.ToggleReverse();
            return;
        default:
            break;
    }
    if (!live || input_.KeyEntryMode == NoKeyEntry)
        return;
    if ((c >= '0' && c <= '9') || c == '.') {
        if (input_.KeyEntryCount < KeyEntryMaxChars) {
            input_.KeyEntryText[input_.KeyEntryCount++] = static_cast<char>(c);
            input_.KeyEntryText[input_.KeyEntryCount] = 0;
            window_.ShowKeyboardEntry(KeyEntryBoxText(input_, settings_.Units));
        }
    } else if (c == '\r' || c == '\n') {
        ApplyEntry();
        EndEntry();
    } else if (c == 0x1b) {
        EndEntry();
    }
}

void PanelInput::KeyDown(InputKey key) {
    if (key != InputKey::Other) {
        const Point at = window_.PointerPosition();
        float x = static_cast<float>(at.x), y = static_cast<float>(at.y);
        const float step = input_.CursorStep;
        if (key == InputKey::Left)
            x -= step;
        else if (key == InputKey::Right)
            x += step;
        else if (key == InputKey::Up)
            y -= step;
        else
            y += step;
        window_.SetPointerPosition({static_cast<int32_t>(x), static_cast<int32_t>(y)});
    }
    input_.CursorStep = std::min(input_.CursorStep + 0.5f, CursorStepMax);
}

void PanelInput::KeyUp() {
    input_.CursorStep = CursorStepRest;
}

}  // namespace tarvisk
