#include "display/panel_layout.h"

#include <algorithm>

namespace tarvisk {

namespace {

ReadoutGeometry Readout(const PanelLayout& l, int32_t x, int32_t y) {
    const PanelMetrics& m = l.metrics;
    ReadoutGeometry g;
    g.origin = {x, y};
    g.box = {x, y - 1, x + l.D, y + 2 * m.ArrowHeight};
    g.upArrow = {x + l.D, y, x + l.D + m.ArrowWidth, y + m.ArrowHeight};
    g.downArrow = {x + l.D, y + m.ArrowHeight, x + l.D + m.ArrowWidth, y + 2 * m.ArrowHeight};
    g.labelAt = {x + 1, y - 1 - m.LineHeight};
    return g;
}

}  // namespace

PanelLayout ComputePanelLayout(const PanelMetrics& m) {
    PanelLayout l;
    l.metrics = m;
    l.D = 6 * m.CharWidth + 4;
    l.X1 = 619;
    l.X2 = 6 * m.CharWidth + m.ArrowWidth + 631;
    const int32_t rowStep = 2 * m.ArrowHeight + m.LineHeight + 3;
    l.Y1 = 83;
    l.Y2 = l.Y1 + rowStep;
    l.Y3 = l.Y2 + rowStep;
    l.Y4 = l.Y3 + rowStep;
    l.XC = (l.D + m.ArrowWidth) / 2 + 635;
    l.YC = l.Y4 + 2 * m.ArrowHeight + 25;
    l.YZ = l.Y4 + 2 * m.ArrowHeight + 85;
    l.TransducerX = l.X2 + 7;
    // The dial's markers (radius R + 8, dots of radius 4) stay inside the overlay box and left
    // of the transducer icon.
    l.DialRadius = 32;

    l.readouts[RangeReadout] = Readout(l, l.X1, l.Y1);
    l.readouts[ModeReadout] = Readout(l, l.X2, l.Y1);
    l.readouts[GainReadout] = Readout(l, l.X1, l.Y2);
    l.readouts[SpeedReadout] = Readout(l, l.X2, l.Y2);
    l.readouts[SectorReadout] = Readout(l, l.X1, l.Y3);
    l.readouts[TrainReadout] = Readout(l, l.X2, l.Y3);

    l.headButton = {619, m.LineHeight + 2, 619 + 5 * m.CharWidth, 2 * m.LineHeight + 7};
    l.fileButton = {619 + 5 * m.CharWidth, m.LineHeight + 2, 619 + 10 * m.CharWidth,
                    2 * m.LineHeight + 7};
    l.holdArea = {735, 5, 780, 15};
    l.revArea = {735, 23, 780, 33};
    l.reverseArea = {362, 535, 432, 545};
    l.speedRightArrow = {336, 534, 336 + m.ArrowWidth, 534 + m.ArrowHeight};
    l.speedLeftArrow = {251, 534, 251 + m.ArrowWidth, 534 + m.ArrowHeight};
    l.frequencyLive = {619, 42, 733, 62};
    l.frequencyPlayback = {717, 20, 791, 40};
    l.overlayBox = {619, l.YC - 54, 777, l.YC + 54};
    l.userTextField = {619, l.YC - 71, 777, l.YC - 53};
    l.dateTimeField = {2, 512, 18 * m.CharWidth + 2, m.LineHeight + 515};
    l.activityArea = {600 - 19 * m.CharWidth, 511, 600 - 17 * m.CharWidth, m.LineHeight + 514};
    l.activityCentre = {600 - 18 * m.CharWidth, 514};
    l.magnifier = {620, l.YZ, 620 + MagnifierSize, l.YZ + MagnifierSize};
    l.transducerBox = {std::max(l.TransducerX, l.XC + l.DialRadius + 13), l.YC - 50, 774,
                       l.YC + 50};
    l.logo = {620, 515, 620 + 120 * 13 / 10, 515 + 28 * 12 / 10};
    l.logoBackground = {619, 514, l.logo.right + 1, l.logo.bottom + 1};
    l.keyboardEntry = {619, 2 * m.LineHeight + 13, 719, 3 * m.LineHeight + 13};
    l.playbackSlider = {620, 43, 620 + 154, 43 + 20};
    l.speedStrip = {251, 533, 454, 552};
    l.azimuthNotFound = {201, 532, 401, m.LineHeight + 536};

    const int32_t right = std::max({792, l.readouts[TrainReadout].upArrow.right + 8,
                                    l.overlayBox.right + 4, l.frequencyPlayback.right + 1});
    const int32_t bottom = std::max(
        {556, l.magnifier.bottom + 2, l.logoBackground.bottom + 2, l.azimuthNotFound.bottom + 2});
    l.client = {right, bottom};
    return l;
}

PanelMetrics FitPanelMetrics(PanelMetrics m) {
    m.ArrowWidth = std::clamp(m.ArrowWidth, 15, 16);
    m.ArrowHeight = std::clamp(m.ArrowHeight, 15, 16);
    m.LineHeight = std::clamp(m.LineHeight, 13, 17);
    m.CharWidth = std::clamp(m.CharWidth, 5, 9);
    m.CheckBoxWidth = std::clamp(m.CheckBoxWidth, 10, 14);
    m.CheckBoxHeight = std::clamp(m.CheckBoxHeight, 10, 14);
    return m;
}

Point ClampMagnifierCentre(Point c) {
    return {std::clamp(c.x, MagnifierHalf + 4, 598 - MagnifierHalf),
            std::clamp(c.y, MagnifierHalf + 4, 508 - MagnifierHalf)};
}

bool HitReadoutArrow(const PanelLayout& layout, Point p, ReadoutId& readout, bool& up) {
    for (int32_t i = 0; i < ReadoutCount; ++i) {
        const ReadoutGeometry& g = layout.readouts[i];
        if (g.upArrow.Contains(p) || g.downArrow.Contains(p)) {
            readout = static_cast<ReadoutId>(i);
            up = g.upArrow.Contains(p);
            return true;
        }
    }
    return false;
}

}  // namespace tarvisk
