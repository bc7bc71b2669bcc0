#include <gtest/gtest.h>

#include "display/panel_layout.h"
#include "display/status_panel.h"

namespace tarvisk {
namespace {

PanelMetrics Metrics16() {
    PanelMetrics m;
    m.ArrowWidth = 16;
    m.ArrowHeight = 16;
    m.CharWidth = 8;
    m.LineHeight = 16;
    return m;
}

TEST(PanelLayout, UnitsFromKnownMetrics) {
    const PanelLayout l = ComputePanelLayout(Metrics16());
    EXPECT_EQ(l.D, 52);
    EXPECT_EQ(l.X1, 619);
    EXPECT_EQ(l.X2, 695);
    EXPECT_EQ(l.Y1, 83);
    EXPECT_EQ(l.Y2, 134);
    EXPECT_EQ(l.Y3, 185);
    EXPECT_EQ(l.Y4, 236);
    EXPECT_EQ(l.XC, 669);
    EXPECT_EQ(l.YC, 236 + 32 + 25);
    EXPECT_EQ(l.YZ, 236 + 32 + 85);
    EXPECT_EQ(l.TransducerX, 702);
    EXPECT_EQ(l.readouts[RangeReadout].upArrow, (Rect{671, 83, 687, 99}));
    EXPECT_EQ(l.readouts[RangeReadout].downArrow, (Rect{671, 99, 687, 115}));
    EXPECT_EQ(l.readouts[TrainReadout].origin, (Point{695, 185}));
    EXPECT_EQ(l.headButton, (Rect{619, 18, 659, 39}));
    EXPECT_EQ(l.fileButton, (Rect{659, 18, 699, 39}));
    EXPECT_EQ(l.dateTimeField, (Rect{2, 512, 146, 531}));
    EXPECT_EQ(l.overlayBox, (Rect{619, l.YC - 54, 777, l.YC + 54}));
    EXPECT_EQ(l.logo.Width(), 156);
    EXPECT_EQ(l.logo.Height(), 33);
}

// Whatever the fonts and style measure, nothing of the panel may overlap or leave the client.
TEST(PanelLayout, ElementsStayApartForOtherMetrics) {
    for (int32_t lineHeight : {10, 13, 15, 16, 17, 22}) {
        for (int32_t arrow : {12, 14, 15, 16, 18}) {
            PanelMetrics m = Metrics16();
            m.LineHeight = lineHeight;
            m.ArrowWidth = m.ArrowHeight = arrow;
            m.CharWidth = lineHeight / 2;
            const PanelLayout l = ComputePanelLayout(FitPanelMetrics(m));
            SCOPED_TRACE(testing::Message() << "line " << lineHeight << " arrow " << arrow);
            EXPECT_LE(l.readouts[SectorReadout].box.bottom, l.userTextField.top);
            EXPECT_LE(l.overlayBox.bottom, l.magnifier.top - 1);
            EXPECT_LE(l.magnifier.bottom + 1, l.logoBackground.top);
            EXPECT_LE(l.readouts[TrainReadout].upArrow.right, l.client.width);
            EXPECT_LE(l.logoBackground.bottom, l.client.height);
            EXPECT_GE(l.transducerBox.left, l.XC + l.DialRadius + 12);
            EXPECT_LE(l.transducerBox.right, l.overlayBox.right);
        }
    }
}

TEST(PanelLayout, ArrowHitsAndMagnifierClamp) {
    const PanelLayout l = ComputePanelLayout(Metrics16());
    ReadoutId id{};
    bool up = false;
    ASSERT_TRUE(HitReadoutArrow(l, {671, 83}, id, up));
    EXPECT_EQ(id, RangeReadout);
    EXPECT_TRUE(up);
    ASSERT_TRUE(HitReadoutArrow(l, {686, 114}, id, up));
    EXPECT_FALSE(up);
    EXPECT_FALSE(HitReadoutArrow(l, {687, 83}, id, up));
    EXPECT_FALSE(HitReadoutArrow(l, {670, 90}, id, up));

    EXPECT_EQ(ClampMagnifierCentre({10, 600}), (Point{43, 469}));
    EXPECT_EQ(ClampMagnifierCentre({700, -5}), (Point{559, 43}));
    EXPECT_EQ(ClampMagnifierCentre({300, 250}), (Point{300, 250}));
}

TEST(PanelTexts, ReadoutsFollowTheSettings) {
    SonarSettings s;
    s.Gain = 12;
    s.SectorSize = 90;
    s.Train = 45;
    s.Speed = Faster;
    ApplyDisplayMode(s, Sector);
    s.SectorSize = 90;
    EXPECT_EQ(ReadoutText(s, GainReadout), "12 dB");
    EXPECT_EQ(ReadoutText(s, SectorReadout), "90 Dg");
    EXPECT_EQ(ReadoutText(s, TrainReadout), "45 Dg");
    EXPECT_EQ(ReadoutText(s, SpeedReadout), "Faster");
    EXPECT_EQ(ReadoutText(s, ModeReadout), "Sector");

    s.GridMode = SS;
    s.SSTrain = StbdChannel;
    EXPECT_EQ(ReadoutText(s, SpeedReadout), "N / A");
    EXPECT_EQ(ReadoutText(s, SectorReadout), "N / A");
    EXPECT_EQ(ReadoutText(s, TrainReadout), "Stbd");
    EXPECT_EQ(ReadoutText(s, ModeReadout), "SS");

    s.Units = Feet;
    ApplyRangeIndex(s, 9);
    EXPECT_EQ(ReadoutText(s, RangeReadout), "150 FT");
}

TEST(PanelTexts, FrequencyPlotSpeedAndGridLabel) {
    struct Row {
        int32_t kHz;
        const char* text;
    };
    for (const Row& r :
         {Row{999, "999 kHz"}, Row{1000, "1.000 MHz"}, Row{1100, "1.100 MHz"}, Row{280, "280 kHz"}})
        EXPECT_EQ(FrequencyText(r.kHz), r.text);

    EXPECT_EQ(PlotSpeedBarLength(100), 68);
    EXPECT_EQ(PlotSpeedBarLength(0), 0);
    EXPECT_EQ(PlotSpeedBarLength(55), 37);
    EXPECT_EQ(PlotSpeedBarLength(250), 68);
    EXPECT_EQ(PlotSpeedBarLength(-3), 0);

    SonarSettings s;
    ApplyRangeIndex(s, 9);
    EXPECT_EQ(GridLabelText(s), "10 M/DIV");
    s.Units = Feet;
    EXPECT_EQ(GridLabelText(s), "30 FT/DIV");
    s.GridMode = SS;
    s.SSChannel = BothChannels;
    EXPECT_EQ(GridLabelText(s), "60 FT/DIV");
    s.Grid = 0;
    EXPECT_EQ(GridLabelText(s), "Grid Off");
}

}  // namespace
}  // namespace tarvisk
