#include "display/status_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "settings/settings_tables.h"

namespace tarvisk {

namespace {

constexpr float DegreesToRadians = Pi / 180.0f;

int32_t Round(float v) {
    return static_cast<int32_t>(std::floor(v + 0.5f));
}

bool HangingView(const SonarSettings& s) {
    return s.ProfileGrid == 1 && s.ZeroDown == 0 && s.GridMode != SS;
}

}  // namespace

std::string ReadoutText(const SonarSettings& s, ReadoutId readout) {
    const bool sideScan = s.GridMode == SS;
    char text[32];
    switch (readout) {
        case RangeReadout:
            return std::string(RangeLabel(s));
        case ModeReadout:
            return std::string(DisplayModeLabels[std::clamp<int32_t>(s.GridMode, 0, 3)]);
        case GainReadout:
            std::snprintf(text, sizeof text, "%d dB", static_cast<int>(s.Gain));
            return text;
        case SpeedReadout:
            if (sideScan)
                return std::string(NotAvailableText);
            return std::string(SpeedLabels[std::clamp<int32_t>(s.Speed, 0, 4)]);
        case SectorReadout:
            if (sideScan)
                return std::string(NotAvailableText);
            std::snprintf(text, sizeof text, "%d Dg", static_cast<int>(s.SectorSize));
            return text;
        case TrainReadout:
            if (sideScan)
                return std::string(SideScanChannelLabels[std::clamp<int32_t>(s.SSTrain, 0, 2)]);
            std::snprintf(text, sizeof text, "%d Dg", static_cast<int>(s.Train));
            return text;
        default:
            return {};
    }
}

std::string FrequencyText(int32_t kilohertz) {
    char text[32];
    if (kilohertz >= 1000)
        std::snprintf(text, sizeof text, "%5.3f MHz", kilohertz * 0.001);
    else
        std::snprintf(text, sizeof text, "%d kHz", static_cast<int>(kilohertz));
    return text;
}

std::string_view GridLabelText(const SonarSettings& s) {
    if (s.Grid == 0)
        return "Grid Off";
    const bool tableB = s.GridMode == SS && s.SSChannel == BothChannels;
    const bool feet = s.Units == Feet;
    const GridLabelTable& table = tableB ? (feet ? GridLabelsFeetB : GridLabelsMetresB)
                                         : (feet ? GridLabelsFeetA : GridLabelsMetresA);
    return table[std::clamp<int32_t>(s.Range, 0, GridLabelCount - 1)];
}

int32_t PlotSpeedBarLength(int32_t plotSpeed) {
    return std::clamp(static_cast<int32_t>(plotSpeed * 0.01f * 68.0f), 0, 68);
}

StatusPanel::StatusPanel(SonarSettings& settings, DrawSurface& surface, const PanelLayout& layout,
                         const ShotRecord& shot, const SonarImage& image, ImagingState& imaging)
    : settings_(settings),
      surface_(surface),
      layout_(layout),
      shot_(shot),
      image_(image),
      imaging_(imaging) {
    ResetPlaybackRefresh();
}

void StatusPanel::ShadowText(int32_t x, int32_t y, std::string_view text, PaletteColour colour,
                             PaletteColour shadow, TextFont font) {
    surface_.DrawText(x + 1, y + 1, text, shadow, font);
    surface_.DrawText(x, y, text, colour, font);
}

// Arrow buttons are drawn in the style of a scroll-bar arrow: a raised grey face with a
// black triangle, sunken when pressed, a greyed embossed triangle when inactive.
void StatusPanel::DrawArrow(const Rect& r, ArrowDirection dir, ArrowLook look) {
    surface_.FillRect(r, PanelLightGrey);
    const int32_t l = r.left, t = r.top, rr = r.right - 1, b = r.bottom - 1;
    if (look == ArrowLook::Pressed) {
        surface_.DrawRect(r, PanelMidGrey, NoColour);
    } else {
        surface_.DrawLine({l, b}, {l, t}, WhiteColour);
        surface_.DrawLine({l, t}, {rr, t}, WhiteColour);
        surface_.DrawLine({rr, t}, {rr, b}, PanelBlack);
        surface_.DrawLine({l, b}, {rr + 1, b}, PanelBlack);
        surface_.DrawLine({rr - 1, t + 1}, {rr - 1, b - 1}, PanelMidGrey);
        surface_.DrawLine({l + 1, b - 1}, {rr, b - 1}, PanelMidGrey);
    }
    const int32_t shift = look == ArrowLook::Pressed ? 1 : 0;
    const int32_t cx = (l + rr) / 2 + shift;
    const int32_t cy = (t + b) / 2 + shift;
    const int32_t half = std::max(2, std::min(r.Width(), r.Height()) / 4);
    Point tri[3];
    switch (dir) {
        case ArrowDirection::Up:
            tri[0] = {cx - half, cy + half / 2};
            tri[1] = {cx + half, cy + half / 2};
            tri[2] = {cx, cy - half / 2 - 1};
            break;
        case ArrowDirection::Down:
            tri[0] = {cx - half, cy - half / 2};
            tri[1] = {cx + half, cy - half / 2};
            tri[2] = {cx, cy + half / 2 + 1};
            break;
        case ArrowDirection::Left:
            tri[0] = {cx + half / 2, cy - half};
            tri[1] = {cx + half / 2, cy + half};
            tri[2] = {cx - half / 2 - 1, cy};
            break;
        case ArrowDirection::Right:
            tri[0] = {cx - half / 2, cy - half};
            tri[1] = {cx - half / 2, cy + half};
            tri[2] = {cx + half / 2 + 1, cy};
            break;
    }
    if (look == ArrowLook::Inactive) {
        Point shadow[3] = {{tri[0].x + 1, tri[0].y + 1},
                           {tri[1].x + 1, tri[1].y + 1},
                           {tri[2].x + 1, tri[2].y + 1}};
        surface_.DrawPolygon(shadow, 3, WhiteColour, WhiteColour);
        surface_.DrawPolygon(tri, 3, PanelMidGrey, PanelMidGrey);
    } else {
        surface_.DrawPolygon(tri, 3, PanelBlack, PanelBlack);
    }
}

// Hold, Rev and Reverse are square check boxes: a sunken white box, with a check mark when
// on or pressed.
void StatusPanel::DrawCheckCell(Point at, bool on) {
    const PanelMetrics& m = layout_.metrics;
    const Rect cell{at.x, at.y, at.x + m.CheckBoxWidth, at.y + m.CheckBoxHeight};
    const int32_t l = cell.left, t = cell.top, r = cell.right - 1, b = cell.bottom - 1;
    surface_.FillRect(cell, WhiteColour);
    surface_.DrawLine({l, b}, {l, t}, PanelMidGrey);
    surface_.DrawLine({l, t}, {r + 1, t}, PanelMidGrey);
    surface_.DrawLine({l + 1, b - 1}, {l + 1, t + 1}, PanelBlack);
    surface_.DrawLine({l + 1, t + 1}, {r, t + 1}, PanelBlack);
    surface_.DrawLine({l, b}, {r + 1, b}, PanelLightGrey);
    surface_.DrawLine({r, t}, {r, b}, PanelLightGrey);
    if (on) {
        // A tick: down from the left third, then up to the right edge, three pixels thick.
        const int32_t w = m.CheckBoxWidth;
        const int32_t x0 = l + 3, y0 = t + w / 2 - 1;
        const int32_t x1 = l + w / 2 - 1, y1 = b - 3;
        const int32_t x2 = r - 3, y2 = t + 3;
        for (int32_t d = 0; d < 3; ++d) {
            surface_.DrawLine({x0, y0 + d}, {x1, y1 + d}, PanelBlack);
            surface_.DrawLine({x1, y1 + d}, {x2 + 1, y2 + d - 1}, PanelBlack);
        }
    }
}

void StatusPanel::DrawButton(const Rect& r, std::string_view text, bool pressed) {
    surface_.FillRect(r, PanelLightGrey);
    const int32_t l = r.left, t = r.top, rr = r.right - 1, b = r.bottom - 1;
    if (pressed) {
        surface_.DrawLine({l, b}, {l, t}, PanelMidGrey);
        surface_.DrawLine({l, t}, {rr + 1, t}, PanelMidGrey);
    } else {
        surface_.DrawLine({l, b}, {l, t}, WhiteColour);
        surface_.DrawLine({l, t}, {rr, t}, WhiteColour);
        surface_.DrawLine({rr, t}, {rr, b}, PanelMidGrey);
        surface_.DrawLine({l, b}, {rr + 1, b}, PanelMidGrey);
    }
    const Size ext = surface_.TextExtent(text, TextFont::Default);
    const int32_t shift = pressed ? 1 : 0;
    surface_.DrawText(l + (r.Width() - ext.width) / 2 + shift,
                      t + (r.Height() - ext.height) / 2 + shift, text, PanelBlack,
                      TextFont::Default);
}

ArrowLook StatusPanel::ReadoutArrowLook(ReadoutId readout, bool pressed) const {
    if (settings_.RunMode == 1)
        return ArrowLook::Inactive;
    if (settings_.GridMode == SS && (readout == SpeedReadout || readout == SectorReadout))
        return ArrowLook::Inactive;
    return pressed ? ArrowLook::Pressed : ArrowLook::Released;
}

void StatusPanel::DrawReadoutArrow(ReadoutId readout, bool up, bool pressed) {
    std::lock_guard lock(surface_.Mutex());
    const ReadoutGeometry& g = layout_.readouts[readout];
    const Rect& r = up ? g.upArrow : g.downArrow;
    DrawArrow(r, up ? ArrowDirection::Up : ArrowDirection::Down,
              ReadoutArrowLook(readout, pressed));
    Repaint(r);
}

void StatusPanel::DrawAllArrows() {
    for (int32_t i = 0; i < ReadoutCount; ++i) {
        DrawReadoutArrow(static_cast<ReadoutId>(i), true, false);
        DrawReadoutArrow(static_cast<ReadoutId>(i), false, false);
    }
}

void StatusPanel::DrawReadout(ReadoutId readout) {
    if (readout == RangeReadout) {
        DrawRangeReadout();
        return;
    }
    std::lock_guard lock(surface_.Mutex());
    const ReadoutGeometry& g = layout_.readouts[readout];
    surface_.DrawRect({g.box.left, g.box.top, g.box.right + 1, g.box.bottom + 1}, PanelBlack,
                      PanelMidGrey);
    const std::string text = ReadoutText(settings_, readout);
    const Size ext = surface_.TextExtent(text, TextFont::Default);
    const int32_t midX = g.origin.x + layout_.D / 2;
    const int32_t midY = g.origin.y + layout_.metrics.ArrowHeight;
    ShadowText(midX - ext.width / 2, midY - ext.height / 2, text, WhiteColour, PanelBlack,
               TextFont::Default);
    Repaint({g.box.left, g.box.top, g.box.right + 1, g.box.bottom + 1});
    if (readout == ModeReadout && onModeReadout)
        onModeReadout();
}

void StatusPanel::DrawRangeReadout() {
    ApplyRangeIndex(settings_, settings_.Range);
    if (onRangeApplied)
        onRangeApplied();
    std::lock_guard lock(surface_.Mutex());
    const ReadoutGeometry& g = layout_.readouts[RangeReadout];
    surface_.DrawRect({g.box.left, g.box.top, g.box.right + 1, g.box.bottom + 1}, PanelBlack,
                      PanelMidGrey);
    const std::string text = ReadoutText(settings_, RangeReadout);
    const Size ext = surface_.TextExtent(text, TextFont::Default);
    ShadowText(g.origin.x + layout_.D / 2 - ext.width / 2,
               g.origin.y + layout_.metrics.ArrowHeight - ext.height / 2, text, WhiteColour,
               PanelBlack, TextFont::Default);
    Repaint({g.box.left, g.box.top, g.box.right + 1, g.box.bottom + 1});
}

void StatusPanel::DrawFrequency() {
    std::lock_guard lock(surface_.Mutex());
    const bool playback = settings_.RunMode == 1;
    const Rect area = playback ? layout_.frequencyPlayback : layout_.frequencyLive;
    surface_.FillRect(area, PanelDarkGrey);
    const int32_t value = playback ? state_.FileFrequency.Get() : settings_.Frequency.Get();
    const std::string text = FrequencyText(value);
    surface_.DrawText(area.left + 2, area.top + 2, text, PanelBlack, TextFont::Default);
    surface_.DrawText(area.left + 1, area.top + 1, text, PanelGreen, TextFont::Default);
    if (!playback && settings_.ConfigType == 1) {
        const int32_t x = area.left + surface_.TextExtent(text, TextFont::Default).width + 6;
        surface_.DrawText(x + 1, area.top + 4, "(Auto)", PanelBlack, TextFont::Gui);
        surface_.DrawText(x, area.top + 3, "(Auto)", PanelYellowGreen, TextFont::Gui);
    }
    Repaint(area);
}

void StatusPanel::DrawUserText() {
    std::lock_guard lock(surface_.Mutex());
    const Rect& f = layout_.userTextField;
    surface_.DrawRect(f, PanelBlack, PanelMidGrey);
    const std::string text = settings_.UserText.Get();
    if (!text.empty()) {
        const Size ext = surface_.TextExtent(text, TextFont::System);
        const Rect clip{619, f.top, 772, f.bottom};
        surface_.DrawText(623, layout_.YC - 56 - ext.height, text, PanelBlack, TextFont::System,
                          &clip);
    }
    Repaint(f);
}

void StatusPanel::DrawDateTime(std::string_view text) {
    std::lock_guard lock(surface_.Mutex());
    const size_t n = std::min(text.size(), dateTime_.size() - 1);
    std::copy_n(text.data(), n, dateTime_.data());
    dateTime_[n] = '\0';
    RedrawDateTime();
}

void StatusPanel::RedrawDateTime() {
    const std::string_view text(dateTime_.data());
    const Rect& f = layout_.dateTimeField;
    surface_.DrawRect(f, PanelBlack, PanelMidGrey);
    if (!text.empty()) {
        const Size ext = surface_.TextExtent(text, TextFont::System);
        const Rect clip{f.left + 1, f.top + 1, f.right - 1, f.bottom - 1};
        surface_.DrawText((f.left + f.right - ext.width) / 2,
                          513 + (f.Height() - 3 - ext.height) / 2, text, PanelBlack,
                          TextFont::System, &clip);
    }
    Repaint(f);
}

void StatusPanel::ToggleActivityMark(bool show) {
    std::lock_guard lock(surface_.Mutex());
    activityOn_ = !activityOn_;
    surface_.FillRect(layout_.activityArea, PanelDarkGrey);
    if (activityOn_ && show) {
        const Size ext = surface_.TextExtent("*", TextFont::Default);
        surface_.DrawText(layout_.activityCentre.x - ext.width / 2, layout_.activityCentre.y, "*",
                          WhiteColour, TextFont::Default);
    }
    Repaint(layout_.activityArea);
}

void StatusPanel::ClearActivityMark() {
    std::lock_guard lock(surface_.Mutex());
    activityOn_ = false;
    surface_.FillRect(layout_.activityArea, PanelDarkGrey);
    Repaint(layout_.activityArea);
}

void StatusPanel::DrawSourceButtons() {
    std::lock_guard lock(surface_.Mutex());
    const bool playback = settings_.RunMode == 1;
    DrawButton(layout_.headButton, "HEAD", !playback);
    DrawButton(layout_.fileButton, "FILE", playback);
    Repaint({layout_.headButton.left, layout_.headButton.top, layout_.fileButton.right,
             layout_.fileButton.bottom});
}

void StatusPanel::DrawHold() {
    std::lock_guard lock(surface_.Mutex());
    DrawCheckCell({734, 4}, settings_.Hold != 0);
    Repaint({734, 4, 734 + layout_.metrics.CheckBoxWidth, 4 + layout_.metrics.CheckBoxHeight});
}

void StatusPanel::DrawRev(bool pressed) {
    if (settings_.RunMode == 1)
        return;
    std::lock_guard lock(surface_.Mutex());
    DrawCheckCell({734, 22}, pressed);
    Repaint({734, 22, 734 + layout_.metrics.CheckBoxWidth, 22 + layout_.metrics.CheckBoxHeight});
}

void StatusPanel::DrawPlaybackSpeed() {
    if (settings_.RunMode != 1)
        return;
    std::lock_guard lock(surface_.Mutex());
    surface_.DrawRect({266, 533, 337, 551}, PanelBlack, NoColour);
    const int32_t a = PlotSpeedBarLength(settings_.PlotSpeed);
    if (a > 0)
        surface_.FillRect({267, 534, 267 + a, 550}, PanelLightGrey);
    if (a + 268 < 336)
        surface_.FillRect({a + 268, 534, 336, 550}, PanelMidGrey);
    surface_.DrawText(275, 535, "Plot Speed", PanelBlack, TextFont::System);
    Repaint({266, 533, 337, 551});
}

void StatusPanel::DrawSpeedArrow(bool right, bool pressed) {
    if (settings_.RunMode != 1)
        return;
    std::lock_guard lock(surface_.Mutex());
    const Rect& r = right ? layout_.speedRightArrow : layout_.speedLeftArrow;
    DrawArrow(r, right ? ArrowDirection::Right : ArrowDirection::Left,
              pressed ? ArrowLook::Pressed : ArrowLook::Released);
    Repaint(r);
}

void StatusPanel::DrawReverse() {
    std::lock_guard lock(surface_.Mutex());
    const Rect area{361, 533, 432, 550};
    surface_.FillRect(area, PanelDarkGrey);
    if (settings_.RunMode == 1 && state_.ReverseAvailable != 0) {
        surface_.DrawText(378, 534, "Reverse", PanelBlack, TextFont::System);
        surface_.DrawText(377, 533, "Reverse", WhiteColour, TextFont::System);
        DrawCheckCell({361, 534}, state_.Reverse != 0);
    }
    Repaint(area);
}

void StatusPanel::ShowKeyboardEntry(std::string_view text) {
    std::lock_guard lock(surface_.Mutex());
    const Rect& k = layout_.keyboardEntry;
    const Size ext = surface_.TextExtent(text, TextFont::System);
    const Rect box{k.left, k.top, k.left + ext.width + 5, k.top + layout_.metrics.LineHeight};
    surface_.FillRect(box, PanelLightGrey);
    surface_.DrawText(k.left + 2, k.top + 1, text, PanelBlack, TextFont::System);
    Repaint(box);
}

void StatusPanel::ClearKeyboardEntry() {
    {
        std::lock_guard lock(surface_.Mutex());
        surface_.FillRect(layout_.keyboardEntry, PanelDarkGrey);
        Repaint(layout_.keyboardEntry);
    }
    DrawFrequency();
}

void StatusPanel::ShowAzimuthNotFound(bool shown) {
    std::lock_guard lock(surface_.Mutex());
    const Rect& a = layout_.azimuthNotFound;
    surface_.FillRect(a, PanelDarkGrey);
    if (shown) {
        constexpr std::string_view text = "Azimuth Drive Not Found";
        const Size ext = surface_.TextExtent(text, TextFont::Default);
        surface_.DrawText(301 - ext.width / 2, 534, text, WhiteColour, TextFont::Default, &a);
    }
    Repaint(a);
}

void StatusPanel::DrawStatusBox(std::string_view text, PaletteColour textColour, PaletteColour fill,
                                PaletteColour frame) {
    {
        std::lock_guard lock(surface_.Mutex());
        const Size ext = surface_.TextExtent(text, TextFont::Default);
        const int32_t w = ext.width;
        const Rect box{296 - w / 2, 512, 307 + w / 2, 515 + layout_.metrics.LineHeight};
        if (statusBox_.Width() > 0 &&
            (statusBox_.left < box.left || statusBox_.right > box.right)) {
            surface_.FillRect(statusBox_, PanelDarkGrey);
            Repaint(statusBox_);
        }
        statusBox_ = box;
        surface_.DrawRect(box, frame, fill);
        surface_.DrawText(301 - w / 2, 513, text, textColour, TextFont::Default);
        Repaint(box);
    }
    if (fill == textColour)
        DrawGridLabel();
}

void StatusPanel::ResetPlaybackRefresh() {
    remembered_.fill(1000);
}

void StatusPanel::PlaybackRefresh() {
    const std::array<int32_t, 7> now{settings_.Range, settings_.GridMode, settings_.Xdcr,
                                     settings_.Speed, settings_.Train,    settings_.SectorSize,
                                     settings_.Gain};
    const bool playback = settings_.RunMode == 1;
    if (playback) {
        const bool rangeChanged = now[0] != remembered_[0];
        const bool modeChanged = now[1] != remembered_[1];
        if (rangeChanged) {
            DrawRangeReadout();
            DrawGridLabel();
        }
        if (rangeChanged || modeChanged) {
            DrawReadout(ModeReadout);
            DrawReadout(SpeedReadout);
        } else if (now[3] != remembered_[3]) {
            DrawReadout(SpeedReadout);
        }
        if (now[4] != remembered_[4])
            DrawReadout(TrainReadout);
        if (now[5] != remembered_[5])
            DrawReadout(SectorReadout);
        // The dial shows the played sector and train as the readouts do.
        if (now[4] != remembered_[4] || now[5] != remembered_[5] || modeChanged)
            DrawSectorDial();
        if (now[6] != remembered_[6])
            DrawReadout(GainReadout);
    }
    if (now[2] != remembered_[2])
        DrawTransducerIcon();
    remembered_ = now;
}

void StatusPanel::DrawGridLabel() {
    const bool blocked =
        (azimuthPending_ && *azimuthPending_ != 0) || imaging_.WaitingForStart != 0;
    state_.GridLabelSuppressed = blocked ? 1 : 0;
    if (blocked)
        return;
    std::lock_guard lock(surface_.Mutex());
    const std::string_view text = GridLabelText(settings_);
    const Size ext = surface_.TextExtent(text, TextFont::System);
    const int32_t wide = 20 * layout_.metrics.SystemCharWidth;
    const Rect clearBox{301 - wide / 2, 512, 301 + wide / 2, 519 + ext.height};
    surface_.FillRect(clearBox, PanelDarkGrey);
    surface_.DrawRect({266, 513, 337, ext.height + 518}, PanelBlack, PanelMidGrey);
    surface_.DrawText(301 - ext.width / 2, 515, text, PanelBlack, TextFont::System);
    Repaint(clearBox);
}

Point StatusPanel::DialPoint(float degrees, float radius, bool round, bool flipBoth) const {
    if (degrees > 180.0f)
        degrees -= 360.0f;
    const float a = degrees * DegreesToRadians;
    float sx = std::sin(a);
    float cy = std::cos(a);
    if (HangingView(settings_)) {
        if (flipBoth)
            sx = -sx;
        cy = -cy;
    }
    const float x = layout_.XC + radius * sx;
    const float y = layout_.YC - radius * cy;
    if (round)
        return {Round(x), Round(y)};
    return {static_cast<int32_t>(x + 0.5f), static_cast<int32_t>(y + 0.5f)};
}

void StatusPanel::DrawSectorDial() {
    std::lock_guard lock(surface_.Mutex());
    const int32_t cx = layout_.XC, cy = layout_.YC, r = layout_.DialRadius;
    surface_.DrawEllipse({cx - r - 3, cy - r - 3, cx + r + 4, cy + r + 4}, PanelMidGrey,
                         PanelBlack);
    limits_ = ComputeSectorLimits(settings_);
    imaging_.FirstSectorLimit = limits_.first;
    imaging_.SecondSectorLimit = limits_.second;
    imaging_.SectorStartIndex = limits_.startIndex;
    if (settings_.SectorSize == 360) {
        surface_.DrawEllipse({cx - r, cy - r, cx + r + 1, cy + r + 1}, PanelBrightRed, PanelBlack);
    } else {
        const Point high = DialPoint(limits_.highAngle, static_cast<float>(r), true, true);
        const Point low = DialPoint(limits_.lowAngle, static_cast<float>(r), true, true);
        if (settings_.SectorSize == 0) {
            surface_.DrawLine({cx, cy}, high, PanelBrightRed);
        } else {
            // Counter-clockwise from the upper limit back to the lower one covers the sector.
            // The hanging view turns both ends half round, which keeps their order.
            surface_.DrawPie({cx - r, cy - r, cx + r, cy + r}, high, low, PanelBrightRed,
                             PanelBlack);
        }
    }
    // The markers ring the dial outside this drawing and stay where they are: the next
    // marker drawing erases them (a new dial does not, or they would stay for good).
    lastRotation_ = -1000.0f;
    Repaint({cx - r - 13, cy - r - 13, cx + r + 14, cy + r + 14});
}

void StatusPanel::DrawDialMarkers() {
    DrawDialMarkers(shot_.HeadAngleDegrees);
}

void StatusPanel::DrawDialMarkers(float bearingDegrees) {
    std::lock_guard lock(surface_.Mutex());
    const float outer = static_cast<float>(layout_.DialRadius + 8);
    auto disc = [&](Point c, int32_t radius, PaletteColour colour) {
        surface_.DrawEllipse({c.x - radius, c.y - radius, c.x + radius + 1, c.y + radius + 1},
                             colour, colour);
    };
    if (bearingMarkerDrawn_)
        disc(bearingMarker_, 4, PanelMidGrey);
    const float rotation = settings_.RotateAngle;
    const Point rotationAt = DialPoint(rotation, outer, false, false);
    // The hanging view moves the marker without a new angle: compare where it is drawn.
    if (rotationMarkerDrawn_ && (rotation != lastRotation_ || rotationAt != rotationMarker_))
        disc(rotationMarker_, 3, PanelMidGrey);
    rotationMarker_ = rotationAt;
    lastRotation_ = rotation;
    disc(rotationMarker_, 2, PanelLightGrey);
    rotationMarkerDrawn_ = true;
    bearingMarker_ = DialPoint(bearingDegrees, outer, false, false);
    disc(bearingMarker_, 3, PanelBrightRed);
    bearingMarkerDrawn_ = true;
    Repaint(layout_.overlayBox);
}

void StatusPanel::DrawTransducerIcon() {
    std::lock_guard lock(surface_.Mutex());
    // The captions may be a little wider than the icon's box: clear and clip to the inside of
    // the overlay frame, so a shorter caption leaves nothing of a longer one behind.
    const Rect& b = layout_.transducerBox;
    const Rect area{b.left, b.top, std::max(b.right, layout_.overlayBox.right - 1), b.bottom};
    surface_.FillRect(area, PanelMidGrey);
    const bool profileGrid = settings_.ProfileGrid == 1;
    const bool up = settings_.Xdcr == XdcrUp;
    const std::string_view top =
        profileGrid ? (up ? "Xdcr Aft" : "Xdcr Fwd") : (up ? "Xdcr Up" : "Xdcr Down");
    const int32_t mid = (b.left + b.right) / 2;
    const Size topExt = surface_.TextExtent(top, TextFont::System);
    surface_.DrawText(mid - topExt.width / 2, b.top + 1, top, PanelBlack, TextFont::System, &area);
    const int32_t cy = (b.top + b.bottom) / 2 + 1;
    if (profileGrid) {
        const Rect housing{mid - 14, cy - 8, mid + 15, cy + 9};
        surface_.DrawEllipse(housing, PanelBlack, up ? PanelBrightRed : PanelDarkGrey);
        const int32_t wy = settings_.ZeroDown == 0 ? housing.top - 3 : housing.bottom - 1;
        surface_.FillRect({mid - 5, wy, mid + 6, wy + 4}, PanelBlack);
        const std::string_view bottom = settings_.ZeroDown == 0 ? "Zero Down" : "Zero Up";
        const Size ext = surface_.TextExtent(bottom, TextFont::System);
        surface_.DrawText(mid - ext.width / 2, b.bottom - ext.height - 1, bottom, PanelBlack,
                          TextFont::System, &area);
    } else {
        // An upright housing; the transducer window sits at the end that faces the scene.
        const Rect housing{mid - 6, cy - 14, mid + 7, cy + 18};
        surface_.DrawRect(housing, PanelBlack, PanelBrightRed);
        if (up) {
            surface_.DrawEllipse({mid - 8, housing.top - 8, mid + 9, housing.top + 6}, PanelBlack,
                                 PanelBrightRed);
            surface_.FillRect({mid - 4, housing.top - 6, mid + 5, housing.top - 3}, PanelBlack);
        } else {
            surface_.DrawEllipse({mid - 8, housing.bottom - 6, mid + 9, housing.bottom + 8},
                                 PanelBlack, PanelBrightRed);
            surface_.FillRect({mid - 4, housing.bottom + 3, mid + 5, housing.bottom + 6},
                              PanelBlack);
        }
        surface_.FillRect({mid - 1, cy - 10, mid + 2, cy + 12}, PanelBlack);
    }
    Repaint(area);
}

void StatusPanel::DrawMagnifierFrame() {
    std::lock_guard lock(surface_.Mutex());
    const Rect& m = layout_.magnifier;
    const Rect frame{m.left - 1, m.top - 1, m.right + 1, m.bottom + 1};
    if (settings_.PixelZoom == 1)
        surface_.DrawRect(frame, PanelMidGrey, 0);
    else
        surface_.FillRect(frame, PanelDarkGrey);
    Repaint(frame);
}

void StatusPanel::RefreshMagnifier(Point centre) {
    if (settings_.PixelZoom != 1)
        return;
    std::lock_guard lock(surface_.Mutex());
    magnifierCentre_ = ClampMagnifierCentre(centre);
    const Rect source{magnifierCentre_.x - MagnifierHalf, magnifierCentre_.y - MagnifierHalf,
                      magnifierCentre_.x + MagnifierHalf, magnifierCentre_.y + MagnifierHalf};
    surface_.StretchCopy(source, layout_.magnifier);
    Repaint(layout_.magnifier);
}

bool StatusPanel::MagnifierSees(const ImageRect& changed) const {
    const int32_t left = ImageOrigin.x + changed.x, top = ImageOrigin.y + changed.y;
    return left < magnifierCentre_.x + MagnifierHalf &&
           magnifierCentre_.x - MagnifierHalf < left + changed.width &&
           top < magnifierCentre_.y + MagnifierHalf &&
           magnifierCentre_.y - MagnifierHalf < top + changed.height;
}

void StatusPanel::CopyImageToWindow() {
    std::lock_guard imageLock(image_.Mutex());
    std::lock_guard lock(surface_.Mutex());
    surface_.DrawIndexedImage(ImageOrigin, image_.pixels.data(), ImageWidth, ImageHeight,
                              ImageWidth);
    if (onWholeImageCopied)
        onWholeImageCopied();
    Repaint(
        {ImageOrigin.x, ImageOrigin.y, ImageOrigin.x + ImageWidth, ImageOrigin.y + ImageHeight});
}

void StatusPanel::CopyImageToWindow(const ImageRect& changed) {
    const int32_t left = std::clamp(changed.x, 0, ImageWidth);
    const int32_t top = std::clamp(changed.y, 0, ImageHeight);
    const int32_t right = std::clamp(changed.x + changed.width, left, ImageWidth);
    const int32_t bottom = std::clamp(changed.y + changed.height, top, ImageHeight);
    if (right <= left || bottom <= top)
        return;
    std::lock_guard imageLock(image_.Mutex());
    std::lock_guard lock(surface_.Mutex());
    surface_.DrawIndexedImage(
        {ImageOrigin.x + left, ImageOrigin.y + top},
        image_.pixels.data() + static_cast<ptrdiff_t>(top) * ImageWidth + left, right - left,
        bottom - top, ImageWidth);
    Repaint(
        {ImageOrigin.x + left, ImageOrigin.y + top, ImageOrigin.x + right, ImageOrigin.y + bottom});
}

void StatusPanel::DrawColourBar() {
    std::lock_guard lock(surface_.Mutex());
    const auto& indexes = ColourBarIndexes();
    for (int32_t i = 0; i < ColourBarRows; ++i) {
        const int32_t y = ColourBarTop + i;
        surface_.FillRect({ColourBarLeft, y, ColourBarLeft + ColourBarWidth, y + 1}, indexes[i]);
    }
    // A new colour table changes the bar's colours, not its indexes: show it again.
    Repaint({ColourBarLeft, ColourBarTop, ColourBarLeft + ColourBarWidth,
             ColourBarTop + ColourBarRows});
}

void StatusPanel::DrawLabels() {
    for (int32_t i = 0; i < ReadoutCount; ++i) {
        static constexpr std::array<std::string_view, ReadoutCount> labels{
            "Range", "Mode", "Gain", "Speed", "Sector", "Train"};
        const ReadoutGeometry& g = layout_.readouts[i];
        ShadowText(g.labelAt.x, g.labelAt.y, labels[i], WhiteColour, PanelBlack, TextFont::Default);
    }
}

void StatusPanel::PaintAll() {
    PaintPanel();
    // The picture's lock comes before the surface's, as on the shot path: the surface's
    // lock is not held here.
    CopyImageToWindow();
    std::lock_guard lock(surface_.Mutex());
    DrawGridLabel();
    if (settings_.PixelZoom == 1)
        RefreshMagnifier();
    const Size client = surface_.ClientSize();
    Repaint({0, 0, client.width, client.height});
}

void StatusPanel::PaintPanel() {
    std::lock_guard lock(surface_.Mutex());
    const Size client = surface_.ClientSize();
    surface_.FillRect({0, 0, client.width, client.height}, PanelDarkGrey);
    // Right and bottom edges exclusive: the frame ends at (599, 509), beside the colour bar.
    surface_.DrawRect({2, 2, 600, 510}, PanelLightGrey, 0);
    surface_.FillRect(layout_.logoBackground, PanelDarkGrey);
    surface_.DrawLogo(layout_.logo);
    DrawColourBar();
    for (int32_t i = 0; i < ReadoutCount; ++i) {
        const ReadoutGeometry& g = layout_.readouts[i];
        surface_.DrawRect({g.box.left, g.box.top, g.box.right + 1, g.box.bottom + 1}, PanelBlack,
                          PanelMidGrey);
    }
    DrawUserText();
    DrawFrequency();
    surface_.DrawRect(layout_.overlayBox, PanelBlack, PanelMidGrey);
    DrawSectorDial();
    DrawMagnifierFrame();
    DrawTransducerIcon();
    ShadowText(624, 2, "DATA FROM", WhiteColour, PanelBlack, TextFont::Default);
    DrawSourceButtons();
    DrawLabels();
    ShadowText(750, 3, "Hold", WhiteColour, PanelBlack, TextFont::Default);
    if (settings_.RunMode == 0)
        ShadowText(750, 21, "Rev", WhiteColour, PanelBlack, TextFont::Default);
    DrawRangeReadout();
    DrawReadout(SpeedReadout);
    DrawReadout(SectorReadout);
    DrawReadout(GainReadout);
    DrawReadout(TrainReadout);
    DrawReadout(ModeReadout);
    ResetPlaybackRefresh();
    PlaybackRefresh();
    if (onPaintGps)
        onPaintGps();
    DrawAllArrows();
    DrawHold();
    if (settings_.RunMode == 0) {
        DrawRev(false);
    } else {
        DrawPlaybackSpeed();
        DrawSpeedArrow(false, false);
        DrawSpeedArrow(true, false);
        DrawReverse();
    }
    RedrawDateTime();
    ClearActivityMark();
}

}  // namespace tarvisk
